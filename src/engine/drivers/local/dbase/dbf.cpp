// dBase table files. Header: 32 bytes (version, last update, record count, header and record
// length, MDX flag, language driver), then 32-byte field descriptors (48 bytes on dBase 7, which
// also carries a language driver name), 0x0D, Visual FoxPro's 263-byte backlink; then the
// records, each a deleted flag ('*' or ' ') and the fields; 0x1A ends the file.
#include "engine/drivers/local/pathutil.h"
#include "dbf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <set>
#include <type_traits>

#include "../../../error.h"
#include "../../../typemap.h"
#include "mdx.h"
#include "ndxinf.h"
#include "replace.h"

namespace vlm::engine::local::dbase {
namespace {

constexpr std::size_t kBlockBytes = 1 << 17;   // records are read 128 KiB at a time
constexpr std::size_t kPad = 8;
constexpr std::size_t kBlocksKept = 8;   // blocks of records kept for rows decoded later

// Eight bytes at a time (little-endian words: the first byte in the low bits).
constexpr std::uint64_t kBlanks = 0x2020202020202020ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
inline std::uint64_t load8(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}
// The high bit of every byte of w that is zero, and of no other.
inline std::uint64_t zeroBytes(std::uint64_t w) { return ~(((w & kLow7) + kLow7) | w | kLow7); }
// The high bit of every byte that is no ASCII digit.
inline std::uint64_t nonDigits(std::uint64_t w) {
    std::uint64_t x = ((w & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull) |
                      ((((w & kLow7) + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull) |
                      (w & kHigh);
    return ~zeroBytes(x) & kHigh;
}
// The value of the k (1..8) digits at the start of w, the first the most significant.
inline std::uint64_t digitsValue(std::uint64_t w, int k) {
    std::uint64_t v = (w - 0x3030303030303030ull) << (8 * (8 - k));   // leading zeros in front
    v = ((v & 0x0F0F0F0F0F0F0F0Full) * 2561) >> 8;
    v = ((v & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
    return ((v & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
}

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[3]) | std::uint32_t(p[2]) << 8 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[0]) << 24;
}
void putLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
void putBe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[3 - i] = std::uint8_t(v >> (8 * i));
}

std::string fileName(const std::string& path) {
    auto s = path.find_last_of('/');
    return s == std::string::npos ? path : path.substr(s + 1);
}

[[noreturn]] void corrupt(const std::string& path, const std::string& what) {
    throw EngineError(ErrorCategory::File, errc::FileCorrupt, {"Table " + path + " is damaged: " + what});
}
[[noreturn]] void badValue(const std::string& field, const std::string& what) {
    throw EngineError(ErrorCategory::Data, errc::ConversionFailed, {"Field " + field + ": " + what});
}

// The common shapes of numeric field text, "-123" and "-123.45", parsed without the general
// parser. Returns false for anything else (exponents, a leading '+', 16 or more digits), which
// the caller hands to std::from_chars; the result is then the same: a mantissa below 2^53
// divided by an exact power of ten is the correctly rounded value of the text.
bool parseSimpleNumber(std::string_view s, bool& isInt, std::int64_t& iv, double& dv) {
    static const double pow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0, n = s.size();
    bool neg = false;
    if (i < n && s[i] == '-') neg = true, ++i;
    std::size_t intStart = i;
    std::int64_t m = 0;
    // No more than 15 digits are taken: a 16th goes to the general parser (m never overflows).
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        if (i - intStart == 15) return false;
        m = m * 10 + (s[i++] - '0');
    }
    std::size_t intDigits = i - intStart;
    if (intDigits == 0) return false;
    if (i == n) {
        isInt = true;
        iv = neg ? -m : m;
        dv = neg ? -double(m) : double(m);
        return true;
    }
    if (s[i] != '.') return false;
    std::size_t fracStart = ++i;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        if (intDigits + (i - fracStart) == 15) return false;
        m = m * 10 + (s[i++] - '0');
    }
    std::size_t fracDigits = i - fracStart;
    if (i != n || intDigits + fracDigits > 15) return false;
    isInt = false;
    dv = double(m) / pow10[fracDigits];
    if (neg) dv = -dv;
    return true;
}

// A numeric field in its plain form, right-aligned "   -123" or "  -12.50" (blanks or NULs
// after it), parsed eight bytes at a time with the result parseSimpleNumber gives. False for
// anything else (blank, stars, '+', exponents, 16 or more digits), which the general decoder
// takes. p may be read up to 8 bytes past the field.
inline bool plainNumber(const std::uint8_t* p, std::size_t n, bool integer, Value& out) {
    static const double pow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15};
    static const std::int64_t ipow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    std::size_t i = 0;
    for (;;) {   // leading blanks
        if (i >= n) return false;
        std::uint64_t other = ~zeroBytes(load8(p + i) ^ kBlanks) & kHigh;
        if (other) {
            i += std::size_t(__builtin_ctzll(other) / 8);
            break;
        }
        i += 8;
    }
    if (i >= n) return false;
    bool neg = p[i] == '-';
    if (neg) ++i;
    // Digits up to the first other byte, or the field's end.
    // More than limit digits: limit + 1 (m then holds no more than limit digits).
    auto run = [&](std::size_t& at, std::int64_t& m, std::size_t limit) {
        std::size_t start = at;
        while (at < n) {
            std::uint64_t w = load8(p + at);
            std::uint64_t stop = nonDigits(w);
            if (n - at < 8) stop |= kHigh << (8 * (n - at));   // bytes past the field
            int k = stop ? __builtin_ctzll(stop) / 8 : 8;
            if (k == 0) break;
            if (at - start + std::size_t(k) > limit) return limit + 1;
            m = m * ipow10[k] + std::int64_t(digitsValue(w, k));
            at += std::size_t(k);
            if (k < 8) break;
        }
        return at - start;
    };
    std::int64_t m = 0;
    std::size_t intDigits = run(i, m, 15);
    if (intDigits == 0 || intDigits > 15) return false;
    bool point = i < n && p[i] == '.';
    std::size_t fracDigits = 0;
    if (point) {
        ++i;
        fracDigits = run(i, m, 15 - intDigits);
        if (intDigits + fracDigits > 15) return false;
    }
    for (; i < n; ++i)
        if (p[i] != ' ' && p[i] != 0) return false;
    if (integer && !point) {
        out.setScalar<std::int64_t>(neg ? -m : m);
        return true;
    }
    double v = double(m) / pow10[fracDigits];
    out.setScalar<double>(neg ? -v : v);
    return true;
}

inline bool asciiText(std::string_view s) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
    std::size_t n = s.size(), i = 0;
    std::uint64_t any = 0;
    if (n >= 8) {
        for (; i + 8 <= n; i += 8) any |= load8(p + i);
        any |= load8(p + n - 8);   // the tail, overlapping the last word
        return (any & kHigh) == 0;
    }
    for (; i < n; ++i) any |= p[i];
    return (any & 0x80) == 0;
}

int julianDay(int y, int m, int d) {
    int a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}
Date fromJulian(int j) {
    int a = j + 32044, b = (4 * a + 3) / 146097, c = a - 146097 * b / 4;
    int d = (4 * c + 3) / 1461, e = c - 1461 * d / 4, m = (5 * e + 2) / 153;
    return {100 * b + d - 4800 + m / 10, m + 3 - 12 * (m / 10), e - (153 * m + 2) / 5 + 1};
}
Time fromMillis(std::uint32_t ms) {
    return {int(ms / 3600000), int(ms / 60000 % 60), int(ms / 1000 % 60), int(ms % 1000)};
}
std::uint32_t toMillis(const Time& t) {
    return std::uint32_t(((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.msec);
}

inline bool validDate(const Date& d) {
    if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.month == 2 && d.day == 29) return d.year % 4 == 0 && (d.year % 100 != 0 || d.year % 400 == 0);
    return d.day <= days[d.month - 1];
}

// Parses "YYYY-MM-DD[ HH:MM:SS[.mmm]]" or "YYYYMMDD".
bool parseDateTime(const std::string& s, DateTime& out) {
    int y = 0, m = 0, d = 0, hh = 0, mi = 0, ss = 0, ms = 0;
    if (s.size() == 8 && std::all_of(s.begin(), s.end(), ::isdigit)) {
        y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(4, 2)), d = std::stoi(s.substr(6, 2));
    } else {
        int n = std::sscanf(s.c_str(), "%d-%d-%d%*[ T]%d:%d:%d.%d", &y, &m, &d, &hh, &mi, &ss, &ms);
        if (n < 3) return false;
    }
    out = {{y, m, d}, {hh, mi, ss, ms}};
    return validDate(out.date);
}

DateTime valueDateTime(const Value& v, const std::string& field) {
    if (v.is<Date>()) return {v.get<Date>(), {}};
    if (v.is<DateTime>()) return v.get<DateTime>();
    DateTime dt;
    if (v.is<std::string>() && parseDateTime(v.get<std::string>(), dt)) return dt;
    badValue(field, "'" + v.asText() + "' is not a valid date");
}

}  // namespace

std::string companionPath(FileSystem& fs, const std::string& tablePath, const std::string& ext) {
    auto dot = tablePath.find_last_of('.');
    auto slash = tablePath.find_last_of('/');
    std::string base = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                           ? tablePath : tablePath.substr(0, dot);
    std::string lowerExt = ext;
    std::transform(lowerExt.begin(), lowerExt.end(), lowerExt.begin(), ::tolower);
    std::string up = base + "." + upper(ext), low = base + "." + lowerExt;
    if (fs.exists(up)) return up;
    if (fs.exists(low)) return low;
    bool lowerCase = dot != std::string::npos && std::islower(static_cast<unsigned char>(tablePath.back()));
    return lowerCase ? low : up;
}

