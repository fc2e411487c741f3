// The PostgreSQL driver against the throwaway cluster: catalog, values, lazy fetch,
// transactions, stored procedures, COPY, DDL, trace and errors. Each test works in a schema
// of its own, so the tests may run in parallel.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <unistd.h>

#include "engine/batchmove.h"
#include "engine/database.h"
#include "engine/drivers/local/dbase/dbf.h"
#include "engine/drivers/local/dir/localddl.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "engine/session.h"
#include "engine/storedproc.h"
#include "engine/table.h"
#include "fixtures/indexcopy.h"
#include "fixtures/servers.h"

namespace vlm::engine {
namespace {

struct RecordingTracer : Tracer {
    std::vector<std::pair<TraceCategory, std::string>> lines;
    bool wants(TraceCategory) const override { return true; }
    void trace(TraceCategory c, const std::string& t) override { lines.emplace_back(c, t); }
    bool saw(const std::string& needle) const {
        for (const auto& [c, t] : lines)
            if (t.find(needle) != std::string::npos) return true;
        return false;
    }
};

DriverRegistry& registry() { return DriverRegistry::standard(); }

class Postgres : public ::testing::Test {
protected:
    void SetUp() override {
        port_ = vlm::test::serverPort("VLM_PG_STATE");
        ASSERT_FALSE(port_.empty());
        conn_ = connect("pgtest", "");
        schema_ = std::string("t_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (auto& c : schema_) c = char(std::tolower(static_cast<unsigned char>(c)));
        exec("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
        exec("CREATE SCHEMA " + schema_);
        exec("SET search_path = " + schema_ + ", public");
    }

    std::unique_ptr<Connection> connect(const std::string& user, const std::string& password,
                                        Tracer& tracer = nullTracer()) {
        ConnectParams p{"127.0.0.1:" + port_ + "/vlmtest", {{"USER NAME", user}}};
        if (!password.empty()) p.params["PASSWORD"] = password;
        return registry().create("POSTGRESQL")->connect(p, tracer);
    }

    void exec(const std::string& sql) { conn_->prepare(sql)->execute(); }

    std::vector<Row> rows(const std::string& sql, std::vector<Value> args = {}) {
        auto st = conn_->prepare(sql);
        for (std::size_t i = 0; i < args.size(); ++i) st->bind(i, args[i], FieldType::Unknown);
        auto cur = st->execute();
        std::vector<Row> out;
        if (cur)
            while (cur->fetch(500, out)) {}
        return out;
    }

    std::string port_, schema_;
    std::unique_ptr<Connection> conn_;
};

TEST_F(Postgres, ConnectErrorsCarryTheServerTextAndNeverThePassword) {
    RecordingTracer tr;
    try {
        connect("vlmpass", "wrong-secret-77", tr);
        FAIL() << "a wrong password connected";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Connect);
        EXPECT_EQ(e.code(), errc::LoginFailed);
        EXPECT_NE(std::string(e.what()).find("password authentication failed for user \"vlmpass\""), std::string::npos)
            << e.what();
        EXPECT_EQ(std::string(e.what()).find("wrong-secret-77"), std::string::npos);
    }
    EXPECT_FALSE(tr.saw("wrong-secret-77"));
    EXPECT_NO_THROW(connect("vlmpass", "vlmpass-secret"));

    // A port nobody listens on fails at once, within the bounded connect time.
    auto t0 = std::chrono::steady_clock::now();
    ConnectParams dead{"127.0.0.1:1/vlmtest", {{"USER NAME", "pgtest"}}};
    EXPECT_THROW(registry().create("POSTGRESQL")->connect(dead, nullTracer()), EngineError);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(12));

    ConnectParams nodb{"127.0.0.1:" + port_ + "/no_such_db", {{"USER NAME", "pgtest"}}};
    try {
        registry().create("POSTGRESQL")->connect(nodb, nullTracer());
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("database \"no_such_db\" does not exist"), std::string::npos) << e.what();
    }
}

// Every documented form of a PostgreSQL database, as a database name (what the panels' select
// step opens) and as an alias's SERVER NAME, reaches the test cluster. The host/db and db forms
// take the port (and db the host) from libpq's PGPORT and PGHOST, as psql does.
TEST_F(Postgres, EveryConnectionStringFormReachesTheDatabase) {
    struct Env {
        Env(const std::string& port) {
            ::setenv("PGHOST", "127.0.0.1", 1);
            ::setenv("PGPORT", port.c_str(), 1);
        }
        ~Env() {
            ::unsetenv("PGHOST");
            ::unsetenv("PGPORT");
        }
    } env(port_);
    const std::string forms[] = {
        "127.0.0.1:" + port_ + "/vlmtest",
        "127.0.0.1/vlmtest",
        "vlmtest",
        "host=127.0.0.1 port=" + port_ + " dbname=vlmtest",
        "dbname=vlmtest user=pgtest",
        "postgresql://pgtest@127.0.0.1:" + port_ + "/vlmtest",
        "postgres://127.0.0.1:" + port_ + "/vlmtest?application_name=formtest",
    };
    // A private session on a configuration file that is never written.
    Session session(DriverRegistry::standard());
    session.loadConfig((std::filesystem::temp_directory_path() / ("vlm-pgforms-" + std::to_string(::getpid()) + ".cfg")).string());
    session.setConfigMode(ConfigMode::Session);
    auto check = [&](const std::string& name, const std::vector<std::string>& params) {
        Database db(&session);
        db.setDatabaseName(name);
        db.params() = params;
        try {
            db.open();
            Query q;
            q.setDatabase(&db);
            q.setSql("select current_database(), inet_server_port()");
            q.open();
            EXPECT_EQ(q.field(0).value().asText(), "vlmtest");
            EXPECT_EQ(q.field(1).value().asText(), port_);
        } catch (const EngineError& e) {
            ADD_FAILURE() << e.what();
        }
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(form);
        check("POSTGRESQL:" + form, {"USER NAME=pgtest"});
        if (form.rfind("postgres", 0) == 0) check(form, {"USER NAME=pgtest"});   // a URI alone names its driver
        if (session.isAlias("PGFORM")) session.deleteAlias("PGFORM");
        // The alias's PORT serves the forms that name none (new aliases start with PORT=5432).
        session.addAlias("PGFORM", "POSTGRESQL", {"SERVER NAME=" + form, "USER NAME=pgtest", "PORT=" + port_});
        check("PGFORM", {});
    }
    // An alias whose SERVER NAME is the host beside DATABASE NAME and PORT.
    session.addAlias("PGPARTS", "POSTGRESQL", {"SERVER NAME=127.0.0.1", "PORT=" + port_, "DATABASE NAME=vlmtest"});
    check("PGPARTS", {"USER NAME=pgtest"});

    struct Bad {
        std::string name, error;
    } bad[] = {
        {"POSTGRESQL:host=127.0.0.1 port=" + port_ + " dbname=no_such_db", "database \"no_such_db\" does not exist"},
        {"POSTGRESQL:host=127.0.0.1 port", "Invalid PostgreSQL connection string"},
        {"POSTGRESQL:host=127.0.0.1 colour=red", "Invalid PostgreSQL connection string"},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.name);
        Database db(&session);
        db.setDatabaseName(b.name);
        db.params() = {"USER NAME=pgtest"};
        try {
            db.open();
            ADD_FAILURE() << "connected";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(b.error), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).find("translate host name"), std::string::npos) << e.what();
        }
    }
}

