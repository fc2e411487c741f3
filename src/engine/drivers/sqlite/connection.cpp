// The SQLite connection and its statements.
#include "connection.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "cursor.h"
#include "engine/error.h"
#include "engine/typemap.h"
#include "errors.h"
#include "typemapping.h"

namespace vlm::engine::sqlite {
namespace {

std::string quoteId(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

std::string text(sqlite3_stmt* st, int col) {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return p ? p : "";
}

[[noreturn]] void noSuchTable(const std::string& table) {
    throw EngineError(ErrorCategory::Sql, errc::FileNotFound, {"Table does not exist: " + table});
}

// One prepared statement; bound values stay for every execute until rebound.
class SqliteStatement : public Statement {
public:
    SqliteStatement(StmtPtr st, Tracer& tracer) : st_(std::move(st)), tracer_(tracer) {
        bound_.resize(std::size_t(sqlite3_bind_parameter_count(st_->handle)));
    }

    std::vector<ParamDesc> params() const override {
        std::vector<ParamDesc> out;
        for (std::size_t i = 0; i < bound_.size(); ++i) {
            const char* n = sqlite3_bind_parameter_name(st_->handle, int(i + 1));
            out.push_back({n ? std::string(n + 1) : std::string(), ParamDirection::Input, FieldType::Unknown});
        }
        return out;
    }

    void bind(std::size_t index, const Value& value, FieldType type) override {
        if (index >= bound_.size())
            throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                              {"Parameter " + std::to_string(index + 1) + " out of range: the statement has " +
                               std::to_string(bound_.size()) + " parameters"});
        sqlite3_reset(st_->handle);
        int rc = bindValue(st_->handle, int(index + 1), value, type);
        if (rc != SQLITE_OK) throw sqliteError(st_->db->handle, rc, "Cannot bind a parameter.", &tracer_);
        bound_[index] = value;
    }

    std::unique_ptr<Cursor> execute() override {
        ++st_->generation;
        sqlite3_reset(st_->handle);
        if (tracer_.wants(TraceDataIn))
            for (std::size_t i = 0; i < bound_.size(); ++i)
                tracer_.trace(TraceDataIn, "SQL Data In: SQLITE - Param = " + std::to_string(i + 1) +
                                              ", Value = " + traceText(bound_[i]));
        if (tracer_.wants(TraceExecute)) tracer_.trace(TraceExecute, "SQL Execute: SQLITE - " + st_->sql);
        bool row = stepChecked(*st_, tracer_);
        if (sqlite3_column_count(st_->handle) == 0) {
            affected_ = sqlite3_changes64(st_->db->handle);
            sqlite3_reset(st_->handle);
            return nullptr;
        }
        affected_ = 0;
        auto cur = std::make_unique<ResultCursor>(st_, tracer_, row);
        attachWriter(*cur);
        return cur;
    }

    std::int64_t rowsAffected() const override { return affected_; }

private:
    // A result whose columns all come from one table of the main database can be changed.
    void attachWriter(ResultCursor& cur) {
        sqlite3_stmt* h = st_->handle;
        int n = sqlite3_column_count(h);
        std::string table;
        std::vector<std::string> columns;
        std::set<std::string> seen;
        for (int i = 0; i < n; ++i) {
            const char* t = sqlite3_column_table_name(h, i);
            const char* d = sqlite3_column_database_name(h, i);
            const char* o = sqlite3_column_origin_name(h, i);
            if (!t || !d || !o || std::string(d) != "main") return;
            if (i == 0) table = t;
            if (table != t || !seen.insert(upper(o)).second) return;
            columns.push_back(o);
        }
        if (table.empty()) return;
        std::string quoted = quoteId(table);
        std::string rowid = rowidAlias(st_->db, quoted, columns);
        if (rowid.empty()) return;
        auto w = std::make_unique<RowWriter>(st_->db, tracer_, quoted, columns, cur.fields(), rowid);
        w->matchByValues = true;
        cur.setWriter(std::move(w));
    }

    StmtPtr st_;
    Tracer& tracer_;
    std::vector<Value> bound_;
    std::int64_t affected_ = -1;
};

}  // namespace

SqliteConnection::SqliteConnection(const ConnectParams& params, Tracer& tracer)
    : db_(std::make_shared<Db>()), tracer_(tracer) {
    db_->path = params.target;
    if (params.target.empty())
        throw EngineError(ErrorCategory::Connect, errc::ConnectBase, {"No SQLite database file was given."});
    if (tracer_.wants(TraceConnect)) tracer_.trace(TraceConnect, "SQL Connect: SQLITE - " + params.target);
    bool readOnly = upper(params.param("OPEN MODE")) == "READ ONLY";
    int flags = readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    int rc = sqlite3_open_v2(params.target.c_str(), &db_->handle, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        throw sqliteError(db_->handle, rc, "Cannot open the database " + params.target + ".", &tracer_);
    sqlite3_busy_timeout(db_->handle, 5000);
    sqlite3_extended_result_codes(db_->handle, 1);
    // Opening is lazy in SQLite: reading the schema is what finds a file that is no database.
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(db_->handle, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) {
        EngineError e = sqliteError(db_->handle, rc, "Cannot open the database " + params.target + ".", &tracer_);
        sqlite3_finalize(st);
        throw e;
    }
    sqlite3_finalize(st);
}

SqliteConnection::~SqliteConnection() {
    if (tracer_.wants(TraceConnect)) tracer_.trace(TraceConnect, "SQL Disconnect: SQLITE - " + db_->path);
}

Capabilities SqliteConnection::capabilities() const {
    Capabilities c;
    c.sqlBased = true;
    c.transactions = true;
    c.countWithoutFetch = true;
    c.identifierCase = IdentifierCase::AsWritten;
    return c;
}

std::vector<TableEntry> SqliteConnection::tables(bool includeSystem) {
    std::vector<TableEntry> out;
    auto st = prepareTraced(db_, tracer_,
                            "SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') ORDER BY name");
    while (stepChecked(*st, tracer_)) {
        TableEntry e;
        e.name = text(st->handle, 0);
        bool system = sqlite3_strnicmp(e.name.c_str(), "sqlite_", 7) == 0;
        if (system && !includeSystem) continue;
        e.view = text(st->handle, 1) == "view";
        e.type = system ? "SYSTEM TABLE" : e.view ? "VIEW" : "TABLE";
        out.push_back(std::move(e));
    }
    if (includeSystem) {
        TableEntry e;
        e.name = "sqlite_master";
        e.type = "SYSTEM TABLE";
        out.insert(std::lower_bound(out.begin(), out.end(), e,
                                    [](const TableEntry& a, const TableEntry& b) { return a.name < b.name; }),
                   e);
    }
    return out;
}

std::string SqliteConnection::objectType(const std::string& table) {
    if (sqlite3_stricmp(table.c_str(), "sqlite_master") == 0 || sqlite3_stricmp(table.c_str(), "sqlite_schema") == 0)
        return "table";
    auto st = prepareTraced(db_, tracer_, "SELECT type FROM sqlite_master WHERE type IN ('table', 'view') AND name = ? COLLATE NOCASE");
    sqlite3_bind_text(st->handle, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    return stepChecked(*st, tracer_) ? text(st->handle, 0) : std::string();
}

std::vector<FieldDef> SqliteConnection::fieldDefs(const std::string& table) {
    auto st = prepareTraced(db_, tracer_, "PRAGMA main.table_info(" + quoteId(table) + ")");
    std::vector<FieldDef> out;
    while (stepChecked(*st, tracer_)) {
        FieldDef f = fieldFromDeclared(text(st->handle, 1), text(st->handle, 2));
        if (f.logicalType == logical::UNKNOWN) refineFromStorage(f, SQLITE_TEXT);
        f.required = sqlite3_column_int(st->handle, 3) != 0;
        out.push_back(std::move(f));
    }
    if (out.empty()) noSuchTable(table);
    return out;
}

std::vector<IndexDef> SqliteConnection::indexDefs(const std::string& table) {
    if (objectType(table).empty()) noSuchTable(table);
    std::vector<IndexDef> out;
    bool havePk = false;
    auto list = prepareTraced(db_, tracer_, "PRAGMA main.index_list(" + quoteId(table) + ")");
    while (stepChecked(*list, tracer_)) {
        IndexDef d;
        d.name = text(list->handle, 1);
        d.unique = sqlite3_column_int(list->handle, 2) != 0;
        d.primary = text(list->handle, 3) == "pk";
        havePk = havePk || d.primary;
        auto info = prepareTraced(db_, tracer_, "PRAGMA main.index_xinfo(" + quoteId(d.name) + ")");
        while (stepChecked(*info, tracer_)) {
            if (sqlite3_column_int(info->handle, 5) == 0) continue;   // not a key column
            if (sqlite3_column_type(info->handle, 2) == SQLITE_NULL) {
                d.expression = "expression";
                continue;
            }
            d.fields.push_back(text(info->handle, 2));
            if (sqlite3_column_int(info->handle, 3)) d.descending = true;
        }
        out.push_back(std::move(d));
    }
    if (!havePk) {
        // An INTEGER PRIMARY KEY is the rowid itself and has no index of its own.
        auto info = prepareTraced(db_, tracer_, "PRAGMA main.table_info(" + quoteId(table) + ")");
        IndexDef pk;
        pk.name = "PRIMARY";
        pk.primary = pk.unique = true;
        while (stepChecked(*info, tracer_))
            if (sqlite3_column_int(info->handle, 5) > 0) pk.fields.push_back(text(info->handle, 1));
        if (!pk.fields.empty()) out.insert(out.begin(), pk);
    }
    std::stable_sort(out.begin(), out.end(), [](const IndexDef& a, const IndexDef& b) {
        if (a.primary != b.primary) return a.primary;
        return a.name < b.name;
    });
    return out;
}

std::unique_ptr<Statement> SqliteConnection::prepare(const std::string& sql) {
    if (tracer_.wants(TracePrepare)) tracer_.trace(TracePrepare, "SQL Prepare: SQLITE - " + sql);
    auto st = std::make_shared<Stmt>();
    st->db = db_;
    st->sql = sql;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_->handle, sql.c_str(), int(sql.size()), &st->handle, &tail);
    if (rc != SQLITE_OK) throw sqliteError(db_->handle, rc, "Invalid SQL statement.", &tracer_);
    if (!st->handle)
        throw EngineError(ErrorCategory::Sql, errc::SqlBase, {"Invalid SQL statement.", "The statement is empty"});
    // A second statement after the first would silently never run: refuse it.
    if (tail && *tail) {
        sqlite3_stmt* next = nullptr;
        rc = sqlite3_prepare_v2(db_->handle, tail, -1, &next, nullptr);
        bool more = rc != SQLITE_OK || next != nullptr;
        sqlite3_finalize(next);
        if (more)
            throw EngineError(ErrorCategory::Sql, errc::SqlBase,
                              {"Invalid SQL statement.", "Only one statement can be run at a time"});
    }
    return std::make_unique<SqliteStatement>(st, tracer_);
}

std::unique_ptr<Cursor> SqliteConnection::openTable(const std::string& table, const TableOpenOptions& options) {
    std::string type = objectType(table);
    if (type.empty()) noSuchTable(table);
    auto fields = fieldDefs(table);
    std::vector<std::string> names;
    for (const auto& f : fields) names.push_back(f.name);
    std::string order;
    for (const auto& n : options.indexFieldNames) {
        auto it = std::find_if(fields.begin(), fields.end(),
                               [&](const FieldDef& f) { return sqlite3_stricmp(f.name.c_str(), n.c_str()) == 0; });
        if (it == fields.end())
            throw EngineError(ErrorCategory::Usage, errc::UnknownField, {"Field '" + n + "' not found"});
        order += (order.empty() ? "" : ", ") + quoteId(it->name);
    }
    std::string quoted = quoteId(table);
    std::string rowid = type == "view" ? std::string() : rowidAlias(db_, quoted, names);
    if (!order.empty() && !rowid.empty()) order += ", " + rowid;
    // The rowid column: the only primary key column, declared exactly INTEGER.
    int rowidColumn = -1;
    auto info = prepareTraced(db_, tracer_, "PRAGMA main.table_info(" + quoted + ")");
    int pkCount = 0, candidate = -1;
    while (stepChecked(*info, tracer_)) {
        if (sqlite3_column_int(info->handle, 5) > 0) {
            ++pkCount;
            if (upper(text(info->handle, 2)) == "INTEGER") candidate = sqlite3_column_int(info->handle, 0);
        }
    }
    if (pkCount == 1) rowidColumn = candidate;
    return std::make_unique<TableCursor>(db_, tracer_, quoted, fields, rowid, order, rowidColumn);
}

void SqliteConnection::begin() {
    if (tracer_.wants(TraceTransaction)) tracer_.trace(TraceTransaction, "SQL Transact: SQLITE - BEGIN");
    execTraced(db_, nullTracer(), "BEGIN");
}

void SqliteConnection::commit() {
    if (tracer_.wants(TraceTransaction)) tracer_.trace(TraceTransaction, "SQL Transact: SQLITE - COMMIT");
    execTraced(db_, nullTracer(), "COMMIT");
}

void SqliteConnection::rollback() {
    if (tracer_.wants(TraceTransaction)) tracer_.trace(TraceTransaction, "SQL Transact: SQLITE - ROLLBACK");
    execTraced(db_, nullTracer(), "ROLLBACK");
}

void SqliteConnection::cancelRunning() {
    sqlite3* h = db_->handle;
    db_->calls.cancel([h](void*) { sqlite3_interrupt(h); });
}

bool SqliteConnection::inTransaction() const { return sqlite3_get_autocommit(db_->handle) == 0; }

void SqliteConnection::createTable(const std::string& table, const std::vector<FieldDef>& fields,
                                   const std::vector<IndexDef>& indexes) {
    if (fields.empty())
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"A table needs at least one field: " + table});
    std::string sql = "CREATE TABLE " + quoteId(table) + " (";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        sql += (i ? ", " : "") + quoteId(fields[i].name) + " " + nativeColumnType("SQLITE", fields[i]);
        if (fields[i].required) sql += " NOT NULL";
    }
    for (const auto& ix : indexes) {
        if (!ix.primary || ix.fields.empty()) continue;
        sql += ", PRIMARY KEY (";
        for (std::size_t i = 0; i < ix.fields.size(); ++i) sql += (i ? ", " : "") + quoteId(ix.fields[i]);
        sql += ")";
        break;
    }
    sql += ")";
    execTraced(db_, tracer_, sql);
    for (const auto& ix : indexes)
        if (!ix.primary) createIndex(table, ix);
}

