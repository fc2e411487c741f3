// The local DDL the create, structure and delete windows write, parsed for the directory
// driver, which carries it out on the files:
//   create table "X.DBF" (NAME CHAR(20), NOTES BLOB(1,1), ...)
//   CREATE [UNIQUE] [DESC] INDEX NAME ON "X.DBF" (F1, F2)
//   Drop Index "X.DBF".NAME        ALTER TABLE "X.DBF" ADD C CHAR(3), DROP D        DROP TABLE "X.DBF"
// parseLocalDdl() returns nullopt for any other statement (it goes to the SQL engine) and throws
// EngineError naming the clause for DDL it recognises but does not support.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/types.h"

namespace vlm::engine::local {

struct DdlStatement {
    enum Kind { CreateTable, CreateIndex, DropIndex, AlterTable, DropTable } kind = CreateTable;
    std::string table;                 // as written, quotes removed: "ORDERS.DBF", "/data/X.DBF"
    std::vector<FieldDef> fields;      // CreateTable; AlterTable: the added fields
    std::vector<IndexDef> indexes;     // CreateTable: PRIMARY KEY; CreateIndex: the index
    std::string index;                 // DropIndex
    std::vector<std::string> dropColumns;   // AlterTable
};

std::optional<DdlStatement> parseLocalDdl(const std::string& sql);

// A field definition for a local type name as the create window lists it ("CHAR", "NUMERIC",
// "BLOB" with sub-type n, "FORMATTED MEMO"), size and scale as written (-1: none).
FieldDef localFieldType(const std::string& name, const std::string& type, int size, int scale);

}  // namespace vlm::engine::local
