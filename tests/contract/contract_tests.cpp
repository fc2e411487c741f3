// The engine contract: what every backend does the same through Session, Database, Query,
// Table, StoredProc and BatchMove.
#include <chrono>
#include <cstdlib>
#include <future>
#include <set>
#include <thread>

#include "backend.h"
#include "engine/batchmove.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/session.h"
#include "engine/storedproc.h"
#include "engine/table.h"

namespace vlm::contract {

using namespace vlm::engine;

void Contract::SetUp() {
    if (backend().unavailable) {
        std::string why = backend().unavailable();
        if (!why.empty()) {
            const char* ci = std::getenv("CI");
            if (ci && std::string(ci) == "true") FAIL() << backend().name << " is not available: " << why;
            GTEST_SKIP() << backend().name << " is not available: " << why;
        }
    }
    dbName_ = fresh();
    db_ = std::make_unique<Database>();
    db_->setDatabaseName(dbName_);
    db_->params() = backend().params;
    db_->open();
}

void Contract::TearDown() {
    db_.reset();
    if (backend().dropDatabase)
        for (const auto& n : made_) backend().dropDatabase(n);
}

std::string Contract::fresh() {
    made_.push_back(backend().freshDatabase());
    return made_.back();
}

std::string Contract::table(const std::string& base) const {
    return backend().tableName ? backend().tableName(base) : base;
}
std::string Contract::quoted(const std::string& base) { return db().connection().quoteTable(table(base)); }
std::string Contract::id(const std::string& field) { return db().connection().quoteIdentifier(field); }

namespace {

FieldDef def(const std::string& name, int logicalType, int size = 0, int scale = 0, bool required = false) {
    FieldDef f;
    f.name = name;
    f.logicalType = logicalType;
    f.size = size;
    f.scale = scale;
    f.required = required;
    return f;
}

std::vector<std::string> names(Dataset& ds) {
    std::vector<std::string> out;
    for (ds.first(); !ds.eof(); ds.next()) out.push_back(ds.fieldByName("NAME").asString());
    return out;
}

const char* kNames[] = {"Ivanov", "Petrov", "Sidorov", "Ivanova", "Kuznetsov"};

}  // namespace

void Contract::createItems(Database& on, const std::string& base) {
    Table t;
    t.setDatabase(&on);
    t.setTableName(table(base));
    IndexDef pk;
    pk.name = "PK_" + base;
    pk.fields = {"ID"};
    pk.primary = backend().primaryKeys;
    pk.unique = true;
    t.createTable({def("ID", logical::INT32, 0, 0, true), def("NAME", logical::ZSTRING, 20),
                   def("PRICE", logical::BCD, 10, 2), def("BORN", logical::DATE), def("FLAG", logical::BOOL)},
                  {pk});
}

// Rows 1..count: NAME cycles through kNames, PRICE = ID * 1.5, BORN in 2020, FLAG on odd IDs,
// and row 3 has no BORN.
void Contract::fillItems(Database& on, const std::string& base, int count) {
    Connection& c = on.connection();
    Query q;
    q.setDatabase(&on);
    q.setSql("insert into " + c.quoteTable(table(base)) + " (" + c.quoteIdentifier("ID") + ", " +
             c.quoteIdentifier("NAME") + ", " + c.quoteIdentifier("PRICE") + ", " + c.quoteIdentifier("BORN") +
             ", " + c.quoteIdentifier("FLAG") + ") values (:ID, :NAME, :PRICE, :BORN, :FLAG)");
    bool tx = backend().transactions && !on.inTransaction();
    if (tx) on.startTransaction();
    for (int i = 1; i <= count; ++i) {
        q.paramByName("ID").set(Value(i), FieldType::Integer);
        q.paramByName("NAME").set(Value(kNames[(i - 1) % 5]), FieldType::String);
        q.paramByName("PRICE").set(Value(Decimal{std::to_string(i) + (i % 2 ? ".50" : ".00")}), FieldType::BCD);
        q.paramByName("BORN").set(i == 3 ? Value() : Value(Date{2020, 1 + i % 12, 1 + i % 28}), FieldType::Date);
        q.paramByName("FLAG").set(Value(i % 2 == 1), FieldType::Boolean);
        q.execSql();
    }
    if (tx) on.commit();
}

std::int64_t Contract::countRows(Database& on, const std::string& base) {
    Query q;
    q.setDatabase(&on);
    q.setSql("select count(*) from " + on.connection().quoteTable(table(base)));
    q.open();
    return q.field(0).asInteger();
}

TEST_P(Contract, ListsTablesWithFieldTypes) {
    createItems(db(), "ITEMS");
    auto tables = db().connection().tables(false);
    std::set<std::string> listed;
    for (const auto& t : tables) listed.insert(t.name);
    EXPECT_TRUE(listed.count(table("ITEMS"))) << "table list lacks " << table("ITEMS");
    auto sessionList = Session::defaultSession().tableNames(dbName_, false, backend().params);
    bool found = false;
    for (const auto& t : sessionList) found = found || t.name == table("ITEMS");
    EXPECT_TRUE(found);

    Table t;
    t.setDatabase(&db());
    t.setTableName(table("ITEMS"));
    auto defs = t.fieldDefs();
    ASSERT_EQ(defs.size(), 5u);
    struct Expect {
        const char* name;
        FieldType type;
        int size;
    } expect[] = {{"ID", FieldType::Integer, -1},
                  {"NAME", FieldType::String, 20},
                  {"PRICE", FieldType::BCD, 10},
                  {"BORN", FieldType::Date, -1},
                  {"FLAG", FieldType::Boolean, -1}};
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(expect[i].name);
        EXPECT_EQ(defs[i].name, expect[i].name);
        if (!backend().exactNumerics && (i == 2 || i == 4)) continue;   // described as DOUBLE and INTEGER
        EXPECT_EQ(defs[i].type, expect[i].type);
        if (expect[i].size >= 0) EXPECT_EQ(defs[i].size, expect[i].size);
    }
    if (backend().exactNumerics) EXPECT_EQ(defs[2].scale, 2);
    auto indexes = t.indexDefs();
    bool primary = false;
    for (const auto& ix : indexes)
        if (ix.primary || !backend().primaryKeys) primary = primary || ix.fields == std::vector<std::string>{"ID"};
    EXPECT_TRUE(primary) << "no primary index on ID";

