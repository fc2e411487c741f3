// The SQL trace from the main window as a user drives it: the toggle button and "Set Trace"
// mirror each other, "Show" and "Clear Log" act only while tracing, the monitor window shows
// what the log held at "Show" (statements of worker threads included).
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/database.h"
#include "engine/query.h"
#include "panels/recordingprompts.h"
#include "panels/shellhooks.h"
#include "shell/formmain.h"
#include "sqltrace/commands.h"
#include "sqltrace/tracemonitor.h"

using namespace vlm;
using namespace vlm::sqltrace;
namespace fs = std::filesystem;
namespace cmd = vlm::shell::cmd;

namespace {

class Monitor : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("vlm-sqltrace-main-" + std::to_string(::getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_ / "bin");
        fs::create_directories(base_ / "data");
        const std::string dir = (base_ / "bin").string() + "/";
        for (const char* dic : {"VLMSQLC.DIC", "VLMSQLF.DIC", "VLMPLSQL.DIC"}) std::ofstream(base_ / "bin" / dic) << "SELECT\n";
        const std::string data = (base_ / "data").string();
        std::ofstream(dir + "VLM32.INI") << "[DATABASE NAMES]\nLEFTDATABASE=" << data << "\nRIGHTDATABASE=" << data
                                         << "\n[DATABASE LOGINS]\nLEFTUSERNAME=U\nLEFTUSERPASSWORD=P\nRIGHTUSERNAME=U\nRIGHTUSERPASSWORD=P\n[SETUP]\nLANGUAGE=2\n";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((base_ / "xdg").string()));
        static bool registered = false;
        if (!registered) shell::TForm1::addCommandProvider(&registerCommands);
        registered = true;
        prompts_ = std::make_shared<RecordingPrompts>();
        form_ = new shell::TForm1(QString::fromStdString(dir), panels::makeShellHooks(prompts_));
        form_->show();
        monitor_ = traceMonitorOf(*form_);
        ASSERT_NE(monitor_, nullptr);
        sqlite_ = "SQLITE:" + (base_ / "t.sqlite").string();
    }
    void TearDown() override {
        delete form_;
        fs::remove_all(base_);
    }
    QToolButton* button() { return form_->toolButton(cmd::BSQLMonitor); }
    QAction* setTrace() { return form_->action(cmd::SetTrace); }
    void run(const std::string& sql) {
        engine::Database db;
        db.setDatabaseName(sqlite_);
        engine::Query q;
        q.setDatabase(&db);
        q.setSql(sql);
        q.execSql();
    }
    QStringList shown() {
        QStringList out;
        auto* m = monitor_->monitor()->MemoSQLMonitor->model();
        for (int i = 0; i < m->rowCount(); ++i) out << m->index(i, 0).data().toString();
        return out;
    }
    bool shows(const QString& part) { return !shown().filter(part).isEmpty(); }

    fs::path base_;
    std::string sqlite_;
    std::shared_ptr<RecordingPrompts> prompts_;
    shell::TForm1* form_ = nullptr;
    TTraceMonitor* monitor_ = nullptr;
};

TEST_F(Monitor, ButtonAndMenuItemSwitchTracingAndMirrorEachOther) {
    ASSERT_TRUE(button()->isEnabled());
    EXPECT_FALSE(monitor_->tracing());
    button()->click();
    EXPECT_TRUE(monitor_->tracing());
    EXPECT_TRUE(setTrace()->isChecked());
    EXPECT_TRUE(monitor_->DBTrace1().trace());

    setTrace()->trigger();   // checked: switches off
    EXPECT_FALSE(monitor_->tracing());
    EXPECT_FALSE(button()->isChecked());
    EXPECT_FALSE(monitor_->DBTrace1().trace());

    setTrace()->trigger();
    EXPECT_TRUE(monitor_->tracing());
    EXPECT_TRUE(button()->isChecked());
    EXPECT_TRUE(monitor_->DBTrace1().active());
    button()->click();
    EXPECT_FALSE(monitor_->tracing());
    EXPECT_FALSE(setTrace()->isChecked());
}

TEST_F(Monitor, ShowAndClearActOnlyWhileTracing) {
    form_->commands().trigger(cmd::ShowSQLMonitor);
    EXPECT_EQ(monitor_->monitor(), nullptr) << "Show with the button up";

    button()->click();
    run("create table T (A integer)");
    std::thread worker([&] { run("insert into T values (42)"); });
    worker.join();
    form_->commands().trigger(cmd::ShowSQLMonitor);
    ASSERT_NE(monitor_->monitor(), nullptr);
    EXPECT_TRUE(monitor_->monitor()->isVisible());
    EXPECT_EQ(monitor_->monitor()->windowTitle(), QStringLiteral("SQL Monitor"));
    EXPECT_TRUE(shows(QStringLiteral("create table T"))) << shown().join('\n').toStdString();
    EXPECT_TRUE(shows(QStringLiteral("insert into T values (42)"))) << "a worker thread's statement";

    // A copy: later messages show at the next "Show".
    run("insert into T values (43)");
    QApplication::processEvents();
    EXPECT_FALSE(shows(QStringLiteral("values (43)")));
    form_->commands().trigger(cmd::ShowSQLMonitor);
    EXPECT_TRUE(shows(QStringLiteral("values (43)")));

    // Ctrl+C copies the selected lines.
    auto* view = monitor_->monitor()->MemoSQLMonitor;
    view->selectAll();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("values (43)")));

    form_->commands().trigger(cmd::ClearSQLLog);
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(monitor_->log()->lineCount(), 0u);

    // Switching off and on starts with an empty log; Clear with the button up does nothing.
    run("insert into T values (44)");
    button()->click();
    form_->commands().trigger(cmd::ClearSQLLog);
    button()->click();
    EXPECT_EQ(monitor_->log()->lineCount(), 0u);
    form_->commands().trigger(cmd::ShowSQLMonitor);
    EXPECT_FALSE(shows(QStringLiteral("values (44)")));

    // Closing the window frees it; "Show" makes a new one.
    monitor_->monitor()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(monitor_->monitor(), nullptr);
    form_->commands().trigger(cmd::ShowSQLMonitor);
    EXPECT_NE(monitor_->monitor(), nullptr);
    EXPECT_TRUE(prompts_->messages.isEmpty()) << prompts_->messages.join('\n').toStdString();
}

}  // namespace
