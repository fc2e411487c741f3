// The table window and the query result window under Qt offscreen, against real databases:
// view and edit mode, sorting, deleted dBase records, printing, the viewers, and editing
// through the grid on every driver that runs here.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "datawin/commands.h"
#include "datawin/dbgrid.h"
#include "datawin/formformat.h"
#include "datawin/formview.h"
#include "datawin/formviews.h"
#include "datawin/gridmodel.h"
#include "engine/database.h"
#include "engine/query.h"
#include "engine/table.h"
#include "fixtures/servers.h"
#include "panels/recordingprompts.h"
#include "shell/language.h"
#include "shell/texthelpers.h"

using namespace vlm::datawin;
using namespace vlm::engine;
namespace fs = std::filesystem;
using vlm::panels::ServerKind;
using vlm::panels::TTableInfo;

namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void exec(const std::string& db, const std::string& sql) {
    Query q;
    q.setDatabaseName(db);
    q.setSql(sql);
    q.execSql();
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        vlm::shell::setLanguageSetting(2);
        dir_ = fs::temp_directory_path() / ("vlm-datawin-win-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "data");
        local_ = (dir_ / "data").string();
        opt_.prompts = &prompts_;
        reportSink = [this](const QString& f, const QString& t) {
            reportFile_ = f;
            reportTitle_ = t;
        };
        opt_.programDir = (dir_ / "").string();
    }
    void TearDown() override {
        reportSink = nullptr;
        fs::remove_all(dir_);
    }
    TTableInfo localTable(const std::string& name) {
        TTableInfo t;
        t.driverName = "STANDARD";
        t.databaseName = local_;
        t.tableName = t.tableNameForCommands = name;
        t.tableType = "DBASE";
        return t;
    }
    // A table of a server database as the panel describes it.
    static TTableInfo serverTable(const std::string& kind, const std::string& database, const std::string& table) {
        TTableInfo t;
        t.databaseName = database;
        t.tableName = t.tableNameForCommands = table;
        t.isSqlBased = true;
        t.serverKind = kind == "firebird" ? ServerKind::INTERBASE : ServerKind::OTHER;
        t.tableType = "TABLE";
        t.driverName = kind == "firebird" ? "INTRBASE" : kind == "sqlite" ? "SQLITE" : kind == "odbc" ? "ODBC" : "POSTGRESQL";
        return t;
    }
    void makeEmp() {
        exec(local_, "create table \"EMP.DBF\" (ID integer, NAME char(10), SAL numeric(8,2))");
        exec(local_, "insert into \"EMP.DBF\" values (1, 'Smith', 100.5)");
        exec(local_, "insert into \"EMP.DBF\" values (2, 'Adams', 200)");
        exec(local_, "insert into \"EMP.DBF\" values (3, 'Jones', 50.25)");
    }

    fs::path dir_;
    std::string local_;
    ViewOptions opt_;
    // Errors and messages of the windows; questions answer Yes.
    struct Prompts : RecordingPrompts {
        Prompts(QStringList& errors, QStringList& messages) : errors_(errors), messages_(messages) {}
        void message(const QString& text) override { messages_ << text; }
        void error(const vlm::shell::ErrorReport& r) override { errors_ << QString::fromStdString(r.text); }
        using RecordingPrompts::error;
        QStringList &errors_, &messages_;
    };
    QStringList errors_, messages_;
    Prompts prompts_{errors_, messages_};
    QString reportFile_, reportTitle_;
};

}  // namespace

