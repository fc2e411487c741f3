// The structure editor's ALTER TABLE statements per server kind, built from the edited grid
// and the grid as it was when modifying began; and the way the statements run.
//   AlterScript s = alterTableScript(target, "SCOTT.EMP", rows, saved);   // s.lines, s.comments
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tableinfo/ddl.h"

namespace vlm::engine {
class Database;
}

namespace vlm::schema {

using tableinfo::ColumnRow;
using tableinfo::DdlTarget;

// The grid's column 0.
enum class RowMark { None, New, Del };
inline constexpr const char* kMarkNew = "NEW";
inline constexpr const char* kMarkDel = "DEL";
RowMark rowMark(std::string_view cell);

// Whether the structure editor lets the user change a grid cell (columns 1 to 9). New tables
// and rows marked NEW: every cell; rows marked DEL: none; existing rows by server kind.
bool editableCell(tableinfo::ServerKind kind, bool newTable, RowMark mark, int column, std::string_view type);
// Whether an existing table's structure can be modified on the kind.
bool canModify(tableinfo::ServerKind kind);

struct EditRow {
    RowMark mark = RowMark::None;
    ColumnRow row;
};

struct AlterScript {
    std::vector<std::string> lines;      // the statements; SQLBASE and MSSQL pieces end with ";"
    std::vector<std::string> comments;   // COMMENT ON COLUMN statements, without ";"
    bool ok = true;                      // false: a row without name or type; nothing built
};
// rows: the edited grid; the rows not marked NEW are the saved rows in their order.
AlterScript alterTableScript(const DdlTarget& target, std::string_view table, const std::vector<EditRow>& rows,
                             const std::vector<ColumnRow>& saved);
// The new table's name as entered, for the CREATE TABLE script (which quotes it): local DBASE
// and PARADOX tables get their extension ("CUST" -> "CUST.DBF", written "\"CUST.DBF\"").
std::string newTableName(const DdlTarget& target, std::string_view entered);

// The pieces of a text cut at every ";": the text after the last ";" is not among them.
std::vector<std::string> statementPieces(const std::string& text);

// Runs the structure editor's statements: SQLBASE and MSSQL piece by piece in one transaction
// (rolled back on any error, which is rethrown), the other kinds as one statement.
// MSSQL: a transaction that could not be started is not committed; any other commit failure
// rolls back and is rethrown.
void runAlter(engine::Database& db, tableinfo::ServerKind kind, const std::string& text);
// Runs one statement as it stands (CREATE TABLE, CREATE INDEX, a synonym, a comment).
void runStatement(engine::Database& db, const std::string& text);
// The create window's run: on a SQL-based database in a transaction of its own, committed, or
// rolled back and rethrown on error. Throws an engine error without running anything while
// another transaction is active on the connection: the user's work is never rolled back.
void runCreate(engine::Database& db, const std::string& text);
inline constexpr const char* kFinishTransactionRu = "Сначала завершите начатую транзакцию!";
inline constexpr const char* kFinishTransactionEn = "Finish the active transaction first!";

}  // namespace vlm::schema
