// The session over a configuration file: aliases, modes, saving, name resolution, open databases,
// the trace hook. Runs with the drivers of this build (the SQLite driver is needed).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/config.h"
#include "engine/database.h"
#include "engine/registry.h"
#include "engine/session.h"

using namespace vlm::engine;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vlm_session_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        cfg = (dir / "IDAPI32.CFG").string();
        ASSERT_TRUE(DriverRegistry::standard().has("SQLITE")) << "the SQLite driver is not in this build";
    }
    void TearDown() override { fs::remove_all(dir); }
    void write(const std::string& text) { std::ofstream(cfg, std::ios::binary) << text; }

    fs::path dir;
    std::string cfg;
    Session session{DriverRegistry::standard()};
};

template <class F>
EngineError engineError(F&& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e;
    }
    ADD_FAILURE() << "no engine error";
    return EngineError(ErrorCategory::Usage, "none");
}

TEST_F(SessionTest, MissingFileGivesDefaultsAndTheDriversOfTheBuild) {
    session.loadConfig(cfg);
    EXPECT_TRUE(session.configErrors().empty());
    EXPECT_TRUE(session.aliasNames().empty());
    EXPECT_TRUE(contains(session.configParams("\\SYSTEM\\INIT"), "DEFAULT DRIVER=PARADOX"));
    EXPECT_FALSE(session.configParams("\\SYSTEM\\FORMATS\\NUMBER").empty());
    EXPECT_TRUE(contains(session.driverNames(), "SQLITE"));
    EXPECT_EQ(session.databaseType("SQLITE"), "SQLite database");
    EXPECT_TRUE(contains(session.driverParams("sqlite"), "SERVER NAME="));
    EXPECT_EQ(engineError([&] { session.configParams("\\NO\\SUCH"); }).what(),
              std::string("Unknown configuration path: \\NO\\SUCH"));
    EXPECT_EQ(engineError([&] { session.driverParams("NODRIVER"); }).code(), errc::UnknownDriver);
}

TEST_F(SessionTest, MalformedFileStartsWithWhatItCouldRead) {
    write("[\\DATABASES\\GOOD\\DB INFO]\nTYPE=SQLITE\nSERVER NAME=/x.sqlite\nnonsense\n");
    session.loadConfig(cfg);
    EXPECT_EQ(session.configErrors(),
              std::vector<std::string>{"Configuration file " + cfg + ", line 4: not a NAME=value line: nonsense"});
    EXPECT_EQ(session.aliasNames(), std::vector<std::string>{"GOOD"});
    EXPECT_EQ(session.aliasDriverName("good"), "SQLITE");
    EXPECT_FALSE(session.configParams("\\SYSTEM\\INIT").empty());   // defaults filled in
}