TEST_F(Windows, ViewModeSortsPrintsAndBuildsTemplates) {
    makeEmp();
    opt_.useInSql = true;
    TFormView* w = openTableWindow(localTable("EMP.DBF"), false, opt_, nullptr);
    ASSERT_NE(w, nullptr) << errors_.join("\n").toStdString();
    EXPECT_EQ(w->windowTitle(), QStringLiteral(" View DBASE:EMP.DBF"));
    EXPECT_EQ(w->statusText(0), QStringLiteral("   ?  records"));
    EXPECT_EQ(w->tableText(), "\"EMP.DBF\"");
    EXPECT_EQ(w->CheckListBox1->count(), 3);
    EXPECT_TRUE(w->BShowSelect->isVisibleTo(w));

    // Sorting re-queries with the quoted table text; the title carries the marks.
    w->sortBy(1);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_EQ(w->sortField(), "NAME");
    EXPECT_EQ(w->statusText(0), QStringLiteral("   ? records in table"));
    auto* model = w->DBGrid1->datasetModel();
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("^NAME^"));
    EXPECT_EQ(model->data(model->index(0, 1)).toString().trimmed(), QStringLiteral("Adams"));
    EXPECT_TRUE(w->BSort->isChecked());
    w->titleClick(1);   // the sorted column's title unsorts
    EXPECT_EQ(w->sortColumn(), -1);
    EXPECT_EQ(model->data(model->index(0, 1)).toString().trimmed(), QStringLiteral("Smith"));
    w->titleClick(1);
    EXPECT_EQ(w->sortColumn(), 1);

    // Hidden columns stay out of the grid and the report.
    w->CheckListBox1->item(2)->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(w->DBGrid1->isColumnHidden(2));
    w->dataset().setRecNo(3);
    w->CBCount->setChecked(true);
    w->BViewAndPrintClick();
    EXPECT_EQ(reportTitle_, QStringLiteral("View Data as Text"));
    EXPECT_EQ(reportFile_.toStdString(), opt_.programDir + "DATASET0.TXT");
    const std::string report = readText(reportFile_.toStdString());
    EXPECT_NE(report.find("  №   ID          NAME       \n"), std::string::npos) << report;
    EXPECT_NE(report.find("1     1           Smith      \n"), std::string::npos) << report;   // from the current row
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 4) << report;
    EXPECT_EQ(w->dataset().recNo(), 3);   // back on the remembered record

    w->BShowSelectClick();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("View Table"));
    w->addTemplate(SqlTemplate::Select);
    EXPECT_EQ(w->Memo1->toPlainText(), QStringLiteral("SELECT ID, NAME, SAL\nFROM EMP.DBF"));
    w->Memo1->setPlainText(QStringLiteral("select NAME from \"EMP.DBF\" where ID > 1"));
    w->BExecSQLClick();
    EXPECT_EQ(w->dataset().fieldCount(), 1);
    EXPECT_EQ(w->DBGrid1->datasetModel()->rowCount(), 2);
    w->Memo1->setPlainText(QStringLiteral("select nonsense from"));
    w->BExecSQLClick();
    EXPECT_FALSE(errors_.isEmpty());
    w->close();
}

TEST_F(Windows, EditModeShowsColoursAndRecallsDeletedDbaseRecords) {
    makeEmp();
    exec(local_, "delete from \"EMP.DBF\" where ID = 2");
    opt_.showDeleted = true;
    opt_.colorDeleted = true;
    TFormView* w = openTableWindow(localTable("EMP.DBF"), true, opt_, nullptr);
    ASSERT_NE(w, nullptr) << errors_.join("\n").toStdString();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Edit Table: EMP.DBF"));
    EXPECT_FALSE(w->BShowSelect->isVisibleTo(w));
    EXPECT_FALSE(w->BSort->isVisibleTo(w));   // local tables are not sorted here
    EXPECT_FALSE(w->NSort->isEnabled());
    auto* model = w->DBGrid1->datasetModel();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_TRUE(model->rowDeleted(1));
    EXPECT_EQ(model->data(model->index(1, 1), Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::black));
    EXPECT_FALSE(model->data(model->index(0, 1), Qt::BackgroundRole).isValid());

    w->DBGrid1->setCurrentIndex(model->index(1, 0));
    EXPECT_EQ(w->dataset().recNo(), 2);
    EXPECT_EQ(w->statusText(2), QStringLiteral("Deleted"));
    EXPECT_EQ(w->statusText(0), QStringLiteral("2/?"));
    EXPECT_TRUE(w->BReCall->isEnabled());
    w->BReCallClick();
    EXPECT_EQ(w->statusText(2), QString());
    EXPECT_FALSE(w->BReCall->isEnabled());
    EXPECT_FALSE(model->rowDeleted(1));
    w->close();

    // Without "Show Deleted Records" the deleted row is not there.
    exec(local_, "delete from \"EMP.DBF\" where ID = 3");
    opt_.showDeleted = false;
    w = openTableWindow(localTable("EMP.DBF"), true, opt_, nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->DBGrid1->datasetModel()->rowCount(), 2);
    w->close();
}

TEST_F(Windows, AVanishedTableClosesTheWindowWithTheEnginesError) {
    TFormView* w = openTableWindow(localTable("GONE.DBF"), false, opt_, nullptr);
    EXPECT_EQ(w, nullptr);
    ASSERT_EQ(errors_.size(), 1);
}

