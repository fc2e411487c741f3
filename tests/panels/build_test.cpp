// The panel list build against real databases: the demo folder, the embedded Firebird demo,
// the PostgreSQL cluster, and the ORACLE and SQLBASE routes over their dictionary fixtures
// (partition marks and comments), and a database that cannot be opened.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "engine/database.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "fixtures/servers.h"
#include "panels/demodata.h"
#include "panels/names.h"
#include "panels/panelbuild.h"
#include "panels/tableinfo.h"

namespace vlm::panels {
namespace {

namespace fs = std::filesystem;

// Defaults of the test's environment, for a run outside ctest too.
const bool kEnvironment = [] {
    ::setenv("VLM_PG_STATE", VLM_PANELS_PG_STATE, 0);
    ::setenv("VLM_TEST_TMP", VLM_PANELS_TMP, 0);
    ::setenv("FIREBIRD_LOCK", VLM_PANELS_FB_LOCK, 0);
    return true;
}();

std::string scratch(const std::string& name) {
    const char* t = std::getenv("VLM_TEST_TMP");
    fs::path p = fs::path(t ? t : fs::temp_directory_path().string()) / ("panels_" + name);
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

bool has(const TMyTableList& l, const std::string& n) { return l.indexOf(n) >= 0; }

TEST(PanelBuild, DemoFolderListsItsTableFiles) {
    auto demo = ensureDemoDatabases(scratch("demo"));
    ASSERT_TRUE(demo.errors.empty()) << demo.errors.front();
    engine::Database db;
    db.setDatabaseName(demo.folder);
    auto r = buildTableList(db, {}, true, Formats());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.sqlBased);
    EXPECT_EQ(r.kind, ServerKind::STANDARD);
    EXPECT_FALSE(r.commentsFetched);
    ASSERT_GT(r.list.count(), 0u);
    bool sawDbf = false;
    for (const auto& n : r.list.lookupNames) {
        std::string ext = r.list.extension(n);
        EXPECT_NE(n.find('.'), std::string::npos) << n;   // local names carry their extension once
        EXPECT_EQ(n.find("." + ext + "." + ext), std::string::npos) << n;
        EXPECT_EQ(imageIndex(r.list, n, false, ""), ext == "DBF" ? 0 : 1) << n;
        EXPECT_FALSE(r.list.fileName(n).empty());
        EXPECT_FALSE(r.list.dateTime(n).empty());
        sawDbf = sawDbf || ext == "DBF";
    }
    EXPECT_TRUE(sawDbf);
    // A name filter with except keeps all the others; an owner mask has no effect locally.
    const std::string& front = r.list.lookupNames.front();
    const std::string first = front.substr(0, front.rfind('.'));   // the mask sees the name without extension
    ListScope exceptFirst{false, false, true, first, "NOBODY", true, ""};
    auto r2 = buildTableList(db, exceptFirst, true, Formats());
    ASSERT_TRUE(r2.ok);
    EXPECT_EQ(r2.list.count() + 1, r.list.count());
    EXPECT_FALSE(has(r2.list, r.list.lookupNames.front()));
}

TEST(PanelBuild, EmbeddedFirebirdDemo) {
    if (!engine::DriverRegistry::standard().has("INTRBASE")) GTEST_SKIP() << "Firebird is not part of this build";
    auto demo = ensureDemoDatabases(scratch("fbdemo"));
    ASSERT_TRUE(demo.errors.empty()) << demo.errors.front();
    ASSERT_FALSE(demo.firebird.empty());
    // Made once: a second call keeps the file.
    auto again = ensureDemoDatabases(fs::path(demo.firebird).parent_path().string());
    EXPECT_TRUE(again.errors.empty());
    engine::Database db;
    db.setDatabaseName(demo.firebird);
    db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey"};
    auto r = buildTableList(db, {}, true, Formats());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.sqlBased);
    EXPECT_EQ(r.kind, ServerKind::INTERBASE);
    auto name = [&](const std::string& t) {
        for (const auto& n : r.list.lookupNames)
            if (namePart(n) == t || n == t) return n;
        return std::string();
    };
    ASSERT_FALSE(name("CRAFTSMAN").empty());
    ASSERT_FALSE(name("WORKSHOP_STAFF").empty());
    EXPECT_TRUE(r.list.isView(name("WORKSHOP_STAFF")));
    EXPECT_EQ(imageIndex(r.list, name("WORKSHOP_STAFF"), true, "SYSDBA"), 3);
    EXPECT_EQ(imageIndex(r.list, name("CRAFTSMAN"), true, "SYSDBA"), 2);
    // System tables only with the system-tables flag.
    ListScope all;
    all.systemTables = true;
    auto rs = buildTableList(db, all, true, Formats());
    ASSERT_TRUE(rs.ok);
    EXPECT_GT(rs.list.count(), r.list.count());
}

TEST(PanelBuild, AFailedOpenIsReportedNotThrown) {
    engine::Database db;
    db.setDatabaseName("/nonexistent/vlm/panels/dir/x.fdb");
    auto r = buildTableList(db, {}, true, Formats());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(r.list.count(), 0u);
}

// Tables named as the real server reports them (upper case), beside the fixture's catalog rows.
void makeTables(engine::Database& db, const std::vector<std::string>& statements) {
    db.open();
    for (const auto& sql : statements) {
        engine::Query q;
        q.setDatabase(&db);
        q.setSql(sql);
        q.execSql();
    }
    if (db.inTransaction()) db.commit();
}

// The kind's route to its fixture: the server name is the target, the fixture database a parameter.
std::vector<std::string> odbcParams(const std::string& port, const std::string& db) {
    return {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=" + db, "CONNECT STRING=PORT=" + port, "USER NAME=pgtest"};
}

TEST(PanelBuild, OracleFixturePartitionsAndComments) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return;
    engine::Database db;
    db.setDatabaseName("ORACLE:127.0.0.1");
    db.params() = odbcParams(port, "vlm_oracle");
    makeTables(db, {"CREATE SCHEMA IF NOT EXISTS \"SCOTT\"",
                    "CREATE TABLE IF NOT EXISTS \"SCOTT\".\"EMP\" (EMPNO integer)",
                    "CREATE TABLE IF NOT EXISTS \"SCOTT\".\"SALES\" (SALE_ID integer)",
                    "CREATE SCHEMA IF NOT EXISTS \"SYS\"",
                    "CREATE TABLE IF NOT EXISTS \"SYS\".\"DUAL\" (DUMMY varchar(1))"});
    ListScope scope;
    scope.loginUser = "SYSTEM";   // SCOTT's tables belong to another user
    auto r = buildTableList(db, scope, true, Formats());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.kind, ServerKind::ORACLE);
    EXPECT_EQ(r.oracleVersion, "8");
    std::string names;
    for (const auto& n : r.list.lookupNames) names += n + " ";
    ASSERT_TRUE(has(r.list, "SCOTT.SALES")) << names;
    EXPECT_TRUE(r.list.isPartitioned("SCOTT.SALES"));
    EXPECT_FALSE(r.list.isPartitioned("SCOTT.EMP"));
    EXPECT_EQ(imageIndex(r.list, "SCOTT.SALES", true, "SYSTEM"), 4);
    EXPECT_TRUE(r.commentsFetched);
    EXPECT_EQ(r.list.comment("SCOTT.EMP"), "Employees of the company");
    EXPECT_EQ(r.list.comment("SCOTT.SALES"), "");
    // With the option off no comment query runs.
    auto off = buildTableList(db, scope, false, Formats());
    ASSERT_TRUE(off.ok);
    EXPECT_FALSE(off.commentsFetched);
    EXPECT_EQ(off.list.comment("SCOTT.EMP"), "");
    // "User Tables" of SCOTT keeps SCOTT's tables and drops SYS.DUAL.
    ListScope user;
    user.userTablesOnly = true;
    user.loginUser = "scott";
    auto u = buildTableList(db, user, false, Formats());
    ASSERT_TRUE(u.ok);
    EXPECT_TRUE(has(u.list, "SCOTT.EMP"));
    EXPECT_FALSE(has(u.list, "SYS.DUAL"));
    // The version query of the current-table fill.
    EXPECT_EQ(oracleVersion(db), "8");
}

TEST(PanelBuild, SqlBaseFixtureComments) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return;
    engine::Database db;
    db.setDatabaseName("SQLBASE:127.0.0.1");
    db.params() = odbcParams(port, "vlm_sqlbase");
    makeTables(db, {"CREATE SCHEMA IF NOT EXISTS \"SYSADM\"",
                    "CREATE TABLE IF NOT EXISTS \"SYSADM\".\"CUSTOMER\" (CUST_ID integer)"});
    auto r = buildTableList(db, {}, true, Formats());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.kind, ServerKind::SQLBASE);
    EXPECT_TRUE(r.commentsFetched);
    EXPECT_EQ(r.list.comment("SYSADM.CUSTOMER"), "Customers of the island shop");
}

TEST(PanelBuild, PostgresIsOtherAndSqlBased) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return;
    engine::Database db;
    db.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/vlmtest");
    db.params() = {"USER NAME=pgtest"};
    auto r = buildTableList(db, {}, true, Formats());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.kind, ServerKind::OTHER);
    EXPECT_TRUE(r.sqlBased);
    EXPECT_FALSE(r.commentsFetched);
}

}  // namespace
}  // namespace vlm::panels
