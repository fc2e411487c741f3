// SQLite virtual table modules over TableFile ("vlm_file") and over foreign cursors
// ("vlm_foreign"), and the statements and cursors of the local SQL.
#include "engine/drivers/local/pathutil.h"
#include "localsql.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "engine/drivers/local/tablefile.h"
#include "engine/error.h"
#include "engine/running.h"
#include "engine/typemap.h"
#include "localddl.h"
#include "localdriver.h"

namespace vlm::engine::local {

struct LocalSql::Db {
    sqlite3* h = nullptr;   // owned; closed last, after every statement of its cursors
    DirConnection* conn = nullptr;
    std::set<std::string> tables;   // upper-case names of the virtual tables made
    std::shared_ptr<ForeignTableResolver>* resolver = nullptr;   // the connection's slot
    // Steps running on h; a cancel interrupts them, and the table scans below stop on it too.
    RunningCalls calls;
    ~Db() {
        if (h) sqlite3_close_v2(h);
    }
};

namespace {

std::string quoteId(const std::string& s) {
    std::string o = "\"";
    for (char c : s) o += c == '"' ? std::string("\"\"") : std::string(1, c);
    return o + "\"";
}
std::string quoteLit(const std::string& s) {
    std::string o = "'";
    for (char c : s) o += c == '\'' ? std::string("''") : std::string(1, c);
    return o + "'";
}
std::string unquote(const char* a) {
    std::string s = a;
    if (s.size() >= 2 && (s[0] == '\'' || s[0] == '"')) {
        char q = s[0];
        std::string o;
        for (std::size_t i = 1; i + 1 < s.size(); ++i) {
            if (s[i] == q && s[i + 1] == q) ++i;
            o += s[i];
        }
        return o;
    }
    return s;
}

[[noreturn]] void sqlError(sqlite3* h, const std::string& what) {
    if (sqlite3_errcode(h) == SQLITE_INTERRUPT)
        throw EngineError(ErrorCategory::Cancelled, errc::CancelledBase, {"Cancelled by the user", sqlite3_errmsg(h)});
    throw EngineError(ErrorCategory::Sql, errc::SqlBase, {what + sqlite3_errmsg(h)}, sqlite3_extended_errcode(h));
}

std::string declType(const FieldDef& f) {
    switch (f.logicalType) {
    case logical::ZSTRING: return "CHAR(" + std::to_string(f.size) + ")";
    case logical::INT16: return "SMALLINT";
    case logical::INT32: case logical::UINT16: case logical::UINT32: return f.subType == subtype::AUTOINC ? "AUTOINC" : "INTEGER";
    case logical::INT64: case logical::UINT64: return "BIGINT";
    case logical::FLOAT: case logical::FLOATIEEE:
        if (f.subType == subtype::MONEY) return "MONEY";
        return f.size ? "NUMERIC(" + std::to_string(f.size) + "," + std::to_string(f.scale) + ")" : "FLOAT";
    case logical::BCD: return "DECIMAL(" + std::to_string(f.size) + "," + std::to_string(f.scale) + ")";
    case logical::DATE: return "DATE";
    case logical::TIME: return "TIME";
    case logical::TIMESTAMP: return "TIMESTAMP";
    case logical::BOOL: return "BOOLEAN";
    case logical::BLOB:
        if (f.subType == subtype::MEMO) return "MEMO";
        if (f.subType == subtype::FMTMEMO) return "FMTMEMO";
        return "BLOB(" + std::to_string(f.subType) + ")";
    case logical::BYTES: case logical::VARBYTES: return "BYTES(" + std::to_string(f.size) + ")";
    default: return "BLOB";
    }
}

FieldDef fieldFromDecl(const std::string& name, const char* decl, int sqliteType) {
    FieldDef f;
    f.name = name;
    std::string d = decl ? upper(decl) : "";
    int a = 0, b = 0;
    auto sizes = [&] { std::sscanf(d.c_str() + std::min(d.find('('), d.size()), "(%d,%d", &a, &b); };
    if (d.rfind("CHAR", 0) == 0) sizes(), f.logicalType = logical::ZSTRING, f.size = a;
    else if (d == "SMALLINT") f.logicalType = logical::INT16;
    else if (d == "INTEGER") f.logicalType = logical::INT32;
    else if (d == "AUTOINC") f.logicalType = logical::INT32, f.subType = subtype::AUTOINC;
    else if (d == "BIGINT") f.logicalType = logical::INT64;
    else if (d.rfind("NUMERIC", 0) == 0) sizes(), f.logicalType = logical::FLOAT, f.size = a, f.scale = b;
    else if (d == "FLOAT") f.logicalType = logical::FLOAT;
    else if (d == "MONEY") f.logicalType = logical::FLOAT, f.subType = subtype::MONEY;
    else if (d.rfind("DECIMAL", 0) == 0) sizes(), f.logicalType = logical::BCD, f.size = a, f.scale = b;
    else if (d == "DATE") f.logicalType = logical::DATE;
    else if (d == "TIME") f.logicalType = logical::TIME;
    else if (d == "TIMESTAMP") f.logicalType = logical::TIMESTAMP;
    else if (d == "BOOLEAN") f.logicalType = logical::BOOL;
    else if (d == "MEMO") f.logicalType = logical::BLOB, f.subType = subtype::MEMO;
    else if (d == "FMTMEMO") f.logicalType = logical::BLOB, f.subType = subtype::FMTMEMO;
    else if (d.rfind("BLOB(", 0) == 0) std::sscanf(d.c_str(), "BLOB(%d", &a), f.logicalType = logical::BLOB, f.subType = a;
    else if (d.rfind("BYTES", 0) == 0) sizes(), f.logicalType = logical::BYTES, f.size = a;
    else {
        switch (sqliteType) {
        case SQLITE_INTEGER: f.logicalType = logical::INT32; break;
        case SQLITE_FLOAT: f.logicalType = logical::FLOAT; break;
        case SQLITE_BLOB: f.logicalType = logical::BLOB; break;
        default: f.logicalType = logical::ZSTRING; f.size = 255; break;
        }
    }
    f.type = fieldTypeFor(f.logicalType, f.subType);
    return f;
}

std::string dateText(const Date& d) {
    char b[16];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", d.year, d.month, d.day);
    return b;
}

void resultValue(sqlite3_context* ctx, const Value& v) {
    struct Vis {
        sqlite3_context* c;
        void operator()(std::monostate) const { sqlite3_result_null(c); }
        void operator()(bool b) const { sqlite3_result_int(c, b ? 1 : 0); }
        void operator()(std::int64_t i) const { sqlite3_result_int64(c, i); }
        void operator()(double d) const { sqlite3_result_double(c, d); }
        void operator()(const std::string& s) const { sqlite3_result_text(c, s.data(), int(s.size()), SQLITE_TRANSIENT); }
        void operator()(const Bytes& b) const { sqlite3_result_blob(c, b.data(), int(b.size()), SQLITE_TRANSIENT); }
        void operator()(const Date& d) const {
            std::string s = dateText(d);
            sqlite3_result_text(c, s.data(), int(s.size()), SQLITE_TRANSIENT);
        }
        void operator()(const Time&) const {}
        void operator()(const DateTime&) const {}
        void operator()(const Decimal& d) const { sqlite3_result_double(c, std::strtod(d.text.c_str(), nullptr)); }
    };
    if (v.is<Time>() || v.is<DateTime>()) {
        std::string s = v.asText();
        sqlite3_result_text(ctx, s.data(), int(s.size()), SQLITE_TRANSIENT);
        return;
    }
    std::visit(Vis{ctx}, v.storage());
}

// A Value from SQLite for a field of the given definition (dates arrive as text).
Value valueFor(sqlite3_value* v, const FieldDef* f) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: {
        std::int64_t i = sqlite3_value_int64(v);
        if (f && f->logicalType == logical::BOOL) return i != 0;
        if (f && (f->logicalType == logical::FLOAT || f->logicalType == logical::BCD)) return double(i);
        return i;
    }
    case SQLITE_FLOAT: return sqlite3_value_double(v);
    case SQLITE_BLOB: {
        auto p = static_cast<const std::uint8_t*>(sqlite3_value_blob(v));
        return Bytes(p, p + sqlite3_value_bytes(v));
    }
    default: {
        std::string s(reinterpret_cast<const char*>(sqlite3_value_text(v)), std::size_t(sqlite3_value_bytes(v)));
        if (f && f->logicalType == logical::BOOL) {
            std::string u = upper(s);
            if (u == "T" || u == "TRUE" || u == "Y" || u == "1") return true;
            if (u == "F" || u == "FALSE" || u == "N" || u == "0") return false;
        }
        if (f && f->logicalType == logical::DATE) {
            Date d;
            if (std::sscanf(s.c_str(), "%d-%d-%d", &d.year, &d.month, &d.day) == 3) return d;
        }
        if (f && f->logicalType == logical::TIMESTAMP) {
            DateTime t;
            int n = std::sscanf(s.c_str(), "%d-%d-%d%*[ T]%d:%d:%d.%d", &t.date.year, &t.date.month, &t.date.day,
                                &t.time.hour, &t.time.minute, &t.time.second, &t.time.msec);
            if (n >= 3) return t;
        }
        return s;
    }
    }
}

