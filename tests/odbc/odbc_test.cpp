// The ODBC driver over two real routes (the SQLite3 ODBC driver on a file, psqlODBC on the test
// cluster), and the ORACLE, MSSQL and SQLBASE routes against their dictionary fixtures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "engine/error.h"
#include "engine/registry.h"
#include "fixtures/servers.h"

namespace vlm::engine {
namespace {

struct RecordingTracer : Tracer {
    std::vector<std::string> lines;
    bool wants(TraceCategory) const override { return true; }
    void trace(TraceCategory, const std::string& t) override { lines.push_back(t); }
    bool saw(const std::string& n) const {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(n) != std::string::npos; });
    }
};

std::vector<Row> all(Connection& c, const std::string& sql) {
    auto cur = c.prepare(sql)->execute();
    std::vector<Row> out;
    if (cur)
        while (cur->fetch(100, out)) {}
    return out;
}

std::unique_ptr<Connection> pgRoute(const std::string& driverName, const std::string& db, Tracer& tr = nullTracer(),
                                    const std::string& user = "pgtest", const std::string& password = "") {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return nullptr;
    ConnectParams p{db, {{"ODBC DRIVER", "PostgreSQL Unicode"}, {"SERVER NAME", "127.0.0.1"},
                         {"CONNECT STRING", "PORT=" + port}, {"USER NAME", user}}};
    if (!password.empty()) p.params["PASSWORD"] = password;
    return DriverRegistry::standard().create(driverName)->connect(p, tr);
}

// One ODBC route: how to connect, and the schema its tables live in ("" without schemas).
struct Route {
    const char* name;
    bool postgres;
};

