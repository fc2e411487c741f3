// Screenshots of the data windows in English and Russian: the table window in view and edit
// mode (a deleted dBase record coloured), its memo, picture and byte viewers and single-record
// view, the query result window, and the search, sum and format dialogs. Usage: datawin_screenshots_app OUTPUT_DIR
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <filesystem>

#include "datawin/commands.h"
#include "datawin/dbgrid.h"
#include "datawin/formformat.h"
#include "datawin/formsearch.h"
#include "datawin/formsum.h"
#include "datawin/formview.h"
#include "datawin/formviews.h"
#include "engine/database.h"
#include "engine/query.h"
#include "panels/recordingprompts.h"
#include "shell/language.h"

using namespace vlm::datawin;

namespace {
void exec(const std::string& db, const std::string& sql) {
    vlm::engine::Query q;
    q.setDatabaseName(db);
    q.setSql(sql);
    q.execSql();
}
void shot(QWidget* w, const QString& file) {
    w->show();
    QApplication::processEvents();
    w->grab().save(file);
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots/datawin");
    QDir().mkpath(out);
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vlm-datawin-shots";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string local = dir.string();
    exec(local, "create table \"CUSTOMER.DBF\" (CUSTNO integer, NAME char(24), CITY char(16), BALANCE numeric(10,2))");
    const char* names[] = {"Ocean Paradise", "Unisco", "Sight Diver", "Cayman Divers", "Tom Sawyer Diving",
                           "Blue Jack Aqua", "VIP Divers Club", "Ocean Adventures", "Кафе Северное", "Морской клуб"};
    for (int i = 0; i < 10; ++i)
        exec(local, "insert into \"CUSTOMER.DBF\" values (" + std::to_string(1221 + i * 10) + ", '" + names[i] +
                        "', 'Kapaa', " + std::to_string(100 + i * 37) + ".50)");
    exec(local, "delete from \"CUSTOMER.DBF\" where CUSTNO = 1241");
    exec(local, "create table \"DOCS.DB\" (ID integer, NOTE memo, PIC graphic)");
    {
        QImage img(160, 100, QImage::Format_RGB32);
        img.fill(QColor(0, 96, 160));
        QPainter p(&img);
        p.setBrush(QColor(250, 220, 60));
        p.drawEllipse(QPoint(120, 30), 18, 18);
        p.setBrush(QColor(20, 140, 60));
        p.drawRect(0, 70, 160, 30);
        p.end();
        QByteArray png;
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "PNG");
        vlm::engine::Query q;
        q.setDatabaseName(local);
        q.setSql("insert into \"DOCS.DB\" values (1, :N, :P)");
        q.paramByName("N").set(vlm::engine::Value("Order 1221 shipped by sea.\nInvoice sent on 12 March;\npaid in full."),
                               vlm::engine::FieldType::Memo);
        q.paramByName("P").set(vlm::engine::Value(vlm::engine::Bytes(png.begin(), png.end())), vlm::engine::FieldType::Graphic);
        q.execSql();
    }
    // Raw bytes with their two length bytes in front, low byte first.
    const std::string fdb = "INTRBASE:" + (dir / "raws.fdb").string();
    vlm::engine::Database fbdb;   // open while the windows run: they find it by its name
    fbdb.setDatabaseName(fdb);
    fbdb.params() = {"USER NAME=SYSDBA", "CREATE=TRUE"};
    fbdb.open();
    exec(fdb, "create table RAWS (ID integer not null primary key, RAW varchar(16) character set octets)");
    exec(fdb, "insert into RAWS values (1, x'0600566C6D33320A')");
    RecordingPrompts quiet;   // messages and errors are kept, not shown over the windows