// ---- virtual table over a table file ----------------------------------------------------

struct FileVtab {
    sqlite3_vtab base{};
    LocalSql::Db* db = nullptr;
    std::string path;
    std::vector<FieldDef> fields;
    std::unique_ptr<TableFile> writer;   // open while a statement changes the table
    // Tables without soft delete (Paradox) move records when one is removed or its key changes,
    // while SQLite keeps the record numbers it read at the start of the statement: where each
    // of those records is now, filled on the first move of a statement.
    std::vector<std::int64_t> moved;
};

// The current record number of the record the statement knew as rowid.
std::int64_t currentRecord(FileVtab* vt, std::int64_t rowid) {
    if (vt->moved.empty() || rowid < 0 || rowid >= std::int64_t(vt->moved.size())) return rowid;
    return vt->moved[std::size_t(rowid)];
}

// Notes that the record at from went to to (-1: removed; from -1: a new record at to).
void noteMove(FileVtab* vt, std::int64_t count, std::int64_t rowid, std::int64_t from, std::int64_t to) {
    if (from == to) return;
    if (vt->moved.empty()) {
        vt->moved.resize(std::size_t(count));
        for (std::int64_t i = 0; i < count; ++i) vt->moved[std::size_t(i)] = i;
    }
    for (auto& p : vt->moved) {
        if (p < 0) continue;
        if (from >= 0 && p > from) --p;
        if (to >= 0 && p >= to) ++p;
    }
    if (rowid >= 0 && rowid < std::int64_t(vt->moved.size())) vt->moved[std::size_t(rowid)] = to;
}

