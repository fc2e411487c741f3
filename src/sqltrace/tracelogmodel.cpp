// The trace log's list model.
#include "sqltrace/tracelogmodel.h"

namespace vlm::sqltrace {

void TraceLogModel::setLines(TraceLog::Snapshot lines, QSize itemSize) {
    beginResetModel();
    lines_ = std::move(lines);
    itemSize_ = itemSize;
    endResetModel();
}

void TraceLogModel::clear() { setLines({}, itemSize_); }

int TraceLogModel::rowCount(const QModelIndex& parent) const {
    // A view takes int rows: a log beyond that shows its first INT_MAX lines.
    return parent.isValid() ? 0 : int(std::min<std::size_t>(lines_.size(), std::size_t(INT_MAX)));
}

QVariant TraceLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= lines_.size()) return {};
    if (role == Qt::DisplayRole) {
        const std::string& s = lines_.line(std::size_t(index.row()));
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    }
    if (role == Qt::SizeHintRole) return itemSize_;
    return {};
}

}  // namespace vlm::sqltrace
