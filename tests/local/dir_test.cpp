// The directory driver through the driver interface: table list, table cursors, table
// services, the local SQL with its DDL, alias-qualified names and restructure.
#include <algorithm>
#include <gtest/gtest.h>

#include "engine/drivers/local/dbase/dbf.h"
#include "engine/drivers/local/dbase/mdx.h"
#include "engine/drivers/local/dir/localddl.h"
#include "engine/drivers/local/dir/demo.h"
#include "engine/drivers/local/dir/localdriver.h"
#include "engine/error.h"
#include "engine/registry.h"
#include "testutil.h"

using namespace vlm::engine;
using namespace vlm::engine::local;
using vlm::test::TempDir;

namespace {

struct Fixture : ::testing::Test {
    TempDir dir;
    std::unique_ptr<Connection> conn;
    void SetUp() override {
        writeDemoFolder(dir.path());
        conn = DriverRegistry::standard().create("STANDARD")->connect({dir.path(), {}}, nullTracer());
    }
    std::vector<std::vector<std::string>> query(const std::string& sql, Connection* c = nullptr) {
        auto cur = (c ? c : conn.get())->prepare(sql)->execute();
        std::vector<std::vector<std::string>> out;
        if (!cur) return out;
        std::vector<Row> rows;
        while (cur->fetch(100, rows)) {}
        for (auto& r : rows) {
            std::vector<std::string> line;
            for (auto& v : r.values) line.push_back(v.isNull() ? "NULL" : v.asText());
            out.push_back(line);
        }
        return out;
    }
    std::int64_t exec(const std::string& sql) {
        auto st = conn->prepare(sql);
        st->execute();
        return st->rowsAffected();
    }
    std::string error(const std::function<void()>& f) {
        try {
            f();
        } catch (const EngineError& e) {
            return e.what();
        }
        return "";
    }
};
using Rows = std::vector<std::vector<std::string>>;

}  // namespace

TEST_F(Fixture, TableListHasTheExtendedAttributes) {
    vlm::test::writeAll(dir / "README.TXT", "not a table");
    auto list = conn->tables(false);
    auto named = [&](const std::string& n) {
        return std::find_if(list.begin(), list.end(), [&](const auto& e) { return e.name == n; });
    };
    EXPECT_EQ(named("README.TXT"), list.end());
    ASSERT_NE(named("CUSTOMER.DBF"), list.end());
    const auto& c = *named("CUSTOMER.DBF");
    EXPECT_EQ(c.extension, "DBF");
    EXPECT_EQ(c.type, "DBASE");
    EXPECT_FALSE(c.view);
    EXPECT_EQ(c.fileName, dir / "CUSTOMER.DBF");
    EXPECT_EQ(c.size, std::int64_t(vlm::test::readAll(dir / "CUSTOMER.DBF").size()));
    ASSERT_TRUE(c.modified.has_value());
    EXPECT_GE(c.modified->date.year, 2024);
    EXPECT_FALSE(conn->capabilities().sqlBased);
    // A damaged table still lists, and the others still open.
    vlm::test::writeAll(dir / "BROKEN.DBF", "garbage");
    EXPECT_EQ(conn->tables(false).size(), list.size() + 1);
    EXPECT_NE(error([&] { conn->fieldDefs("BROKEN.DBF"); }).find("is damaged"), std::string::npos);
    EXPECT_EQ(conn->fieldDefs("ORDERS.DBF").size(), 5u);
}

TEST_F(Fixture, TableCursorCountsSeeksSortsAndShowsDeleted) {
    auto cur = conn->openTable("CUSTOMER.DBF", {});
    EXPECT_EQ(cur->rowCount(), 4);
    std::vector<Row> rows;
    cur->seek(2);
    cur->fetch(10, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].values[1], Value("Fellgate Outfitters"));
    EXPECT_EQ(rows[0].key, Value(std::int64_t(2)));
    cur->deleteRow(rows[0]);
    cur.reset();

    auto hidden = conn->openTable("CUSTOMER", {});
    EXPECT_EQ(hidden->rowCount(), 3);
    EXPECT_EQ(error([&] { hidden->undeleteRow(rows[0]); }), "Soft deletes is not on");

    TableOpenOptions show;
    show.showDeleted = true;
    auto all = conn->openTable("CUSTOMER.DBF", show);
    EXPECT_EQ(all->rowCount(), 4);
    std::vector<Row> r2;
    all->fetch(10, r2);
    EXPECT_TRUE(r2[2].deleted);
    all->undeleteRow(r2[2]);
    all.reset();

    TableOpenOptions sorted;
    sorted.indexFieldNames = {"CITY"};
    auto byCity = conn->openTable("CUSTOMER.DBF", sorted);
    std::vector<Row> r3;
    byCity->fetch(10, r3);
    std::vector<std::string> cities;
    for (auto& r : r3) cities.push_back(r.values[2].asText());
    EXPECT_EQ(cities, (std::vector<std::string>{"Brighton", "Leeds", "Plymouth", "York"}));
}