TEST_F(SessionTest, AddModifyDeleteAliasAndErrors) {
    session.loadConfig(cfg);
    session.addAlias("Demo", "sqlite", {"SERVER NAME=/data/demo.sqlite", "TYPE=STANDARD"});
    EXPECT_EQ(session.aliasDriverName("DEMO"), "SQLITE");   // a TYPE line cannot change the driver
    auto params = session.aliasParams("demo");
    EXPECT_TRUE(contains(params, "SERVER NAME=/data/demo.sqlite"));
    EXPECT_TRUE(contains(params, "OPEN MODE=READ/WRITE"));   // the driver's defaults
    EXPECT_FALSE(contains(params, "TYPE=SQLITE"));

    session.modifyAlias("DEMO", {"SERVER NAME=/data/other.sqlite", "LANGDRIVER=ancyrr"});
    params = session.aliasParams("DEMO");
    EXPECT_TRUE(contains(params, "SERVER NAME=/data/other.sqlite"));
    EXPECT_TRUE(contains(params, "LANGDRIVER=ancyrr"));   // applied exactly as typed

    session.addStandardAlias("LOCAL", "", "PARADOX");
    EXPECT_EQ(session.aliasDriverName("LOCAL"), "STANDARD");
    EXPECT_TRUE(contains(session.aliasParams("LOCAL"), "PATH="));
    EXPECT_TRUE(contains(session.aliasParams("LOCAL"), "DEFAULT DRIVER=PARADOX"));
    EXPECT_EQ(session.aliasNames(), (std::vector<std::string>{"Demo", "LOCAL"}));

    struct Bad { const char* name; std::function<void()> call; int code; std::string message; };
    const Bad bad[] = {
        {"duplicate", [&] { session.addAlias("DEMO", "SQLITE", {}); }, errc::AliasExists, "Alias already exists: DEMO"},
        {"unknown driver", [&] { session.addAlias("X", "NODRV", {}); }, errc::UnknownDriver, "Unknown driver: NODRV"},
        {"empty name", [&] { session.addAlias("  ", "SQLITE", {}); }, errc::ConfigBase, "Invalid alias name: \"  \""},
        {"bracket in name", [&] { session.addAlias("A]B", "SQLITE", {}); }, errc::ConfigBase, "Invalid alias name: \"A]B\""},
        {"modify unknown", [&] { session.modifyAlias("NOPE", {"A=1"}); }, errc::UnknownAlias, "Unknown alias: NOPE"},
        {"driver of unknown", [&] { session.aliasDriverName("NOPE"); }, errc::UnknownAlias, "Unknown alias: NOPE"},
        {"params of unknown", [&] { session.aliasParams("NOPE"); }, errc::UnknownAlias, "Unknown alias: NOPE"},
    };
    for (const auto& b : bad) {
        auto e = engineError(b.call);
        EXPECT_EQ(e.code(), b.code) << b.name;
        EXPECT_EQ(e.what(), b.message) << b.name;
    }

    session.deleteAlias("demo");
    EXPECT_EQ(session.aliasNames(), std::vector<std::string>{"LOCAL"});
    EXPECT_EQ(engineError([&] { session.deleteAlias("DEMO"); }).code(), errc::UnknownAlias);
    EXPECT_FALSE(session.isAlias("DEMO"));
}

