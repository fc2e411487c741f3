// The directory driver meeting other engine databases: ":ALIAS:TABLE" names in the local SQL
// (a dBase table joined with an SQLite table) and batch moves of SQLite tables into a
// directory (unsized text, Cyrillic, the language driver of new tables, new names).
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/batchmove.h"
#include "engine/config.h"
#include "engine/database.h"
#include "engine/drivers/local/dbase/dbf.h"
#include "engine/drivers/local/tablefile.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "engine/session.h"
#include "engine/table.h"
#include "testutil.h"

using namespace vlm::engine;
using vlm::test::TempDir;

namespace {

void sqliteExec(const std::string& file, const std::string& sql) {
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &h), SQLITE_OK);
    char* err = nullptr;
    int rc = sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &err);
    std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(h);
    ASSERT_EQ(rc, SQLITE_OK) << msg;
}

// Rows of a dataset as "a|b|c" lines.
std::vector<std::string> rowsOf(Dataset& ds) {
    std::vector<std::string> out;
    for (ds.first(); !ds.eof(); ds.next()) {
        std::string line;
        for (int i = 0; i < ds.fieldCount(); ++i) line += (i ? "|" : "") + ds.field(i).value().asText();
        out.push_back(line);
    }
    return out;
}

std::unique_ptr<local::TableFile> openDbf(const std::string& path) {
    return local::formats().forPath(path)->open(local::posixFileSystem(), path, {});
}

// The default session (queries without a database use it) with a throwaway configuration,
// a dBase directory alias LOC and an SQLite alias SQL3.
class CrossDbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static TempDir cfgDir;
        ::setenv("VLM_ENGINE_CFG", (cfgDir / "IDAPI32.CFG").c_str(), 1);
    }
    void SetUp() override {
        ASSERT_TRUE(DriverRegistry::standard().has("SQLITE")) << "the SQLite driver is not in this build";
        sqlitePath = dir / "shop.sqlite";
        sqliteExec(sqlitePath,
                   "create table ORDERS (ORDERNO integer, CUSTNO integer, ITEM text, AMOUNT numeric(10,2));"
                   "insert into ORDERS values (1, 10, 'Ремонт', 12.5), (2, 20, 'Bolts', 3), (3, 10, 'Nuts', 1.25);"
                   "create table CUSTOMER (CUSTNO integer, NAME text, NOTE varchar(8));"
                   "insert into CUSTOMER values (10, 'Ремонт и обслуживание', 'короткий'), "
                   "(20, '" + std::string(300, 'x') + "', null);");
        Database local(&session());
        local.setDatabaseName(dir.path());
        local.open();
        local.connection().prepare(
            "create table \"CUST.DBF\" (CUSTNO numeric(5,0), NAME char(20))")->execute();
        local.connection().prepare("insert into CUST values (10, 'Alpha')")->execute();
        local.connection().prepare("insert into CUST values (20, 'Beta')")->execute();
        local.connection().prepare("insert into CUST values (30, 'Gamma')")->execute();
        if (session().isAlias("LOC")) session().deleteAlias("LOC");
        if (session().isAlias("SQL3")) session().deleteAlias("SQL3");
        session().addStandardAlias("LOC", dir.path(), "DBASE");
        session().addAlias("SQL3", "SQLITE", {"SERVER NAME=" + sqlitePath});
    }
    void TearDown() override {
        session().deleteAlias("LOC");
        session().deleteAlias("SQL3");
        session().config().removeSection("\\DRIVERS\\DBASE\\INIT");
    }
    static Session& session() { return Session::defaultSession(); }

    // Copies the SQLite table into the directory as newName; returns the rows moved.
    std::int64_t copyToDir(const std::string& table, const std::string& newName) {
        Database src(&session()), dst(&session());
        src.setDatabaseName("SQL3");
        dst.setDatabaseName(dir.path());
        src.open();
        dst.open();
        Table from, to;
        from.setDatabase(&src);
        from.setTableName(table);
        to.setDatabase(&dst);
        to.setTableName(newName);
        from.open();
        BatchMove move;
        move.source = &from;
        move.destination = &to;
        move.mode = batCopy;
        move.execute();
        return move.movedCount();
    }

    TempDir dir;
    std::string sqlitePath;
};

