// Export to delimited text and .xlsx, import from delimited text and dBase files, append.
#include "transfer/transfer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <filesystem>
#include <memory>

#include "engine/batchmove.h"
#include "engine/driver.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/table.h"

namespace vlm::transfer {

using engine::Connection;
using engine::Cursor;
using engine::EngineError;
using engine::ErrorCategory;
using engine::FieldDef;
using engine::FieldType;
using engine::Row;
using engine::Value;
namespace errc = engine::errc;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBlock = 1024;

[[noreturn]] void cancelled() { throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user"); }
[[noreturn]] void dataError(const std::string& text) {
    throw EngineError(ErrorCategory::Data, errc::ConversionFailed, {text});
}
[[noreturn]] void fileError(const std::string& text) { throw EngineError(ErrorCategory::File, errc::FileBase, {text}); }

std::string upper(std::string s) {
    for (auto& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// The rows of the export query: a local table without a column list through its own cursor,
// everything else through the query.
std::unique_ptr<Cursor> openExport(engine::Database& db, const std::string& table, const ExportOptions& o) {
    try {
        Connection& conn = db.connection();
        if (!conn.capabilities().sqlBased && trim(o.fields).empty() && !o.quoteTableName)
            return conn.openTable(table, engine::TableOpenOptions{});
        auto st = conn.prepare(exportQuery(table, o.fields, o.quoteTableName));
        auto cur = st->execute();
        if (!cur) throw EngineError(ErrorCategory::Sql, "The query returned no rows");
        return cur;
    } catch (const EngineError& e) {
        std::vector<std::string> m{"Can't Open Table - " + table};
        m.insert(m.end(), e.messages().begin(), e.messages().end());
        throw EngineError(e.category(), e.code(), m, e.nativeCode(), e.sqlState());
    }
}

// A file written beside its final name and put in place by commit(); removed otherwise.
class PendingFile {
public:
    explicit PendingFile(std::string file) : file_(std::move(file)), temp_(file_ + ".part") {}
    ~PendingFile() {
        if (f_) std::fclose(f_);
        if (!committed_) {
            std::error_code ec;
            fs::remove(temp_, ec);
        }
    }
    const std::string& tempName() const { return temp_; }
    std::FILE* open() {
        f_ = std::fopen(temp_.c_str(), "wb");
        if (!f_) fileError("Cannot write " + temp_ + ": " + std::strerror(errno));
        std::setvbuf(f_, nullptr, _IOFBF, 1 << 20);
        return f_;
    }
    void write(const std::string& s) {
        if (!s.empty() && std::fwrite(s.data(), 1, s.size(), f_) != s.size())
            fileError("Cannot write " + file_ + ": " + std::strerror(errno));
    }
    void commit() {
        if (f_) {
            bool bad = std::fflush(f_) != 0 || std::ferror(f_);
            int err = errno;
            bool closeBad = std::fclose(f_) != 0;
            f_ = nullptr;
            if (bad || closeBad) fileError("Cannot write " + file_ + ": " + std::strerror(bad ? err : errno));
        }
        std::error_code ec;
        fs::rename(temp_, file_, ec);
        if (ec) fileError("Cannot write " + file_ + ": " + ec.message());
        committed_ = true;
    }

private:
    std::string file_, temp_;
    std::FILE* f_ = nullptr;
    bool committed_ = false;
};

// True when text is plain ASCII without the delimiter or a line break: written as it is.
bool cleanAscii(const std::string& text, char d) {
    for (unsigned char c : text)
        if (c >= 0x80 || c == static_cast<unsigned char>(d) || c == '\r' || c == '\n') return false;
    return true;
}

std::string cellName(std::int64_t row, const std::string& column) {
    return "Row " + std::to_string(row) + ", column " + column;
}

// ---- Import.

// Lines of a text file with their numbers; a last line without its line end is reported.
class LineReader {
public:
    explicit LineReader(const std::string& file) : file_(file) {
        f_ = std::fopen(file.c_str(), "rb");
        if (!f_) fileError("Cannot read " + file + ": " + std::strerror(errno));
        std::error_code ec;
        size_ = std::int64_t(fs::file_size(file, ec));
    }
    ~LineReader() {
        if (f_) std::fclose(f_);
    }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line without its CR LF (or LF); false at the end of the file.
    bool next(std::string_view& line) {
        for (;;) {
            auto nl = std::find(buf_.begin() + std::ptrdiff_t(pos_), buf_.end(), '\n');
            if (nl != buf_.end()) {
                std::size_t end = std::size_t(nl - buf_.begin());
                std::size_t len = end - pos_;
                if (len && buf_[end - 1] == '\r') --len;
                line = std::string_view(buf_.data() + pos_, len);
                consumed_ += std::int64_t(end + 1 - pos_);
                pos_ = end + 1;
                ++number_;
                return true;
            }
            if (eof_) {
                if (pos_ < buf_.size()) {
                    ++number_;
                    dataError("Line " + std::to_string(number_) + " ends in the middle: the file ends without its line end");
                }
                return false;
            }
            buf_.erase(0, pos_);
            pos_ = 0;
            std::size_t have = buf_.size();
            buf_.resize(have + (1 << 20));
            std::size_t n = std::fread(buf_.data() + have, 1, 1 << 20, f_);
            buf_.resize(have + n);
            if (n == 0) {
                if (std::ferror(f_)) fileError("Cannot read " + file_ + ": " + std::strerror(errno));
                eof_ = true;
            }
        }
    }
    std::int64_t number() const { return number_; }
    std::int64_t consumed() const { return consumed_; }
    std::int64_t size() const { return size_; }

private:
    std::string file_;
    std::FILE* f_ = nullptr;
    std::string buf_;
    std::size_t pos_ = 0;
    bool eof_ = false;
    std::int64_t number_ = 0, consumed_ = 0, size_ = -1;
};

// The rows of a delimited text file as a cursor; a bad line throws naming it.
class TextCursor : public Cursor {
public:
    TextCursor(const std::string& file, const ImportOptions& o) : in_(file), charset_(o.charset) {
        std::string l[3];
        std::string_view v;
        for (auto& s : l) {
            if (!in_.next(v)) throw EngineError(ErrorCategory::Data, errc::ConversionFailed,
                                                {kMismatchFormat, "The file ends before its three header lines"});
            s = std::string(v);
        }
        delim_ = o.delimiter ? o.delimiter : detectDelimiter(l[2]);
        if (!delim_) throw EngineError(ErrorCategory::Data, errc::ConversionFailed, {kMismatchFormat, "Line 3 holds no delimiter"});
        header_ = parseHeader(l[0], l[1], l[2], delim_, charset_);
        for (int i = 0; i < header_.count; ++i) {
            FieldDef d;
            d.name = header_.names[std::size_t(i)];
            d.type = FieldType(header_.types[std::size_t(i)]);
            defs_.push_back(d);
        }
    }
    const std::vector<FieldDef>& fields() const override { return defs_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override {
        std::vector<Row> rows;
        bool more = fetchInto(maxRows, rows);
        for (auto& r : rows) out.push_back(std::move(r));
        return more;
    }
    bool fetchInto(std::size_t maxRows, std::vector<Row>& out) override {
        std::size_t n = 0;
        std::string_view line;
        while (n < maxRows) {
            if (!in_.next(line)) {
                out.resize(n);
                return false;
            }
            if (n >= out.size()) out.emplace_back();
            parse(line, out[n]);
            ++n;
        }
        out.resize(n);
        return true;
    }
    const LineReader& reader() const { return in_; }

private:
    void parse(std::string_view line, Row& row) {
        const int n = header_.count;
        if (!splitRow(line, delim_, n, parts_)) {
            auto k = std::count(line.begin(), line.end(), delim_);
            std::string why = line.empty() || line.back() != delim_ ? " (the last field is not followed by the delimiter)" : "";
            dataError("Line " + std::to_string(in_.number()) + " holds " + std::to_string(k) + " delimited fields instead of " +
                      std::to_string(n) + why);
        }
        row.values.resize(std::size_t(n));
        row.key = Value();
        for (int i = 0; i < n; ++i) {
            if (!decodeText(parts_[std::size_t(i)], charset_, text_))
                dataError("Line " + std::to_string(in_.number()) + " is not in the " +
                          (charset_ == CharSet::Dos ? "Dos" : "Windows (UTF-8)") + " character set");
            try {
                const int code = header_.types[std::size_t(i)];
                if (code == 1 || code == 16 || code == 18 || code == 0) row.values[std::size_t(i)].setText(text_);
                else row.values[std::size_t(i)] = valueFromText(text_, code);
            } catch (const std::invalid_argument& e) {
                dataError("Line " + std::to_string(in_.number()) + ", field " + header_.names[std::size_t(i)] + ": " + e.what());
            }
        }
    }

    LineReader in_;
    CharSet charset_;
    char delim_ = 0;
    TextHeader header_;
    std::vector<FieldDef> defs_;
    std::vector<std::string_view> parts_;
    std::string text_;
};

// Progress of an import in bytes of the file.
class BytesProgress : public engine::Progress {
public:
    BytesProgress(engine::Progress* inner, const TextCursor& cur) : inner_(inner), cur_(cur) {}
    bool step(std::int64_t, std::int64_t) override {
        return !inner_ || inner_->step(cur_.reader().consumed(), cur_.reader().size());
    }

private:
    engine::Progress* inner_;
    const TextCursor& cur_;
};

// The destination's columns for the source's fields, by position.
std::vector<std::string> destinationColumns(Connection& conn, const std::string& table, std::size_t sourceCount,
                                            const std::string& what) {
    auto defs = conn.fieldDefs(table);
    if (defs.empty()) throw EngineError(ErrorCategory::Sql, errc::SqlBase, {"Table not found: " + table});
    if (defs.size() != sourceCount)
        dataError(what + " has " + std::to_string(sourceCount) + " fields, the table " + table + " has " +
                  std::to_string(defs.size()));
    std::vector<std::string> cols;
    for (const auto& d : defs) cols.push_back(d.name);
    return cols;
}

// The files of a local table (its .DBF and the memo and index files of the same name) copied
// aside before a write, so that a failed or cancelled write can put them back: the local
// destination's stand-in for a transaction. Nothing on SQL databases.
class LocalRestorePoint {
public:
    LocalRestorePoint(Connection& conn, const std::string& table) {
        if (conn.capabilities().sqlBased) return;
        std::string path;
        for (const auto& t : conn.tables(false))
            if (upper(t.name) == upper(table)) path = t.fileName;
        if (path.empty()) return;
        dir_ = fs::path(path).parent_path();
        stem_ = upper(fs::path(path).stem().string());
        for (const auto& e : fs::directory_iterator(dir_)) {
            if (!e.is_regular_file() || upper(e.path().stem().string()) != stem_) continue;
            fs::path keep = e.path().string() + ".restore~";
            fs::copy_file(e.path(), keep, fs::copy_options::overwrite_existing);
            saved_.push_back(e.path());
        }
    }
    ~LocalRestorePoint() {
        std::error_code ec;
        for (const auto& p : saved_) fs::remove(p.string() + ".restore~", ec);
    }
    LocalRestorePoint(const LocalRestorePoint&) = delete;
    LocalRestorePoint& operator=(const LocalRestorePoint&) = delete;
    // Puts the saved files back and removes files of the table that the write added.
    void restore() {
        if (saved_.empty()) return;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir_, ec)) {
            const auto& p = e.path();
            if (e.is_regular_file() && upper(p.stem().string()) == stem_ && p.extension() != ".restore~" &&
                std::find(saved_.begin(), saved_.end(), p) == saved_.end())
                fs::remove(p, ec);
        }
        for (const auto& p : saved_) fs::copy_file(p.string() + ".restore~", p, fs::copy_options::overwrite_existing, ec);
    }

private:
    fs::path dir_;
    std::string stem_;
    std::vector<fs::path> saved_;
};

// Appends all rows of the source in one transaction where the destination has them. A local
// destination has none: the source is read through once by validate() before anything is
// written, so a bad source writes nothing there, and its files are put back after an error or a
// cancel during the write.
std::int64_t load(engine::Database& db, const std::string& table, const std::vector<std::string>& columns, Cursor& source,
                  engine::Progress* progress, const std::function<void()>& validate) {
    Connection& conn = db.connection();
    auto caps = conn.capabilities();
    std::vector<int> sourceColumns;
    for (std::size_t i = 0; i < columns.size(); ++i) sourceColumns.push_back(int(i));
    if (!caps.sqlBased) validate();
    const bool own = caps.sqlBased && caps.transactions && !conn.inTransaction();
    LocalRestorePoint before(conn, table);
    try {
        if (own) conn.begin();
        std::int64_t n = conn.appendRows(table, columns, source, sourceColumns, progress);
        if (own) conn.commit();
        return n;
    } catch (...) {
        if (own) {
            try {
                if (conn.inTransaction()) conn.rollback();
            } catch (const EngineError&) {
                // The first error is the one to report; the server ends the transaction anyway.
            }
        }
        before.restore();
        throw;
    }
}

// Reads a cursor to its end, checking that every row can be read; stops on a cancel.
void readThrough(Cursor& cur, engine::Progress* progress, const std::function<std::pair<std::int64_t, std::int64_t>()>& where) {
    std::vector<Row> rows;
    for (bool more = true; more;) {
        more = cur.fetchInto(kBlock, rows);
        for (const auto& r : rows) r.ready();
        if (progress) {
            auto [done, total] = where();
            if (!progress->step(done, total)) cancelled();
        }
    }
}

}  // namespace

std::string exportQuery(const std::string& table, const std::string& fields, bool quoteTableName) {
    std::string cols = trim(fields).empty() ? "*" : fields;
    if (quoteTableName) return "Select " + cols + " from \"" + table + "\"";
    return "Select " + cols + " From " + table;
}

std::int64_t exportText(engine::Database& db, const std::string& table, const std::string& file,
                        const ExportOptions& o, engine::Progress* progress) {
    if (o.delimiter == 0 || o.delimiter == ' ' || o.delimiter == '\r' || o.delimiter == '\n') dataError("No Delimiter!!!");
    auto cur = openExport(db, table, o);
    const auto& defs = cur->fields();
    PendingFile out(file);
    out.open();
    const char d = o.delimiter;
    std::string buf, enc;
    auto put = [&](const std::string& text, std::int64_t row, const std::string& column) {
        if (!encodeText(text, o.charset, enc))
            dataError((row ? cellName(row, column) : "The field name " + column) +
                      " holds a character that the Dos character set lacks");
        buf += enc;
        buf += d;
    };
    buf = std::to_string(defs.size()) + "\r\n";
    for (const auto& f : defs) {
        if (f.name.find(d) != std::string::npos) dataError("The field name " + f.name + " holds the delimiter");
        put(f.name, 0, f.name);
    }
    buf += "\r\n";
    for (const auto& f : defs) buf += std::to_string(int(f.type)) + d;
    buf += "\r\n";
    const std::int64_t total = cur->rowCount();
    std::int64_t n = 0;
    std::vector<Row> rows;
    std::string text;
    for (bool more = true; more;) {
        more = cur->fetchInto(kBlock, rows);
        for (const auto& r : rows) {
            r.ready();
            ++n;
            for (std::size_t i = 0; i < defs.size(); ++i) {
                const Value& v = r.values[i];
                if (v.isNull()) {
                    buf += d;
                    continue;
                }
                // Numbers and plain ASCII text go straight into the buffer.
                if (v.is<std::int64_t>()) {
                    char num[24];
                    auto end = std::to_chars(num, num + sizeof num, v.get<std::int64_t>()).ptr;
                    buf.append(num, end);
                    buf += d;
                    continue;
                }
                const std::string* plain = v.is<std::string>()             ? &v.get<std::string>()
                                           : v.is<engine::Decimal>()       ? &v.get<engine::Decimal>().text
                                                                           : nullptr;
                if (plain && cleanAscii(*plain, d)) {
                    buf += *plain;
                    buf += d;
                    continue;
                }
                text = v.asText();
                if (text.find(d) != std::string::npos)
                    dataError(cellName(n, defs[i].name) + " holds the delimiter '" + std::string(1, d) +
                              "', which the text format cannot carry");
                if (text.find_first_of("\r\n") != std::string::npos)
                    dataError(cellName(n, defs[i].name) + " holds a line break, which the text format cannot carry");
                put(text, n, defs[i].name);
            }
            buf += "\r\n";
        }
        if (buf.size() >= (1u << 20)) {
            out.write(buf);
            buf.clear();
        }
        if (progress && !progress->step(n, total)) cancelled();
    }
    out.write(buf);
    out.commit();
    return n;
}

std::int64_t exportXlsx(engine::Database& db, const std::string& table, const std::string& file,
                        const ExportOptions& o, engine::Progress* progress) {
    auto cur = openExport(db, table, o);
    const auto& defs = cur->fields();
    PendingFile out(file);
    lxw_workbook_options wo{};
    wo.constant_memory = LXW_TRUE;
    struct Closer {
        lxw_workbook* wb;
        ~Closer() {
            if (wb) workbook_close(wb);
        }
    } book{workbook_new_opt(out.tempName().c_str(), &wo)};
    if (!book.wb) fileError("Cannot write " + file);
    lxw_worksheet* ws = workbook_add_worksheet(book.wb, nullptr);
    lxw_format* dateFmt = workbook_add_format(book.wb);
    format_set_num_format(dateFmt, "yyyy-mm-dd");
    lxw_format* timeFmt = workbook_add_format(book.wb);
    format_set_num_format(timeFmt, "hh:mm:ss");
    lxw_format* stampFmt = workbook_add_format(book.wb);
    format_set_num_format(stampFmt, "yyyy-mm-dd hh:mm:ss");
    auto check = [&](lxw_error e, std::int64_t row, const std::string& column) {
        if (e != LXW_NO_ERROR) dataError(cellName(row, column) + ": " + lxw_strerror(e));
    };
    const std::int64_t total = cur->rowCount();
    std::int64_t n = 0;
    std::vector<Row> rows;
    constexpr double kExact = 9007199254740992.0;   // 2^53: larger integers go as text
    for (bool more = true; more;) {
        more = cur->fetchInto(kBlock, rows);
        for (const auto& r : rows) {
            r.ready();
            if (n == 0)
                for (std::size_t i = 0; i < defs.size(); ++i)
                    check(worksheet_write_string(ws, 0, lxw_col_t(i), defs[i].name.c_str(), nullptr), 0, defs[i].name);
            ++n;
            if (n >= 1048576) dataError("The table has more rows than a worksheet holds (1048575 below the names)");
            const auto row = lxw_row_t(n);
            for (std::size_t i = 0; i < defs.size(); ++i) {
                const Value& v = r.values[i];
                const auto col = lxw_col_t(i);
                lxw_error e = LXW_NO_ERROR;
                if (v.isNull()) continue;
                if (v.is<std::int64_t>() && std::fabs(double(v.get<std::int64_t>())) < kExact) {
                    e = worksheet_write_number(ws, row, col, double(v.get<std::int64_t>()), nullptr);
                } else if (v.is<double>() && std::isfinite(v.get<double>())) {
                    e = worksheet_write_number(ws, row, col, v.get<double>(), nullptr);
                } else if (v.is<engine::Decimal>() && v.get<engine::Decimal>().text.size() <= 15) {
                    e = worksheet_write_number(ws, row, col, std::strtod(v.get<engine::Decimal>().text.c_str(), nullptr), nullptr);
                } else if (v.is<bool>()) {
                    e = worksheet_write_boolean(ws, row, col, v.get<bool>() ? 1 : 0, nullptr);
                } else if (v.is<engine::Date>() && v.get<engine::Date>().year >= 1900) {
                    const auto& dd = v.get<engine::Date>();
                    lxw_datetime dt{dd.year, dd.month, dd.day, 0, 0, 0};
                    e = worksheet_write_datetime(ws, row, col, &dt, dateFmt);
                } else if (v.is<engine::Time>()) {
                    const auto& t = v.get<engine::Time>();
                    lxw_datetime dt{0, 0, 0, t.hour, t.minute, t.second + t.msec / 1000.0};
                    e = worksheet_write_datetime(ws, row, col, &dt, timeFmt);
                } else if (v.is<engine::DateTime>() && v.get<engine::DateTime>().date.year >= 1900) {
                    const auto& s = v.get<engine::DateTime>();
                    lxw_datetime dt{s.date.year, s.date.month, s.date.day, s.time.hour, s.time.minute,
                                    s.time.second + s.time.msec / 1000.0};
                    e = worksheet_write_datetime(ws, row, col, &dt, stampFmt);
                } else {
                    const std::string text = v.asText();
                    e = worksheet_write_string(ws, row, col, text.c_str(), nullptr);
                }
                check(e, n, defs[i].name);
            }
        }
        if (progress && !progress->step(n, total)) cancelled();
    }
    lxw_workbook* wb = book.wb;
    book.wb = nullptr;
    lxw_error e = workbook_close(wb);
    if (e != LXW_NO_ERROR) fileError("Cannot write " + file + ": " + lxw_strerror(e));
    out.commit();
    return n;
}

bool isDbfFile(const std::string& file) {
    std::string ext = upper(fs::path(file).extension().string());
    return ext == ".DBF";
}

std::int64_t importText(engine::Database& db, const std::string& table, const std::string& file,
                        const ImportOptions& o, engine::Progress* progress) {
    TextCursor cur(file, o);
    auto columns = destinationColumns(db.connection(), table, cur.fields().size(), "The file");
    BytesProgress bytes(progress, cur);
    return load(db, table, columns, cur, &bytes, [&] {
        TextCursor check(file, o);
        readThrough(check, progress, [&] { return std::pair(check.reader().consumed(), check.reader().size()); });
    });
}

std::int64_t importDbf(engine::Database& db, const std::string& table, const std::string& dbfFile,
                       engine::Progress* progress) {
    fs::path p = fs::absolute(dbfFile);
    if (!fs::exists(p)) fileError("File not found: " + dbfFile);
    engine::Database src(&db.session());
    src.setDatabaseName(p.parent_path().string());
    src.open();
    auto open = [&] { return src.connection().openTable(p.filename().string(), engine::TableOpenOptions{}); };
    auto cur = open();
    auto columns = destinationColumns(db.connection(), table, cur->fields().size(), "The dBase file");
    return load(db, table, columns, *cur, progress, [&] {
        auto check = open();
        std::int64_t seen = 0, total = check->rowCount();
        readThrough(*check, progress, [&] {
            seen += std::int64_t(kBlock);
            return std::pair(std::min(seen, total < 0 ? seen : total), total);
        });
    });
}

std::string defaultSourceSql(const std::string& sourceTable) { return "select * from " + sourceTable; }

std::vector<std::string> defaultMaps(const std::vector<std::string>& fields) {
    std::vector<std::string> out;
    for (const auto& f : fields) out.push_back(f + "=" + f);
    return out;
}

std::vector<std::string> sourceFields(engine::Database& source, const std::string& sql) {
    engine::Query q;
    q.setDatabase(&source);
    q.setSql(sql);
    q.open();
    auto names = q.fieldNames();
    q.close();
    return names;
}

std::int64_t appendRows(engine::Database& source, const std::string& sql, engine::Database& dest,
                        const std::string& table, const std::vector<std::string>& maps, engine::Progress* progress) {
    engine::Query q;
    q.setDatabase(&source);
    q.setSql(sql);
    engine::Table t;
    t.setDatabase(&dest);
    t.setTableName(table);
    engine::BatchMove move;
    move.source = &q;
    move.destination = &t;
    move.mode = engine::batAppend;
    for (const auto& m : maps)
        if (!trim(m).empty()) move.mappings.push_back(m);
    // The batch move runs in one transaction on SQL destinations; a local table's files are put
    // back after an error or a cancel.
    LocalRestorePoint before(dest.connection(), table);
    try {
        move.execute(progress);
    } catch (...) {
        before.restore();
        throw;
    }
    return move.movedCount();
}

}  // namespace vlm::transfer
