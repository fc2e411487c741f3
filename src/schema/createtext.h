// The create window's text: the column type lists per server kind, the rule that tells which
// size fields a type shows, and the CREATE TABLE, CREATE INDEX and CREATE SYNONYM statements it
// writes. Plain functions; nothing here runs SQL.
//   auto lines = createTableText(ServerKind::ORACLE, "T", {{"A", "VARCHAR2", "20", "", true}});
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "panels/serverkind.h"

namespace vlm::schema {

using panels::ServerKind;

// STANDARD databases: which of the two local formats the type list follows.
enum class LocalFormat { Dbase, Paradox };

// The types the chooser offers, in order. OTHER: the common list followed by the server's own
// types where the driver name tells the server (PostgreSQL, SQLite), then those the connection
// itself lists (ownTypes, an ODBC data source's type information); no name twice, in any case.
std::vector<std::string> columnTypes(ServerKind kind, std::string_view oracleVersion = {},
                                     LocalFormat local = LocalFormat::Dbase, std::string_view driverName = {},
                                     const std::vector<std::string>& ownTypes = {});
// The server's own type names for a driver of kind OTHER; empty when the driver does not say.
std::vector<std::string> serverTypes(std::string_view driverName);

// Which size fields a type shows: Unknown leaves them as they were.
enum class SizeFields { SizeOnly, SizeAndScale, None, Unknown };
struct FormatRule {
    SizeFields fields = SizeFields::Unknown;
    int maxDigits = 4;    // how many characters the size field takes
};
FormatRule formatRule(ServerKind kind, std::string_view type, LocalFormat local = LocalFormat::Dbase);

// One column of the column editor, as typed.
struct NewColumn {
    std::string name, type, size, decimals;
    bool notNull = false;
};

// Oracle 8 range partitions: the key columns and one row per partition.
struct PartitionRow {
    std::string name, tablespace;
    std::vector<std::string> values;   // one per key column
};
struct PartitionSpec {
    std::vector<std::string> columns;
    std::vector<PartitionRow> rows;
};

// "(10,2)", "(20)" or nothing, from the size and decimals texts.
std::string sizePart(std::string_view size, std::string_view decimals);
std::string columnText(ServerKind kind, const NewColumn& c);
std::vector<std::string> createTableText(ServerKind kind, std::string_view table, const std::vector<NewColumn>& columns,
                                         const PartitionSpec& partitions = {});
std::vector<std::string> createIndexText(ServerKind kind, bool unique, std::string_view index, std::string_view table,
                                         const std::vector<std::string>& columns);
std::string createSynonymText(std::string_view publicWord, std::string_view synonym, std::string_view table);

// A message in both languages (Russian first).
struct Message {
    std::string ru, en;
    bool empty() const { return en.empty(); }
};
inline constexpr const char* kFirstEnterTableName = "First enter table name!";
inline constexpr const char* kFirstEnterIndexName = "First enter index name!";
// The column editor's fields before "New" (replacing < 0) or "Edit" (the index replaced):
// a name, a size and decimals that are numbers, a name not yet in the list. Empty: fine.
Message checkColumn(const std::vector<NewColumn>& columns, const NewColumn& c, int replacing);
// Before the table text is built: a name and at least one column.
Message checkTable(std::string_view table, const std::vector<NewColumn>& columns);

}  // namespace vlm::schema
