// The main window's SQL trace: the trace component (created at start-up with the categories
// execute, error, connect, transaction, data in and data out), the trace log while tracing is
// on, the toggle button BSQLMonitor and the menu items "Set Trace", "Show" and "Clear Log",
// and the monitor window. Messages from any engine thread are queued to the UI thread and
// appended to the log there, so the log is only ever touched by the UI thread.
#pragma once

#include <QObject>
#include <QPointer>

#include <optional>

#include "sqltrace/dbtrace.h"
#include "sqltrace/formsqlmonitor.h"
#include "sqltrace/tracelog.h"

namespace vlm::shell {
class TForm1;
}

namespace vlm::sqltrace {

class TTraceMonitor : public QObject {
    Q_OBJECT
public:
    explicit TTraceMonitor(shell::TForm1& form, engine::Session& session = engine::Session::defaultSession());
    ~TTraceMonitor() override;

    void BSQLMonitorClick();       // after the click: the button's down state decides
    void SetTraceClick();
    void NShowSQLMonitorClick();
    void NClearSQLMonClick();

    TDBTrace& DBTrace1() { return trace_; }
    bool tracing() const { return log_.has_value(); }
    // The log with every message queued so far appended (nullptr while tracing is off).
    const TraceLog* log();
    TFormSQLMonitor* monitor() const { return monitor_; }

private:
    void startTrace();
    void stopTrace();
    void setControls(bool on);     // the toggle button and the menu item's check mark
    bool buttonDown() const;
    void takeInbox();

    shell::TForm1& form_;
    TDBTrace trace_;
    TraceInbox inbox_;
    std::optional<TraceLog> log_;
    QPointer<TFormSQLMonitor> monitor_;
};

// The trace monitor of a main window (made by registerCommands), or nullptr.
TTraceMonitor* traceMonitorOf(shell::TForm1& form);

}  // namespace vlm::sqltrace
