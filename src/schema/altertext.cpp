// The ALTER TABLE statements of the structure editor and their run.
#include "schema/altertext.h"

#include <cctype>

#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"

namespace vlm::schema {

using tableinfo::ServerKind;

namespace {

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = char(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

bool notNull(const ColumnRow& r) { return upper(trim(r.nullable)) == "FALSE"; }

bool changed(const ColumnRow& now, const ColumnRow& was) {
    if (trim(now.name) != trim(was.name)) return false;
    return trim(now.type) != trim(was.type) || tableinfo::ddlNumber(now.size) != tableinfo::ddlNumber(was.size) ||
           tableinfo::ddlNumber(now.scale) != tableinfo::ddlNumber(was.scale) ||
           upper(trim(now.nullable)) != upper(trim(was.nullable)) || trim(now.defaultText) != trim(was.defaultText);
}

bool endsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A clause list: the first item after its word, further ones after ", ".
void clauseLines(std::vector<std::string>& out, const std::string& first, const std::vector<std::string>& items,
                 const std::string& further = ", ") {
    for (std::size_t i = 0; i < items.size(); ++i) out.push_back((i ? further : first) + items[i]);
}

}  // namespace

RowMark rowMark(std::string_view cell) {
    const std::string t = trim(cell);
    if (t == kMarkNew) return RowMark::New;
    if (t == kMarkDel) return RowMark::Del;
    return RowMark::None;
}

bool editableCell(ServerKind kind, bool newTable, RowMark mark, int column, std::string_view type) {
    if (column < 1 || column > 9) return false;
    if (newTable || mark == RowMark::New) return true;
    if (mark == RowMark::Del) return false;
    switch (kind) {
    case ServerKind::ORACLE:
        return (column >= 3 && column <= 7) || column == 9;
    case ServerKind::SQLBASE: {
        const std::string t = upper(trim(type));
        return column == 2 || (column == 4 && (t == "CHAR" || t == "VARCHAR")) || column == 6 || column == 7 ||
               column == 9;
    }
    case ServerKind::MSSQL:
        return column >= 3 && column <= 6;
    default:
        return false;
    }
}

bool canModify(ServerKind kind) { return kind != ServerKind::OTHER; }

std::string newTableName(const DdlTarget& target, std::string_view entered) {
    const std::string name = trim(entered);
    if (target.kind == ServerKind::STANDARD) {
        const std::string type = upper(target.tableType);
        if (type == "DBASE") return name + ".DBF";
        if (type == "PARADOX") return name + ".DB";
    }
    return name;
}

AlterScript alterTableScript(const DdlTarget& target, std::string_view table, const std::vector<EditRow>& rows,
                             const std::vector<ColumnRow>& saved) {
    AlterScript out;
    for (const EditRow& r : rows)
        if (trim(r.row.name).empty() || trim(r.row.type).empty()) {
            out.ok = false;
            return out;
        }
    const ServerKind kind = target.kind;
    const std::string n = kind == ServerKind::STANDARD ? "\"" + std::string(table) + "\""
                                                        : tableinfo::quoteTable(table, target);
    auto q = [&](const std::string& name) { return tableinfo::quoteName(trim(name), target.nameCase); };
    auto def = [&](const ColumnRow& r) { return tableinfo::columnDefinition(target, r); };

    std::vector<std::string> drops, adds, renames, changes;   // names, definitions
    std::vector<std::pair<const ColumnRow*, const ColumnRow*>> changedRows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const EditRow& e = rows[i];
        const ColumnRow* was = e.mark != RowMark::New && i < saved.size() ? &saved[i] : nullptr;
        if (e.mark == RowMark::New || !was) {
            adds.push_back(def(e.row));
        } else if (e.mark == RowMark::Del) {
            drops.push_back(q(was->name));
        } else {
            if (trim(e.row.name) != trim(was->name)) renames.push_back(q(was->name) + " " + q(e.row.name));
            if (changed(e.row, *was)) changedRows.push_back({&e.row, was});
        }
    }

