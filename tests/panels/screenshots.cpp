// Writes PNGs of the main window with both panels connected on a first start (the demo folder
// at the left, the embedded Firebird demo at the right), in report and in icon view, and at the
// designed 640 pixels in report view with grid lines and a selection in both panels, in English
// and in Russian.
//   panels_screenshots_app OUTDIR
#include "panels/panelcontroller.h"

#include <QApplication>
#include <QDir>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "panels/shellhooks.h"
#include "recordingprompts.h"
#include "shell/formmain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);
    // A fresh program directory and data directory: the first start's embedded default.
    const std::filesystem::path base = std::filesystem::path(out.toStdString()) / "run";
    std::filesystem::remove_all(base);
    std::filesystem::create_directories(base / "bin");
    for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base / "bin" / dic) << "SELECT\n";
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base / "data").string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((base / "config").string()));
    // Messages and errors go to the terminal instead of boxes.
    struct Printed : RecordingPrompts {
        void message(const QString& m) override { std::fprintf(stderr, "%s\n", qPrintable(m)); }
        void error(const vlm::shell::ErrorReport& r) override { std::fprintf(stderr, "%s\n", r.text.c_str()); }
    };
    auto* form = new vlm::shell::TForm1(QString::fromStdString((base / "bin").string() + "/"),
                                        vlm::panels::makeShellHooks(std::make_shared<Printed>()));
    form->resize(900, 560);
    form->show();
    form->activateWindow();
    QApplication::processEvents();
    auto* panels = vlm::panels::panelsOf(*form);
    if (!panels) return 1;
    if (panels->tree(vlm::shell::Side::Right)->topLevelItemCount() > 1)
        panels->tree(vlm::shell::Side::Right)->topLevelItem(1)->setSelected(true);
    QApplication::processEvents();
    bool ok = form->grab().save(out + QStringLiteral("/panels_report.png"));
    panels->setViewStyle(vlm::panels::ViewStyle::Icon);
    QApplication::processEvents();
    ok = form->grab().save(out + QStringLiteral("/panels_icons.png")) && ok;
    panels->setViewStyle(vlm::panels::ViewStyle::Report);
    panels->setGridLines(true);
    form->resize(640, 429);
    for (vlm::shell::Side s : {vlm::shell::Side::Left, vlm::shell::Side::Right}) {
        QTreeWidget* t = panels->tree(s);
        t->clearSelection();
        for (int i : {0, 2})
            if (i < t->topLevelItemCount()) t->topLevelItem(i)->setSelected(true);
        if (t->topLevelItemCount() > 2) t->setCurrentItem(t->topLevelItem(2), 0, QItemSelectionModel::NoUpdate);
    }
    panels->listView(vlm::shell::Side::Left)->setFocus();
    for (int lang : {2, 1}) {
        if (lang == 1) form->NRussianLangClick();
        else form->NEnglishLangClick();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        ok = form->grab().save(out + (lang == 1 ? QStringLiteral("/panels_grid_ru.png") : QStringLiteral("/panels_grid_en.png"))) && ok;
    }
    std::printf("left %d items, right %d items\n", panels->itemCount(vlm::shell::Side::Left),
                panels->itemCount(vlm::shell::Side::Right));
    delete form;
    return ok ? 0 : 1;
}