TEST_F(Windows, ResultWindowViewersColumnsAndReport) {
    const std::string lite = "SQLITE:" + (dir_ / "r.sqlite").string();
    exec(lite, "create table DOC (ID integer, NOTE text, PIC blob)");
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::red);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    {
        Query q;
        q.setDatabaseName(lite);
        q.setSql("insert into DOC values (1, :N, :P)");
        q.paramByName("N").set(Value("memo line 1\nline 2"), FieldType::Memo);
        q.paramByName("P").set(Value(Bytes(png.begin(), png.end())), FieldType::Blob);
        q.execSql();
        q.setSql("insert into DOC values (2, 'x', :P)");
        q.paramByName("P").set(Value(Bytes{'n', 'o', 't'}), FieldType::Blob);
        q.execSql();
    }
    auto* w = new TFormViewS(opt_.programDir);
    setWindowPrompts(w, &prompts_);
    w->Query1().setDatabaseName(lite);
    w->Query1().setSql("select ID, NOTE, PIC from DOC");
    w->openQuery();
    w->show();
    EXPECT_EQ(w->CheckListBox1->count(), 3);
    w->DBGrid1->setCurrentIndex(w->DBGrid1->datasetModel()->index(0, 2));
    w->BShowMemoClick();
    EXPECT_EQ(w->Panel1->currentWidget(), w->DBImage1);
    EXPECT_FALSE(w->DBImage1->pixmap().isNull());
    w->closeViewer();
    // A blob that is no picture: a message in the viewer, no crash.
    w->DBGrid1->setCurrentIndex(w->DBGrid1->datasetModel()->index(1, 2));
    w->BShowMemoClick();
    EXPECT_TRUE(w->DBImage1->pixmap().isNull());
    EXPECT_FALSE(w->DBImage1->text().isEmpty());
    w->closeViewer();
    // F3 on a plain field does nothing.
    w->DBGrid1->setCurrentIndex(w->DBGrid1->datasetModel()->index(0, 0));
    w->BShowMemoClick();
    EXPECT_EQ(w->Panel1->currentWidget(), w->DBGrid1);

    // A filter with a syntax error keeps the old filter and names the error's position; a
    // display format on a text column is refused.
    {
        TFormFormat ok(TFormFormat::Mode::Filter, &w->Query1(), 0, w);
        ok.EFilter->setText(QStringLiteral("ID = 2"));
        EXPECT_TRUE(ok.BOkClick());
        w->DBGrid1->reload();
        EXPECT_EQ(w->DBGrid1->datasetModel()->rowCount(), 1);
        TFormFormat bad(TFormFormat::Mode::Filter, &w->Query1(), 0, w);
        bad.EFilter->setText(QStringLiteral("ID = = 2"));
        EXPECT_FALSE(bad.BOkClick());
        ASSERT_FALSE(errors_.isEmpty());
        EXPECT_TRUE(errors_.last().contains(QStringLiteral("position"))) << errors_.last().toStdString();
        EXPECT_EQ(w->Query1().filter(), "ID = 2");
        EXPECT_TRUE(w->Query1().filtered());
        TFormFormat no(TFormFormat::Mode::Filter, &w->Query1(), 0, w);
        no.BNoClick();
        EXPECT_FALSE(w->Query1().filtered());
        TFormFormat fmt(TFormFormat::Mode::DisplayFormat, &w->Query1(), 1, w);
        EXPECT_FALSE(fmt.BNo->isEnabled());
        fmt.EFormat->setText(QStringLiteral("#.00"));
        EXPECT_FALSE(fmt.BOkClick());
        TFormFormat num(TFormFormat::Mode::DisplayFormat, &w->Query1(), 0, w);
        num.EFormat->setText(QStringLiteral("#.00"));
        EXPECT_TRUE(num.BOkClick());
        w->DBGrid1->reload();
        EXPECT_EQ(w->DBGrid1->datasetModel()->data(w->DBGrid1->datasetModel()->index(0, 0)).toString(), QStringLiteral("1.00"));
        errors_.clear();
    }

    w->MakeNonVisibleColumn();
    EXPECT_TRUE(w->DBGrid1->isColumnHidden(0));
    EXPECT_EQ(w->CheckListBox1->item(0)->checkState(), Qt::Unchecked);
    w->CheckListBox1->item(0)->setCheckState(Qt::Checked);
    EXPECT_FALSE(w->DBGrid1->isColumnHidden(0));
    w->close();
}

// Editing through the edit window's grid on every driver: edit, insert, delete, and a row
// changed by another user is refused.
class DriverEdit : public Windows, public ::testing::WithParamInterface<const char*> {};