TEST_F(Postgres, StatementErrorsAreEngineErrorsAndTheConnectionGoesOn) {
    try {
        exec("SELECT * FROM no_such_table");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Sql);
        EXPECT_NE(std::string(e.what()).find("relation \"no_such_table\" does not exist"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("SQLSTATE 42P01"), std::string::npos);
    }
    exec("CREATE TABLE k (id int PRIMARY KEY)");
    exec("INSERT INTO k VALUES (1)");
    try {
        exec("INSERT INTO k VALUES (1)");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), errc::KeyViolation);
    }
    EXPECT_EQ(rows("SELECT count(*) FROM k")[0].values[0], Value(std::int64_t(1)));
}

TEST_F(Postgres, TableListCarriesSchemasAsOwnersAndMarksViews) {
    exec("CREATE TABLE orders (id int)");
    exec("CREATE VIEW big_orders AS SELECT * FROM orders WHERE id > 10");
    exec("CREATE SCHEMA \"t_Mixed.Case\"");
    exec("CREATE TABLE \"t_Mixed.Case\".\"Order Items\" (\"Line No\" int)");
    auto list = conn_->tables(false);
    auto find = [&](const std::string& n) -> const TableEntry* {
        for (const auto& e : list)
            if (e.name == n) return &e;
        return nullptr;
    };
    ASSERT_TRUE(find(schema_ + ".orders"));
    EXPECT_EQ(find(schema_ + ".orders")->type, "TABLE");
    EXPECT_FALSE(find(schema_ + ".orders")->view);
    ASSERT_TRUE(find(schema_ + ".big_orders"));
    EXPECT_TRUE(find(schema_ + ".big_orders")->view);
    EXPECT_EQ(find(schema_ + ".big_orders")->type, "VIEW");
    ASSERT_TRUE(find("t_Mixed.Case.Order Items"));
    EXPECT_FALSE(find("pg_catalog.pg_class"));

    auto all = conn_->tables(true);
    bool sys = false;
    for (const auto& e : all) sys = sys || (e.name == "pg_catalog.pg_class" && e.type == "SYSTEM TABLE");
    EXPECT_TRUE(sys);

    // A listed name whose schema holds a dot reaches its fields through the quoted form.
    auto f = conn_->fieldDefs("\"t_Mixed.Case\".\"Order Items\"");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].name, "Line No");
    exec("DROP SCHEMA \"t_Mixed.Case\" CASCADE");
}

TEST_F(Postgres, FieldAndIndexDefinitions) {
    exec("CREATE TABLE f (id serial PRIMARY KEY, name varchar(30) NOT NULL, code char(4), amount numeric(12,2),"
         " wide numeric, qty smallint, big bigint, ratio double precision, ok boolean, born date,"
         " at time, stamp timestamp, note text, pic bytea)");
    exec("CREATE UNIQUE INDEX f_name ON f (name DESC, code)");
    struct { const char* name; int lt, st, size, scale; FieldType type; bool required; } want[] = {
        {"id", logical::INT32, subtype::AUTOINC, 0, 0, FieldType::AutoInc, true},
        {"name", logical::ZSTRING, 0, 30, 0, FieldType::String, true},
        {"code", logical::ZSTRING, 0, 4, 0, FieldType::String, false},
        {"amount", logical::BCD, 0, 12, 2, FieldType::BCD, false},
        {"wide", logical::BCD, 0, 0, 0, FieldType::BCD, false},
        {"qty", logical::INT16, 0, 0, 0, FieldType::Smallint, false},
        {"big", logical::INT64, 0, 0, 0, FieldType::Float, false},
        {"ratio", logical::FLOAT, 0, 0, 0, FieldType::Float, false},
        {"ok", logical::BOOL, 0, 0, 0, FieldType::Boolean, false},
        {"born", logical::DATE, 0, 0, 0, FieldType::Date, false},
        {"at", logical::TIME, 0, 0, 0, FieldType::Time, false},
        {"stamp", logical::TIMESTAMP, 0, 0, 0, FieldType::DateTime, false},
        {"note", logical::BLOB, subtype::MEMO, 0, 0, FieldType::Memo, false},
        {"pic", logical::BLOB, subtype::BINARY, 0, 0, FieldType::Blob, false},
    };
    auto defs = conn_->fieldDefs(schema_ + ".f");
    ASSERT_EQ(defs.size(), std::size(want));
    for (std::size_t i = 0; i < defs.size(); ++i) {
        SCOPED_TRACE(want[i].name);
        EXPECT_EQ(defs[i].name, want[i].name);
        EXPECT_EQ(defs[i].logicalType, want[i].lt);
        EXPECT_EQ(defs[i].subType, want[i].st);
        EXPECT_EQ(defs[i].size, want[i].size);
        EXPECT_EQ(defs[i].scale, want[i].scale);
        EXPECT_EQ(defs[i].type, want[i].type);
        EXPECT_EQ(defs[i].required, want[i].required);
    }
    EXPECT_EQ(defs[3].nativeType, "numeric(12,2)");

    auto ix = conn_->indexDefs("f");   // found through the search path without a schema
    ASSERT_EQ(ix.size(), 2u);
    EXPECT_TRUE(ix[0].primary);
    EXPECT_EQ(ix[0].fields, std::vector<std::string>{"id"});
    EXPECT_EQ(ix[1].name, "f_name");
    EXPECT_TRUE(ix[1].unique);
    EXPECT_TRUE(ix[1].descending);
    EXPECT_EQ(ix[1].fields, (std::vector<std::string>{"name", "code"}));

    EXPECT_THROW(conn_->fieldDefs(schema_ + ".nothing"), EngineError);
}