TEST_F(Fixture, ExclusiveOpenLocksOutOthers) {
    TableOpenOptions ex;
    ex.exclusive = true;
    auto holder = conn->openTable("ORDERS.DBF", ex);
    EXPECT_EQ(error([&] { conn->openTable("ORDERS.DBF", {}); }), "Table " + dir / "ORDERS.DBF" + " is locked by another program");
    EXPECT_NE(error([&] { query("select * from ORDERS"); }).find("locked by another program"), std::string::npos);
}

TEST_F(Fixture, LocalSqlSelectsJoinsGroupsAndSubqueries) {
    EXPECT_EQ(query("select NAME from \"CUSTOMER.DBF\" where CUSTNO = 1002"), (Rows{{"Blue Harbour Diving"}}));
    EXPECT_EQ(query("select c.NAME, count(*), sum(o.AMOUNT) from CUSTOMER c join ORDERS.DBF o on o.CUSTNO = c.CUSTNO "
                    "group by c.NAME order by 1"),
              (Rows{{"Blue Harbour Diving", "1", "89.99"}, {"Coral Reef Tours", "1", "77.25"}, {"Kingfisher Supplies", "2", "1660.5"}}));
    EXPECT_EQ(query("select NAME from customer where CUSTNO not in (select CUSTNO from orders) "), (Rows{{"Fellgate Outfitters"}}));
    EXPECT_EQ(query("select SALEDATE, NOTES from ORDERS where ORDERNO = 3"), (Rows{{"2024-02-20", "Second order of the year"}}));
    EXPECT_EQ(query("select NAZV from GOROD where KOD = 2"), (Rows{{"Санкт-Петербург"}}));
    // Typed result columns from the table's field definitions.
    auto cur = conn->prepare("select SALEDATE, AMOUNT, NOTES from ORDERS")->execute();
    EXPECT_EQ(cur->fields()[0].type, FieldType::Date);
    EXPECT_EQ(cur->fields()[1].scale, 2);
    EXPECT_EQ(cur->fields()[2].type, FieldType::Memo);
}

TEST_F(Fixture, LocalSqlChangesKeepMemosAndIndexes) {
    EXPECT_EQ(exec("insert into ORDERS (ORDERNO, CUSTNO, SALEDATE, AMOUNT, NOTES) values (5, 1003, '2024-04-01', 5.5, 'fresh memo')"), 1);
    auto st = conn->prepare("update ORDERS set AMOUNT = AMOUNT * 2 where CUSTNO = ?");
    st->bind(0, Value(1001), FieldType::Integer);
    st->execute();
    EXPECT_EQ(st->rowsAffected(), 2);
    EXPECT_EQ(exec("delete from ORDERS where ORDERNO = 2"), 1);
    EXPECT_EQ(query("select ORDERNO, AMOUNT, NOTES from ORDERS order by ORDERNO"),
              (Rows{{"1", "2501", "Deliver to the back door.\r\nCall first."}, {"3", "820", "Second order of the year"},
                    {"4", "77.25", "Gift wrapped"}, {"5", "5.5", "fresh memo"}}));
    // The production index saw every change: keys in CUSTNO order, record numbers 1-based.
    auto keys = dbase::readMdxKeys(posixFileSystem(), dir / "ORDERS.MDX", "BYCUST");
    std::vector<std::uint32_t> recs;
    for (auto& k : keys) recs.push_back(k.second);
    EXPECT_EQ(recs, (std::vector<std::uint32_t>{1, 3, 2, 5, 4}));   // deleted record 2 stays indexed
    // Clearing all records as the table window does it: unquoted name, then pack.
    exec("Delete From ORDERS.DBF");
    conn->packTable("ORDERS.DBF", nullptr);
    EXPECT_EQ(conn->openTable("ORDERS.DBF", {})->rowCount(), 0);
}

