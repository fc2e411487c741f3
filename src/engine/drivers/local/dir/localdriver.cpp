// The directory connection: table list, table cursors and the table services over TableFile.
#include "engine/drivers/local/pathutil.h"
#include "localdriver.h"
#include "localrows.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <map>
#include <numeric>

#include "engine/config.h"
#include "engine/database.h"
#include "engine/drivers/local/dbase/codepage.h"
#include "engine/drivers/local/dbase/dbf.h"
#include "engine/drivers/local/dbase/replace.h"
#include "engine/error.h"
#include "engine/session.h"
#include "localsql.h"
#ifdef VLM_HAVE_PARADOX
#include "engine/drivers/local/paradox/paradox.h"
#endif

namespace vlm::engine::local {
namespace {

std::string extOf(const std::string& name) {
    auto slash = name.find_last_of('/');
    auto dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return upper(name.substr(dot + 1));
}
std::string baseOf(const std::string& name) {
    auto slash = name.find_last_of('/');
    std::string f = slash == std::string::npos ? name : name.substr(slash + 1);
    auto dot = f.find_last_of('.');
    return dot == std::string::npos ? f : f.substr(0, dot);
}
std::string dirOf(const std::string& p) {
    auto s = p.find_last_of('/');
    return s == std::string::npos ? "." : (s == 0 ? "/" : p.substr(0, s));
}
std::string fileOf(const std::string& p) {
    auto s = p.find_last_of('/');
    return s == std::string::npos ? p : p.substr(s + 1);
}
[[noreturn]] void notFound(const std::string& table, const std::string& dir) {
    throw EngineError(ErrorCategory::File, errc::FileNotFound,
                      {"Table " + table + " not found" + (dir.empty() ? "" : " in " + dir)});
}

// Rows of one table: record numbers in the order shown, built lazily from the deleted flags
// (and the sort fields) so that a plain open reads nothing but the header.
class TableCursor : public Cursor, private RowDecoder {
public:
    TableCursor(std::unique_ptr<TableFile> t, const TableOpenOptions& o) : t_(std::move(t)), opt_(o) {
        identity_ = o.indexFieldNames.empty() && (o.showDeleted || !t_->supportsSoftDelete());
        for (const auto& n : o.indexFieldNames) {
            bool found = false;
            for (std::size_t f = 0; f < t_->fields().size(); ++f)
                if (upper(t_->fields()[f].name) == upper(n)) sortCols_.push_back(int(f)), found = true;
            if (!found)
                throw EngineError(ErrorCategory::Usage, errc::UnknownField,
                                  {"Field " + n + " not found in table " + t_->path()});
        }
    }
    const std::vector<FieldDef>& fields() const override { return t_->fields(); }
    std::int64_t rowCount() override {
        if (identity_) return t_->recordCount();
        if (sortCols_.empty() && !built_) return visibleCount();
        build();
        return std::int64_t(order_.size());
    }
    std::int64_t countKnown() override {
        if (identity_) return t_->recordCount();
        if (built_) return std::int64_t(order_.size());
        return visible_;
    }
    bool seek(std::int64_t i) override {
        pos_ = std::max<std::int64_t>(0, i);
        return true;
    }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override {
        return read(maxRows, [&out]() -> Row& { return out.emplace_back(); });
    }
    // The rows out holds are decoded over, so their value vectors and strings are reused.
    bool fetchInto(std::size_t maxRows, std::vector<Row>& out) override {
        std::size_t k = 0;
        try {
            bool more = read(maxRows, [&]() -> Row& { return k < out.size() ? out[k++] : (++k, out.emplace_back()); });
            out.resize(k);
            return more;
        } catch (...) {
            out.clear();
            throw;
        }
    }
    // Rows hand over the stored record alone where the format allows; a dataset decodes only
    // the rows it shows or reads.
    bool fetchLazy(std::size_t maxRows, std::vector<Row>& out) override {
        struct Lazy {
            bool& on;
            ~Lazy() { on = false; }
        } during{lazy_};
        lazy_ = true;
        return fetchInto(maxRows, out);
    }
    bool canModify() const override { return true; }
    Row insertRow(const std::vector<Value>& values) override {
        std::int64_t i = t_->appendRecord(values);
        if (!identity_) {
            built_ = false;
            forgetScan();
        }
        Row r;
        t_->readRecord(i, r);
        return r;
    }
    Row updateRow(const Row& old, const std::vector<Value>& values) override {
        // The record as the file holds it now: another program may have changed it since it
        // was read, and its change is not overwritten.
        t_->forgetReadAhead();
        {
            Row now;
            if (old.key.isNull() || old.key.asInteger() >= t_->recordCount()) throw recordChangedError();
            t_->readRecord(old.key.asInteger(), now);
            if (!(now.values == old.values) || (now.deleted && !old.deleted)) throw recordChangedError();
        }
        std::int64_t i = t_->updateRecord(old.key.asInteger(), values);
        if (!sortCols_.empty()) built_ = false;
        Row r;
        t_->readRecord(i, r);
        return r;
    }
    void deleteRow(const Row& row) override {
        t_->deleteRecord(row.key.asInteger());
        forgetScan();
        if (!identity_ || !t_->supportsSoftDelete()) built_ = false;
    }
    void undeleteRow(const Row& row) override {
        if (!t_->supportsSoftDelete())
            throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Undelete works on dBase tables only"});
        if (!opt_.showDeleted) throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Soft deletes is not on"});
        t_->undeleteRecord(row.key.asInteger());
        forgetScan();
    }
    TableFile& table() { return *t_; }

private:
    // Record i into r: decoded, or during fetchLazy as the stored record for decodeRow.
    void load(std::int64_t i, Row& r) {
        if (lazy_) {
            TableFile::Stored s = t_->storedRecord(i);
            if (s.bytes) {
                // values keep what the recycled row held until decodeRow overwrites them in
                // place; nobody reads them before, every read of a row goes through ready()
                r.decoder = this;
                r.stored = s.bytes;
                r.storedTag = s.tag;
                r.key.setScalar<std::int64_t>(i);
                r.deleted = s.bytes[0] == '*';
                return;
            }
        }
        r.decoder = nullptr;   // a recycled row may have been a lazy one
        t_->readRecord(i, r);
    }
    void decodeRow(Row& r) const override {
        try {
            t_->decodeStored(r.key.get<std::int64_t>(), {r.stored, r.storedTag}, r.values);
        } catch (...) {
            r.values.clear();
            throw;
        }
        r.decoder = nullptr;
    }