TEST_P(DriverEdit, EditInsertDeleteThroughTheGrid) {
    const std::string kind = GetParam();
    TTableInfo info;
    Database db;
    std::string table = "ITEMS";
    if (kind == "dbase") {
        info = localTable("ITEMS.DBF");
        table = "ITEMS.DBF";
        exec(local_, "create table \"ITEMS.DBF\" (ID integer, NAME char(20))");
    } else {
        if (kind == "sqlite") {
            db.setDatabaseName("SQLITE:" + (dir_ / "e.sqlite").string());
        } else if (kind == "firebird") {
            db.setDatabaseName("INTRBASE:" + (dir_ / "e.fdb").string());
            db.params() = {"USER NAME=TESTER", "CREATE=TRUE"};
        } else {
            const std::string port = vlm::test::serverPort("VLM_PG_STATE");
            ASSERT_FALSE(port.empty());
            if (kind == "odbc") {
                // psqlODBC to the test cluster; the table is listed with its schema.
                db.setDatabaseName("ODBC:DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=" + port + ";DATABASE=vlmtest;");
                table = "public.dw_odbc_" + std::to_string(::getpid());
            } else {
                db.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/vlmtest");
                table = "dw_items_" + std::to_string(::getpid());
            }
            db.params() = {"USER NAME=pgtest"};
        }
        db.open();
        if (kind == "postgres" || kind == "odbc") exec(db.databaseName(), "drop table if exists " + table);
        exec(db.databaseName(), "create table " + table + " (ID integer not null primary key, NAME varchar(20))");
        info = serverTable(kind, db.databaseName(), table);
    }
    const std::string quoted = kind == "dbase" ? "\"" + table + "\"" : table;
    exec(info.databaseName, "insert into " + quoted + " values (1, 'one')");
    exec(info.databaseName, "insert into " + quoted + " values (2, 'two')");

    TFormView* w = openTableWindow(info, true, opt_, nullptr);
    ASSERT_NE(w, nullptr) << errors_.join("\n").toStdString();
    auto* model = w->DBGrid1->datasetModel();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_TRUE(model->setData(model->index(0, 1), QStringLiteral("uno"))) << errors_.join("\n").toStdString();
    w->DBNavigator1->click(TDBNavigator::Last);
    w->DBNavigator1->click(TDBNavigator::Insert);
    EXPECT_EQ(model->rowCount(), 3);
    w->dataset().fieldByName("ID").setValue(Value(3));
    w->dataset().fieldByName("NAME").setValue(Value("three"));
    w->DBNavigator1->click(TDBNavigator::Post);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_EQ(model->rowCount(), 3);
    if (kind != "dbase") {
        // A post the server refuses (a key taken) shows its error; the row stays in insert
        // with the values typed, and cancel drops it.
        w->DBNavigator1->click(TDBNavigator::Insert);
        w->dataset().fieldByName("ID").setValue(Value(1));
        w->dataset().fieldByName("NAME").setValue(Value("dup"));
        w->DBNavigator1->click(TDBNavigator::Post);
        EXPECT_EQ(errors_.size(), 1);
        EXPECT_EQ(w->dataset().state(), DatasetState::Insert);
        EXPECT_EQ(w->dataset().fieldByName("NAME").asString(), "dup");
        w->DBNavigator1->click(TDBNavigator::Cancel);
        EXPECT_EQ(w->dataset().state(), DatasetState::Browse);
        EXPECT_EQ(model->rowCount(), 3);
        errors_.clear();
    }
    // The server's own order: the row with ID 2 is looked for.
    w->DBNavigator1->click(TDBNavigator::First);
    while (w->dataset().fieldByName("ID").asInteger() != 2 && !w->dataset().eof())
        w->DBNavigator1->click(TDBNavigator::Next);
    ASSERT_EQ(w->dataset().fieldByName("ID").asInteger(), 2);
    w->DBNavigator1->click(TDBNavigator::Delete);
    EXPECT_EQ(model->rowCount(), 2);

    // Another user changes row 1 under the window: the post is refused, the row stays in edit
    // with the typed value, nothing is overwritten.
    exec(info.databaseName, "update " + quoted + " set NAME = 'changed' where ID = 1");
    int row1 = 0;
    while (row1 < model->rowCount() && model->data(model->index(row1, 0)).toString() != QStringLiteral("1")) ++row1;
    errors_.clear();
    const bool posted = model->setData(model->index(row1, 1), QStringLiteral("mine"));
    EXPECT_FALSE(posted);
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains(QStringLiteral("another user changed the record"))) << errors_[0].toStdString();
    EXPECT_EQ(w->dataset().state(), DatasetState::Edit);
    EXPECT_EQ(w->dataset().fieldByName("NAME").asString(), "mine");
    w->dataset().cancel();
    w->close();

    Query check;
    check.setDatabaseName(info.databaseName);
    check.setSql("select ID, NAME from " + quoted + " order by ID");
    check.open();
    std::vector<std::string> rows;
    for (check.first(); !check.eof(); check.next())
        rows.push_back(check.field(0).asString() + ":" + vlm::shell::text::strip(check.field(1).asString()));
    EXPECT_EQ(rows, (std::vector<std::string>{"1:changed", "3:three"}));
    check.close();
    if (kind == "postgres" || kind == "odbc") exec(info.databaseName, "drop table " + table);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DriverEdit, ::testing::Values("dbase", "sqlite", "firebird", "postgres", "odbc"));

