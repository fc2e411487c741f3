// A database backend of the contract suite: how to make a fresh database of it and what it can
// do. Each backend's executable instantiates the suite with its Backend (see README.md).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/database.h"

namespace vlm::contract {

struct Backend {
    std::string name;                                   // test name suffix: "Sqlite", "Firebird"
    // A database name for Database::setDatabaseName of a new, empty database, and its removal.
    std::function<std::string()> freshDatabase;
    std::function<void(const std::string&)> dropDatabase;
    std::vector<std::string> params;                    // login lines: "USER NAME=...", "PASSWORD=..."
    // Empty when the backend can run here; otherwise why not (a server that is not running).
    std::function<std::string()> unavailable;
    // The table name the backend uses for a base name: "ITEMS" -> "ITEMS.DBF" on local directories.
    std::function<std::string(const std::string&)> tableName;

    bool transactions = true;       // commit and rollback work
    bool liveQueries = true;        // RequestLive on "select * from T" gives an editable result
    bool editableTables = true;     // Table cursors insert, update and delete rows
    bool seekingTables = true;      // table cursors count and position without reading every row
    bool seekingQueries = true;     // "select * from T" results position again and count by a query
    bool primaryKeys = true;        // createTable makes primary keys that refuse duplicates (not dBase)
    bool exactNumerics = true;      // NUMERIC(10,2) and BOOLEAN read back as BCD and Boolean fields
    bool storedProcedures = false;  // createProcedure makes CT_ADD(A, B) returning S = A + B
    std::vector<std::string> createProcedure;
    std::string syntaxErrorText;    // part of the server's text for "selec * from T"
    // A query of one row that the server computes for about a minute (cancelled long before);
    // "{ITEMS}" stands for the quoted ITEMS table, then made and filled with longQueryRows rows.
    std::string longQuery;
    int longQueryRows = 0;
    std::string selectOne = "select 1";   // a query of one row holding 1
};

// Test parameter: gtest prints the backend by name.
inline void PrintTo(const Backend* b, std::ostream* os) { *os << b->name; }

class Contract : public ::testing::TestWithParam<const Backend*> {
protected:
    void SetUp() override;
    void TearDown() override;

    const Backend& backend() const { return *GetParam(); }
    // A fresh database per test, opened; more by fresh().
    std::string fresh();
    vlm::engine::Database& db() { return *db_; }
    std::string table(const std::string& base) const;      // the backend's name for a table
    std::string quoted(const std::string& base);          // that name quoted for SQL
    std::string id(const std::string& field);              // a field name quoted for SQL

    // CT items table: ID integer (primary), NAME string(20), PRICE numeric(10,2), BORN date, FLAG boolean.
    void createItems(vlm::engine::Database& on, const std::string& base);
    void fillItems(vlm::engine::Database& on, const std::string& base, int count);
    std::int64_t countRows(vlm::engine::Database& on, const std::string& base);

    std::string dbName_;
    std::unique_ptr<vlm::engine::Database> db_;
    std::vector<std::string> made_;
};

inline std::string backendName(const ::testing::TestParamInfo<const Backend*>& info) { return info.param->name; }

}  // namespace vlm::contract
