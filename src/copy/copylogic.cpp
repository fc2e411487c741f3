// The copy's names, probe and replacing copy (see copylogic.h).
#include "copy/copylogic.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "engine/batchmove.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/table.h"
#include "panels/names.h"
#include "shell/language.h"

namespace vlm::copy {

using engine::Database;
using engine::EngineError;

namespace {

std::string lower(std::string s) {
    for (auto& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// One batch move in copy mode from a table of from into a new table of to.
std::int64_t batchCopy(Database& from, const std::string& fromTable, Database& to, const std::string& toTable,
                       engine::Progress* progress) {
    // The table itself, which carries its key and indexes along; an object the driver cannot
    // open as a table (a view on some servers) is read by "select * from" it.
    engine::Table source, target;
    engine::Query query;
    engine::Dataset* rows = &source;
    source.setDatabase(&from);
    source.setTableName(fromTable);
    try {
        source.open();
    } catch (const EngineError&) {
        query.setDatabase(&from);
        query.setSql("select * from " + probeName(from, fromTable));
        query.open();
        rows = &query;
    }
    target.setDatabase(&to);
    target.setTableName(toTable);
    engine::BatchMove move;
    move.source = rows;
    move.destination = &target;
    move.mode = engine::batCopy;
    move.execute(progress);
    return move.movedCount();
}

// Cleaning up after a failure must not hide the failure: errors here are dropped on purpose,
// the caller rethrows the one that stopped the copy.
void dropQuietly(engine::Connection& c, const std::string& table) {
    try {
        c.dropTable(table);
    } catch (const std::exception&) {
    }
}

}  // namespace

std::string defaultDestName(const std::string& item, bool sourceSql, bool destSql) {
    if (sourceSql) return panels::namePart(item);
    if (destSql) return panels::ownerPart(item);
    return item;
}

std::string derivedDestName(const std::string& item, bool sourceSql) {
    return sourceSql ? panels::namePart(item) : panels::ownerPart(item);
}

std::string destTableName(const std::string& typed, DestType type, bool multi) {
    if (type == DestType::Sql) return typed;
    if (!multi && typed.find('.') != std::string::npos) return typed;
    return typed + (type == DestType::DBase ? ".DBF" : ".DB");
}

bool sameTableName(const std::string& a, const std::string& b) {
    return panels::upperName(panels::trimBlanks(a)) == panels::upperName(panels::trimBlanks(b));
}

std::string probeSql(const std::string& table) { return "select * from " + table + " where 1=0"; }

bool isTableNotFound(const std::exception& e) {
    auto* ee = dynamic_cast<const EngineError*>(&e);
    if (!ee) return false;
    if (ee->code() == engine::errc::FileNotFound) return true;
    // Undefined table: PostgreSQL's own state and the ODBC one (SQL Server, most drivers).
    if (ee->sqlState() == "42P01" || ee->sqlState() == "42S02") return true;
    // The servers' own words: SQLite, Firebird, Oracle, SQL Server, the local tables.
    static const std::array<const char*, 6> words = {"no such table", "table unknown", "ora-00942",
                                                     "invalid object name", "table or view does not exist",
                                                     "not found in"};
    for (const auto& m : ee->messages()) {
        std::string l = lower(m);
        for (const char* w : words)
            if (l.find(w) != std::string::npos) return true;
    }
    return false;
}

std::string probeName(Database& db, const std::string& table) {
    if (!db.isSqlBased()) return "\"" + table + "\"";
    return db.connection().quoteTable(table);
}

bool probeTable(Database& db, const std::string& table) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(probeSql(probeName(db, table)));
    try {
        q.open();
    } catch (const std::exception& e) {
        q.close();
        q.setSql("");
        if (isTableNotFound(e)) return false;
        throw;
    }
    q.close();
    q.setSql("");
    return true;
}

ReplaceWay replaceWayFor(const std::string& driverName, bool destExists) {
    if (!destExists) return ReplaceWay::Create;
    const std::string d = panels::upperName(driverName);
    if (d == "SQLITE" || d == "POSTGRESQL") return ReplaceWay::OneTransaction;
    if (d == "INTRBASE" || d == "INTERBASE") return ReplaceWay::CopyBack;
    return ReplaceWay::Rename;
}

std::string asideName(Database& db, const std::string& table, const std::string& suffix) {
    // A local table's extension stays last; an owner stays first.
    std::string stem = table, ext;
    if (!db.isSqlBased()) {
        auto dot = table.rfind('.');
        if (dot != std::string::npos) stem = table.substr(0, dot), ext = table.substr(dot);
    }
    // Within the 31 characters of the shortest identifiers (Firebird) with a number added.
    auto dot = stem.find('.');
    std::string owner = db.isSqlBased() && dot != std::string::npos ? stem.substr(0, dot + 1) : "";
    std::string name = stem.substr(owner.size());
    if (name.size() > 24) name.resize(24);
    for (int n = 1;; ++n) {
        std::string candidate = owner + name + suffix + (n > 1 ? std::to_string(n) : "") + ext;
        if (!probeTable(db, candidate)) return candidate;
    }
}

std::int64_t copyTable(Database& source, const std::string& sourceTable, Database& dest, const std::string& destTable,
                       bool destExists, engine::Progress* progress, const StepHook& hook) {
    auto step = [&](const char* name) {
        if (hook) hook(name);
    };
    engine::Connection& conn = dest.connection();
    ReplaceWay way = replaceWayFor(dest.driverName(), destExists);
    if (way == ReplaceWay::OneTransaction && conn.inTransaction()) way = ReplaceWay::Rename;

    if (way == ReplaceWay::Create || way == ReplaceWay::OneTransaction) {
        // The batch move drops a half-made new table, and on these servers rolls back the drop of
        // the old one with the rest of its transaction.
        step("fill");
        return batchCopy(source, sourceTable, dest, destTable, progress);
    }

    // The new rows go under a temporary name first; until they are complete the destination is
    // not touched.
    const std::string fresh = asideName(dest, destTable, "_NEW");
    step("fill");
    const std::int64_t rows = batchCopy(source, sourceTable, dest, fresh, progress);
    const std::string old = asideName(dest, destTable, "_OLD");

    if (way == ReplaceWay::Rename) {
        try {
            step("aside");
            conn.renameTable(destTable, old);
        } catch (...) {
            dropQuietly(conn, fresh);
            throw;
        }
        try {
            step("put");
            conn.renameTable(fresh, destTable);
        } catch (...) {
            try {
                conn.renameTable(old, destTable);
            } catch (const std::exception&) {
                // The old table stays under its aside name; the error below is the one to show.
            }
            dropQuietly(conn, fresh);
            throw;
        }
        try {
            step("cleanup");
            conn.dropTable(old);
        } catch (const std::exception&) {
            // The copy is complete; the old rows stay visible under their aside name.
        }
        return rows;
    }

    // No renaming: the old table is kept as a copy of its own while it is replaced.
    try {
        step("aside");
        batchCopy(dest, destTable, dest, old, progress);
    } catch (...) {
        dropQuietly(conn, fresh);
        throw;
    }
    try {
        step("drop");
        conn.dropTable(destTable);
    } catch (...) {
        dropQuietly(conn, fresh);
        dropQuietly(conn, old);
        throw;
    }
    try {
        step("put");
        batchCopy(dest, fresh, dest, destTable, nullptr);
    } catch (...) {
        bool restored = false;
        try {
            batchCopy(dest, old, dest, destTable, nullptr);
            restored = true;
        } catch (const std::exception&) {
            // The old rows stay under their aside name; the error below is the one to show.
        }
        dropQuietly(conn, fresh);
        if (restored) dropQuietly(conn, old);
        throw;
    }
    try {
        step("cleanup");
        conn.dropTable(fresh);
        conn.dropTable(old);
    } catch (const std::exception&) {
        // The copy is complete; a table put aside stays visible under its aside name.
    }
    return rows;
}

std::string CopyTexts::windowCaption(bool multi) {
    return multi ? shell::pick("Копировать выделенные таблицы", "Copy selected tables")
                 : shell::pick("Копировать таблицу", "Copy table");
}
std::string CopyTexts::starting() { return shell::pick("Копирование...", "Start copy..."); }
std::string CopyTexts::recordsCopied() { return shell::pick("записей скопировано", " records copied !"); }
std::string CopyTexts::copyFailed(bool multi) {
    return shell::pick("ошибка копирования", multi ? "copied failed!" : " copied failed!");
}
std::string CopyTexts::tablesCopied() { return shell::pick("таблиц скопировано", "tables copied!"); }
std::string CopyTexts::namesMustDiffer() { return shell::pick("Имена должны различаться!", "Names must be different!"); }
std::string CopyTexts::overwrite(const std::string& name) {
    return shell::pick("Таблица " + name + " уже есть. Перезаписать?", "Table " + name + " exists. Overwrite?");
}
std::string CopyTexts::copyOk() { return shell::pick("Копирование завершено успешно!", "Copy OK !"); }
std::string CopyTexts::copyFailedBox() { return shell::pick("Ошибка копирования", "Copy Failed !!!"); }
std::string CopyTexts::multiOk(int count) {
    return shell::languageSetting() == 1 ? "Скопировано " + std::to_string(count) + " таблиц!"
                                         : "Copy " + std::to_string(count) + " tables OK !!!";
}
std::string CopyTexts::multiFailed() {
    return shell::pick("Копирование завершилось с ошибками!", "Copy finished with errors!");
}

}  // namespace vlm::copy
