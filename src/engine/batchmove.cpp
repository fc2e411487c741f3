// Batch move: the source dataset read record by record as a cursor, written through the
// destination driver's appendRows, in one transaction on SQL destinations. A copy creates the
// columns and indexes under the names a user of the destination types for them
// (identifiers.h).
#include "batchmove.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>

#include "dataset.h"
#include "driver.h"
#include "error.h"
#include "identifiers.h"
#include "query.h"
#include "table.h"

namespace vlm::engine {
namespace {

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

[[noreturn]] void usage(const std::string& text, int code = errc::UsageBase) {
    throw EngineError(ErrorCategory::Usage, code, {text});
}

// The source dataset's records from the first on, with its filter, as a cursor.
class DatasetCursor : public Cursor {
public:
    explicit DatasetCursor(Dataset& ds) : ds_(ds) {
        for (int i = 0; i < ds.fieldCount(); ++i) defs_.push_back(ds.field(i).def());
    }
    const std::vector<FieldDef>& fields() const override { return defs_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override {
        if (!started_) {
            ds_.first();
            started_ = true;
        }
        for (std::size_t n = 0; n < maxRows && !ds_.eof(); ++n) {
            Row r;
            for (int i = 0; i < ds_.fieldCount(); ++i) r.values.push_back(ds_.field(i).value());
            out.push_back(std::move(r));
            ds_.next();
        }
        return !ds_.eof();
    }
    std::int64_t rowCount() override { return ds_.recordCount(); }

private:
    Dataset& ds_;
    std::vector<FieldDef> defs_;
    bool started_ = false;
};

// A table source without a filter, calculated fields or pending changes is read through a table
// cursor of its own, in the same order: the same rows without the dataset's row cache and per
// field copies. Null when the dataset has to be read itself.
std::unique_ptr<Cursor> tableCursor(Dataset& ds) {
    auto* t = dynamic_cast<Table*>(&ds);
    if (!t || t->exclusive() || (t->filtered() && !t->filter().empty()) || t->state() != DatasetState::Browse)
        return nullptr;
    TableOpenOptions o;
    o.showDeleted = t->showDeleted();
    const std::string& names = t->indexFieldNames();
    for (std::size_t start = 0; start <= names.size();) {
        auto semi = names.find(';', start);
        std::string part = trim(names.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
        if (!part.empty()) o.indexFieldNames.push_back(part);
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    std::unique_ptr<Cursor> cur;
    try {
        cur = t->connection().openTable(t->tableName(), o);
    } catch (const EngineError&) {
        return nullptr;   // the dataset's own cursor still reads it
    }
    const auto& defs = cur->fields();
    if (int(defs.size()) != ds.fieldCount()) return nullptr;
    for (int i = 0; i < ds.fieldCount(); ++i)
        if (ds.field(i).calculated() || defs[std::size_t(i)].name != ds.field(i).fieldName()) return nullptr;
    return cur;
}

bool tableExists(Connection& c, const std::string& name) {
    try {
        c.fieldDefs(name);
        return true;
    } catch (const EngineError&) {
        return false;
    }
}

// How the source's server folds unquoted names: its table's or query's connection; a dataset
// of unknown origin as if its names were written as they are. Local field names match without
// case whatever their spelling (Paradox keeps "id" as written), so as a source they count as
// written; new local fields are upper case.
IdentifierCase identifierCaseOf(Dataset& ds) {
    Connection* c = nullptr;
    if (auto* t = dynamic_cast<Table*>(&ds)) c = &t->connection();
    else if (auto* q = dynamic_cast<Query*>(&ds)) c = q->preparedConnection();
    if (!c) return IdentifierCase::AsWritten;
    Capabilities caps = c->capabilities();
    return caps.sqlBased ? caps.identifierCase : IdentifierCase::AsWritten;
}

// The destination names of the source's columns: plain names in the destination's folding,
// the others as they are. Should folding make two names one ("id" and "ID" on PostgreSQL),
// those keep their own spelling.
std::vector<std::string> carriedNames(const std::vector<std::string>& names, IdentifierCase from, IdentifierCase to) {
    std::vector<std::string> out;
    for (const auto& n : names) out.push_back(carryIdentifier(n, from, to));
    for (bool again = true; again;) {
        again = false;
        for (std::size_t i = 0; i < out.size(); ++i)
            if (out[i] != names[i] && std::count(out.begin(), out.end(), out[i]) > 1) {
                out[i] = names[i];
                again = true;
            }
    }
    return out;
}

// The indexes a copy of a table takes along: the key and the indexes on fields (expression
// indexes have no form on other drivers), with field and index names as the destination has
// them (names maps source field names to destination ones). A local table's unique index
// other than the key does not bind its rows (dBase keeps the first of equal keys), so its copy
// is not unique. The destination driver names them (index names may be database-wide there).
std::vector<IndexDef> copiedIndexes(Table& source, const std::map<std::string, std::string>& names,
                                    IdentifierCase from, IdentifierCase to) {
    std::vector<IndexDef> out;
    bool local = !source.connection().capabilities().sqlBased;
    for (auto ix : source.indexDefs()) {
        if (ix.fields.empty() || !ix.expression.empty()) continue;
        bool known = true;
        for (auto& f : ix.fields) {
            auto it = names.find(f);
            known = known && it != names.end();
            if (it != names.end()) f = it->second;
        }
        if (!known) continue;
        if (local && !ix.primary) ix.unique = false;
        ix.name = carryIdentifier(ix.name, from, to);
        out.push_back(std::move(ix));
    }
    return out;
}

}  // namespace

void BatchMove::execute(Progress* progress) {
    moved_ = 0;
    if (!source) usage("Batch move: no source dataset");
    if (!destination) usage("Batch move: no destination table");
    const std::string table = destination->tableName();
    if (table.empty()) usage("Batch move: the destination has no table name");
    if (!source->active()) source->open();
    bool reopen = destination->active();
    destination->close();
    Connection& conn = destination->connection();
    if (auto* st = dynamic_cast<Table*>(source); st && &st->connection() == &conn && sameName(st->tableName(), table))
        usage("Batch move: the source and the destination are the same table");

    std::vector<std::string> columns;
    std::vector<int> sourceColumns;
    std::vector<FieldDef> createDefs;
    std::vector<IndexDef> createIndexes;
    if (mode == batCopy) {
        Capabilities destCaps = conn.capabilities();
        const IdentifierCase from = identifierCaseOf(*source), to = destCaps.identifierCase;
        std::vector<std::string> sourceNames;
        for (int i = 0; i < source->fieldCount(); ++i) sourceNames.push_back(source->field(i).def().name);
        const std::vector<std::string> destNames = carriedNames(sourceNames, from, to);
        std::map<std::string, std::string> nameMap;
        for (int i = 0; i < source->fieldCount(); ++i) {
            FieldDef d = source->field(i).def();
            d.name = destNames[std::size_t(i)];
            nameMap.emplace(sourceNames[std::size_t(i)], d.name);
            createDefs.push_back(d);
            columns.push_back(d.name);
            sourceColumns.push_back(i);
        }
        // Copies into servers whose index names are database- or schema-wide take the source
        // table's indexes along; the driver finds free names for them.
        if (auto* st = dynamic_cast<Table*>(source); st && destCaps.sqlBased && destCaps.freeIndexNames)
            createIndexes = copiedIndexes(*st, nameMap, from, to);
    } else {
        auto destDefs = conn.fieldDefs(table);
        auto destField = [&](const std::string& n) -> std::string {
            for (const auto& d : destDefs)
                if (sameName(d.name, n)) return d.name;
            usage("Batch move: field '" + n + "' not found in the destination " + table, errc::UnknownField);
        };
        auto sourceField = [&](const std::string& n) -> int {
            for (int i = 0; i < source->fieldCount(); ++i)
                if (sameName(source->field(i).fieldName(), n)) return i;
            usage("Batch move: field '" + n + "' not found in the source", errc::UnknownField);
        };
        std::vector<std::string> lines;
        for (const auto& m : mappings)
            if (!trim(m).empty()) lines.push_back(m);
        if (lines.empty()) {
            for (const auto& d : destDefs)
                if (Field* f = source->findField(d.name)) {
                    columns.push_back(d.name);
                    sourceColumns.push_back(f->index());
                }
            if (columns.empty()) usage("Batch move: no field of the source matches the destination " + table);
        } else {
            for (const auto& m : lines) {
                auto eq = m.find('=');
                std::string dest = trim(m.substr(0, eq));
                std::string src = eq == std::string::npos ? dest : trim(m.substr(eq + 1));
                columns.push_back(destField(dest));
                sourceColumns.push_back(sourceField(src));
            }
        }
    }

    Capabilities caps = conn.capabilities();
    bool ownTransaction = caps.sqlBased && caps.transactions && !conn.inTransaction();
    bool existed = mode == batCopy && tableExists(conn, table);
    std::unique_ptr<Cursor> direct = tableCursor(*source);
    DatasetCursor viaDataset(*source);
    Cursor& rows = direct ? *direct : static_cast<Cursor&>(viaDataset);
    try {
        if (ownTransaction) conn.begin();
        if (mode == batCopy) {
            if (existed) conn.dropTable(table);
            conn.createTable(table, createDefs, createIndexes);
        }
        moved_ = conn.appendRows(table, columns, rows, sourceColumns, progress);
        if (ownTransaction) conn.commit();
    } catch (...) {
        if (ownTransaction) {
            try {
                if (conn.inTransaction()) conn.rollback();
            } catch (const EngineError&) {
            }
        }
        // Servers whose DDL does not roll back (and local tables) may keep the half-copied table.
        if (mode == batCopy && !existed) {
            try {
                if (tableExists(conn, table)) conn.dropTable(table);
            } catch (const EngineError&) {
            }
        }
        moved_ = 0;
        throw;
    }
    if (reopen) destination->open();
}

}  // namespace vlm::engine
