// vlmtool over every server driver through aliases of a temporary configuration file: an
// embedded Firebird file, the Firebird test server, the PostgreSQL test cluster, and ODBC to
// SQLite and to PostgreSQL. Tables, fields, sql, dump, copy between them, and passwords that
// never show in what the program writes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/error.h"
#include "engine/registry.h"
#include "fixtures/servers.h"
#include "runtool.h"

namespace fs = std::filesystem;
using namespace vlm::engine;

namespace {

using Result = vlm::test::ToolResult;
using vlm::test::shellQuote;

std::string upper(std::string s) {
    for (auto& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Dump text with the header in upper case: servers differ only in the case of unquoted names.
std::string normalised(const std::string& dump) {
    auto nl = dump.find('\n');
    return nl == std::string::npos ? upper(dump) : upper(dump.substr(0, nl)) + dump.substr(nl);
}

void execOn(const std::string& driver, ConnectParams p, const std::vector<std::string>& sql) {
    auto c = DriverRegistry::standard().create(driver)->connect(p, nullTracer());
    for (const auto& s : sql) c->prepare(s)->execute();
}

class VlmtoolServers : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* d : {"INTRBASE", "POSTGRESQL", "ODBC", "SQLITE"})
            ASSERT_TRUE(DriverRegistry::standard().has(d)) << d << " is not in this build";
        pgPort = vlm::test::serverPort("VLM_PG_STATE");
        fbPort = vlm::test::serverPort("VLM_FB_STATE");
        ASSERT_FALSE(pgPort.empty());
        ASSERT_FALSE(fbPort.empty());
        const std::string fbState = std::getenv("VLM_FB_STATE");
        fbUser = vlm::test::readFile(fbState + "/user");
        fbPassword = vlm::test::readFile(fbState + "/password");
        const std::string unique = std::to_string(::getpid()) + "_" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = fs::temp_directory_path() / ("vlm_vlmtool_srv_" + unique);
        fs::remove_all(dir);
        fs::create_directories(dir);
        cfg = (dir / "IDAPI32.CFG").string();
        schema = "vt_" + std::to_string(::getpid());
        for (auto& c : schema) c = char(std::tolower(static_cast<unsigned char>(c)));

        // The databases: created here, closed before vlmtool opens them (an embedded file
        // belongs to one process at a time).
        std::string embedded = (dir / "embedded.fdb").string();
        std::string server = "127.0.0.1/" + fbPort + ":" + vlm::test::readFile(fbState + "/datadir") +
                             "/vlmtool_" + unique + ".fdb";
        fbServerFile = server.substr(server.find(':') + 1);
        fbServer = server;
        execOn("INTRBASE", {embedded, {{"USER NAME", "TESTER"}, {"CREATE", "TRUE"}}}, {});
        execOn("INTRBASE", {server, {{"USER NAME", fbUser}, {"PASSWORD", fbPassword}, {"CREATE", "TRUE"}}}, {});
        execOn("POSTGRESQL", pgAdmin(),
               {"DROP SCHEMA IF EXISTS " + schema + " CASCADE", "CREATE SCHEMA " + schema + " AUTHORIZATION vlmpass"});

        std::ofstream f(cfg);
        f << "[\\DATABASES\\FBE\\DB INFO]\nTYPE=INTRBASE\nSERVER NAME=" << embedded << "\nUSER NAME=TESTER\n"
          << "[\\DATABASES\\FBS\\DB INFO]\nTYPE=INTRBASE\nSERVER NAME=" << server << "\nUSER NAME=" << fbUser
          << "\nPASSWORD=" << fbPassword << "\n"
          << "[\\DATABASES\\PGP\\DB INFO]\nTYPE=POSTGRESQL\nSERVER NAME=127.0.0.1\nPORT=" << pgPort
          << "\nDATABASE NAME=vlmtest\nUSER NAME=vlmpass\n"
          << "[\\DATABASES\\ODBCL\\DB INFO]\nTYPE=ODBC\nODBC DRIVER=SQLite3\nDATABASE NAME=" << (dir / "odbc.sqlite").string()
          << "\n"
          << "[\\DATABASES\\ODBCP\\DB INFO]\nTYPE=ODBC\nODBC DRIVER=PostgreSQL Unicode\nSERVER NAME=127.0.0.1\n"
          << "DATABASE NAME=vlmtest\nCONNECT STRING=PORT=" << pgPort << "\nUSER NAME=pgtest\n";
    }

