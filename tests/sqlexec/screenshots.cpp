// Screenshots of the script window with coloured SQL, in English and Russian.
// Usage: sqlexec_screenshots_app OUTPUT_DIR
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <filesystem>
#include <fstream>

#include "engine/session.h"
#include "panels/panelcontroller.h"
#include "panels/shellhooks.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "sqlexec/commands.h"
#include "sqlexec/formscript.h"
#include "sqlexec/sqlhighlighter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots/sqlexec");
    QDir().mkpath(out);
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / "vlm-sqlexec-shots";
    fs::remove_all(base);
    fs::create_directories(base / "bin");
    const std::string dir = (base / "bin").string() + "/";
    std::ofstream(dir + "VLMSQLC.DIC") << "SELECT\nFROM\nWHERE\nINSERT\nINTO\nVALUES\nUPDATE\nSET\nORDER\nBY\nAND\nCREATE\nTABLE\nAS\n";
    std::ofstream(dir + "VLMSQLF.DIC") << "COUNT\nSUM\nUPPER\nSUBSTR\n";
    std::ofstream(dir + "VLMPLSQL.DIC") << "BEGIN\nEND\nDECLARE\n";
    std::ofstream(base / "IDAPI32.CFG") << "[\\DATABASES\\SALES\\DB INFO]\nTYPE=SQLITE\nSERVER NAME="
                                        << (base / "sales.sqlite").string() << "\n";
    vlm::engine::Session::defaultSession().loadConfig((base / "IDAPI32.CFG").string());
    const QString text = QStringLiteral(
        "-- Orders of the last month\n"
        "select o.ID, upper(c.NAME) as CUSTOMER, sum(o.AMOUNT)\n"
        "from ORDERS o, CUSTOMERS c\n"
        "where o.CUST_ID = c.ID and o.AMOUNT > 100.50\n"
        "  and c.CITY = 'Москва';\n\n"
        "insert into ORDERS (ID, CUST_ID, AMOUNT) values (1001, 17, 250);\n"
        "update ORDERS set AMOUNT = AMOUNT * 1.2 where ID = 1001;\n");
    vlm::shell::TForm1::addCommandProvider(&vlm::sqlexec::registerCommands);
    for (int lang : {2, 1}) {
        std::ofstream(dir + "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=SALES\nRIGHTDATABASE=SALES\n[SETUP]\nLANGUAGE="
                                         << lang << "\n";
        auto* form = new vlm::shell::TForm1(QString::fromStdString(dir), vlm::panels::makeShellHooks());
        vlm::panels::TPanels* panels = vlm::panels::panelsOf(*form);
        vlm::sqlexec::TFormScript* w = vlm::sqlexec::openScriptWindow(*panels);
        w->resize(900, 480);
        w->currentEditor()->setPlainText(text);
        w->show();
        QApplication::processEvents();
        if (auto* h = w->highlighter(w->currentEditor())) h->colourVisible();
        QApplication::processEvents();
        w->grab().save(out + (lang == 1 ? QStringLiteral("/script_ru.png") : QStringLiteral("/script_en.png")));
        w->askExit = [] { return true; };
        w->close();
        delete form;
    }
    fs::remove_all(base);
    return 0;
}
