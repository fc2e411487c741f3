// The create window's and the structure editor's statements run against real databases:
// embedded Firebird, PostgreSQL, SQLite, dBase and Paradox tables (with faults injected into a
// local ALTER), and the ORACLE, MSSQL and SQLBASE statements their dictionary fixtures can take.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "engine/drivers/local/dbase/replace.h"
#include "engine/drivers/local/dir/localdriver.h"
#include "engine/drivers/local/fileio.h"
#include "engine/registry.h"
#include "engine/trace.h"
#include "schema/createcatalog.h"
#include "fixtures/servers.h"
#include "runcases.h"

namespace vlm::schema {
namespace {

namespace fs = std::filesystem;
using test::errorOf;
using test::expectColumns;
using test::joined;
using test::ref;
using tableinfo::test::exec;
using tableinfo::test::IndexShape;

const bool kEnvironment = [] {
    ::setenv("VLM_PG_STATE", VLM_SCHEMA_PG_STATE, 0);
    ::setenv("FIREBIRD_LOCK", VLM_SCHEMA_FB_LOCK, 0);
    return true;
}();

std::string scratch(const std::string& name) {
    fs::path p = fs::path(VLM_SCHEMA_TMP) / ("schema_" + name);
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

std::vector<std::vector<std::string>> rows(engine::Database& db, const std::string& sql) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.open();
    std::vector<std::vector<std::string>> out;
    for (q.first(); !q.eof(); q.next()) {
        std::vector<std::string> r;
        for (int i = 0; i < q.fieldCount(); ++i) r.push_back(q.field(i).asString());
        out.push_back(r);
    }
    return out;
}

TEST(Run, FirebirdEmbedded) {
    if (!engine::DriverRegistry::standard().has("INTRBASE")) GTEST_SKIP() << "Firebird is not part of this build";
    engine::Database db;
    db.setDatabaseName("INTRBASE:" + scratch("fb") + "/sc.fdb");
    db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey", "CREATE=TRUE"};
    db.open();
    test::firebirdRuns(db);
}

TEST(Run, PostgreSqlWithItsOwnTypes) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return;
    engine::Database db;
    db.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/vlmtest");
    db.params() = {"USER NAME=pgtest"};
    db.open();
    exec(db, "DROP TABLE IF EXISTS sc_pg, sc_pg_copy", true);
    const ServerKind K = ServerKind::OTHER;
    const std::vector<NewColumn> cols{{"ID", "bigint", "", "", true},      {"NAME", "VARCHAR", "20", "", true},
                                      {"AMOUNT", "NUMERIC", "10", "2", false}, {"NOTE", "text", "", "", false},
                                      {"OK", "boolean", "", "", false},      {"AT", "timestamp", "", "", false},
                                      {"DATA", "bytea", "", "", false},      {"U", "uuid", "", "", false},
                                      {"DOC", "jsonb", "", "", false}};
    runCreate(db, joined(createTableText(K, "SC_PG", cols)));
    runCreate(db, joined(createIndexText(K, true, "SC_PG_NAME", "SC_PG", {"NAME"})));
    runCreate(db, joined(createIndexText(K, false, "SC_PG_OA", "SC_PG", {"OK", "AT"})));
    const auto t = ref(K, "public.sc_pg", "POSTGRESQL");
    expectColumns(db, t,
                  {{"id", "bigint", "", "", "False"}, {"name", "character varying", "20", "", "False"},
                   {"amount", "numeric", "10", "2", "True"}, {"note", "text", "", "", "True"},
                   {"ok", "boolean", "", "", "True"}, {"at", "timestamp without time zone", "", "", "True"},
                   {"data", "bytea", "", "", "True"}, {"u", "uuid", "", "", "True"}, {"doc", "jsonb", "", "", "True"}});
    EXPECT_EQ(test::indexShapes(db, t), (std::vector<IndexShape>{{"name", true}, {"ok,at", false}}));
    // A type the server does not know, a name already taken: the server's own words.
    EXPECT_NE(errorOf([&] { runCreate(db, joined(createTableText(K, "SC_BAD", {{"A", "NOSUCHTYPE", "", "", false}}))); })
                  .find("type \"nosuchtype\" does not exist"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { runCreate(db, joined(createTableText(K, "SC_PG", cols))); }).find("already exists"),
              std::string::npos);
    // The structure editor's statements of the other kinds: drops and adds in one ALTER.
    tableinfo::TableInfoData d = tableinfo::readTableInfo(db, t);
    std::vector<EditRow> edit;
    for (const auto& c : d.columns) edit.push_back({c.name == "doc" || c.name == "u" ? RowMark::Del : RowMark::None, c});
    edit.push_back({RowMark::New, {"qty", "integer", "0", "0", "False", "0"}});
    AlterScript s = alterTableScript(t.target(), "public.sc_pg", edit, d.columns);
    runAlter(db, K, joined(s.lines));
    tableinfo::TableInfoData after = tableinfo::readTableInfo(db, t);
    ASSERT_EQ(after.columns.size(), 8u);
    EXPECT_EQ(after.columns.back().name, "qty");
    EXPECT_EQ(after.columns.back().nullable, "False");
    // New table shaped like the shown one.
    runCreate(db, joined(tableinfo::createTableScript(t.target(), "public.sc_pg_copy", after.columns).lines));
    EXPECT_EQ(tableinfo::readTableInfo(db, ref(K, "public.sc_pg_copy", "POSTGRESQL")).columns.size(), 8u);
}

TEST(Run, Sqlite) {
    engine::Database db;
    db.setDatabaseName("SQLITE:" + scratch("sqlite") + "/sc.sqlite");
    db.open();
    const ServerKind K = ServerKind::OTHER;
    runCreate(db, joined(createTableText(K, "SC_T",
                                         {{"ID", "INTEGER", "", "", true},
                                          {"NAME", "VARCHAR", "20", "", true},
                                          {"PRICE", "NUMERIC", "10", "2", false},
                                          {"NOTE", "TEXT", "", "", false},
                                          {"PIC", "BLOB", "", "", false}})));
    runCreate(db, joined(createIndexText(K, true, "SC_T_NAME", "SC_T", {"NAME"})));
    const auto t = ref(K, "SC_T", "SQLITE");
    expectColumns(db, t,
                  {{"ID", "INTEGER", "", "", "False"}, {"NAME", "VARCHAR", "20", "", "False"},
                   {"PRICE", "NUMERIC", "10", "2", "True"}, {"NOTE", "TEXT", "", "", "True"},
                   {"PIC", "BLOB", "", "", "True"}});
    EXPECT_EQ(test::indexShapes(db, t), (std::vector<IndexShape>{{"NAME", true}}))
        << joined(tableinfo::readTableInfo(db, t).indexes);
    exec(db, "insert into SC_T (ID, NAME, NOTE) values (1, 'one', 'kept')");
    // SQLite takes one action per ALTER: an add, then a drop.
    tableinfo::TableInfoData d = tableinfo::readTableInfo(db, t);
    std::vector<EditRow> edit;
    for (const auto& c : d.columns) edit.push_back({RowMark::None, c});
    edit.push_back({RowMark::New, {"QTY", "INTEGER", "0", "0", "True"}});
    runAlter(db, K, joined(alterTableScript(t.target(), "SC_T", edit, d.columns).lines));
    d = tableinfo::readTableInfo(db, t);
    edit.clear();
    for (const auto& c : d.columns) edit.push_back({c.name == "PIC" ? RowMark::Del : RowMark::None, c});
    runAlter(db, K, joined(alterTableScript(t.target(), "SC_T", edit, d.columns).lines));
    EXPECT_EQ(rows(db, "select * from SC_T"), (std::vector<std::vector<std::string>>{{"1", "one", "", "kept", ""}}));
    // Two actions at once: SQLite's own refusal.
    d = tableinfo::readTableInfo(db, t);
    edit.clear();
    for (const auto& c : d.columns) edit.push_back({c.name == "QTY" ? RowMark::Del : RowMark::None, c});
    edit.push_back({RowMark::New, {"X", "INTEGER", "0", "0", "True"}});
    EXPECT_FALSE(errorOf([&] { runAlter(db, K, joined(alterTableScript(t.target(), "SC_T", edit, d.columns).lines)); })
                     .empty());
    EXPECT_EQ(tableinfo::readTableInfo(db, t).columns.size(), 5u);
}

// ODBC data sources: after the common list the chooser offers the types the driver lists for
// its server, each once, and a table made with them is on the server as asked.
TEST(Run, OdbcTypeListAddsTheDataSourcesOwnTypes) {
    const std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return;
    struct Case {
        const char* what;
        std::string database;
        std::vector<std::string> params;
        std::vector<std::string> own;   // some of the driver's types the list must carry
        NewColumn column;               // a column of one of them
        std::string readBack;           // its type as the catalog gives it
    } cases[] = {
        {"PostgreSQL Unicode", "ODBC:127.0.0.1",
         {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlmtest", "CONNECT STRING=PORT=" + port, "USER NAME=pgtest"},
         {"int8", "bytea", "uuid", "bool", "float8"}, {"N", "int8", "", "", true}, "int8"},
        {"SQLite3", "ODBC:" + scratch("odbc") + "/types.sqlite", {"ODBC DRIVER=SQLite3"},
         {"bigint", "longvarchar"}, {"N", "bigint", "", "", true}, "bigint"},
    };
    const std::vector<std::string> common = columnTypes(ServerKind::OTHER, "", LocalFormat::Dbase, "ODBC");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine::Database db;
        db.setDatabaseName(c.database);
        db.params() = c.params;
        db.open();
        const std::vector<std::string> own = serverOwnTypes(db);
        const std::vector<std::string> list = columnTypes(ServerKind::OTHER, "", LocalFormat::Dbase, "ODBC", own);
        ASSERT_GT(list.size(), common.size());
        EXPECT_TRUE(std::equal(common.begin(), common.end(), list.begin()));
        for (const auto& t : c.own) EXPECT_EQ(std::count(list.begin(), list.end(), t), 1) << t;
        std::set<std::string> seen;   // no name twice, whatever its case
        for (std::string t : list) {
            for (char& ch : t) ch = char(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_TRUE(seen.insert(t).second) << t;
        }
        exec(db, "drop table if exists sc_odbc", true);
        runCreate(db, joined(createTableText(ServerKind::OTHER, "sc_odbc", {c.column, {"S", "VARCHAR", "12", "", false}})));
        const auto t = ref(ServerKind::OTHER, c.database.find(".sqlite") == std::string::npos ? "public.sc_odbc" : "sc_odbc", "ODBC");
        tableinfo::TableInfoData d = tableinfo::readTableInfo(db, t);
        ASSERT_TRUE(d.errors.empty()) << d.errors.front();
        ASSERT_EQ(d.columns.size(), 2u);
        EXPECT_EQ(d.columns[0].type, c.readBack);
        EXPECT_EQ(d.columns[0].nullable, "False");
        exec(db, "drop table sc_odbc");
    }
}

// dBase and Paradox: the create window's tables and index, records kept through an ALTER.
TEST(Run, DbaseAndParadox) {
    std::string dir = scratch("local");
    engine::Database db;
    db.setDatabaseName(dir);
    db.open();
    const ServerKind K = ServerKind::STANDARD;
    runCreate(db, joined(createTableText(K, "CUST.DBF",
                                         {{"CUSTNO", "NUMERIC", "6", "", false},
                                          {"NAME", "CHAR", "20", "", true},
                                          {"NOTES", "MEMO", "", "", false},
                                          {"SINCE", "DATE", "", "", false},
                                          {"VIP", "BOOLEAN", "", "", false},
                                          {"BAL", "NUMERIC", "10", "2", false}})));
    runCreate(db, joined(createIndexText(K, false, "BYNAME", "CUST.DBF", {"NAME"})));
    const auto t = ref(K, "CUST.DBF", "STANDARD", "DBASE");
    expectColumns(db, t,
                  {{"CUSTNO", "NUMERIC", "6", "0", "True"}, {"NAME", "CHAR", "20", "", "True"},
                   {"NOTES", "MEMO", "", "", "True"}, {"SINCE", "DATE", "", "", "True"},
                   {"VIP", "LOGICAL", "", "", "True"}, {"BAL", "NUMERIC", "10", "2", "True"}});
    EXPECT_EQ(test::indexShapes(db, t).size(), 1u);
    exec(db, "insert into CUST (CUSTNO, NAME, NOTES, BAL) values (1, 'Shell Bay', 'a long note', 10.5)");
    exec(db, "insert into CUST (CUSTNO, NAME, BAL) values (2, 'North Pier', 3)");
    tableinfo::TableInfoData d = tableinfo::readTableInfo(db, t);
    std::vector<EditRow> edit;
    for (const auto& c : d.columns) edit.push_back({c.name == "VIP" ? RowMark::Del : RowMark::None, c});
    edit.push_back({RowMark::New, {"CITY", "CHAR", "15"}});
    AlterScript s = alterTableScript(t.target(), "CUST.DBF", edit, d.columns);
    EXPECT_EQ(s.lines, (std::vector<std::string>{"Alter Table \"CUST.DBF\"", "Drop VIP", ", Add CITY CHAR(15)"}));
    runAlter(db, K, joined(s.lines));
    EXPECT_EQ(rows(db, "select CUSTNO, NAME, NOTES, BAL, CITY from CUST order by CUSTNO"),
              (std::vector<std::vector<std::string>>{{"1", "Shell Bay", "a long note", "10.5", ""},
                                                     {"2", "North Pier", "", "3", ""}}));
    EXPECT_EQ(test::indexShapes(db, t).size(), 1u);

    runCreate(db, joined(createTableText(K, "PARTS.DB",
                                         {{"PARTNO", "AUTOINC", "", "", false},
                                          {"DESCR", "CHARACTER", "30", "", false},
                                          {"QTY", "SMALLINT", "", "", false},
                                          {"PRICE", "MONEY", "", "", false},
                                          {"COST", "DECIMAL", "12", "2", false},
                                          {"INFO", "FORMATTED MEMO", "20", "", false},
                                          {"NOTE", "MEMO", "", "", false},
                                          {"AT", "TIMESTAMP", "", "", false}})));
    const auto p = ref(K, "PARTS.DB", "STANDARD", "PARADOX");
    tableinfo::TableInfoData pd = tableinfo::readTableInfo(db, p);
    ASSERT_EQ(pd.columns.size(), 8u);
    EXPECT_EQ(pd.columns[1].size, "30");
    exec(db, "insert into PARTS (DESCR, QTY, NOTE) values ('bolt', 7, 'plain memo')");
    edit.clear();
    for (const auto& c : pd.columns) edit.push_back({c.name == "COST" ? RowMark::Del : RowMark::None, c});
    edit.push_back({RowMark::New, {"WEIGHT", "NUMERIC", "8", "3"}});
    runAlter(db, K, joined(alterTableScript(p.target(), "PARTS.DB", edit, pd.columns).lines));
    EXPECT_EQ(rows(db, "select PARTNO, DESCR, QTY, NOTE, WEIGHT from PARTS"),
              (std::vector<std::vector<std::string>>{{"1", "bolt", "7", "plain memo", ""}}));
    // A new local table from the structure editor is named with its extension.
    runCreate(db, joined(tableinfo::createTableScript(t.target(), newTableName(t.target(), "CUST2"),
                                                      tableinfo::readTableInfo(db, t).columns)
                             .lines));
    EXPECT_TRUE(fs::exists(fs::path(dir) / "CUST2.DBF"));
    EXPECT_NE(errorOf([&] { runCreate(db, "create table \"X.DBF\"\n(\nA VARCHAR2(3)\n)"); }).find("VARCHAR2"),
              std::string::npos);
}

// Every file of the directory, by name.
std::map<std::string, std::string> snapshot(const std::string& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::ifstream in(e.path(), std::ios::binary);
        out[e.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return out;
}

// An ALTER that fails at any read, write, open or rename leaves every file of the table (data,
// memo, index) exactly as it was and no other file behind; once it gets through, every record
// keeps its other values.
TEST(Run, LocalAlterSurvivesAFaultAtEveryStep) {
    using engine::local::FaultyFileSystem;
    struct Table {
        const char* create;
        const char* index;
        const char* insert;
        const char* check;
        std::vector<std::string> expected;
    } tables[] = {
        {"create table \"CUST.DBF\"\n(\nCUSTNO NUMERIC(6), \nNAME CHAR(20), \nNOTES BLOB(1,1), \nVIP BOOLEAN\n)",
         "CREATE INDEX BYNAME ON \"CUST.DBF\"\n(\nNAME\n)",
         "insert into CUST (CUSTNO, NAME, NOTES, VIP) values (1, 'Shell Bay', 'memo kept', true)",
         "select CUSTNO, NAME, NOTES from CUST", {"1", "Shell Bay", "memo kept"}},
        {"create table \"PARTS.DB\"\n(\nPARTNO INTEGER, \nDESCR CHARACTER(20), \nINFO BLOB(10,1), \nCOST MONEY\n)",
         nullptr, "insert into PARTS (PARTNO, DESCR, INFO, COST) values (5, 'bolt', 'a memo longer than ten', 2)",
         "select PARTNO, DESCR, INFO from PARTS", {"5", "bolt", "a memo longer than ten"}},
    };
    const tableinfo::DdlTarget dbf{ServerKind::STANDARD, "DBASE", tableinfo::NameCase::AsIs};
    const tableinfo::DdlTarget px{ServerKind::STANDARD, "PARADOX", tableinfo::NameCase::AsIs};
    const std::string alters[] = {
        joined(alterTableScript(dbf, "CUST.DBF",
                                {{RowMark::None, {"CUSTNO", "NUMERIC", "6"}}, {RowMark::None, {"NAME", "CHAR", "20"}},
                                 {RowMark::None, {"NOTES", "MEMO"}}, {RowMark::Del, {"VIP", "BOOLEAN"}},
                                 {RowMark::New, {"CITY", "CHAR", "10"}}},
                                {{"CUSTNO", "NUMERIC", "6"}, {"NAME", "CHAR", "20"}, {"NOTES", "MEMO"}, {"VIP", "BOOLEAN"}})
                   .lines),
        joined(alterTableScript(px, "PARTS.DB",
                                {{RowMark::None, {"PARTNO", "INTEGER"}}, {RowMark::None, {"DESCR", "ALPHA", "20"}},
                                 {RowMark::None, {"INFO", "MEMO", "10"}}, {RowMark::Del, {"COST", "MONEY"}},
                                 {RowMark::New, {"QTY", "SMALLINT"}}},
                                {{"PARTNO", "INTEGER"}, {"DESCR", "ALPHA", "20"}, {"INFO", "MEMO", "10"}, {"COST", "MONEY"}})
                   .lines)};
    for (int k = 0; k < 2; ++k) {
        const Table& tb = tables[k];
        for (auto op : {FaultyFileSystem::Open, FaultyFileSystem::Read, FaultyFileSystem::Write, FaultyFileSystem::Rename}) {
            bool through = false;
            for (int nth = 1; nth <= 400 && !through; ++nth) {
                std::string dir = scratch("fault");
                {
                    engine::Database setup;
                    setup.setDatabaseName(dir);
                    setup.open();
                    exec(setup, tb.create);
                    if (tb.index) exec(setup, tb.index);
                    exec(setup, tb.insert);
                }
                const auto before = snapshot(dir);
                FaultyFileSystem faulty(engine::local::posixFileSystem());
                bool failed = false;
                {
                    engine::local::DirConnection c(dir, faulty, engine::nullTracer());
                    faulty.failAfter(op, nth, nth % 2 == 0);
                    try {
                        c.prepare(alters[k])->execute();
                    } catch (const engine::EngineError&) {
                        failed = true;
                    }
                    faulty.reset();
                }
                SCOPED_TRACE(std::string(tb.create).substr(0, 24) + " op " + std::to_string(op) + " nth " +
                             std::to_string(nth));
                if (failed) {
                    // After a single fault the table's own files are as they were at once; when
                    // every later step fails too, the journal puts them back when the directory
                    // is opened next, which also removes the helper files of the swap.
                    auto same = [&](const std::map<std::string, std::string>& after, bool helpers) {
                        SCOPED_TRACE(helpers ? "reopened" : "at once");
                        for (const auto& [name, bytes] : after) {
                            if (!helpers && engine::local::isReplacementFile(name)) continue;
                            auto it = before.find(name);
                            EXPECT_TRUE(it != before.end()) << name << " was left behind";
                            if (it != before.end()) EXPECT_TRUE(it->second == bytes) << name << " changed";
                        }
                        for (const auto& [name, bytes] : before) EXPECT_TRUE(after.count(name)) << name << " went";
                    };
                    if (nth % 2) same(snapshot(dir), false);
                    engine::local::DirConnection reopened(dir, engine::local::posixFileSystem(), engine::nullTracer());
                    same(snapshot(dir), true);
                    continue;
                }
                through = true;
                engine::Database check;
                check.setDatabaseName(dir);
                check.open();
                EXPECT_EQ(rows(check, tb.check), (std::vector<std::vector<std::string>>{tb.expected}));
            }
            EXPECT_TRUE(through) << "the ALTER never got through";
        }
    }
}

// The dictionary fixtures: the kind's route over ODBC to a real server standing in for it.
engine::Database& fixture(const std::string& kind, const std::string& dbName) {
    static std::map<std::string, std::unique_ptr<engine::Database>> open;
    auto& slot = open[kind];
    if (!slot) {
        std::string port = vlm::test::serverPort("VLM_PG_STATE");
        slot = std::make_unique<engine::Database>();
        slot->setDatabaseName(kind + ":127.0.0.1");
        slot->params() = {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=" + dbName, "CONNECT STRING=PORT=" + port,
                          "USER NAME=pgtest"};
    }
    return *slot;
}

std::vector<std::string> columnNames(engine::Database& db, const std::string& table) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql("select * from " + table + " where 1 = 0");
    q.open();
    std::vector<std::string> out;
    for (int i = 0; i < q.fieldCount(); ++i) out.push_back(q.field(i).fieldName());
    return out;
}

TEST(Fixtures, MssqlCreateIndexAndAlterPieces) {
    engine::Database& db = fixture("MSSQL", "vlm_mssql");
    exec(db, "drop table if exists sc_ms");
    const ServerKind K = ServerKind::MSSQL;
    runCreate(db, joined(createTableText(K, "sc_ms", {{"A", "INT", "", "", true}, {"B", "CHAR", "3", "", false},
                                                      {"C", "VARCHAR", "10", "", false}, {"D", "NUMERIC", "8", "2", false}})));
    runCreate(db, joined(createIndexText(K, true, "sc_ms_b", "sc_ms", {"B"})));
    const std::vector<ColumnRow> saved{{"A", "INT"}, {"B", "CHAR", "3"}, {"C", "VARCHAR", "10"}, {"D", "NUMERIC", "8", "2"}};
    AlterScript s = alterTableScript({K, "", tableinfo::NameCase::AsIs}, "sc_ms",
                                     {{RowMark::None, saved[0]}, {RowMark::None, saved[1]}, {RowMark::Del, saved[2]},
                                      {RowMark::None, saved[3]}, {RowMark::New, {"E", "INT", "0", "0", "True"}}},
                                     saved);
    EXPECT_EQ(s.lines, (std::vector<std::string>{"Alter Table sc_ms", " Drop column C", ";", "Alter Table sc_ms",
                                                 "Add E INT Null", ";"}));
    runAlter(db, K, joined(s.lines));
    EXPECT_EQ(columnNames(db, "sc_ms"), (std::vector<std::string>{"a", "b", "d", "e"}));
    EXPECT_FALSE(db.inTransaction());
    // A later piece the server refuses: the drop it took before is rolled back with it.
    const std::vector<ColumnRow> now{{"A", "INT"}, {"B", "CHAR", "3"}, {"D", "NUMERIC", "8", "2"}, {"E", "INT"}};
    s = alterTableScript({K, "", tableinfo::NameCase::AsIs}, "sc_ms",
                         {{RowMark::None, now[0]}, {RowMark::Del, now[1]}, {RowMark::None, now[2]},
                          {RowMark::None, now[3]}, {RowMark::New, {"F", "NOSUCHTYPE", "0", "0", "True"}}},
                         now);
    EXPECT_EQ(s.lines, (std::vector<std::string>{"Alter Table sc_ms", " Drop column B", ";", "Alter Table sc_ms",
                                                 "Add F NOSUCHTYPE Null", ";"}));
    EXPECT_NE(errorOf([&] { runAlter(db, K, joined(s.lines)); }).find("nosuchtype"), std::string::npos);
    EXPECT_EQ(columnNames(db, "sc_ms"), (std::vector<std::string>{"a", "b", "d", "e"}));
    EXPECT_FALSE(db.inTransaction());
}

TEST(Fixtures, SqlBasePiecesRollBackTogether) {
    engine::Database& db = fixture("SQLBASE", "vlm_sqlbase");
    exec(db, "drop table if exists sc_sb");
    const ServerKind K = ServerKind::SQLBASE;
    runCreate(db, joined(createTableText(K, "SC_SB", {{"A", "CHAR", "5", "", true}, {"B", "VARCHAR", "10", "", false},
                                                      {"C", "INT", "", "", false}, {"D", "DECIMAL", "8", "2", false}})));
    const std::vector<ColumnRow> saved{{"A", "CHAR", "5"}, {"B", "VARCHAR", "10"}, {"C", "INT"}, {"D", "DECIMAL", "8", "2"}};
    std::vector<EditRow> edit{{RowMark::None, saved[0]}, {RowMark::Del, saved[1]}, {RowMark::None, saved[2]},
                              {RowMark::None, saved[3]}, {RowMark::New, {"E", "SMALLINT"}}};
    runAlter(db, K, joined(alterTableScript({K, "", tableinfo::NameCase::Upper}, "SC_SB", edit, saved).lines));
    EXPECT_EQ(columnNames(db, "sc_sb"), (std::vector<std::string>{"a", "c", "d", "e"}));
    // A piece the server refuses after one it took: neither stays.
    const std::vector<ColumnRow> now{{"A", "CHAR", "5"}, {"C", "INT"}, {"D", "DECIMAL", "8", "2"}, {"E", "SMALLINT"}};
    edit = {{RowMark::Del, now[0]}, {RowMark::None, {"C2", "INT"}}, {RowMark::None, now[2]}, {RowMark::None, now[3]}};
    AlterScript s = alterTableScript({K, "", tableinfo::NameCase::Upper}, "SC_SB", edit, now);
    EXPECT_EQ(s.lines, (std::vector<std::string>{"Alter Table SC_SB", "Drop A", ";", "Alter Table SC_SB", "Rename C C2", ";"}));
    EXPECT_FALSE(errorOf([&] { runAlter(db, K, joined(s.lines)); }).empty());
    EXPECT_EQ(columnNames(db, "sc_sb"), (std::vector<std::string>{"a", "c", "d", "e"}));
    EXPECT_FALSE(db.inTransaction());
}

TEST(Fixtures, OracleCreateIndexAndComments) {
    engine::Database& db = fixture("ORACLE", "vlm_oracle");
    exec(db, "drop table if exists sc_or");
    const ServerKind K = ServerKind::ORACLE;
    runCreate(db, joined(createTableText(K, "SC_OR", {{"A", "CHAR", "5", "", true}, {"B", "DATE", "", "", false},
                                                      {"C", "DECIMAL", "8", "2", false}, {"D", "INTEGER", "", "", false}})));
    runCreate(db, joined(createIndexText(K, false, "SC_OR_BC", "SC_OR", {"B", "C"})));
    const std::vector<ColumnRow> saved{{"A", "CHAR", "5"}, {"B", "DATE"}, {"C", "DECIMAL", "8", "2"}, {"D", "INTEGER"}};
    std::vector<EditRow> edit;
    for (const auto& c : saved) edit.push_back({RowMark::None, c});
    edit[0].row.comment = "the customer's code";
    AlterScript s = alterTableScript({K, "", tableinfo::NameCase::Upper}, "SC_OR", edit, saved);
    EXPECT_TRUE(s.lines.empty());
    ASSERT_EQ(s.comments, (std::vector<std::string>{"COMMENT ON COLUMN SC_OR.A IS 'the customer''s code'"}));
    for (const auto& c : s.comments) runStatement(db, c);
    EXPECT_EQ(rows(db, "select col_description(cast('sc_or' as regclass), 1)"),
              (std::vector<std::vector<std::string>>{{"the customer's code"}}));
    EXPECT_EQ(columnNames(db, "sc_or"), (std::vector<std::string>{"a", "b", "c", "d"}));
}

}  // namespace
}  // namespace vlm::schema
