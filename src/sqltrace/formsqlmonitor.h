// The SQL monitor window TFormSQLMonitor: the trace log as it was at the last "Show", one line
// per row of MemoSQLMonitor (both scroll bars, no wrapping). Ctrl+C copies the selected lines.
#pragma once

#include <QListView>
#include <QWidget>

#include "sqltrace/tracelogmodel.h"

namespace vlm::sqltrace {

class TFormSQLMonitor : public QWidget {
    Q_OBJECT
public:
    explicit TFormSQLMonitor(QWidget* parent = nullptr);

    // Replaces the shown text by lines (a snapshot: later messages show at the next call).
    void setLines(TraceLog::Snapshot lines);
    void clearLines();

    QListView* MemoSQLMonitor = nullptr;
    TraceLogModel* model() const { return model_; }

private:
    void copySelection();
    TraceLogModel* model_;
};

}  // namespace vlm::sqltrace
