// What the structure window reads about a table, per server kind: the structure grid's rows,
// the Oracle storage and partition clauses, the index statements, a view's source and the
// synonyms. Plain C++ over the engine; every catalog error is kept as a message and the
// reading goes on with what was gathered.
//   TableRef t = tableRef(CurrentTable(), loginUser);
//   TableInfoData d = readTableInfo(db, t);   // d.columns, d.indexes, d.errors
#pragma once

#include <string>
#include <vector>

#include "panels/tableinfo.h"
#include "tableinfo/ddl.h"

namespace vlm::engine {
class Database;
}

namespace vlm::tableinfo {

struct TableRef {
    ServerKind kind = ServerKind::STANDARD;
    std::string driverName;
    std::string listed;          // N: the table name as listed
    std::string owner;           // O: before the first dot, else the login user in upper case
    std::string name;            // T: after the first dot, else the whole name
    std::string tableType;       // "DBASE", "PARADOX", "TABLE", "VIEW"
    bool isView = false;
    std::string oracleVersion;   // "8", ...
    bool hasOwner() const { return listed.find('.') != std::string::npos; }
    DdlTarget target() const;
};
TableRef tableRef(const panels::TTableInfo& info, const std::string& loginUser);

struct TableInfoData {
    std::vector<ColumnRow> columns;
    int dialect = 0;                          // INTERBASE: the database's SQL dialect
    std::vector<std::string> storage;         // Oracle storage or partition clause lines
    std::vector<std::string> partitions;      // Oracle 8: the Partitions tab (empty: hidden)
    std::string partitionCount;               // Oracle 8: "(Partition 4)" goes after "Table:"
    std::vector<std::string> indexes;         // the Indexes tab (empty: hidden)
    std::vector<std::string> primaryKey;      // Paradox: the primary key, written in CREATE TABLE
    bool indexesFailed = false;               // the engine's index definitions could not be read
    std::vector<std::string> viewSource;      // the Text View tab (empty: hidden)
    std::vector<std::string> synonyms;        // the Synonyms tab (empty: hidden)
    std::vector<std::string> errors;          // catalog errors to show, in order
};

// The catalog statements, written for the kind (literals quoted with sqlString()).
std::string columnQuery(const TableRef& t);
inline constexpr const char* kInterbaseDimensionsSql =
    "select RDB$FIELD_NAME,RDB$DIMENSION,RDB$LOWER_BOUND,RDB$UPPER_BOUND\n"
    "from RDB$FIELD_DIMENSIONS\nWhere RDB$FIELD_NAME= :RDBFIELD\norder by RDB$FIELD_NAME,RDB$DIMENSION";
inline constexpr const char* kInterbaseDialectSql = "select MON$SQL_DIALECT from MON$DATABASE";

std::vector<ColumnRow> readColumns(engine::Database& db, const TableRef& t, TableInfoData& out);
void readOracleStorage(engine::Database& db, const TableRef& t, TableInfoData& out);
void readIndexes(engine::Database& db, const TableRef& t, TableInfoData& out);
void readViewSource(engine::Database& db, const TableRef& t, TableInfoData& out);
void readSynonyms(engine::Database& db, const TableRef& t, TableInfoData& out);
// The table as the panel would list it, read from the open database (vlmtool ddl): its driver,
// kind, listed name, type, view flag and Oracle version. Throws an engine error when the
// database has no such table.
TableRef tableRefOf(engine::Database& db, const std::string& table, const std::string& loginUser);
// Everything above in the window's order.
TableInfoData readTableInfo(engine::Database& db, const TableRef& t);

// The text of "vlmtool ddl": the create script, the index statements, and a view's source.
std::vector<std::string> ddlText(const TableRef& t, const TableInfoData& d);

}  // namespace vlm::tableinfo