struct FileCursor {
    sqlite3_vtab_cursor base{};
    std::unique_ptr<TableFile> table;
    std::int64_t rec = 0, count = 0;
    bool soft = false;
    bool single = false;
};

void setError(sqlite3_vtab* vt, const std::string& msg) {
    sqlite3_free(vt->zErrMsg);
    vt->zErrMsg = sqlite3_mprintf("%s", msg.c_str());
}

// Runs the body of a virtual-table callback: an engine error becomes the table's SQLite error.
template <class F>
int guarded(sqlite3_vtab* vt, F&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        setError(vt, e.what());
        return SQLITE_ERROR;
    }
}

TableFile& writerOf(FileVtab* vt) {
    if (!vt->writer) {
        TableFormat* f = formats().forPath(vt->path);
        if (!f) throw EngineError(ErrorCategory::File, errc::FileBase, {"Unknown table type of " + vt->path});
        vt->writer = f->open(vt->db->conn->fileSystem(), vt->path, vt->db->conn->fileOptions(vt->path, false, false));
    }
    return *vt->writer;
}

int fileConnect(sqlite3* h, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err) {
    auto* db = static_cast<LocalSql::Db*>(aux);
    if (argc < 4) {
        *err = sqlite3_mprintf("vlm_file needs a file path");
        return SQLITE_ERROR;
    }
    auto vt = std::make_unique<FileVtab>();
    vt->db = db;
    vt->path = unquote(argv[3]);
    try {
        TableFormat* f = formats().forPath(vt->path);
        if (!f) throw EngineError(ErrorCategory::File, errc::FileBase, {"Unknown table type of " + vt->path});
        vt->fields = f->open(db->conn->fileSystem(), vt->path, db->conn->fileOptions(vt->path, false, true))->fields();
    } catch (const std::exception& e) {
        *err = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
    std::string schema = "CREATE TABLE x(";
    for (std::size_t i = 0; i < vt->fields.size(); ++i)
        schema += (i ? ", " : "") + quoteId(vt->fields[i].name) + " " + declType(vt->fields[i]);
    schema += ")";
    int rc = sqlite3_declare_vtab(h, schema.c_str());
    if (rc != SQLITE_OK) return rc;
    *out = &vt.release()->base;
    return SQLITE_OK;
}

int fileDisconnect(sqlite3_vtab* v) {
    delete reinterpret_cast<FileVtab*>(v);
    return SQLITE_OK;
}

int fileBestIndex(sqlite3_vtab* v, sqlite3_index_info* info) {
    auto* vt = reinterpret_cast<FileVtab*>(v);
    (void)vt;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.usable && c.iColumn == -1 && c.op == SQLITE_INDEX_CONSTRAINT_EQ) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->idxNum = 1;
            info->estimatedCost = 1;
            info->estimatedRows = 1;
            info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
            return SQLITE_OK;
        }
    }
    info->idxNum = 0;
    info->estimatedCost = 1e6;
    return SQLITE_OK;
}

