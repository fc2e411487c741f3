// The lines of a trace log snapshot as a list model: rows are read as the view scrolls, so a
// million lines show at once and the text is never copied into one document.
#pragma once

#include <QAbstractListModel>
#include <QSize>

#include "sqltrace/tracelog.h"

namespace vlm::sqltrace {

class TraceLogModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Shows lines; every row is itemSize big (the width of the longest line, one text line
    // high), so that the view needs no measuring of rows.
    void setLines(TraceLog::Snapshot lines, QSize itemSize);
    void clear();
    const TraceLog::Snapshot& lines() const { return lines_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    TraceLog::Snapshot lines_;
    QSize itemSize_;
};

}  // namespace vlm::sqltrace
