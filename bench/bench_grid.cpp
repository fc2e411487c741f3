// The grid benchmark program (run by bench/run-grid.sh): opens a table in the table window as
// F3 does, offscreen, and prints the time to the first painted rows and the process memory
// after scrolling the first 100,000 rows and after Ctrl+End.
// Usage: bench_grid DATABASE TABLE [USER] [PASSWORD] [edit]
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>
#include <QHeaderView>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <string>

#include "datawin/dbgrid.h"
#include "datawin/formview.h"
#include "datawin/gridmodel.h"
#include "engine/database.h"
#include "engine/dataset.h"
#include "panels/serverkind.h"
#include "shell/prompts.h"

#include "paintwatch.h"

namespace {
long rssKb() {
    std::ifstream in("/proc/self/status");
    std::string k;
    long v = 0;
    while (in >> k) {
        if (k == "VmRSS:") {
            in >> v;
            return v;
        }
    }
    return 0;
}
// Errors and messages to stderr; questions answer No.
struct PrintPrompts : vlm::shell::Prompts {
    void message(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    bool question(const QString&) override { return false; }
    void error(const vlm::shell::ErrorReport& r) override { std::fprintf(stderr, "error: %s\n", r.text.c_str()); }
    vlm::shell::WorkResult runWork(const QString&, const vlm::shell::Work& work) override {
        struct : vlm::engine::Progress {
            bool step(std::int64_t, std::int64_t) override { return true; }
        } none;
        return vlm::shell::runAndReport(work, none);
    }
    using vlm::shell::Prompts::error;
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_grid DATABASE TABLE [USER] [PASSWORD] [edit]\n");
        return 2;
    }
    const std::string dbName = argv[1], table = argv[2];
    const bool edit = argc > 5 && std::string(argv[5]) == "edit";
    vlm::engine::Database db;
    db.setDatabaseName(dbName);
    if (argc > 3 && *argv[3]) db.params().push_back(std::string("USER NAME=") + argv[3]);
    if (argc > 4 && *argv[4]) db.params().push_back(std::string("PASSWORD=") + argv[4]);
    db.open();
    vlm::panels::TTableInfo info;
    info.databaseName = dbName;
    info.tableName = info.tableNameForCommands = table;
    info.isSqlBased = db.isSqlBased();
    info.driverName = db.driverName();
    info.serverKind = vlm::panels::serverKindOfDriver(info.driverName);
    info.tableType = info.isSqlBased ? "TABLE" : "DBASE";
    PrintPrompts prompts;
    vlm::datawin::ViewOptions opt;
    opt.prompts = &prompts;
    const long rss0 = rssKb();

    QElapsedTimer t;
    t.start();
    auto* w = new vlm::datawin::TFormView(edit ? vlm::datawin::TFormView::Mode::Edit : vlm::datawin::TFormView::Mode::View,
                                          info, opt);
    PaintWatch watch;
    w->show();
    if (!w->openDataset()) return 1;
    w->DBGrid1->viewport()->installEventFilter(&watch);
    w->DBGrid1->viewport()->update();
    while (!watch.painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double firstPaint = double(t.nsecsElapsed()) / 1e6;
    const long rssOpen = rssKb();

    // Scroll the first 100,000 rows a screen at a time, painting each screen.
    auto* grid = w->DBGrid1;
    grid->setFocus();
    const int screen = std::max(1, grid->viewport()->height() / grid->verticalHeader()->defaultSectionSize());
    int row = 0;
    t.restart();
    while (row < 100000 && row < grid->model()->rowCount() - 1) {
        row = std::min(row + screen, grid->model()->rowCount() - 1);
        grid->setCurrentIndex(grid->model()->index(row, 0));
        grid->scrollTo(grid->currentIndex());
        QApplication::processEvents();
        while (row >= grid->model()->rowCount() - 1 && grid->model()->canFetchMore({})) grid->model()->fetchMore({});
    }
    const double scrollMs = double(t.nsecsElapsed()) / 1e6;
    const long rssScroll = rssKb();
    t.restart();
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    QApplication::processEvents();
    const double endMs = double(t.nsecsElapsed()) / 1e6;
    const long rssEnd = rssKb();
    std::printf("open_first_paint_ms=%.1f rows=%d scrolled_rows=%d scroll_ms=%.0f ctrl_end_ms=%.1f fetched=%lld "
                "rss_before_kb=%ld rss_open_kb=%ld rss_after_scroll_kb=%ld rss_after_end_kb=%ld\n",
                firstPaint, grid->model()->rowCount(), row, scrollMs, endMs, (long long)w->dataset().fetchedCount(), rss0,
                rssOpen, rssScroll, rssEnd);
    w->close();
    return 0;
}