    switch (kind) {
    case ServerKind::ORACLE: {
        for (const auto& [now, was] : changedRows) {
            std::string d = def(*now);
            if (upper(trim(now->nullable)) == upper(trim(was->nullable))) {
                for (const char* tail : {" Not Null", " Null"})
                    if (endsWith(d, tail)) {
                        d.resize(d.size() - std::string_view(tail).size());
                        break;
                    }
            }
            changes.push_back(d);
        }
        if (adds.empty() && changes.empty()) break;
        out.lines.push_back("Alter Table " + n);
        if (!adds.empty()) {
            clauseLines(out.lines, "Add (", adds);
            out.lines.push_back(")");
        }
        if (!changes.empty()) {
            clauseLines(out.lines, "Modify (", changes);
            out.lines.push_back(")");
        }
        break;
    }
    case ServerKind::SQLBASE: {
        auto statement = [&](const std::string& word, const std::vector<std::string>& items) {
            if (items.empty()) return;
            out.lines.push_back("Alter Table " + n);
            clauseLines(out.lines, word, items);
            out.lines.push_back(";");
        };
        for (const auto& [now, was] : changedRows) {
            std::string c = q(now->name);
            const std::string t = upper(trim(now->type));
            if ((t == "CHAR" || t == "VARCHAR") && tableinfo::ddlNumber(now->size) != tableinfo::ddlNumber(was->size))
                c += " " + trim(now->type) + "(" + std::to_string(tableinfo::ddlNumber(now->size)) + ")";
            const bool nullChanged = upper(trim(now->nullable)) != upper(trim(was->nullable));
            const bool withDefault = !trim(now->defaultText).empty();
            if (nullChanged && notNull(*now) && withDefault) c += "  Not Null With Default";
            else {
                if (nullChanged) c += notNull(*now) ? " Not Null" : " Null";
                if (withDefault) c += " With Default";
            }
            changes.push_back(c);
        }
        statement("Drop ", drops);
        statement("Add ", adds);
        statement("Rename ", renames);
        statement("Modify ", changes);
        break;
    }
    case ServerKind::MSSQL:
        if (!drops.empty()) {
            out.lines.push_back("Alter Table " + n);
            clauseLines(out.lines, " Drop column ", drops);
            out.lines.push_back(";");
        }
        if (!adds.empty()) {
            out.lines.push_back("Alter Table " + n);
            clauseLines(out.lines, "Add ", adds);
            out.lines.push_back(";");
        }
        for (const auto& [now, was] : changedRows) {
            std::string d = def(*now);
            if (std::size_t at = upper(d).find(" DEFAULT "); at != std::string::npos) d = trim(d.substr(0, at));
            out.lines.push_back("Alter Table " + n + " Alter Column " + d + ";");
        }
        break;
    default: {
        // INTERBASE, STANDARD and any other kind: one statement of drops, then adds.
        if (drops.empty() && adds.empty()) break;
        out.lines.push_back("Alter Table " + n);
        clauseLines(out.lines, "Drop ", drops, ", Drop ");
        clauseLines(out.lines, drops.empty() ? "Add " : ", Add ", adds, ", Add ");
        break;
    }
    }
    if (kind == ServerKind::ORACLE || kind == ServerKind::SQLBASE)
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const EditRow& e = rows[i];
            if (e.mark == RowMark::Del) continue;
            const std::string was = e.mark != RowMark::New && i < saved.size() ? saved[i].comment : std::string();
            if (e.row.comment != was)
                out.comments.push_back("COMMENT ON COLUMN " + n + "." + q(e.row.name) + " IS " +
                                       tableinfo::sqlString(e.row.comment));
        }
    return out;
}

std::vector<std::string> statementPieces(const std::string& text) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(';', from)) != std::string::npos; from = at + 1) {
        std::string piece = trim(text.substr(from, at - from));
        if (!piece.empty()) out.push_back(piece);
    }
    return out;
}

void runStatement(engine::Database& db, const std::string& text) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(text);
    q.execSql();
}

void runAlter(engine::Database& db, ServerKind kind, const std::string& text) {
    if (kind != ServerKind::SQLBASE && kind != ServerKind::MSSQL) {
        runStatement(db, text);
        return;
    }
    bool started = false;
    try {
        db.startTransaction();
        started = true;
    } catch (const engine::EngineError&) {
        if (kind != ServerKind::MSSQL) throw;
        // MSSQL runs the pieces without a transaction when the server will not start one.
    }
    try {
        for (const std::string& piece : statementPieces(text)) runStatement(db, piece);
        if (started) db.commit();
    } catch (...) {
        if (started && db.inTransaction()) {
            try {
                db.rollback();
            } catch (const engine::EngineError&) {
                // The first error is the one the user needs; a failed rollback adds nothing.
            }
        }
        throw;
    }
}

void runCreate(engine::Database& db, const std::string& text) {
    if (!db.isSqlBased()) {
        runStatement(db, text);
        return;
    }
    if (db.inTransaction())
        throw engine::EngineError(engine::ErrorCategory::Usage, engine::errc::UsageBase, {kFinishTransactionEn});
    db.startTransaction();
    try {
        runStatement(db, text);
        db.commit();
    } catch (...) {
        if (db.inTransaction()) {
            try {
                db.rollback();
            } catch (const engine::EngineError&) {
                // The statement's error is the one shown; a failed rollback adds nothing.
            }
        }
        throw;
    }
}

}  // namespace vlm::schema