    // The open dataset reports the same fields, values in their types.
    fillItems(db(), "ITEMS", 3);
    t.open();
    EXPECT_EQ(t.fieldCount(), 5);
    if (backend().exactNumerics) {
        EXPECT_EQ(t.fieldByName("price").dataType(), FieldType::BCD);
        EXPECT_EQ(t.fieldByName("PRICE").asString(), "1.50");
    }
    EXPECT_EQ(t.fieldByName("PRICE").asFloat(), 1.5);
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 1);
    EXPECT_EQ(t.fieldByName("NAME").asString(), "Ivanov");
    EXPECT_EQ(t.fieldByName("BORN").asString(), "2020-02-02");
    EXPECT_TRUE(t.fieldByName("FLAG").asBoolean());
    EXPECT_THROW(t.fieldByName("NOPE"), EngineError);
}

TEST_P(Contract, QueriesBindNamedAndPositionalParameters) {
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", 10);
    Query q;
    q.setDatabase(&db());
    q.setSql("select " + id("NAME") + " from " + quoted("ITEMS") + " where " + id("ID") + " >= :LO and " + id("ID") +
             " <= :HI order by " + id("ID"));
    ASSERT_EQ(q.params().size(), 2u);
    q.paramByName("lo").set(Value(2), FieldType::Integer);
    q.paramByName("HI").set(Value(4), FieldType::Integer);
    q.open();
    EXPECT_EQ(names(q), (std::vector<std::string>{"Petrov", "Sidorov", "Ivanova"}));

    Query p;
    p.setDatabase(&db());
    p.setSql("select " + id("ID") + " from " + quoted("ITEMS") + " where " + id("NAME") + " = ? and " + id("ID") +
             " > ? order by " + id("ID"));
    p.param(0).set(Value("Ivanov"), FieldType::String);
    p.param(1).set(Value(1), FieldType::Integer);
    p.open();
    EXPECT_EQ(p.fieldByName("ID").asInteger(), 6);
    EXPECT_EQ(p.recordCount(), 1);

    // Rows affected by changes; re-running with new values reuses the prepared statement.
    Query u;
    u.setDatabase(&db());
    u.setSql("update " + quoted("ITEMS") + " set " + id("NAME") + " = :N where " + id("ID") + " <= :MAX");
    u.paramByName("N").set(Value("X"), FieldType::String);
    u.paramByName("MAX").set(Value(3), FieldType::Integer);
    u.execSql();
    EXPECT_EQ(u.rowsAffected(), 3);
    u.paramByName("MAX").set(Value(0), FieldType::Integer);
    u.execSql();
    EXPECT_EQ(u.rowsAffected(), 0);
    Query d;
    d.setDatabase(&db());
    d.setSql("delete from " + quoted("ITEMS") + " where " + id("NAME") + " = 'X'");
    d.execSql();
    EXPECT_EQ(d.rowsAffected(), 3);
    EXPECT_EQ(countRows(db(), "ITEMS"), 7);
}