class OdbcRoute : public ::testing::TestWithParam<Route> {
protected:
    void SetUp() override {
        if (GetParam().postgres) {
            conn_ = pgRoute("ODBC", "vlmtest");
            ASSERT_TRUE(conn_);
            schema_ = std::string("odbc_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
            schema_ = schema_.substr(0, schema_.find('/'));
            std::transform(schema_.begin(), schema_.end(), schema_.begin(), ::tolower);
            all(*conn_, "DROP SCHEMA IF EXISTS \"" + schema_ + "\" CASCADE");
            all(*conn_, "CREATE SCHEMA \"" + schema_ + "\"");
            prefix_ = schema_ + ".";
        } else {
            // ctest runs the test in its build folder; the file lives there.
            file_ = std::filesystem::current_path() /
                    (std::string("odbc_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".sqlite");
            std::filesystem::create_directories(file_.parent_path());
            std::filesystem::remove(file_);
            conn_ = DriverRegistry::standard().create("ODBC")->connect(
                {file_.string(), {{"ODBC DRIVER", "SQLite3"}}}, nullTracer());
        }
    }
    void TearDown() override {
        conn_.reset();
        if (!file_.empty()) std::filesystem::remove(file_);
    }
    std::unique_ptr<Connection> conn_;
    std::string schema_, prefix_;
    std::filesystem::path file_;
};

TEST_P(OdbcRoute, CreatedTablesListWithTheirFieldsAndIndexes) {
    std::vector<FieldDef> f(4);
    f[0].name = "ID"; f[0].logicalType = logical::INT32; f[0].required = true;
    f[1].name = "Mixed Name"; f[1].logicalType = logical::ZSTRING; f[1].size = 25;
    f[2].name = "PRICE"; f[2].logicalType = logical::BCD; f[2].size = 9; f[2].scale = 2;
    f[3].name = "NOTE"; f[3].logicalType = logical::BLOB; f[3].subType = subtype::MEMO;
    IndexDef pk; pk.name = "PK_T"; pk.fields = {"ID"}; pk.primary = true;
    IndexDef ix; ix.name = "IX_" + schema_ + "_NAME"; ix.fields = {"Mixed Name"}; ix.unique = true;
    // A table name with a dot in it: one identifier, not owner and name.
    const std::string table = prefix_ + "Order.Items";
    conn_->createTable(table, f, {pk, ix});

    auto list = conn_->tables(false);
    auto it = std::find_if(list.begin(), list.end(), [&](const TableEntry& e) { return e.name == table; });
    ASSERT_NE(it, list.end());
    EXPECT_FALSE(it->view);

    auto defs = conn_->fieldDefs(table);
    ASSERT_EQ(defs.size(), 4u);
    EXPECT_EQ(defs[1].name, "Mixed Name");
    EXPECT_EQ(defs[1].logicalType, logical::ZSTRING);
    EXPECT_EQ(defs[1].size, 25);
    // The SQLite3 ODBC driver describes NUMERIC columns as DOUBLE.
    EXPECT_EQ(defs[2].logicalType, GetParam().postgres ? logical::BCD : logical::FLOAT);
    EXPECT_EQ(defs[3].logicalType, logical::BLOB);
    EXPECT_EQ(defs[3].subType, subtype::MEMO);

    auto ixs = conn_->indexDefs(table);
    ASSERT_FALSE(ixs.empty());
    EXPECT_TRUE(ixs[0].primary);
    EXPECT_EQ(ixs[0].fields, std::vector<std::string>{"ID"});
    auto named = std::find_if(ixs.begin(), ixs.end(), [&](const IndexDef& d) { return d.name == ix.name; });
    ASSERT_NE(named, ixs.end());
    EXPECT_TRUE(named->unique);

    EXPECT_THROW(conn_->fieldDefs(prefix_ + "Order_Items"), EngineError);   // "_" is no wildcard
}

TEST_P(OdbcRoute, ValuesTransactionsAndLazyFetch) {
    const std::string t = conn_->quoteTable(prefix_ + "vals");
    all(*conn_, "CREATE TABLE " + t + " (id INTEGER, s VARCHAR(40), d DATE, n NUMERIC(12,3), f DOUBLE PRECISION)");
    auto ins = conn_->prepare("INSERT INTO " + t + " VALUES (?, ?, ?, ?, ?)");
    ins->bind(0, Value(1), FieldType::Integer);
    ins->bind(1, Value("O'Brien ? not a marker"), FieldType::String);
    ins->bind(2, Value(Date{2001, 9, 11}), FieldType::Date);
    ins->bind(3, Value(Decimal{"1234.567"}), FieldType::BCD);
    ins->bind(4, Value(), FieldType::Float);
    ins->execute();
    EXPECT_EQ(ins->rowsAffected(), 1);
    auto r = all(*conn_, "SELECT id, s, d, n, f FROM " + t);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].values[0], Value(std::int64_t(1)));
    EXPECT_EQ(r[0].values[1], Value("O'Brien ? not a marker"));
    EXPECT_EQ(r[0].values[2], Value(Date{2001, 9, 11}));
    EXPECT_EQ(r[0].values[3].asText(), "1234.567");
    EXPECT_TRUE(r[0].values[4].isNull());

    conn_->begin();
    EXPECT_TRUE(conn_->inTransaction());
    all(*conn_, "DELETE FROM " + t);
    conn_->rollback();
    EXPECT_FALSE(conn_->inTransaction());
    EXPECT_EQ(all(*conn_, "SELECT id FROM " + t).size(), 1u);

    conn_->begin();
    for (int i = 2; i <= 3000; ++i) {
        ins->bind(0, Value(i), FieldType::Integer);
        ins->execute();
    }
    conn_->commit();
    auto cur = conn_->prepare("SELECT id FROM " + t + " ORDER BY id")->execute();
    std::vector<Row> block;
    EXPECT_TRUE(cur->fetch(50, block));
    EXPECT_EQ(block.size(), 50u);
    while (cur->fetch(1000, block)) {}
    EXPECT_EQ(block.size(), 3000u);
}

TEST_P(OdbcRoute, StatementErrorsCarryTheDataSourceText) {
    try {
        all(*conn_, "SELECT * FROM no_such_table_here");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Sql);
        EXPECT_NE(std::string(e.what()).find("no_such_table_here"), std::string::npos) << e.what();
    }
    EXPECT_EQ(all(*conn_, "SELECT 1").size(), 1u);
}

std::vector<Row> rowsOf(Cursor& c) {
    std::vector<Row> out;
    while (c.fetch(100, out)) {}
    return out;
}