TEST_F(Postgres, ValuesRoundTripThroughParameters) {
    exec("CREATE TABLE v (n numeric(20,4), d date, t time, ts timestamp, b boolean, by bytea, s text, i bigint, f float8)");
    Bytes blob{0, 1, 2, 0xff, '\\', 'x'};
    auto st = conn_->prepare("INSERT INTO v VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    st->bind(0, Value(Decimal{"1234567890123456.1234"}), FieldType::BCD);
    st->bind(1, Value(Date{1999, 12, 31}), FieldType::Date);
    st->bind(2, Value(Time{23, 59, 58, 125}), FieldType::Time);
    st->bind(3, Value(DateTime{{2024, 2, 29}, {1, 2, 3, 4}}), FieldType::DateTime);
    st->bind(4, Value(true), FieldType::Boolean);
    st->bind(5, Value(blob), FieldType::Blob);
    st->bind(6, Value("it's a '?' -- not a marker"), FieldType::Memo);
    st->bind(7, Value(std::int64_t(-9007199254740993)), FieldType::Float);
    st->bind(8, Value(), FieldType::Float);
    st->execute();
    EXPECT_EQ(st->rowsAffected(), 1);
    auto r = rows("SELECT * FROM v WHERE s <> '?'");
    ASSERT_EQ(r.size(), 1u);
    const auto& v = r[0].values;
    EXPECT_EQ(v[0], Value(Decimal{"1234567890123456.1234"}));
    EXPECT_EQ(v[1], Value(Date{1999, 12, 31}));
    EXPECT_EQ(v[2], Value(Time{23, 59, 58, 125}));
    EXPECT_EQ(v[3], Value(DateTime{{2024, 2, 29}, {1, 2, 3, 4}}));
    EXPECT_EQ(v[4], Value(true));
    EXPECT_EQ(v[5], Value(blob));
    EXPECT_EQ(v[6], Value("it's a '?' -- not a marker"));
    EXPECT_EQ(v[7], Value(std::int64_t(-9007199254740993)));
    EXPECT_TRUE(v[8].isNull());
}

TEST_F(Postgres, CursorsFetchLazilyInBlocks) {
    // Row 5000 divides by zero: a driver that read the whole result on open would fail there.
    auto cur = conn_->prepare("SELECT g, 1 / (5000 - g) FROM generate_series(1, 10000) g")->execute();
    ASSERT_TRUE(cur);
    std::vector<Row> out;
    EXPECT_TRUE(cur->fetch(100, out));
    ASSERT_EQ(out.size(), 100u);
    EXPECT_EQ(out[99].values[0], Value(std::int64_t(100)));
    try {
        while (cur->fetch(1000, out)) {}
        FAIL() << "the failing row was never read";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("division by zero"), std::string::npos);
    }
    // The connection is usable afterwards.
    EXPECT_EQ(rows("SELECT 7")[0].values[0], Value(std::int64_t(7)));
}

TEST_F(Postgres, OpenCursorsSurviveOtherStatementsAndCommits) {
    exec("CREATE TABLE c (id int)");
    exec("INSERT INTO c SELECT g FROM generate_series(1, 1000) g");
    auto cur = conn_->prepare("SELECT id FROM c ORDER BY id")->execute();
    std::vector<Row> out;
    cur->fetch(10, out);
    exec("INSERT INTO c VALUES (5000)");          // autocommit statement in between
    conn_->begin();
    exec("DELETE FROM c WHERE id = 5000");
    conn_->commit();
    auto second = conn_->prepare("SELECT count(*) FROM c")->execute();   // a second cursor meanwhile
    std::vector<Row> cnt;
    second->fetch(10, cnt);
    EXPECT_EQ(cnt[0].values[0], Value(std::int64_t(1000)));
    while (cur->fetch(100, out)) {}
    ASSERT_EQ(out.size(), 1000u);
    EXPECT_EQ(out.back().values[0], Value(std::int64_t(1000)));
}

TEST_F(Postgres, TransactionsCommitRollBackAndReportAFailedCommit) {
    exec("CREATE TABLE tx (id int PRIMARY KEY)");
    EXPECT_FALSE(conn_->inTransaction());
    conn_->begin();
    EXPECT_TRUE(conn_->inTransaction());
    exec("INSERT INTO tx VALUES (1)");
    conn_->rollback();
    EXPECT_FALSE(conn_->inTransaction());
    EXPECT_TRUE(rows("SELECT * FROM tx").empty());

    conn_->begin();
    exec("INSERT INTO tx VALUES (2)");
    conn_->commit();
    EXPECT_EQ(rows("SELECT * FROM tx").size(), 1u);

    // A statement fails inside the transaction: the commit must not report success.
    conn_->begin();
    exec("INSERT INTO tx VALUES (3)");
    EXPECT_THROW(exec("INSERT INTO tx VALUES (2)"), EngineError);
    EXPECT_THROW(conn_->commit(), EngineError);
    EXPECT_FALSE(conn_->inTransaction());
    EXPECT_EQ(rows("SELECT * FROM tx").size(), 1u);

    // BEGIN and COMMIT sent as SQL text are followed.
    exec("BEGIN");
    EXPECT_TRUE(conn_->inTransaction());
    exec("COMMIT");
    EXPECT_FALSE(conn_->inTransaction());
}