DbfTable::DbfTable(FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}

DbfTable::~DbfTable() {
    try {
        flush();
    } catch (...) {
        // Closing must not throw; a failed index rebuild is found stale and rebuilt next open.
    }
}

std::unique_ptr<DbfTable> DbfTable::open(FileSystem& fs, const std::string& path, const OpenOptions& options) {
    recoverReplacements(fs, dirName(path));
    std::unique_ptr<DbfTable> t(new DbfTable(fs, path));
    t->options_ = options;
    t->reopen();
    if (!options.readOnly && t->hasIndexes() && t->indexStale()) {
        try {
            t->rebuildIndexes();
        } catch (const EngineError&) {
            t->indexDirty_ = true;   // the table still opens; closing tries again
        }
    }
    return t;
}

// A production index is stale when the data file changed after it (a program that does not
// keep the index, or a crash between the data file's swap and the index's), or when its tags
// do not hold one key per record. The times are compared always; the keys are counted when
// the index is small enough to read at once.
bool DbfTable::indexStale() {
    constexpr std::uint64_t kCountKeysUpTo = 8u << 20;
    if (indexFault_) return false;   // what cannot be computed is not rebuilt; changes are refused
    auto d = fs_.stat(path_);
    if (!d) return false;
    auto tooFew = [&](std::size_t keys, bool unique) {
        return unique ? std::int64_t(keys) > count_ : std::int64_t(keys) != count_;
    };
    try {
        if (!tags_.empty()) {
            std::string mdx = mdxPath();
            auto m = fs_.stat(mdx);
            if (!m) return true;
            if (d->modifiedNs > m->modifiedNs) return true;
            if (m->size <= kCountKeysUpTo)
                for (const auto& t : tags_) {
                    auto keys = readMdxKeys(fs_, mdx, t.name);
                    if (tooFew(keys.size(), t.unique)) return true;
                    for (const auto& k : keys)
                        if (k.second == 0 || std::int64_t(k.second) > count_) return true;
                }
        }
        for (const auto& n : ndx_) {
            auto m = fs_.stat(n.path);
            if (!m || d->modifiedNs > m->modifiedNs) return true;
            if (m->size > kCountKeysUpTo) continue;
            MdxTag t = readNdx(fs_, n.path, true);
            if (tooFew(t.keys.size(), t.unique)) return true;
            for (const auto& k : t.keys)
                if (k.second == 0 || std::int64_t(k.second) > count_) return true;
        }
    } catch (const EngineError&) {
        return true;   // unreadable keys: write them afresh
    }
    return false;
}

std::string DbfTable::codePageFromCpg() {
    std::string dir = dirName(path_), file = fileName(path_);
    std::string stem = upper(file.substr(0, file.find_last_of('.')));
    std::string cpg;
    for (const auto& n : fs_.list(dir))
        if (upper(n) == stem + ".CPG") {
            cpg = dir + "/" + n;
            break;
        }
    if (cpg.empty()) return {};
    std::string text(64, '\0');
    try {
        auto f = fs_.open(cpg, ReadOnly);
        text.resize(f->read(0, text.data(), text.size()));
    } catch (const EngineError&) {
        text.clear();   // unreadable: as unknown, below
    }
    std::string cp = codePageForCpgText(text);
    if (cp.empty() && options_.notice) {
        std::string shown;
        for (char c : text.substr(0, 32)) shown += (static_cast<unsigned char>(c) < 0x20) ? ' ' : c;
        std::string fallback = options_.languageDriver.empty() ? std::string(isFox() ? "CP1252" : "CP437")
                                                               : options_.languageDriver;
        options_.notice("Table " + file + ": the code page file " + fileName(cpg) + " names \"" + shown +
                        "\", which is not a known code page; the table is read with the language driver " +
                        fallback);
    }
    return cp;
}

void DbfTable::reopen() {
    file_ = fs_.open(path_, options_.readOnly ? ReadOnly : ReadWrite);
    if (!file_->lock(options_.exclusive))
        throw EngineError(ErrorCategory::File, errc::FileLocked,
                          {"Table " + path_ + " is locked by another program" +
                           std::string(options_.exclusive ? " and cannot be opened exclusively" : "")});
    memo_.reset();
    cacheCount_ = 0;
    for (auto& b : blocks_) b.generation = ++generation_;   // rows not decoded yet read their record again
    readHeader();
}

bool DbfTable::isFox() const {
    return isVfp() || version_ == 0xF5 || version_ == 0xFB || version_ == 0x02;
}

void DbfTable::readHeader() {
    std::uint64_t size = file_->size();
    if (size < 32) corrupt(path_, "the file is shorter than a table header");
    std::uint8_t h[68] = {};
    file_->read(0, h, sizeof h);
    version_ = h[0];
    count_ = le32(h + 4);
    headerLen_ = h[8] | h[9] << 8;
    recordLen_ = h[10] | h[11] << 8;
    mdxFlag_ = h[28];
    langId_ = h[29];
    const bool v7 = isLevel7();
    const int descLen = v7 ? 48 : 32;
    const int first = v7 ? 68 : 32;
    if (headerLen_ < first + 1 || std::uint64_t(headerLen_) > size)
        corrupt(path_, "the header length " + std::to_string(headerLen_) + " is invalid");
    if (recordLen_ < 1) corrupt(path_, "the record length is 0");
    if (v7) driverName_ = std::string(reinterpret_cast<char*>(h + 32), strnlen(reinterpret_cast<char*>(h + 32), 32));

    std::vector<std::uint8_t> hdr(static_cast<std::size_t>(headerLen_));
    file_->readExact(0, hdr.data(), hdr.size());
    fl_.clear();
    defs_.clear();
    int offset = 1, nullBits = 0;
    std::set<std::string> names;
    for (int p = first; p + descLen <= headerLen_ && hdr[std::size_t(p)] != 0x0D; p += descLen) {
        const std::uint8_t* d = hdr.data() + p;
        Field f;
        int nameLen = v7 ? 32 : 11;
        f.name = std::string(reinterpret_cast<const char*>(d), strnlen(reinterpret_cast<const char*>(d), std::size_t(nameLen)));
        while (!f.name.empty() && f.name.back() == ' ') f.name.pop_back();
        f.type = char(d[v7 ? 32 : 11]);
        f.length = d[v7 ? 33 : 16];
        f.decimals = d[v7 ? 34 : 17];
        f.flags = v7 ? 0 : d[18];
        f.descriptor = p;
        // Character fields of FoxPro and Clipper use the decimals byte as the high length byte.
        if (f.type == 'C' && !v7 && f.decimals && isFox()) f.length += f.decimals * 256, f.decimals = 0;
        if (f.length <= 0) corrupt(path_, "field " + f.name + " has length 0");
        f.offset = offset;
        offset += f.length;
        if (isVfp() && (f.flags & 0x02)) f.nullBit = nullBits++;
        if (isVfp() && f.type == '0') nullFlagsField_ = int(fl_.size());
        fl_.push_back(f);
    }
    if (fl_.empty()) corrupt(path_, "it has no field descriptors");
    if (offset > recordLen_)
        corrupt(path_, "the fields need " + std::to_string(offset) + " bytes but a record has " +
                           std::to_string(recordLen_));
    std::uint64_t need = std::uint64_t(headerLen_) + std::uint64_t(count_) * std::uint64_t(recordLen_);
    if (need > size) {
        std::int64_t holds = std::int64_t((size - std::uint64_t(headerLen_)) / std::uint64_t(recordLen_));
        corrupt(path_, "the header counts " + std::to_string(count_) + " records but the file holds only " +
                           std::to_string(holds));
    }

    // The language byte; else dBase 7's driver name; else a .cpg file beside the table (GIS
    // programs write language byte 0 and name the code page there); else the configured
    // language driver; else the format's own default.
    std::string cp = codePageForLanguageId(langId_);
    if (cp.empty() && v7) cp = codePageForDriverName(driverName_);
    if (cp.empty()) cp = codePageFromCpg();
    if (cp.empty() && !options_.languageDriver.empty()) cp = codePageOfLanguageDriver(options_.languageDriver);
    if (cp.empty()) cp = isFox() ? "CP1252" : "CP437";
    if (!tc_ || tc_->codePage() != cp) tc_ = std::make_unique<Transcoder>(cp);

    for (const auto& f : fl_) {
        FieldDef d;
        d.name = tc_->toUtf8(f.name);
        d.nativeType = std::string(1, f.type);
        d.size = f.length;
        d.scale = f.decimals;
        switch (f.type) {
        case 'C': d.logicalType = logical::ZSTRING; d.scale = 0; break;
        case 'N':
        case 'F':
            if (f.decimals == 0 && f.length <= 4) d.logicalType = logical::INT16;
            else if (f.decimals == 0 && f.length <= 11) d.logicalType = logical::INT32;
            else d.logicalType = logical::FLOAT;
            break;
        case 'D': d.logicalType = logical::DATE; d.size = 0; break;
        case 'L': d.logicalType = logical::BOOL; d.size = 0; break;
        case 'M': d.logicalType = logical::BLOB; d.subType = subtype::MEMO; break;
        case 'G': d.logicalType = logical::BLOB; d.subType = subtype::DBSOLEOBJ; break;
        case 'P': d.logicalType = logical::BLOB; d.subType = subtype::GRAPHIC; break;
        case 'B':
            if (isVfp()) d.logicalType = logical::FLOAT, d.size = 0;
            else d.logicalType = logical::BLOB, d.subType = subtype::TYPEDBINARY;
            break;
        case 'I': d.logicalType = logical::INT32; d.size = 0;
            if (isVfp() && (f.flags & 0x0C) == 0x0C) d.subType = subtype::AUTOINC;
            break;
        case '+': d.logicalType = logical::INT32; d.subType = subtype::AUTOINC; d.size = 0; break;
        case 'O': d.logicalType = logical::FLOAT; d.size = 0; break;
        case 'Y': d.logicalType = logical::FLOAT; d.subType = subtype::MONEY; d.size = 0; break;
        case '@':
        case 'T': d.logicalType = logical::TIMESTAMP; d.size = 0; break;
        case 'V': d.logicalType = logical::ZSTRING; break;
        default: d.logicalType = logical::BYTES; break;
        }
        d.type = fieldTypeFor(d.logicalType, d.subType);
        if (f.type == '0' || (f.flags & 0x01)) continue;   // Visual FoxPro system field
        defs_.push_back(d);
    }
    // Map defs_ positions to fl_ positions: system fields are hidden.
    if (defs_.size() != fl_.size()) {
        std::vector<Field> visible, system;
        for (auto& f : fl_) ((f.type == '0' || (f.flags & 0x01)) ? system : visible).push_back(f);
        fl_ = visible;
        nullFlagsField_ = -1;
        for (auto& f : system) {
            if (f.type == '0') nullFlagsField_ = int(fl_.size());
            fl_.push_back(f);
        }
    }

    planFields();
    loadIndexes();
}