TEST_F(Fixture, LocalDdlCreatesIndexesAltersAndDrops) {
    exec("create table \"PARTS.DBF\"\n(\nPARTNO NUMERIC(6), \nDESCR CHAR(30), \nCOST NUMERIC(10,2), \nPIC BLOB(10,2), \nINFO BLOB(20,1), \nOK BOOLEAN, \nD DATE\n)");
    auto f = conn->fieldDefs("PARTS.DBF");
    ASSERT_EQ(f.size(), 7u);
    EXPECT_EQ(f[0].nativeType, "N");
    EXPECT_EQ(f[0].size, 6);
    EXPECT_EQ(f[2].scale, 2);
    EXPECT_EQ(f[3].subType, subtype::TYPEDBINARY);
    EXPECT_EQ(f[4].subType, subtype::MEMO);
    exec("insert into PARTS (PARTNO, DESCR, INFO) values (7, 'bolt', 'long text')");
    exec("CREATE UNIQUE INDEX BYDESCR ON \"PARTS.DBF\"\n(\nDESCR\n)");
    auto ix = conn->indexDefs("PARTS.DBF");
    ASSERT_EQ(ix.size(), 1u);
    EXPECT_TRUE(ix[0].unique);
    exec("ALTER TABLE \"PARTS.DBF\" ADD WEIGHT NUMERIC(8,3), DROP COST");
    EXPECT_EQ(query("select PARTNO, DESCR, INFO, WEIGHT from PARTS"), (Rows{{"7", "bolt", "long text", "NULL"}}));
    EXPECT_EQ(conn->indexDefs("PARTS.DBF").size(), 1u);
    exec("Drop Index \"PARTS.DBF\".BYDESCR");
    EXPECT_TRUE(conn->indexDefs("PARTS.DBF").empty());
    exec("DROP TABLE \"PARTS.DBF\"");
    EXPECT_FALSE(posixFileSystem().exists(dir / "PARTS.DBF"));
    EXPECT_FALSE(posixFileSystem().exists(dir / "PARTS.DBT"));

    struct Bad { const char* sql; const char* message; };
    for (const Bad& b : {Bad{"create table \"X.DBF\" (A CHAR(3) DEFAULT 'x')", "Unsupported clause in CREATE TABLE: DEFAULT"},
                         Bad{"create table \"X.DBF\" (A CHAR(3), CONSTRAINT C CHECK (A > 0))", "Unsupported clause in CREATE TABLE: CONSTRAINT"},
                         Bad{"create table \"X.DBF\" (A VARCHAR2(3))", "Unsupported column type VARCHAR2 for column A"},
                         Bad{"ALTER TABLE \"ORDERS.DBF\" RENAME TO X", "Unsupported clause in ALTER TABLE: RENAME"},
                         Bad{"create table \"X.DBF\" (A CHAR(3), PRIMARY KEY (A))", "PRIMARY KEY is not supported on dBase tables"},
                         Bad{"ALTER TABLE ORDERS.DBF DROP NOSUCH", "Field NOSUCH not found in table ORDERS.DBF"},
                         Bad{"create table \"X.DBF\" (B NUMERIC(10,29999999999999))", "Invalid scale 29999999999999 of B in CREATE TABLE"},
                         Bad{"create table \"X.DBF\" (A CHAR(99999))", "Invalid size 99999 of A in CREATE TABLE"}})
        EXPECT_EQ(error([&] { exec(b.sql); }), b.message) << b.sql;
    EXPECT_FALSE(posixFileSystem().exists(dir / "X.DBF"));
}

TEST_F(Fixture, RenameMovesEveryCompanionAndDropEmptyWork) {
    conn->renameTable("ORDERS.DBF", "SALES");
    for (const char* f : {"SALES.DBF", "SALES.DBT", "SALES.MDX"}) EXPECT_TRUE(posixFileSystem().exists(dir / f)) << f;
    for (const char* f : {"ORDERS.DBF", "ORDERS.DBT", "ORDERS.MDX"}) EXPECT_FALSE(posixFileSystem().exists(dir / f)) << f;
    EXPECT_EQ(query("select count(*) from SALES"), (Rows{{"4"}}));
    EXPECT_EQ(error([&] { conn->renameTable("SALES.DBF", "CUSTOMER.DBF"); }), "Table CUSTOMER.DBF already exists");
    conn->emptyTable("SALES.DBF");
    EXPECT_EQ(query("select count(*) from SALES"), (Rows{{"0"}}));
    conn->dropTable("SALES.DBF");
    EXPECT_EQ(error([&] { conn->fieldDefs("SALES.DBF"); }), "Table SALES.DBF not found in " + dir.path());
}