    // A front-to-back read with deleted records hidden: the records are read once, skipping
    // the deleted ones as they come, instead of a first pass over every deleted flag.
    // Reads up to maxRows rows, each into the row slot() hands out.
    template <class Slot> bool read(std::size_t maxRows, Slot&& slot) {
        if (!identity_ && sortCols_.empty() && !built_) {
            placeScan(pos_);
            return readSkippingDeleted(maxRows, slot);
        }
        std::int64_t n = rowCount();
        for (std::size_t k = 0; k < maxRows && pos_ < n; ++k, ++pos_) {
            Row& r = slot();
            load(identity_ ? pos_ : order_[std::size_t(pos_)], r);
            if (!opt_.showDeleted) r.deleted = false;
        }
        return pos_ < n;
    }

    template <class Slot> bool readSkippingDeleted(std::size_t maxRows, Slot& slot) {
        std::int64_t n = t_->recordCount();
        for (std::size_t k = 0; k < maxRows && scanRec_ < n; ++scanRec_) {
            if (t_->isDeleted(scanRec_)) continue;
            if (scanPos_ % kAnchorStep == 0) anchors_.emplace(scanPos_, scanRec_);
            Row& r = slot();
            load(scanRec_, r);
            r.deleted = false;
            ++k, ++pos_, ++scanPos_;
        }
        while (scanRec_ < n && t_->isDeleted(scanRec_)) ++scanRec_;
        if (scanRec_ >= n) visible_ = scanPos_;
        return scanRec_ < n;
    }