void DbfTable::planFields() {
    plan_.assign(defs_.size(), Plan::General);
    for (std::size_t i = 0; i < defs_.size(); ++i) {
        const Field& f = fl_[i];
        if (f.nullBit >= 0) continue;   // Visual FoxPro nullable fields look at _NullFlags first
        switch (f.type) {
        case 'C':
        case 'V': plan_[i] = Plan::Text; break;
        case 'N':
        case 'F': plan_[i] = defs_[i].logicalType == logical::FLOAT ? Plan::Float : Plan::Integer; break;
        case 'D': if (f.length == 8) plan_[i] = Plan::Date; break;
        case 'L': plan_[i] = Plan::Logical; break;
        default: break;
        }
    }
}

std::string DbfTable::mdxPath() const { return companionPath(fs_, path_, "MDX"); }

void DbfTable::refreshCount() {
    std::uint8_t c[4];
    if (file_->read(4, c, 4) != 4) return;
    std::int64_t n = le32(c);
    if (n != count_) {
        std::uint64_t need = std::uint64_t(headerLen_) + std::uint64_t(n) * std::uint64_t(recordLen_);
        if (need <= file_->size()) count_ = n;
        cacheCount_ = 0;
    }
}

std::int64_t DbfTable::recordCount() {
    refreshCount();
    return count_;
}

void DbfTable::checkIndex(std::int64_t i) const {
    if (i < 0 || i >= count_)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"Record " + std::to_string(i + 1) + " does not exist in table " + path_});
}

void DbfTable::loadBlock(std::int64_t i) {
    std::int64_t per = std::max<std::int64_t>(1, std::int64_t(kBlockBytes) / recordLen_);
    std::int64_t n = std::min(per, count_ - i);
    // kPad bytes after the last record: the decoders read fields eight bytes at a time.
    std::size_t bytes = std::size_t(n) * std::size_t(recordLen_);
    cacheCount_ = 0;   // a read that fails leaves no half-read block behind
    if (blocks_.size() < kBlocksKept) blocks_.emplace_back(), cur_ = blocks_.size() - 1;
    else cur_ = (cur_ + 1) % blocks_.size();
    Block& b = blocks_[cur_];
    b.generation = ++generation_;   // what rows found in this block before is gone
    b.bytes.resize(bytes + kPad);
    file_->readExact(std::uint64_t(headerLen_) + std::uint64_t(i) * std::uint64_t(recordLen_), b.bytes.data(), bytes);
    cacheFirst_ = i;
    cacheCount_ = n;
    if (memo_) memo_->forget();   // memos read ahead are no older than the records
}

const std::uint8_t* DbfTable::rawRecord(std::int64_t i) {
    if (i < cacheFirst_ || i >= cacheFirst_ + cacheCount_) {
        checkIndex(i);
        loadBlock(i);
    }
    return blocks_[cur_].bytes.data() + std::size_t(i - cacheFirst_) * std::size_t(recordLen_);
}

TableFile::Stored DbfTable::storedRecord(std::int64_t i) {
    const std::uint8_t* rec = rawRecord(i);
    return {rec, blocks_[cur_].generation << 8 | cur_};
}

void DbfTable::decodeStored(std::int64_t i, const Stored& s, std::vector<Value>& values) {
    std::size_t slot = std::size_t(s.tag & 0xFF);
    bool held = s.bytes && slot < blocks_.size() && blocks_[slot].generation == s.tag >> 8;
    decodeValues(held ? s.bytes : rawRecord(i), values);
}

MemoFile& DbfTable::memo() {
    if (!memo_) {
        MemoKind kind = isFox() ? MemoKind::Fpt : (version_ == 0x83 ? MemoKind::Dbt3 : MemoKind::Dbt4);
        std::string p = companionPath(fs_, path_, kind == MemoKind::Fpt ? "FPT" : "DBT");
        if (!fs_.exists(p)) {
            std::string other = companionPath(fs_, path_, kind == MemoKind::Fpt ? "DBT" : "FPT");
            if (fs_.exists(other)) p = other, kind = kind == MemoKind::Fpt ? MemoKind::Dbt4 : MemoKind::Fpt;
            else
                throw EngineError(ErrorCategory::File, errc::FileNotFound,
                                  {"Memo file " + p + " of table " + path_ + " is missing"});
        }
        memo_ = MemoFile::open(fs_, p, kind, options_.readOnly);
    }
    return *memo_;
}

// The field's bytes without trailing blanks and NULs, eight at a time.
inline std::string_view trimmedText(const std::uint8_t* p, std::size_t n) {
    while (n >= 8) {
        std::uint64_t w = load8(p + n - 8);
        std::uint64_t keep = ~(zeroBytes(w ^ kBlanks) | zeroBytes(w)) & kHigh;
        if (keep) {
            n = n - 8 + std::size_t((63 - __builtin_clzll(keep)) / 8) + 1;
            return std::string_view(reinterpret_cast<const char*>(p), n);
        }
        n -= 8;
    }
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0)) --n;
    return std::string_view(reinterpret_cast<const char*>(p), n);
}

// Decodes field fi of a record and hands the value to emit (as a null, bool, std::int64_t,
// double, std::string, std::string_view (text to copy), Bytes, Date or DateTime), so that a
// row is built in place.
template <class Emit>
void DbfTable::decodeWith(const std::uint8_t* rec, std::size_t fi, Emit&& emit) {
    const Field& f = fl_[fi];
    const std::uint8_t* p = rec + f.offset;
    if (f.nullBit >= 0 && nullFlagsField_ >= 0) {
        const Field& nf = fl_[std::size_t(nullFlagsField_)];
        int byte = f.nullBit / 8;
        if (byte < nf.length && (rec[nf.offset + byte] >> (f.nullBit % 8) & 1)) return emit(nullptr);
    }
    auto text = [&](bool trim) {
        return trim ? trimmedText(p, std::size_t(f.length))
                    : std::string_view(reinterpret_cast<const char*>(p), std::size_t(f.length));
    };
    switch (f.type) {
    case 'C':
    case 'V':
    {
        std::string_view t = text(true);
        if (asciiText(t)) return emit(t);   // no conversion for plain ASCII
        return emit(tc_->toUtf8(t));
    }
    case 'N':
    case 'F': {
        std::string_view s = text(true);
        while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
        if (s.empty() || s.front() == '*') return emit(nullptr);
        const FieldDef& d = defs_[fi];
        bool isInt;
        std::int64_t iv;
        double dv;
        if (parseSimpleNumber(s, isInt, iv, dv)) {
            if (isInt && d.logicalType != logical::FLOAT) return emit(iv);
            return emit(dv);
        }
        if (d.logicalType != logical::FLOAT) {
            std::int64_t v = 0;
            const char* b = s.data();
            if (*b == '+') ++b;
            auto r = std::from_chars(b, s.data() + s.size(), v);
            if (r.ec == std::errc() && r.ptr == s.data() + s.size()) return emit(v);
        }
        double v = 0;
        const char* b = s.data();
        if (*b == '+') ++b;
        auto r = std::from_chars(b, s.data() + s.size(), v);
        if (r.ec != std::errc()) return emit(nullptr);
        return emit(v);
    }
    case 'D': {
        std::string_view s = text(false);
        if (s.find_first_not_of(' ') == std::string_view::npos || s == "00000000") return emit(nullptr);
        Date d;
        auto num = [&](int a, int n) {
            int v = 0;
            for (int i = a; i < a + n; ++i) {
                if (s[std::size_t(i)] < '0' || s[std::size_t(i)] > '9') return -1;
                v = v * 10 + (s[std::size_t(i)] - '0');
            }
            return v;
        };
        if (s.size() < 8) return emit(nullptr);
        d.year = num(0, 4), d.month = num(4, 2), d.day = num(6, 2);
        if (!validDate(d)) return emit(nullptr);
        return emit(d);
    }
    case 'L':
        switch (p[0]) {
        case 'T': case 't': case 'Y': case 'y': return emit(true);
        case 'F': case 'f': case 'N': case 'n': return emit(false);
        default: return emit(nullptr);
        }
    case 'M':
    case 'G':
    case 'P':
    case 'B': {
        if (f.type == 'B' && isVfp()) {
            double v;
            std::memcpy(&v, p, 8);
            return emit(v);
        }
        std::uint32_t block = 0;
        if (f.length == 4) {
            block = le32(p);
        } else {
            std::string_view s = text(true);
            while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
            if (s.empty()) return emit(nullptr);
            auto r = std::from_chars(s.data(), s.data() + s.size(), block);
            if (r.ec != std::errc()) return emit(nullptr);
        }
        if (block == 0) return emit(nullptr);
        Bytes& data = memoBuf_;
        if (!memo().read(block, data))
            throw EngineError(ErrorCategory::File, errc::FileCorrupt,
                              {"Field " + defs_[fi].name + ": the memo pointer " + std::to_string(block) +
                               " lies past the end of the memo file " + memo().path()});
        if (f.type == 'M') {
            std::string_view t(reinterpret_cast<const char*>(data.data()), data.size());
            if (asciiText(t)) return emit(t);
            return emit(tc_->toUtf8(t));
        }
        return emit(data);
    }
    case 'I':
    case '+': {
        std::int32_t v;
        if (isLevel7() || f.type == '+') v = std::int32_t(be32(p) ^ 0x80000000u);
        else v = std::int32_t(le32(p));
        return emit(std::int64_t(v));
    }
    case 'O': {
        std::uint8_t b[8];
        std::memcpy(b, p, 8);
        if (b[0] & 0x80) b[0] &= 0x7F;
        else for (auto& c : b) c = std::uint8_t(~c);
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits = bits << 8 | b[i];
        double v;
        std::memcpy(&v, &bits, 8);
        return emit(v);
    }
    case 'Y': {
        std::int64_t v;
        std::memcpy(&v, p, 8);
        return emit(double(v) / 10000.0);
    }
    case 'T':
    case '@': {
        std::uint32_t day = f.type == 'T' ? le32(p) : be32(p);
        std::uint32_t ms = f.type == 'T' ? le32(p + 4) : be32(p + 4);
        if (day == 0) return emit(nullptr);
        DateTime dt{fromJulian(int(day)), fromMillis(ms % 86400000u)};
        return emit(dt);
    }
    default:
        return emit(Bytes(p, p + f.length));
    }
}