Row withName(const Row& r, const Value& name) {
    Row out = r;
    out.values[1] = name;
    return out;
}

// Table cursors find their row by the primary key, else a unique index, else by every column
// that is no blob; a row changed or deleted meanwhile is reported, never another row changed.
TEST_P(OdbcRoute, TableCursorsFindTheirRowAgain) {
    struct Case {
        const char* table;
        bool primary, unique;
    } cases[] = {{"KeyPk", true, false}, {"KeyUnique", false, true}, {"KeyNone", false, false}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.table);
        std::vector<FieldDef> f(3);
        f[0].name = "ID"; f[0].logicalType = logical::INT32; f[0].required = k.primary;
        f[1].name = "Full Name"; f[1].logicalType = logical::ZSTRING; f[1].size = 20;
        f[2].name = "NOTE"; f[2].logicalType = logical::BLOB; f[2].subType = subtype::MEMO;
        std::vector<IndexDef> ix(1);
        ix[0].name = std::string("IX_") + k.table + schema_;
        ix[0].fields = {"ID"};
        ix[0].primary = k.primary;
        ix[0].unique = true;
        const std::string table = prefix_ + "Edit." + k.table;
        conn_->createTable(table, f, k.primary || k.unique ? ix : std::vector<IndexDef>{});
        const std::string q = conn_->quoteTable(table), id = conn_->quoteIdentifier("ID");
        all(*conn_, "INSERT INTO " + q + " VALUES (1, 'Ann', 'long text'), (2, NULL, NULL), (3, 'Cy', NULL)");

        TableOpenOptions order;
        order.indexFieldNames = {"ID"};
        auto cur = conn_->openTable(table, order);
        ASSERT_TRUE(cur->canModify());
        auto rows = rowsOf(*cur);
        ASSERT_EQ(rows.size(), 3u);

        // A null in the row is matched as null; the value is bound, never pasted into the SQL.
        Row stored = cur->updateRow(rows[1], withName(rows[1], Value("O'Brien ?")).values);
        EXPECT_EQ(stored.values[1], Value("O'Brien ?"));
        EXPECT_EQ(all(*conn_, "SELECT * FROM " + q + " WHERE " + conn_->quoteIdentifier("Full Name") +
                                  " = 'O''Brien ?'").size(), 1u);
        stored = cur->updateRow(rows[0], withName(rows[0], Value("Anna")).values);
        EXPECT_EQ(stored.values[2], Value("long text")) << "the blob is kept and read back";

        // Another user changes row 3's name and deletes row 1: whatever the key, the change of
        // a column that is no key is noticed, never overwritten.
        all(*conn_, "UPDATE " + q + " SET " + conn_->quoteIdentifier("Full Name") + " = 'Other' WHERE " + id + " = 3");
        all(*conn_, "DELETE FROM " + q + " WHERE " + id + " = 1");
        try {
            cur->updateRow(rows[2], withName(rows[2], Value("Mine")).values);
            FAIL() << "a row changed by another user was overwritten";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("another user"), std::string::npos) << e.what();
        }
        EXPECT_THROW(cur->deleteRow(withName(rows[0], Value("Anna"))), EngineError);

        Row added = cur->insertRow({Value(7), Value("New"), Value()});
        EXPECT_EQ(added.values[0], Value(std::int64_t(7)));
        cur->deleteRow(added);
        EXPECT_EQ(all(*conn_, "SELECT * FROM " + q).size(), 2u);

        // Without a key, one of two equal rows cannot be told apart: nothing is deleted.
        if (!k.primary && !k.unique) {
            all(*conn_, "INSERT INTO " + q + " VALUES (5, 'Twin', NULL), (5, 'Twin', NULL)");
            auto again = conn_->openTable(table, order);
            auto twins = rowsOf(*again);
            ASSERT_EQ(twins.size(), 4u);
            EXPECT_THROW(again->deleteRow(twins.back()), EngineError);
            EXPECT_EQ(all(*conn_, "SELECT * FROM " + q + " WHERE " + id + " = 5").size(), 2u);
        }
    }
}