int fileOpen(sqlite3_vtab* v, sqlite3_vtab_cursor** out) {
    auto* vt = reinterpret_cast<FileVtab*>(v);
    auto c = std::make_unique<FileCursor>();
    try {
        c->table = formats().forPath(vt->path)->open(vt->db->conn->fileSystem(), vt->path,
                                                      vt->db->conn->fileOptions(vt->path, false, true));
    } catch (const std::exception& e) {
        setError(v, e.what());
        return SQLITE_ERROR;
    }
    c->soft = c->table->supportsSoftDelete();
    *out = &c.release()->base;
    return SQLITE_OK;
}

int fileClose(sqlite3_vtab_cursor* c) {
    delete reinterpret_cast<FileCursor*>(c);
    return SQLITE_OK;
}

// A run of deleted records may be long: a cancel stops it (the statement then fails as cancelled).
int skipDeleted(FileCursor* c, LocalSql::Db* db) {
    while (c->rec < c->count && c->soft && c->table->isDeleted(c->rec)) {
        if (db->calls.cancelled()) return SQLITE_INTERRUPT;
        ++c->rec;
    }
    return SQLITE_OK;
}

int fileFilter(sqlite3_vtab_cursor* cur, int idxNum, const char*, int argc, sqlite3_value** argv) {
    auto* c = reinterpret_cast<FileCursor*>(cur);
    return guarded(cur->pVtab, [&] {
        c->count = c->table->recordCount();
        c->single = false;
        if (idxNum == 1 && argc == 1) {
            std::int64_t r = sqlite3_value_int64(argv[0]);
            c->single = true;
            if (r < 0 || r >= c->count) c->rec = c->count;
            else c->rec = r, c->count = r + 1;
        } else {
            c->rec = 0;
        }
        return skipDeleted(c, reinterpret_cast<FileVtab*>(cur->pVtab)->db);
    });
}

int fileNext(sqlite3_vtab_cursor* cur) {
    auto* c = reinterpret_cast<FileCursor*>(cur);
    ++c->rec;
    return guarded(cur->pVtab, [&] {
        return skipDeleted(c, reinterpret_cast<FileVtab*>(cur->pVtab)->db);
    });
}

int fileEof(sqlite3_vtab_cursor* cur) {
    auto* c = reinterpret_cast<FileCursor*>(cur);
    return c->rec >= c->count;
}

int fileColumn(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int col) {
    auto* c = reinterpret_cast<FileCursor*>(cur);
    return guarded(cur->pVtab, [&] {
        resultValue(ctx, c->table->readField(c->rec, col));
        return SQLITE_OK;
    });
}

int fileRowid(sqlite3_vtab_cursor* cur, sqlite3_int64* id) {
    *id = reinterpret_cast<FileCursor*>(cur)->rec;
    return SQLITE_OK;
}

int fileUpdate(sqlite3_vtab* v, int argc, sqlite3_value** argv, sqlite3_int64* rowid) {
    auto* vt = reinterpret_cast<FileVtab*>(v);
    return guarded(v, [&] {
        TableFile& t = writerOf(vt);
        bool shifts = !t.supportsSoftDelete();
        if (argc == 1) {
            std::int64_t rowid = sqlite3_value_int64(argv[0]);
            std::int64_t count = t.recordCount();
            std::int64_t at = currentRecord(vt, rowid);
            t.deleteRecord(at);
            if (shifts) noteMove(vt, count, rowid, at, -1);
            return SQLITE_OK;
        }
        std::vector<Value> vals;
        for (std::size_t i = 0; i < vt->fields.size(); ++i) vals.push_back(valueFor(argv[2 + i], &vt->fields[i]));
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            std::int64_t count = t.recordCount();
            *rowid = t.appendRecord(vals);
            if (shifts && *rowid != count) noteMove(vt, count, -1, -1, *rowid);
        } else {
            std::int64_t oldId = sqlite3_value_int64(argv[0]), newId = sqlite3_value_int64(argv[1]);
            if (oldId != newId) {
                setError(v, "The record number of a local table cannot be changed");
                return SQLITE_CONSTRAINT;
            }
            std::int64_t count = t.recordCount();
            std::int64_t at = currentRecord(vt, oldId);
            std::int64_t now = t.updateRecord(at, vals);
            if (shifts) noteMove(vt, count, oldId, at, now);
        }
        return SQLITE_OK;
    });
}