Value DbfTable::decode(const std::uint8_t* rec, std::size_t fi) {
    Value v;
    decodeWith(rec, fi, [&](auto&& x) {
        if constexpr (std::is_same_v<std::decay_t<decltype(x)>, std::string_view>) v = Value(std::string(x));
        else v = Value(std::forward<decltype(x)>(x));
    });
    return v;
}

// Text in the table's code page. A character the code page has no place for is an error that
// names the field, never a silent '?' or transliteration.
std::string DbfTable::storedText(const std::string& field, const std::string& text) const {
    std::string out;
    if (!tc_->fromUtf8Exact(text, out)) {
        std::size_t cut = std::min<std::size_t>(text.size(), 40);
        while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) ++cut;
        badValue(field, "the text \"" + text.substr(0, cut) + (cut < text.size() ? "..." : "") +
                            "\" cannot be stored in the table's code page " + tc_->codePage() +
                            " (the LANGDRIVER setting of the DBASE driver in the engine configuration chooses the "
                            "code page of new dBase tables)");
    }
    return out;
}

void DbfTable::encode(std::uint8_t* rec, std::size_t fi, const Value& v) {
    Field& f = fl_[fi];
    std::uint8_t* p = rec + f.offset;
    // Every refusal names the field and the table.
    const std::string name = defs_[fi].name + " of table " + fileName(path_);
    if (f.nullBit >= 0 && nullFlagsField_ >= 0) {
        const Field& nf = fl_[std::size_t(nullFlagsField_)];
        int byte = f.nullBit / 8;
        std::uint8_t& b = rec[nf.offset + byte];
        if (v.isNull()) b = std::uint8_t(b | (1 << (f.nullBit % 8)));
        else b = std::uint8_t(b & ~(1 << (f.nullBit % 8)));
    }
    auto putText = [&](const std::string& s, bool right) {
        std::memset(p, ' ', std::size_t(f.length));
        std::size_t n = std::min(s.size(), std::size_t(f.length));
        std::memcpy(p + (right ? std::size_t(f.length) - n : 0), s.data(), n);
    };
    switch (f.type) {
    case 'C':
    case 'V': {
        std::string s = v.isNull() ? std::string() : storedText(name, v.asText());
        // A value longer than the field is refused, never cut; blanks past the end are no loss.
        if (s.size() > std::size_t(f.length)) {
            if (s.find_first_not_of(' ', std::size_t(f.length)) != std::string::npos) {
                std::string shown = v.asText();
                std::size_t cut = std::min<std::size_t>(shown.size(), 40);
                while (cut < shown.size() && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) ++cut;
                badValue(name, "the text \"" + shown.substr(0, cut) + (cut < shown.size() ? "..." : "") + "\" has " +
                                   std::to_string(s.size()) + (tc_->codePage() == "UTF-8" ? " bytes in UTF-8" : " characters") +
                                   ", more than the field's " + std::to_string(f.length));
            }
            s.resize(std::size_t(f.length));
        }
        putText(s, false);
        return;
    }
    case 'N':
    case 'F': {
        if (v.isNull() || (v.is<std::string>() && v.get<std::string>().find_first_not_of(' ') == std::string::npos)) {
            putText("", false);
            return;
        }
        char b[64];
        int n;
        if (f.decimals == 0 && (v.is<std::int64_t>() || v.is<bool>()))
            n = std::snprintf(b, sizeof b, "%lld", static_cast<long long>(v.asInteger()));
        else {
            double d = v.asFloat();
            if (!std::isfinite(d)) badValue(name, "'" + v.asText() + "' cannot be stored");
            n = std::snprintf(b, sizeof b, "%.*f", f.decimals, d);
        }
        if (n > f.length)
            badValue(name, "the value " + v.asText() + " does not fit N(" + std::to_string(f.length) + "," +
                               std::to_string(f.decimals) + ")");
        putText(std::string(b, std::size_t(n)), true);
        return;
    }
    case 'D': {
        if (v.isNull() || (v.is<std::string>() && v.get<std::string>().empty())) {
            putText("", false);
            return;
        }
        DateTime dt = valueDateTime(v, name);
        char b[16];
        std::snprintf(b, sizeof b, "%04d%02d%02d", dt.date.year, dt.date.month, dt.date.day);
        putText(b, false);
        return;
    }
    case 'L':
        p[0] = v.isNull() ? ' ' : (v.asBoolean() ? 'T' : 'F');
        return;
    case 'M':
    case 'G':
    case 'P':
    case 'B': {
        if (f.type == 'B' && isVfp()) {
            double d = v.isNull() ? 0.0 : v.asFloat();
            std::memcpy(p, &d, 8);
            return;
        }
        std::uint32_t block = 0;
        bool empty = v.isNull() || (v.is<std::string>() && v.get<std::string>().empty()) ||
                     (v.is<Bytes>() && v.get<Bytes>().empty());
        if (!empty) {
            if (v.is<Bytes>()) {
                const Bytes& b = v.get<Bytes>();
                block = memo().write(b.data(), b.size(), false);
            } else {
                std::string s = f.type == 'M' ? storedText(name, v.asText()) : v.asText();
                block = memo().write(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(), f.type == 'M');
            }
        }
        if (f.length == 4) putLe32(p, block);
        else putText(block ? std::to_string(block) : std::string(), true);
        return;
    }
    case 'I':
    case '+': {
        std::int64_t x = v.isNull() ? 0 : v.asInteger();
        if (x < INT32_MIN || x > INT32_MAX) badValue(name, "the value " + v.asText() + " is out of range");
        if (isLevel7() || f.type == '+') putBe32(p, std::uint32_t(std::int32_t(x)) ^ 0x80000000u);
        else putLe32(p, std::uint32_t(std::int32_t(x)));
        return;
    }
    case 'O': {
        double d = v.isNull() ? 0.0 : v.asFloat();
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        std::uint8_t b[8];
        for (int i = 0; i < 8; ++i) b[7 - i] = std::uint8_t(bits >> (8 * i));
        if (b[0] & 0x80) for (auto& c : b) c = std::uint8_t(~c);
        else b[0] |= 0x80;
        std::memcpy(p, b, 8);
        return;
    }
    case 'Y': {
        std::int64_t x = v.isNull() ? 0 : std::llround(v.asFloat() * 10000.0);
        std::memcpy(p, &x, 8);
        return;
    }
    case 'T':
    case '@': {
        if (v.isNull()) {
            std::memset(p, 0, 8);
            return;
        }
        DateTime dt = valueDateTime(v, name);
        std::uint32_t day = std::uint32_t(julianDay(dt.date.year, dt.date.month, dt.date.day));
        std::uint32_t ms = toMillis(dt.time);
        if (f.type == 'T') putLe32(p, day), putLe32(p + 4, ms);
        else putBe32(p, day), putBe32(p + 4, ms);
        return;
    }
    default: {
        std::memset(p, 0, std::size_t(f.length));
        if (v.is<Bytes>()) {
            const Bytes& b = v.get<Bytes>();
            if (b.size() > std::size_t(f.length))
                badValue(name, std::to_string(b.size()) + " bytes do not fit the field's " + std::to_string(f.length));
            std::memcpy(p, b.data(), b.size());
        }
        return;
    }
    }
}

