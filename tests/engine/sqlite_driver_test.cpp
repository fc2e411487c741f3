// The SQLite driver seen directly: opening, trace texts, declared types, statements, catalog.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/drivers/sqlite/typemapping.h"
#include "engine/error.h"
#include "engine/registry.h"

using namespace vlm::engine;

namespace vlm::engine {
void registerSqliteDriver(DriverRegistry&);
}

namespace {

struct Recorder : Tracer {
    std::vector<std::string> texts;
    bool wants(TraceCategory) const override { return true; }
    void trace(TraceCategory, const std::string& t) override { texts.push_back(t); }
    bool has(const std::string& t) const { return std::find(texts.begin(), texts.end(), t) != texts.end(); }
};

class SqliteDriver : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("vlm-sqlite-" + std::to_string(getpid()) + "-" +
                                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        registerSqliteDriver(registry_);
        driver_ = registry_.create("sqlite");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::unique_ptr<Connection> connect(const std::string& file, Tracer& t = nullTracer()) {
        return driver_->connect({(dir_ / file).string(), {}}, t);
    }
    void exec(Connection& c, const std::string& sql) { c.prepare(sql)->execute(); }

    std::filesystem::path dir_;
    DriverRegistry registry_;
    std::unique_ptr<Driver> driver_;
};

}  // namespace

TEST_F(SqliteDriver, NamesItself) {
    EXPECT_EQ(driver_->name(), "SQLITE");
    EXPECT_EQ(driver_->description(), "SQLite database");
}

TEST_F(SqliteDriver, AFileThatIsNoDatabaseGivesSqlitesText) {
    std::ofstream(dir_ / "notes.txt") << "This is a plain text file, long enough to hold a header of a database.\n";
    try {
        connect("notes.txt");
        FAIL() << "connect did not fail";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Connect);
        EXPECT_EQ(e.code(), errc::NotADatabase);
        ASSERT_EQ(e.messages().size(), 2u);
        EXPECT_EQ(e.messages()[1], "file is not a database");
    }
    EXPECT_THROW(connect("no/such/dir/x.sqlite"), EngineError);
}

TEST_F(SqliteDriver, TracesConnectPrepareExecuteAndTransactions) {
    Recorder r;
    auto c = connect("t.sqlite", r);
    auto path = (dir_ / "t.sqlite").string();
    EXPECT_TRUE(r.has("SQL Connect: SQLITE - " + path));
    c->begin();
    auto st = c->prepare("select ? as A");
    st->bind(0, Value(42), FieldType::Integer);
    st->execute();
    c->commit();
    EXPECT_TRUE(r.has("SQL Transact: SQLITE - BEGIN"));
    EXPECT_TRUE(r.has("SQL Prepare: SQLITE - select ? as A"));
    EXPECT_TRUE(r.has("SQL Data In: SQLITE - Param = 1, Value = 42"));
    EXPECT_TRUE(r.has("SQL Execute: SQLITE - select ? as A"));
    EXPECT_TRUE(r.has("SQL Transact: SQLITE - COMMIT"));
    EXPECT_THROW(c->prepare("select from"), EngineError);
    EXPECT_TRUE(r.has("SQL Error: SQLITE - near \"from\": syntax error"));
}

TEST_F(SqliteDriver, DeclaredTypesGiveFieldTypes) {
    struct Case {
        const char* declared;
        FieldType type;
        int size, scale;
    } cases[] = {
        {"VARCHAR(20)", FieldType::String, 20, 0},
        {"nvarchar ( 8 )", FieldType::String, 8, 0},
        {"TEXT", FieldType::String, 0, 0},
        {"CLOB", FieldType::Memo, 0, 0},
        {"INTEGER", FieldType::Integer, 0, 0},
        {"SMALLINT", FieldType::Smallint, 0, 0},
        {"BIGINT", FieldType::Float, 0, 0},
        {"NUMERIC(12,2)", FieldType::BCD, 12, 2},
        {"DECIMAL", FieldType::BCD, 0, 0},
        {"MONEY", FieldType::Currency, 0, 0},
        {"DOUBLE", FieldType::Float, 0, 0},
        {"REAL", FieldType::Float, 0, 0},
        {"BOOLEAN", FieldType::Boolean, 0, 0},
        {"DATE", FieldType::Date, 0, 0},
        {"TIME", FieldType::Time, 0, 0},
        {"TIMESTAMP", FieldType::DateTime, 0, 0},
        {"DATETIME", FieldType::DateTime, 0, 0},
        {"BLOB", FieldType::Blob, 0, 0},
        {"VARBINARY(16)", FieldType::VarBytes, 16, 0},
        {"JSON", FieldType::String, 0, 0},
        {"", FieldType::Unknown, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.declared);
        auto f = sqlite::fieldFromDeclared("F", c.declared);
        EXPECT_EQ(f.type, c.type);
        EXPECT_EQ(f.size, c.size);
        EXPECT_EQ(f.scale, c.scale);
        EXPECT_EQ(f.nativeType, c.declared);
    }
}

