// TDatasetModel: a grid's model over an engine dataset. Rows are read through the dataset's
// read-only accessor, block by block as the view asks for them; data() never runs SQL of its
// own and never moves the current record. A driver that cannot count cheaply grows the model
// by fetchMore() as the user scrolls.
//   auto* m = new TDatasetModel(&query, view);  view->setModel(m);  // after query.open()
//   ... navigator action on the dataset ...;   m->syncWithDataset();
#pragma once

#include <QAbstractTableModel>
#include <QMap>
#include <exception>
#include <functional>

namespace vlm::engine {
class Dataset;
class Field;
class Value;
}

namespace vlm::datawin {

class TDatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDatasetModel(engine::Dataset* dataset, QObject* parent = nullptr);

    engine::Dataset* dataset() const { return ds_; }
    // After the dataset was opened, closed or re-queried: every row and column anew.
    void reload();
    // After a change of the dataset's rows or state (insert, post, cancel, delete, filter).
    void syncWithDataset();

    // Deleted dBase rows in yellow on black when on.
    void setColorDeleted(bool on) { colorDeleted_ = on; }
    // The column's title in place of the field's display label (the sort marks); empty: none.
    void setTitleOverride(int column, const QString& title);
    // The cell of a calculated field on a shown row (the dataset calculates only its current
    // record); without it those cells stay empty.
    std::function<QVariant(long long row, int field)> calculatedCell;
    // Errors of setData (a refused post; the row stays in edit with the typed values) and of
    // fetching more rows.
    std::function<void(const std::exception&)> onError;

    // The grid's text of a value of a field.
    static QString cellText(const engine::Field& field, const engine::Value& value);
    // Whether row (0-based, as shown) is the dataset's deleted dBase record.
    bool rowDeleted(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // Shows rows up to row (0-based) where the dataset has them: one step when the count is
    // known, else fetching on as far as the driver has rows (Ctrl+End, the current record).
    void reach(long long row);

    // A count known at open shows its first rows only, more as the view scrolls on: a view
    // keeps per-row state for every row it is told of, which for millions of rows costs more
    // time and memory before the first paint than the rows on screen.
    static constexpr long long kFirstShown = 4096;

private:
    int shownCount() const;
    void applyCount(long long known, bool complete, bool inserting);
    void grow(long long newLimit);   // shows rows up to newLimit (known ones)
    // The dataset's row behind a shown row: -1 for the row being inserted.
    long long datasetRow(int row) const;

    engine::Dataset* ds_;
    long long known_ = 0;      // dataset rows known (an insert adds one)
    long long limit_ = 0;      // of those, the model shows this many at most
    bool complete_ = true;
    bool applying_ = false;    // a row count change is in flight
    int columns_ = 0;
    bool inserting_ = false;
    int insertRow_ = -1;       // the shown row of the record being inserted
    bool colorDeleted_ = false;
    QMap<int, QString> titles_;
};

}  // namespace vlm::datawin