void DbfTable::readRecord(std::int64_t i, Row& row) {
    const std::uint8_t* rec = rawRecord(i);
    decodeValues(rec, row.values);
    row.key.setScalar<std::int64_t>(i);
    row.deleted = rec[0] == '*';
}

void DbfTable::decodeValues(const std::uint8_t* rec, std::vector<Value>& values) {
    // Decoded over what values held: a recycled row keeps its vector and its text buffers, and
    // a value of the same type is overwritten in place.
    values.resize(defs_.size());
    Value* out = values.data();
    auto emit = [&out](auto&& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::string_view>) out->setText(x);
        else if constexpr (std::is_same_v<T, std::nullptr_t>) out->setNull();
        else if constexpr (std::is_trivially_copyable_v<T>) out->setScalar<T>(x);
        else *out = Value(std::forward<decltype(x)>(x));
    };
    for (std::size_t f = 0; f < defs_.size(); ++f, ++out) {
        const Field& fd = fl_[f];
        const std::uint8_t* p = rec + fd.offset;
        switch (plan_[f]) {
        case Plan::Text: {
            std::string_view t = trimmedText(p, std::size_t(fd.length));
            if (asciiText(t)) out->setText(t);
            else *out = Value(tc_->toUtf8(t));
            continue;
        }
        case Plan::Integer:
        case Plan::Float:
            if (plainNumber(p, std::size_t(fd.length), plan_[f] == Plan::Integer, *out)) continue;
            break;
        case Plan::Date: {
            unsigned d[8], bad = 0;
            for (int k = 0; k < 8; ++k) d[k] = unsigned(p[k] - '0'), bad |= d[k] > 9u;
            if (bad) break;   // blank, or not a date: the general decoder says which
            Date v{int(d[0] * 1000 + d[1] * 100 + d[2] * 10 + d[3]), int(d[4] * 10 + d[5]), int(d[6] * 10 + d[7])};
            if (validDate(v)) out->setScalar(v);
            else out->setNull();
            continue;
        }
        case Plan::Logical:
            switch (p[0]) {
            case 'T': case 't': case 'Y': case 'y': out->setScalar(true); continue;
            case 'F': case 'f': case 'N': case 'n': out->setScalar(false); continue;
            default: out->setNull(); continue;
            }
        case Plan::General:
            break;
        }
        decodeWith(rec, f, emit);
    }
}

Value DbfTable::readField(std::int64_t i, int field) {
    if (field < 0 || std::size_t(field) >= defs_.size())
        throw EngineError(ErrorCategory::Usage, errc::UnknownField, {"No field " + std::to_string(field) + " in " + path_});
    return decode(rawRecord(i), std::size_t(field));
}

bool DbfTable::isDeleted(std::int64_t i) { return rawRecord(i)[0] == '*'; }

void DbfTable::writeRecord(std::int64_t i, const std::uint8_t* rec) {
    file_->write(std::uint64_t(headerLen_) + std::uint64_t(i) * std::uint64_t(recordLen_), rec, std::size_t(recordLen_));
    if (i >= cacheFirst_ && i < cacheFirst_ + cacheCount_)
        std::memcpy(blocks_[cur_].bytes.data() + std::size_t(i - cacheFirst_) * std::size_t(recordLen_), rec, std::size_t(recordLen_));
    indexDirty_ = indexDirty_ || hasIndexes();
}

void DbfTable::writeHeaderCount() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::uint8_t h[7] = {std::uint8_t(tm.tm_year % 256), std::uint8_t(tm.tm_mon + 1), std::uint8_t(tm.tm_mday)};
    putLe32(h + 3, std::uint32_t(count_));
    file_->write(1, h, 7);
}

std::int64_t DbfTable::appendRecord(const std::vector<Value>& values) {
    if (options_.readOnly) throw EngineError(ErrorCategory::Usage, errc::ReadOnly, {"Table " + path_ + " is read-only"});
    checkIndexFault();
    refreshCount();
    std::vector<std::uint8_t> rec(std::size_t(recordLen_) + 1, ' ');
    if (nullFlagsField_ >= 0) {
        const Field& nf = fl_[std::size_t(nullFlagsField_)];
        std::memset(rec.data() + nf.offset, 0, std::size_t(nf.length));
    }
    for (std::size_t f = 0; f < defs_.size(); ++f) {
        Value v = f < values.size() ? values[f] : Value();
        Field& fd = fl_[f];
        bool autoinc = defs_[f].subType == subtype::AUTOINC;
        if (autoinc && v.isNull()) {
            // The next value lives in the field descriptor.
            int at = fd.descriptor + (isLevel7() ? 40 : 19);
            std::uint8_t b[4];
            file_->readExact(std::uint64_t(at), b, 4);
            std::uint32_t next = le32(b);
            if (next == 0) next = 1;
            v = Value(std::int64_t(next));
            std::uint32_t step = 1;
            if (!isLevel7()) {
                std::uint8_t s = 1;
                file_->readExact(std::uint64_t(at + 4), &s, 1);
                step = s ? s : 1;
            }
            putLe32(b, next + step);
            file_->write(std::uint64_t(at), b, 4);
        }
        encode(rec.data(), f, v);
    }
    rec[0] = ' ';
    rec[std::size_t(recordLen_)] = 0x1A;
    std::int64_t i = count_;
    file_->write(std::uint64_t(headerLen_) + std::uint64_t(i) * std::uint64_t(recordLen_), rec.data(), rec.size());
    ++count_;
    writeHeaderCount();
    cacheCount_ = 0;
    indexDirty_ = indexDirty_ || hasIndexes();
    return i;
}

std::int64_t DbfTable::updateRecord(std::int64_t i, const std::vector<Value>& values) {
    if (options_.readOnly) throw EngineError(ErrorCategory::Usage, errc::ReadOnly, {"Table " + path_ + " is read-only"});
    checkIndexFault();
    refreshCount();
    checkIndex(i);
    std::vector<std::uint8_t> rec(rawRecord(i), rawRecord(i) + recordLen_);
    for (std::size_t f = 0; f < defs_.size() && f < values.size(); ++f) {
        // An unchanged memo keeps its block instead of growing the memo file.
        char t = fl_[f].type;
        if ((t == 'M' || t == 'B' || t == 'G' || t == 'P') && !(t == 'B' && isVfp()) && decode(rec.data(), f) == values[f])
            continue;
        encode(rec.data(), f, values[f]);
    }
    writeRecord(i, rec.data());
    return i;
}

void DbfTable::deleteRecord(std::int64_t i) {
    checkIndexFault();
    refreshCount();
    checkIndex(i);
    std::vector<std::uint8_t> rec(rawRecord(i), rawRecord(i) + recordLen_);
    rec[0] = '*';
    writeRecord(i, rec.data());
}

void DbfTable::undeleteRecord(std::int64_t i) {
    checkIndexFault();
    refreshCount();
    checkIndex(i);
    std::vector<std::uint8_t> rec(rawRecord(i), rawRecord(i) + recordLen_);
    rec[0] = ' ';
    writeRecord(i, rec.data());
}

// ---- indexes ----------------------------------------------------------------------------

std::vector<KeyField> DbfTable::keyFields() const {
    std::vector<KeyField> out;
    for (std::size_t i = 0; i < defs_.size(); ++i) {
        const Field& f = fl_[i];
        out.push_back({f.name, f.type, f.offset, f.length, f.decimals, f.type == '+' || (f.type == 'I' && isLevel7())});
    }
    return out;
}

bool DbfTable::indexReads(const IndexDef& index, const std::string& field) const {
    if (index.expression.empty()) return TableFile::indexReads(index, field);
    try {
        for (const auto& f : KeyExpr(index.expression, keyFields()).fieldsUsed())
            if (upper(f) == upper(field)) return true;
    } catch (const EngineError&) {
        // an expression we cannot read is reported where the index is made again
    }
    return false;
}

std::string DbfTable::infPath() const { return companionPath(fs_, path_, "INF"); }

std::string DbfTable::infText() const {
    std::string p = infPath();
    if (!fs_.exists(p)) return {};
    auto f = fs_.open(p, ReadOnly);
    std::string text(std::size_t(std::min<std::uint64_t>(f->size(), 1 << 20)), '\0');
    text.resize(f->read(0, text.data(), text.size()));
    return text;
}

// An .INF entry names a file beside the table; a DOS path in front of it is dropped. The name
// is matched without regard to case.
std::string DbfTable::ndxPathFor(FileSystem& fs, const std::string& tablePath, const std::string& listed) {
    std::string name = listed;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (auto s = name.find_last_of("/:"); s != std::string::npos) name = name.substr(s + 1);
    std::string dir = dirName(tablePath);
    for (const auto& n : fs.list(dir))
        if (upper(n) == upper(name)) return dir + "/" + n;
    return dir + "/" + name;
}

std::vector<std::string> DbfTable::listedNdxFiles(FileSystem& fs, const std::string& tablePath) {
    std::vector<std::string> out;
    std::string inf = companionPath(fs, tablePath, "INF");
    if (!fs.exists(inf)) return out;
    auto f = fs.open(inf, ReadOnly);
    std::string text(std::size_t(std::min<std::uint64_t>(f->size(), 1 << 20)), '\0');
    text.resize(f->read(0, text.data(), text.size()));
    for (const auto& n : infNdxNames(text)) {
        std::string p = ndxPathFor(fs, tablePath, n);
        if (fs.exists(p)) out.push_back(p);
    }
    return out;
}