TEST_P(OdbcRoute, TableChangesBelongToTheOpenTransaction) {
    std::vector<FieldDef> f(2);
    f[0].name = "ID"; f[0].logicalType = logical::INT32; f[0].required = true;
    f[1].name = "OK"; f[1].logicalType = logical::BOOL;
    IndexDef pk; pk.name = "PK_TX" + schema_; pk.fields = {"ID"}; pk.primary = true;
    const std::string table = prefix_ + "tx";
    conn_->createTable(table, f, {pk});
    auto defs = conn_->fieldDefs(table);
    EXPECT_EQ(defs[1].type, FieldType::Boolean) << "booleans are created as the data source's bit type";

    auto cur = conn_->openTable(table, {});
    conn_->begin();
    cur->insertRow({Value(1), Value(true)});
    conn_->rollback();
    EXPECT_TRUE(all(*conn_, "SELECT * FROM " + conn_->quoteTable(table)).empty());
    conn_->begin();
    Row r = cur->insertRow({Value(2), Value(true)});
    EXPECT_EQ(r.values[1], Value(true));
    conn_->commit();
    auto rows = all(*conn_, "SELECT * FROM " + conn_->quoteTable(table));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].values[1], Value(true));
}

TEST_P(OdbcRoute, ProceduresAreListedDescribedAndCalled) {
    if (!GetParam().postgres) {
        // The SQLite3 ODBC driver has no procedures: an empty list, a refused call.
        EXPECT_TRUE(conn_->storedProcedures().empty());
        try {
            conn_->prepareProc("ANY");
            FAIL();
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), errc::NotSupported);
        }
        return;
    }
    const std::string s = "\"" + schema_ + "\".";
    all(*conn_, "CREATE FUNCTION " + s + "\"Twice\"(a integer) RETURNS integer LANGUAGE sql AS 'select a * 2'");
    all(*conn_, "CREATE FUNCTION " + s + "\"Split\"(a integer, OUT lo integer, OUT hi text) LANGUAGE sql "
                "AS 'select a % 10, (a / 10)::text'");
    all(*conn_, "CREATE FUNCTION " + s + "\"Series\"(n integer) RETURNS TABLE(k integer, t text) LANGUAGE sql "
                "AS 'select g, ''#'' || g from generate_series(1, n) g'");
    all(*conn_, "CREATE PROCEDURE " + s + "\"Bump\"(IN a integer, INOUT b integer) LANGUAGE plpgsql "
                "AS 'begin b := a + b; end'");

    auto list = conn_->storedProcedures();
    for (const char* n : {"Twice", "Split", "Series", "Bump"})
        EXPECT_NE(std::find(list.begin(), list.end(), prefix_ + n), list.end()) << n;
    EXPECT_TRUE(std::none_of(list.begin(), list.end(), [](const std::string& n) { return n.rfind("pg_catalog.", 0) == 0; }));

    struct Case {
        const char* name;
        std::vector<ParamDirection> dirs;
        std::vector<Value> in;       // by parameter position; outputs left null
        std::vector<Value> out;      // expected outputs, null for inputs
    } cases[] = {
        {"Twice", {ParamDirection::Result, ParamDirection::Input}, {Value(), Value(21)}, {Value(std::int64_t(42)), Value()}},
        // A text typed by the user reaches an integer parameter.
        {"Split", {ParamDirection::Input, ParamDirection::Output, ParamDirection::Output}, {Value("123"), Value(), Value()},
         {Value(), Value(std::int64_t(3)), Value("12")}},
        {"Bump", {ParamDirection::Input, ParamDirection::InputOutput}, {Value(2), Value(5)}, {Value(), Value(std::int64_t(7))}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        auto call = conn_->prepareProc(prefix_ + k.name);
        auto params = call->params();
        ASSERT_EQ(params.size(), k.dirs.size());
        for (std::size_t i = 0; i < params.size(); ++i) EXPECT_EQ(params[i].direction, k.dirs[i]) << i;
        for (std::size_t i = 0; i < k.in.size(); ++i)
            if (!k.in[i].isNull()) call->bind(i, k.in[i], FieldType::Unknown);
        std::vector<Value> outputs;
        EXPECT_FALSE(call->execute(outputs));
        ASSERT_EQ(outputs.size(), k.out.size());
        for (std::size_t i = 0; i < k.out.size(); ++i) EXPECT_EQ(outputs[i], k.out[i]) << i;
    }

    // A procedure with result columns gives its rows through a cursor.
    auto series = conn_->prepareProc(prefix_ + "Series");
    ASSERT_EQ(series->params().size(), 1u);
    series->bind(0, Value(3), FieldType::Integer);
    std::vector<Value> outputs;
    auto cur = series->execute(outputs);
    ASSERT_TRUE(cur);
    auto rows = rowsOf(*cur);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].values[1], Value("#3"));

    try {
        conn_->prepareProc(prefix_ + "Nope");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("Nope"), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, OdbcRoute,
                         ::testing::Values(Route{"SQLite", false}, Route{"PostgreSQL", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OdbcPostgres, SchemasWithDotsAndMixedCaseNeedExplicitArguments) {
    auto c = pgRoute("ODBC", "vlmtest");
    ASSERT_TRUE(c);
    all(*c, "DROP SCHEMA IF EXISTS \"Odbc.Sales\" CASCADE");
    all(*c, "CREATE SCHEMA \"Odbc.Sales\"");
    all(*c, "CREATE TABLE \"Odbc.Sales\".\"Orders\" (\"OrderNo\" int PRIMARY KEY, \"Total\" numeric(10,2))");
    // The schema is outside the search path: only an explicit schema argument finds it.
    auto list = c->tables(false);
    EXPECT_NE(std::find_if(list.begin(), list.end(), [](const TableEntry& e) { return e.name == "Odbc.Sales.Orders"; }),
              list.end());
    // The schema name holds a dot: the split falls after the schema the data source knows.
    EXPECT_EQ(c->quoteTable("Odbc.Sales.Orders"), "\"Odbc.Sales\".\"Orders\"");
    auto defs = c->fieldDefs("Odbc.Sales.Orders");
    ASSERT_EQ(defs.size(), 2u);
    EXPECT_EQ(defs[0].name, "OrderNo");
    auto ix = c->indexDefs("Odbc.Sales.Orders");
    ASSERT_EQ(ix.size(), 1u);
    EXPECT_TRUE(ix[0].primary);
    all(*c, "DROP SCHEMA \"Odbc.Sales\" CASCADE");
}

TEST(OdbcPostgres, WrongPasswordFailsWithoutShowingIt) {
    RecordingTracer tr;
    try {
        pgRoute("ODBC", "vlmtest", tr, "vlmpass", "odbc-wrong-pw-1");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Connect);
        EXPECT_NE(std::string(e.what()).find("password authentication failed"), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).find("odbc-wrong-pw-1"), std::string::npos);
    }
    EXPECT_FALSE(tr.saw("odbc-wrong-pw-1"));
    EXPECT_TRUE(tr.saw("UID=vlmpass"));
}