TEST_P(Contract, LargeResultsAreFetchedLazily) {
    const int n = 3000;
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", n);
    Query q;
    q.setDatabase(&db());
    q.setSql("select * from " + quoted("ITEMS") + " order by " + id("ID"));
    q.open();
    EXPECT_LT(q.fetchedCount(), n) << "open read every row";
    for (int i = 0; i < 10; ++i) q.next();
    EXPECT_EQ(q.fieldByName("ID").asInteger(), 11);
    EXPECT_LT(q.fetchedCount(), n);
    EXPECT_EQ(q.recordCount(), n);
    q.last();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.recNo(), n);
    EXPECT_EQ(q.fieldByName("ID").asInteger(), n);
    q.prior();
    EXPECT_EQ(q.fieldByName("ID").asInteger(), n - 1);
    q.first();
    EXPECT_EQ(q.fieldByName("ID").asInteger(), 1);

    Table t;
    t.setDatabase(&db());
    t.setTableName(table("ITEMS"));
    t.open();
    EXPECT_EQ(t.recordCount(), n);
    if (backend().seekingTables) {
        t.setRecNo(n - 5);
        EXPECT_EQ(t.fieldByName("ID").asInteger(), n - 5);
        EXPECT_LT(t.fetchedCount(), n) << "counting or jumping read every row";
    }
}

