// The administration windows' reads and statements on real databases: the Oracle, MS SQL and
// SQLBase dictionary fixtures, the PostgreSQL and SQLite servers, and Firebird's users and roles
// on the test Firebird server (a user created, used to log in from vlmtool, dropped).
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <map>
#include <memory>

#include "admin/dbinfo.h"
#include "admin/rollback.h"
#include "admin/security.h"
#include "admin/sqlrun.h"
#include "engine/database.h"
#include "engine/session.h"
#include "fixtures/servers.h"

namespace vlm::admin {
namespace {

using panels::ServerKind;

engine::Database& fixture(const std::string& kind) {
    static std::map<std::string, std::unique_ptr<engine::Database>> open;
    auto& slot = open[kind];
    if (!slot) {
        std::string port = vlm::test::serverPort("VLM_PG_STATE");
        std::string lower = kind;
        for (auto& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
        slot = std::make_unique<engine::Database>();
        slot->setDatabaseName(kind + ":127.0.0.1");
        slot->params() = {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlm_" + lower,
                          "CONNECT STRING=PORT=" + port, "USER NAME=pgtest"};
    }
    return *slot;
}

std::vector<std::string> column(const TextRows& r, std::size_t c) {
    std::vector<std::string> out;
    for (const auto& row : r.rows) out.push_back(row.at(c));
    return out;
}

TEST(Fixtures, OracleUsersRolesAndTablePrivileges) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    engine::Database& db = fixture("ORACLE");
    EXPECT_EQ(column(selectRows(db, kOracleUsersSql), 0), (std::vector<std::string>{"HR", "SCOTT", "SYS", "SYSTEM"}));
    EXPECT_EQ(selectRows(db, kOracleUsersSql).columns.size(), 2u);
    EXPECT_EQ(column(selectRows(db, kOracleUserNamesSql), 0).size(), 4u);
    EXPECT_EQ(column(selectRows(db, kOracleRoleNamesSql), 0),
              (std::vector<std::string>{"CONNECT", "DBA", "HR_ROLE", "RESOURCE"}));

    TextRows all = selectRows(db, tablePrivilegesSql(false));
    ASSERT_EQ(all.rows.size(), 3u);
    ASSERT_EQ(all.columns.size(), 6u);
    TextRows hr = selectRows(db, tablePrivilegesSql(true), {{"OWNER", "HR_ROLE"}});
    ASSERT_EQ(hr.rows.size(), 1u);
    EXPECT_EQ(hr.rows[0][0], "SCOTT.EMP");
    EXPECT_EQ(hr.rows[0][5], "GRANT UPDATE ON SCOTT.EMP TO HR_ROLE WITH GRANT OPTION");
    TextRows pub = selectRows(db, tablePrivilegesSql(true), {{"OWNER", "PUBLIC"}});
    ASSERT_EQ(pub.rows.size(), 1u);
    EXPECT_EQ(pub.rows[0][5], "GRANT SELECT ON SCOTT.DEPT TO PUBLIC");
}

TEST(Fixtures, OracleRollbackSegmentsListThoseWithoutStatistics) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    TextRows r = selectRows(fixture("ORACLE"), rollbackSegmentsSql());
    ASSERT_EQ(r.rows.size(), 3u);
    ASSERT_EQ(r.columns.size(), 10u);
    EXPECT_EQ(column(r, 1), (std::vector<std::string>{"SYSTEM", "RB1", "RB_OLD"}));
    EXPECT_EQ(std::stod(r.rows[1][4]), 100.0);   // initial extent in kB
    EXPECT_EQ(std::stod(r.rows[1][9]), 2.0);     // 2 MB in use
    EXPECT_EQ(r.rows[2][8], "OFFLINE");
    EXPECT_EQ(r.rows[2][9], "");                 // no statistics row: no current size
}

TEST(Fixtures, UserListsOfMssqlAndSqlbase) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    TextRows ms = selectRows(fixture("MSSQL"), kMssqlUsersSql);
    EXPECT_EQ(column(ms, 1), (std::vector<std::string>{"sa", "guest", "sales"}));
    TextRows sb = selectRows(fixture("SQLBASE"), kSqlbaseUsersSql);
    EXPECT_EQ(column(sb, 0), (std::vector<std::string>{"CLERK", "GUEST", "SYSADM"}));
    EXPECT_EQ(sb.rows[0][2], "G");
    EXPECT_TRUE(authorityHeld(sb.rows[0][2]));
}

