// Drop and rename statements and runs (see droplogic.h).
#include "copy/droplogic.h"

#include "engine/database.h"
#include "engine/query.h"
#include "engine/table.h"
#include "shell/language.h"

namespace vlm::copy {

std::string dropSql(const std::string& name, bool view, bool quoted) {
    return std::string(view ? "DROP VIEW " : "DROP TABLE ") + (quoted ? "\"" + name + "\"" : name);
}

std::string dropQuestion(const std::string& name, bool view) {
    return std::string(view ? "Delete View " : "Delete Table ") + name + " ?";
}

std::string dropIndexSql(const std::string& table, const std::string& index, bool sqlBased) {
    return sqlBased ? "Drop Index " + index : "Drop Index \"" + table + "\"." + index;
}

std::vector<std::string> indexChoices(engine::Database& db, const std::string& table, panels::ServerKind kind) {
    engine::Table t;
    t.setDatabase(&db);
    t.setTableName(table);
    std::vector<std::string> out;
    for (const auto& ix : t.indexDefs()) {
        if (ix.name.empty()) continue;
        out.push_back(kind == panels::ServerKind::MSSQL ? table + "." + ix.name : ix.name);
    }
    return out;
}

std::string renameSql(const std::string& from, const std::string& to) {
    return "Alter Table " + from + " Rename Table " + to;
}

void runSql(engine::Database& db, const std::string& sql) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.execSql();
    q.close();
}

void dropLocalTable(engine::Database& db, const std::string& table) {
    engine::Table t;
    t.setDatabase(&db);
    t.setTableName(table);
    t.deleteTable();
}

void renameTable(engine::Database& db, const std::string& from, const std::string& to, panels::ServerKind kind) {
    if (kind == panels::ServerKind::SQLBASE) {
        runSql(db, renameSql(from, to));
        return;
    }
    engine::Table t;
    t.setDatabase(&db);
    t.setTableName(from);
    t.renameTable(to);
}

std::string DropTexts::caption() { return shell::pick("Удаление таблиц/просмотров/индексов", "Delete Table/View/Index"); }
std::string DropTexts::multiTitle() { return shell::pick("Групповое удаление", "Multi Drop Tables"); }
std::string DropTexts::renameCaption() { return shell::pick("Переименование таблицы", "Rename table"); }
std::string DropTexts::renameDone() { return shell::pick("Переименование закончено.", "Rename Comleted."); }

}  // namespace vlm::copy
