// The main window's SQL trace and monitor window.
#include "sqltrace/tracemonitor.h"

#include <QAction>
#include <QToolButton>

#include "shell/formmain.h"

namespace vlm::sqltrace {

namespace cmd = shell::cmd;

TTraceMonitor::TTraceMonitor(shell::TForm1& form, engine::Session& session)
    : QObject(&form), form_(form), trace_(session) {
    setObjectName(QStringLiteral("DBTrace1"));
    trace_.setTraceFlags(traceBit(tfQExecute) | traceBit(tfError) | traceBit(tfConnect) | traceBit(tfTransact) |
                         traceBit(tfDataIn) | traceBit(tfDataOut));
    trace_.setOnTrace([this](TDBTrace&, TTraceFlag, const std::string& msg) {
        // Any thread: the first message of a batch asks the UI thread for one hand-over.
        if (inbox_.push(msg)) QMetaObject::invokeMethod(this, [this] { takeInbox(); }, Qt::QueuedConnection);
    });
    trace_.setOnError([this](const std::exception& e) {
        QString text = QString::fromUtf8(e.what());
        QMetaObject::invokeMethod(this, [this, text] { form_.prompts().error(text); }, Qt::QueuedConnection);
    });
}

TTraceMonitor::~TTraceMonitor() {
    // No callback runs after this: nothing is queued to this object any more.
    trace_.setOnTrace({});
    trace_.setTrace(false);
    if (monitor_) delete monitor_.data();
}

void TTraceMonitor::takeInbox() {
    std::vector<std::string> pending = inbox_.takeAll();
    if (!log_) return;   // tracing went off: its messages went with the log
    for (const auto& m : pending) log_->append(m);
}

const TraceLog* TTraceMonitor::log() {
    takeInbox();
    return log_ ? &*log_ : nullptr;
}

void TTraceMonitor::startTrace() {
    log_.emplace();
    if (!trace_.active()) trace_.setActive(true);
    trace_.setTrace(true);
}

void TTraceMonitor::stopTrace() {
    trace_.setTrace(false);
    inbox_.takeAll();   // what came before the switch belongs to the discarded log
    log_.reset();
}

bool TTraceMonitor::buttonDown() const {
    QToolButton* b = form_.toolButton(cmd::BSQLMonitor);
    return b && b->isChecked();
}

void TTraceMonitor::setControls(bool on) {
    if (QToolButton* b = form_.toolButton(cmd::BSQLMonitor)) b->setChecked(on);
    if (QAction* a = form_.action(cmd::SetTrace)) a->setChecked(on);
}

void TTraceMonitor::BSQLMonitorClick() {
    bool down = buttonDown();
    if (down && !tracing()) startTrace();
    else if (!down && tracing()) stopTrace();
    setControls(down);
}

void TTraceMonitor::SetTraceClick() {
    // The check mark before the click decides (a checkable menu item has already flipped it).
    if (tracing()) stopTrace();
    else startTrace();
    setControls(tracing());
}

void TTraceMonitor::NShowSQLMonitorClick() {
    if (!buttonDown() || !tracing()) return;
    takeInbox();
    if (!monitor_) monitor_ = new TFormSQLMonitor(&form_);
    monitor_->setLines(log_->snapshot());
    monitor_->showNormal();
    monitor_->raise();
    monitor_->activateWindow();
}

void TTraceMonitor::NClearSQLMonClick() {
    if (!buttonDown()) return;
    inbox_.takeAll();
    if (log_) log_->clear();
    if (monitor_) monitor_->clearLines();
}

TTraceMonitor* traceMonitorOf(shell::TForm1& form) {
    return form.findChild<TTraceMonitor*>(QStringLiteral("DBTrace1"), Qt::FindDirectChildrenOnly);
}

}  // namespace vlm::sqltrace
