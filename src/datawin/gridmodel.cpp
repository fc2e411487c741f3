// TDatasetModel: the lazy grid model over an engine dataset.
#include "datawin/gridmodel.h"

#include <QBrush>
#include <QColor>

#include "engine/dataset.h"
#include "engine/displayformat.h"
#include "engine/error.h"
#include "shell/qtext.h"

namespace vlm::datawin {

using engine::DatasetState;
using engine::FieldType;

namespace {
constexpr long long kFetchStep = static_cast<long long>(engine::Dataset::rowBlockSize) * 4;
constexpr long long kMaxShown = 0x7fffffff;

bool numeric(FieldType t) {
    switch (t) {
    case FieldType::Smallint: case FieldType::Integer: case FieldType::Word: case FieldType::Float:
    case FieldType::Currency: case FieldType::BCD: case FieldType::AutoInc:
        return true;
    default:
        return false;
    }
}
}  // namespace

TDatasetModel::TDatasetModel(engine::Dataset* dataset, QObject* parent) : QAbstractTableModel(parent), ds_(dataset) {
    reload();
}

void TDatasetModel::reload() {
    beginResetModel();
    titles_.clear();
    columns_ = ds_ && ds_->active() ? ds_->fieldCount() : 0;
    inserting_ = ds_ && ds_->active() && ds_->state() == DatasetState::Insert;
    insertRow_ = inserting_ ? int(std::max<long long>(ds_->recNo() - 1, 0)) : -1;
    known_ = 0;
    limit_ = kFirstShown;
    complete_ = true;
    if (ds_ && ds_->active()) {
        try {
            known_ = ds_->knownRowCount(&complete_);
            // A driver that cannot count: show what a first screen needs.
            if (!complete_ && known_ < kFetchStep) {
                ds_->rowAt(kFetchStep - 1);
                known_ = ds_->knownRowCount(&complete_);
            }
        } catch (const std::exception&) {
            complete_ = true;
        }
        // The current record is shown; rows read without a count are all shown.
        limit_ = std::max(limit_, static_cast<long long>(ds_->recNo()) + 1);
        if (!complete_) limit_ = std::max(limit_, known_);
    }
    endResetModel();
}

void TDatasetModel::syncWithDataset() {
    if (!ds_ || !ds_->active() || ds_->fieldCount() != columns_) {
        reload();
        return;
    }
    // The row being inserted comes and goes at its own place; then the count moves at the end.
    const bool nowInserting = ds_->state() == DatasetState::Insert;
    if (inserting_ && (!nowInserting || insertRow_ != ds_->recNo() - 1)) {
        beginRemoveRows({}, insertRow_, insertRow_);
        inserting_ = false;
        endRemoveRows();
    }
    if (nowInserting && !inserting_) {
        const int at = int(std::min<long long>(std::max<long long>(ds_->recNo() - 1, 0), std::min(known_, limit_)));
        beginInsertRows({}, at, at);
        inserting_ = true;
        insertRow_ = at;
        endInsertRows();
    }
    bool complete = true;
    long long known = known_;
    try {
        known = ds_->knownRowCount(&complete);
    } catch (const std::exception&) {
    }
    // A row count that moved with a post or a delete.
    if (!complete) known = std::min(known_, known);
    applyCount(known, complete, inserting_);
    const int n = shownCount();
    if (n > 0 && columns_ > 0) Q_EMIT dataChanged(index(0, 0), index(n - 1, columns_ - 1));
    Q_EMIT headerDataChanged(Qt::Vertical, 0, std::max(0, n - 1));
}

void TDatasetModel::applyCount(long long known, bool complete, bool inserting) {
    // A view that asks for more rows while it hears of these (from rowsInserted) waits for
    // the change to end: the rows must not move under the change in flight.
    struct Applying {
        bool& on;
        explicit Applying(bool& b) : on(b) { on = true; }
        ~Applying() { on = false; }
    } applying(applying_);
    // Rows read without a count are shown as they arrive.
    if (!complete) limit_ = std::max(limit_, known);
    const int before = shownCount();
    const int after = int(std::min(std::min(known, limit_) + (inserting ? 1 : 0), kMaxShown));
    if (after > before) beginInsertRows({}, before, after - 1);
    else if (after < before) beginRemoveRows({}, after, before - 1);
    known_ = known;
    complete_ = complete;
    inserting_ = inserting;
    if (after > before) endInsertRows();
    else if (after < before) endRemoveRows();
}

void TDatasetModel::setTitleOverride(int column, const QString& title) {
    if (title.isEmpty()) titles_.remove(column);
    else titles_[column] = title;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

int TDatasetModel::shownCount() const {
    long long n = std::min(known_, limit_) + (inserting_ ? 1 : 0);
    return int(std::min(n, kMaxShown));
}

long long TDatasetModel::datasetRow(int row) const {
    if (!inserting_) return row;
    if (row == insertRow_) return -1;
    return row > insertRow_ ? row - 1 : row;
}

int TDatasetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownCount(); }
int TDatasetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QString TDatasetModel::cellText(const engine::Field& field, const engine::Value& value) {
    switch (field.dataType()) {
    case FieldType::Memo: return QStringLiteral("(MEMO)");
    case FieldType::Graphic: return QStringLiteral("(GRAPHIC)");
    case FieldType::Blob: case FieldType::FmtMemo: case FieldType::ParadoxOle: case FieldType::DBaseOle:
    case FieldType::TypedBinary:
        return QStringLiteral("(BLOB)");
    default:
        break;
    }
    if (value.isNull()) return {};
    if (!field.displayFormat().empty() && numeric(field.dataType())) {
        try {
            return shell::toQ(engine::formatNumber(value.asFloat(), field.displayFormat()));
        } catch (const std::exception&) {
        }
    }
    return shell::toQ(value.asText());
}

bool TDatasetModel::rowDeleted(int row) const {
    if (!ds_ || !ds_->active()) return false;
    long long r = datasetRow(row);
    if (r < 0) return false;
    try {
        const engine::Row* p = ds_->rowAt(r);
        return p && p->deleted;
    } catch (const std::exception&) {
        return false;
    }
}

QVariant TDatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !ds_ || !ds_->active() || index.column() >= ds_->fieldCount()) return {};
    const int col = index.column();
    engine::Field& f = ds_->field(col);
    if (role == Qt::TextAlignmentRole)
        return QVariant(int((numeric(f.dataType()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::BackgroundRole && role != Qt::ForegroundRole)
        return {};
    const long long r = datasetRow(index.row());
    const bool editing = ds_->state() == DatasetState::Edit || ds_->state() == DatasetState::Insert;
    const bool current = r < 0 || (editing && r == ds_->recNo() - 1);
    if (role == Qt::BackgroundRole || role == Qt::ForegroundRole) {
        if (!colorDeleted_ || current || !rowDeleted(index.row())) return {};
        return role == Qt::BackgroundRole ? QBrush(Qt::black) : QBrush(Qt::yellow);
    }
    try {
        if (current) return cellText(f, f.value());   // the edit buffer
        if (f.calculated()) return calculatedCell ? calculatedCell(r, col) : QVariant();
        const engine::Row* row = ds_->rowAt(r);
        if (!row || std::size_t(col) >= row->values.size()) return {};
        return cellText(f, row->values[std::size_t(col)]);
    } catch (const std::exception& e) {
        // A row that cannot be read fails its own cells only.
        return shell::toQ(std::string("#") + e.what());
    }
}

QVariant TDatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) {
        if (!ds_ || !ds_->active()) return {};
        const long long r = datasetRow(section);
        const bool editing = ds_->state() == DatasetState::Edit || ds_->state() == DatasetState::Insert;
        if (r < 0) return QStringLiteral("*");
        if (editing && r == ds_->recNo() - 1) return QStringLiteral("I");
        return QString();
    }
    if (titles_.contains(section)) return titles_.value(section);
    if (!ds_ || !ds_->active() || section >= ds_->fieldCount()) return {};
    return shell::toQ(ds_->field(section).displayLabel());
}