TEST_P(Contract, BigResultsKeepABoundedRowCacheAndCountWithoutReading) {
    // What a grid over a big table does: count, jump to the end, scroll through with a small
    // budget of blocks, come back to the top.
    const int n = 3000;
    const std::int64_t block = std::int64_t(Dataset::rowBlockSize);
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", n);
    Query q;
    q.setDatabase(&db());
    q.setSql("select * from " + quoted("ITEMS"));
    q.open();
    q.setBlockBudget(2);
    const std::int64_t opened = q.fetchedCount();
    EXPECT_LE(opened, block) << "open read more than a block";
    bool complete = true;
    q.knownRowCount(&complete);
    EXPECT_FALSE(complete && backend().seekingQueries) << "open counted the rows";
    EXPECT_EQ(q.recordCount(), n);
    q.last();
    EXPECT_EQ(q.recNo(), n);
    EXPECT_EQ(q.fieldByName("ID").asInteger(), n);
    if (backend().seekingQueries) {
        EXPECT_LE(q.fetchedCount() - opened, block) << "the count or the last row read the rows between";
        EXPECT_EQ(q.knownRowCount(&complete), n);
        EXPECT_TRUE(complete);
    }
    for (std::int64_t i = 0; i < n; i += 97) {
        const Row* r = q.rowAt(i);
        ASSERT_NE(r, nullptr) << i;
        EXPECT_EQ(r->values[0].asInteger(), i + 1);
    }
    EXPECT_EQ(q.rowAt(n), nullptr);
    const std::int64_t scrolled = q.fetchedCount();
    const Row* top = q.rowAt(0);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->values[0].asInteger(), 1);
    if (backend().seekingQueries) {
        EXPECT_LE(q.cachedBlockCount(), 2u);
        EXPECT_EQ(q.fetchedCount() - scrolled, block) << "the first block was not read again";
    }
    EXPECT_EQ(q.fieldByName("ID").asInteger(), n);   // the current record stays
    q.first();
    EXPECT_EQ(q.fieldByName("ID").asInteger(), 1);
}

TEST_P(Contract, NavigatesBothWaysAndReturnsToBookmarks) {
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", 600);
    Table t;
    t.setDatabase(&db());
    t.setTableName(table("ITEMS"));
    t.setIndexFieldNames("ID");
    t.open();
    EXPECT_TRUE(t.bof());
    EXPECT_FALSE(t.eof());
    EXPECT_EQ(t.recNo(), 1);
    t.prior();
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_EQ(t.moveBy(300), 300);
    EXPECT_EQ(t.recNo(), 301);
    Bookmark b = t.bookmark();
    ASSERT_TRUE(b.valid());
    t.last();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 600);
    t.next();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 600);
    t.gotoBookmark(b);
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 301);
    EXPECT_EQ(t.moveBy(-1000), -300);
    EXPECT_TRUE(t.bof());
    t.setRecNo(42);
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 42);
    // Walking backwards from the end meets every row once.
    int seen = 0;
    for (t.last(); !t.bof(); t.prior()) ++seen;
    EXPECT_EQ(seen, 600);

    // Descending order by a field list.
    t.setIndexFieldNames("NAME;ID");
    EXPECT_EQ(t.fieldByName("NAME").asString(), "Ivanov");
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 1);
}

TEST_P(Contract, FiltersRecords) {
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", 10);
    Query q;
    q.setDatabase(&db());
    q.setSql("select * from " + quoted("ITEMS") + " order by " + id("ID"));
    q.open();
    struct Case {
        const char* filter;
        std::int64_t count;
    } cases[] = {
        {"NAME = 'Ivanov*'", 4},             // Ivanov, Ivanova at 1, 4, 6, 9
        {"NAME = 'Ivanov'", 2},
        {"ID > 3 and ID <= 6", 3},
        {"PRICE >= 5 and not (FLAG = TRUE)", 3},   // 6, 8, 10
        {"BORN is null", 1},
        {"BORN is not null and (ID < 3 or ID > 9)", 3},
        {"NAME <> 'Ivanov*'", 6},
        {"BORN >= '2020-06-01'", 6},
    };
    q.setFiltered(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        q.setFilter(c.filter);
        EXPECT_EQ(q.recordCount(), c.count);
        std::int64_t walked = 0;
        for (q.first(); !q.eof(); q.next()) ++walked;
        EXPECT_EQ(walked, c.count);
    }
    q.setFilter("NAME = 'Sidorov'");
    EXPECT_EQ(q.fieldByName("ID").asInteger(), 3);
    q.next();
    EXPECT_EQ(q.fieldByName("ID").asInteger(), 8);
    q.setFiltered(false);
    EXPECT_EQ(q.recordCount(), 10);
    EXPECT_THROW(q.setFilter("NAME = "), EngineError);
    EXPECT_THROW(q.setFilter("NOSUCH = 1"), EngineError);
    EXPECT_EQ(q.filter(), "NAME = 'Sidorov'");
}

