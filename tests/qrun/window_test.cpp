// The query runner's window under Qt offscreen against a real SQLite database: its controls
// and Russian texts, the one start-up run and BGo after a failure, the report and the search.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSplitter>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "datawin/dbgrid.h"
#include "datawin/formsearch.h"
#include "engine/query.h"
#include "fixtures/servers.h"
#include "qrun/formviews.h"
#include "qrun/snapshot.h"
#include "shell/language.h"
#include "shell/textform.h"

using namespace vlm;
namespace fs = std::filesystem;

namespace {

class QrunWindow : public ::testing::Test {
protected:
    void SetUp() override {
        shell::setLanguageSetting(1);
        dir_ = fs::temp_directory_path() / ("vlm-qrun-win-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        db_ = "SQLITE:" + (dir_ / "runner.sqlite").string();
        engine::Query q;
        q.setDatabaseName(db_);
        for (const char* sql : {"create table EMP (ID integer, NAME varchar(20), SALARY numeric(10,2))",
                                "insert into EMP values (1, 'Anna', 100.5)", "insert into EMP values (2, 'Boris', 200)",
                                "insert into EMP values (3, 'Vera', 300)"}) {
            q.setSql(sql);
            q.execSql();
        }
    }
    void TearDown() override {
        delete window_;
        shell::setLanguageSetting(0);
        fs::remove_all(dir_);
    }
    qrun::TFormViewS* open(const std::string& database, const std::string& statement) {
        qrun::QueryRunnerStart s{database, "tester", "", statement};
        window_ = new qrun::TFormViewS(s, QString::fromStdString((dir_ / "").string()));
        datawin::setWindowPrompts(window_, &log_);
        return window_;
    }

    fs::path dir_;
    std::string db_;
    qrun::SnapshotLog log_;   // what the window would have shown in boxes
    QStringList& errors_ = log_.errors;
    QStringList& messages_ = log_.messages;
    QPointer<qrun::TFormViewS> window_;
};

TEST_F(QrunWindow, ControlsAndRussianTexts) {
    const std::string statement = "select ID, NAME\n  from EMP\n where NAME <> '  x  '";
    auto* w = open(db_, statement);
    w->show();
    EXPECT_EQ(w->windowTitle(), QString::fromStdString("SQL Query Application (Alias= " + db_ + ")"));
    EXPECT_EQ(w->MemoQuery->toPlainText().toStdString(), statement);
    QStringList shown;
    for (QAction* a : w->ToolBar1->actions())
        if (a->isVisible() && !a->isSeparator()) shown << w->ToolBar1->widgetForAction(a)->objectName();
    EXPECT_EQ(shown, (QStringList{"BGo", "BShowMemo", "BSearch", "BSumCol", "PanelPrintSum", "BExit"}));
    EXPECT_FALSE(w->CBCount->isVisibleTo(w));
    EXPECT_FALSE(w->CBPrintWithSum->isVisibleTo(w));
    EXPECT_EQ(w->BGo->toolTip(), "Execute SQL Statement");
    EXPECT_EQ(w->BSearch->toolTip(), "Поиск строки текста в полях и записях таблицы");
    EXPECT_EQ(w->BViewAndPrint->toolTip(), "Просмотр и печать с текущей позиции");
    EXPECT_EQ(w->BExit->toolTip(), "Выход");
    ASSERT_EQ(w->PopupMenu1->actions().size(), 1);
    EXPECT_EQ(w->PopupMenu1->actions().first()->text(), "Сделать колонку невидимой");
    const int widths[4] = {200, 200, 100, 50};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(w->status[i]->minimumWidth(), widths[i]) << i;
    // The splitter holds the statement above the grid.
    EXPECT_EQ(w->Splitter1->widget(0), w->MemoQuery);
    EXPECT_TRUE(w->Splitter1->widget(1)->isAncestorOf(w->DBGrid1));
}

// The start-up runs once: a failing statement is not run again when the window is shown or
// activated again; BGo runs the corrected statement, and panel 1 shows the query time.
TEST_F(QrunWindow, StartUpRunsOnceAndBGoRunsTheCorrectedStatement) {
    auto* w = open(db_, "select * from NOSUCH");
    w->show();
    for (int i = 0; i < 200 && errors_.isEmpty(); ++i) QTest::qWait(10);
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_.first().contains("NOSUCH")) << errors_.first().toStdString();
    EXPECT_TRUE(w->statusText(0).startsWith("ConnectTime= 00:00:"));
    EXPECT_TRUE(w->statusText(1).isEmpty());
    EXPECT_FALSE(w->startUp());
    w->hide();
    w->show();
    w->activateWindow();
    QTest::qWait(50);
    EXPECT_EQ(errors_.size(), 1);