    // Deleted records hidden, no sort: rows are found by record number without a list of
    // them. anchors_ holds the record of every kAnchorStep-th row passed so far; a jump walks
    // the deleted flags from the nearest anchor (or back from the end once the rows were
    // counted), so that it reads no more flags than lie between.
    static constexpr std::int64_t kAnchorStep = 256;
    std::int64_t visibleCount() {
        if (visible_ < 0) {
            std::int64_t n = t_->recordCount(), v = 0;
            for (std::int64_t i = 0; i < n; ++i)
                if (!t_->isDeleted(i)) ++v;
            visible_ = v;
        }
        return visible_;
    }
    void placeScan(std::int64_t row) {
        if (row == scanPos_) return;
        const std::int64_t n = t_->recordCount();
        auto below = anchors_.upper_bound(row);
        --below;   // anchors_ always holds row 0
        std::int64_t fromBelow = row - below->first;
        std::int64_t fromScan = row >= scanPos_ ? row - scanPos_ : INT64_MAX;
        std::int64_t fromEnd = visible_ >= 0 && row <= visible_ ? visible_ - row : INT64_MAX;
        if (fromEnd < fromBelow && fromEnd < fromScan) {
            std::int64_t v = visible_, rec = n;
            while (v > row && rec > 0)
                if (!t_->isDeleted(--rec)) --v;
            scanPos_ = v;
            scanRec_ = rec;
            return;
        }
        if (fromBelow < fromScan) scanPos_ = below->first, scanRec_ = below->second;
        while (scanPos_ < row && scanRec_ < n) {
            if (!t_->isDeleted(scanRec_)) {
                if (scanPos_ % kAnchorStep == 0) anchors_.emplace(scanPos_, scanRec_);
                ++scanPos_;
            }
            ++scanRec_;
        }
        while (scanRec_ < n && t_->isDeleted(scanRec_)) ++scanRec_;
    }
    void forgetScan() {
        anchors_.clear();
        anchors_.emplace(0, 0);
        scanPos_ = scanRec_ = 0;
        visible_ = -1;
    }

    void build() {
        if (built_) return;
        order_.clear();
        std::int64_t n = t_->recordCount();
        bool skip = !opt_.showDeleted && t_->supportsSoftDelete();
        for (std::int64_t i = 0; i < n; ++i)
            if (!skip || !t_->isDeleted(i)) order_.push_back(i);
        if (!sortCols_.empty()) {
            std::vector<std::vector<Value>> keys(static_cast<std::size_t>(n));
            for (auto i : order_)
                for (int c : sortCols_) keys[std::size_t(i)].push_back(t_->readField(i, c));
            auto less = [](const Value& a, const Value& b) {
                if (a.isNull() || b.isNull()) return a.isNull() && !b.isNull();
                if ((a.is<std::int64_t>() || a.is<double>()) && (b.is<std::int64_t>() || b.is<double>()))
                    return a.asFloat() < b.asFloat();
                if (a.is<Date>() && b.is<Date>()) return a.get<Date>() < b.get<Date>();
                if (a.is<DateTime>() && b.is<DateTime>()) return a.get<DateTime>() < b.get<DateTime>();
                return a.asText() < b.asText();
            };
            std::stable_sort(order_.begin(), order_.end(), [&](std::int64_t x, std::int64_t y) {
                const auto& kx = keys[std::size_t(x)];
                const auto& ky = keys[std::size_t(y)];
                for (std::size_t k = 0; k < kx.size(); ++k) {
                    if (less(kx[k], ky[k])) return true;
                    if (less(ky[k], kx[k])) return false;
                }
                return false;
            });
        }
        built_ = true;
    }