TEST_P(Contract, EditsInsertsAndDeletesThroughATable) {
    if (!backend().editableTables) GTEST_SKIP() << backend().name << " table cursors are read-only";
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", 5);
    Table t;
    t.setDatabase(&db());
    t.setTableName(table("ITEMS"));
    t.setIndexFieldNames("ID");
    t.open();
    ASSERT_TRUE(t.canModify());

    t.setRecNo(2);
    t.edit();
    t.fieldByName("NAME").setAsString("Changed");
    t.cancel();
    EXPECT_EQ(t.fieldByName("NAME").asString(), "Petrov");

    t.edit();
    t.fieldByName("NAME").setAsString("Changed");
    t.fieldByName("PRICE").setAsString("99.25");
    t.post();
    EXPECT_EQ(t.state(), DatasetState::Browse);
    EXPECT_EQ(t.fieldByName("NAME").asString(), "Changed");

    t.append();
    t.fieldByName("ID").setValue(Value(100));
    t.fieldByName("NAME").setAsString("New");
    t.fieldByName("BORN").setAsString("2021-03-04");
    t.post();
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 100);
    EXPECT_EQ(t.recordCount(), 6);

    t.first();
    t.deleteRecord();
    EXPECT_EQ(t.recordCount(), 5);
    EXPECT_EQ(t.fieldByName("ID").asInteger(), 2);

    // What the table did is what a fresh query sees.
    Query q;
    q.setDatabase(&db());
    q.setSql("select * from " + quoted("ITEMS") + " order by " + id("ID"));
    q.open();
    EXPECT_EQ(names(q), (std::vector<std::string>{"Changed", "Sidorov", "Ivanova", "Kuznetsov", "New"}));
    q.first();
    EXPECT_EQ(q.fieldByName("PRICE").asFloat(), 99.25);
    q.last();
    EXPECT_EQ(q.fieldByName("BORN").asString(), "2021-03-04");
    EXPECT_TRUE(q.fieldByName("PRICE").isNull());

    // A key violation is reported and leaves the record in insert state to be corrected.
    if (backend().primaryKeys) {
        t.insert();
        t.fieldByName("ID").setValue(Value(2));
        EXPECT_THROW(t.post(), EngineError);
        EXPECT_EQ(t.state(), DatasetState::Insert);
        t.cancel();
        EXPECT_EQ(t.recordCount(), 5);
    }

    // A query without RequestLive is read-only.
    EXPECT_FALSE(q.canModify());
    EXPECT_THROW(q.edit(), EngineError);
}

TEST_P(Contract, RequestLiveQueriesAreEditable) {
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", 3);
    Query q;
    q.setDatabase(&db());
    q.setRequestLive(true);
    q.setSql("select * from " + quoted("ITEMS") + " order by " + id("ID"));
    q.open();
    if (!backend().liveQueries) {
        EXPECT_FALSE(q.canModify());
        EXPECT_THROW(q.edit(), EngineError);
        return;
    }
    ASSERT_TRUE(q.canModify());
    q.next();
    q.edit();
    q.fieldByName("NAME").setAsString("Live");
    q.post();
    q.last();
    q.deleteRecord();
    EXPECT_EQ(countRows(db(), "ITEMS"), 2);
    Query check;
    check.setDatabase(&db());
    check.setSql("select * from " + quoted("ITEMS") + " order by " + id("ID"));
    check.open();
    EXPECT_EQ(names(check), (std::vector<std::string>{"Ivanov", "Live"}));
}

