// vlmtool as users run it: the program on temporary SQLite files, its output, status and errors.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtool.h"
#include "tools/vlmtool/dumpwriter.h"

namespace fs = std::filesystem;
using vlm::engine::Value;
using vlm::tools::DumpWriter;

namespace {

using Result = vlm::test::ToolResult;
using vlm::test::readAll;
using vlm::test::shellQuote;

class VlmtoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vlm_vlmtool_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        cfg = (dir / "IDAPI32.CFG").string();
        db = (dir / "data.sqlite").string();
        sql(db,
            "CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), NOTE TEXT, AMOUNT DOUBLE);"
            "INSERT INTO T VALUES (1, 'plain', 'tab\there', 1.5);"
            "INSERT INTO T VALUES (2, 'lines', 'one' || char(10) || 'two' || char(13), NULL);"
            "INSERT INTO T VALUES (3, 'back\\slash', NULL, -2);"
            "INSERT INTO T VALUES (4, 'a,b;c|d', '', 0.1);"
            "INSERT INTO T VALUES (5, 'Москва', 'end\\', 1e20);");
    }
    void TearDown() override { fs::remove_all(dir); }

    static void sql(const std::string& file, const std::string& text) {
        sqlite3* h = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &h), SQLITE_OK);
        char* msg = nullptr;
        int rc = sqlite3_exec(h, text.c_str(), nullptr, nullptr, &msg);
        std::string m = msg ? msg : "";
        sqlite3_free(msg);
        sqlite3_close(h);
        ASSERT_EQ(rc, SQLITE_OK) << m;
    }

    Result run(const std::vector<std::string>& args) { return vlm::test::runVlmtool(cfg, dir, args); }

    fs::path dir;
    std::string cfg, db;
};