TEST_F(CrossDbTest, AliasQualifiedNamesJoinDbaseWithSqlite) {
    const std::string join =
        "select c.NAME, o.ITEM, o.AMOUNT from %C c join \":SQL3:ORDERS\" o on o.CUSTNO = c.CUSTNO "
        "order by o.ORDERNO";
    const std::vector<std::string> want = {"Alpha|Ремонт|12.5", "Beta|Bolts|3", "Alpha|Nuts|1.25"};
    struct Case {
        std::string database, custName;
    } cases[] = {
        {"", "\":LOC:CUST\""},           // no database: both tables by alias
        {"", "\":LOC:CUST.DBF\""},       // the listed name through the alias
        {dir.path(), "CUST"},            // the directory itself, its table by bare name
        {"LOC", "\"CUST.DBF\""},         // the directory alias, its table as listed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("database '" + c.database + "', table " + c.custName);
        std::string sql = join;
        sql.replace(sql.find("%C"), 2, c.custName);
        Query q;
        q.setDatabaseName(c.database);
        q.setSql(sql);
        q.open();
        EXPECT_EQ(rowsOf(q), want);
        q.close();
    }

    // Grouping over the foreign table, a subquery into the local one.
    Query q;
    q.setSql("select o.CUSTNO, count(*), sum(o.AMOUNT) from \":SQL3:ORDERS\" o "
             "where o.CUSTNO in (select CUSTNO from \":LOC:CUST\" where NAME like 'A%') group by o.CUSTNO");
    q.open();
    EXPECT_EQ(rowsOf(q), (std::vector<std::string>{"10|2|13.75"}));
}

TEST_F(CrossDbTest, AliasQualifiedNameErrorsNameTheProblem) {
    struct Case {
        std::string sql, fragment;
    } cases[] = {
        {"select * from \":NOALIAS:ORDERS\"", "Unknown alias: NOALIAS"},
        {"select * from \":SQL3:NOTABLE\"", "NOTABLE"},
        {"select * from \":LOC:NOTABLE\"", "NOTABLE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        Query q;
        q.setSql(c.sql);
        try {
            q.open();
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << e.what();
        }
    }
}

TEST_F(CrossDbTest, CopyFromSqliteKeepsUnsizedTextAndCyrillic) {
    ASSERT_EQ(copyToDir("CUSTOMER", "CUSTOMER"), 2);
    auto t = openDbf(dir / "CUSTOMER.DBF");
    EXPECT_EQ(t->codePage(), "CP1251");   // the built-in default language driver
    const auto& f = t->fields();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[1].nativeType, "M");      // TEXT has no size: a memo holds any length
    EXPECT_EQ(f[2].nativeType, "C");      // varchar(8) stays a character field
    EXPECT_EQ(f[2].size, 8);
    vlm::engine::Row r;
    t->readRecord(0, r);
    EXPECT_EQ(r.values[1].asText(), "Ремонт и обслуживание");
    EXPECT_EQ(r.values[2].asText(), "короткий");
    t->readRecord(1, r);
    EXPECT_EQ(r.values[1].asText(), std::string(300, 'x'));
}

TEST_F(CrossDbTest, CopyWithANewNameAndReplacingIt) {
    for (const std::string name : {"ORD.DBF", "ord2", "ORD.DBF"}) {   // the third replaces the first
        SCOPED_TRACE(name);
        ASSERT_EQ(copyToDir("ORDERS", name), 3);
    }
    auto t = openDbf(dir / "ORD.DBF");
    ASSERT_EQ(t->recordCount(), 3);
    vlm::engine::Row r;
    t->readRecord(0, r);
    EXPECT_EQ(r.values[2].asText(), "Ремонт");
    EXPECT_DOUBLE_EQ(r.values[3].asFloat(), 12.5);
    EXPECT_EQ(openDbf(dir / "ord2.DBF")->recordCount(), 3);
}