    void TearDown() override {
        if (!pgPort.empty()) {
            try {
                execOn("POSTGRESQL", pgAdmin(), {"DROP SCHEMA IF EXISTS " + schema + " CASCADE"});
            } catch (const EngineError&) {
            }
        }
        std::error_code ec;
        if (!fbServerFile.empty()) fs::remove(fbServerFile, ec);
        fs::remove_all(dir, ec);
    }

    ConnectParams pgAdmin() const { return {"127.0.0.1:" + pgPort + "/vlmtest", {{"USER NAME", "pgtest"}}}; }

    Result run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
        Result r = vlm::test::runVlmtool(cfg, dir, args, env);
        seen += r.out + r.err;
        return r;
    }

    // The name of a table in the alias's database. Unquoted names fold to lower case on
    // PostgreSQL, and the catalog (which tables, fields and dump read) has them so.
    std::string tableOf(const std::string& alias, const std::string& base, bool quoted = false) const {
        std::string lower = base;
        for (auto& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (alias == "ODBCP") return schema + "." + (quoted ? base : lower) + "_odbc";   // the schema of PGP
        return alias == "PGP" ? schema + "." + (quoted ? base : lower) : base;
    }
    std::vector<std::string> login(const std::string& alias) const {
        if (alias == "PGP") return {"--password", "vlmpass-secret"};
        return {};
    }
    Result runOn(const std::string& alias, std::vector<std::string> args) {
        auto l = login(alias);
        args.insert(args.begin(), l.begin(), l.end());
        return run(args);
    }

    std::string pgPort, fbPort, fbUser, fbPassword, schema, cfg, fbServerFile, fbServer;
    fs::path dir;
    std::string seen;   // everything vlmtool wrote
};

const char* const kAliases[] = {"FBE", "FBS", "PGP", "ODBCL", "ODBCP"};
const std::string kDump = "ID\tNAME\tPRICE\n1\tone\t2.25\n2\t\t-3.75\n3\tMосква\t0.25\n";