    std::unique_ptr<TableFile> t_;
    TableOpenOptions opt_;
    bool identity_ = true, built_ = false;
    std::vector<int> sortCols_;
    std::vector<std::int64_t> order_;
    std::int64_t pos_ = 0;
    std::int64_t scanPos_ = 0, scanRec_ = 0;   // row scanPos_ of the lazy read is record scanRec_
    std::map<std::int64_t, std::int64_t> anchors_{{0, 0}};   // row -> its record number
    std::int64_t visible_ = -1;                             // rows not deleted, once counted
    bool lazy_ = false;   // in fetchLazy
};

bool matchPattern(const std::string& ext, const std::string& pattern) {
    if (!pattern.empty() && pattern.back() == '*')
        return ext.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
    return ext == pattern;
}

}  // namespace

DirConnection::DirConnection(std::string dir, FileSystem& fs, Tracer& tracer, std::string defaultExtension)
    : dir_(std::move(dir)), fs_(fs), tracer_(tracer), defaultExt_(upper(defaultExtension)) {
    while (dir_.size() > 1 && dir_.back() == '/') dir_.pop_back();
    if (!dir_.empty()) {
        if (!fs_.stat(dir_) && !fs_.exists(dir_))
            throw EngineError(ErrorCategory::Connect, errc::NotADatabase, {"Directory " + dir_ + " does not exist"});
        try {
            fs_.list(dir_);
        } catch (const EngineError& e) {
            throw EngineError(ErrorCategory::Connect, errc::NotADatabase, {dir_ + " is not a directory: " + e.what()});
        }
        recoverReplacements(fs_, dir_);
    }
    sql_ = std::make_unique<LocalSql>(*this);
}

DirConnection::~DirConnection() = default;

void DirConnection::cancelRunning() { sql_->cancelRunning(); }

void DirConnection::setForeignResolver(std::shared_ptr<ForeignTableResolver> resolver) { resolver_ = std::move(resolver); }

void DirConnection::setNewTableLanguageDriver(const std::string& formatType, const std::string& languageDriver) {
    newTableLd_[upper(formatType)] = languageDriver;
}

std::string DirConnection::quoteTable(const std::string& table) const { return quoteIdentifier(table); }

std::int64_t DirConnection::appendRows(const std::string& table, const std::vector<std::string>& columns,
                                       Cursor& source, const std::vector<int>& sourceColumns, Progress* progress) {
    auto t = openFile(table, {});
    const auto& fields = t->fields();
    // Where each destination column's value comes from: -1 leaves the field empty.
    std::vector<int> from(fields.size(), -1);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        std::size_t f = 0;
        while (f < fields.size() && upper(fields[f].name) != upper(columns[c])) ++f;
        if (f == fields.size())
            throw EngineError(ErrorCategory::Usage, errc::UnknownField,
                              {"Field '" + columns[c] + "' not found in " + fileOf(t->path())});
        from[f] = c < sourceColumns.size() ? sourceColumns[c] : -1;
    }
    std::int64_t total = source.rowCount(), moved = 0;
    std::vector<Row> rows;
    std::vector<Value> vals(fields.size());
    bool more = true;
    while (more) {
        more = source.fetchInto(256, rows);
        for (const auto& row : rows) {
            for (std::size_t f = 0; f < fields.size(); ++f)
                vals[f] = from[f] < 0 || std::size_t(from[f]) >= row.values.size() ? Value() : row.values[std::size_t(from[f])];
            t->appendRecord(vals);
            ++moved;
        }
        if (progress && !progress->step(moved, total))
            throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user");
    }
    t->flush();
    return moved;
}

Capabilities DirConnection::capabilities() const {
    Capabilities c;
    c.sqlBased = false;
    c.transactions = false;
    c.softDelete = true;
    c.pack = true;
    c.countWithoutFetch = false;
    c.identifierCase = IdentifierCase::Upper;   // dBase and Paradox field names
    return c;
}

std::string DirConnection::tablePath(const std::string& table) const {
    if (table.find('/') != std::string::npos) {
        if (!fs_.exists(table)) notFound(table, "");
        return table;
    }
    if (dir_.empty()) notFound(table, "");
    std::string want = upper(table);
    bool hasExt = !extOf(table).empty() && formats().forExtension(extOf(table));
    std::vector<std::string> hits;
    for (const auto& n : fs_.list(dir_)) {
        if (n.empty() || n[0] == '.' || isReplacementFile(n)) continue;
        if (!formats().forPath(n)) continue;
        if (hasExt ? upper(n) == want : upper(baseOf(n)) == want) hits.push_back(n);
    }
    if (hits.empty()) notFound(table, dir_);
    if (hits.size() > 1) {
        // "orders.dbf" and "ORDERS.DBF" side by side: the exact spelling wins.
        for (const auto& h : hits)
            if (h == table) return dir_ + "/" + h;
        std::string list;
        for (const auto& h : hits) list += (list.empty() ? "" : ", ") + h;
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Table name " + table + " is ambiguous: " + list});
    }
    return dir_ + "/" + hits.front();
}

std::string DirConnection::newTablePath(const std::string& table) const {
    std::string name = table;
    if (extOf(name).empty() || !formats().forExtension(extOf(name))) name += "." + defaultExt_;
    if (name.find('/') != std::string::npos) return name;
    if (dir_.empty()) throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"No database directory for table " + table});
    return dir_ + "/" + name;
}

std::unique_ptr<TableFile> DirConnection::openFile(const std::string& table, const OpenOptions& options) const {
    std::string path = tablePath(table);
    TableFormat* f = formats().forPath(path);
    if (!f) throw EngineError(ErrorCategory::File, errc::FileBase, {"Unknown table type of " + path});
    OpenOptions o = fileOptions(path, options.exclusive, options.readOnly);
    if (!options.languageDriver.empty()) o.languageDriver = options.languageDriver;
    return f->open(fs_, path, o);
}