TEST_F(CrossDbTest, NewTablesTakeTheConfiguredLanguageDriver) {
    session().config().setValue("\\DRIVERS\\DBASE\\INIT", "LANGDRIVER", "DB866RU0");
    ASSERT_EQ(copyToDir("ORDERS", "ORD866"), 3);
    auto t = openDbf(dir / "ORD866.DBF");
    EXPECT_EQ(t->codePage(), "CP866");
    vlm::engine::Row r;
    t->readRecord(0, r);
    EXPECT_EQ(r.values[2].asText(), "Ремонт");
    // The memo's raw bytes are cp866: "Р" is 0x90 there (0xD0 in Windows-1251).
    EXPECT_NE(vlm::test::readAll(dir / "ORD866.DBT").find("\x90\xa5\xac\xae\xad\xe2"), std::string::npos);
}

TEST_F(CrossDbTest, TextTheCodePageCannotHoldIsAnErrorNamingTheField) {
    // A Latin code page cannot hold Cyrillic: the copy fails, names the field, and leaves no table.
    session().config().setValue("\\DRIVERS\\DBASE\\INIT", "LANGDRIVER", "DBWINUS0");
    try {
        copyToDir("ORDERS", "ORDLAT");
        ADD_FAILURE() << "no error";
    } catch (const EngineError& e) {
        std::string what = e.what();
        EXPECT_NE(what.find("Field ITEM"), std::string::npos) << what;
        EXPECT_NE(what.find("CP1252"), std::string::npos) << what;
    }
    EXPECT_FALSE(local::posixFileSystem().exists(dir / "ORDLAT.DBF"));

    // The same through SQL and a memo on an existing CP437 table: nothing is written.
    local::CreateOptions latin;
    latin.languageDriver = "CP437";
    std::vector<FieldDef> defs(2);
    defs[0].name = "NAME", defs[0].nativeType = "C", defs[0].size = 10;
    defs[1].name = "NOTES", defs[1].nativeType = "M";
    local::formats().forExtension("DBF")->create(local::posixFileSystem(), dir / "LATIN.DBF", defs, {}, latin);
    Database local(&session());
    local.setDatabaseName(dir.path());
    struct Case {
        std::string sql, field;
    } cases[] = {
        {"insert into LATIN values ('Ремонт', 'ok')", "NAME"},
        {"insert into LATIN values ('ok', 'Ремонт')", "NOTES"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        try {
            local.connection().prepare(c.sql)->execute();
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("Field " + c.field), std::string::npos) << e.what();
        }
    }
    // Characters the code page has (cp437 holds "é") are stored and read back.
    local.connection().prepare("insert into LATIN values ('café', 'Straße')")->execute();
    auto t = openDbf(dir / "LATIN.DBF");
    ASSERT_EQ(t->recordCount(), 1);
    vlm::engine::Row r;
    t->readRecord(0, r);
    EXPECT_EQ(r.values[0].asText(), "café");
    EXPECT_EQ(r.values[1].asText(), "Straße");
}

}  // namespace

// A value longer than the declared size (SQLite does not enforce it) stops the copy with an
// error naming the field, instead of reaching the dBase table cut.
TEST_F(CrossDbTest, BatchMoveRefusesValuesLongerThanTheDbaseField) {
    sqliteExec(sqlitePath, "create table CODES (CODE varchar(5)); insert into CODES values ('ab'), ('abcdefgh');");
    std::string error;
    try {
        copyToDir("CODES", "CODES.DBF");
    } catch (const EngineError& e) {
        error = e.what();
    }
    EXPECT_NE(error.find("Field CODE"), std::string::npos) << error;
    EXPECT_NE(error.find("abcdefgh"), std::string::npos) << error;
    EXPECT_FALSE(local::posixFileSystem().exists(dir / "CODES.DBF"));   // the half copy is removed
}