TEST_P(Contract, CalculatedFieldsAreFilledPerRow) {
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", 3);
    Query q;
    q.setDatabase(&db());
    q.setSql("select * from " + quoted("ITEMS") + " order by " + id("ID"));
    q.addCalcField("LABEL", 8);
    q.setOnCalcFields([](Dataset& ds) {
        ds.fieldByName("LABEL").setValue(Value(ds.fieldByName("ID").asString() + ":" + ds.fieldByName("NAME").asString()));
    });
    q.open();
    EXPECT_TRUE(q.fieldByName("LABEL").calculated());
    EXPECT_EQ(q.fieldByName("LABEL").asString(), "1:Ivanov");
    q.next();
    EXPECT_EQ(q.fieldByName("LABEL").asString(), "2:Petrov");
    q.next();
    EXPECT_EQ(q.fieldByName("LABEL").asString(), "3:Sidoro") << "cut to the field's size";
    EXPECT_THROW(q.fieldByName("LABEL").setValue(Value("x")), EngineError);
}

TEST_P(Contract, TransactionsCommitAndRollBack) {
    if (!backend().transactions) GTEST_SKIP() << backend().name << " has no transactions";
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", 2);
    Query ins;
    ins.setDatabase(&db());
    ins.setSql("insert into " + quoted("ITEMS") + " (" + id("ID") + ", " + id("NAME") + ") values (:ID, 'T')");
    db().startTransaction();
    EXPECT_TRUE(db().inTransaction());
    ins.paramByName("ID").set(Value(10), FieldType::Integer);
    ins.execSql();
    EXPECT_EQ(countRows(db(), "ITEMS"), 3);
    db().rollback();
    EXPECT_FALSE(db().inTransaction());
    EXPECT_EQ(countRows(db(), "ITEMS"), 2);
    db().startTransaction();
    ins.paramByName("ID").set(Value(11), FieldType::Integer);
    ins.execSql();
    db().commit();
    EXPECT_EQ(countRows(db(), "ITEMS"), 3);

    // Committed data is seen by another connection.
    Database other;
    other.setDatabaseName(dbName_);
    other.params() = backend().params;
    EXPECT_EQ(countRows(other, "ITEMS"), 3);
}

TEST_P(Contract, BatchMoveCopiesAndAppendsBetweenDatabases) {
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", 700);
    Database dest;
    dest.setDatabaseName(fresh());
    dest.params() = backend().params;
    dest.open();

    Table src;
    src.setDatabase(&db());
    src.setTableName(table("ITEMS"));
    src.setIndexFieldNames("ID");
    Table out;
    out.setDatabase(&dest);
    out.setTableName(table("COPYT"));
    BatchMove copy;
    copy.source = &src;
    copy.destination = &out;
    copy.mode = batCopy;
    copy.execute();
    EXPECT_EQ(copy.movedCount(), 700);
    EXPECT_EQ(countRows(dest, "COPYT"), 700);
    auto defs = out.fieldDefs();
    ASSERT_EQ(defs.size(), 5u);
    EXPECT_EQ(defs[1].type, FieldType::String);
    EXPECT_EQ(defs[1].size, 20);
    EXPECT_EQ(defs[3].type, FieldType::Date);
    out.setIndexFieldNames("ID");
    out.open();
    out.setRecNo(3);
    EXPECT_EQ(out.fieldByName("NAME").asString(), "Sidorov");
    if (backend().exactNumerics) EXPECT_EQ(out.fieldByName("PRICE").asString(), "3.50");
    EXPECT_EQ(out.fieldByName("PRICE").asFloat(), 3.5);
    EXPECT_TRUE(out.fieldByName("BORN").isNull());
    out.close();

    // Copying again replaces the table.
    copy.execute();
    EXPECT_EQ(countRows(dest, "COPYT"), 700);

    // A table source with a calculated field is copied with it, filled per row.
    Table calc;
    calc.setDatabase(&db());
    calc.setTableName(table("ITEMS"));
    calc.setIndexFieldNames("ID");
    calc.addCalcField("LABEL", 12);
    calc.setOnCalcFields([](Dataset& ds) { ds.fieldByName("LABEL").setValue(Value("n" + ds.fieldByName("ID").asString())); });
    Table calcOut;
    calcOut.setDatabase(&dest);
    calcOut.setTableName(table("CALCT"));
    BatchMove withCalc;
    withCalc.source = &calc;
    withCalc.destination = &calcOut;
    withCalc.mode = batCopy;
    withCalc.execute();
    calcOut.setIndexFieldNames("ID");
    calcOut.open();
    calcOut.last();
    EXPECT_EQ(calcOut.fieldByName("LABEL").asString(), "n700");
    calcOut.close();

    // Append by mappings into a table of other column names and order; filtered source.
    Table app;
    app.setDatabase(&dest);
    app.setTableName(table("APPT"));
    app.createTable({def("WHO", logical::ZSTRING, 30), def("NUM", logical::INT32)});
    src.setFilter("NAME = 'Petrov'");
    src.setFiltered(true);
    BatchMove append;
    append.source = &src;
    append.destination = &app;
    append.mode = batAppend;
    append.mappings = {"NUM=ID", "WHO=NAME"};
    append.execute();
    EXPECT_EQ(append.movedCount(), 140);
    append.execute();
    EXPECT_EQ(countRows(dest, "APPT"), 280);

    append.mappings = {"NOPE=ID"};
    EXPECT_THROW(append.execute(), EngineError);
    EXPECT_EQ(countRows(dest, "APPT"), 280);
}