void DbfTable::loadIndexes() {
    tags_.clear();
    tagKeyLengths_.clear();
    ndx_.clear();
    casesReady_ = false;   // the code page may have changed
    std::string mdx = mdxPath();
    if (fs_.exists(mdx)) {
        try {
            for (auto& t : readMdxTags(fs_, mdx)) {
                IndexDef d;
                d.name = t.name;
                d.unique = t.unique;
                d.descending = t.descending;
                d.expression = t.expression;
                tags_.push_back(d);
                tagKeyLengths_.push_back(t.keyType == 'C' ? t.keyLength : 0);
            }
        } catch (const EngineError&) {
            tags_.clear();   // a damaged production index: the table still opens; it is rebuilt on change
            tagKeyLengths_.clear();
        }
    }
    for (const auto& listed : infNdxNames(infText())) {
        NdxIndex n;
        n.def.name = listed;
        std::string p = ndxPathFor(fs_, path_, listed);
        if (fs_.exists(p)) {
            n.path = p;
            try {
                MdxTag t = readNdx(fs_, p, false);
                n.def.expression = t.expression;
                n.def.unique = t.unique;
                n.keyLength = t.keyType == 'C' ? t.keyLength : 0;
            } catch (const EngineError& e) {
                n.fault = e;
            }
        }
        ndx_.push_back(std::move(n));
    }
    findIndexFault();
}

// Parses every key expression; the first that cannot be evaluated makes the table refuse
// changes (reading stays possible), so that no index is left stale for the programs that use it.
void DbfTable::findIndexFault() {
    indexFault_.reset();
    for (const auto& n : ndx_) {
        if (indexFault_) break;
        if (n.fault) indexFault_ = n.fault;
        else if (n.path.empty())
            indexFault_ = EngineError(ErrorCategory::File, errc::FileNotFound,
                                      {"Index file " + n.def.name + " that " + baseName(infPath()) + " lists for table " +
                                       path_ + " is missing; the table cannot be changed until the index is restored "
                                       "or dropped"});
    }
    auto kf = keyFields();
    auto check = [&](IndexDef& d) {
        if (d.expression.empty()) return;
        try {
            KeyExpr e(d.expression, kf);   // parsed only: no case tables needed
            d.fields = e.fieldList();
        } catch (const EngineError& e) {
            d.fields.clear();
            if (!indexFault_)
                indexFault_ = EngineError(ErrorCategory::Usage, errc::NotSupported,
                                          {"Table " + path_ + " cannot be changed: its index " + d.name +
                                           " cannot be kept up to date. " + e.messages().front()});
        }
    };
    for (auto& t : tags_) check(t);
    for (auto& n : ndx_) check(n.def);
}

const CaseTables* DbfTable::caseTables() {
    if (!casesReady_) cases_ = caseTablesFor(*tc_), casesReady_ = true;
    return &cases_;
}

void DbfTable::checkIndexFault() const {
    if (indexFault_) throw *indexFault_;
}

// The keys of one index over every record, in index order: character keys bytewise, numbers
// and dates by value. .NDX files hold numbers and dates as 8-byte doubles, the .MDX numbers
// as 12-byte BCD.
MdxTag DbfTable::computeKeys(const IndexDef& def, int fileKeyLength, bool ndx) {
    KeyExpr e(def.expression, keyFields(), caseTables());
    MdxTag t;
    t.name = def.name;
    t.expression = def.expression;
    t.unique = def.unique;
    t.descending = def.descending && !ndx;
    t.keyType = e.type();
    if (t.keyType == 'C') t.keyLength = fileKeyLength > 0 && fileKeyLength <= 100 ? fileKeyLength : e.width();
    else t.keyLength = t.keyType == 'N' && !ndx ? 12 : 8;
    refreshCount();
    std::vector<std::pair<std::string, std::uint32_t>> keys;
    std::vector<double> num;
    keys.reserve(std::size_t(count_));
    if (t.keyType != 'C') num.reserve(std::size_t(count_));
    for (std::int64_t r = 0; r < count_; ++r) {
        KeyValue v = e.eval(rawRecord(r), r + 1);
        std::string key;
        if (t.keyType == 'C') {
            key = std::move(v.text);
            key.resize(std::size_t(t.keyLength), ' ');
        } else {
            key = t.keyType == 'D' ? dateKey(int(v.number)) : ndx ? ndxNumberKey(v.number) : mdxNumberKey(v.number);
            num.push_back(v.number);
        }
        keys.emplace_back(std::move(key), std::uint32_t(r + 1));
    }
    std::vector<std::size_t> order(keys.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        bool less = t.keyType == 'C' ? keys[a].first < keys[b].first : num[a] < num[b];
        bool greater = t.keyType == 'C' ? keys[b].first < keys[a].first : num[b] < num[a];
        return t.descending ? greater : less;
    });
    t.keys.reserve(order.size());
    for (std::size_t k : order) {
        if (t.unique && !t.keys.empty() && t.keys.back().first == keys[k].first) continue;
        t.keys.push_back(std::move(keys[k]));
    }
    return t;
}

std::vector<IndexDef> DbfTable::indexDefs() {
    std::vector<IndexDef> out = tags_;
    for (const auto& n : ndx_) out.push_back(n.def);
    return out;
}

void DbfTable::createIndex(const IndexDef& index) {
    if (options_.readOnly) throw EngineError(ErrorCategory::Usage, errc::ReadOnly, {"Table " + path_ + " is read-only"});
    checkIndexFault();
    std::string name = upper(index.name);
    const bool ndx = name.size() > 4 && name.compare(name.size() - 4, 4, ".NDX") == 0;
    auto existing = [&](const std::string& n) {
        for (const auto& t : tags_)
            if (upper(t.name) == upper(n)) return true;
        for (const auto& x : ndx_)
            if (upper(x.def.name) == upper(n)) return true;
        return false;
    };
    if (existing(index.name))
        throw EngineError(ErrorCategory::Data, errc::DataBase, {"Index " + index.name + " already exists in table " + path_});
    auto kf = keyFields();
    IndexDef d = index;
    d.primary = false;
    if (d.expression.empty()) {
        if (!d.fields.empty()) d.expression = fieldListExpression(d.fields, kf);
        else if (!ndx || !fs_.exists(ndxPathFor(fs_, path_, index.name)))
            throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Index " + index.name + " has no fields"});
    }
    auto sameExpression = [](std::string a, std::string b) {
        a.erase(std::remove(a.begin(), a.end(), ' '), a.end());
        b.erase(std::remove(b.begin(), b.end(), ' '), b.end());
        return upper(a) == upper(b);
    };

    if (!ndx) {
        if (name.empty() || name.size() > 10)
            throw EngineError(ErrorCategory::Data, errc::DataBase, {"Index name '" + index.name + "' must have 1 to 10 characters"});
        if (tags_.size() >= 47)
            throw EngineError(ErrorCategory::Data, errc::DataBase, {"Table " + path_ + " already has 47 index tags"});
        d.name = name;
        d.fields = KeyExpr(d.expression, kf).fieldList();   // throws for what cannot be evaluated
        auto saved = tags_;
        auto savedLengths = tagKeyLengths_;
        tags_.push_back(d);
        tagKeyLengths_.push_back(0);
        try {
            rebuildIndexes();
        } catch (...) {
            tags_ = saved;
            tagKeyLengths_ = savedLengths;
            throw;
        }
        return;
    }

    // A single index: its file beside the table, listed in the table's .INF.
    std::string base = index.name.substr(0, index.name.size() - 4);
    if (base.empty() || index.name.find_first_of("/\\:") != std::string::npos)
        throw EngineError(ErrorCategory::Data, errc::DataBase, {"Index file name '" + index.name + "' is invalid"});
    std::string p = ndxPathFor(fs_, path_, index.name);
    NdxIndex n;
    n.def = d;
    n.def.descending = false;
    n.path = p;
    if (fs_.exists(p)) {
        // An existing file is attached when no key is given or the key is its own.
        MdxTag old = readNdx(fs_, p, false);
        if (!d.expression.empty() && !sameExpression(d.expression, old.expression))
            throw EngineError(ErrorCategory::Data, errc::DataBase,
                              {"Index file " + p + " already exists with the key " + old.expression});
        n.def.expression = old.expression;
        n.def.unique = d.fields.empty() && index.expression.empty() ? old.unique : d.unique;
        n.keyLength = old.keyType == 'C' ? old.keyLength : 0;
    }
    n.def.fields = KeyExpr(n.def.expression, kf).fieldList();
    MdxTag keys = computeKeys(n.def, n.keyLength, true);
    std::string inf = infPath(), infTmp = inf + kNewSuffix, ndxTmp = p + kNewSuffix;
    try {
        writeNdx(fs_, ndxTmp, keys);
        std::string text = infAddNdx(infText(), baseName(p));
        auto f = fs_.open(infTmp, ReadWrite | Create | Truncate);
        f->write(0, text.data(), text.size());
        f->sync();
        f.reset();
        replaceFiles(fs_, {{ndxTmp, p}, {infTmp, inf}});
    } catch (...) {
        fs_.remove(ndxTmp);
        fs_.remove(infTmp);
        throw;
    }
    n.def.name = baseName(p);
    ndx_.push_back(std::move(n));
}

