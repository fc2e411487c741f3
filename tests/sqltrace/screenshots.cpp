// Screenshots of the SQL monitor in English and Russian: the monitor window over a trace of
// real statements, and the main window's "SQL Monitor" menu with tracing on.
// Usage: sqltrace_screenshots_app OUTPUT_DIR
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "engine/error.h"
#include "engine/query.h"
#include "panels/shellhooks.h"
#include "shell/formmain.h"
#include "shell/language.h"
#include "sqltrace/commands.h"
#include "sqltrace/tracemonitor.h"

namespace {
void exec(const std::string& db, const std::string& sql) {
    vlm::engine::Query q;
    q.setDatabaseName(db);
    q.setSql(sql);
    if (sql.rfind("select", 0) == 0) {
        q.open();
        q.close();
    } else {
        q.execSql();
    }
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots/sqltrace");
    QDir().mkpath(out);
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vlm-sqltrace-shots";
    fs::remove_all(dir);
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "data");
    for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(dir / "bin" / dic) << "SELECT\n";
    std::ofstream(dir / "bin" / "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << (dir / "data").string()
                                             << "\nRIGHTDATABASE=" << (dir / "data").string() << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n[SETUP]\nLANGUAGE=2\n";
    vlm::shell::TForm1::addCommandProvider(&vlm::sqltrace::registerCommands);
    auto* form = new vlm::shell::TForm1(QString::fromStdString((dir / "bin").string() + "/"), vlm::panels::makeShellHooks());
    form->show();
    auto* trace = vlm::sqltrace::traceMonitorOf(*form);
    form->toolButton(vlm::shell::cmd::BSQLMonitor)->click();

    const std::string db = "SQLITE:" + (dir / "shop.sqlite").string();
    exec(db, "create table CUSTOMER (CUSTNO integer primary key, NAME varchar(30), CITY varchar(20))");
    exec(db, "insert into CUSTOMER values (1221, 'Kauai Dive Shoppe', 'Kapaa Kauai')");
    exec(db, "insert into CUSTOMER values (1231, 'Морской клуб', 'Мурманск')");
    exec(db, "update CUSTOMER set CITY = 'Kapaa' where CUSTNO = 1221");
    exec(db, "select CUSTNO, NAME,\n       CITY\nfrom CUSTOMER\nwhere CITY like 'K%'");
    try {
        exec(db, "selec * from CUSTOMER");   // a server error in the trace
    } catch (const vlm::engine::EngineError&) {
    }
    exec(db, "select count(*) from CUSTOMER");

    for (int lang : {2, 1}) {
        vlm::shell::setLanguageSetting(lang);
        form->applyLanguageTexts(lang);
        const QString suffix = lang == 1 ? QStringLiteral("_ru") : QStringLiteral("_en");
        form->commands().trigger(vlm::shell::cmd::ShowSQLMonitor);
        auto* m = trace->monitor();
        m->resize(720, 360);
        QApplication::processEvents();
        m->grab().save(out + "/formsqlmonitor" + suffix + ".png");
        if (auto* menu = form->findChild<QMenu*>(QStringLiteral("NCommands"))) {
            menu->popup(QPoint(0, 0));
            QApplication::processEvents();
            menu->grab().save(out + "/menu_commands" + suffix + ".png");
            menu->hide();
        }
    }
    delete form;
    fs::remove_all(dir);
    return 0;
}