TEST_F(Postgres, StoredProceduresWithParameters) {
    exec("CREATE FUNCTION add_tax(amount numeric, rate numeric) RETURNS numeric LANGUAGE sql AS 'SELECT amount * (1 + rate)'");
    exec("CREATE FUNCTION split_name(full_name text, OUT first text, OUT last text) LANGUAGE sql"
         " AS $$SELECT split_part(full_name, ' ', 1), split_part(full_name, ' ', 2)$$");
    exec("CREATE FUNCTION numbers(n int) RETURNS TABLE (k int) LANGUAGE sql AS 'SELECT generate_series(1, n)'");
    exec("CREATE TABLE log (msg text)");
    exec("CREATE PROCEDURE note(msg text, INOUT total int) LANGUAGE plpgsql"
         " AS $$BEGIN INSERT INTO log VALUES (msg); total := total + 1; END$$");

    auto procs = conn_->storedProcedures();
    for (const char* p : {"add_tax", "split_name", "numbers", "note"})
        EXPECT_NE(std::find(procs.begin(), procs.end(), schema_ + "." + p), procs.end()) << p;

    std::vector<Value> out;
    auto tax = conn_->prepareProc(schema_ + ".add_tax");
    auto tp = tax->params();
    ASSERT_EQ(tp.size(), 3u);
    EXPECT_EQ(tp[0].direction, ParamDirection::Result);
    EXPECT_EQ(tp[1].name, "amount");
    tax->bind(1, Value(Decimal{"100.00"}), FieldType::BCD);
    tax->bind(2, Value(Decimal{"0.20"}), FieldType::BCD);
    EXPECT_EQ(tax->execute(out), nullptr);
    EXPECT_EQ(out[0], Value(Decimal{"120.0000"}));

    auto split = conn_->prepareProc("split_name");
    auto sp = split->params();
    ASSERT_EQ(sp.size(), 3u);
    EXPECT_EQ(sp[1].direction, ParamDirection::Output);
    split->bind(0, Value("Ada Lovelace"), FieldType::String);
    split->execute(out);
    EXPECT_TRUE(out[0].isNull());
    EXPECT_EQ(out[1], Value("Ada"));
    EXPECT_EQ(out[2], Value("Lovelace"));

    auto nums = conn_->prepareProc("numbers");
    nums->bind(0, Value(3), FieldType::Integer);
    auto cur = nums->execute(out);
    ASSERT_TRUE(cur);
    std::vector<Row> r;
    while (cur->fetch(10, r)) {}
    EXPECT_EQ(r.size(), 3u);

    auto note = conn_->prepareProc("note");
    auto np = note->params();
    ASSERT_EQ(np.size(), 2u);
    EXPECT_EQ(np[1].direction, ParamDirection::InputOutput);
    note->bind(0, Value("hello"), FieldType::String);
    note->bind(1, Value(41), FieldType::Integer);
    note->execute(out);
    EXPECT_EQ(out[1], Value(std::int64_t(42)));
    EXPECT_EQ(rows("SELECT msg FROM log")[0].values[0], Value("hello"));

    EXPECT_THROW(conn_->prepareProc("no_such_proc"), EngineError);
}

struct CancelAfter : Progress {
    std::int64_t limit;
    explicit CancelAfter(std::int64_t l) : limit(l) {}
    bool step(std::int64_t done, std::int64_t) override { return done < limit; }
};

TEST_F(Postgres, AppendRowsUsesCopyAndCancelLeavesNothing) {
    exec("CREATE TABLE src (id int, s text, b bytea, d date, n numeric(8,3))");
    exec("INSERT INTO src SELECT g, 'row ' || g, '\\x00ff'::bytea, DATE '2020-01-01' + g, g / 8.0 FROM generate_series(1, 3000) g");
    exec("INSERT INTO src VALUES (0, E'tab\\there\\nnew line \\\\ back', NULL, NULL, NULL)");
    exec("CREATE TABLE \"Dest Table\" (\"Id\" int, \"S\" text, \"B\" bytea, \"D\" date, \"N\" numeric(8,3))");
    auto copyAll = [&](Progress* p) {
        auto cur = conn_->prepare("SELECT * FROM src ORDER BY id")->execute();
        return conn_->appendRows(schema_ + ".Dest Table", {"Id", "S", "B", "D", "N"}, *cur, {0, 1, 2, 3, 4}, p);
    };
    EXPECT_TRUE(conn_->capabilities().bulkLoad);
    RecordingTracer tr;
    CancelAfter cancel(1500);
    try {
        copyAll(&cancel);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Cancelled);
    }
    EXPECT_EQ(rows("SELECT count(*) FROM \"Dest Table\"")[0].values[0], Value(std::int64_t(0)));

    EXPECT_EQ(copyAll(nullptr), 3001);
    auto diff = rows("SELECT count(*) FROM (SELECT * FROM src EXCEPT SELECT * FROM \"Dest Table\") x");
    EXPECT_EQ(diff[0].values[0], Value(std::int64_t(0)));
    auto odd = rows("SELECT \"S\", \"B\" FROM \"Dest Table\" WHERE \"Id\" = 0");
    EXPECT_EQ(odd[0].values[0], Value("tab\there\nnew line \\ back"));
    EXPECT_TRUE(odd[0].values[1].isNull());

    // A bad value fails the whole COPY with the server's text.
    exec("CREATE TABLE narrow (id smallint)");
    auto big = conn_->prepare("SELECT 1 UNION ALL SELECT 100000")->execute();
    try {
        conn_->appendRows("narrow", {"id"}, *big, {0}, nullptr);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("out of range"), std::string::npos) << e.what();
    }
    EXPECT_EQ(rows("SELECT count(*) FROM narrow")[0].values[0], Value(std::int64_t(0)));
}

// With the rows read from elsewhere, one COPY streams them all while they are read: a value the
// server refuses deep in the stream, or a cancel, ends it with nothing appended, and the
// connection goes on.
TEST_F(Postgres, StreamedCopyFailsOrCancelsWholeAndTheConnectionGoesOn) {
    exec("CREATE TABLE dest (id int, s text, f float8, n numeric)");
    auto other = connect("pgtest", "");
    auto source = [&](const std::string& last) {
        return other->prepare("SELECT g, repeat('x', 40) || g, g / 10.0::float8, 0.1::float8 FROM generate_series(1, 30000) g"
                              " UNION ALL SELECT " + last)->execute();
    };
    auto count = [&] { return rows("SELECT count(*) FROM dest")[0].values[0].asInteger(); };
    auto bad = source("2147483648, 'too big', 0, 0");
    try {
        conn_->appendRows(schema_ + ".dest", {"id", "s", "f", "n"}, *bad, {0, 1, 2, 3}, nullptr);
        FAIL() << "the out-of-range value was not reported";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("out of range"), std::string::npos) << e.what();
    }
    EXPECT_EQ(count(), 0);

    CancelAfter cancel(20000);
    auto some = source("0, 'last', 0, 0");
    try {
        conn_->appendRows(schema_ + ".dest", {"id", "s", "f", "n"}, *some, {0, 1, 2, 3}, &cancel);
        FAIL() << "the cancel was not reported";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Cancelled);
    }
    EXPECT_EQ(count(), 0);

    auto good = source("0, 'last', 0.1, 0.1");
    EXPECT_EQ(conn_->appendRows(schema_ + ".dest", {"id", "s", "f", "n"}, *good, {0, 1, 2, 3}, nullptr), 30001);
    EXPECT_EQ(count(), 30001);
    // Doubles go in their shortest exact form: 0.1 into a numeric column is 0.1.
    EXPECT_EQ(rows("SELECT count(*) FROM dest WHERE n = 0.1 AND f = id / 10.0::float8 AND s = repeat('x', 40) || id")[0]
                  .values[0].asInteger(), 30000);
}

