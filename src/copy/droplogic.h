// Dropping and renaming tables, views and indexes: the statements per server kind and the runs
// the delete and rename dialogs make. Plain C++ over the engine.
//
//   runSql(db, dropSql("SCOTT.EMP", false, false));          // "DROP TABLE SCOTT.EMP"
//   dropLocalTable(db, "ORDERS.DBF");
#pragma once

#include <string>
#include <vector>

#include "panels/serverkind.h"

namespace vlm::engine {
class Database;
}

namespace vlm::copy {

// "DROP TABLE name" / "DROP VIEW name"; quoted: the name between double quotes.
std::string dropSql(const std::string& name, bool view, bool quoted);
// "Delete Table name ?" / "Delete View name ?" (English in both languages).
std::string dropQuestion(const std::string& name, bool view);
// "Drop Index name" on a server; on a directory "Drop Index \"TABLE\".name".
std::string dropIndexSql(const std::string& table, const std::string& index, bool sqlBased);
// The index names the dialog offers: MSSQL's as table + "." + index.
std::vector<std::string> indexChoices(engine::Database& db, const std::string& table, panels::ServerKind kind);
// SQLBASE renames by statement: "Alter Table old Rename Table new".
std::string renameSql(const std::string& from, const std::string& to);

void runSql(engine::Database& db, const std::string& sql);
void dropLocalTable(engine::Database& db, const std::string& table);
// SQLBASE by its statement, every other kind through the engine.
void renameTable(engine::Database& db, const std::string& from, const std::string& to, panels::ServerKind kind);

struct DropTexts {
    static std::string caption();          // "Delete Table/View/Index"
    static std::string multiTitle();       // "Multi Drop Tables"
    static std::string renameCaption();    // "Rename table"
    static std::string renameDone();       // "Rename Comleted."
};

}  // namespace vlm::copy
