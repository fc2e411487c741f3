// The script window from the main window, offscreen, over a SQLite alias: F6, F2 on the
// statement at the caret, transactions on the window's own database, the script run, a
// background statement and its cancel, saving and closing tabs, encodings and colouring.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "datawin/commands.h"
#include "datawin/formviews.h"
#include "engine/query.h"
#include "engine/session.h"
#include "panels/panelcontroller.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "shell/commandids.h"
#include "shell/formmain.h"
#include "sqlexec/commands.h"
#include "sqlexec/formscript.h"
#include "sqlexec/sqlhighlighter.h"

using namespace vlm;
using namespace vlm::sqlexec;
namespace fs = std::filesystem;

namespace {

class ScriptWindow : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("vlm-sqlexec-win-" + std::to_string(::getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        fs::create_directories(base_ / "data");
        dir_ = (base_ / "bin").string() + "/";
        std::ofstream(dir_ + "VLMSQLC.DIC") << "SELECT\nFROM\nINSERT\n";
        std::ofstream(dir_ + "VLMSQLF.DIC") << "COUNT\n";
        std::ofstream(dir_ + "VLMPLSQL.DIC") << "BEGIN\n";
        std::ofstream(base_ / "IDAPI32.CFG") << "[\\DATABASES\\LITE\\DB INFO]\nTYPE=SQLITE\nSERVER NAME="
                                             << (base_ / "lite.sqlite").string() << "\n";
        engine::Session::defaultSession().loadConfig((base_ / "IDAPI32.CFG").string());
        {   // the left panel's current table when the window opens
            engine::Query q;
            q.setDatabaseName("LITE");
            q.setSql("create table PARTS (PARTNO integer, DESCR varchar(20))");
            q.execSql();
        }
        std::ofstream(dir_ + "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=LITE\nRIGHTDATABASE=" << (base_ / "data").string()
                                          << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P"
                                          << "\n[SETUP]\nLANGUAGE=2\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "xdg").string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((base_ / "cfg").string()));
        datawin::reportSink = [this](const QString& f, const QString& title) { reports_ << title + "|" + f; };
        static bool registered = false;
        if (!registered) {
            shell::TForm1::addCommandProvider(&datawin::registerCommands);
            shell::TForm1::addCommandProvider(&registerCommands);
            registered = true;
        }
        prompts_ = std::make_shared<RecordingPrompts>();
        form_ = new shell::TForm1(QString::fromStdString(dir_), panels::makeShellHooks(prompts_));
        form_->show();
        panels_ = panels::panelsOf(*form_);
        ASSERT_NE(panels_, nullptr);
        form_->commands().trigger(shell::cmd::BSelect);   // F6 on the left panel
        w_ = openScriptWindow(*panels_);
        ASSERT_NE(w_, nullptr);
        w_->askExit = [] { return true; };
        QApplication::setActiveWindow(w_);
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TFormScript*>(w) || qobject_cast<datawin::TFormViewS*>(w)) w->close();
        QApplication::processEvents();
        delete form_;
        fs::remove_all(base_);
    }
    // The text with the caret just before the first occurrence of at.
    void type(const QString& text, const QString& at) {
        QPlainTextEdit* e = w_->currentEditor();
        e->setPlainText(text);
        QTextCursor c = e->textCursor();
        c.setPosition(int(text.indexOf(at)));
        e->setTextCursor(c);
    }
    QString lastMessage() const { return prompts_->messages.isEmpty() ? QString() : prompts_->messages.last(); }

    fs::path base_;
    std::string dir_;
    std::shared_ptr<RecordingPrompts> prompts_;
    shell::TForm1* form_ = nullptr;
    panels::TPanels* panels_ = nullptr;
    TFormScript* w_ = nullptr;
    QStringList reports_;
};

TEST_F(ScriptWindow, OnePerPanelAndF2RunsTheStatementAtTheCaret) {
    EXPECT_EQ(openScriptWindow(*panels_), w_);   // the panel's window again
    EXPECT_TRUE(w_->windowTitle().endsWith(QStringLiteral(": LITE")));
    const QString text = QStringLiteral("create table T (A integer, B text);\ninsert into T values (1, 'a;b');\n"
                                        "select A, B from T;\ndelete from T where A = 9");
    type(text, QStringLiteral("create"));
    QTest::keyClick(w_->currentEditor(), Qt::Key_F2);
    EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("\r\nRowsAffected: 0 rows\r\n"))) << lastMessage().toStdString();
    type(text, QStringLiteral("'a;b');"));
    w_->BOpenQueryClick();
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("SQL Executed Succesfully! Time: 00:00:"))) << prompts_->messages.join("|").toStdString();
    EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("\r\nInserted: 1 rows\r\n")));
    type(text, QStringLiteral("from T;"));
    w_->BOpenQueryClick();
    ASSERT_NE(w_->lastResult(), nullptr);
    EXPECT_EQ(w_->lastResult()->Query1().field(1).asString(), "a;b");
    EXPECT_TRUE(w_->lastResult()->statusText(0).startsWith(QStringLiteral("? ; ")));
    type(text, QStringLiteral("where A"));
    w_->BOpenQueryClick();
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("\r\nDeleted: 0 rows"))) << lastMessage().toStdString();
    w_->currentEditor()->setPlainText(QStringLiteral("  \n "));
    w_->BOpenQueryClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("No Query!"));
    // The caret behind the delimiter, on a trailing comment: no statement is sent.
    type(QStringLiteral("select A from T; -- note"), QStringLiteral("note"));
    prompts_->messages.clear();
    w_->BOpenQueryClick();
    EXPECT_EQ(prompts_->messages, QStringList{QStringLiteral("No Query!")});
}