void SqliteConnection::dropTable(const std::string& table) {
    std::string type = objectType(table);
    if (type.empty()) noSuchTable(table);
    execTraced(db_, tracer_, (type == "view" ? "DROP VIEW " : "DROP TABLE ") + quoteId(table));
}

void SqliteConnection::emptyTable(const std::string& table) {
    if (objectType(table).empty()) noSuchTable(table);
    execTraced(db_, tracer_, "DELETE FROM " + quoteId(table));
}

void SqliteConnection::renameTable(const std::string& from, const std::string& to) {
    if (objectType(from).empty()) noSuchTable(from);
    execTraced(db_, tracer_, "ALTER TABLE " + quoteId(from) + " RENAME TO " + quoteId(to));
}

void SqliteConnection::createIndex(const std::string& table, const IndexDef& index) {
    if (index.fields.empty())
        throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"An index needs at least one field"});
    std::string name = index.name.empty() ? table + "_" + index.fields.front() : index.name;
    std::string sql = std::string("CREATE ") + (index.unique || index.primary ? "UNIQUE " : "") + "INDEX " +
                      quoteId(name) + " ON " + quoteId(table) + " (";
    for (std::size_t i = 0; i < index.fields.size(); ++i)
        sql += (i ? ", " : "") + quoteId(index.fields[i]) + (index.descending ? " DESC" : "");
    execTraced(db_, tracer_, sql + ")");
}

