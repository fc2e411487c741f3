// The SQL monitor benchmark program (run by bench/run-trace.sh): the main window with tracing
// on, N trace messages sent through the engine session's trace hook from a worker thread, then
// "Show" timed from the command to the monitor window's first paint, and the time of one page
// of scrolling (the mean over 200 Page Down steps, each painted). Writes the same lines to
// TEXTFILE for the side-by-side figures.
// Usage: bench_trace PROGRAM_DIR MESSAGES TEXTFILE
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListView>
#include <QScrollBar>
#include <QToolButton>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "engine/session.h"
#include "paintwatch.h"
#include "panels/shellhooks.h"
#include "shell/formmain.h"
#include "sqltrace/commands.h"
#include "sqltrace/tracemonitor.h"

namespace {
std::string message(long i) {
    return "SQL Execute: POSTGRESQL - select ID, NAME, CITY from CUSTOMER where ID = " + std::to_string(i);
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_trace PROGRAM_DIR MESSAGES TEXTFILE\n");
        return 2;
    }
    const long n = std::stol(argv[2]);
    vlm::shell::TForm1::addCommandProvider(&vlm::sqltrace::registerCommands);
    auto* form = new vlm::shell::TForm1(QString::fromLocal8Bit(argv[1]), vlm::panels::makeShellHooks());
    form->show();
    auto* trace = vlm::sqltrace::traceMonitorOf(*form);
    form->toolButton(vlm::shell::cmd::BSQLMonitor)->click();

    std::thread worker([n] {
        auto& tracer = vlm::engine::Session::defaultSession().tracer();
        for (long i = 0; i < n; ++i) tracer.trace(vlm::engine::TraceExecute, message(i));
    });
    worker.join();
    {
        std::ofstream text(argv[3]);
        for (long i = 0; i < n; ++i) text << message(i) << '\n';
    }
    QApplication::processEvents();

    QElapsedTimer t;
    t.start();
    form->commands().trigger(vlm::shell::cmd::ShowSQLMonitor);
    auto* monitor = trace->monitor();
    PaintWatch watch;
    monitor->MemoSQLMonitor->viewport()->installEventFilter(&watch);
    while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double showMs = double(t.nsecsElapsed()) / 1e6;
    const long lines = monitor->MemoSQLMonitor->model()->rowCount();

    // Scrolling: Page Down from the middle, each step painted.
    QListView* view = monitor->MemoSQLMonitor;
    view->setFocus();
    view->setCurrentIndex(view->model()->index(int(lines / 2), 0));
    QApplication::processEvents();
    const int steps = 200;
    t.restart();
    for (int i = 0; i < steps; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        view->viewport()->repaint();
    }
    const double pageMs = double(t.nsecsElapsed()) / 1e6 / steps;
    t.restart();
    view->scrollToBottom();
    view->viewport()->repaint();
    const double endMs = double(t.nsecsElapsed()) / 1e6;
    std::printf("messages=%ld lines=%ld show_ms=%.1f page_down_ms=%.2f end_ms=%.2f\n", n, lines, showMs, pageMs, endMs);
    delete form;
    return lines == n ? 0 : 1;
}
