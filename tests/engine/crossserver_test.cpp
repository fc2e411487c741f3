// Batch move between SQLite, PostgreSQL (the throwaway cluster of the ctest fixture "postgres"),
// an embedded Firebird file, a dBase directory and ODBC: names with blanks, dots, quotes and
// mixed case, as tables and as columns, come through every hop unchanged; plain names take the
// destination's case, for every pair of drivers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "engine/batchmove.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/identifiers.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "engine/table.h"
#include "fixtures/servers.h"

using namespace vlm::engine;
namespace fs = std::filesystem;

namespace {

void run(Database& db, const std::string& sql) {
    Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.execSql();
}

struct Snapshot {
    std::vector<std::string> fields;
    std::vector<std::vector<std::string>> rows;
};

Snapshot read(Database& db, const std::string& table) {
    Table t;
    t.setDatabase(&db);
    t.setTableName(table);
    t.open();
    Snapshot s;
    for (int i = 0; i < t.fieldCount(); ++i) s.fields.push_back(t.field(i).fieldName());
    for (t.first(); !t.eof(); t.next()) {
        std::vector<std::string> row;
        for (int i = 0; i < t.fieldCount(); ++i) row.push_back(t.field(i).value().asText());
        s.rows.push_back(row);
    }
    std::sort(s.rows.begin(), s.rows.end());
    return s;
}

void copy(Database& from, const std::string& fromTable, Database& to, const std::string& toTable) {
    Table src, dst;
    src.setDatabase(&from);
    src.setTableName(fromTable);
    dst.setDatabase(&to);
    dst.setTableName(toTable);
    BatchMove move;
    move.source = &src;
    move.destination = &dst;
    move.mode = batCopy;
    move.execute();
}

bool listed(Database& db, const std::string& name) {
    for (const auto& t : db.connection().tables(false))
        if (t.name == name) return true;
    return false;
}

TEST(CrossServer, OddIdentifiersRoundTripThroughSqlitePostgresAndFirebird) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    ASSERT_FALSE(port.empty());
    fs::path dir = fs::temp_directory_path() / ("vlm-crossserver-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string table = "Mixed \"Q\".Case tab";
    const std::string schema = "x_ident_" + std::to_string(::getpid());

    Database lite;
    lite.setDatabaseName("SQLITE:" + (dir / "src.sqlite").string());
    run(lite, "CREATE TABLE \"Mixed \"\"Q\"\".Case tab\" (\"Col with blank\" INTEGER, \"dot.col\" VARCHAR(20), "
              "\"quo\"\"te\" VARCHAR(20), \"MiXeD\" INTEGER)");
    run(lite, "INSERT INTO \"Mixed \"\"Q\"\".Case tab\" VALUES (1, 'a.b', 'say \"hi\"', -5)");
    run(lite, "INSERT INTO \"Mixed \"\"Q\"\".Case tab\" VALUES (2, NULL, 'it''s', 7)");
    const Snapshot original = read(lite, table);
    ASSERT_EQ(original.fields, (std::vector<std::string>{"Col with blank", "dot.col", "quo\"te", "MiXeD"}));
    ASSERT_EQ(original.rows.size(), 2u);

    Database pg;
    pg.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/vlmtest");
    pg.params() = {"USER NAME=pgtest"};
    run(pg, "DROP SCHEMA IF EXISTS " + schema + " CASCADE");
    run(pg, "CREATE SCHEMA " + schema);

    Database fb;
    fb.setDatabaseName("INTRBASE:" + (dir / "dest.fdb").string());
    fb.params() = {"USER NAME=TESTER", "CREATE=TRUE"};

    Database back;
    back.setDatabaseName("SQLITE:" + (dir / "back.sqlite").string());

    try {
        copy(lite, table, pg, schema + "." + table);
        EXPECT_TRUE(listed(pg, schema + "." + table));
        Snapshot s = read(pg, schema + "." + table);
        EXPECT_EQ(s.fields, original.fields);
        EXPECT_EQ(s.rows, original.rows);

        copy(pg, schema + "." + table, fb, table);
        EXPECT_TRUE(listed(fb, table));
        s = read(fb, table);
        EXPECT_EQ(s.fields, original.fields);
        EXPECT_EQ(s.rows, original.rows);

        copy(fb, table, back, table);
        EXPECT_TRUE(listed(back, table));
        s = read(back, table);
        EXPECT_EQ(s.fields, original.fields);
        EXPECT_EQ(s.rows, original.rows);

        // And straight from Firebird into PostgreSQL's schema under another odd name.
        copy(fb, table, pg, schema + ".other \"name\".x");
        s = read(pg, schema + ".other \"name\".x");
        EXPECT_EQ(s.fields, original.fields);
        EXPECT_EQ(s.rows, original.rows);
    } catch (const EngineError& e) {
        ADD_FAILURE() << e.what();
    }
    run(pg, "DROP SCHEMA IF EXISTS " + schema + " CASCADE");
    fb.close();
    lite.close();
    back.close();
    fs::remove_all(dir);
}

// One database of each driver (two through ODBC), each with a table SRC made by its own SQL:
// id and qty written without quotes (so the server folds them), "Mixed Case" quoted, and an
// index ix_qty where the server has SQL indexes. Copied into every other one, id and qty are
// found there without quotes, named in the destination's case; "Mixed Case" keeps the source's
// spelling; the index name follows the same rule.
TEST(CrossServer, PlainNamesTakeTheDestinationsCaseForEveryPairOfDrivers) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    ASSERT_FALSE(port.empty());
    ASSERT_TRUE(DriverRegistry::standard().has("ODBC")) << "the ODBC driver is not in this build";
    fs::path dir = fs::temp_directory_path() / ("vlm-identcase-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "local");
    fs::create_directories(dir / "px");
    const std::string schema = "x_case_" + std::to_string(::getpid()), odbcSchema = schema + "_odbc";
    struct Backend {
        std::string name, database, source, prefix, suffix;   // table names: prefix + base + suffix
        std::vector<std::string> params, setup;
        IdentifierCase folding;
    };
    const std::string pgName = "POSTGRESQL:127.0.0.1:" + port + "/vlmtest";
    std::vector<Backend> backends = {
        {"dBase", (dir / "local").string(), "SRC.DBF", "", ".DBF", {},
         {"create table \"SRC.DBF\" (id numeric(5,0), qty numeric(5,0), \"Mixed Case\" char(10))",
          "insert into SRC values (1, 5, 'x')"}, IdentifierCase::Upper},
        // Paradox keeps the spelling of field names (id stays id) and matches them without case.
        {"Paradox", (dir / "px").string(), "SRC.DB", "", ".DB", {},
         {"create table \"SRC.DB\" (id integer, qty integer, \"Mixed Case\" char(10))",
          "insert into SRC values (1, 5, 'x')"}, IdentifierCase::Upper},
        {"SQLite", "SQLITE:" + (dir / "lite.sqlite").string(), "SRC", "", "", {},
         {"create table SRC (id integer, qty integer, \"Mixed Case\" varchar(10))", "create index ix_qty on SRC (qty)",
          "insert into SRC values (1, 5, 'x')"}, IdentifierCase::AsWritten},
        {"Firebird", "INTRBASE:" + (dir / "fb.fdb").string(), "SRC", "", "", {"USER NAME=TESTER", "CREATE=TRUE"},
         {"create table SRC (id integer, qty integer, \"Mixed Case\" varchar(10))", "create index ix_qty on SRC (qty)",
          "insert into SRC values (1, 5, 'x')"}, IdentifierCase::Upper},
        {"PostgreSQL", pgName, schema + ".src", schema + ".", "", {"USER NAME=pgtest"},
         {"create schema " + schema, "create table " + schema + ".src (id integer, qty integer, \"Mixed Case\" varchar(10))",
          "create index ix_qty on " + schema + ".src (qty)", "insert into " + schema + ".src values (1, 5, 'x')"},
         IdentifierCase::Lower},
        {"ODBC SQLite", "ODBC:DRIVER={SQLite3};DATABASE=" + (dir / "odbc.sqlite").string(), "SRC", "", "", {},
         {"create table SRC (id integer, qty integer, \"Mixed Case\" varchar(10))", "create index ix_qty on SRC (qty)",
          "insert into SRC values (1, 5, 'x')"}, IdentifierCase::AsWritten},
        {"ODBC PostgreSQL", "ODBC:DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=" + port + ";DATABASE=vlmtest",
         odbcSchema + ".src", odbcSchema + ".", "", {"USER NAME=pgtest"},
         {"create schema " + odbcSchema,
          "create table " + odbcSchema + ".src (id integer, qty integer, \"Mixed Case\" varchar(10))",
          "create index ix_qty on " + odbcSchema + ".src (qty)", "insert into " + odbcSchema + ".src values (1, 5, 'x')"},
         IdentifierCase::Lower},
    };
    std::vector<std::unique_ptr<Database>> dbs;
    try {
        Database admin;
        admin.setDatabaseName(pgName);
        admin.params() = {"USER NAME=pgtest"};
        run(admin, "DROP SCHEMA IF EXISTS " + schema + " CASCADE");
        run(admin, "DROP SCHEMA IF EXISTS " + odbcSchema + " CASCADE");
        for (const auto& b : backends) {
            auto db = std::make_unique<Database>();
            db->setDatabaseName(b.database);
            db->params() = b.params;
            db->open();
            EXPECT_EQ(db->connection().capabilities().identifierCase, b.folding) << b.name;
            for (const auto& sql : b.setup) run(*db, sql);
            dbs.push_back(std::move(db));
        }
        for (std::size_t i = 0; i < backends.size(); ++i) {
            const Backend& from = backends[i];
            Table src;
            src.setDatabase(dbs[i].get());
            src.setTableName(from.source);
            src.open();
            std::vector<std::string> sourceNames = src.fieldNames();
            ASSERT_EQ(sourceNames.size(), 3u) << from.name;
            for (std::size_t k = 0; k < backends.size(); ++k) {
                const Backend& to = backends[k];
                SCOPED_TRACE(from.name + " -> " + to.name);
                std::string base = "d" + std::to_string(i) + std::to_string(k);
                std::string table = to.prefix + (to.suffix.empty() ? base : "D" + base.substr(1)) + to.suffix;
                copy(*dbs[i], from.source, *dbs[k], table);
                auto fold = [&](const std::string& n) {
                    return to.folding == IdentifierCase::AsWritten ? n : carryIdentifier(n, IdentifierCase::AsWritten, to.folding);
                };
                std::vector<std::string> want = {fold(sourceNames[0]), fold(sourceNames[1]), sourceNames[2]};
                std::vector<std::string> got;
                for (const auto& f : dbs[k]->connection().fieldDefs(table)) got.push_back(f.name);
                if (to.name == "dBase") want[2] = "MIXED CASE";   // dBase field names are upper case
                EXPECT_EQ(got, want);
                // What a user of the destination types: the plain names without quotes.
                Query q;
                q.setDatabase(dbs[k].get());
                q.setSql("select qty from " + dbs[k]->connection().quoteTable(table) + " where id = 1");
                q.open();
                ASSERT_FALSE(q.eof());
                EXPECT_EQ(q.field(0).value().asInteger(), 5);
                // The index, where both sides have SQL indexes and the destination copies them.
                if (to.name == "Firebird" || to.name == "PostgreSQL") {
                    bool sourceIndexed = from.name != "dBase" && from.name != "Paradox";
                    std::string ixWant = to.folding == IdentifierCase::Upper ? "IX_QTY" : "ix_qty";
                    bool found = false;
                    for (const auto& ix : dbs[k]->connection().indexDefs(table))
                        found = found || (ix.name.size() >= 6 && ix.name.substr(ix.name.size() - 6) == ixWant);
                    EXPECT_EQ(found, sourceIndexed);
                }
            }
        }
    } catch (const EngineError& e) {
        ADD_FAILURE() << e.what();
    }
    dbs.clear();   // their sessions end before the schemas go
    try {
        Database admin;
        admin.setDatabaseName(pgName);
        admin.params() = {"USER NAME=pgtest"};
        run(admin, "DROP SCHEMA IF EXISTS " + schema + " CASCADE");
        run(admin, "DROP SCHEMA IF EXISTS " + odbcSchema + " CASCADE");
    } catch (const EngineError& e) {
        ADD_FAILURE() << e.what();
    }
    fs::remove_all(dir);
}

}  // namespace