// The memo viewer of the edit window edits the memo: the text is posted when the viewer
// closes, and a refused post keeps the record in edit with the text.
class DriverMemo : public Windows, public ::testing::WithParamInterface<const char*> {};

TEST_P(DriverMemo, TheMemoViewerPostsItsText) {
    const std::string kind = GetParam();
    TTableInfo info;
    Database db;
    std::string table = "NOTES";
    std::string memoType = "text";
    if (kind == "dbase" || kind == "paradox") {
        table = kind == "dbase" ? "NOTES.DBF" : "NOTES.DB";
        info = localTable(table);
        info.tableType = kind == "dbase" ? "DBASE" : "PARADOX";
        exec(local_, "create table \"" + table + "\" (ID integer, NOTE memo)");
        exec(local_, "insert into \"" + table + "\" values (1, 'first memo')");
    } else {
        if (kind == "sqlite") {
            db.setDatabaseName("SQLITE:" + (dir_ / "m.sqlite").string());
            memoType = "memo";
        } else if (kind == "firebird") {
            db.setDatabaseName("INTRBASE:" + (dir_ / "m.fdb").string());
            db.params() = {"USER NAME=TESTER", "CREATE=TRUE"};
            memoType = "blob sub_type 1";
        } else {
            const std::string port = vlm::test::serverPort("VLM_PG_STATE");
            ASSERT_FALSE(port.empty());
            db.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/vlmtest");
            db.params() = {"USER NAME=pgtest"};
            table = "dw_notes_" + std::to_string(::getpid());
        }
        db.open();
        if (kind == "postgres") exec(db.databaseName(), "drop table if exists " + table);
        exec(db.databaseName(), "create table " + table + " (ID integer not null primary key, NOTE " + memoType +
                                    (kind == "sqlite" ? "" : " check (NOTE <> 'refused')") + ")");
        exec(db.databaseName(), "insert into " + table + " values (1, 'first memo')");
        info = serverTable(kind, db.databaseName(), table);
    }
    TFormView* w = openTableWindow(info, true, opt_, nullptr);
    ASSERT_NE(w, nullptr) << errors_.join("\n").toStdString();
    w->DBGrid1->setCurrentIndex(w->DBGrid1->datasetModel()->index(0, 1));
    w->BShowMemoClick(true);
    ASSERT_EQ(w->Panel1->currentWidget(), w->DBMemo1);
    EXPECT_FALSE(w->DBMemo1->isReadOnly());
    EXPECT_EQ(w->DBMemo1->toPlainText(), QStringLiteral("first memo"));
    w->DBMemo1->setPlainText(QStringLiteral("second memo\nwith two lines"));
    w->closeViewer();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_EQ(w->Panel1->currentWidget(), w->DBGrid1);
    EXPECT_EQ(w->dataset().state(), DatasetState::Browse);
    if (kind == "firebird" || kind == "postgres") {
        w->BShowMemoClick(true);
        w->DBMemo1->setPlainText(QStringLiteral("refused"));
        w->closeViewer();
        EXPECT_EQ(errors_.size(), 1);
        EXPECT_EQ(w->Panel1->currentWidget(), w->DBMemo1);   // open once more
        EXPECT_EQ(w->dataset().state(), DatasetState::Edit);
        EXPECT_EQ(w->dataset().fieldByName("NOTE").asString(), "refused");
        w->closeViewer();
        EXPECT_EQ(w->Panel1->currentWidget(), w->DBGrid1);
        w->dataset().cancel();
    }
    w->close();

    Query check;
    check.setDatabaseName(info.databaseName);
    check.setSql("select NOTE from " + (info.isSqlBased ? table : "\"" + table + "\""));
    check.open();
    EXPECT_EQ(check.field(0).asString(), "second memo\nwith two lines");
    check.close();
    if (kind == "postgres") exec(info.databaseName, "drop table " + table);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DriverMemo, ::testing::Values("dbase", "paradox", "sqlite", "firebird", "postgres"));