void SqliteConnection::dropIndex(const std::string&, const std::string& index) {
    execTraced(db_, tracer_, "DROP INDEX " + quoteId(index));
}

std::int64_t SqliteConnection::appendRows(const std::string& table, const std::vector<std::string>& columns,
                                          Cursor& source, const std::vector<int>& sourceColumns,
                                          Progress* progress) {
    std::string sql = "INSERT INTO " + quoteId(table) + " (";
    std::string marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + quoteId(columns[i]);
        marks += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    auto st = prepareTraced(db_, tracer_, sql);
    sqlite3_stmt* h = st->handle;
    const auto& srcFields = source.fields();
    std::vector<FieldType> types;
    for (int sc : sourceColumns) types.push_back(sc < 0 ? FieldType::Unknown : srcFields[std::size_t(sc)].type);
    bool traceIn = tracer_.wants(TraceDataIn), traceExec = tracer_.wants(TraceExecute);
    std::int64_t total = source.rowCount(), moved = 0;
    std::vector<Row> rows;
    static const Value null;
    // Rows are bound without copies: the bindings are dropped before the rows they point into.
    struct Unbind {
        sqlite3_stmt* h;
        ~Unbind() { sqlite3_clear_bindings(h); }
    } unbind{h};
    bool more = true;
    while (more) {
        more = source.fetchInto(1024, rows);
        for (const auto& row : rows) {
            for (std::size_t i = 0; i < sourceColumns.size(); ++i) {
                int sc = sourceColumns[i];
                const Value& v = sc < 0 || std::size_t(sc) >= row.values.size() ? null : row.values[std::size_t(sc)];
                int rc = bindValue(h, int(i + 1), v, types[i], true);
                if (rc != SQLITE_OK) throw sqliteError(db_->handle, rc, "Cannot bind a parameter.", &tracer_);
                if (traceIn)
                    tracer_.trace(TraceDataIn, "SQL Data In: SQLITE - Param = " + std::to_string(i + 1) +
                                                  ", Value = " + traceText(v));
            }
            if (traceExec) tracer_.trace(TraceExecute, "SQL Execute: SQLITE - " + sql);
            stepChecked(*st, tracer_);
            sqlite3_reset(h);
            ++moved;
        }
        if (progress && !progress->step(moved, total))
            throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user");
    }
    return moved;
}

}  // namespace vlm::engine::sqlite