int fileBegin(sqlite3_vtab* v) {
    reinterpret_cast<FileVtab*>(v)->moved.clear();
    return SQLITE_OK;
}
int fileSync(sqlite3_vtab* v) {
    auto* vt = reinterpret_cast<FileVtab*>(v);
    return guarded(v, [&] {
        if (vt->writer) vt->writer->flush();
        return SQLITE_OK;
    });
}
int fileCommit(sqlite3_vtab* v) {
    auto* vt = reinterpret_cast<FileVtab*>(v);
    try {
        vt->moved.clear();
        vt->writer.reset();   // flushes and rebuilds the indexes
    } catch (...) {
    }
    return SQLITE_OK;
}

sqlite3_module fileModule() {
    sqlite3_module m{};
    m.iVersion = 1;
    m.xCreate = fileConnect;
    m.xConnect = fileConnect;
    m.xBestIndex = fileBestIndex;
    m.xDisconnect = fileDisconnect;
    m.xDestroy = fileDisconnect;
    m.xOpen = fileOpen;
    m.xClose = fileClose;
    m.xFilter = fileFilter;
    m.xNext = fileNext;
    m.xEof = fileEof;
    m.xColumn = fileColumn;
    m.xRowid = fileRowid;
    m.xUpdate = fileUpdate;
    m.xBegin = fileBegin;
    m.xSync = fileSync;
    m.xCommit = fileCommit;
    m.xRollback = fileCommit;
    return m;
}

// ---- virtual table over a foreign database's table -------------------------------------

struct ForeignVtab {
    sqlite3_vtab base{};
    LocalSql::Db* db = nullptr;
    std::string alias, table;
    std::vector<FieldDef> fields;
};

struct ForeignCursor {
    sqlite3_vtab_cursor base{};
    std::unique_ptr<Cursor> cur;
    std::vector<Row> rows;
    std::size_t at = 0;
    std::int64_t rowid = 0;
    bool more = true;
};

std::shared_ptr<ForeignTableResolver> resolverOf(LocalSql::Db* db) { return db->resolver ? *db->resolver : nullptr; }

int foreignConnect(sqlite3* h, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err) {
    auto* db = static_cast<LocalSql::Db*>(aux);
    if (argc < 5) {
        *err = sqlite3_mprintf("vlm_foreign needs an alias and a table");
        return SQLITE_ERROR;
    }
    auto vt = std::make_unique<ForeignVtab>();
    vt->db = db;
    vt->alias = unquote(argv[3]);
    vt->table = unquote(argv[4]);
    try {
        auto r = resolverOf(db);
        if (!r) throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"No engine session resolves :" + vt->alias + ":" + vt->table});
        vt->fields = r->open(vt->alias, vt->table)->fields();
    } catch (const std::exception& e) {
        *err = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
    std::string schema = "CREATE TABLE x(";
    for (std::size_t i = 0; i < vt->fields.size(); ++i)
        schema += (i ? ", " : "") + quoteId(vt->fields[i].name) + " " + declType(vt->fields[i]);
    schema += ")";
    int rc = sqlite3_declare_vtab(h, schema.c_str());
    if (rc != SQLITE_OK) return rc;
    *out = &vt.release()->base;
    return SQLITE_OK;
}