// Rows held in memory, with field types of our choosing: the source of the value cases below.
class RowsCursor : public Cursor {
public:
    RowsCursor(std::vector<FieldDef> f, std::vector<Row> r) : fields_(std::move(f)), rows_(std::move(r)) {}
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override {
        for (std::size_t n = 0; n < maxRows && pos_ < rows_.size(); ++n) out.push_back(rows_[pos_++]);
        return pos_ < rows_.size();
    }
    std::int64_t rowCount() override { return std::int64_t(rows_.size()); }

private:
    std::vector<FieldDef> fields_;
    std::vector<Row> rows_;
    std::size_t pos_ = 0;
};

FieldDef fieldOf(FieldType t) {
    FieldDef f;
    f.name = "v";
    f.type = t;
    return f;
}

// Every kind of value lands exactly as the server prints it back, whether the COPY goes in the
// binary form (the column types pair with the source's) or as text (they do not).
TEST_F(Postgres, CopiedValuesLandExactlyInEveryColumnType) {
    struct Case {
        const char* column;   // the destination column's type
        FieldType source;
        Value value;
        const char* expected; // the column's value ::text, or nullptr for NULL
    };
    Bytes raw = {0, 1, '\\', '\t', 0xff};
    const Case cases[] = {
        {"integer", FieldType::Integer, Value(std::int64_t(-2147483648LL)), "-2147483648"},
        {"smallint", FieldType::Smallint, Value(32767), "32767"},
        {"bigint", FieldType::Integer, Value(std::int64_t(9007199254740993LL)), "9007199254740993"},
        {"integer", FieldType::String, Value(" 12"), "12"},                  // text: the server converts
        {"double precision", FieldType::Float, Value(0.1), "0.1"},
        {"double precision", FieldType::Integer, Value(std::int64_t(7)), "7"},
        {"double precision", FieldType::Float, Value(-1.5e300), "-1.5e+300"},
        {"numeric", FieldType::Float, Value(0.1), "0.1"},
        {"numeric", FieldType::Float, Value(1e20), "100000000000000000000"},
        {"numeric", FieldType::Float, Value(1.5e-7), "0.00000015"},
        {"numeric", FieldType::Float, Value(-2.5), "-2.5"},
        {"numeric", FieldType::Integer, Value(std::int64_t(-10000)), "-10000"},
        {"numeric", FieldType::BCD, Value(Decimal{"-12.50"}), "-12.50"},
        {"numeric", FieldType::BCD, Value(Decimal{"0.000"}), "0.000"},
        {"numeric", FieldType::BCD, Value(Decimal{"9999.9999"}), "9999.9999"},
        {"numeric", FieldType::BCD, Value(Decimal{"123456789012345678901234567890.000000000123"}),
         "123456789012345678901234567890.000000000123"},
        {"numeric", FieldType::BCD, Value(Decimal{"-0.00010"}), "-0.00010"},
        {"numeric", FieldType::BCD, Value(Decimal{"NaN"}), "NaN"},
        {"numeric", FieldType::Float, Value(-INFINITY), "-Infinity"},
        {"numeric(6,2)", FieldType::BCD, Value(Decimal{"1.005"}), "1.01"},   // the column's scale rounds
        {"numeric(6,2)", FieldType::Float, Value(12.0), "12.00"},
        {"boolean", FieldType::Boolean, Value(true), "true"},
        {"boolean", FieldType::Boolean, Value(false), "false"},
        {"date", FieldType::Date, Value(Date{2024, 2, 29}), "2024-02-29"},
        {"date", FieldType::Date, Value(Date{1999, 12, 31}), "1999-12-31"},
        {"date", FieldType::Date, Value(Date{1, 1, 1}), "0001-01-01"},
        {"date", FieldType::Date, Value(Date{9999, 12, 31}), "9999-12-31"},
        {"timestamp", FieldType::DateTime, Value(DateTime{{1970, 1, 1}, {23, 59, 58, 125}}), "1970-01-01 23:59:58.125"},
        {"timestamp", FieldType::Date, Value(Date{2000, 1, 1}), "2000-01-01 00:00:00"},
        {"time", FieldType::Time, Value(Time{7, 5, 3, 9}), "07:05:03.009"},
        {"text", FieldType::Memo, Value("tab\tnew\nline\r back\\slash \\N"), "tab\tnew\nline\r back\\slash \\N"},
        {"text", FieldType::String, Value(""), ""},
        {"text", FieldType::String, Value(), nullptr},
        {"varchar(6)", FieldType::String, Value("Привет"), "Привет"},
        {"char(4)", FieldType::String, Value("ab"), "ab"},
        {"bytea", FieldType::Blob, Value(raw), "\\x00015c09ff"},
        {"jsonb", FieldType::Memo, Value("{\"a\": 1}"), "{\"a\": 1}"},        // text: no binary pair
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.column) + " <- " + c.value.asText());
        std::string table = "v" + std::to_string(++n);
        exec("CREATE TABLE " + table + " (v " + c.column + ")");
        Row r;
        r.values.push_back(c.value);
        RowsCursor src({fieldOf(c.source)}, {r});
        EXPECT_EQ(conn_->appendRows(table, {"v"}, src, {0}, nullptr), 1);
        auto back = rows("SELECT v::text FROM " + table);
        ASSERT_EQ(back.size(), 1u);
        if (!c.expected) EXPECT_TRUE(back[0].values[0].isNull());
        else EXPECT_EQ(back[0].values[0], Value(c.expected));
    }

    // The columns of one table whose types pair with the source's go in the binary form.
    RecordingTracer tr;
    auto traced = connect("pgtest", "", tr);
    traced->prepare("CREATE TABLE " + schema_ + ".mixed (i int, s text, d date)")->execute();
    Row r;
    r.values = {Value(1), Value("x"), Value(Date{2020, 1, 2})};
    RowsCursor src({fieldOf(FieldType::Integer), fieldOf(FieldType::String), fieldOf(FieldType::Date)}, {r, r});
    EXPECT_EQ(traced->appendRows(schema_ + ".mixed", {"i", "s", "d"}, src, {0, 1, 2}, nullptr), 2);
    EXPECT_TRUE(tr.saw("(FORMAT binary)"));
}

