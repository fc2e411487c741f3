// SQLite cursors and the rowid row writer.
#include "cursor.h"

#include <algorithm>

#include "engine/error.h"
#include "errors.h"
#include "typemapping.h"

namespace vlm::engine::sqlite {

StmtPtr prepareTraced(const DbPtr& db, Tracer& tracer, const std::string& sql) {
    if (tracer.wants(TracePrepare)) tracer.trace(TracePrepare, "SQL Prepare: SQLITE - " + sql);
    auto st = std::make_shared<Stmt>();
    st->db = db;
    st->sql = sql;
    int rc = sqlite3_prepare_v2(db->handle, sql.c_str(), int(sql.size()), &st->handle, nullptr);
    if (rc != SQLITE_OK) throw sqliteError(db->handle, rc, "Invalid SQL statement.", &tracer);
    return st;
}

bool stepChecked(Stmt& st, Tracer& tracer) {
    int rc;
    {
        RunningCalls::Scope running(st.db->calls);
        rc = sqlite3_step(st.handle);
    }
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    EngineError e = sqliteError(st.db->handle, rc, "General SQL error.", &tracer);
    sqlite3_reset(st.handle);
    throw e;
}

std::int64_t execTraced(const DbPtr& db, Tracer& tracer, const std::string& sql,
                        const std::vector<Value>& values) {
    auto st = prepareTraced(db, tracer, sql);
    for (std::size_t i = 0; i < values.size(); ++i) {
        int rc = bindValue(st->handle, int(i + 1), values[i], FieldType::Unknown);
        if (rc != SQLITE_OK) throw sqliteError(db->handle, rc, "Cannot bind a parameter.", &tracer);
        if (tracer.wants(TraceDataIn))
            tracer.trace(TraceDataIn, "SQL Data In: SQLITE - Param = " + std::to_string(i + 1) +
                                         ", Value = " + traceText(values[i]));
    }
    if (tracer.wants(TraceExecute)) tracer.trace(TraceExecute, "SQL Execute: SQLITE - " + sql);
    while (stepChecked(*st, tracer)) {
    }
    return sqlite3_changes64(db->handle);
}

// ---------------------------------------------------------------------------------------------

RowWriter::RowWriter(DbPtr db, Tracer& tracer, std::string quotedTable, std::vector<std::string> columns,
                     std::vector<FieldDef> fields, std::string rowidName)
    : db_(std::move(db)), tracer_(tracer), table_(std::move(quotedTable)), columns_(std::move(columns)),
      fields_(std::move(fields)), rowid_(std::move(rowidName)) {}

namespace {
std::string quoteId(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

[[noreturn]] void changedByOthers() {
    throw recordChangedError();
}
}  // namespace

Row RowWriter::readBack(std::int64_t rowid, bool keepKey) {
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < columns_.size(); ++i) sql += (i ? ", " : "") + quoteId(columns_[i]);
    sql += " FROM " + table_ + " WHERE " + rowid_ + " = ?";
    auto st = prepareTraced(db_, tracer_, sql);
    sqlite3_bind_int64(st->handle, 1, rowid);
    Row r;
    if (!stepChecked(*st, tracer_)) changedByOthers();
    for (std::size_t i = 0; i < columns_.size(); ++i) r.values.push_back(readColumn(st->handle, int(i), fields_[i]));
    if (keepKey) r.key = Value(rowid);
    return r;
}

std::int64_t RowWriter::rowidOf(const Row& row) {
    if (!matchByValues) {
        if (row.key.isNull()) changedByOthers();
        return row.key.asInteger();
    }
    std::string sql = "SELECT " + rowid_ + " FROM " + table_ + " WHERE ";
    std::vector<Value> args;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        sql += (i ? " AND " : "") + quoteId(columns_[i]) + " IS ?";
        args.push_back(row.values[i]);
    }
    sql += " LIMIT 1";
    auto st = prepareTraced(db_, tracer_, sql);
    for (std::size_t i = 0; i < args.size(); ++i) bindValue(st->handle, int(i + 1), args[i], fields_[i].type);
    if (!stepChecked(*st, tracer_)) changedByOthers();
    return sqlite3_column_int64(st->handle, 0);
}

