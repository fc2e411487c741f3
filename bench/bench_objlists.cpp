// The object list benchmark program (run by bench/run-objlists.sh): opens a server object
// list in the list window, offscreen, and prints the time from the command to the first painted
// rows with the first row's definition text, and the rows the grid had read by then.
// Usage: bench_objlists DATABASE KIND USER PASSWORD       (KIND: triggers, indexes, ...)
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <cstdio>
#include <string>

#include "datawin/dbgrid.h"
#include "engine/database.h"
#include "engine/query.h"
#include "objlists/formoobj.h"
#include "objlists/listing.h"

#include "paintwatch.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_objlists DATABASE KIND USER PASSWORD\n");
        return 2;
    }
    auto list = vlm::objlists::listKindOfWord(argv[2]);
    if (!list) {
        std::fprintf(stderr, "unknown object kind %s\n", argv[2]);
        return 2;
    }
    vlm::objlists::ObjectListContext c;
    c.databaseName = argv[1];
    c.params = {std::string("USER NAME=") + argv[3], std::string("PASSWORD=") + argv[4]};
    {
        vlm::engine::Database db;
        db.setDatabaseName(c.databaseName);
        db.params() = c.params;
        db.open();
        c.driverName = db.driverName();
        c.kind = vlm::objlists::serverKindOf(db);
    }
    bool failed = false;
    c.showError = [&failed](const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        failed = true;
    };
    c.showMessage = [](const QString& m) { std::fprintf(stderr, "%s\n", qPrintable(m)); };

    QElapsedTimer t;
    t.start();
    auto* w = new vlm::objlists::TFormOObj(*list, c);
    PaintWatch watch;
    w->DBGrid1->viewport()->installEventFilter(&watch);
    w->show();
    if (!w->openList() || failed) return 1;
    w->DBGrid1->viewport()->update();
    while (!watch.painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double firstPaint = double(t.nsecsElapsed()) / 1e6;
    std::printf("list=%s open_first_paint_ms=%.1f rows_read=%lld text_lines=%d\n", argv[2], firstPaint,
                static_cast<long long>(w->query1().fetchedCount()), w->Memo1->blockCount());
    delete w;
    return 0;
}