int foreignDisconnect(sqlite3_vtab* v) {
    delete reinterpret_cast<ForeignVtab*>(v);
    return SQLITE_OK;
}
int foreignBestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    info->estimatedCost = 1e6;
    return SQLITE_OK;
}
int foreignOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    *out = &(new ForeignCursor)->base;
    return SQLITE_OK;
}
int foreignClose(sqlite3_vtab_cursor* c) {
    delete reinterpret_cast<ForeignCursor*>(c);
    return SQLITE_OK;
}
int foreignFill(ForeignCursor* c, LocalSql::Db* db) {
    while (c->at >= c->rows.size() && c->more) {
        if (db->calls.cancelled()) return SQLITE_INTERRUPT;
        c->at = 0;
        c->more = c->cur->fetchInto(512, c->rows);
    }
    return SQLITE_OK;
}
int foreignFilter(sqlite3_vtab_cursor* cur, int, const char*, int, sqlite3_value**) {
    auto* c = reinterpret_cast<ForeignCursor*>(cur);
    auto* vt = reinterpret_cast<ForeignVtab*>(cur->pVtab);
    return guarded(cur->pVtab, [&] {
        c->cur = resolverOf(vt->db)->open(vt->alias, vt->table);
        c->rows.clear();
        c->at = 0;
        c->more = true;
        c->rowid = 0;
        return foreignFill(c, reinterpret_cast<ForeignVtab*>(cur->pVtab)->db);
    });
}
int foreignNext(sqlite3_vtab_cursor* cur) {
    auto* c = reinterpret_cast<ForeignCursor*>(cur);
    ++c->at;
    ++c->rowid;
    return guarded(cur->pVtab, [&] {
        return foreignFill(c, reinterpret_cast<ForeignVtab*>(cur->pVtab)->db);
    });
}
int foreignEof(sqlite3_vtab_cursor* cur) {
    auto* c = reinterpret_cast<ForeignCursor*>(cur);
    return c->at >= c->rows.size();
}
int foreignColumn(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int col) {
    auto* c = reinterpret_cast<ForeignCursor*>(cur);
    resultValue(ctx, c->rows[c->at].values.at(std::size_t(col)));
    return SQLITE_OK;
}
int foreignRowid(sqlite3_vtab_cursor* cur, sqlite3_int64* id) {
    *id = reinterpret_cast<ForeignCursor*>(cur)->rowid;
    return SQLITE_OK;
}

sqlite3_module foreignModule() {
    sqlite3_module m{};
    m.xCreate = foreignConnect;
    m.xConnect = foreignConnect;
    m.xBestIndex = foreignBestIndex;
    m.xDisconnect = foreignDisconnect;
    m.xDestroy = foreignDisconnect;
    m.xOpen = foreignOpen;
    m.xClose = foreignClose;
    m.xFilter = foreignFilter;
    m.xNext = foreignNext;
    m.xEof = foreignEof;
    m.xColumn = foreignColumn;
    m.xRowid = foreignRowid;
    return m;
}

const sqlite3_module kFileModule = fileModule();
const sqlite3_module kForeignModule = foreignModule();


// ---- statements ---------------------------------------------------------------------------

class SqlCursor : public Cursor {
public:
    SqlCursor(std::shared_ptr<LocalSql::Db> db, sqlite3_stmt* st, int firstRc) : db_(std::move(db)), st_(st), rc_(firstRc) {
        int n = sqlite3_column_count(st_);
        for (int i = 0; i < n; ++i)
            fields_.push_back(fieldFromDecl(sqlite3_column_name(st_, i), sqlite3_column_decltype(st_, i),
                                            rc_ == SQLITE_ROW ? sqlite3_column_type(st_, i) : SQLITE_TEXT));
    }
    ~SqlCursor() override { sqlite3_finalize(st_); }
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override {
        for (std::size_t k = 0; k < maxRows && rc_ == SQLITE_ROW; ++k) {
            Row r;
            for (int i = 0; i < int(fields_.size()); ++i)
                r.values.push_back(valueFor(sqlite3_column_value(st_, i), &fields_[std::size_t(i)]));
            r.key = Value(std::int64_t(n_++));
            out.push_back(std::move(r));
            RunningCalls::Scope running(db_->calls, db_->h);
            rc_ = sqlite3_step(st_);
        }
        if (rc_ != SQLITE_ROW && rc_ != SQLITE_DONE) sqlError(db_->h, "");
        return rc_ == SQLITE_ROW;
    }

private:
    std::shared_ptr<LocalSql::Db> db_;
    sqlite3_stmt* st_;
    int rc_;
    std::int64_t n_ = 0;
    std::vector<FieldDef> fields_;
};

class SqlStatement : public Statement {
public:
    SqlStatement(std::shared_ptr<LocalSql::Db> db, std::string sql) : db_(std::move(db)), sql_(std::move(sql)) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_->h, sql_.c_str(), -1, &st, nullptr) != SQLITE_OK) sqlError(db_->h, "");
        params_ = std::size_t(sqlite3_bind_parameter_count(st));
        sqlite3_finalize(st);
    }
    void bind(std::size_t index, const Value& value, FieldType) override {
        if (binds_.size() <= index) binds_.resize(index + 1);
        binds_[index] = value;
    }
    std::unique_ptr<Cursor> execute() override {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_->h, sql_.c_str(), -1, &st, nullptr) != SQLITE_OK) sqlError(db_->h, "");
        for (std::size_t i = 0; i < binds_.size(); ++i) bindOne(st, int(i + 1), binds_[i]);
        RunningCalls::Scope running(db_->calls, db_->h);
        int rc = sqlite3_step(st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            sqlite3_finalize(st);
            sqlError(db_->h, "");
        }
        if (sqlite3_column_count(st) == 0) {
            while (rc == SQLITE_ROW) rc = sqlite3_step(st);
            if (rc != SQLITE_DONE) {   // a failure after the first row is no success either
                sqlite3_finalize(st);
                sqlError(db_->h, "");
            }
            affected_ = sqlite3_changes(db_->h);
            sqlite3_finalize(st);
            return nullptr;
        }
        affected_ = 0;
        return std::make_unique<SqlCursor>(db_, st, rc);
    }
    std::int64_t rowsAffected() const override { return affected_; }