void DbfTable::dropIndex(const std::string& name) {
    if (options_.readOnly) throw EngineError(ErrorCategory::Usage, errc::ReadOnly, {"Table " + path_ + " is read-only"});
    auto it = std::find_if(tags_.begin(), tags_.end(), [&](const IndexDef& t) { return upper(t.name) == upper(name); });
    if (it == tags_.end()) {
        auto nx = std::find_if(ndx_.begin(), ndx_.end(), [&](const NdxIndex& n) {
            return upper(n.def.name) == upper(name) || upper(n.def.name) == upper(name) + ".NDX";
        });
        if (nx == ndx_.end())
            throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Index " + name + " not found in table " + path_});
        std::string inf = infPath(), text = infRemoveNdx(infText(), nx->def.name);
        std::vector<std::string> removes;
        if (!nx->path.empty()) removes.push_back(nx->path);
        std::vector<FileMove> moves;
        if (text.empty()) {
            removes.push_back(inf);
        } else {
            std::string tmp = inf + kNewSuffix;
            auto f = fs_.open(tmp, ReadWrite | Create | Truncate);
            f->write(0, text.data(), text.size());
            f->sync();
            moves.push_back({tmp, inf});
        }
        try {
            replaceFiles(fs_, moves, removes);
        } catch (...) {
            for (const auto& m : moves) fs_.remove(m.from);
            throw;
        }
        ndx_.erase(nx);
        findIndexFault();   // what was refused for this index may be allowed now
        return;
    }
    auto saved = tags_;
    auto savedLengths = tagKeyLengths_;
    auto savedFault = indexFault_;
    tagKeyLengths_.erase(tagKeyLengths_.begin() + (it - tags_.begin()));
    tags_.erase(it);
    try {
        findIndexFault();
        rebuildIndexes();
    } catch (...) {
        tags_ = saved;
        tagKeyLengths_ = savedLengths;
        indexFault_ = savedFault;
        throw;
    }
}

void DbfTable::rebuildIndexes() {
    checkIndexFault();
    std::string mdx = mdxPath();
    std::uint8_t flag = tags_.empty() ? 0 : 1;
    // The table's header is written first: the index must end up newer than the table.
    if (flag != mdxFlag_ && !options_.readOnly) {
        file_->write(28, &flag, 1);
        mdxFlag_ = flag;
    }
    std::vector<FileMove> moves;
    std::vector<std::string> removes;
    try {
        if (tags_.empty()) {
            if (fs_.exists(mdx)) removes.push_back(mdx);
        } else {
            std::vector<MdxTag> tags;
            for (std::size_t i = 0; i < tags_.size(); ++i) tags.push_back(computeKeys(tags_[i], tagKeyLengths_[i], false));
            std::string base = fileName(path_);
            auto dot = base.find_last_of('.');
            if (dot != std::string::npos) base.resize(dot);
            writeMdx(fs_, mdx + kNewSuffix, base, tags);
            moves.push_back({mdx + kNewSuffix, mdx});
        }
        for (const auto& n : ndx_) {
            MdxTag t = computeKeys(n.def, n.keyLength, true);
            writeNdx(fs_, n.path + kNewSuffix, t);
            moves.push_back({n.path + kNewSuffix, n.path});
        }
        if (!moves.empty() || !removes.empty()) replaceFiles(fs_, moves, removes);
    } catch (...) {
        for (const auto& m : moves) {
            try { fs_.remove(m.from); } catch (...) {}
        }
        throw;
    }
    indexDirty_ = false;
}

void DbfTable::flush() {
    if (!file_) return;   // the open itself failed
    if (indexDirty_) rebuildIndexes();
    if (memo_) memo_->sync();
    if (!options_.readOnly) file_->sync();
}

void DbfTable::pack(Progress* progress) {
    checkIndexFault();
    refreshCount();
    // Memo blocks are left where they are: the new records keep their pointers, so the memo
    // file needs no swap and only the data file is replaced.
    std::string tmp = path_ + kNewSuffix;
    // A cancelled or failed rewrite leaves the table as it was and no rewritten copy behind.
    try {
        std::vector<std::uint8_t> hdr(static_cast<std::size_t>(headerLen_));
        file_->readExact(0, hdr.data(), hdr.size());
        auto out = fs_.open(tmp, ReadWrite | Create | Truncate);
        std::vector<std::uint8_t> buf;
        std::int64_t kept = 0;
        std::uint64_t pos = std::uint64_t(headerLen_);
        for (std::int64_t i = 0; i < count_; ++i) {
            const std::uint8_t* rec = rawRecord(i);
            if (rec[0] != '*') {
                buf.insert(buf.end(), rec, rec + recordLen_);
                ++kept;
            }
            if (buf.size() >= kBlockBytes || i + 1 == count_) {
                out->write(pos, buf.data(), buf.size());
                pos += buf.size();
                buf.clear();
            }
            if (progress && (i % 4096 == 0) && !progress->step(i, count_))
                throw EngineError(ErrorCategory::Cancelled, "Cancelled by the user");
        }
        std::uint8_t eof = 0x1A;
        out->write(pos, &eof, 1);
        putLe32(hdr.data() + 4, std::uint32_t(kept));
        out->write(0, hdr.data(), hdr.size());
        out->sync();
    } catch (...) {
        fs_.remove(tmp);
        throw;
    }
    installRewritten(tmp);
    rebuildIndexes();
    if (progress) progress->step(count_, count_);
}

// Puts the data file rewritten at tmp in place of the table's file (atomically; on failure the
// old file stays and tmp is removed) and reopens it.
void DbfTable::installRewritten(const std::string& tmp) {
    try {
        replaceFiles(fs_, {{tmp, path_}});
    } catch (...) {
        fs_.remove(tmp);
        throw;
    }
    reopen();
}

void DbfTable::empty() {
    checkIndexFault();
    refreshCount();
    std::string tmp = path_ + kNewSuffix;
    {
        std::vector<std::uint8_t> hdr(std::size_t(headerLen_) + 1);
        file_->readExact(0, hdr.data(), std::size_t(headerLen_));
        putLe32(hdr.data() + 4, 0);
        hdr[std::size_t(headerLen_)] = 0x1A;
        auto out = fs_.open(tmp, ReadWrite | Create | Truncate);
        out->write(0, hdr.data(), hdr.size());
        out->sync();
    }
    installRewritten(tmp);
    // No record points into the memo file any more: start it afresh.
    bool hasMemo = false;
    for (const auto& f : fl_) hasMemo = hasMemo || f.type == 'M' || f.type == 'G' || f.type == 'P' || (f.type == 'B' && !isVfp());
    if (hasMemo) {
        MemoKind kind = isFox() ? MemoKind::Fpt : (version_ == 0x83 ? MemoKind::Dbt3 : MemoKind::Dbt4);
        std::string p = companionPath(fs_, path_, kind == MemoKind::Fpt ? "FPT" : "DBT");
        std::string base = fileName(path_);
        base = base.substr(0, base.find_last_of('.'));
        std::string mt = p + kNewSuffix;
        MemoFile::create(fs_, mt, kind, base);
        replaceFiles(fs_, {{mt, p}});
        memo_.reset();
    }
    rebuildIndexes();
}

// ---- the format -------------------------------------------------------------------------

std::unique_ptr<TableFile> DbaseFormat::open(FileSystem& fs, const std::string& path, const OpenOptions& options) {
    return DbfTable::open(fs, path, options);
}

FieldDef DbaseFormat::mapField(const FieldDef& source) const { return mapFieldFor(source, 4); }

FieldDef DbaseFormat::mapFieldFor(const FieldDef& s, int level) {
    FieldDef d;
    d.name = s.name;
    const bool vfp = level == 0x30 || level == 0x31 || level == 0x32;
    const bool fox = vfp || level == 0xF5;
    const bool v7 = level == 7;
    auto set = [&](char t, int len, int dec) {
        d.nativeType = std::string(1, t);
        d.size = len;
        d.scale = dec;
    };
    // A dBase letter in nativeType is taken as it is.
    if (s.nativeType.size() == 1 && std::string("CNFDLMBGIO+@TY").find(s.nativeType[0]) != std::string::npos) {
        set(s.nativeType[0], s.size, s.scale);
    } else {
        switch (s.logicalType) {
        case logical::ZSTRING:
        case logical::BYTES:
        case logical::VARBYTES:
            // No declared size (SQLite TEXT, PostgreSQL text) or longer than a character field:
            // a memo, so that no value is cut.
            if (s.size <= 0 || s.size > 254) set('M', 10, 0);
            else set('C', s.size, 0);
            break;
        case logical::INT16: set('N', 6, 0); break;
        case logical::UINT16: set('N', 5, 0); break;
        case logical::INT32:
            if (s.subType == subtype::AUTOINC && v7) set('+', 4, 0);
            else if (s.subType == subtype::AUTOINC && vfp) set('I', 4, 0);
            else set('N', 11, 0);
            break;
        case logical::UINT32: set('N', 10, 0); break;
        case logical::INT64:
        case logical::UINT64: set('N', 20, 0); break;
        case logical::FLOAT:
        case logical::FLOATIEEE:
            if (s.subType == subtype::MONEY) set('N', 20, 2);
            else if (s.size > 0 && s.size <= 20 && s.scale < s.size) set('N', s.size, s.scale);
            else set('N', 20, 4);
            break;
        case logical::BCD: {
            int len = s.size > 0 ? s.size + (s.scale > 0 ? 2 : 1) : 20;
            set('N', std::min(len, 20), std::min(s.scale, 15));
            break;
        }
        case logical::DATE: set('D', 8, 0); break;
        case logical::TIME: set('C', 12, 0); break;
        case logical::TIMESTAMP:
            if (v7) set('@', 8, 0);
            else if (vfp) set('T', 8, 0);
            else set('C', 23, 0);
            break;
        case logical::BOOL: set('L', 1, 0); break;
        case logical::BLOB:
            switch (s.subType) {
            case subtype::BINARY:
            case subtype::TYPEDBINARY:
            case subtype::GRAPHIC: set(level == 3 ? 'M' : (vfp ? 'G' : 'B'), 10, 0); break;
            case subtype::OLEOBJ:
            case subtype::DBSOLEOBJ: set(level == 3 ? 'M' : 'G', 10, 0); break;
            default: set('M', 10, 0); break;
            }
            break;
        default:
            if (s.size > 0 && s.size <= 254) set('C', s.size, 0);
            else set('M', 10, 0);
            break;
        }
    }
    char t = d.nativeType[0];
    if ((t == 'M' || t == 'B' || t == 'G') && vfp) d.size = 4;
    else if (t == 'M' || t == 'B' || t == 'G') d.size = 10;
    if (t == 'D') d.size = 8;
    if (t == 'L') d.size = 1;
    if (t == 'I' || t == '+') d.size = 4;
    if (t == 'O' || t == '@' || t == 'T' || t == 'Y') d.size = 8;
    if (fox && t == 'B' && !vfp) d.nativeType = "M";
    switch (t) {
    case 'C': d.logicalType = logical::ZSTRING; break;
    case 'N': case 'F':
        d.logicalType = d.scale == 0 && d.size <= 4 ? logical::INT16 : d.scale == 0 && d.size <= 11 ? logical::INT32 : logical::FLOAT;
        break;
    case 'D': d.logicalType = logical::DATE; break;
    case 'L': d.logicalType = logical::BOOL; break;
    case 'M': d.logicalType = logical::BLOB; d.subType = subtype::MEMO; break;
    case 'B': d.logicalType = logical::BLOB; d.subType = subtype::TYPEDBINARY; break;
    case 'G': d.logicalType = logical::BLOB; d.subType = subtype::DBSOLEOBJ; break;
    case 'I': case '+': d.logicalType = logical::INT32; break;
    case 'O': case 'Y': d.logicalType = logical::FLOAT; break;
    case '@': case 'T': d.logicalType = logical::TIMESTAMP; break;
    default: break;
    }
    d.type = fieldTypeFor(d.logicalType, d.subType);
    return d;
}