TEST_F(Fixture, RestructureAndRenameSurviveInjectedFaults) {
    for (auto op : {FaultyFileSystem::Open, FaultyFileSystem::Write, FaultyFileSystem::Rename}) {
        for (int nth = 1; nth <= 12; nth += 1) {
            TempDir d;
            writeDemoFolder(d.path());
            std::string before = vlm::test::readAll(d / "ORDERS.DBF");
            FaultyFileSystem faulty(posixFileSystem());
            DirConnection c(d.path(), faulty, nullTracer());
            faulty.failAfter(op, nth, nth % 2 == 0);
            bool failed = false;
            try {
                c.alterTable("ORDERS.DBF", {localFieldType("EXTRA", "CHAR", 4, -1)}, {"SALEDATE"});
            } catch (const EngineError&) {
                failed = true;
            }
            faulty.reset();
            DirConnection check(d.path(), posixFileSystem(), nullTracer());   // recovers
            auto rows = query("select ORDERNO, NOTES from ORDERS order by 1", &check);
            ASSERT_EQ(rows.size(), 4u) << op << " " << nth;
            EXPECT_EQ(rows[0][1], "Deliver to the back door.\r\nCall first.");
            if (failed) EXPECT_EQ(vlm::test::readAll(d / "ORDERS.DBF"), before) << op << " " << nth;
            else EXPECT_EQ(check.fieldDefs("ORDERS.DBF").back().name, "EXTRA");
        }
    }
    for (int nth = 1; nth <= 3; ++nth) {
        TempDir d;
        writeDemoFolder(d.path());
        FaultyFileSystem faulty(posixFileSystem());
        DirConnection c(d.path(), faulty, nullTracer());
        faulty.failAfter(FaultyFileSystem::Rename, nth, false);
        EXPECT_THROW(c.renameTable("ORDERS.DBF", "SALES.DBF"), EngineError);
        faulty.reset();
        DirConnection check(d.path(), posixFileSystem(), nullTracer());
        EXPECT_EQ(query("select count(*) from ORDERS", &check), (Rows{{"4"}})) << nth;
        EXPECT_FALSE(posixFileSystem().exists(d / "SALES.DBF"));
    }
}

namespace {
// Tables of a second directory stand in for another engine database.
struct DirResolver : ForeignTableResolver {
    std::map<std::string, std::unique_ptr<Connection>> dbs;
    std::unique_ptr<Cursor> open(const std::string& alias, const std::string& table) override {
        auto it = dbs.find(alias);
        if (it == dbs.end()) throw EngineError(ErrorCategory::Config, errc::UnknownAlias, {"Unknown alias " + alias});
        return it->second->openTable(table, {});
    }
};
}  // namespace

TEST_F(Fixture, AliasQualifiedNamesJoinOtherDatabases) {
    TempDir other;
    auto oc = std::make_unique<DirConnection>(other.path(), posixFileSystem(), nullTracer());
    oc->createTable("REGION.DBF", {localFieldType("CITY", "CHAR", 20, -1), localFieldType("REGION", "CHAR", 10, -1)}, {});
    oc->prepare("insert into REGION values ('Leeds', 'North'), ('York', 'North'), ('Brighton', 'South')")->execute();
    auto resolver = std::make_shared<DirResolver>();
    resolver->dbs["OTHER"] = std::move(oc);
    // A connection with no database: only alias-qualified names reach tables.
    DirConnection none("", posixFileSystem(), nullTracer());
    none.setForeignResolver(resolver);
    resolver->dbs["DEMO"] = std::make_unique<DirConnection>(dir.path(), posixFileSystem(), nullTracer());
    EXPECT_EQ(query("select r.REGION, count(*) from \":DEMO:CUSTOMER.DBF\" c join \":OTHER:REGION\" r on r.CITY = c.CITY "
                    "group by r.REGION order by 1", &none),
              (Rows{{"North", "2"}, {"South", "1"}}));
    EXPECT_NE(error([&] { query("select * from \":NOPE:X\"", &none); }).find("Unknown alias NOPE"), std::string::npos);
    EXPECT_TRUE(none.tables(false).empty());
    // A quoted path reaches a file of any directory.
    EXPECT_EQ(query("select count(*) from \"" + dir / "ORDERS.DBF" + "\"", &none), (Rows{{"4"}}));
}