private:
    static void bindOne(sqlite3_stmt* st, int i, const Value& v) {
        if (v.isNull()) sqlite3_bind_null(st, i);
        else if (v.is<bool>()) sqlite3_bind_int(st, i, v.get<bool>());
        else if (v.is<std::int64_t>()) sqlite3_bind_int64(st, i, v.get<std::int64_t>());
        else if (v.is<double>()) sqlite3_bind_double(st, i, v.get<double>());
        else if (v.is<Bytes>()) sqlite3_bind_blob(st, i, v.get<Bytes>().data(), int(v.get<Bytes>().size()), SQLITE_TRANSIENT);
        else {
            std::string s = v.is<Date>() ? dateText(v.get<Date>()) : v.asText();
            sqlite3_bind_text(st, i, s.data(), int(s.size()), SQLITE_TRANSIENT);
        }
    }
    std::shared_ptr<LocalSql::Db> db_;
    std::string sql_;
    std::size_t params_ = 0;
    std::vector<Value> binds_;
    std::int64_t affected_ = 0;
};

class DdlRun : public Statement {
public:
    DdlRun(DirConnection& c, DdlStatement d) : c_(c), d_(std::move(d)) {}
    void bind(std::size_t, const Value&, FieldType) override {}
    std::unique_ptr<Cursor> execute() override {
        switch (d_.kind) {
        case DdlStatement::CreateTable: c_.createTable(d_.table, d_.fields, d_.indexes); break;
        case DdlStatement::CreateIndex: c_.createIndex(d_.table, d_.indexes.front()); break;
        case DdlStatement::DropIndex: c_.dropIndex(d_.table, d_.index); break;
        case DdlStatement::AlterTable: c_.alterTable(d_.table, d_.fields, d_.dropColumns); break;
        case DdlStatement::DropTable: c_.dropTable(d_.table); break;
        }
        return nullptr;
    }
    std::int64_t rowsAffected() const override { return 0; }

private:
    DirConnection& c_;
    DdlStatement d_;
};

}  // namespace

namespace {

bool identStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == '$' || c >= 0x80; }
bool identChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80; }

// Calls f(text, isQuotedIdentifier, begin, end) for every identifier token outside literals
// and comments.
template <class F>
void scanIdentifiers(const std::string& s, F f) {
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\'') {
            std::size_t j = i + 1;
            while (j < s.size() && !(s[j] == '\'' && (j + 1 >= s.size() || s[j + 1] != '\''))) j += s[j] == '\'' ? 2 : 1;
            i = j + 1;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            auto e = s.find("*/", i + 2);
            i = e == std::string::npos ? s.size() : e + 2;
        } else if (c == '"') {
            std::string text;
            std::size_t j = i + 1;
            while (j < s.size()) {
                if (s[j] == '"') {
                    if (j + 1 < s.size() && s[j + 1] == '"') { text += '"'; j += 2; continue; }
                    break;
                }
                text += s[j++];
            }
            f(text, true, i, std::min(j + 1, s.size()));
            i = j + 1;
        } else if (identStart(c)) {
            std::size_t j = i;
            while (j < s.size() && identChar(static_cast<unsigned char>(s[j]))) ++j;
            f(s.substr(i, j - i), false, i, j);
            i = j;
        } else {
            ++i;
        }
    }
}

}  // namespace

