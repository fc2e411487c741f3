// The panel build benchmark programs, run by bench/run-panels.sh:
//   bench_panels gendbf DIR COUNT          writes COUNT small dBase tables T00001.DBF ... into DIR
//   bench_panels build REPEAT NAME [PARAM ...]
//                                          opens the database NAME (the panel's database name,
//                                          PARAMs as "USER NAME=..."), then REPEAT times: the
//                                          panel's list build (session table list, scope filter,
//                                          TMyTableList fill), the sort of the displayed names and,
//                                          where the Qt panels are built, the report list fill of
//                                          a QTreeWidget offscreen (items, texts, icons)
// Prints "connect seconds=..", then per step "<step> best=.. median=.. tables=..".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "engine/database.h"
#include "engine/drivers/local/dbase/dbf.h"
#include "engine/drivers/local/dir/localddl.h"
#include "engine/drivers/local/dir/localdriver.h"
#include "panels/formats.h"
#include "panels/panelbuild.h"
#include "panels/tablelist.h"

#ifdef VLM_BENCH_QT
#include <QApplication>
#include <QTreeWidget>

#include "panels/listimages.h"
#endif

using namespace vlm;
using Clock = std::chrono::steady_clock;

static double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

static int genDbf(const std::string& dir, int count) {
    ::mkdir(dir.c_str(), 0755);
    using engine::local::localFieldType;
    std::vector<engine::FieldDef> fields{localFieldType("ID", "NUMERIC", 9, 0), localFieldType("NAME", "CHAR", 30, -1),
                                         localFieldType("SOLD", "DATE", -1, -1)};
    for (int i = 1; i <= count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/T%05d.DBF", i);
        engine::local::dbase::DbaseFormat().create(engine::local::posixFileSystem(), dir + name, fields, {}, {});
    }
    std::printf("wrote %d tables into %s\n", count, dir.c_str());
    return 0;
}

namespace {

struct Timings {
    std::vector<double> runs;
    void print(const char* step, std::size_t tables) {
        if (runs.empty()) return;
        std::sort(runs.begin(), runs.end());
        std::printf("%s best=%.4f median=%.4f tables=%zu\n", step, runs.front(), runs[runs.size() / 2], tables);
    }
};

}  // namespace

static int build(int repeat, int argc, char** argv) {
    engine::Database db;
    db.setDatabaseName(argv[0]);
    for (int i = 1; i < argc; ++i) db.params().push_back(argv[i]);
    auto t0 = Clock::now();
    try {
        db.open();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[0], e.what());
        return 1;
    }
    std::printf("connect seconds=%.4f\n", since(t0));
#ifdef VLM_BENCH_QT
    int qargc = 1;
    char qname[] = "bench_panels";
    char* qargv[] = {qname, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(qargc, qargv);
    QTreeWidget tree;
    tree.resize(400, 600);
    Timings qt;
#endif
    Timings list, sort, total;
    std::size_t count = 0;
    for (int i = 0; i < repeat; ++i) {
        auto a = Clock::now();
        panels::PanelBuildResult r = buildTableList(db, {}, true, panels::programFormats());
        if (!r.ok) {
            std::fprintf(stderr, "the build failed: %s\n", r.error.c_str());
            return 1;
        }
        list.runs.push_back(since(a));
        auto b = Clock::now();
        r.list.sortDisplayNames(true);
        sort.runs.push_back(since(b));
        count = r.list.count();
#ifdef VLM_BENCH_QT
        // The panel's report fill: one item per displayed name with its comment and icon.
        auto c = Clock::now();
        tree.clear();
        auto cols = panels::listColumns(r.sqlBased, r.commentsFetched, tree.width());
        tree.setColumnCount(int(cols.size()));
        QStringList heads;
        for (auto& col : cols) heads << QString::fromStdString(col.caption);
        tree.setHeaderLabels(heads);
        std::vector<QIcon> icons;
        for (int k = 0; k < panels::listImageCount(r.sqlBased); ++k) icons.push_back(panels::listImage(r.sqlBased, k));
        QList<QTreeWidgetItem*> items;
        items.reserve(qsizetype(r.list.displayNames.size()));
        for (const auto& name : r.list.displayNames) {
            auto* it = new QTreeWidgetItem;
            it->setText(0, QString::fromStdString(name));
            it->setText(1, QString::fromStdString(r.list.comment(name)));
            int img = panels::imageIndex(r.list, name, r.sqlBased, "");
            if (img >= 0 && img < int(icons.size())) it->setIcon(0, icons[std::size_t(img)]);
            it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
            items.push_back(it);
        }
        tree.addTopLevelItems(items);
        QApplication::processEvents();
        qt.runs.push_back(since(c));
        total.runs.push_back(since(a));
#else
        total.runs.push_back(since(a));
#endif
    }
    list.print("list", count);
    sort.print("sort", count);
#ifdef VLM_BENCH_QT
    qt.print("qtfill", count);
#endif
    total.print("total", count);
    return 0;
}

int main(int argc, char** argv) {
    std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "gendbf" && argc == 4) return genDbf(argv[2], std::atoi(argv[3]));
    if (cmd == "build" && argc >= 4) return build(std::max(1, std::atoi(argv[2])), argc - 3, argv + 3);
    std::fprintf(stderr, "usage: bench_panels gendbf DIR COUNT | build REPEAT NAME [PARAM ...]\n");
    return 2;
}