TEST_F(SqliteDriver, ValuesReadInTheirColumnsTypes) {
    auto c = connect("v.sqlite");
    exec(*c, "create table v (d DATE, t TIME, ts TIMESTAMP, n NUMERIC(8,2), b BOOLEAN, i INTEGER, x)");
    exec(*c, "insert into v values ('2024-02-29', '10:20:30.5', '2024-02-29T01:02:03', 12.5, 1, '12a', 3.5)");
    exec(*c, "insert into v values ('not a date', NULL, '2024-01-01', 7, 'false', 5, 'txt')");
    auto cur = c->prepare("select * from v")->execute();
    std::vector<Row> rows;
    EXPECT_FALSE(cur->fetch(10, rows));
    ASSERT_EQ(rows.size(), 2u);
    const auto& a = rows[0].values;
    EXPECT_EQ(a[0], Value(Date{2024, 2, 29}));
    EXPECT_EQ(a[1], Value(Time{10, 20, 30, 500}));
    EXPECT_EQ(a[2], Value(DateTime{{2024, 2, 29}, {1, 2, 3, 0}}));
    EXPECT_EQ(a[3], Value(Decimal{"12.50"}));
    EXPECT_EQ(a[4], Value(true));
    EXPECT_EQ(a[5], Value("12a")) << "a stored text that is no integer keeps its text";
    EXPECT_EQ(cur->fields()[6].type, FieldType::Float) << "an untyped column takes the first row's type";
    const auto& b = rows[1].values;
    EXPECT_EQ(b[0], Value("not a date"));
    EXPECT_TRUE(b[1].isNull());
    EXPECT_EQ(b[2], Value(DateTime{{2024, 1, 1}, {}}));
    EXPECT_EQ(b[3], Value(Decimal{"7.00"}));
    EXPECT_EQ(b[4], Value(false));
}

TEST_F(SqliteDriver, StatementsStepLazilyAndReportChanges) {
    auto c = connect("s.sqlite");
    exec(*c, "create table t (id INTEGER PRIMARY KEY, name VARCHAR(10))");
    auto ins = c->prepare("insert into t (name) values (?)");
    c->begin();
    for (int i = 0; i < 1000; ++i) {
        ins->bind(0, Value("n" + std::to_string(i)), FieldType::String);
        EXPECT_EQ(ins->execute(), nullptr);
        EXPECT_EQ(ins->rowsAffected(), 1);
    }
    c->commit();
    auto cur = c->prepare("select * from t order by id")->execute();
    ASSERT_NE(cur, nullptr);
    EXPECT_EQ(cur->rowCount(), -1);
    // A statement that only reads is run again to the row asked for.
    EXPECT_TRUE(cur->seek(990));
    std::vector<Row> tail;
    EXPECT_FALSE(cur->fetch(999, tail));
    ASSERT_EQ(tail.size(), 10u);
    EXPECT_EQ(tail[0].values[0].asInteger(), 991);
    EXPECT_TRUE(cur->seek(0));
    std::vector<Row> rows;
    EXPECT_TRUE(cur->fetch(999, rows));
    EXPECT_FALSE(cur->fetch(999, rows)) << "the end shows with the block that reaches it";
    EXPECT_EQ(rows.size(), 1000u);

    auto empty = c->prepare("select id, name from t where id < 0")->execute();
    ASSERT_NE(empty, nullptr) << "a select without rows still has a result";
    EXPECT_EQ(empty->fields().size(), 2u);
    EXPECT_EQ(empty->fields()[1].size, 10);
    rows.clear();
    EXPECT_FALSE(empty->fetch(10, rows));

    auto upd = c->prepare("update t set name = 'x' where id <= 10");
    upd->execute();
    EXPECT_EQ(upd->rowsAffected(), 10);
    try {
        c->prepare("delete from t; drop table t");
        FAIL() << "two statements were accepted";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.messages().back(), "Only one statement can be run at a time");
    }
    EXPECT_NO_THROW(c->prepare("delete from t where id = 1;  -- done\n"));
}