Qt::ItemFlags TDatasetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && ds_ && ds_->canModify()) f |= Qt::ItemIsEditable;
    return f;
}

bool TDatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !ds_ || !ds_->active()) return false;
    const long long r = datasetRow(index.row());
    bool startedHere = false;
    try {
        if (ds_->state() == DatasetState::Browse) {
            if (ds_->recNo() - 1 != r) ds_->setRecNo(r + 1);
            ds_->edit();
            startedHere = true;
        } else if (r >= 0 && r != ds_->recNo() - 1) {
            // Another row than the one in edit: the pending one is posted first.
            ds_->post();
            ds_->setRecNo(r + 1);
            ds_->edit();
            startedHere = true;
        }
        engine::Field& f = ds_->field(index.column());
        f.setAsString(shell::fromQ(value.toString()));
        if (startedHere) ds_->post();
    } catch (const std::exception& e) {
        // The dataset keeps its edit state and the values typed so far.
        if (onError) onError(e);
        Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), columns_ - 1));
        return false;
    }
    Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), columns_ - 1));
    Q_EMIT headerDataChanged(Qt::Vertical, index.row(), index.row());
    return true;
}

bool TDatasetModel::canFetchMore(const QModelIndex& parent) const {
    if (parent.isValid() || applying_) return false;
    if (limit_ < known_ && limit_ < kMaxShown) return true;
    return !complete_ && known_ < kMaxShown;
}

void TDatasetModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || applying_) return;
    if (limit_ < known_) {
        // Rows known, not shown yet: twice as many (a scroll to the bottom goes far quickly).
        const long long shown = limit_;
        limit_ = std::min(known_, std::min(limit_ * 2, kMaxShown));
        limit_ = std::max(limit_, shown);
        const long long newLimit = limit_;
        limit_ = shown;
        grow(newLimit);
        return;
    }
    if (complete_) return;
    bool complete = true;
    long long known = known_;
    try {
        ds_->rowAt(known_ + kFetchStep - 1);
        known = std::max<long long>(known_, ds_->knownRowCount(&complete));
    } catch (const std::exception& e) {
        if (onError) onError(e);
    }
    applyCount(known, complete, inserting_);
}

void TDatasetModel::grow(long long newLimit) {
    if (newLimit <= limit_) return;
    const int before = shownCount();
    const long long old = limit_;
    limit_ = newLimit;
    const int after = shownCount();
    limit_ = old;
    if (after <= before) {
        limit_ = newLimit;
        return;
    }
    struct Applying {
        bool& on;
        explicit Applying(bool& b) : on(b) { on = true; }
        ~Applying() { on = false; }
    } applying(applying_);
    beginInsertRows({}, before, after - 1);
    limit_ = newLimit;
    endInsertRows();
}

void TDatasetModel::reach(long long row) {
    if (!ds_ || !ds_->active() || row < 0) return;
    if (row >= known_ && !complete_) {
        // A driver that cannot count: rows as far as it has them.
        while (row >= known_ && canFetchMore({})) fetchMore({});
    }
    if (row >= limit_) grow(std::min(row + 1 + kFirstShown, std::max(known_, row + 1)));
}

}  // namespace vlm::datawin