Row RowWriter::insert(const std::vector<Value>& values) {
    // Null values are left out so that column defaults apply.
    std::string cols, marks;
    std::vector<Value> args;
    for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
        if (values[i].isNull()) continue;
        cols += (args.empty() ? "" : ", ") + quoteId(columns_[i]);
        marks += args.empty() ? "?" : ", ?";
        args.push_back(values[i]);
    }
    std::string sql = "INSERT INTO " + table_ +
                      (args.empty() ? std::string(" DEFAULT VALUES") : " (" + cols + ") VALUES (" + marks + ")");
    execTraced(db_, tracer_, sql, args);
    return readBack(sqlite3_last_insert_rowid(db_->handle), !matchByValues);
}

Row RowWriter::update(const Row& old, const std::vector<Value>& values) {
    std::int64_t rowid = rowidOf(old);
    std::string sets;
    std::vector<Value> args;
    for (std::size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
        if (i < old.values.size() && values[i] == old.values[i]) continue;
        sets += (args.empty() ? "" : ", ") + quoteId(columns_[i]) + " = ?";
        args.push_back(values[i]);
    }
    if (args.empty()) return old;
    args.push_back(Value(rowid));
    std::string sql = "UPDATE " + table_ + " SET " + sets + " WHERE " + rowid_ + " = ?";
    if (execTraced(db_, tracer_, sql, args) != 1) changedByOthers();
    // The rowid itself changes with the table's INTEGER PRIMARY KEY column.
    std::int64_t newRowid = rowid;
    if (rowidColumn >= 0 && std::size_t(rowidColumn) < values.size() && !matchByValues &&
        !(values[std::size_t(rowidColumn)] == old.values[std::size_t(rowidColumn)]) &&
        !values[std::size_t(rowidColumn)].isNull())
        newRowid = values[std::size_t(rowidColumn)].asInteger();
    return readBack(newRowid, !matchByValues);
}

void RowWriter::remove(const Row& row) {
    std::int64_t rowid = rowidOf(row);
    if (execTraced(db_, tracer_, "DELETE FROM " + table_ + " WHERE " + rowid_ + " = ?", {Value(rowid)}) != 1)
        changedByOthers();
}

// ---------------------------------------------------------------------------------------------

ResultCursor::ResultCursor(StmtPtr st, Tracer& tracer, bool rowPending)
    : st_(std::move(st)), tracer_(tracer), generation_(st_->generation), pending_(rowPending),
      done_(!rowPending) {
    int n = sqlite3_column_count(st_->handle);
    for (int i = 0; i < n; ++i) {
        const char* decl = sqlite3_column_decltype(st_->handle, i);
        FieldDef f = fieldFromDeclared(sqlite3_column_name(st_->handle, i), decl ? decl : "");
        refineFromStorage(f, pending_ ? sqlite3_column_type(st_->handle, i) : SQLITE_TEXT);
        fields_.push_back(std::move(f));
    }
    if (done_) sqlite3_reset(st_->handle);
}

bool ResultCursor::fetch(std::size_t maxRows, std::vector<Row>& out) {
    if (st_->generation != generation_) done_ = true;
    std::size_t got = 0;
    while (!done_ && got < maxRows) {
        if (!pending_) {
            if (!stepChecked(*st_, tracer_)) {
                done_ = true;
                sqlite3_reset(st_->handle);   // releases the read lock at once
                break;
            }
        }
        pending_ = false;
        Row r;
        r.values.reserve(fields_.size());
        for (std::size_t i = 0; i < fields_.size(); ++i) r.values.push_back(readColumn(st_->handle, int(i), fields_[i]));
        out.push_back(std::move(r));
        ++got;
        ++pos_;
    }
    if (!done_ && !pending_) {
        // Look one row ahead so that the caller learns of the end with the last block.
        if (stepChecked(*st_, tracer_))
            pending_ = true;
        else {
            done_ = true;
            sqlite3_reset(st_->handle);
        }
    }
    return !done_;
}

bool ResultCursor::seek(std::int64_t index) {
    index = std::max<std::int64_t>(index, 0);
    if (index == pos_ && st_->generation == generation_) return true;
    // Running a statement again must change nothing, and nobody else may have run it since.
    if (st_->generation != generation_ || !sqlite3_stmt_readonly(st_->handle)) return false;
    if (index < pos_ || done_) {
        sqlite3_reset(st_->handle);   // the bound values stay
        if (tracer_.wants(TraceExecute)) tracer_.trace(TraceExecute, "SQL Execute: SQLITE - " + st_->sql);
        pos_ = 0;
        pending_ = done_ = false;
    }
    while (pos_ < index) {
        if (!pending_ && !stepChecked(*st_, tracer_)) {
            done_ = true;
            sqlite3_reset(st_->handle);
            break;
        }
        pending_ = false;
        ++pos_;
    }
    return true;
}