TEST_F(SqliteDriver, ListsTablesViewsSystemTablesAndIndexes) {
    auto c = connect("c.sqlite");
    exec(*c, "create table \"CUSTOMER.DB\" (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT, city TEXT)");
    exec(*c, "create unique index cust_name on \"CUSTOMER.DB\" (name, city desc)");
    exec(*c, "create view v_names as select name from \"CUSTOMER.DB\"");
    auto user = c->tables(false);
    ASSERT_EQ(user.size(), 2u);
    EXPECT_EQ(user[0].name, "CUSTOMER.DB");
    EXPECT_EQ(user[0].type, "TABLE");
    EXPECT_FALSE(user[0].view);
    EXPECT_EQ(user[1].name, "v_names");
    EXPECT_EQ(user[1].type, "VIEW");
    EXPECT_TRUE(user[1].view);
    auto all = c->tables(true);
    std::vector<std::string> system;
    for (const auto& t : all)
        if (t.type == "SYSTEM TABLE") system.push_back(t.name);
    EXPECT_EQ(system, (std::vector<std::string>{"sqlite_master", "sqlite_sequence"}));

    auto ix = c->indexDefs("CUSTOMER.DB");
    ASSERT_EQ(ix.size(), 2u);
    EXPECT_TRUE(ix[0].primary);
    EXPECT_EQ(ix[0].fields, std::vector<std::string>{"id"});
    EXPECT_EQ(ix[1].name, "cust_name");
    EXPECT_TRUE(ix[1].unique);
    EXPECT_TRUE(ix[1].descending);
    EXPECT_EQ(ix[1].fields, (std::vector<std::string>{"name", "city"}));
    c->dropIndex("CUSTOMER.DB", "cust_name");
    EXPECT_EQ(c->indexDefs("CUSTOMER.DB").size(), 1u);

    c->renameTable("CUSTOMER.DB", "CLIENT.DB");
    EXPECT_EQ(c->fieldDefs("CLIENT.DB").size(), 3u);
    EXPECT_THROW(c->fieldDefs("CUSTOMER.DB"), EngineError);
    c->dropTable("v_names");
    EXPECT_EQ(c->tables(false).size(), 1u);
}

TEST_F(SqliteDriver, TableCursorsSeekAndChangeRowsByRowid) {
    auto c = connect("r.sqlite");
    exec(*c, "create table t (id INTEGER PRIMARY KEY, name VARCHAR(10) DEFAULT 'none')");
    exec(*c, "insert into t values (1, 'a'), (2, 'b'), (3, 'c')");
    auto cur = c->openTable("t", {});
    EXPECT_TRUE(cur->canModify());
    EXPECT_EQ(cur->rowCount(), 3);
    ASSERT_TRUE(cur->seek(2));
    std::vector<Row> rows;
    cur->fetch(10, rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].values[1], Value("c"));

    // Changing the INTEGER PRIMARY KEY moves the row to a new rowid; the key follows.
    Row moved = cur->updateRow(rows[0], {Value(30), Value("c")});
    EXPECT_EQ(moved.key, Value(std::int64_t(30)));
    Row again = cur->updateRow(moved, {Value(30), Value("cc")});
    EXPECT_EQ(again.values[1], Value("cc"));
    // Nulls are left out of an insert, so column defaults apply.
    Row fresh = cur->insertRow({Value(), Value()});
    EXPECT_EQ(fresh.values[1], Value("none"));
    EXPECT_FALSE(fresh.values[0].isNull());
    cur->deleteRow(fresh);
    EXPECT_THROW(cur->deleteRow(fresh), EngineError) << "a row deleted by someone else";
    EXPECT_EQ(cur->rowCount(), 3);

    // Views and joins are read-only; a single-table select is live.
    exec(*c, "create view vt as select * from t");
    EXPECT_FALSE(c->openTable("vt", {})->canModify());
    EXPECT_TRUE(c->prepare("select name from t")->execute()->canModify());
    exec(*c, "create table u (id INTEGER PRIMARY KEY, note TEXT)");
    exec(*c, "insert into u values (1, 'x')");
    EXPECT_FALSE(c->prepare("select t.name, u.note from t join u on t.id = u.id")->execute()->canModify());
    EXPECT_FALSE(c->prepare("select count(*) from t")->execute()->canModify());
    TableOpenOptions byName;
    byName.indexFieldNames = {"NOPE"};
    EXPECT_THROW(c->openTable("t", byName), EngineError);
}