// A value the column cannot hold fails the binary COPY as a whole, the way the server words it.
TEST_F(Postgres, BinaryCopyRefusesValuesTheColumnCannotHold) {
    struct Case {
        const char* column;
        FieldType source;
        Value value;
        const char* message;
    };
    const Case cases[] = {
        {"integer", FieldType::Integer, Value(std::int64_t(2147483648LL)), "integer out of range"},
        {"smallint", FieldType::Integer, Value(-32769), "smallint out of range"},
        {"date", FieldType::Date, Value(Date{2023, 2, 29}), "date/time field value out of range"},
        {"date", FieldType::Date, Value(Date{0, 1, 1}), "date/time field value out of range"},
        {"numeric", FieldType::BCD, Value(Decimal{"12x"}), "invalid input syntax for type numeric"},
        {"varchar(3)", FieldType::String, Value("four"), "value too long for type character varying(3)"},
        {"numeric(4,2)", FieldType::BCD, Value(Decimal{"100.5"}), "numeric field overflow"},
        {"text", FieldType::String, Value(std::string("ok \xff")), "invalid byte sequence"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        std::string table = "e" + std::to_string(++n);
        exec("CREATE TABLE " + table + " (v " + c.column + ")");
        std::vector<Row> rowsIn(5000);
        for (auto& r : rowsIn) r.values = {c.source == FieldType::Date ? Value(Date{2020, 5, 6})
                                           : c.source == FieldType::String ? Value("ok") : Value(1)};
        rowsIn.back().values[0] = c.value;   // the bad one comes last, after rows already sent
        RowsCursor src({fieldOf(c.source)}, rowsIn);
        try {
            conn_->appendRows(table, {"v"}, src, {0}, nullptr);
            ADD_FAILURE() << "the bad value was not reported";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("Appending rows to " + table + " failed"), std::string::npos) << e.what();
        }
        EXPECT_EQ(rows("SELECT count(*) FROM " + table)[0].values[0].asInteger(), 0);
    }
    // The connection goes on.
    exec("INSERT INTO e1 VALUES (5)");
    EXPECT_EQ(rows("SELECT count(*) FROM e1")[0].values[0].asInteger(), 1);
}

// A dBase table copied with the batch move, read straight from its table cursor (no filter) and
// through the dataset (filtered): the same values either way, tabs, newlines and backslashes of
// memos, empty texts and NULLs as they were; a cancelled copy leaves no table.
TEST_F(Postgres, BatchMoveFromDbaseLandsExactlyAndCancelLeavesNoTable) {
    char tmpl[] = "/tmp/vlm-pgmove-XXXXXX";
    std::string dir = ::mkdtemp(tmpl);
    struct Cleanup {
        std::string d;
        ~Cleanup() { std::system(("rm -rf '" + d + "'").c_str()); }
    } cleanup{dir};
    auto c = [](const char* n, const char* t, int size = -1, int scale = -1) { return local::localFieldType(n, t, size, scale); };
    local::dbase::DbaseFormat().create(local::posixFileSystem(), dir + "/ITEMS.DBF",
        {c("ID", "NUMERIC", 9, 0), c("NAME", "CHAR", 20), c("AMOUNT", "NUMERIC", 12, 2), c("SOLD", "DATE"),
         c("PAID", "BOOLEAN"), c("NOTES", "MEMO")}, {}, {0, ""});
    {
        auto t = local::dbase::DbfTable::open(local::posixFileSystem(), dir + "/ITEMS.DBF", {true, false});
        t->appendRecord({Value(1), Value("first"), Value(0.1), Value(Date{2024, 2, 29}), Value(true),
                         Value("tab\there\nnew line\r\\N back\\slash")});
        t->appendRecord({Value(2), Value(""), Value(), Value(), Value(false), Value()});
        t->appendRecord({Value(-3), Value("third"), Value(-12345678.99), Value(Date{1999, 12, 31}), Value(), Value("")});
        for (int i = 4; i <= 3000; ++i)
            t->appendRecord({Value(i), Value("n" + std::to_string(i)), Value(i / 100.0), Value(Date{2000, 1, 1 + i % 28}),
                             Value(i % 2 == 0), Value(i % 7 ? Value() : Value("memo " + std::to_string(i)))});
    }
    Database dest;
    dest.setDatabaseName("POSTGRESQL:127.0.0.1:" + port_ + "/vlmtest");
    dest.params() = {"USER NAME=pgtest"};
    dest.open();
    auto copy = [&](const std::string& name, bool filtered, Progress* p) {
        Table src;
        src.setDatabaseName(dir);
        src.setTableName("ITEMS.DBF");
        if (filtered) {
            src.setFilter("ID > -1000");
            src.setFiltered(true);
        }
        Table out;
        out.setDatabase(&dest);
        out.setTableName(schema_ + "." + name);
        BatchMove move;
        move.source = &src;
        move.destination = &out;
        move.mode = batCopy;
        move.execute(p);
        return move.movedCount();
    };
    EXPECT_EQ(copy("DIRECT", false, nullptr), 3000);
    EXPECT_EQ(copy("VIADS", true, nullptr), 3000);
    // dBase's upper-case field names arrive as PostgreSQL's plain lower-case ones.
    auto first = rows("SELECT name, amount::text, sold::text, paid::text, notes FROM \"DIRECT\" WHERE id <= 3 ORDER BY id");
    ASSERT_EQ(first.size(), 3u);
    std::vector<std::string> got;
    for (const auto& r : first)
        for (const auto& v : r.values) got.push_back(v.isNull() ? "<null>" : v.asText());
    // A blank dBase text is an empty string, an empty memo has no block (NULL): each lands so.
    std::vector<std::string> want = {
        "third", "-12345678.99", "1999-12-31", "<null>", "<null>",
        "first", "0.1", "2024-02-29", "true", "tab\there\nnew line\r\\N back\\slash",
        "", "<null>", "<null>", "false", "<null>"};
    EXPECT_EQ(got, want);
    EXPECT_EQ(rows("SELECT count(*) FROM (SELECT * FROM \"DIRECT\" EXCEPT ALL SELECT * FROM \"VIADS\") x")[0]
                  .values[0].asInteger(), 0);

    CancelAfter cancel(1000);
    EXPECT_THROW(copy("CANCELLED", false, &cancel), EngineError);
    EXPECT_TRUE(rows("SELECT 1 FROM pg_class WHERE relname = 'CANCELLED'").empty());
}