// A connection the server drops in the middle of a fetch fails with the data source's text,
// and a new connection works; an unknown host fails at once rather than waiting.
TEST(OdbcPostgres, DroppedConnectionMidFetchFailsAndReconnects) {
    auto victim = pgRoute("ODBC", "vlmtest");
    ASSERT_TRUE(victim);
    auto pid = all(*victim, "SELECT pg_backend_pid()").at(0).values[0].asInteger();
    auto cur = victim->prepare("SELECT g, repeat('x', 200) FROM generate_series(1, 200000) g")->execute();
    std::vector<Row> rows;
    ASSERT_TRUE(cur->fetch(100, rows));
    auto killer = pgRoute("ODBC", "vlmtest");
    all(*killer, "SELECT pg_terminate_backend(" + std::to_string(pid) + ")");
    auto t0 = std::chrono::steady_clock::now();
    try {
        while (cur->fetch(1000, rows)) {}
        FAIL() << "the fetch went on over a dropped connection";
    } catch (const EngineError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(15));
    cur.reset();
    victim.reset();
    auto again = pgRoute("ODBC", "vlmtest");
    EXPECT_EQ(all(*again, "SELECT 1 + 1").at(0).values[0].asInteger(), 2);

    ConnectParams p{"vlmtest", {{"ODBC DRIVER", "PostgreSQL Unicode"}, {"SERVER NAME", "no-such-host.invalid"},
                                {"USER NAME", "pgtest"}}};
    t0 = std::chrono::steady_clock::now();
    EXPECT_THROW(DriverRegistry::standard().create("ODBC")->connect(p, nullTracer()), EngineError);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(15));
}

