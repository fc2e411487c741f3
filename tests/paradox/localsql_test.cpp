// Paradox tables through the directory driver: the table list, the Paradox DDL of the create
// window, local SQL reads and changes with indexes kept, ALTER TABLE, pack, and copying between
// dBase and Paradox tables of one directory.
#include <gtest/gtest.h>

#include <functional>

#include "engine/drivers/local/dir/localdriver.h"
#include "engine/drivers/local/paradox/paradox.h"
#include "engine/error.h"
#include "engine/registry.h"
#include "testutil.h"

using namespace vlm::engine;
using namespace vlm::engine::local;

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct LocalSql : ::testing::Test {
    std::string dir = pxtest::tempDir();
    std::unique_ptr<Connection> conn;
    void SetUp() override {
        paradox::writeParadoxDemoTables(dir);
        conn = DriverRegistry::standard().create("STANDARD")->connect({dir, {}}, nullTracer());
    }
    Rows query(const std::string& sql) {
        auto cur = conn->prepare(sql)->execute();
        Rows out;
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

TEST_F(LocalSql, TableListShowsParadoxTables) {
    auto list = conn->tables(false);
    auto it = std::find_if(list.begin(), list.end(), [](const TableEntry& e) { return e.name == "CLIENTS.DB"; });
    ASSERT_NE(it, list.end());
    EXPECT_EQ(it->extension, "DB");
    EXPECT_EQ(it->type, "PARADOX");
    EXPECT_GT(it->size, 0);
    // Companion files are no tables of their own.
    for (auto& e : list) EXPECT_NE(e.extension, "PX") << e.name;
    EXPECT_EQ(conn->indexDefs("CLIENTS.DB").size(), 2u);
}

TEST_F(LocalSql, ParadoxDdlAndChangesKeepIndexesRight) {
    exec("create table \"PARTS.DB\" (PARTNO INTEGER, NAME CHARACTER(20), PRICE MONEY, QTY SMALLINT, "
         "NOTES BLOB(20,1), PIC BLOB(10,5), STAMP TIMESTAMP, OK BOOLEAN, AMT DECIMAL(10,2), SEQ AUTOINC, "
         "PRIMARY KEY (PARTNO))");
    auto defs = conn->fieldDefs("PARTS.DB");
    ASSERT_EQ(defs.size(), 10u);
    EXPECT_EQ(defs[2].subType, subtype::MONEY);
    EXPECT_EQ(defs[4].subType, subtype::MEMO);
    EXPECT_EQ(defs[4].size, 20);
    EXPECT_EQ(defs[5].subType, subtype::GRAPHIC);
    EXPECT_EQ(defs[8].scale, 2);
    EXPECT_EQ(defs[9].subType, subtype::AUTOINC);

    EXPECT_EQ(exec("insert into \"PARTS.DB\" (PARTNO, NAME, PRICE, QTY, NOTES, AMT) values (30, 'Regulator', 199.5, 4, 'a long note about a regulator that does not fit', 12.5)"), 1);
    exec("insert into PARTS (PARTNO, NAME, PRICE, QTY) values (10, 'Mask', 25, 10)");
    exec("insert into PARTS (PARTNO, NAME, PRICE, QTY) values (20, 'Fins', 40, 0)");
    EXPECT_NE(error([&] { exec("insert into PARTS (PARTNO, NAME) values (20, 'Again')"); }), "");
    exec("create index BYNAME on \"PARTS.DB\" (NAME)");
    EXPECT_EQ(query("select PARTNO, NAME, SEQ from PARTS"),
              (Rows{{"10", "Mask", "2"}, {"20", "Fins", "3"}, {"30", "Regulator", "1"}}));
    EXPECT_EQ(exec("update PARTS set PARTNO = 5 where NAME = 'Regulator'"), 1);
    EXPECT_EQ(exec("delete from PARTS where QTY = 0"), 1);
    EXPECT_EQ(query("select PARTNO, NOTES, AMT from \"PARTS.DB\" order by PARTNO"),
              (Rows{{"5", "a long note about a regulator that does not fit", "12.5"}, {"10", "NULL", "NULL"}}));
    EXPECT_EQ(query("select count(*), sum(PRICE) from PARTS where PRICE > 20"), (Rows{{"2", "224.5"}}));
    auto idx = conn->indexDefs("PARTS.DB");
    ASSERT_EQ(idx.size(), 2u);
    EXPECT_EQ(idx[1].name, "BYNAME");
    exec("Drop Index \"PARTS.DB\".BYNAME");
    EXPECT_EQ(conn->indexDefs("PARTS.DB").size(), 1u);
    exec("DROP TABLE \"PARTS.DB\"");
    for (const char* f : {"PARTS.DB", "PARTS.PX", "PARTS.MB", "PARTS.XG0", "PARTS.YG0"})
        EXPECT_FALSE(pxtest::exists(dir + "/" + f)) << f;
}

TEST_F(LocalSql, CopiesBetweenDbaseAndParadoxAndJoinsThem) {
    exec("create table \"PEOPLE.DBF\" (ID NUMERIC(6,0), NAME CHAR(20), NOTE BLOB(1,1))");
    exec("insert into \"PEOPLE.DBF\" values (1, 'Ann', 'first memo')");
    exec("insert into \"PEOPLE.DBF\" values (2, 'Bob', NULL)");
    exec("create table \"PEOPLE.DB\" (ID INTEGER, NAME CHARACTER(20), NOTE BLOB(10,1), PRIMARY KEY (ID))");
    EXPECT_EQ(exec("insert into \"PEOPLE.DB\" select ID, NAME, NOTE from \"PEOPLE.DBF\""), 2);
    EXPECT_EQ(query("select d.NAME, p.NOTE from \"PEOPLE.DBF\" d join \"PEOPLE.DB\" p on p.ID = d.ID order by d.ID"),
              (Rows{{"Ann", "first memo"}, {"Bob", "NULL"}}));
    EXPECT_EQ(query("select c.COMPANY from \"CLIENTS.DB\" c where c.CUSTNO in (select ID + 2100 from \"PEOPLE.DB\")"),
              (Rows{{"Larchmont Bicycle Works"}}));
    // And back: a Paradox table into a new dBase table.
    exec("create table \"BIO.DBF\" (NAME CHAR(30), LEN NUMERIC(8,1))");
    EXPECT_EQ(exec("insert into \"BIO.DBF\" select COMMONNAME, LENGTHCM from \"SPECIES.DB\""), 4);
    EXPECT_EQ(query("select max(LEN) from \"BIO.DBF\""), (Rows{{"150"}}));
}

TEST_F(LocalSql, AlterAndPackKeepTheRecords) {
    auto* dc = dynamic_cast<DirConnection*>(conn.get());
    ASSERT_NE(dc, nullptr);
    exec("ALTER TABLE \"CLIENTS.DB\" ADD PHONE CHARACTER(15), DROP CITY");
    auto defs = conn->fieldDefs("CLIENTS.DB");
    ASSERT_EQ(defs.back().name, "PHONE");
    EXPECT_EQ(std::count_if(defs.begin(), defs.end(), [](const FieldDef& f) { return f.name == "CITY"; }), 0);
    EXPECT_EQ(query("select count(*), min(CUSTNO) from CLIENTS"), (Rows{{"8", "2101"}}));
    exec("delete from CLIENTS where CUSTNO > 2200");
    conn->packTable("CLIENTS.DB", nullptr);
    EXPECT_EQ(query("select CUSTNO, COMPANY from CLIENTS"), (Rows{{"2101", "Larchmont Bicycle Works"}, {"2120", "Okapi Tea Traders"}}));
}

}  // namespace