namespace {
struct CancelAfter : Progress {
    std::int64_t limit;
    explicit CancelAfter(std::int64_t n) : limit(n) {}
    bool step(std::int64_t done, std::int64_t) override { return done < limit; }
};
}  // namespace

TEST_P(Contract, FailedBatchMovesLeaveTheDestinationAsItWas) {
    createItems(db(), "ITEMS");
    fillItems(db(), "ITEMS", 600);
    Database dest;
    dest.setDatabaseName(fresh());
    dest.params() = backend().params;
    dest.open();
    createItems(dest, "TARGET");
    Query one;
    one.setDatabase(&dest);
    one.setSql("insert into " + dest.connection().quoteTable(table("TARGET")) + " (" +
               dest.connection().quoteIdentifier("ID") + ") values (600)");
    one.execSql();

    // The source's last row collides with the destination's only row: everything appended
    // before it is taken back.
    Table src;
    src.setDatabase(&db());
    src.setTableName(table("ITEMS"));
    src.setIndexFieldNames("ID");
    Table target;
    target.setDatabase(&dest);
    target.setTableName(table("TARGET"));
    BatchMove append;
    append.source = &src;
    append.destination = &target;
    append.mode = batAppend;
    if (backend().primaryKeys) try {
        append.execute();
        FAIL() << "the key violation was not reported";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()), "");
    }
    if (backend().primaryKeys) EXPECT_EQ(countRows(dest, "TARGET"), backend().transactions ? 1 : 600);

    // Cancelled through the progress: appended rows are rolled back, a copy leaves no table.
    if (backend().transactions) {
        Query clear;
        clear.setDatabase(&dest);
        clear.setSql("delete from " + dest.connection().quoteTable(table("TARGET")));
        clear.execSql();
        CancelAfter cancel(200);
        try {
            append.execute(&cancel);
            FAIL() << "the cancel was not reported";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.category(), ErrorCategory::Cancelled);
        }
        EXPECT_EQ(countRows(dest, "TARGET"), 0);
    }
    Table copyOut;
    copyOut.setDatabase(&dest);
    copyOut.setTableName(table("NEWCOPY"));
    BatchMove copy;
    copy.source = &src;
    copy.destination = &copyOut;
    copy.mode = batCopy;
    CancelAfter cancel(200);
    EXPECT_THROW(copy.execute(&cancel), EngineError);
    bool listed = false;
    for (const auto& t : dest.connection().tables(false)) listed = listed || t.name == table("NEWCOPY");
    EXPECT_FALSE(listed) << "the cancelled copy left its table";
}