TEST(Fixtures, AliasInformationServerVersionPerKind) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    auto& s = engine::Session::defaultSession();
    DbInfo ora = readDbInfo(s, "ORACLE:127.0.0.1", &fixture("ORACLE"));
    EXPECT_EQ(ora.driverName, "ORACLE");
    EXPECT_EQ(ora.databaseType, "Oracle8 Enterprise Edition Release 8.0.5.0.0 - Production ( Oracle 8.0.5.0.0 )");
    // The MS SQL version query is not understood by the fixture: the driver's type stays.
    DbInfo ms = readDbInfo(s, "MSSQL:127.0.0.1", &fixture("MSSQL"));
    EXPECT_EQ(ms.databaseType, s.databaseType("MSSQL"));

    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    engine::Database pg;
    pg.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/vlmtest");
    pg.params() = {"USER NAME=pgtest"};
    pg.open();
    EXPECT_EQ(readDbInfo(s, pg.databaseName(), &pg).databaseType.rfind("PostgreSQL ", 0), 0u);

    engine::Database lite;
    std::string file = ::testing::TempDir() + "admin_" + std::to_string(::getpid()) + ".sqlite";
    lite.setDatabaseName("SQLITE:" + file);
    lite.open();
    EXPECT_EQ(readDbInfo(s, lite.databaseName(), &lite).databaseType.rfind("SQLite 3.", 0), 0u);
    lite.close();
    std::remove(file.c_str());
}

TEST(Fixtures, NewUserRunsInOneTransactionAndModifyRunsEachStatement) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return;
    engine::Database db;
    db.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/vlmtest");
    db.params() = {"USER NAME=pgtest"};
    db.open();
    std::string t = "admin_grants_" + std::to_string(::getpid());
    execSql(db, "create table " + t + " (s varchar(40))");
    EXPECT_THROW(runInTransaction(db, {"insert into " + t + " values ('connect')",
                                       "insert into " + t + " values ('resource')", "insert into no_such_table values (1)"}),
                 std::exception);
    EXPECT_TRUE(selectRows(db, "select s from " + t).rows.empty());
    auto errors = runEach(db, {"insert into no_such_table values (1)", "insert into " + t + " values ('dba')"});
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(column(selectRows(db, "select s from " + t), 0), std::vector<std::string>{"dba"});
    execSql(db, "drop table " + t);
}

std::string run(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    std::array<char, 512> buf{};
    while (std::fgets(buf.data(), int(buf.size()), p)) out += buf.data();
    ::pclose(p);
    return out;
}

TEST(FirebirdServer, UsersAndRolesCreatedUsedAndDropped) {
    std::string port = vlm::test::serverPort("VLM_FB_STATE");
    if (port.empty()) return;
    const std::string state = std::getenv("VLM_FB_STATE");
    std::string dbName = "INTRBASE:127.0.0.1/" + port + ":" + vlm::test::readFile(state + "/datadir") + "/admin_" +
                         std::to_string(::getpid()) + ".fdb";
    engine::Database db;
    db.setDatabaseName(dbName);
    db.params() = {"USER NAME=" + vlm::test::readFile(state + "/user"),
                   "PASSWORD=" + vlm::test::readFile(state + "/password"), "CREATE=TRUE"};
    db.open();
    EXPECT_EQ(readDbInfo(engine::Session::defaultSession(), dbName, &db).databaseType.rfind("Firebird ", 0), 0u);

    const std::string user = "VLM_CLERK_" + std::to_string(::getpid() % 100000);
    try { execSql(db, fbDropUser(user)); } catch (const std::exception&) { /* left by an earlier run, or absent */ }
    execSql(db, fbCreateUser(user, "first'pw"));
    auto created = column(selectRows(db, kFbUsersSql), 0);
    EXPECT_NE(std::find(created.begin(), created.end(), user), created.end());
    execSql(db, fbChangePassword(user, "second"));
    execSql(db, fbCreateRole("VLM_AUDITOR"));
    execSql(db, fbGrantRole("VLM_AUDITOR", user));
    auto roles = column(selectRows(db, kFbRolesSql), 0);
    EXPECT_NE(std::find(roles.begin(), roles.end(), "VLM_AUDITOR"), roles.end());
    TextRows grantees = selectRows(db, kFbRoleGranteesSql);
    ASSERT_EQ(grantees.rows.size(), 1u);
    EXPECT_EQ(grantees.rows[0][0], "VLM_AUDITOR");
    EXPECT_EQ(grantees.rows[0][1], user);

    // The new user logs in from vlmtool with the changed password; the old one is refused.
    std::string sql = "select current_user from rdb$database";
    std::string ok = run(std::string(VLMTOOL_PATH) + " --user " + user + " --password second sql '" + dbName + "' '" + sql +
                         "' 2>&1");
    EXPECT_NE(ok.find(user), std::string::npos) << ok;
    std::string refused = run(std::string(VLMTOOL_PATH) + " --user " + user + " --password \"first'pw\" sql '" +
                              dbName + "' '" + sql + "' 2>&1; echo rc=$?");
    EXPECT_EQ(refused.find("rc=0"), std::string::npos) << refused;

    execSql(db, fbRevokeRole("VLM_AUDITOR", user));
    EXPECT_TRUE(selectRows(db, kFbRoleGranteesSql).rows.empty());
    execSql(db, fbDropRole("VLM_AUDITOR"));
    execSql(db, fbDropUser(user));
    auto users = column(selectRows(db, kFbUsersSql), 0);
    EXPECT_EQ(std::find(users.begin(), users.end(), user), users.end());
}

}  // namespace
}  // namespace vlm::admin
