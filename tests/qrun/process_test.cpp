// Qrun started as a process (offscreen) the way the commander starts it: aliases of a real
// SQLite file and an embedded Firebird database, a failing statement, a failing connect and a
// missing alias. The program's snapshot mode tells what its window showed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "engine/query.h"
#include "firebird/fbtest.h"
#include "qrun/qrunlaunch.h"
#include "qrunprocess.h"

using namespace vlm;
namespace fs = std::filesystem;

namespace {

class QrunProcess : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("vlm-qrun-proc-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const std::string sqlite = (dir_ / "demo.sqlite").string();
        fb_ = new test::FbDatabase(test::FbDatabase::make(false, "qrun"));
        {
            auto conn = fb_->connect();
            for (const char* sql : {"create table EMP (ID integer, NAME varchar(20))",
                                    "insert into EMP values (1, 'Anna')", "insert into EMP values (2, 'Boris')",
                                    "insert into EMP values (3, 'Vera')"})
                test::exec(*conn, sql);
        }
        engine::Query q;
        q.setDatabaseName("SQLITE:" + sqlite);
        for (const char* sql : {"create table EMP (ID integer, NAME varchar(20))",
                                "insert into EMP values (1, 'Anna')", "insert into EMP values (2, 'Boris')",
                                "insert into EMP values (3, 'Vera')"}) {
            q.setSql(sql);
            q.execSql();
        }
        q.close();
        std::ofstream cfg(dir_ / "IDAPI32.CFG");
        cfg << "[\\DATABASES\\QSQLITE\\DB INFO]\nTYPE=SQLITE\nSERVER NAME=" << sqlite << "\n"
            << "[\\DATABASES\\QFB\\DB INFO]\nTYPE=INTRBASE\nSERVER NAME=" << fb_->params.target << "\n"
            << "[\\DATABASES\\QGONE\\DB INFO]\nTYPE=INTRBASE\nSERVER NAME=" << (dir_ / "gone.fdb").string() << "\n";
    }
    static void TearDownTestSuite() {
        delete fb_;
        fs::remove_all(dir_);
    }

    static fs::path dir_;
    static test::FbDatabase* fb_;
};
fs::path QrunProcess::dir_;
test::FbDatabase* QrunProcess::fb_ = nullptr;

TEST_F(QrunProcess, OpensTheQueryOrShowsWhyNot) {
    struct Case {
        const char* name;
        std::string alias, user, statement;
        int status;
        const char* error;                           // a part of the error shown, or nullptr
        std::map<std::string, std::string> shown;   // exact lines
        std::map<std::string, std::string> starts;  // lines starting so
    };
    const std::string multiLine = "select NAME, ID\n  from EMP\n where NAME <> '  '\n order by ID";
    const std::vector<Case> cases = {
        {"SQLite alias", "QSQLITE", "tester", multiLine, 0, nullptr,
         {{"caption", "SQL Query Application (Alias= QSQLITE)"}, {"memo", "select NAME, ID\\n  from EMP\\n where NAME <> '  '\\n order by ID"},
          {"columns", "NAME|ID"}, {"rows", "3"}, {"row1", "Anna|1"}},
         {{"status0", "ConnectTime= 00:00:"}, {"status1", "QueryTime= 00:00:"}}},
        {"embedded Firebird alias", "QFB", "tester", multiLine, 0, nullptr,
         {{"caption", "SQL Query Application (Alias= QFB)"}, {"columns", "NAME|ID"}, {"rows", "3"}, {"row1", "Anna|1"}},
         {{"status0", "ConnectTime= 00:00:"}, {"status1", "QueryTime= 00:00:"}}},
        {"failing statement", "QSQLITE", "tester", "select * from NOSUCH", 1, "NOSUCH",
         {{"status1", ""}, {"rows", "0"}, {"memo", "select * from NOSUCH"}}, {{"status0", "ConnectTime= "}}},
        {"failing connect", "QGONE", "tester", "select * from EMP", 1, "gone.fdb",
         {{"status0", ""}, {"status1", ""}, {"memo", "select * from EMP"}}, {}},
        // Words that are options of the window system stay arguments of the runner.
        {"arguments that look like options", "QSQLITE", "-reverse", "-style", 1, "syntax",
         {{"memo", "-style"}, {"status1", ""}}, {{"status0", "ConnectTime= "}}},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path png = dir_ / ("snap" + std::to_string(++n) + ".png");
        qrun::test::RunResult r = qrun::test::runQrun({c.alias, c.user, "", c.statement}, "secret", png,
                                                      (dir_ / "IDAPI32.CFG").string());
        EXPECT_EQ(r.status, c.status) << r.stderrText;
        for (const auto& [key, value] : c.shown) EXPECT_EQ(r.line(key), value) << key;
        for (const auto& [key, value] : c.starts) EXPECT_EQ(r.line(key).rfind(value, 0), 0u) << key << ": " << r.line(key);
        if (c.error) EXPECT_NE(r.line("error").find(c.error), std::string::npos) << r.line("error");
        else EXPECT_EQ(r.line("error"), "<none>");
        EXPECT_TRUE(fs::exists(png));
    }
}

TEST_F(QrunProcess, WithoutAnAliasItExplainsItsCommandLine) {
    QProcess p;
    p.start(QString::fromStdString(qrun::test::qrunProgram()), {});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().startsWith("Usage: Qrun ALIAS USER PASSWORD STATEMENT"));
}

}  // namespace