void DbaseFormat::create(FileSystem& fs, const std::string& path, const std::vector<FieldDef>& fields,
                         const std::vector<IndexDef>& indexes, const CreateOptions& options) {
    int level = options.level ? options.level : 4;
    const bool v7 = level == 7, vfp = level == 0x30 || level == 0x31 || level == 0x32, fox = vfp || level == 0xF5;
    if (level != 3 && level != 4 && level != 5 && !v7 && !fox)
        throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"dBase level " + std::to_string(level) + " is not supported"});
    if (fields.empty()) throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Table " + path + " needs at least one field"});
    if (fs.exists(path)) throw EngineError(ErrorCategory::File, errc::FileBase, {"Table " + path + " already exists"});
    if (fields.size() > (v7 ? 1024u : 255u))
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Table " + path + " has too many fields"});

    LanguageDriver ld = languageDriverFor(options.languageDriver.empty() ? (fox ? "CP1252" : "CP437") : options.languageDriver);
    const bool utf8 = ld.codePage == "UTF-8";   // no language byte: a .cpg file names it
    if (ld.id == 0 && !utf8 && !options.languageDriver.empty())
        throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"Unknown language driver " + options.languageDriver});
    Transcoder tc(ld.codePage);

    std::vector<FieldDef> mapped;
    std::set<std::string> names;
    bool hasMemo = false;
    int recLen = 1;
    for (const auto& f : fields) {
        FieldDef m = mapFieldFor(f, level);
        m.name = upper(tc.fromUtf8(f.name));
        std::size_t maxName = v7 ? 31 : 10;
        if (m.name.empty()) throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"A field of " + path + " has no name"});
        if (m.name.size() > maxName) {
            m.name.resize(maxName);
            if (utf8) {   // never half a character: a sequence the cut left short goes whole
                auto byte = [&](std::size_t i) { return static_cast<unsigned char>(m.name[i]); };
                std::size_t j = m.name.size();
                while (j > 0 && (byte(j - 1) & 0xC0) == 0x80) --j;
                if (j > 0 && (byte(j - 1) & 0xC0) == 0xC0) {
                    std::size_t need = byte(j - 1) >= 0xF0 ? 4 : byte(j - 1) >= 0xE0 ? 3 : 2;
                    if (m.name.size() - (j - 1) < need) m.name.resize(j - 1);
                }
            }
        }
        if (!names.insert(m.name).second)
            throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Field name " + m.name + " occurs twice in " + path});
        char t = m.nativeType[0];
        if (t == 'C' && (m.size < 1 || m.size > 254))
            throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Field " + m.name + ": CHAR size must be 1 to 254"});
        if ((t == 'N' || t == 'F') && (m.size < 1 || m.size > 20 || m.scale < 0 || (m.scale > 0 && m.scale > m.size - 2)))
            throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                              {"Field " + m.name + ": NUMERIC(" + std::to_string(m.size) + "," + std::to_string(m.scale) + ") is invalid"});
        if (t == 'M' || t == 'G' || (t == 'B' && !vfp)) hasMemo = true;
        recLen += m.size;
        mapped.push_back(m);
    }
    if (recLen > (v7 ? 32767 : 4000))
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"The records of " + path + " would be too long"});
    std::uint8_t version;
    if (v7) version = hasMemo ? 0x8C : 0x04;
    else if (vfp) version = 0x30;
    else if (level == 0xF5) version = hasMemo ? 0xF5 : 0x03;
    else if (level == 3) version = hasMemo ? 0x83 : 0x03;
    else version = hasMemo ? 0x8B : 0x03;

    const int descLen = v7 ? 48 : 32, first = v7 ? 68 : 32;
    int headerLen = first + descLen * int(mapped.size()) + 1 + (vfp ? 263 : 0);
    std::vector<std::uint8_t> h(std::size_t(headerLen) + 1, 0);
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    h[0] = version;
    h[1] = std::uint8_t(tm.tm_year % 256), h[2] = std::uint8_t(tm.tm_mon + 1), h[3] = std::uint8_t(tm.tm_mday);
    h[8] = std::uint8_t(headerLen), h[9] = std::uint8_t(headerLen >> 8);
    h[10] = std::uint8_t(recLen), h[11] = std::uint8_t(recLen >> 8);
    h[29] = ld.id;
    if (vfp && hasMemo) h[28] = 0x02;
    if (v7) std::memcpy(h.data() + 32, ld.driverName.data(), std::min<std::size_t>(ld.driverName.size(), 32));
    int offset = 1;
    for (std::size_t i = 0; i < mapped.size(); ++i) {
        std::uint8_t* d = h.data() + first + descLen * int(i);
        const FieldDef& m = mapped[i];
        std::memcpy(d, m.name.data(), m.name.size());
        char t = m.nativeType[0];
        d[v7 ? 32 : 11] = std::uint8_t(t);
        d[v7 ? 33 : 16] = std::uint8_t(m.size);
        d[v7 ? 34 : 17] = std::uint8_t(m.scale);
        if (!v7 && fox) putLe32(d + 12, std::uint32_t(offset));
        if (vfp && (t == 'G' || t == 'M')) d[18] = 0x04;   // binary: no code page translation for general
        if (vfp && t == 'M') d[18] = 0x00;
        if (vfp && fields[i].subType == subtype::AUTOINC && t == 'I') d[18] = 0x0C, putLe32(d + 19, 1), d[23] = 1;
        if (v7 && t == '+') putLe32(d + 40, 1);
        offset += m.size;
    }
    h[std::size_t(first + descLen * int(mapped.size()))] = 0x0D;
    h[std::size_t(headerLen)] = 0x1A;

    std::string tmp = path + kNewSuffix;
    std::vector<FileMove> moves;
    try {
        {
            auto f = fs.open(tmp, ReadWrite | Create | Truncate);
            f->write(0, h.data(), h.size());
            f->sync();
        }
        moves.push_back({tmp, path});
        if (hasMemo) {
            MemoKind kind = fox ? MemoKind::Fpt : (version == 0x83 ? MemoKind::Dbt3 : MemoKind::Dbt4);
            std::string mp = companionPath(fs, path, fox ? "FPT" : "DBT");
            std::string base = fileName(path);
            base = base.substr(0, base.find_last_of('.'));
            MemoFile::create(fs, mp + kNewSuffix, kind, base);
            moves.push_back({mp + kNewSuffix, mp});
        }
        // A stale production index, index list or code page file of an earlier table of this
        // name must not be picked up.
        std::vector<std::string> stale;
        std::string cpgPath = companionPath(fs, path, "CPG");
        for (const char* ext : {"MDX", "INF", "CPG"})
            if (std::string p = companionPath(fs, path, ext); fs.exists(p) && !(utf8 && p == cpgPath)) stale.push_back(p);
        if (utf8) {
            auto f = fs.open(cpgPath + kNewSuffix, ReadWrite | Create | Truncate);
            moves.push_back({cpgPath + kNewSuffix, cpgPath});
            f->write(0, "UTF-8", 5);
            f->sync();
        }
        replaceFiles(fs, moves, stale);
    } catch (...) {
        for (const auto& m : moves) fs.remove(m.from);
        fs.remove(tmp);
        throw;
    }
    if (!indexes.empty()) {
        auto t = DbfTable::open(fs, path, {true, false});
        for (const auto& ix : indexes) t->createIndex(ix);
    }
}

void registerDbaseFormat(TableFormats& formats) {
    if (!formats.forExtension("DBF")) formats.add(std::make_unique<DbaseFormat>());
}

}  // namespace vlm::engine::local::dbase