OpenOptions DirConnection::fileOptions(const std::string& path, bool exclusive, bool readOnly) const {
    OpenOptions o;
    o.exclusive = exclusive;
    o.readOnly = readOnly;
    if (TableFormat* f = formats().forPath(path))
        if (auto ld = newTableLd_.find(f->typeName()); ld != newTableLd_.end()) o.languageDriver = ld->second;
    Tracer* tracer = &tracer_;   // the session's, which outlives every table
    o.notice = [tracer](const std::string& text) {
        if (tracer->wants(TraceMisc)) tracer->trace(TraceMisc, text);
    };
    return o;
}

std::vector<TableEntry> DirConnection::tables(bool) {
    std::vector<TableEntry> out;
    if (dir_.empty()) return out;
    for (const auto& n : fs_.list(dir_)) {
        if (n.empty() || n[0] == '.' || isReplacementFile(n)) continue;
        TableFormat* f = formats().forPath(n);
        if (!f) continue;
        TableEntry e;
        e.name = n;
        e.extension = f->extension();
        e.type = f->typeName();
        e.view = false;
        e.fileName = dir_ + "/" + n;
        if (auto st = fs_.stat(e.fileName)) {
            e.modified = st->modified;
            e.size = std::int64_t(st->size);
        }
        out.push_back(std::move(e));
    }
    std::sort(out.begin(), out.end(), [](const TableEntry& a, const TableEntry& b) { return upper(a.name) < upper(b.name); });
    return out;
}

std::vector<FieldDef> DirConnection::fieldDefs(const std::string& table) {
    return openFile(table, {false, true})->fields();
}

std::vector<IndexDef> DirConnection::indexDefs(const std::string& table) {
    return openFile(table, {false, true})->indexDefs();
}

namespace {

// "select * from NAME" and nothing else (NAME bare or double-quoted, a ';' at the end allowed):
// the table's name, else nothing.
std::optional<std::string> plainTableRead(const std::string& sql) {
    std::size_t i = 0;
    auto blanks = [&] {
        std::size_t from = i;
        while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
        return i > from;
    };
    auto word = [&](const char* w) {
        std::size_t n = std::strlen(w);
        if (sql.size() - i < n) return false;
        for (std::size_t k = 0; k < n; ++k)
            if (std::toupper(static_cast<unsigned char>(sql[i + k])) != w[k]) return false;
        i += n;
        return true;
    };
    blanks();
    if (!word("SELECT") || !blanks() || !word("*") || !blanks() || !word("FROM") || !blanks()) return std::nullopt;
    std::string name;
    if (i < sql.size() && sql[i] == '"') {
        for (++i;; ++i) {
            if (i >= sql.size()) return std::nullopt;
            if (sql[i] == '"') {
                if (i + 1 < sql.size() && sql[i + 1] == '"') {
                    name += '"';
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
            name += sql[i];
        }
    } else {
        while (i < sql.size() && !std::isspace(static_cast<unsigned char>(sql[i])) && sql[i] != ';' && sql[i] != '"' &&
               sql[i] != '\'' && sql[i] != ',' && sql[i] != '(' && sql[i] != ')')
            name += sql[i++];
    }
    blanks();
    if (i < sql.size() && sql[i] == ';') ++i;
    blanks();
    if (i != sql.size() || name.empty() || name.front() == ':') return std::nullopt;
    return name;
}

// A plain read of one table runs on the table's own cursor: rows are found again by record
// number, so a grid over a big table positions without reading the rows between.
class TableReadStatement : public Statement {
public:
    TableReadStatement(DirConnection& conn, std::string table, std::unique_ptr<Cursor> cursor)
        : conn_(conn), table_(std::move(table)), cursor_(std::move(cursor)) {}
    void bind(std::size_t index, const Value&, FieldType) override {
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"Parameter " + std::to_string(index + 1) + " does not exist"});
    }
    std::unique_ptr<Cursor> execute() override {
        if (cursor_) return std::move(cursor_);   // the one opened to see that the table is there
        return conn_.openTable(table_, {});
    }
    std::int64_t rowsAffected() const override { return 0; }

private:
    DirConnection& conn_;
    std::string table_;
    std::unique_ptr<Cursor> cursor_;
};

}  // namespace