// The server kinds that cannot run here, through their own driver names and ODBC routes.
TEST(DictionaryFixtures, OracleVersionBannerThroughTheOracleRoute) {
    auto c = pgRoute("ORACLE", "vlm_oracle");
    ASSERT_TRUE(c);
    auto r = all(*c, "SELECT * FROM SYS.V_$VERSION");
    ASSERT_FALSE(r.empty());
    std::string banner = r[0].values[0].asText();
    auto pos = banner.find("Oracle");
    ASSERT_NE(pos, std::string::npos);
    EXPECT_EQ(banner.substr(pos + 6, 1), "8");
    EXPECT_EQ(all(*c, "select VERSION_TEXT from SM$VERSION")[0].values[0], Value("8.0.5.0.0"));
}

TEST(DictionaryFixtures, CatalogQueriesOfEachKindRunAsWritten) {
    struct { const char* driver; const char* db; const char* sql; std::size_t rows; } cases[] = {
        {"ORACLE", "vlm_oracle", "select OWNER,TABLE_NAME From SYS.ALL_PART_TABLES", 1},
        {"ORACLE", "vlm_oracle",
         "select OWNER,TABLE_NAME,TABLE_TYPE,COMMENTS from ALL_TAB_COMMENTS where Not (COMMENTS is null) ", 3},
        {"ORACLE", "vlm_oracle",
         "Select T.COLUMN_ID, T.COLUMN_NAME, T.DATA_TYPE, T.DATA_LENGTH,\nT.DATA_PRECISION, T.DATA_SCALE, T.NULLABLE, "
         "T.DATA_DEFAULT,C.COMMENTS\nfrom SYS.ALL_TAB_COLUMNS T, SYS.ALL_COL_COMMENTS C\nwhere C.OWNER=T.OWNER and "
         "C.TABLE_NAME=T.TABLE_NAME And C.COLUMN_NAME=T.COLUMN_NAME\nand (T.TABLE_NAME='EMP')\nand (T.OWNER='SCOTT')\n"
         "order by T.COLUMN_ID", 8},
        {"ORACLE", "vlm_oracle", "select * from SYS.SYNONYMS where TNAME= 'EMP'", 1},
        {"ORACLE", "vlm_oracle", "SELECT * FROM SCOTT.EMP", 3},
        {"SQLBASE", "vlm_sqlbase", "select CREATOR,NAME,COLCOUNT,REMARKS from SYSADM.SYSTABLES where Not (REMARKS is null)", 3},
        {"SQLBASE", "vlm_sqlbase",
         "Select COLNO,NAME,COLTYPE,LENGTH,SCALE,NULLS,REMARKS,LABEL\nfrom SYSADM.SYSCOLUMNS\nwhere (TBNAME='CUSTOMER')\n"
         "and (TBCREATOR='SYSADM')\norder by COLNO", 4},
        {"SQLBASE", "vlm_sqlbase", "Select TEXT,NAME,CREATOR,TYPE,SYSTEM From SYSSQL.SYSCOMMANDS", 2},
        {"MSSQL", "vlm_mssql",
         "select distinct user_name (o.uid),object_name (o.id)\nfrom dbo.sysobjects o\nwhere o.type in ('P')  order by "
         "user_name (o.uid) ASC, object_name (o.id) ASC", 1},
        {"MSSQL", "vlm_mssql",
         "select text from dbo.sysobjects o,dbo.syscomments t \nwhere (t.id=o.id) and (o.name= 'titleview') order by colid", 2},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.sql);
        auto c = pgRoute(k.driver, k.db);
        ASSERT_TRUE(c);
        EXPECT_EQ(all(*c, k.sql).size(), k.rows);
    }
}

}  // namespace
}  // namespace vlm::engine