    w->MemoQuery->setPlainText("select NAME\nfrom EMP\norder by ID");
    ASSERT_TRUE(w->BGoClick());
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_TRUE(w->statusText(1).startsWith("QueryTime= 00:00:")) << w->statusText(1).toStdString();
    EXPECT_EQ(w->DBGrid1->model()->rowCount(), 3);
    EXPECT_EQ(w->DBGrid1->model()->index(1, 0).data().toString(), "Boris");

    w->MemoQuery->setPlainText("select broken from");
    EXPECT_FALSE(w->BGoClick());
    EXPECT_EQ(errors_.size(), 2);
    EXPECT_FALSE(w->Query1().active());
    EXPECT_EQ(w->DBGrid1->model()->rowCount(), 0);
}

TEST_F(QrunWindow, AFailedConnectIsTriedAgainOnlyByBGo) {
    auto* w = open("SQLITE:" + (dir_ / "no" / "such" / "dir" / "x.sqlite").string(), "select 1");
    EXPECT_FALSE(w->startUp());
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_FALSE(w->startUp());
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_TRUE(w->statusText(0).isEmpty());
    EXPECT_FALSE(w->BGoClick());
    EXPECT_EQ(errors_.size(), 2);
}

// The report runs from the current record to the end and writes hidden columns too; the
// grid comes back to its record and the text window shows the file in a normal window.
TEST_F(QrunWindow, ReportFromTheCurrentRecordWithHiddenColumns) {
    auto* w = open(db_, "select ID, NAME, SALARY from EMP order by ID");
    ASSERT_TRUE(w->startUp());
    w->DBGrid1->setCurrentIndex(w->DBGrid1->model()->index(1, 1));
    w->MakeNonVisibleColumn();
    ASSERT_FALSE(w->Query1().field(1).visible());
    w->BViewAndPrintClick();
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join("; ").toStdString();
    EXPECT_EQ(w->reportFile().toStdString(), (dir_ / "DataSet0.TXT").string());
    const std::string text = test::readFile((dir_ / "DataSet0.TXT").string());
    EXPECT_EQ(text.rfind("Таблица: \nID", 0), 0u) << text;
    EXPECT_NE(text.find("NAME"), std::string::npos) << text;
    EXPECT_EQ(text.find("Anna"), std::string::npos) << text;
    EXPECT_NE(text.find("Boris"), std::string::npos) << text;
    EXPECT_NE(text.find("Vera"), std::string::npos) << text;
    EXPECT_EQ(w->Query1().recNo(), 2);
    shell::TTextForm* viewer = w->textWindow();
    ASSERT_TRUE(viewer->isVisible());
    EXPECT_FALSE(viewer->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(viewer->editor()->toPlainText().contains("Boris"));

    w->Query1().close();
    w->BViewAndPrintClick();
    EXPECT_EQ(messages_, QStringList{"Набор не открыт!"});
}

TEST_F(QrunWindow, SearchStartsWithAnEmptyHistory) {
    auto* w = open(db_, "select NAME from EMP");
    ASSERT_TRUE(w->startUp());
    datawin::TFormSearch::history() = QStringList{"Anna"};
    w->BSearchClick();
    auto* dialog = w->findChild<datawin::TFormSearch*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->CBText->count(), 0);
    EXPECT_EQ(dialog->windowTitle(), "Поиск значения в таблице");
    dialog->close();
}

}  // namespace