TEST_F(SessionTest, SaveKeepsCommentsAndUnknownSectionsAndReadsBack) {
    write("; written by hand\n[\\SYSTEM\\INIT]\nLANGDRIVER=ANCYRR\n\n[ODD SECTION]\nwhatever it is\n\n"
          "[\\DATABASES\\OLD\\DB INFO]\n; the old one\nTYPE=SQLITE\nSERVER NAME=/old.sqlite\n");
    session.loadConfig(cfg);
    session.addAlias("NEW", "SQLITE", {"SERVER NAME=/new.sqlite"});
    session.modifyAlias("OLD", {"SERVER NAME=/moved.sqlite"});
    session.saveConfigFile();

    std::string text = readAll(cfg);
    for (const char* kept : {"; written by hand\n", "[ODD SECTION]\nwhatever it is\n", "; the old one\n",
                             "LANGDRIVER=ANCYRR\n", "[\\DATABASES\\NEW\\DB INFO]\nTYPE=SQLITE\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;

    Session again(DriverRegistry::standard());
    again.loadConfig(cfg);
    EXPECT_TRUE(again.configErrors().empty()) << again.configErrors().front();
    EXPECT_EQ(again.aliasNames(), (std::vector<std::string>{"NEW", "OLD"}));
    EXPECT_EQ(again.aliasParams("OLD"), session.aliasParams("OLD"));
    EXPECT_EQ(again.aliasParams("NEW"), session.aliasParams("NEW"));
    EXPECT_EQ(readAll(cfg), text);   // a second save of an unchanged configuration changes nothing
    again.saveConfigFile();
    EXPECT_EQ(readAll(cfg), text);
}

TEST_F(SessionTest, ConfigModesDecideWhichAliasesAreSeenAndSaved) {
    session.loadConfig(cfg);
    session.addAlias("FILEALIAS", "SQLITE", {});
    session.setConfigMode(ConfigMode::Session);
    session.addAlias("TEMPALIAS", "SQLITE", {});
    EXPECT_EQ(session.aliasNames(), std::vector<std::string>{"TEMPALIAS"});
    session.setConfigMode(ConfigMode::Persistent);
    EXPECT_EQ(session.aliasNames(), std::vector<std::string>{"FILEALIAS"});
    EXPECT_FALSE(session.isAlias("TEMPALIAS"));
    session.setConfigMode(ConfigMode::Virtual);
    EXPECT_EQ(session.aliasNames(), (std::vector<std::string>{"FILEALIAS", "TEMPALIAS"}));
    EXPECT_EQ(session.aliasDriverName("TEMPALIAS"), "SQLITE");
    EXPECT_FALSE(session.configParams("\\DATABASES\\TEMPALIAS\\DB INFO").empty());
    session.saveConfigFile();
    Session again(DriverRegistry::standard());
    again.loadConfig(cfg);
    EXPECT_EQ(again.aliasNames(), std::vector<std::string>{"FILEALIAS"});
}

TEST_F(SessionTest, DatabaseNamesResolveToTheirDrivers) {
    session.loadConfig(cfg);
    session.addAlias("SQ", "SQLITE", {"SERVER NAME=/x.sqlite"});
    session.addStandardAlias("DIRALIAS", dir.string(), "");
    std::string sqliteFile = (dir / "plain.sqlite").string();
    {
        auto conn = session.connect("SQLITE:" + sqliteFile, {});   // creates the file
        conn->prepare("create table t(a integer)")->execute();
    }
    const bool firebird = DriverRegistry::standard().has("INTRBASE");
    struct Case { std::string name; std::string driver; };
    const Case cases[] = {
        {"SQ", "SQLITE"},
        {"sq", "SQLITE"},
        {"DIRALIAS", "STANDARD"},
        {"SQLITE:/data/x.sqlite", "SQLITE"},
        {"sqlite:relative.db", "SQLITE"},
        {dir.string(), "STANDARD"},
        {"", "STANDARD"},
        {"C:\\DATA", "STANDARD"},
        {sqliteFile, "SQLITE"},   // a plain path of an SQLite file
        {"localhost:/data/x.fdb", firebird ? "INTRBASE" : "STANDARD"},
        {"127.0.0.1/3050:/data/x.fdb", firebird ? "INTRBASE" : "STANDARD"},
    };
    for (const auto& c : cases) EXPECT_EQ(session.driverNameOf(c.name), c.driver) << c.name;
}

TEST_F(SessionTest, ConnectErrorsAreEngineErrors) {
    write("[\\DATABASES\\GONE\\DB INFO]\nTYPE=NOSUCH\nSERVER NAME=/x\n");
    session.loadConfig(cfg);
    auto e = engineError([&] { session.connect("GONE", {}); });
    EXPECT_EQ(e.code(), errc::UnknownDriver);
    EXPECT_EQ(e.messages().front(), "Unknown driver: NOSUCH");

    std::string notDb = (dir / "text.sqlite").string();
    { std::ofstream(notDb) << "this is no database file, just text that is long enough\n"; }
    e = engineError([&] { session.connect("SQLITE:" + notDb, {})->tables(false); });
    EXPECT_NE(std::string(e.what()).find("not a database"), std::string::npos) << e.what();
}

TEST_F(SessionTest, OpenDatabasesJoinTheNamesAndTraceReachesTheCallback) {
    session.loadConfig(cfg);
    session.addAlias("ZETA", "SQLITE", {"SERVER NAME=" + (dir / "z.sqlite").string()});
    std::vector<std::pair<TraceCategory, std::string>> seen;
    session.setTraceCallback([&](TraceCategory c, const std::string& t) { seen.emplace_back(c, t); });
    session.setTraceMask(TraceConnect | TracePrepare);

    std::string name = "SQLITE:" + (dir / "a.sqlite").string();
    Database db(&session);
    db.setDatabaseName(name);
    db.open();
    Database dirDb(&session);
    dirDb.setDatabaseName(dir.string());
    EXPECT_EQ(session.findDatabase(name), &db);
    EXPECT_EQ(session.databaseNames(), (std::vector<std::string>{name, "ZETA"}));
    EXPECT_TRUE(db.isSqlBased());
    EXPECT_EQ(db.driverName(), "SQLITE");

    db.startTransaction();
    EXPECT_TRUE(db.inTransaction());
    db.connection().prepare("create table t(a integer)")->execute();
    db.rollback();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_TRUE(session.tableNames(name, false).empty());   // the open connection answers

    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](auto& s) { return s.first == TraceConnect; }));
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](auto& s) { return s.first == TracePrepare; }));
    EXPECT_TRUE(std::none_of(seen.begin(), seen.end(), [](auto& s) { return s.first == TraceTransaction; }));

    db.close();
    EXPECT_EQ(session.findDatabase(name), nullptr);
    EXPECT_EQ(session.databaseNames(), std::vector<std::string>{"ZETA"});
}

}  // namespace
