// Script runs through the engine against every kind of database here: an embedded Firebird
// file, the Firebird and PostgreSQL test servers, ODBC to SQLite and to PostgreSQL, a SQLite
// file and a directory of dBase tables; with "Use Transaction" off and on. Also the log of a
// SELECT, the result text, and what a dead connection leaves in the log.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "engine/session.h"
#include "fixtures/servers.h"
#include "shell/language.h"
#include "sqlexec/scriptrun.h"

namespace fs = std::filesystem;
using namespace vlm::engine;
using namespace vlm::sqlexec;

namespace {

void execOn(const std::string& driver, ConnectParams p, const std::vector<std::string>& sql) {
    auto c = DriverRegistry::standard().create(driver)->connect(p, nullTracer());
    for (const auto& s : sql) c->prepare(s)->execute();
}

std::int64_t count(Database& db, const std::string& table) {
    Query q;
    q.setDatabase(&db);
    q.setSql("select count(*) from " + table);
    q.open();
    const std::int64_t n = q.field(0).asInteger();
    q.close();
    return n;
}

struct Target {
    std::string alias;
    std::string table;   // the test table's name in SQL
    std::string create;  // its CREATE TABLE
};

class ScriptRuns : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        vlm::shell::setLanguageSetting(2);
        pgPort = vlm::test::serverPort("VLM_PG_STATE");
        fbPort = vlm::test::serverPort("VLM_FB_STATE");
        if (pgPort.empty() || fbPort.empty()) return;
        const std::string fbState = std::getenv("VLM_FB_STATE");
        const std::string fbUser = vlm::test::readFile(fbState + "/user");
        const std::string fbPassword = vlm::test::readFile(fbState + "/password");
        const std::string unique = std::to_string(::getpid());
        dir = fs::temp_directory_path() / ("vlm_sqlexec_runs_" + unique);
        fs::remove_all(dir);
        fs::create_directories(dir / "local");
        schema = "sx_" + unique;
        const std::string embedded = (dir / "embedded.fdb").string();
        const std::string server =
            "127.0.0.1/" + fbPort + ":" + vlm::test::readFile(fbState + "/datadir") + "/sqlexec_" + unique + ".fdb";
        fbServerFile = server.substr(server.find(':') + 1);
        execOn("INTRBASE", {embedded, {{"USER NAME", "TESTER"}, {"CREATE", "TRUE"}}}, {});
        execOn("INTRBASE", {server, {{"USER NAME", fbUser}, {"PASSWORD", fbPassword}, {"CREATE", "TRUE"}}}, {});
        execOn("POSTGRESQL", pgAdmin(), {"DROP SCHEMA IF EXISTS " + schema + " CASCADE", "CREATE SCHEMA " + schema});
        const std::string cfg = (dir / "IDAPI32.CFG").string();
        std::ofstream f(cfg);
        f << "[\\DATABASES\\FBE\\DB INFO]\nTYPE=INTRBASE\nSERVER NAME=" << embedded << "\nUSER NAME=TESTER\n"
          << "[\\DATABASES\\FBS\\DB INFO]\nTYPE=INTRBASE\nSERVER NAME=" << server << "\nUSER NAME=" << fbUser
          << "\nPASSWORD=" << fbPassword << "\n"
          << "[\\DATABASES\\PGP\\DB INFO]\nTYPE=POSTGRESQL\nSERVER NAME=127.0.0.1\nPORT=" << pgPort
          << "\nDATABASE NAME=vlmtest\nUSER NAME=pgtest\n"
          << "[\\DATABASES\\ODBCL\\DB INFO]\nTYPE=ODBC\nODBC DRIVER=SQLite3\nDATABASE NAME="
          << (dir / "odbc.sqlite").string() << "\n"
          << "[\\DATABASES\\ODBCP\\DB INFO]\nTYPE=ODBC\nODBC DRIVER=PostgreSQL Unicode\nSERVER NAME=127.0.0.1\n"
          << "DATABASE NAME=vlmtest\nCONNECT STRING=PORT=" << pgPort << "\nUSER NAME=pgtest\n"
          << "[\\DATABASES\\LITE\\DB INFO]\nTYPE=SQLITE\nSERVER NAME=" << (dir / "lite.sqlite").string() << "\n";
        f.close();
        Session::defaultSession().loadConfig(cfg);
    }
    static void TearDownTestSuite() {
        if (!pgPort.empty()) {
            try {
                execOn("POSTGRESQL", pgAdmin(), {"DROP SCHEMA IF EXISTS " + schema + " CASCADE"});
            } catch (const EngineError&) {
                // Cleaning up only: a schema left behind is dropped with the test cluster.
            }
        }
        std::error_code ec;
        if (!fbServerFile.empty()) fs::remove(fbServerFile, ec);
        fs::remove_all(dir, ec);
    }
    void SetUp() override { ASSERT_FALSE(pgPort.empty() || fbPort.empty()) << "the test servers are needed"; }

    static ConnectParams pgAdmin() { return {"127.0.0.1:" + pgPort + "/vlmtest", {{"USER NAME", "pgtest"}}}; }

    // Every database with a fresh table name of its own.
    static std::vector<Target> targets(const std::string& base) {
        std::vector<Target> t;
        const std::string cols = " (ID INTEGER, NAME VARCHAR(20))";
        for (const char* a : {"FBE", "FBS", "LITE", "ODBCL"}) t.push_back({a, base, "create table " + base + cols});
        t.push_back({"PGP", schema + "." + base, "create table " + schema + "." + base + cols});
        t.push_back({"ODBCP", schema + "." + base + "_o", "create table " + schema + "." + base + "_o" + cols});
        t.push_back({(dir / "local").string(), "\"" + base + ".DBF\"",
                     "create table \"" + base + ".DBF\" (ID NUMERIC(6,0), NAME CHAR(20))"});
        return t;
    }

    static inline std::string pgPort, fbPort, schema, fbServerFile;
    static inline fs::path dir;
};

