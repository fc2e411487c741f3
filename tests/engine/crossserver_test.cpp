// Batch move between SQLite, PostgreSQL (the throwaway cluster of the ctest fixture "postgres")
// and an embedded Firebird file: names with blanks, dots, quotes and mixed case, as tables and
// as columns, come through every hop unchanged.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "engine/batchmove.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
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

}  // namespace