TEST_P(Contract, StoredProceduresRunOrAreRefused) {
    StoredProc p;
    p.setDatabase(&db());
    p.setStoredProcName("CT_ADD");
    if (!backend().storedProcedures) {
        try {
            p.prepare();
            FAIL() << "prepare of a procedure did not fail";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), errc::NotSupported);
        }
        return;
    }
    for (const auto& sql : backend().createProcedure) {
        Query q;
        q.setDatabase(&db());
        q.setSql(sql);
        q.execSql();
    }
    p.prepare();
    p.paramByName("A").set(Value(2), FieldType::Integer);
    p.paramByName("B").set(Value(3), FieldType::Integer);
    p.execProc();
    EXPECT_EQ(p.paramByName("S").value.asInteger(), 5);
}

TEST_P(Contract, ErrorsCarryTheServersText) {
    Query bad;
    bad.setDatabase(&db());
    bad.setSql("selec * from nothing");
    try {
        bad.open();
        FAIL() << "bad SQL did not fail";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Sql);
        EXPECT_NE(std::string(e.what()).find(backend().syntaxErrorText), std::string::npos) << e.what();
    }
    Table missing;
    missing.setDatabase(&db());
    missing.setTableName(table("MISSING"));
    EXPECT_THROW(missing.open(), EngineError);
    EXPECT_FALSE(missing.active());
    EXPECT_THROW(missing.fieldDefs(), EngineError);
    Query q;
    q.setDatabase(&db());
    q.setSql("select * from " + quoted("MISSING"));
    try {
        q.open();
        FAIL() << "an unknown table did not fail";
    } catch (const EngineError& e) {
        std::string text = e.what();
        for (auto& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_NE(text.find("MISSING"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(q.active());
}

// A statement that would run about a minute is stopped from another thread: it fails as
// Cancelled within a few seconds (not when the server is done), and the same connection then
// runs the next statement. A cancel while nothing runs changes nothing.
TEST_P(Contract, CancelStopsTheRunningStatementAndTheConnectionStaysUsable) {
    ASSERT_FALSE(backend().longQuery.empty()) << "the backend names no long query";
    auto selectOne = [&] {
        Query q;
        q.setDatabase(&db());
        q.setSql(backend().selectOne);
        q.open();
        return q.field(0).asInteger();
    };
    db().cancelRunning();
    EXPECT_EQ(selectOne(), 1) << "a cancel with nothing running reached the next statement";

    std::string sql = backend().longQuery;
    if (auto at = sql.find("{ITEMS}"); at != std::string::npos) {
        createItems(db(), "ITEMS");
        fillItems(db(), "ITEMS", backend().longQueryRows);
        for (; at != std::string::npos; at = sql.find("{ITEMS}")) sql.replace(at, 7, quoted("ITEMS"));
    }
    std::promise<std::string> outcome;   // "finished", or the error's category and text
    auto done = outcome.get_future();
    std::thread worker([&] {
        try {
            Query q;
            q.setDatabase(&db());
            q.setSql(sql);
            q.open();
            outcome.set_value("finished");
        } catch (const EngineError& e) {
            outcome.set_value(std::string(categoryName(e.category())) + ": " + e.what());
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    db().cancelRunning();
    // Generous: a hang, or a run to the server's end, is what this catches.
    bool stopped = done.wait_for(std::chrono::seconds(8)) == std::future_status::ready;
    worker.join();
    ASSERT_TRUE(stopped) << "the statement ran on after the cancel";
    std::string result = done.get();
    EXPECT_EQ(result.rfind("Cancelled: ", 0), 0u) << result;
    EXPECT_EQ(selectOne(), 1);
}

}  // namespace vlm::contract