TEST_F(ScriptRuns, EveryDatabaseRunsAScriptAndLogsIt) {
    for (const Target& t : targets("RUNS")) {
        SCOPED_TRACE(t.alias);
        Database db;
        db.setDatabaseName(t.alias);
        db.open();
        const std::string script = t.create + ";\n"
                                   "insert into " + t.table + " values (1, 'one; with delimiter');\n"
                                   "insert into " + t.table + " values (2, 'two');\n"
                                   "-- a comment between statements\n"
                                   "update " + t.table + " set NAME = 'zwei' where ID = 2;\n"
                                   "insert into no_such_table values (1);\n"
                                   "select ID, NAME from " + t.table + " order by ID;\n"
                                   "delete from " + t.table + " where ID = 7";
        ScriptOptions o;
        std::ostringstream log;
        const ScriptOutcome r = runScript(db, script, o, log);
        const std::string text = log.str();
        EXPECT_EQ(r.statements, 7);
        EXPECT_EQ(r.failed, 1) << text;
        EXPECT_NE(text.find("insert into " + t.table + " values (1, 'one; with delimiter')\n\nStart: "),
                  std::string::npos) << text;
        EXPECT_NE(text.find("Executed successed!: Inserted: 1 rows\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Executed successed!: RowsAffected: 1 rows\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Executed successed!: Deleted: 0 rows\n"), std::string::npos) << text;
        EXPECT_NE(text.find("one; with delimiter"), std::string::npos);
        EXPECT_NE(text.find("zwei"), std::string::npos) << text;
        EXPECT_NE(text.find("Selected 2 rows\n"), std::string::npos) << text;
        const std::string end = "\n\nSQL script ended with errors.\n\n";
        EXPECT_EQ(text.substr(text.size() - end.size()), end);
        EXPECT_EQ(count(db, t.table), 2);
    }
}