std::unique_ptr<Statement> DirConnection::prepare(const std::string& sql) {
    if (auto name = plainTableRead(sql)) {
        std::unique_ptr<Cursor> cursor;
        try {
            cursor = openTable(*name, {});
        } catch (const EngineError&) {
            // not a table of this directory: the local SQL says what is wrong with it
        }
        if (cursor) return std::make_unique<TableReadStatement>(*this, *name, std::move(cursor));
    }
    return sql_->prepare(sql);
}

std::unique_ptr<Cursor> DirConnection::openTable(const std::string& table, const TableOpenOptions& options) {
    return std::make_unique<TableCursor>(openFile(table, {options.exclusive, false}), options);
}

std::vector<std::string> DirConnection::tableFiles(const std::string& path) const {
    std::vector<std::string> out{path};
    TableFormat* f = formats().forPath(path);
    if (!f) return out;
    std::string dir = dirOf(path), base = upper(baseOf(path)), self = fileOf(path);
    for (const auto& n : fs_.list(dir)) {
        if (n == self || upper(baseOf(n)) != base || isReplacementFile(n)) continue;
        std::string e = extOf(n);
        for (const auto& pat : f->companionExtensions())
            if (matchPattern(e, upper(pat))) {
                out.push_back(dir + "/" + n);
                break;
            }
    }
    return out;
}

void DirConnection::createTable(const std::string& table, const std::vector<FieldDef>& fields,
                                const std::vector<IndexDef>& indexes) {
    std::string path = newTablePath(table);
    TableFormat* f = formats().forPath(path);
    if (!f) throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Unknown table type for " + table});
    if (fs_.exists(path)) throw EngineError(ErrorCategory::File, errc::FileBase, {"Table " + fileOf(path) + " already exists"});
    if (f->typeName() == "DBASE")
        for (const auto& ix : indexes)
            if (ix.primary)
                throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"PRIMARY KEY is not supported on dBase tables"});
    CreateOptions co;
    if (auto ld = newTableLd_.find(f->typeName()); ld != newTableLd_.end()) co.languageDriver = ld->second;
    f->create(fs_, path, fields, indexes, co);
    sql_->invalidate();
}

void DirConnection::dropTable(const std::string& table) {
    std::string path = tablePath(table);
    {
        // Refuse to delete a table another program has open.
        auto t = openFile(path, {true, false});
    }
    auto files = tableFiles(path);
    if (TableFormat* f = formats().forPath(path))
        for (const auto& a : f->attachedFiles(fs_, path))
            if (std::find(files.begin(), files.end(), a) == files.end()) files.push_back(a);
    replaceFiles(fs_, {}, files);
    sql_->invalidate();
}

void DirConnection::emptyTable(const std::string& table) {
    openFile(table, {true, false})->empty();
}

void DirConnection::renameTable(const std::string& from, const std::string& to) {
    std::string path = tablePath(from);
    std::string target = to;
    if (extOf(target).empty()) target += "." + extOf(path);
    if (upper(extOf(target)) != upper(extOf(path)))
        throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Renaming cannot change the table type of " + from});
    if (target.find('/') == std::string::npos) target = dirOf(path) + "/" + target;
    std::string newBase = baseOf(target);
    {
        auto t = openFile(path, {true, false});   // not while another program has it open
    }
    std::vector<FileMove> moves;
    for (const auto& file : tableFiles(path)) {
        std::string ext = fileOf(file).substr(baseOf(file).size());   // ".DBT", keeps case
        std::string dest = dirOf(target) + "/" + newBase + ext;
        if (upper(dest) != upper(file) && fs_.exists(dest))
            throw EngineError(ErrorCategory::File, errc::FileBase, {"Table " + fileOf(target) + " already exists"});
        moves.push_back({file, dest});
    }
    replaceFiles(fs_, moves);
    sql_->invalidate();
}

void DirConnection::packTable(const std::string& table, Progress* progress) {
    openFile(table, {true, false})->pack(progress);
}

void DirConnection::createIndex(const std::string& table, const IndexDef& index) {
    openFile(table, {true, false})->createIndex(index);
}

void DirConnection::dropIndex(const std::string& table, const std::string& index) {
    openFile(table, {true, false})->dropIndex(index);
}

