// Screenshots of the append, compare and import/export windows in English and Russian, over
// two dBase directories in the panels. Usage: transfer_screenshots_app OUTPUT_DIR
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QRadioButton>
#include <QTabWidget>
#include <filesystem>
#include <fstream>

#include "engine/drivers/local/dir/demo.h"
#include "engine/query.h"
#include "panels/panelcontroller.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "transfer/commands.h"
#include "transfer/formappend.h"
#include "transfer/formcompare.h"
#include "transfer/formexportimport.h"

using namespace vlm;
using namespace vlm::transfer;
namespace fs = std::filesystem;

namespace {
void shot(QWidget* w, const QString& file) {
    w->show();
    QApplication::processEvents();
    w->grab().save(file);
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots/transfer");
    QDir().mkpath(out);
    const fs::path base = fs::temp_directory_path() / "vlm-transfer-shots";
    fs::remove_all(base);
    fs::create_directories(base / "bin");
    for (const char* side : {"left", "right"}) {
        fs::create_directories(base / side);
        engine::local::writeDemoFolder((base / side).string());
    }
    {   // The right side's copy differs in one city and one missing customer.
        engine::Query q;
        q.setDatabaseName((base / "right").string());
        q.setSql("update \"CUSTOMER.DBF\" set CITY = 'Whitby' where CUSTNO = 1003");
        q.execSql();
        q.setSql("delete from \"CUSTOMER.DBF\" where CUSTNO = 1004");
        q.execSql();
    }
    for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base / "bin" / dic) << "SELECT\n";
    std::ofstream(base / "bin" / "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << (base / "left").string()
                                              << "\nRIGHTDATABASE=" << (base / "right").string()
                                              << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\n"
                                                 "RIGHTUSERPASSWORD=P\n[SETUP]\nLANGUAGE=2\n";
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base / "xdg").string()));
    shell::TForm1::addCommandProvider(&registerCommands);
    auto prompts = std::make_shared<RecordingPrompts>();
    auto* form = new shell::TForm1(QString::fromStdString((base / "bin").string() + "/"), panels::makeShellHooks(prompts));
    form->show();
    panels::TPanels* panels = panels::panelsOf(*form);
    for (shell::Side s : {shell::Side::Right, shell::Side::Left}) {
        panels->listView(s)->setFocus();
        panels->panelEntry(s);
        for (int i = 0; i < panels->itemCount(s); ++i)
            if (panels->itemCaption(s, i) == QStringLiteral("CUSTOMER.DBF"))
                panels->listView(s)->setCurrentIndex(panels->listView(s)->model()->index(i, 0));
    }
    for (int lang : {2, 1}) {
        shell::setLanguageSetting(lang);
        const QString suffix = lang == 1 ? QStringLiteral("_ru") : QStringLiteral("_en");
        if (TFormAppend* a = openAppend(*panels)) {
            a->ETableSource->setEditText(QStringLiteral("CUSTOMER.DBF"));
            a->BPrepareClick();
            shot(a, out + "/formappend" + suffix + ".png");
            a->PageControl1->setCurrentIndex(2);
            shot(a, out + "/formappend_maps" + suffix + ".png");
            a->close();
        }
        if (TFormCompare* c = makeCompare(*panels)) {
            c->logPath = (base / "TBLSCOMP.LOG").string();
            c->CBRCount->setChecked(true);
            c->CBType->setChecked(true);
            c->CBDataCompare->setChecked(true);
            c->BCompareClick();
            shot(c, out + "/formcompare" + suffix + ".png");
            c->close();
        }
        if (TFormExportImport* e = makeExportImport(*panels)) {
            e->RBText->setChecked(true);
            shot(e, out + "/formexportimport" + suffix + ".png");
            e->close();
        }
    }
    delete form;
    fs::remove_all(base);
    return 0;
}
