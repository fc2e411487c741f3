// The objects that hang on a table, per server kind: triggers with their sources and switch,
// constraints with their definitions, switch and drop, Oracle dependencies and object
// privileges, and the table comment. Readers run catalog SQL and throw the engine's error;
// the statement builders only write text.
//   auto triggers = readTriggers(db, t);   // name, enabled
//   std::string sql = triggerSwitchSql(t, "EMP_AUDIT", false);   // empty: not supported
#pragma once

#include <string>
#include <vector>

#include "tableinfo/catalog.h"

namespace vlm::tableinfo {

struct TriggerItem {
    std::string name;
    bool enabled = false;
};
std::vector<TriggerItem> readTriggers(engine::Database& db, const TableRef& t);
std::vector<std::string> triggerSource(engine::Database& db, const TableRef& t, const std::string& trigger);
// "alter trigger SCOTT.T DISABLE" (ORACLE), "alter table N DISABLE trigger T" (MSSQL); empty elsewhere.
std::string triggerSwitchSql(const TableRef& t, const std::string& trigger, bool enable);
inline constexpr const char* kNotSupportedRu = "Не поддерживается для этого типа БД!";
inline constexpr const char* kNotSupportedEn = "Not supported for this type database!";

struct ConstraintItem {
    std::string name;
    bool enabled = true;
    int typeCode = 0;   // MSSQL: status & 15
};
std::vector<ConstraintItem> readConstraints(engine::Database& db, const TableRef& t);

struct ConstraintDefinition {
    std::string kindRu, kindEn;             // "Первичный ключ" / "Primary Key", ...
    std::vector<std::string> fields;        // one column per line, "," after all but the last
    std::vector<std::string> statement;     // the ALTER TABLE that recreates it
};
ConstraintDefinition constraintDefinition(engine::Database& db, const TableRef& t, const ConstraintItem& c);
// Empty where the kind cannot switch or drop constraints.
std::string constraintSwitchSql(const TableRef& t, const std::string& constraint, bool enable);
std::string constraintDropSql(const TableRef& t, const std::string& constraint);

struct Dependency {
    std::string referenced, referencedType, dependent, dependentType;
};
std::vector<Dependency> readDependencies(engine::Database& db, const TableRef& t, bool showSystemObjects);
// Tree images of the dependencies tab: VIEW 1, PROCEDURE 2, FUNCTION 3, PACKAGE 4, TABLE 6, TRIGGER 7, other 5.
int dependencyImage(const std::string& type);
std::vector<Privilege> readPrivileges(engine::Database& db, const TableRef& t);

// ORACLE and SQLBASE; empty elsewhere.
std::string readTableComment(engine::Database& db, const TableRef& t);
std::string tableCommentSql(const TableRef& t, const std::string& comment);

}  // namespace vlm::tableinfo