TEST_F(VlmtoolTest, DumpWritesHeaderRowsAndEscapes) {
    auto r = run({"dump", "SQLITE:" + db, "T"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "ID\tNAME\tNOTE\tAMOUNT\n"
              "1\tplain\ttab\\there\t1.5\n"
              "2\tlines\tone\\ntwo\\r\t\n"
              "3\tback\\\\slash\t\t-2\n"
              "4\ta,b;c|d\t\t0.1\n"
              "5\tМосква\tend\\\\\t1e+20\n");
}

TEST_F(VlmtoolTest, DelimiterOption) {
    struct Case { std::vector<std::string> opt; std::string line4; };
    const Case cases[] = {
        {{"--delimiter", ","}, "4,a\\,b;c|d,,0.1"},
        {{"--delimiter=;"}, "4;a,b\\;c|d;;0.1"},
        {{"--delimiter", "|"}, "4|a,b;c\\|d||0.1"},
        {{"--delimiter", "\\t"}, "4\ta,b;c|d\t\t0.1"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"dump"};
        args.insert(args.end(), c.opt.begin(), c.opt.end());
        args.push_back("SQLITE:" + db);
        args.push_back("T");
        auto r = run(args);
        ASSERT_EQ(r.status, 0) << c.opt[0] << r.err;
        std::istringstream lines(r.out);
        std::string line;
        for (int i = 0; i < 5; ++i) std::getline(lines, line);
        EXPECT_EQ(line, c.line4) << c.opt.back();
    }
    auto bad = run({"dump", "--delimiter", "ab", "SQLITE:" + db, "T"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--delimiter takes one character"), std::string::npos) << bad.err;
}

TEST_F(VlmtoolTest, FailuresGiveStatusAndEngineErrorOnStderr) {
    std::string text = (dir / "text.sqlite").string();
    { std::ofstream(text) << "plain text, certainly no SQLite database, long enough to be read\n"; }
    struct Case { const char* name; std::vector<std::string> args; int status; std::string err; };
    const Case cases[] = {
        {"unknown table", {"dump", "SQLITE:" + db, "NOPE"}, 1, "no such table"},
        {"bad statement", {"sql", "SQLITE:" + db, "SELEKT 1"}, 1, "syntax error"},
        {"not a database", {"tables", "SQLITE:" + text}, 1, "not a database"},
        {"unknown alias", {"alias", "delete", "NOALIAS"}, 1, "vlmtool: Unknown alias: NOALIAS\n"},
        {"unknown driver", {"alias", "add", "X", "NODRIVER"}, 1, "vlmtool: Unknown driver: NODRIVER\n"},
        {"no command", {}, 2, "Usage: vlmtool"},
        {"unknown command", {"frobnicate"}, 2, "vlmtool: unknown command frobnicate\n"},
        {"missing table", {"dump", "SQLITE:" + db}, 2, "vlmtool: usage: vlmtool dump DB TABLE\n"},
        {"unknown option", {"--colour", "tables", "SQLITE:" + db}, 2, "vlmtool: unknown option --colour\n"},
        {"bad alias param", {"alias", "add", "X", "SQLITE", "novalue"}, 2, "not a PARAM=VALUE argument: novalue"},
        {"side login outside copy", {"--dest-user", "X", "tables", "SQLITE:" + db}, 2,
         "vlmtool: --source-user, --source-password, --dest-user and --dest-password belong to copy and compare\n"},
        {"side login without value", {"copy", "--source-user"}, 2, "vlmtool: --source-user needs a value\n"},
        {"bad connection string", {"tables", "POSTGRESQL:host=127.0.0.1 port"}, 1,
         "vlmtool: Invalid PostgreSQL connection string"},
    };
    for (const auto& c : cases) {
        auto r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.name << ": " << r.err;
    }
    EXPECT_FALSE(fs::exists(cfg));   // failed alias commands wrote nothing
}

TEST_F(VlmtoolTest, HelpShowsTheLoginOfEachSideAndTheEnvironment) {
    auto r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* text : {"--source-user NAME", "--source-password TEXT", "--dest-user NAME", "--dest-password TEXT",
                             "PGUSER and PGPASSWORD", "ISC_USER and ISC_PASSWORD", "POSTGRESQL:host=H port=P dbname=D",
                             "postgresql://user@host/db"})
        EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
}

TEST_F(VlmtoolTest, SqlTablesAndFields) {
    auto r = run({"sql", "SQLITE:" + db, "SELECT NAME, AMOUNT * 2 AS TWICE FROM T WHERE ID < 3 ORDER BY ID"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "NAME\tTWICE\nplain\t3\nlines\t\n");
    r = run({"sql", "SQLITE:" + db, "UPDATE T SET AMOUNT = 0 WHERE ID > 3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Rows affected: 2\n");

    sql(db, "CREATE VIEW V AS SELECT ID FROM T");
    r = run({"tables", "SQLITE:" + db});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "T\nV\n");

    r = run({"fields", "SQLITE:" + db, "T"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string header, first;
    std::getline(lines, header);
    std::getline(lines, first);
    EXPECT_EQ(header, "NAME\tTYPE\tSIZE\tSCALE\tNATIVE");
    EXPECT_EQ(first.substr(0, 3), "ID\t");
}

TEST_F(VlmtoolTest, AliasesLiveInTheConfigurationFile) {
    { std::ofstream(cfg) << "; my own notes\n[MY TOOL]\nanything\n"; }
    auto r = run({"alias", "add", "MAIN", "SQLITE", "SERVER NAME=" + db});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run({"alias", "add", "SECOND", "sqlite", "SERVER NAME=/nowhere.sqlite"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run({"alias", "list"});
    EXPECT_EQ(r.out, "MAIN\tSQLITE\nSECOND\tSQLITE\n");

    r = run({"dump", "MAIN", "T"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 22), "ID\tNAME\tNOTE\tAMOUNT\n1\t");

    r = run({"alias", "delete", "second"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(run({"alias", "list"}).out, "MAIN\tSQLITE\n");
    std::string text = readAll(cfg);
    EXPECT_EQ(text.rfind("; my own notes\n[MY TOOL]\nanything\n", 0), 0u) << text;

    // A broken line is reported as a warning with file and line; the rest still works.
    { std::ofstream(cfg, std::ios::app) << "broken line\n"; }
    r = run({"alias", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "MAIN\tSQLITE\n");
    EXPECT_NE(r.err.find("Configuration file " + cfg + ", line "), std::string::npos) << r.err;
}

TEST_F(VlmtoolTest, CopyMakesTheSameRowsInAnotherDatabase) {
    std::string dst = (dir / "copy.sqlite").string();
    auto r = run({"copy", "SQLITE:" + db, "T", "SQLITE:" + dst, "T2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5 rows copied to T2\n");
    auto src = run({"dump", "SQLITE:" + db, "T"});
    auto copy = run({"dump", "SQLITE:" + dst, "T2"});
    EXPECT_EQ(copy.status, 0) << copy.err;
    EXPECT_EQ(copy.out, src.out);
    // Copying again replaces the table rather than doubling it.
    ASSERT_EQ(run({"copy", "SQLITE:" + db, "T", "SQLITE:" + dst, "T2"}).status, 0);
    EXPECT_EQ(run({"dump", "SQLITE:" + dst, "T2"}).out, src.out);
}

// Cyrillic text from a database the sqlite3 shell wrote, into new Paradox and dBase tables: both
// take a Cyrillic code page by default; a configured Western one refuses the text, naming the
// field, the table, the text, the code page and the setting that chose it.
TEST_F(VlmtoolTest, CyrillicTextCopiesIntoNewParadoxAndDbaseTables) {
    std::string source = (dir / "s.sqlite").string(), local = (dir / "local").string();
    fs::create_directories(local);
    ASSERT_EQ(std::system(("sqlite3 " + shellQuote(source) +
                           " \"create table src (name varchar(20)); insert into src values ('Пётр');\"").c_str()),
              0)
        << "the sqlite3 shell failed";
    for (const std::string table : {"PX.DB", "OUT.DBF"}) {
        auto r = run({"copy", "SQLITE:" + source, "src", local, table});
        ASSERT_EQ(r.status, 0) << table << ": " << r.err;
        EXPECT_EQ(r.out, "1 rows copied to " + table + "\n");
        EXPECT_EQ(run({"dump", local, table}).out, "NAME\nПётр\n");
    }
    { std::ofstream(cfg) << "[\\DRIVERS\\PARADOX\\INIT]\nLANGDRIVER=ANSIINTL\n[\\DRIVERS\\DBASE\\INIT]\nLANGDRIVER=DBWINUS0\n"; }
    struct Case {
        const char *table, *format, *driver;
    } cases[] = {{"PX2.DB", "Paradox", "PARADOX"}, {"OUT2.DBF", "dBase", "DBASE"}};
    for (const auto& c : cases) {
        auto r = run({"copy", "SQLITE:" + source, "src", local, c.table});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string("vlmtool: Field NAME of table ") + c.table +
                             ": the text \"Пётр\" cannot be stored in the table's code page CP1252 (the LANGDRIVER "
                             "setting of the " + c.driver + " driver in the engine configuration chooses the code page "
                             "of new " + c.format + " tables)\n");
        EXPECT_FALSE(fs::exists(fs::path(local) / c.table));
    }
}

TEST_F(VlmtoolTest, DemoWritesADatabaseThatDumps) {
    std::string demo = (dir / "demo.sqlite").string();
    auto r = run({"demo", demo});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run({"tables", "SQLITE:" + demo});
    EXPECT_EQ(r.out, "BIG_ORDERS\nCUSTOMER\nORDERS\n");
    r = run({"dump", "SQLITE:" + demo, "CUSTOMER"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("два\\tстолбца"), std::string::npos) << r.out;
    EXPECT_EQ(run({"demo", demo}).status, 0);   // written again over the old file
}

TEST(DumpWriter, ValueTexts) {
    struct Case { Value v; char delim; std::string text; };
    const Case cases[] = {
        {Value(), '\t', ""},
        {Value(std::int64_t(-9223372036854775807LL - 1)), '\t', "-9223372036854775808"},
        {Value("a\tb\nc\\d\re"), '\t', "a\\tb\\nc\\\\d\\re"},
        {Value("x,y"), ',', "x\\,y"},
        {Value("x,y"), '\t', "x,y"},
        {Value(true), '\t', "True"},
        {Value(vlm::engine::Decimal{"-12.50"}), '\t', "-12.50"},
        {Value(vlm::engine::Date{1998, 4, 1}), '\t', "1998-04-01"},
        {Value(vlm::engine::Bytes{0x00, 0xAB}), '\t', "00AB"},
    };
    for (const auto& c : cases) {
        std::string out;
        DumpWriter::appendValue(out, c.v, c.delim);
        EXPECT_EQ(out, c.text) << c.text;
    }
    EXPECT_EQ(vlm::tools::parseDelimiter("\\t"), "\t");
    EXPECT_EQ(vlm::tools::parseDelimiter(";"), ";");
    EXPECT_EQ(vlm::tools::parseDelimiter("\\"), "");
    EXPECT_EQ(vlm::tools::parseDelimiter(""), "");
}

}  // namespace
