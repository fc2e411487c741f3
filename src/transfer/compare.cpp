// The table comparison and its log.
#include "transfer/compare.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "engine/driver.h"
#include "engine/error.h"
#include "shell/language.h"
#include "transfer/textformat.h"

namespace vlm::transfer {

using engine::Connection;
using engine::Cursor;
using engine::EngineError;
using engine::ErrorCategory;
using engine::FieldDef;
using engine::Row;
using engine::Value;
using shell::pick;
namespace fs = std::filesystem;

// ---- The log.

CompareLog::CompareLog(std::string path, bool removeOld) : path_(std::move(path)) {
    std::error_code ec;
    if (removeOld) fs::remove(path_, ec);
}

CompareLog::~CompareLog() {
    try {
        flush();
    } catch (const EngineError&) {
        // A log that cannot be written was reported by the flush of the run itself.
    }
}

void CompareLog::line(const std::string& text) {
    pending_ += text;
    pending_ += "\r\n";
    if (pending_.size() >= (64u << 10)) flush();
}

void CompareLog::flush() {
    std::error_code ec;
    bool fresh = !fs::exists(path_, ec);
    if (!fresh && pending_.empty()) return;
    std::FILE* f = std::fopen(path_.c_str(), "ab");
    if (!f) throw EngineError(ErrorCategory::File, engine::errc::FileBase, {"Cannot write " + path_ + ": " + std::strerror(errno)});
    std::string out;
    if (fresh) {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        char b[32];
        std::strftime(b, sizeof b, "%d.%m.%Y %H:%M:%S", &tm);
        out = std::string(b) + "\r\n\r\n";
    }
    out += pending_;
    pending_.clear();
    bool bad = std::fwrite(out.data(), 1, out.size(), f) != out.size();
    bad = std::fclose(f) != 0 || bad;
    if (bad) throw EngineError(ErrorCategory::File, engine::errc::FileBase, {"Cannot write " + path_});
}

std::string CompareLog::text() {
    flush();
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// ---- Log lines.

std::string rowCountLine(const std::string& left, long long lc, const std::string& right, long long rc) {
    return pick("Число строк - ", "ROW COUNT - ") + left + "(" + std::to_string(lc) + ") " + (lc == rc ? "=" : "<>") + " " +
           right + "(" + std::to_string(rc) + ")";
}

std::string fieldsCountLine(const std::string& left, int lc, const std::string& right, int rc) {
    return pick("Число полей - ", "FIELDS COUNT - ") + left + "(" + std::to_string(lc) + ") <> " + right + "(" +
           std::to_string(rc) + ")";
}

std::string fieldNameHeading() { return pick("----- Сравнение имен полей -----", "----- Fields Name Compare -----"); }

std::string fieldNameLine(int position, const std::string& left, const std::string& right) {
    return rightAligned(position, 3) + ": " + left + " <> " + right;
}

std::string fieldTypeHeading() { return pick("----- Сравнение типов полей -----", "----- Fields Type Compare -----"); }

std::string fieldTypeLine(int position, const std::string& left, engine::FieldType lt, const std::string& right,
                          engine::FieldType rt) {
    return rightAligned(position, 3) + ": " + left + " (" + engine::fieldTypeName(lt) + ")" + " <> " + right + " (" +
           engine::fieldTypeName(rt) + ")";
}

std::string valueLine(long long row, const std::string& field, const std::string& left, const std::string& right) {
    return rightAligned(row, 5) + ": " + field + " -> \"" + left + "\" <> \"" + right + "\"";
}

std::string rowOnlyLine(long long row, const std::string& key, bool missing, const std::string& right) {
    return rightAligned(row, 5) + ": " + (key.empty() ? std::string() : key + " ") + "-> " +
           (missing ? pick("нет в ", "missing in ") : pick("лишняя в ", "extra in ")) + right;
}

std::string resultText(int differences) {
    if (differences) return std::to_string(differences) + pick(" ошибок!", " comared errors!");
    return pick("Сравнение - норма!", "Comared Ok!");
}


// ---- Comparison.

namespace {

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

std::unique_ptr<Cursor> query(Connection& c, const std::string& sql) {
    auto cur = c.prepare(sql)->execute();
    if (!cur) throw EngineError(ErrorCategory::Sql, "The query returned no rows: " + sql);
    return cur;
}

long long countRows(Connection& c, const std::string& table) {
    auto cur = query(c, "Select Count( * ) from " + table);
    std::vector<Row> rows;
    cur->fetch(1, rows);
    if (rows.empty() || rows[0].values.empty()) return 0;
    rows[0].ready();
    return rows[0].values[0].asInteger();
}

// The rows of a table, ordered by the key fields when given.
std::unique_ptr<Cursor> openRows(Connection& c, const std::string& table, const std::vector<std::string>& key) {
    if (!c.capabilities().sqlBased) {
        engine::TableOpenOptions o;
        o.indexFieldNames = key;
        return c.openTable(table, o);
    }
    std::string sql = "Select * from " + table;
    for (std::size_t i = 0; i < key.size(); ++i) sql += (i ? ", " : " order by ") + c.quoteIdentifier(key[i]);
    return query(c, sql);
}

// The text a value is compared and logged by: numbers by their value ("5.00" and 5 agree).
std::string shownText(const Value& v) {
    if (v.is<engine::Decimal>()) {
        std::string s = v.get<engine::Decimal>().text;
        if (s.find('.') != std::string::npos) {
            while (!s.empty() && s.back() == '0') s.pop_back();
            if (!s.empty() && s.back() == '.') s.pop_back();
        }
        if (s == "-0") s = "0";
        return s;
    }
    if (v.is<double>()) {
        double d = v.get<double>();
        if (std::abs(d) < 1e15 && d == double(static_cast<long long>(d))) return std::to_string(static_cast<long long>(d));
    }
    return v.asText();
}

bool sameValue(const Value& a, const Value& b) {
    if (a.storage().index() == b.storage().index() && a == b) return true;
    return shownText(a) == shownText(b);
}

bool numeric(const Value& v) { return v.is<std::int64_t>() || v.is<double>() || v.is<engine::Decimal>(); }

double number(const Value& v) {
    if (v.is<engine::Decimal>()) return std::strtod(v.get<engine::Decimal>().text.c_str(), nullptr);
    return v.asFloat();
}

// Our own order of key values, the same for every server: NULL first, numbers by value,
// everything else by its text, byte by byte.
int compareValue(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull() ? 0 : a.isNull() ? -1 : 1;
    if (a.is<std::int64_t>() && b.is<std::int64_t>()) {
        auto x = a.get<std::int64_t>(), y = b.get<std::int64_t>();
        return x < y ? -1 : x > y;
    }
    if (numeric(a) && numeric(b)) {
        double x = number(a), y = number(b);
        return x < y ? -1 : x > y;
    }
    std::string x = a.is<std::string>() ? a.get<std::string>() : a.asText();
    std::string y = b.is<std::string>() ? b.get<std::string>() : b.asText();
    int c = x.compare(y);
    return c < 0 ? -1 : c > 0;
}

// Row source for the merge: rows of a cursor in blocks, or of a sorted vector.
class Rows {
public:
    explicit Rows(std::unique_ptr<Cursor> c) : cur_(std::move(c)) {}
    explicit Rows(std::vector<Row> all) : block_(std::move(all)), more_(false) {}
    // The next row, or nullptr at the end.
    const Row* next() {
        if (at_ >= block_.size()) {
            if (!more_) return nullptr;
            more_ = cur_->fetchInto(1024, block_);
            at_ = 0;
            if (block_.empty()) return nullptr;
        }
        const Row& r = block_[at_++];
        r.ready();
        ++number_;
        return &r;
    }
    long long number() const { return number_; }

private:
    std::unique_ptr<Cursor> cur_;
    std::vector<Row> block_;
    std::size_t at_ = 0;
    bool more_ = true;
    long long number_ = 0;
};

struct Run {
    const CompareSide& left;
    const CompareSide& right;
    CompareLog& log;
    engine::Progress* progress;
    int differences = 0;
    long long total = -1;
    long long steps = 0;

    void tick(long long done) {
        if (progress && (++steps % 1024) == 0 && !progress->step(done, total))
            throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user");
    }
};

// Logs (or collects into out) the values of two rows that differ; returns how many.
int compareRowValues(Run& run, long long number, const std::string& keyText, const Row& a, const Row& b,
                     const std::vector<FieldDef>& fields, std::vector<std::string>* out) {
    int n = 0;
    for (std::size_t i = 0; i < fields.size() && i < a.values.size() && i < b.values.size(); ++i) {
        if (sameValue(a.values[i], b.values[i])) continue;
        std::string field = keyText.empty() ? fields[i].name : fields[i].name + " [" + keyText + "]";
        std::string l = valueLine(number, field, shownText(a.values[i]), shownText(b.values[i]));
        if (out) out->push_back(std::move(l));
        else run.log.line(l);
        ++n;
    }
    return n;
}

void positional(Run& run, const std::vector<FieldDef>& fields, long long limit) {
    Rows a(openRows(run.left.db->connection(), run.left.table, {}));
    Rows b(openRows(run.right.db->connection(), run.right.table, {}));
    for (long long r = 1;; ++r) {
        if (limit >= 0 && r > limit) break;
        const Row* x = a.next();
        const Row* y = b.next();
        if (!x && !y) break;
        if (x && y) {
            run.differences += compareRowValues(run, r, {}, *x, *y, fields, nullptr);
        } else {
            run.log.line(rowOnlyLine(r, {}, x != nullptr, run.right.table));
            ++run.differences;
        }
        run.tick(r);
    }
}

struct KeyedMerge {
    std::vector<int> leftKey, rightKey;   // positions of the key fields on each side
    std::vector<std::string> names;

    int compare(const Row& a, const Row& b) const {
        for (std::size_t i = 0; i < leftKey.size(); ++i)
            if (int c = compareValue(a.values[std::size_t(leftKey[i])], b.values[std::size_t(rightKey[i])])) return c;
        return 0;
    }
    int compareSame(const Row& a, const Row& b, const std::vector<int>& key) const {
        for (int k : key)
            if (int c = compareValue(a.values[std::size_t(k)], b.values[std::size_t(k)])) return c;
        return 0;
    }
    std::string keyText(const Row& r, const std::vector<int>& key) const {
        std::string s;
        for (std::size_t i = 0; i < key.size(); ++i)
            s += (i ? ", " : "") + names[i] + "=" + shownText(r.values[std::size_t(key[i])]);
        return s;
    }
};

// The merge over both sides in key order. False when a side's rows turn out not to be in our
// order (the server sorts text another way, or the key repeats): nothing is logged then.
bool merge(Run& run, const KeyedMerge& k, Rows& a, Rows& b, const std::vector<FieldDef>& fields) {
    std::vector<std::string> lines;
    int found = 0;
    Row prevA, prevB;
    const Row* x = a.next();
    const Row* y = b.next();
    auto advanceA = [&] {
        prevA.values = x->values;
        x = a.next();
        return !x || k.compareSame(prevA, *x, k.leftKey) < 0;
    };
    auto advanceB = [&] {
        prevB.values = y->values;
        y = b.next();
        return !y || k.compareSame(prevB, *y, k.rightKey) < 0;
    };
    long long done = 0;
    while (x || y) {
        int c = !x ? 1 : !y ? -1 : k.compare(*x, *y);
        if (c == 0) {
            found += compareRowValues(run, a.number(), k.keyText(*x, k.leftKey), *x, *y, fields, &lines);
            if (!advanceA() || !advanceB()) return false;
        } else if (c < 0) {
            lines.push_back(rowOnlyLine(a.number(), k.keyText(*x, k.leftKey), true, run.right.table));
            ++found;
            if (!advanceA()) return false;
        } else {
            lines.push_back(rowOnlyLine(b.number(), k.keyText(*y, k.rightKey), false, run.right.table));
            ++found;
            if (!advanceB()) return false;
        }
        run.tick(++done);
    }
    for (const auto& l : lines) run.log.line(l);
    run.differences += found;
    return true;
}

std::vector<Row> sortedRows(std::unique_ptr<Cursor> cur, const KeyedMerge& k, const std::vector<int>& key) {
    std::vector<Row> all, block;
    for (bool more = true; more;) {
        more = cur->fetchInto(1024, block);
        for (auto& r : block) {
            r.ready();
            Row copy;
            copy.values = r.values;
            all.push_back(std::move(copy));
        }
    }
    std::stable_sort(all.begin(), all.end(), [&](const Row& a, const Row& b) { return k.compareSame(a, b, key) < 0; });
    return all;
}

void byKey(Run& run, const std::vector<FieldDef>& leftFields, const std::vector<FieldDef>& rightFields) {
    KeyedMerge k;
    auto key = keyFieldsOf(*run.left.db, run.left.table);
    if (key.empty()) key = keyFieldsOf(*run.right.db, run.right.table);
    if (key.empty())
        throw EngineError(ErrorCategory::Usage, engine::errc::UsageBase,
                          {"Neither " + run.left.table + " nor " + run.right.table + " has a primary key or a unique index"});
    std::vector<std::string> leftNames, rightNames;
    for (const auto& n : key) {
        auto find = [&](const std::vector<FieldDef>& fs, const std::string& table) {
            for (std::size_t i = 0; i < fs.size(); ++i)
                if (sameName(fs[i].name, n)) return int(i);
            throw EngineError(ErrorCategory::Usage, engine::errc::UnknownField, {"Key field " + n + " not found in " + table});
        };
        k.leftKey.push_back(find(leftFields, run.left.table));
        k.rightKey.push_back(find(rightFields, run.right.table));
        leftNames.push_back(leftFields[std::size_t(k.leftKey.back())].name);
        rightNames.push_back(rightFields[std::size_t(k.rightKey.back())].name);
        k.names.push_back(leftNames.back());
    }
    Connection& lc = run.left.db->connection();
    Connection& rc = run.right.db->connection();
    {
        Rows a(openRows(lc, run.left.table, leftNames));
        Rows b(openRows(rc, run.right.table, rightNames));
        if (merge(run, k, a, b, leftFields)) return;
    }
    // The servers' order is not ours: both sides sorted here.
    Rows a(sortedRows(openRows(lc, run.left.table, {}), k, k.leftKey));
    Rows b(sortedRows(openRows(rc, run.right.table, {}), k, k.rightKey));
    if (!merge(run, k, a, b, leftFields))
        throw EngineError(ErrorCategory::Data, engine::errc::KeyViolation,
                          {"The key " + k.names.front() + " repeats a value: rows cannot be matched by it"});
}

}  // namespace

std::vector<std::string> keyFieldsOf(engine::Database& db, const std::string& table) {
    auto idx = db.connection().indexDefs(table);
    for (const auto& i : idx)
        if (i.primary && !i.fields.empty() && i.expression.empty()) return i.fields;
    for (const auto& i : idx)
        if (i.unique && !i.fields.empty() && i.expression.empty()) return i.fields;
    return {};
}

CompareResult compareTables(const CompareSide& left, const CompareSide& right, const CompareOptions& o, CompareLog& log,
                            engine::Progress* progress) {
    Run run{left, right, log, progress};
    Connection& lc = left.db->connection();
    Connection& rc = right.db->connection();
    long long limit = -1;
    CompareResult res;
    if (o.rowCount) {
        long long a = countRows(lc, left.table), b = countRows(rc, right.table);
        limit = std::min(a, b);
        run.total = std::max(a, b);
        if (a != b) ++run.differences;
        log.line(rowCountLine(left.table, a, right.table, b));
    }
    auto lf = query(lc, "Select * from " + left.table + " where 1=0")->fields();
    auto rf = query(rc, "Select * from " + right.table + " where 1=0")->fields();
    bool structureOk = lf.size() == rf.size();
    if (structureOk) {
        bool heading = false;
        for (std::size_t i = 0; i < lf.size(); ++i) {
            // Names that differ only in case are one name to SQL (PostgreSQL folds to lower
            // case, Firebird and dBase to upper case).
            if (sameName(lf[i].name, rf[i].name)) continue;
            if (!heading) log.line(fieldNameHeading());
            heading = true;
            log.line(fieldNameLine(int(i), lf[i].name, rf[i].name));
            ++run.differences;
        }
        log.line("");
        if (o.types) {
            heading = false;
            for (std::size_t i = 0; i < lf.size(); ++i) {
                if (lf[i].type == rf[i].type) continue;
                if (!heading) log.line(fieldTypeHeading());
                heading = true;
                log.line(fieldTypeLine(int(i), lf[i].name, lf[i].type, rf[i].name, rf[i].type));
                ++run.differences;
            }
        }
    } else {
        log.line("");
        log.line(fieldsCountLine(left.table, int(lf.size()), right.table, int(rf.size())));
        log.line("");
        ++run.differences;
    }
    if (structureOk && o.data) {
        if (o.byKey) byKey(run, lf, rf);
        else positional(run, lf, limit);
    }
    res.differences = run.differences;
    res.status = resultText(run.differences);
    log.line(res.status);
    log.flush();
    if (progress) progress->step(run.total, run.total);
    return res;
}

}  // namespace vlm::transfer