TEST_F(ScriptRuns, UseTransactionKeepsChangesUntilCommitOrRollback) {
    for (const Target& t : targets("TRX")) {
        SCOPED_TRACE(t.alias);
        Database db;
        db.setDatabaseName(t.alias);
        db.open();
        ScriptOptions plain;
        std::ostringstream log;
        ASSERT_EQ(runScript(db, t.create, plain, log).failed, 0) << log.str();
        const bool sql = db.isSqlBased();

        ScriptOptions o;
        o.useTransaction = true;
        log.str("");
        ScriptOutcome r = runScript(db, "insert into " + t.table + " values (1, 'a');\nrollback;", o, log);
        EXPECT_EQ(r.failed, 0) << log.str();
        EXPECT_EQ(log.str().rfind("\nStart Transaction\n\n", 0) == 0, sql) << log.str();
        EXPECT_EQ(count(db, t.table), sql ? 0 : 1);   // local tables have no transactions
        EXPECT_FALSE(db.inTransaction());

        log.str("");
        r = runScript(db, "insert into " + t.table + " values (2, 'b');", o, log);
        EXPECT_EQ(db.inTransaction(), sql);            // waits for COMMIT or ROLLBACK
        log.str("");
        r = runScript(db, "commit", o, log);
        EXPECT_FALSE(db.inTransaction());
        EXPECT_EQ(count(db, t.table), sql ? 1 : 2);

        // Without the box, COMMIT finds no transaction.
        ScriptOptions off;
        log.str("");
        runScript(db, "commit;", off, log);
        EXPECT_NE(log.str().find("commit\n\nNot transaction!\n"), std::string::npos) << log.str();
        // START TRANSACTION ticks the box on SQL servers.
        log.str("");
        runScript(db, "start transaction;", off, log);
        EXPECT_EQ(off.useTransaction, sql);
        EXPECT_EQ(db.inTransaction(), sql);
        if (sql) db.rollback();
    }
}

TEST_F(ScriptRuns, ResultTextAndUnterminatedRest) {
    Database db;
    db.setDatabaseName("LITE");
    db.open();
    Query q;
    bindQuery(q, db, false);
    q.setSql("select 12 as N, 'abc' as NAME");
    std::ostringstream out;
    writeResultText(q, out, "SQL Script", false);
    std::istringstream lines(out.str());
    std::string l1, l2, l3, l4, l5, more;
    std::getline(lines, l1), std::getline(lines, l2), std::getline(lines, l3), std::getline(lines, l4),
        std::getline(lines, l5);
    EXPECT_EQ(l1, "Таблица: SQL Script");
    EXPECT_EQ(l2.rfind("Start: ", 0), 0u);
    EXPECT_NE(l2.find("; Time: 00:00:"), std::string::npos);
    EXPECT_EQ(l3.substr(0, 2), "N ");
    EXPECT_EQ(l4, std::string(l4.size(), '-'));
    EXPECT_EQ(l5.rfind("12", 0), 0u);
    EXPECT_FALSE(std::getline(lines, more));
    EXPECT_FALSE(q.active());

    ScriptOptions o;
    std::ostringstream log;
    const ScriptOutcome r =
        runScript(db, "create table U (A text);\ninsert into U values ('x);\ninsert into U values ('y');", o, log);
    EXPECT_EQ(r.statements, 2);
    EXPECT_EQ(r.failed, 1);
    EXPECT_NE(log.str().find("Unterminated quoted text: the statement was not run."), std::string::npos);
    EXPECT_EQ(count(db, "U"), 0);
}

// The server ends the connection between two runs: each statement logs the engine's error,
// and the database opens again for the next run.
TEST_F(ScriptRuns, ServerGoneLogsEachRemainingStatement) {
    Database db;
    db.setDatabaseName("FBS");
    db.open();
    Query id;
    id.setDatabase(&db);
    id.setSql("select current_connection from rdb$database");
    id.open();
    const std::string attachment = id.field(0).asString();
    id.close();
    Database admin;
    admin.setDatabaseName("FBS");
    admin.open();
    Query kill;
    kill.setDatabase(&admin);
    kill.setSql("delete from mon$attachments where mon$attachment_id = " + attachment);
    kill.execSql();
    admin.close();
    ScriptOptions o;
    std::ostringstream log;
    const ScriptOutcome gone = runScript(db, "select 2 from rdb$database;\nselect 3 from rdb$database;", o, log);
    EXPECT_EQ(gone.failed, 2) << log.str();
    EXPECT_NE(log.str().find("SQL script ended with errors."), std::string::npos);
    db.close();
    db.open();
    log.str("");
    EXPECT_EQ(runScript(db, "select 4 from rdb$database;", o, log).failed, 0) << log.str();
}

}  // namespace
