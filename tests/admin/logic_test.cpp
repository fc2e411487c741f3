// The administration logic without a server: parameter grids, masks and the language pick, new
// aliases and the configuration file's round trip, and the statements the windows build.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "admin/configadmin.h"
#include "admin/dbinfo.h"
#include "admin/rollback.h"
#include "admin/security.h"
#include "engine/config.h"
#include "engine/error.h"
#include "engine/registry.h"
#include "engine/session.h"
#include "shell/language.h"

namespace vlm::admin {
namespace {

namespace fs = std::filesystem;

fs::path tempDir(const std::string& name) {
    fs::path d = fs::temp_directory_path() / ("vlm_admin_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ParamGrid, RowsKeepCaseAndLinesSkipNamelessRows) {
    auto rows = paramRows({"PATH = /Data/Mixed ", "no equals sign", "PASSWORD=Secret=1", "LANGDRIVER="});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "PATH");
    EXPECT_EQ(rows[0].value, "/Data/Mixed");
    EXPECT_EQ(rows[1].value, "Secret=1");   // only the first '=' splits
    EXPECT_EQ(rows[2].value, "");
    rows.push_back({"  ", "ignored"});
    EXPECT_EQ(paramLines(rows), (std::vector<std::string>{"PATH=/Data/Mixed", "PASSWORD=Secret=1", "LANGDRIVER="}));
}

TEST(ParamGrid, SecretsAreMaskedPerCharacter) {
    struct Case { const char* line; const char* shown; } cases[] = {
        {"PASSWORD=abc", "PASSWORD=***"},
        {"SERVER PASSWORD=пароль", "SERVER PASSWORD=******"},
        {"password=", "password="},
        {"USER NAME=sysdba", "USER NAME=sysdba"},
        {"PATH=/x", "PATH=/x"},
    };
    for (const auto& c : cases) EXPECT_EQ(maskedLines({c.line}), std::vector<std::string>{c.shown}) << c.line;
}

TEST(ParamGrid, LanguagePickSortsDescriptionsAndFindsValues) {
    std::vector<engine::LanguageDriver> d = {{"dbWinUs0", "dBASE US", "CP1252"},
                                             {"ANCYRR", "Pdox ANSI Cyrillic", "CP1251"},
                                             {"ASCII", "Paradox ascii", "CP437"}};
    LanguagePick p = languagePick(d);
    EXPECT_EQ(p.names, (std::vector<std::string>{"DBWINUS0", "ANCYRR", "ASCII"}));
    ASSERT_EQ(p.entries.size(), 3u);
    EXPECT_EQ(p.entries[0].description, "Paradox ascii");
    EXPECT_EQ(p.entries[0].nameIndex, 2);
    EXPECT_EQ(p.entries[1].description, "Pdox ANSI Cyrillic");
    EXPECT_EQ(p.entryForValue("ancyrr"), 1);
    EXPECT_EQ(p.entryForValue(" DBWINUS0 "), 2);
    EXPECT_EQ(p.entryForValue("NOSUCH"), -1);
    EXPECT_TRUE(isLanguageDriverParam(" langdriver "));
    EXPECT_FALSE(isLanguageDriverParam("LANGDRIVERS"));
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = tempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        cfg = dir / "IDAPI32.CFG";
        std::ofstream(cfg) << "; kept comment\n[\\DATABASES\\KEEP\\DB INFO]\nTYPE=SQLITE\nSERVER NAME=/Data/Keep.sqlite\n";
        session = std::make_unique<engine::Session>(engine::DriverRegistry::standard());
        session->loadConfig(cfg.string());
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir, cfg;
    std::unique_ptr<engine::Session> session;
};

TEST_F(SessionTest, NewAliasIsCheckedAndNothingChangesOnRefusal) {
    struct Case { const char* alias; const char* driver; const char* refusal; } cases[] = {
        {"", "SQLITE", "The alias name is empty"},
        {"keep", "SQLITE", "already exists"},
        {"NEWONE", "NODRIVER", "is not in this build"},
        {"NEWONE", "", "is not in this build"},
    };
    shell::setLanguageSetting(2);
    auto before = session->aliasNames();
    for (const auto& c : cases) {
        try {
            addNewAlias(*session, c.alias, c.driver);
            ADD_FAILURE() << "accepted " << c.alias << "/" << c.driver;
        } catch (const engine::EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
        }
        EXPECT_EQ(session->aliasNames(), before);
    }
    addNewAlias(*session, " LOCALDIR ", "standard");
    auto p = session->aliasParams("LOCALDIR");
    EXPECT_NE(std::find(p.begin(), p.end(), "PATH="), p.end());
    EXPECT_NE(std::find(p.begin(), p.end(), "DEFAULT DRIVER=PARADOX"), p.end());
    addNewAlias(*session, "Lite", "SQLITE");
    EXPECT_EQ(session->aliasDriverName("LITE"), "SQLITE");
}

TEST_F(SessionTest, EditsRoundTripThroughTheFileAsTypedAndPasswordsMakeItPrivate) {
    auto rows = paramRows(session->aliasParams("KEEP"));
    for (auto& r : rows)
        if (r.name == "SERVER NAME") r.value = "/Data/Other Case.sqlite";
    rows.push_back({"PASSWORD", "Se;cret"});
    session->modifyAlias("KEEP", paramLines(rows));
    ::chmod(cfg.c_str(), 0644);
    session->saveConfigFile();

    std::string text = readAll(cfg);
    EXPECT_NE(text.find("; kept comment"), std::string::npos);
    EXPECT_NE(text.find("SERVER NAME=/Data/Other Case.sqlite"), std::string::npos) << text;
    struct stat st{};
    ASSERT_EQ(::stat(cfg.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    engine::Session fresh(engine::DriverRegistry::standard());
    fresh.loadConfig(cfg.string());
    auto again = fresh.aliasParams("KEEP");
    EXPECT_NE(std::find(again.begin(), again.end(), "PASSWORD=Se;cret"), again.end());

    // Without a password the file keeps the mode it had.
    session->modifyAlias("KEEP", {"PASSWORD="});
    ::chmod(cfg.c_str(), 0640);
    session->saveConfigFile();
    ASSERT_EQ(::stat(cfg.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SessionTest, AFailedSaveNamesTheFileAndKeepsTheOldOne) {
    std::string old = readAll(cfg);
    session->modifyAlias("KEEP", {"SERVER NAME=/changed"});
    // The save writes beside the file first; a directory in that place makes the write fail
    // (for any user, root included).
    fs::create_directory(cfg.string() + ".tmp" + std::to_string(::getpid()));
    try {
        session->saveConfigFile();
        ADD_FAILURE() << "saved into a read-only directory";
    } catch (const engine::EngineError& e) {
        EXPECT_NE(std::string(e.what()).find(cfg.string()), std::string::npos) << e.what();
    }
    EXPECT_EQ(readAll(cfg), old);
}

TEST_F(SessionTest, MalformedLinesAreReportedWithFileAndLine) {
    std::ofstream(cfg) << "[\\SYSTEM\\INIT]\nthis line is wrong\nLANGDRIVER=ANCYRR\n";
    engine::Session s(engine::DriverRegistry::standard());
    s.loadConfig(cfg.string());
    ASSERT_FALSE(s.configErrors().empty());
    EXPECT_NE(s.configErrors()[0].find("line 2"), std::string::npos) << s.configErrors()[0];
    EXPECT_EQ(s.config().value("\\SYSTEM\\INIT", "LANGDRIVER"), "ANCYRR");   // the rest is read
}

TEST_F(SessionTest, DbInfoOfAnAliasMasksPasswordsAndShowsTheEngineVersion) {
    session->modifyAlias("KEEP", {"PASSWORD=abc"});
    shell::setLanguageSetting(1);
    DbInfo i = readDbInfo(*session, "KEEP", nullptr);
    shell::setLanguageSetting(2);
    EXPECT_EQ(i.driverName, "SQLITE");
    EXPECT_EQ(i.engineVersion, "Версия BDE: " + session->engineVersion());
    EXPECT_EQ(i.databaseType, session->databaseType("SQLITE"));
    EXPECT_NE(std::find(i.aliasParams.begin(), i.aliasParams.end(), "PASSWORD=***"), i.aliasParams.end());
    EXPECT_FALSE(i.driverInit.empty());
    // A directory is no alias: no alias parameters, the local driver.
    DbInfo d = readDbInfo(*session, dir.string(), nullptr);
    EXPECT_EQ(d.driverName, "STANDARD");
    EXPECT_TRUE(d.aliasParams.empty());
}

TEST(Statements, SqlbaseUsers) {
    struct Case {
        SqlbaseUser u;
        int mode;   // 0 new, 1 grant, 2 revoke
        std::vector<std::string> expected;
    } cases[] = {
        {{"CLERK", "PW1", true, true, true}, 0,
         {"GRANT CONNECT TO CLERK IDENTIFIED BY PW1", "GRANT RESOURCE TO CLERK", "GRANT DBA TO CLERK"}},
        {{"CLERK", " ", true, false, false}, 0, {}},                 // no password: nothing to save
        {{"CLERK", "PW1", false, true, false}, 0, {}},               // Connect unchecked
        {{"CLERK", "PW2", true, false, true}, 1, {"GRANT CONNECT TO CLERK IDENTIFIED BY PW2", "GRANT DBA TO CLERK"}},
        {{"CLERK", "", false, true, false}, 1, {"GRANT RESOURCE TO CLERK"}},
        {{"CLERK", "", true, true, true}, 2,
         {"REVOKE CONNECT FROM CLERK", "REVOKE RESOURCE FROM CLERK", "REVOKE DBA FROM CLERK"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.mode == 0 ? sqlbaseNewUser(c.u) : sqlbaseModifyUser(c.u, c.mode == 1), c.expected) << c.u.name;
    EXPECT_TRUE(revokesConnect({"X", "", true, false, false}, false));
    EXPECT_FALSE(revokesConnect({"X", "", true, false, false}, true));
    EXPECT_FALSE(revokesConnect({"X", "", false, true, false}, false));
    // Names and passwords that would change the statement are refused.
    for (SqlbaseUser bad : {SqlbaseUser{"A B", "PW"}, SqlbaseUser{"CLERK", "PW;DROP"}, SqlbaseUser{"1X", "PW"}})
        EXPECT_THROW(sqlbaseNewUser(bad), engine::EngineError) << bad.name << "/" << bad.password;
    EXPECT_THROW(sqlbaseModifyUser({"CLERK", "", true}, true), engine::EngineError);   // CONNECT needs a password
    for (const char* held : {"Y", "G"}) EXPECT_TRUE(authorityHeld(held));
    for (const char* not_held : {"N", "", "YES"}) EXPECT_FALSE(authorityHeld(not_held));
}

TEST(Statements, FirebirdUsersAndRoles) {
    struct Case { std::string got, expected; } cases[] = {
        {fbCreateUser("CLERK", "pw'1"), "CREATE USER CLERK PASSWORD 'pw''1'"},
        {fbCreateUser("clerk", "x"), "CREATE USER \"clerk\" PASSWORD 'x'"},
        {fbChangePassword("CLERK", "new"), "ALTER USER CLERK PASSWORD 'new'"},
        {fbDropUser("My \"Q\" user"), "DROP USER \"My \"\"Q\"\" user\""},
        {fbCreateRole("AUDITOR"), "CREATE ROLE AUDITOR"},
        {fbDropRole("AUDITOR"), "DROP ROLE AUDITOR"},
        {fbGrantRole("AUDITOR", "CLERK"), "GRANT AUDITOR TO CLERK"},
        {fbRevokeRole("AUDITOR", "CLERK"), "REVOKE AUDITOR FROM CLERK"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
    EXPECT_THROW(fbCreateUser(" ", "x"), engine::EngineError);
    EXPECT_THROW(fbCreateUser("CLERK", ""), engine::EngineError);
    EXPECT_THROW(fbGrantRole("R", ""), engine::EngineError);
}

TEST(Statements, TablePrivilegesFilterLine) {
    EXPECT_EQ(tablePrivilegesSql(false).find("where"), std::string::npos);
    EXPECT_NE(tablePrivilegesSql(true).find("\nwhere GRANTEE= :OWNER"), std::string::npos);
}

TEST(Statements, RollbackSegments) {
    struct Case { std::string got, expected; } cases[] = {
        {segmentActionSql(SegmentAction::Shrink, "RB1"), "Alter rollback segment RB1 SHRINK"},
        {segmentActionSql(SegmentAction::Drop, "RB1"), "Drop rollback segment RB1"},
        {segmentActionSql(SegmentAction::Online, "RB1"), "Alter rollback segment RB1 ONLINE"},
        {segmentActionSql(SegmentAction::Offline, "RB1"), "Alter rollback segment RB1 OFFLINE"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);

    SegmentSettings change{false, "RB1", "RBS", "100", "200", "2", "121", false};
    EXPECT_EQ(segmentStatements(change),
              (std::vector<std::string>{"Alter rollback segment RB1\nSTORAGE (\n         NEXT 200K\n"
                                        "         MINEXTENTS 2\n         MAXEXTENTS 121)",
                                        "Alter rollback segment RB1\n ONLINE"}));
    SegmentSettings create{true, kNewSegmentName, "RBS", "10", "10", "2", "121", true};
    auto st = segmentStatements(create);
    EXPECT_EQ(st[0], std::string("Create public rollback segment ") + kNewSegmentName +
                         "\n Tablespace RBS\nSTORAGE (INITIAL 10K\n         NEXT 10K\n         MINEXTENTS 2\n"
                         "         MAXEXTENTS 121)");
    EXPECT_EQ(st[1], std::string("Alter rollback segment ") + kNewSegmentName + "\n OFFLINE");
}

TEST(Statements, ServerVersionPerKind) {
    using panels::ServerKind;
    EXPECT_EQ(serverVersionSql("ORACLE", ServerKind::ORACLE).size(), 2u);
    EXPECT_EQ(serverVersionSql("MSSQL", ServerKind::MSSQL).size(), 1u);
    EXPECT_TRUE(serverVersionSql("STANDARD", ServerKind::STANDARD).empty());
    EXPECT_TRUE(serverVersionSql("ODBC", ServerKind::OTHER).empty());
    EXPECT_EQ(serverVersionText(ServerKind::ORACLE, {"8.0.5.0.0", "Oracle8 Release 8.0.5.0.0"}),
              "Oracle8 Release 8.0.5.0.0 ( Oracle 8.0.5.0.0 )");
}

}  // namespace
}  // namespace vlm::admin