TEST_F(Postgres, DdlQuotesNamesAndMapsTypes) {
    std::vector<FieldDef> fields(3);
    fields[0].name = "ID"; fields[0].logicalType = logical::INT32; fields[0].required = true;
    fields[1].name = "Full \"Name\""; fields[1].logicalType = logical::ZSTRING; fields[1].size = 40;
    fields[2].name = "PRICE"; fields[2].logicalType = logical::BCD; fields[2].size = 10; fields[2].scale = 2;
    IndexDef pk; pk.name = "PK"; pk.fields = {"ID"}; pk.primary = true;
    IndexDef byName; byName.name = "CUST_NAME"; byName.fields = {"Full \"Name\""};
    // A local table name keeps its dot: CUSTOMER is no schema.
    conn_->createTable("CUSTOMER.DB", fields, {pk, byName});
    EXPECT_EQ(conn_->quoteTable("CUSTOMER.DB"), "\"CUSTOMER.DB\"");
    EXPECT_EQ(conn_->quoteTable(schema_ + ".CUSTOMER.DB"), "\"" + schema_ + "\".\"CUSTOMER.DB\"");
    auto defs = conn_->fieldDefs(schema_ + ".CUSTOMER.DB");
    ASSERT_EQ(defs.size(), 3u);
    EXPECT_EQ(defs[1].name, "Full \"Name\"");
    EXPECT_EQ(defs[1].nativeType, "character varying(40)");
    EXPECT_EQ(defs[2].nativeType, "numeric(10,2)");
    EXPECT_TRUE(defs[0].required);
    auto ix = conn_->indexDefs("CUSTOMER.DB");
    ASSERT_EQ(ix.size(), 2u);
    EXPECT_TRUE(ix[0].primary);

    exec("INSERT INTO \"CUSTOMER.DB\" VALUES (1, 'x', 1.5)");
    conn_->emptyTable("CUSTOMER.DB");
    EXPECT_TRUE(rows("SELECT * FROM \"CUSTOMER.DB\"").empty());
    conn_->renameTable(schema_ + ".CUSTOMER.DB", "CLIENTS");
    EXPECT_NO_THROW(conn_->fieldDefs("CLIENTS"));
    conn_->dropIndex("CLIENTS", "CUST_NAME");
    EXPECT_EQ(conn_->indexDefs("CLIENTS").size(), 1u);
    conn_->dropTable("CLIENTS");
    EXPECT_THROW(conn_->fieldDefs("CLIENTS"), EngineError);
}

TEST_F(Postgres, TraceSeesEveryStatement) {
    RecordingTracer tr;
    auto c = connect("vlmpass", "vlmpass-secret", tr);
    std::vector<Row> out;
    c->prepare("SELECT 42 AS answer")->execute()->fetch(10, out);
    c->begin();
    c->rollback();
    EXPECT_TRUE(tr.saw("SELECT 42 AS answer"));
    EXPECT_TRUE(tr.saw("BEGIN"));
    EXPECT_TRUE(tr.saw("ROLLBACK"));
    EXPECT_TRUE(tr.saw("as vlmpass"));
    EXPECT_FALSE(tr.saw("vlmpass-secret"));
}

// The server's own text and code, never the password, and the program goes on: a backend
// terminated in the middle of a fetch, a host that does not resolve.
TEST_F(Postgres, TerminatedBackendMidFetchFailsWithTheServersTextAndReconnects) {
    RecordingTracer tr;
    auto victim = connect("vlmpass", "vlmpass-secret", tr);
    std::vector<Row> out;
    victim->prepare("SELECT pg_backend_pid()")->execute()->fetch(1, out);
    std::string pid = out.at(0).values[0].asText();
    out.clear();
    auto cur = victim->prepare("SELECT g FROM generate_series(1, 1000000) g")->execute();
    ASSERT_TRUE(cur->fetch(10, out));
    ASSERT_EQ(rows("SELECT pg_terminate_backend(" + pid + ", 5000)").at(0).values[0], Value(true));
    auto t0 = std::chrono::steady_clock::now();
    try {
        while (cur->fetch(1000, out)) {}
        FAIL() << "the fetch went on after the backend was terminated";
    } catch (const EngineError& e) {
        // libpq reports the closed socket; the server's FATAL 57P01 may come first.
        std::string text = e.what();
        EXPECT_EQ(e.category(), ErrorCategory::Connect) << text;
        EXPECT_TRUE(text.find("terminating connection due to administrator command") != std::string::npos ||
                    text.find("server closed the connection unexpectedly") != std::string::npos)
            << text;
        EXPECT_EQ(text.find("vlmpass-secret"), std::string::npos);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_LT(out.size(), 1000000u);
    EXPECT_THROW(victim->prepare("SELECT 1")->execute(), EngineError);   // the connection is gone
    victim.reset();                                                     // closing it does not hang
    EXPECT_FALSE(tr.saw("vlmpass-secret"));
    auto again = connect("vlmpass", "vlmpass-secret");
    out.clear();
    again->prepare("SELECT 1")->execute()->fetch(1, out);
    EXPECT_EQ(out.at(0).values[0], Value(1));

    ConnectParams nowhere{"no-such-host.invalid:5432/vlmtest",
                          {{"USER NAME", "vlmpass"}, {"PASSWORD", "vlmpass-secret"}, {"CONNECT TIMEOUT", "3"}}};
    t0 = std::chrono::steady_clock::now();
    try {
        registry().create("POSTGRESQL")->connect(nowhere, tr);
        FAIL() << "an unknown host connected";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::Connect);
        EXPECT_NE(std::string(e.what()).find("could not translate host name"), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).find("vlmpass-secret"), std::string::npos);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(15));
}