LocalSql::LocalSql(DirConnection& conn) : conn_(conn), db_(std::make_shared<Db>()) {
    db_->conn = &conn;
    db_->resolver = &conn.resolver_;
    if (sqlite3_open_v2(":memory:", &db_->h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw EngineError(ErrorCategory::Connect, errc::ConnectBase, {"Cannot start the local SQL engine"});
    sqlite3_create_module(db_->h, "vlm_file", &kFileModule, db_.get());
    sqlite3_create_module(db_->h, "vlm_foreign", &kForeignModule, db_.get());
}

LocalSql::~LocalSql() {
    db_->conn = nullptr;
    db_->resolver = nullptr;
}

void LocalSql::invalidate() {
    for (const auto& t : db_->tables) {
        std::string sql = "DROP TABLE IF EXISTS temp." + quoteId(t);
        sqlite3_exec(db_->h, sql.c_str(), nullptr, nullptr, nullptr);
    }
    db_->tables.clear();
}

std::string LocalSql::quoteTableNames(const std::string& sql) const {
    std::string out;
    std::size_t last = 0;
    std::string prevWord;
    std::size_t prevBegin = 0, prevEnd = 0;
    bool prevBare = false;
    scanIdentifiers(sql, [&](const std::string& text, bool quoted, std::size_t b, std::size_t e) {
        // NAME . EXT with a table extension and nothing but the dot between them.
        if (!quoted && prevBare && prevEnd < b && sql.substr(prevEnd, b - prevEnd) == "." &&
            (prevBegin == 0 || sql[prevBegin - 1] != '.') && (e >= sql.size() || sql[e] != '.') &&
            formats().forExtension(text) && prevBegin >= last) {
            out += sql.substr(last, prevBegin - last);
            out += quoteId(prevWord + "." + text);
            last = e;
            prevBare = false;
            return;
        }
        prevWord = text;
        prevBegin = b;
        prevEnd = e;
        prevBare = !quoted;
    });
    out += sql.substr(last);
    return out;
}

void LocalSql::sync(const std::string& sql) {
    auto make = [&](const std::string& name, const std::string& module, const std::string& args) {
        std::string key = upper(name);
        if (db_->tables.count(key)) return;
        std::string stmt = "CREATE VIRTUAL TABLE temp." + quoteId(name) + " USING " + module + "(" + args + ")";
        if (sqlite3_exec(db_->h, stmt.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::string msg = sqlite3_errmsg(db_->h);
            throw EngineError(ErrorCategory::Sql, errc::SqlBase, {msg});
        }
        db_->tables.insert(key);
    };
    // Names the text refers to: listed tables, bare names, ":ALIAS:TABLE", quoted paths.
    std::set<std::string> wanted;
    scanIdentifiers(sql, [&](const std::string& text, bool, std::size_t, std::size_t) { wanted.insert(upper(text)); });
    if (!conn_.directory().empty()) {
        std::map<std::string, std::vector<std::string>> byBase;
        for (const auto& e : conn_.tables(false)) {
            std::string base = e.name.substr(0, e.name.size() - e.extension.size() - 1);
            byBase[upper(base)].push_back(e.fileName);
            if (wanted.count(upper(e.name))) make(e.name, "vlm_file", quoteLit(e.fileName));
        }
        for (const auto& [base, files] : byBase)
            if (files.size() == 1 && wanted.count(base)) make(base, "vlm_file", quoteLit(files.front()));
    }
    for (const auto& w : wanted) {
        if (db_->tables.count(w)) continue;
        if (w.size() > 2 && w[0] == ':') {
            auto second = w.find(':', 1);
            if (second == std::string::npos) continue;
            // Keep the spelling of the text for the foreign names.
            std::string orig;
            scanIdentifiers(sql, [&](const std::string& t, bool, std::size_t, std::size_t) { if (upper(t) == w) orig = t; });
            make(orig, "vlm_foreign", quoteLit(orig.substr(1, second - 1)) + ", " + quoteLit(orig.substr(second + 1)));
        } else if (w.find('/') != std::string::npos && formats().forPath(w)) {
            std::string orig;
            scanIdentifiers(sql, [&](const std::string& t, bool q, std::size_t, std::size_t) { if (q && upper(t) == w) orig = t; });
            if (!orig.empty() && conn_.fileSystem().exists(orig)) make(orig, "vlm_file", quoteLit(orig));
        }
    }
}

void LocalSql::cancelRunning() {
    db_->calls.cancel([](void* h) { sqlite3_interrupt(static_cast<sqlite3*>(h)); });
}

std::unique_ptr<Statement> LocalSql::prepare(const std::string& text) {
    std::string sql = quoteTableNames(text);
    if (auto ddl = parseLocalDdl(sql)) {
        invalidate();
        return std::make_unique<DdlRun>(conn_, std::move(*ddl));
    }
    // A statement may run while the directory changes: refresh the virtual tables first.
    invalidate();
    sync(sql);
    return std::make_unique<SqlStatement>(db_, sql);
}

}  // namespace vlm::engine::local