    for (int lang : {2, 1}) {
        vlm::shell::setLanguageSetting(lang);
        const QString suffix = lang == 1 ? QStringLiteral("_ru") : QStringLiteral("_en");
        vlm::panels::TTableInfo info;
        info.driverName = "STANDARD";
        info.databaseName = local;
        info.tableName = info.tableNameForCommands = "CUSTOMER.DBF";
        info.tableType = "DBASE";
        ViewOptions opt;
        opt.programDir = (dir / "").string();
        opt.showRecordCount = true;
        opt.showDeleted = true;
        opt.colorDeleted = true;
        opt.prompts = &quiet;
        if (TFormView* v = openTableWindow(info, false, opt, nullptr)) {
            v->BShowSelectClick();
            v->addTemplate(SqlTemplate::Select);
            v->sortBy(1);
            shot(v, out + "/formview_view" + suffix + ".png");
            v->close();
        }
        if (TFormView* e = openTableWindow(info, true, opt, nullptr)) {
            e->DBGrid1->setCurrentIndex(e->DBGrid1->model()->index(2, 1));
            shot(e, out + "/formview_edit" + suffix + ".png");
            auto* s = new TFormSearch(e->DBGrid1, e);
            shot(s, out + "/formsearch" + suffix + ".png");
            s->close();
            auto* sum = new TFormSum(e->DBGrid1, e);
            sum->CBField->setCurrentIndex(3);
            sum->BSumClick();
            shot(sum, out + "/formsum" + suffix + ".png");
            sum->close();
            TFormFormat f(TFormFormat::Mode::DisplayFormat, &e->dataset(), 3, e);
            shot(&f, out + "/formformat" + suffix + ".png");
            TFormFormat g(TFormFormat::Mode::Filter, &e->dataset(), 3, e);
            shot(&g, out + "/formfilter" + suffix + ".png");
            e->close();
        }
        // The viewers and the single-record view of the edit window: a memo, a picture, and
        // raw bytes (shown as on an ORACLE database, the kind that has the byte viewer).
        vlm::panels::TTableInfo docs = info;
        docs.tableName = docs.tableNameForCommands = "DOCS.DB";
        docs.tableType = "PARADOX";
        if (TFormView* e = openTableWindow(docs, true, opt, nullptr)) {
            e->DBGrid1->setCurrentIndex(e->DBGrid1->model()->index(0, 1));
            e->BShowMemoClick(true);
            shot(e, out + "/formview_memo" + suffix + ".png");
            e->closeViewer();
            e->DBGrid1->setCurrentIndex(e->DBGrid1->model()->index(0, 2));
            e->BShowMemoClick(true);
            shot(e, out + "/formview_picture" + suffix + ".png");
            e->closeViewer();
            e->BScreenGridClick(true);
            shot(e, out + "/formview_record" + suffix + ".png");
            e->close();
        }
        vlm::panels::TTableInfo raws;
        raws.driverName = "INTRBASE";
        raws.databaseName = fdb;
        raws.tableName = raws.tableNameForCommands = "RAWS";
        raws.tableType = "TABLE";
        raws.isSqlBased = true;
        raws.serverKind = vlm::panels::ServerKind::ORACLE;
        if (TFormView* e = openTableWindow(raws, true, opt, nullptr)) {
            e->DBGrid1->setCurrentIndex(e->DBGrid1->model()->index(0, 1));
            e->BShowMemoClick(true);
            shot(e, out + "/formview_bytes" + suffix + ".png");
            e->close();
        }
        auto* r = new TFormViewS(opt.programDir);
        setWindowPrompts(r, &quiet);
        if (lang == 1) r->applyRussianTexts();
        r->Query1().setDatabaseName(local);
        r->Query1().setSql("select CUSTNO, NAME, BALANCE from \"CUSTOMER.DBF\" where BALANCE > 200");
        r->openQuery();
        r->setWindowTitle(QString::fromStdString(local + ": select CUSTNO, NAME, BALANCE ..."));
        r->setStatusText(QStringLiteral("6 ; Time: 00:00:00:12"));
        shot(r, out + "/formviews" + suffix + ".png");
        r->close();
    }
    fbdb.close();
    fs::remove_all(dir);
    return 0;
}