// A cluster of its own, stopped in the middle of a fetch: the fetch fails soon with a connect
// error, and once the server is back a new connection works.
TEST_F(Postgres, ServerStoppedMidFetchFailsPromptlyAndReconnects) {
    const std::string scripts = VLM_PG_SCRIPTS;
    const std::string state = (std::filesystem::temp_directory_path() /
                               ("vlm-pgstop-" + std::to_string(::getpid()))).string();
    ASSERT_EQ(std::system((scripts + "/postgres-start.sh " + state + " >/dev/null").c_str()), 0);
    std::string port = vlm::test::readFile(state + "/port");
    ASSERT_FALSE(port.empty()) << vlm::test::readFile(state + "/error");
    ConnectParams p{"127.0.0.1:" + port + "/vlmtest", {{"USER NAME", "pgtest"}, {"CONNECT TIMEOUT", "5"}}};
    {
        auto c = registry().create("POSTGRESQL")->connect(p, nullTracer());
        auto cur = c->prepare("SELECT g FROM generate_series(1, 2000000) g")->execute();
        std::vector<Row> out;
        ASSERT_TRUE(cur->fetch(10, out));
        ASSERT_EQ(std::system((scripts + "/postgres-stop.sh " + state).c_str()), 0);
        auto t0 = std::chrono::steady_clock::now();
        try {
            while (cur->fetch(1000, out)) {}
            FAIL() << "the fetch went on after the server stopped";
        } catch (const EngineError& e) {
            EXPECT_FALSE(std::string(e.what()).empty());
        }
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
        // A connect to the stopped server fails within the timeout.
        t0 = std::chrono::steady_clock::now();
        try {
            registry().create("POSTGRESQL")->connect(p, nullTracer());
            FAIL() << "connected to a stopped server";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.category(), ErrorCategory::Connect);
            EXPECT_NE(std::string(e.what()).find("Connection refused"), std::string::npos) << e.what();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    }
    ASSERT_EQ(std::system((scripts + "/postgres-start.sh " + state + " >/dev/null").c_str()), 0);
    p.target = "127.0.0.1:" + vlm::test::readFile(state + "/port") + "/vlmtest";
    auto again = registry().create("POSTGRESQL")->connect(p, nullTracer());
    std::vector<Row> out;
    again->prepare("SELECT 1")->execute()->fetch(1, out);
    EXPECT_EQ(out.at(0).values[0], Value(1));
    again.reset();
    std::system((scripts + "/postgres-stop.sh " + state).c_str());
    std::filesystem::remove_all(state);
}

// Database names of the session: the explicit login lines win over what the name's target
// fills in, and an alias may name host, port and database on lines of their own.
TEST_F(Postgres, SessionNamesKeepTheServerNameTheCallerGives) {
    Session session{registry()};
    const std::string login = "USER NAME=pgtest";
    session.addAlias("PG_LINES", "POSTGRESQL",
                     {"SERVER NAME=127.0.0.1", "PORT=" + port_, "DATABASE NAME=vlmtest", login});
    session.addAlias("PG_HOSTPORT", "POSTGRESQL",
                     {"SERVER NAME=127.0.0.1:" + port_, "DATABASE NAME=vlmtest", login});
    session.addAlias("PG_TARGET", "POSTGRESQL", {"SERVER NAME=127.0.0.1:" + port_ + "/vlmtest", login});
    struct Case { std::string name; std::vector<std::string> params; };
    std::vector<Case> cases = {
        {"POSTGRESQL:vlmtest", {"SERVER NAME=127.0.0.1", "PORT=" + port_, login}},
        {"POSTGRESQL:127.0.0.1:" + port_ + "/vlmtest", {login}},
        {"PG_LINES", {}},
        {"PG_HOSTPORT", {}},
        {"PG_TARGET", {}},
    };
    if (registry().has("ODBC")) {
        cases.push_back({"ODBC:vlmtest", {"ODBC DRIVER=PostgreSQL Unicode", "SERVER NAME=127.0.0.1",
                                          "CONNECT STRING=PORT=" + port_, login}});
        session.addAlias("ODBC_LINES", "ODBC", {"ODBC DRIVER=PostgreSQL Unicode", "SERVER NAME=127.0.0.1",
                                                "DATABASE NAME=vlmtest", "CONNECT STRING=PORT=" + port_, login});
        cases.push_back({"ODBC_LINES", {}});
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            auto conn = session.connect(c.name, c.params);
            std::vector<Row> out;
            conn->prepare("SELECT current_database()")->execute()->fetch(1, out);
            ASSERT_EQ(out.size(), 1u);
            EXPECT_EQ(out[0].values[0].asText(), "vlmtest");
        } catch (const EngineError& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

// The engine's StoredProc on a set-returning function: execProc takes the first row.
TEST_F(Postgres, StoredProcExecProcTakesTheFirstRowOfASetReturningFunction) {
    exec("CREATE FUNCTION pairs(n int, OUT i int, OUT sq text) RETURNS SETOF record LANGUAGE sql AS "
         "'SELECT g, ''sq '' || g * g FROM generate_series(n, n + 2) g'");
    Database d;
    d.setDatabaseName("POSTGRESQL:127.0.0.1:" + port_ + "/vlmtest");
    d.params() = {"USER NAME=pgtest"};
    StoredProc p;
    p.setDatabase(&d);
    p.setStoredProcName(schema_ + ".pairs");
    p.prepare();
    p.paramByName("n").set(Value(5), FieldType::Integer);
    p.execProc();
    EXPECT_EQ(p.paramByName("i").value.asInteger(), 5);
    EXPECT_EQ(p.paramByName("sq").value, Value("sq 25"));
}

// Index names are per schema: tables whose indexes share a name land side by side in one
// schema, each with its index, under free names.
TEST_F(Postgres, CopiedTablesGetFreeIndexNames) {
    auto dir = std::filesystem::temp_directory_path() / ("vlm-pgix-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    exec("CREATE TABLE taken (x int)");
    exec("CREATE INDEX \"C_byname\" ON taken (x)");
    Database dest;
    dest.setDatabaseName("POSTGRESQL:127.0.0.1:" + port_ + "/vlmtest");
    dest.params() = {"USER NAME=pgtest"};
    const std::string longName(62, 'L');
    int n = 0;
    for (const std::string& table : std::vector<std::string>{"A", "B", "C", longName, "A"}) {
        SCOPED_TRACE(table);
        vlm::test::copyIndexedTable(dir / ("src" + std::to_string(n++) + ".sqlite"), dest, schema_ + "." + table);
    }
    auto names = [&](const std::string& table) {
        std::vector<std::string> out;
        for (const auto& ix : conn_->indexDefs(schema_ + "." + table))
            if (!ix.primary) out.push_back(ix.name);
        return out;
    };
    // SQLite's plain BYNAME is PostgreSQL's byname.
    EXPECT_EQ(names("A"), std::vector<std::string>{"byname"});
    EXPECT_EQ(names("B"), std::vector<std::string>{"B_byname"});
    EXPECT_EQ(names("C"), std::vector<std::string>{"C_byname_2"});
    EXPECT_EQ(names(longName), std::vector<std::string>{longName + "_"});
    EXPECT_EQ(names("taken"), std::vector<std::string>{"C_byname"});
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vlm::engine
