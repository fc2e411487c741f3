// The table's DDL as text: CREATE TABLE per server kind from the structure grid's rows, the
// Oracle storage and partition clauses, index statements, view sources, synonyms, the Insert
// and Update templates, the structure as text and the GRANT script. Plain functions of the
// catalog rows; nothing here runs SQL.
//   auto s = createTableScript({ServerKind::ORACLE}, "SCOTT.EMP", rows);  // s.lines, s.comments
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "panels/serverkind.h"

namespace vlm::tableinfo {

using panels::ServerKind;

// One row of the structure grid, as texts.
struct ColumnRow {
    std::string name;
    std::string type;
    std::string size = "0";
    std::string scale = "0";
    std::string nullable = "True";   // "True" or "False"
    std::string defaultText;
    std::string dimensions;          // INTERBASE arrays: "[1::10,0::5]"
    std::string comment;             // ORACLE and SQLBASE
};

// How the server stores unquoted names: Firebird, Oracle and SQLBase fold them to upper case,
// PostgreSQL to lower case, the others keep them.
enum class NameCase { Upper, Lower, AsIs };

// What the statements are written for.
struct DdlTarget {
    ServerKind kind = ServerKind::STANDARD;
    std::string tableType;           // STANDARD: "DBASE", "PARADOX", ...
    NameCase nameCase = NameCase::AsIs;
};
NameCase defaultNameCase(ServerKind kind, std::string_view driverName);

// The text between single quotes with its apostrophes doubled: Customer's -> 'Customer''s'.
std::string sqlString(std::string_view text);
// A name as written in a statement: plain names stay as they are; names with blanks, quotes,
// dots or letters of the other case go between double quotes (inner quotes doubled).
std::string quoteName(std::string_view name, NameCase nameCase);
// A table name as listed: "OWNER.NAME" quotes each part; a local name ("ORDERS.DBF") is one
// name, quoted whole when it has a dot.
std::string quoteTable(std::string_view listed, const DdlTarget& target);

// A size or scale text as an integer: empty or non-numeric text gives 0.
int ddlNumber(std::string_view text);

// The column definition of one grid row.
std::string columnDefinition(const DdlTarget& target, const ColumnRow& row);

struct CreateScript {
    std::vector<std::string> lines;      // "Create Table N (" ... ")"
    std::vector<std::string> comments;   // COMMENT ON COLUMN statements, without ";"
    bool ok = true;                      // false: a row without name or type (lines so far kept)
};
// primaryKey: local Paradox tables carry their primary key in the statement (the local SQL
// makes no primary index afterwards, and a Paradox table takes no other index without one).
CreateScript createTableScript(const DdlTarget& target, std::string_view tableName, const std::vector<ColumnRow>& rows,
                               const std::vector<std::string>& primaryKey = {});
// What "Show Create SQL Script" shows: the script, the storage clause lines, and on ORACLE
// and SQLBASE the column comments as statements ending with ";".
std::vector<std::string> showCreateScript(const DdlTarget& target, std::string_view tableName,
                                          const std::vector<ColumnRow>& rows,
                                          const std::vector<std::string>& storageLines, bool* ok = nullptr,
                                          const std::vector<std::string>& primaryKey = {});
inline constexpr const char* kNoNameOrTypeRu = "Нет имени поля или типа!";
inline constexpr const char* kNoNameOrTypeEn = "No field NAME or TYPE!";

// Oracle: the storage clause of a table that is not partitioned, from its ALL_TABLES row.
struct OracleStorage {
    std::string tablespace, pctFree, pctUsed, iniTrans, maxTrans, initial, next, minExtents, maxExtents,
        pctIncrease, freelists, freelistGroups;
};
std::vector<std::string> oracleStorageClause(const OracleStorage& s);
struct OraclePartition {
    std::string name, highValue, tablespace;
};
// "PARTITION BY RANGE (A,B) (" when there are key columns, then the partitions and ");".
std::vector<std::string> oraclePartitionClause(const std::vector<std::string>& keyColumns,
                                               const std::vector<OraclePartition>& partitions);
// "Create  Unique Index SCOTT.PK_EMP On SCOTT.EMP (EMPNO)".
std::string oracleIndexStatement(bool unique, std::string_view indexOwner, std::string_view indexName,
                                 std::string_view owner, std::string_view table,
                                 const std::vector<std::string>& columns, NameCase nameCase = NameCase::Upper);
// The lines after the statement of an index of a partitioned table (Oracle 8).
std::vector<std::string> oraclePartitionedIndexLines(std::string_view defTablespace, bool global,
                                                     const std::vector<std::string>& keyColumns,
                                                     const std::vector<OraclePartition>& partitions);
// MSSQL: "Create UNIQUE Index I On T (A, B);".
std::string mssqlIndexStatement(bool unique, std::string_view indexName, std::string_view table,
                                const std::vector<std::string>& columns, NameCase nameCase = NameCase::AsIs);
// SQLBASE: what the index's SYSINDEXES row adds to the statement.
struct SqlBaseIndexClauses {
    std::string unique;        // " UNIQUE", " UNIQUE CLUSTERED HASHED", ...
    std::string sizeClause;    // "SIZE 500 ROWS"
    std::string freeClause;    // "PCTFREE 20"
};
SqlBaseIndexClauses sqlBaseIndexClauses(std::string_view uniqueRule, std::string_view ixType,
                                        std::string_view clusterRule, std::string_view ixSize,
                                        std::string_view percentFree);
// The index statement of the engine's index definitions (STANDARD, SQLBASE, INTERBASE, other):
// one line, or two with the free and size clauses.
std::vector<std::string> indexStatement(std::string_view unique, std::string_view indexName, std::string_view table,
                                        std::string_view columns, std::string_view freeClause = {},
                                        std::string_view sizeClause = {});

// The view source tab: ORACLE, SQLBASE and INTERBASE get a heading line; MSSQL's rows are
// joined as they are. No rows: nothing.
std::vector<std::string> viewSource(ServerKind kind, std::string_view viewName, const std::vector<std::string>& rows);
std::string synonymStatement(bool isPublic, std::string_view synonym, std::string_view target);

std::vector<std::string> insertTemplate(std::string_view tableName, const std::vector<std::string>& fields);
std::vector<std::string> updateTemplate(std::string_view tableName, const std::vector<std::string>& fields);

// "Show Structure As Text": header first (cells 1 to 8 of every row), comments appended when
// withComments.
std::vector<std::string> structureText(std::string_view tableName, const std::vector<std::vector<std::string>>& grid,
                                       const std::vector<std::string>& comments, bool withComments,
                                       std::string_view commentsHeader);

struct Privilege {
    std::string grantor, grantee, privilege, grantable;
};
std::vector<std::string> privilegeScript(const std::vector<Privilege>& rows, std::string_view owner,
                                         std::string_view table);

}  // namespace vlm::tableinfo