void DirConnection::alterTable(const std::string& table, const std::vector<FieldDef>& add,
                               const std::vector<std::string>& drop, Progress* progress) {
    std::string path = tablePath(table);
    TableFormat* fmt = formats().forPath(path);
    auto old = fmt->open(fs_, path, fileOptions(path, true, false));
    std::vector<FieldDef> fields = old->fields();
    std::vector<int> source;   // per new field: old position or -1
    for (std::size_t i = 0; i < fields.size(); ++i) source.push_back(int(i));
    for (const auto& d : drop) {
        auto it = std::find_if(fields.begin(), fields.end(), [&](const FieldDef& f) { return upper(f.name) == upper(d); });
        if (it == fields.end())
            throw EngineError(ErrorCategory::Usage, errc::UnknownField, {"Field " + d + " not found in table " + fileOf(path)});
        source.erase(source.begin() + (it - fields.begin()));
        fields.erase(it);
    }
    for (const auto& a : add) {
        for (const auto& f : fields)
            if (upper(f.name) == upper(a.name))
                throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Field " + a.name + " already exists in table " + fileOf(path)});
        fields.push_back(a);
        source.push_back(-1);
    }
    if (fields.empty()) throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"A table must keep at least one field"});
    // An index over a dropped field goes with it, a dBase expression tag naming it too.
    std::vector<IndexDef> indexes;
    for (const auto& ix : old->indexDefs()) {
        bool keep = true;
        for (const auto& d : drop) keep = keep && !old->indexReads(ix, d);
        if (keep) indexes.push_back(ix);
    }
    // The new table is built under a hidden name beside the old one, then swapped in.
    std::string dir = dirOf(path), tmpBase = ".~" + baseOf(path);
    std::string tmp = dir + "/" + tmpBase + fileOf(path).substr(baseOf(path).size());
    for (const auto& f : tableFiles(tmp)) fs_.remove(f);
    std::vector<std::string> tmpFiles;
    try {
        CreateOptions co;
        if (auto* dbf = dynamic_cast<dbase::DbfTable*>(old.get())) {
            int v = dbf->version();
            co.level = (v & 0x07) == 4 ? 7 : (v == 0x30 || v == 0x31 || v == 0x32) ? 0x30 : v == 0xF5 ? 0xF5 : v == 0x83 ? 3 : 4;
            co.languageDriver = dbf->codePage();
        }
        fmt->create(fs_, tmp, fields, {}, co);
        {
            auto nt = fmt->open(fs_, tmp, fileOptions(tmp, true, false));
            const std::vector<FieldDef>& nf = nt->fields();
            std::int64_t n = old->recordCount();
            std::vector<Value> vals(nf.size());
            for (std::int64_t i = 0; i < n; ++i) {
                Row r;
                old->readRecord(i, r);
                for (std::size_t k = 0; k < nf.size(); ++k) vals[k] = source[k] >= 0 ? r.values[std::size_t(source[k])] : Value();
                std::int64_t at = nt->appendRecord(vals);
                if (r.deleted) nt->deleteRecord(at);
                if (progress && i % 1024 == 0 && !progress->step(i, n))
                    throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user");
            }
            for (const auto& ix : indexes) nt->createIndex(ix);
            nt->flush();
        }
        tmpFiles = tableFiles(tmp);
        std::vector<FileMove> moves;
        std::vector<std::string> keep;
        for (const auto& f : tmpFiles) {
            std::string ext = fileOf(f).substr(tmpBase.size());
            moves.push_back({f, dir + "/" + baseOf(path) + ext});
            keep.push_back(upper(moves.back().to));
        }
        std::vector<std::string> removes;
        for (const auto& f : tableFiles(path))
            if (std::find(keep.begin(), keep.end(), upper(f)) == keep.end()) removes.push_back(f);
        old.reset();
        replaceFiles(fs_, moves, removes);
    } catch (...) {
        for (const auto& f : tableFiles(tmp)) {
            try { fs_.remove(f); } catch (...) {}
        }
        throw;
    }
    sql_->invalidate();
}

namespace {

// Tables of the session's databases for ":ALIAS:TABLE" names: an open Database of that name
// lends its connection, other names get a connection of their own, kept for later statements.
class SessionTables : public ForeignTableResolver {
public:
    explicit SessionTables(Session& session) : session_(session) {}