namespace {
[[noreturn]] void readOnly() {
    throw EngineError(ErrorCategory::Usage, errc::ReadOnly, {"Cannot modify a read-only dataset."});
}
}  // namespace

Row ResultCursor::insertRow(const std::vector<Value>& values) {
    if (!writer_) readOnly();
    return writer_->insert(values);
}
Row ResultCursor::updateRow(const Row& old, const std::vector<Value>& values) {
    if (!writer_) readOnly();
    return writer_->update(old, values);
}
void ResultCursor::deleteRow(const Row& row) {
    if (!writer_) readOnly();
    writer_->remove(row);
}

// ---------------------------------------------------------------------------------------------

TableCursor::TableCursor(DbPtr db, Tracer& tracer, std::string quotedTable, std::vector<FieldDef> fields,
                         std::string rowidName, std::string orderBy, int rowidColumn)
    : db_(std::move(db)), tracer_(tracer), table_(std::move(quotedTable)), fields_(std::move(fields)),
      hasRowid_(!rowidName.empty()) {
    std::string sql = "SELECT ";
    sql += hasRowid_ ? rowidName : std::string("NULL");
    std::vector<std::string> names;
    for (const auto& f : fields_) {
        sql += ", " + quoteId(f.name);
        names.push_back(f.name);
    }
    sql += " FROM " + table_;
    if (!orderBy.empty())
        sql += " ORDER BY " + orderBy;
    else if (hasRowid_)
        sql += " ORDER BY " + rowidName;
    sql += " LIMIT -1 OFFSET ?";
    st_ = prepareTraced(db_, tracer_, sql);
    if (hasRowid_)
    {
        writer_ = std::make_unique<RowWriter>(db_, tracer_, table_, names, fields_, rowidName);
        writer_->rowidColumn = rowidColumn;
    }
    seek(0);
}

bool TableCursor::seek(std::int64_t index) {
    sqlite3_reset(st_->handle);
    sqlite3_bind_int64(st_->handle, 1, index < 0 ? 0 : index);
    if (tracer_.wants(TraceExecute)) tracer_.trace(TraceExecute, "SQL Execute: SQLITE - " + st_->sql);
    done_ = false;
    return true;
}

bool TableCursor::fetch(std::size_t maxRows, std::vector<Row>& out) {
    std::size_t got = 0;
    while (!done_ && got < maxRows) {
        if (!stepChecked(*st_, tracer_)) {
            done_ = true;
            sqlite3_reset(st_->handle);
            break;
        }
        Row r;
        if (hasRowid_) r.key = Value(std::int64_t(sqlite3_column_int64(st_->handle, 0)));
        r.values.reserve(fields_.size());
        for (std::size_t i = 0; i < fields_.size(); ++i)
            r.values.push_back(readColumn(st_->handle, int(i + 1), fields_[i]));
        out.push_back(std::move(r));
        ++got;
    }
    return !done_;
}

std::int64_t TableCursor::rowCount() {
    auto st = prepareTraced(db_, tracer_, "SELECT count(*) FROM " + table_);
    stepChecked(*st, tracer_);
    return sqlite3_column_int64(st->handle, 0);
}

Row TableCursor::insertRow(const std::vector<Value>& values) {
    if (!writer_) readOnly();
    return writer_->insert(values);
}
Row TableCursor::updateRow(const Row& old, const std::vector<Value>& values) {
    if (!writer_) readOnly();
    return writer_->update(old, values);
}
void TableCursor::deleteRow(const Row& row) {
    if (!writer_) readOnly();
    writer_->remove(row);
}

}  // namespace vlm::engine::sqlite

namespace vlm::engine::sqlite {

std::string rowidAlias(const DbPtr& db, const std::string& quotedTable, const std::vector<std::string>& columns) {
    auto used = [&](const char* n) {
        for (const auto& c : columns)
            if (sqlite3_stricmp(c.c_str(), n) == 0) return true;
        return false;
    };
    for (const char* n : {"rowid", "_rowid_", "oid"}) {
        if (used(n)) continue;
        std::string sql = std::string("SELECT ") + n + " FROM " + quotedTable + " LIMIT 0";
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db->handle, sql.c_str(), -1, &st, nullptr);
        // Views answer with a null "rowid" column of no declared origin: not addressable.
        bool ok = rc == SQLITE_OK && sqlite3_column_table_name(st, 0) != nullptr;
        sqlite3_finalize(st);
        return ok ? n : "";
    }
    return "";
}

}  // namespace vlm::engine::sqlite