namespace {
// Rows made on demand into recycled rows (the way fetchInto lends its buffers): a bulk insert
// that kept pointers into an earlier block would store the later block's texts.
struct RecyclingRows : Cursor {
    std::vector<FieldDef> defs{{"ID", FieldType::Integer}, {"NAME", FieldType::String},
                               {"QTY", FieldType::Integer}, {"DAY", FieldType::Date}};
    int next = 0, count;
    explicit RecyclingRows(int n) : count(n) {}
    const std::vector<FieldDef>& fields() const override { return defs; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override {
        std::vector<Row> block;
        bool more = fetchInto(maxRows, block);
        for (auto& r : block) out.push_back(std::move(r));
        return more;
    }
    bool fetchInto(std::size_t maxRows, std::vector<Row>& out) override {
        out.resize(std::min<std::size_t>(maxRows, std::size_t(count - next)));
        for (auto& r : out) {
            r.values.resize(4);
            r.values[0] = Value(std::int64_t(next));
            r.values[1].setText("name " + std::to_string(next));
            // Every seventh quantity is a text that reads as a number, every fifth is null.
            r.values[2] = next % 5 == 0 ? Value() : next % 7 == 0 ? Value(std::to_string(next)) : Value(std::int64_t(next));
            r.values[3] = Value(Date{2024, 1 + next % 12, 1 + next % 28});
            ++next;
        }
        return next < count;
    }
    std::int64_t rowCount() override { return count; }
};
struct StopAt : Progress {
    std::int64_t limit;
    explicit StopAt(std::int64_t n) : limit(n) {}
    bool step(std::int64_t done, std::int64_t) override { return done < limit; }
};
}  // namespace

TEST_F(SqliteDriver, AppendRowsStoresEveryBlocksOwnValues) {
    auto c = connect("bulk.sqlite");
    exec(*c, "CREATE TABLE t (id INTEGER, name VARCHAR(20), qty INTEGER, day DATE, extra TEXT)");
    RecyclingRows src(2600);
    c->begin();
    // A source column of -1 is a null for that destination column.
    EXPECT_EQ(c->appendRows("t", {"id", "name", "qty", "day", "extra"}, src, {0, 1, 2, 3, -1}, nullptr), 2600);
    c->commit();
    auto count = [&](const std::string& where) {
        std::vector<Row> r;
        c->prepare("SELECT count(*) FROM t WHERE " + where)->execute()->fetch(1, r);
        return r.at(0).values.at(0).asInteger();
    };
    EXPECT_EQ(count("1"), 2600);
    EXPECT_EQ(count("name = 'name ' || id"), 2600);
    EXPECT_EQ(count("qty IS NULL"), 520);
    EXPECT_EQ(count("typeof(qty) = 'integer' AND qty = id"), 2080);
    EXPECT_EQ(count("extra IS NULL"), 2600);
    EXPECT_EQ(count("id = 1030 AND day = '2024-11-23'"), 1);

    // Cancelled through the progress: the error reaches the caller, whose rollback takes the rows back.
    RecyclingRows more(3000);
    StopAt stop(1024);
    c->begin();
    try {
        c->appendRows("t", {"id", "name", "qty", "day"}, more, {0, 1, 2, 3}, &stop);
        FAIL() << "the cancel was not reported";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Cancelled);
    }
    c->rollback();
    EXPECT_EQ(count("1"), 2600);

    // A failing row reports SQLite's text.
    exec(*c, "CREATE TABLE strict (id INTEGER NOT NULL, name TEXT, qty INTEGER, day DATE)");
    RecyclingRows nulls(10);
    try {
        c->appendRows("strict", {"id", "name", "qty", "day"}, nulls, {-1, 1, 2, 3}, nullptr);
        FAIL() << "the NOT NULL violation was not reported";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("NOT NULL"), std::string::npos) << e.what();
    }
}