    std::unique_ptr<Cursor> open(const std::string& alias, const std::string& table) override {
        Connection& c = connectionOf(alias);
        if (auto* dir = dynamic_cast<DirConnection*>(&c)) return dir->openTable(table, {});
        // Server tables through a plain query: the same rows without a table cursor's keys.
        auto st = c.prepare("SELECT * FROM " + c.quoteTable(table));
        auto cur = st->execute();
        if (!cur) throw EngineError(ErrorCategory::Sql, errc::SqlBase, {":" + alias + ":" + table + " returned no rows"});
        return cur;
    }

private:
    Connection& connectionOf(const std::string& alias) {
        if (Database* db = session_.findDatabase(alias); db && db->connected()) return db->connection();
        auto& conn = own_[upper(alias)];
        if (!conn) {
            if (!session_.isAlias(alias))
                throw EngineError(ErrorCategory::Config, errc::UnknownAlias, {"Unknown alias: " + alias});
            conn = session_.connect(alias, {});
        }
        return *conn;
    }

    Session& session_;
    std::map<std::string, std::unique_ptr<Connection>> own_;
};

// The configured language driver of a table format: LANGDRIVER of its engine driver's sections
// ("DBASE", "PARADOX"), as a name the format knows; def when none is set.
std::string configuredLanguageDriver(Session& session, const std::string& driver, const char* def) {
    std::string value;
    for (std::string path : {"\\DRIVERS\\" + driver + "\\INIT", "\\DRIVERS\\" + driver + "\\DB OPEN"}) {
        if (!value.empty()) break;
        try {
            for (const auto& line : session.configParams(path)) {
                auto eq = line.find('=');
                if (eq == std::string::npos) continue;
                std::string n = line.substr(0, eq), v = line.substr(eq + 1);
                auto trim = [](std::string x) {
                    auto b = x.find_first_not_of(" \t"), e = x.find_last_not_of(" \t");
                    return b == std::string::npos ? std::string() : x.substr(b, e - b + 1);
                };
                if (upper(trim(n)) == "LANGDRIVER") value = trim(v);
            }
        } catch (const EngineError&) {
        }
    }
    if (value.empty()) return def;
    // A language driver of the engine's list (by short name or description) by its code page,
    // which both formats understand: "DBWINRU0", "ANCYRR", "Pdox ANSI Cyrillic" -> "CP1251".
    for (const auto& l : builtinLanguageDrivers())
        if (upper(l.shortName) == upper(value) || upper(l.description) == upper(value)) return l.codePage;
    if (driver != "DBASE") return value;   // the Paradox format reads every other form itself
    if (!dbase::languageDriverFor(value).codePage.empty()) return value;
    // Names of other table formats still carry a code page ("ancyrr", "DB866RU1").
    std::string cp = dbase::codePageForDriverName(value);
    return cp.empty() ? value : cp;   // unknown: creating a table reports the name
}

}  // namespace

std::unique_ptr<Connection> LocalDriver::connect(const ConnectParams& params, Tracer& tracer) {
    std::string def = upper(params.param("DEFAULT DRIVER", "DBASE"));
    std::string ext = def == "PARADOX" && formats().forExtension("DB") ? "DB" : "DBF";
    auto conn = std::make_unique<DirConnection>(params.target, posixFileSystem(), tracer, ext);
    if (params.session) {
        conn->setForeignResolver(std::make_shared<SessionTables>(*params.session));
        conn->setNewTableLanguageDriver("DBASE", configuredLanguageDriver(*params.session, "DBASE", kDefaultDbaseLanguageDriver));
        conn->setNewTableLanguageDriver("PARADOX",
                                        configuredLanguageDriver(*params.session, "PARADOX", kDefaultParadoxLanguageDriver));
    } else {
        conn->setNewTableLanguageDriver("DBASE", kDefaultDbaseLanguageDriver);
        conn->setNewTableLanguageDriver("PARADOX", kDefaultParadoxLanguageDriver);
    }
    return conn;
}

void registerLocalFormats() {
    dbase::registerDbaseFormat(formats());
#ifdef VLM_HAVE_PARADOX
    if (!formats().forExtension("DB")) paradox::registerParadoxFormat(formats());
#endif
}

}  // namespace vlm::engine::local

namespace vlm::engine {
void registerLocalDriver(DriverRegistry& registry) {
    local::registerLocalFormats();
    registry.add("STANDARD", local::driverRows([] { return std::make_unique<local::LocalDriver>(); }));
}
}  // namespace vlm::engine
