// What the create window reads from the database: the index table's column names (from the
// engine, or for ORACLE and MSSQL from the column catalog when the engine cannot list them)
// and the Oracle table spaces for the partition grid.
//   std::string err; auto cols = indexTableColumns(db, ServerKind::ORACLE, "SCOTT.EMP", "scott", &err);
#pragma once

#include <string>
#include <vector>

#include "panels/serverkind.h"

namespace vlm::engine {
class Database;
}

namespace vlm::schema {

// The column catalog statements; owner blank: no owner line.
std::string oracleColumnListSql(const std::string& owner, const std::string& table);
std::string mssqlColumnListSql(const std::string& table);
inline constexpr const char* kTableSpaceSql =
    "SELECT A.TABLESPACE_NAME, A.STATUS, A.INITIAL_EXTENT, A.NEXT_EXTENT, A.MIN_EXTENTS, A.MAX_EXTENTS\n"
    ", A.PCT_INCREASE, A.CONTENTS FROM SYS.USER_TABLESPACES A";

// The table's column names. When the engine cannot list them, error receives its message and,
// on ORACLE and MSSQL, the names come from the column catalog (as many as it gave).
std::vector<std::string> indexTableColumns(engine::Database& db, panels::ServerKind kind, const std::string& table,
                                           const std::string& loginUser, std::string* error);
// The column types the connection's driver lists for its server (ODBC: SQLGetTypeInfo); empty
// when the driver lists none or the server does not answer.
std::vector<std::string> serverOwnTypes(engine::Database& db);
// The first column of every row of kTableSpaceSql.
std::vector<std::string> tableSpaces(engine::Database& db);

}  // namespace vlm::schema