TEST_F(VlmtoolServers, EveryDriverListsDescribesRunsAndDumps) {
    for (const std::string alias : kAliases) {
        SCOPED_TRACE(alias);
        const std::string t = tableOf(alias, "ITEMS");
        for (const std::string sql :
             {"CREATE TABLE " + t + " (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PRICE NUMERIC(8,2))",
              "INSERT INTO " + t + " VALUES (1, 'one', 2.25)", "INSERT INTO " + t + " VALUES (2, NULL, -3.75)",
              "INSERT INTO " + t + " VALUES (3, 'Mосква', 0.25)"}) {
            auto r = runOn(alias, {"sql", alias, sql});
            ASSERT_EQ(r.status, 0) << sql << ": " << r.err;
        }
        auto r = runOn(alias, {"tables", alias});
        EXPECT_EQ(r.status, 0) << r.err;
        std::string listed = t;
        EXPECT_NE(("\n" + r.out).find("\n" + listed + "\n"), std::string::npos) << r.out;

        r = runOn(alias, {"fields", alias, t});
        EXPECT_EQ(r.status, 0) << r.err;
        std::istringstream lines(r.out);
        std::string header, first;
        std::getline(lines, header);
        std::getline(lines, first);
        EXPECT_EQ(header, "NAME\tTYPE\tSIZE\tSCALE\tNATIVE");
        EXPECT_EQ(upper(first.substr(0, 3)), "ID\t") << r.out;

        r = runOn(alias, {"dump", alias, t});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(normalised(r.out), kDump);

        r = runOn(alias, {"sql", alias, "SELECT NAME FROM " + t + " WHERE ID = 1"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(normalised(r.out), "NAME\none\n");

        r = runOn(alias, {"sql", alias, "SELEC 1"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind("vlmtool: ", 0), 0u) << r.err;
    }
    EXPECT_EQ(seen.find("vlmpass-secret"), std::string::npos);
    EXPECT_EQ(seen.find(fbPassword), std::string::npos);
}

// A ring of copies through every driver comes back with the same rows.
TEST_F(VlmtoolServers, CopyBetweenEveryPairOfTheRing) {
    auto r = run({"sql", "FBE", "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PRICE NUMERIC(8,2))"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* v : {"(1, 'one', 2.25)", "(2, NULL, -3.75)", "(3, 'Mосква', 0.25)"})
        ASSERT_EQ(run({"sql", "FBE", std::string("INSERT INTO ITEMS VALUES ") + v}).status, 0);
    const std::vector<std::string> ring = {"FBE", "PGP", "ODBCL", "FBS", "ODBCP", "FBE"};
    std::string from = "ITEMS";
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
        const std::string& src = ring[i];
        const std::string& dst = ring[i + 1];
        SCOPED_TRACE(src + " -> " + dst);
        std::string to = tableOf(dst, "HOP" + std::to_string(i), true);   // created quoted by the copy
        std::vector<std::string> args = {"copy", src, from, dst, to};
        if (src == "PGP" || dst == "PGP") args.insert(args.begin(), {"--password", "vlmpass-secret"});
        r = run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "3 rows copied to " + to + "\n");
        r = runOn(dst, {"dump", dst, to});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(normalised(r.out), kDump);
        from = to;
    }
    EXPECT_EQ(seen.find("vlmpass-secret"), std::string::npos);
    EXPECT_EQ(seen.find(fbPassword), std::string::npos);
}

// psql's table copied into Firebird with each side's own login, and isql-fb's back into
// PostgreSQL: the plain names arrive in the other server's case, so that each program's user
// finds them without quotes; logins also come from PGUSER/PGPASSWORD and ISC_USER/ISC_PASSWORD.
TEST_F(VlmtoolServers, EachSideItsOwnLoginAndPlainNamesInTheOtherServersCase) {
    const std::string psql = "PGPASSWORD=vlmpass-secret psql -h 127.0.0.1 -p " + pgPort +
                             " -U vlmpass -d vlmtest -v ON_ERROR_STOP=1 -qAt -c ";
    const std::string isql = "isql-fb -q -user " + shellQuote(fbUser) + " -password " + shellQuote(fbPassword) + " " +
                             shellQuote(fbServer) + " 2>&1";
    auto shell = [](const std::string& command) {
        std::string out;
        FILE* f = ::popen(command.c_str(), "r");
        char buf[4096];
        while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) out.append(buf, n);
        ::pclose(f);
        return out;
    };
    shell(psql + shellQuote("create table " + schema + ".order_lines (id integer, qty integer); insert into " +
                            schema + ".order_lines values (1, 5)"));
    const std::string pgName = "POSTGRESQL:127.0.0.1:" + pgPort + "/vlmtest";
    const std::string fbName = "INTRBASE:" + fbServer;
    auto r = run({"--source-user", "vlmpass", "--source-password", "vlmpass-secret", "--dest-user", fbUser,
                  "--dest-password", fbPassword, "copy", pgName, schema + ".order_lines", fbName, "ORDER_LINES"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 rows copied to ORDER_LINES\n");
    std::string out = shell("echo 'SELECT ID, QTY FROM ORDER_LINES;' | " + isql);
    EXPECT_NE(out.find("QTY"), std::string::npos) << out;
    EXPECT_NE(out.find("5"), std::string::npos) << out;
    EXPECT_EQ(out.find("Column unknown"), std::string::npos) << out;

    // Back: isql-fb's table into PostgreSQL under its own name, which PostgreSQL's user types
    // in lower case; the schema is chosen in the URI.
    out = shell("printf 'CREATE TABLE ORDER_LINES2 (ID INTEGER, QTY INTEGER);\\nCOMMIT;\\n"
                "INSERT INTO ORDER_LINES2 VALUES (1, 7);\\nCOMMIT;\\n' | " + isql);
    EXPECT_EQ(out, "");
    const std::string pgUri = "postgresql://127.0.0.1:" + pgPort + "/vlmtest?options=-c%20search_path%3D" + schema;
    r = run({"--source-user", fbUser, "--source-password", fbPassword, "--dest-user", "vlmpass", "--dest-password",
             "vlmpass-secret", "copy", fbName, "ORDER_LINES2", pgUri});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 rows copied to order_lines2\n");
    EXPECT_EQ(shell(psql + shellQuote("select id, qty from " + schema + ".order_lines2")), "1|7\n");

    // No login given: the environment's, as psql and isql-fb take it.
    const std::vector<std::string> env = {"PGUSER=vlmpass", "PGPASSWORD=vlmpass-secret", "ISC_USER=" + fbUser,
                                          "ISC_PASSWORD=" + fbPassword};
    r = run({"copy", pgName, schema + ".order_lines", fbName, "ORDER_LINES3"}, env);
    ASSERT_EQ(r.status, 0) << r.err;
    r = run({"dump", fbName, "ORDER_LINES3"}, env);
    EXPECT_EQ(r.out, "ID\tQTY\n1\t5\n") << r.err;
    r = run({"dump", fbName, "ORDER_LINES3"}, {"ISC_USER=" + fbUser, "ISC_PASSWORD=wrong-isc-secret-4"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Your user name and password are not defined"), std::string::npos) << r.err;
    // Each side option wins over the plain one for its side only.
    r = run({"--user", "nobody", "--password", "nothing", "--source-user", "vlmpass", "--source-password",
             "vlmpass-secret", "copy", pgName, schema + ".order_lines", fbName, "ORDER_LINES4"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Your user name and password are not defined"), std::string::npos) << r.err;
    EXPECT_EQ(seen.find("vlmpass-secret"), std::string::npos);
    EXPECT_EQ(seen.find(fbPassword), std::string::npos);
    EXPECT_EQ(seen.find("wrong-isc-secret-4"), std::string::npos);
}

// Every form of a PostgreSQL database name, from the command line (the short forms without a
// host or port take PGHOST and PGPORT, as psql does).
TEST_F(VlmtoolServers, EveryPostgresqlFormFromTheCommandLine) {
    const std::vector<std::string> env = {"PGHOST=127.0.0.1", "PGPORT=" + pgPort};
    for (const std::string& name : std::vector<std::string>{
             "POSTGRESQL:127.0.0.1:" + pgPort + "/vlmtest", "POSTGRESQL:127.0.0.1/vlmtest", "POSTGRESQL:vlmtest",
          "POSTGRESQL:host=127.0.0.1 port=" + pgPort + " dbname=vlmtest",
          "POSTGRESQL:postgresql://vlmpass@127.0.0.1:" + pgPort + "/vlmtest",
          "postgresql://127.0.0.1:" + pgPort + "/vlmtest"}) {
        SCOPED_TRACE(name);
        auto r = run({"--user", "vlmpass", "--password", "vlmpass-secret", "sql", name,
                      "select current_database() as db, current_user as who"}, env);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "db\twho\nvlmtest\tvlmpass\n");
    }
    EXPECT_EQ(seen.find("vlmpass-secret"), std::string::npos);
}

TEST_F(VlmtoolServers, PasswordsNeverAppearInOutputOrErrors) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string text;     // in stdout (status 0) or stderr
        std::string secret;
    };
    const std::vector<Case> cases = {
        {"right password", {"--password", "vlmpass-secret", "tables", "PGP"}, 0, "", "vlmpass-secret"},
        {"wrong password", {"--password", "wrong-secret-91", "tables", "PGP"}, 1,
         "password authentication failed for user \"vlmpass\"", "wrong-secret-91"},
        {"statement error", {"--password", "vlmpass-secret", "sql", "PGP", "SELEC 1"}, 1, "syntax error",
         "vlmpass-secret"},
        {"wrong Firebird password", {"--password", "Wrong-Fb-Secret-5", "tables", "FBS"}, 1,
         "Your user name and password are not defined", "Wrong-Fb-Secret-5"},
        {"wrong ODBC password", {"--user", "vlmpass", "--password", "odbc-wrong-33", "tables", "ODBCP"}, 1,
         "password authentication failed", "odbc-wrong-33"},
        {"right ODBC password", {"--user", "vlmpass", "--password", "vlmpass-secret", "tables", "ODBCP"}, 0, "",
         "vlmpass-secret"},
        {"password in a DRIVER:TARGET name's login",
         {"--user", "vlmpass", "--password", "target-wrong-8", "dump", "POSTGRESQL:127.0.0.1:" + pgPort + "/vlmtest",
          "nothing"},
         1, "password authentication failed", "target-wrong-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE((c.status ? r.err : r.out).find(c.text), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find(c.secret), std::string::npos) << r.out;
        EXPECT_EQ(r.err.find(c.secret), std::string::npos) << r.err;
    }
    auto r = run({"alias", "list"});
    EXPECT_EQ(r.out, "FBE\tINTRBASE\nFBS\tINTRBASE\nODBCL\tODBC\nODBCP\tODBC\nPGP\tPOSTGRESQL\n");
    EXPECT_EQ(seen.find(fbPassword), std::string::npos);
}

}  // namespace