// The field templates read the fields of the table the window was opened on from the window's
// own database, also when the other panel (a directory without that table) is active.
TEST_F(ScriptWindow, FieldTemplatesReadTheWindowsOwnTable) {
    form_->setActivePanel(panels::Side::Right);
    w_->templateClick(2);
    EXPECT_TRUE(prompts_->messages.isEmpty()) << prompts_->messages.join("|").toStdString();
    EXPECT_EQ(w_->currentEditor()->toPlainText().trimmed(),
              QStringLiteral("update PARTS set PARTNO= :PARTNO, DESCR= :DESCR where"));
}

TEST_F(ScriptWindow, TransactionsActOnTheWindowsOwnDatabase) {
    type(QStringLiteral("create table T (A integer)"), QStringLiteral("T"));
    w_->BOpenQueryClick();
    type(QStringLiteral("COMMIT"), QStringLiteral("T"));
    w_->BOpenQueryClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("Not transaction!"));
    w_->CB1Transaction->setChecked(true);
    EXPECT_TRUE(w_->BStartTransaction->isEnabled());
    type(QStringLiteral("insert into T values (1);\nrollback;"), QStringLiteral("1"));
    w_->BOpenQueryClick();
    EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("Not Forget COMMIT Or ROLLBACK!"))) << lastMessage().toStdString();
    EXPECT_TRUE(w_->database().inTransaction());
    EXPECT_TRUE(w_->BCommit->isEnabled());
    EXPECT_FALSE(w_->CB1Transaction->isEnabled());
    // The other panel is active now: ROLLBACK still goes to the window's database.
    panels_->listView(shell::Side::Right)->setFocus();
    type(QStringLiteral("insert into T values (1);\nrollback;"), QStringLiteral("rollback"));
    w_->BOpenQueryClick();
    EXPECT_FALSE(w_->database().inTransaction());
    engine::Query q;
    q.setDatabase(&w_->database());
    q.setSql("select count(*) from T");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 0);
}

TEST_F(ScriptWindow, ScriptRunWritesTheLogAndShowsIt) {
    type(QStringLiteral("create table S (A integer);\ninsert into S values (1);\nselect * from nowhere;\n"), QString());
    w_->BMultiQueryClick();
    ASSERT_EQ(reports_.size(), 1);
    EXPECT_EQ(reports_[0], QStringLiteral("View Batch SQL|") + QString::fromStdString(dir_) + QStringLiteral("DATASET0.TXT"));
    std::ifstream in(dir_ + "DATASET0.TXT");
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("Executed successed!: Inserted: 1 rows"), std::string::npos) << log;
    EXPECT_NE(log.find("SQL script ended with errors."), std::string::npos) << log;
    type(QStringLiteral("select A from S"), QStringLiteral("A"));
    w_->BTextFileClick();
    EXPECT_EQ(reports_.last().section('|', 0, 0), QStringLiteral("View SQL Script as Text"));
    type(QStringLiteral("update S set A = 2"), QStringLiteral("A"));
    w_->BTextFileClick();
    EXPECT_EQ(lastMessage(), QStringLiteral("Can not show result of non SELECT statement!"));
}

// A statement that would run for minutes, on a worker: the window stays usable, F2 is off,
// Cancel brings it back within a second and the connection works afterwards.
TEST_F(ScriptWindow, BackgroundStatementCancelledWithinASecond) {
    w_->CBThread->setChecked(true);
    type(QStringLiteral("select count(*) from (with recursive c(x) as (select 1 union all select x + 1 from c "
                        "where x < 2000000000) select x from c)"),
         QStringLiteral("count"));
    w_->BOpenQueryClick();
    ASSERT_TRUE(w_->running());
    EXPECT_FALSE(w_->BOpenQuery->isEnabled());
    EXPECT_TRUE(w_->BCancel->isEnabled());
    QTest::qWait(200);
    w_->currentEditor()->appendPlainText(QStringLiteral("-- typed while it runs"));   // responsive
    QElapsedTimer t;
    t.start();
    QTest::keyClick(w_->currentEditor(), Qt::Key_Escape);
    while (w_->running() && t.elapsed() < 5000) QTest::qWait(10);
    EXPECT_FALSE(w_->running());
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_EQ(w_->StatusBar1[0]->text(), QStringLiteral("Statement cancelled"));
    EXPECT_EQ(w_->lastResult(), nullptr);
    type(QStringLiteral("select 7"), QStringLiteral("7"));
    w_->BOpenQueryClick();
    for (int i = 0; i < 100 && w_->running(); ++i) QTest::qWait(10);
    ASSERT_NE(w_->lastResult(), nullptr);
    EXPECT_EQ(w_->lastResult()->Query1().field(0).asInteger(), 7);
    w_->CBThread->setChecked(false);
}

TEST_F(ScriptWindow, TabsKeepTheirTextUnlessSaved) {
    QPlainTextEdit* e = w_->currentEditor();
    e->insertPlainText(QStringLiteral("select 1"));
    ASSERT_TRUE(e->document()->isModified());
    // Yes, then the save dialog cancelled: the tab stays with its text.
    w_->askSaveChanges = [] { return 2; };
    w_->chooseSaveFile = [](const QString&) { return QString(); };
    EXPECT_FALSE(w_->closeTab());
    EXPECT_EQ(w_->PageControl1->count(), 1);
    // A file that cannot be written: error shown, name and modified mark kept.
    w_->chooseSaveFile = [this](const QString&) { return QString::fromStdString((base_ / "no-dir" / "x.sql").string()); };
    EXPECT_FALSE(w_->save());
    EXPECT_TRUE(e->document()->isModified());
    EXPECT_EQ(w_->PageControl1->tabText(0), QStringLiteral("SQL_1.SQL"));
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("Cannot save file "))) << lastMessage().toStdString();
    // A new tab saves through the dialog, under the chosen name.
    const QString file = QString::fromStdString((base_ / "a.b.sql").string());
    w_->chooseSaveFile = [file](const QString&) { return file; };
    EXPECT_TRUE(w_->save());
    EXPECT_FALSE(e->document()->isModified());
    EXPECT_EQ(w_->PageControl1->tabText(0), file);
    EXPECT_EQ(w_->StatusBar1[1]->text(), QString());
    EXPECT_TRUE(w_->closeTab());
    EXPECT_EQ(w_->PageControl1->count(), 0);

    // Not UTF-8: shown read-only with a message, never saved back.
    std::ofstream(base_ / "cp.sql", std::ios::binary) << "select '\xC0\xC1' from t";
    ASSERT_TRUE(w_->openFile(QString::fromStdString((base_ / "cp.sql").string())));
    EXPECT_TRUE(w_->currentEditor()->isReadOnly());
    EXPECT_TRUE(lastMessage().endsWith(QStringLiteral("not UTF-8 text (binary or another encoding); shown read-only.")));
    EXPECT_EQ(w_->currentEditor()->toPlainText(), QStringLiteral("select 'АБ' from t"));
}

TEST_F(ScriptWindow, KeywordsAreColouredBoldInTheirColour) {
    QPlainTextEdit* e = w_->currentEditor();
    e->setPlainText(QStringLiteral("select count(x), 'ab', 12 from t"));
    QApplication::processEvents();
    const QList<QTextLayout::FormatRange> f = e->document()->firstBlock().layout()->formats();
    auto formatAt = [&](int pos) -> QTextCharFormat {
        for (const auto& r : f)
            if (pos >= r.start && pos < r.start + r.length) return r.format;
        return {};
    };
    EXPECT_EQ(formatAt(0).foreground().color(), QColor(Qt::blue));
    EXPECT_EQ(formatAt(0).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(7).foreground().color(), QColor(0, 128, 0));     // COUNT: function
    EXPECT_EQ(formatAt(17).foreground().color(), QColor(0, 0, 128));    // 'ab': string
    EXPECT_EQ(formatAt(23).foreground().color(), QColor(Qt::red));      // 12: number
    EXPECT_EQ(formatAt(14).fontWeight(), QFont::Normal);                // x: none
}

}  // namespace
