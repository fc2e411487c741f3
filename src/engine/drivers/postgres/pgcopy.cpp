// The binary COPY form: big-endian lengths and values, dates as days and timestamps as
// microseconds from 2000-01-01, numeric as base 10000 digit groups.
#include "pgcopy.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/error.h"
#include "pgsupport.h"

namespace vlm::engine::postgres {
namespace {

// Type oids of the server's built-in types.
enum : unsigned {
    kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kFloat8 = 701,
    kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTime = 1083, kTimestamp = 1114, kNumeric = 1700
};

void put16(std::string& out, std::uint16_t v) {
    char b[2] = {char(v >> 8), char(v)};
    out.append(b, 2);
}
void put32(std::string& out, std::uint32_t v) {
    char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}
void put64(std::string& out, std::uint64_t v) {
    put32(out, std::uint32_t(v >> 32));
    put32(out, std::uint32_t(v));
}

[[noreturn]] void bad(const std::string& text) {
    throw EngineError(ErrorCategory::Data, errc::DataBase, {text});
}
[[noreturn]] void badInput(const char* type, const std::string& text) {
    bad(std::string("invalid input syntax for type ") + type + ": \"" + text + "\"");
}

// The value as the text COPY would have sent it (before escaping).
std::string plainText(const Value& v) {
    if (v.is<std::string>()) return v.get<std::string>();
    if (v.is<Decimal>()) return v.get<Decimal>().text;
    if (v.is<double>() && std::isfinite(v.get<double>())) {
        char b[64];
        auto r = std::to_chars(b, b + sizeof b, v.get<double>());
        return std::string(b, r.ptr);
    }
    return valueToText(v);
}

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Days from 2000-01-01 of a checked date (the proleptic Gregorian calendar).
std::int64_t pgDays(const Date& d) {
    static const int dim[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 ||
        d.day > dim[d.month - 1] + (d.month == 2 && leap(d.year)))
        bad("date/time field value out of range: \"" + valueToText(Value(d)) + "\"");
    std::int64_t y = d.year - (d.month <= 2);
    std::int64_t era = y / 400;
    std::int64_t yoe = y - era * 400;
    std::int64_t doy = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 - 10957;   // days from 1970-01-01, then from 2000-01-01
}

std::int64_t pgMicros(const Time& t) {
    if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 ||
        t.msec < 0 || t.msec > 999)
        bad("date/time field value out of range: \"" + valueToText(Value(t)) + "\"");
    return ((std::int64_t(t.hour) * 60 + t.minute) * 60 + t.second) * 1000000 + std::int64_t(t.msec) * 1000;
}

std::int64_t integerOf(const Value& v, const char* type) {
    if (v.is<std::int64_t>()) return v.get<std::int64_t>();
    if (v.is<bool>()) return v.get<bool>() ? 1 : 0;
    std::string s = plainText(v);
    std::int64_t i = 0;
    const char* b = s.data() + (s.size() && s[0] == '+');
    auto r = std::from_chars(b, s.data() + s.size(), i);
    if (r.ec == std::errc::result_out_of_range) bad(std::string("value \"") + s + "\" is out of range for type " + type);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || b == s.data() + s.size()) badInput(type, s);
    return i;
}

double floatOf(const Value& v) {
    if (v.is<double>()) return v.get<double>();
    if (v.is<std::int64_t>()) return double(v.get<std::int64_t>());
    std::string s = plainText(v);
    if (s == "NaN") return NAN;
    if (s == "Infinity") return INFINITY;
    if (s == "-Infinity") return -INFINITY;
    double d = 0;
    const char* b = s.data() + (s.size() && s[0] == '+');
    auto r = std::from_chars(b, s.data() + s.size(), d);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || b == s.data() + s.size())
        badInput("double precision", s);
    return d;
}

void appendValue(const Value& v, CopyKind kind, std::string& out) {
    // The length goes in front of the value: reserve it and fill it in after.
    std::size_t at = out.size();
    out.append(4, '\0');
    switch (kind) {
    case CopyKind::Text:
        if (v.is<std::string>()) out += v.get<std::string>();
        else out += plainText(v);
        break;
    case CopyKind::Bytea:
        if (v.is<Bytes>()) out.append(reinterpret_cast<const char*>(v.get<Bytes>().data()), v.get<Bytes>().size());
        else out += plainText(v);
        break;
    case CopyKind::Bool:
        if (v.is<bool>()) out += char(v.get<bool>() ? 1 : 0);
        else if (v.is<std::int64_t>()) out += char(v.get<std::int64_t>() != 0);
        else badInput("boolean", plainText(v));
        break;
    case CopyKind::Int2: {
        std::int64_t i = integerOf(v, "smallint");
        if (i < INT16_MIN || i > INT16_MAX) bad("smallint out of range");
        put16(out, std::uint16_t(i));
        break;
    }
    case CopyKind::Int4: {
        std::int64_t i = integerOf(v, "integer");
        if (i < INT32_MIN || i > INT32_MAX) bad("integer out of range");
        put32(out, std::uint32_t(i));
        break;
    }
    case CopyKind::Int8: put64(out, std::uint64_t(integerOf(v, "bigint"))); break;
    case CopyKind::Float8: {
        double d = floatOf(v);
        std::uint64_t u;
        std::memcpy(&u, &d, 8);
        put64(out, u);
        break;
    }
    case CopyKind::Numeric: {
        std::string s;
        if (v.is<std::int64_t>()) {
            char b[32];
            auto r = std::to_chars(b, b + sizeof b, v.get<std::int64_t>());
            s.assign(b, r.ptr);
        } else if (v.is<double>() && std::isnan(v.get<double>())) {
            s = "NaN";
        } else if (v.is<double>() && std::isinf(v.get<double>())) {
            s = v.get<double>() > 0 ? "Infinity" : "-Infinity";
        } else {
            s = plainText(v);
        }
        if (!appendNumericBinary(s, out)) badInput("numeric", s);
        break;
    }
    case CopyKind::Date:
        if (v.is<Date>()) put32(out, std::uint32_t(pgDays(v.get<Date>())));
        else if (v.is<DateTime>()) put32(out, std::uint32_t(pgDays(v.get<DateTime>().date)));
        else badInput("date", plainText(v));
        break;
    case CopyKind::Timestamp:
        if (v.is<DateTime>())
            put64(out, std::uint64_t(pgDays(v.get<DateTime>().date) * 86400000000LL + pgMicros(v.get<DateTime>().time)));
        else if (v.is<Date>()) put64(out, std::uint64_t(pgDays(v.get<Date>()) * 86400000000LL));
        else badInput("timestamp without time zone", plainText(v));
        break;
    case CopyKind::Time:
        if (v.is<Time>()) put64(out, std::uint64_t(pgMicros(v.get<Time>())));
        else if (v.is<DateTime>()) put64(out, std::uint64_t(pgMicros(v.get<DateTime>().time)));
        else badInput("time without time zone", plainText(v));
        break;
    }
    std::uint32_t n = std::uint32_t(out.size() - at - 4);
    char b[4] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    std::memcpy(out.data() + at, b, 4);
}

}  // namespace

bool binaryCopyKind(unsigned oid, FieldType source, CopyKind& kind) {
    switch (source) {
    case FieldType::String: case FieldType::Memo: case FieldType::FmtMemo:
        if (oid != kText && oid != kVarchar && oid != kBpchar) return false;
        kind = CopyKind::Text;
        return true;
    case FieldType::Smallint: case FieldType::Integer: case FieldType::Word: case FieldType::AutoInc:
    case FieldType::Float: case FieldType::Currency: case FieldType::BCD: {
        bool integral = source != FieldType::Float && source != FieldType::Currency && source != FieldType::BCD;
        if (oid == kFloat8) kind = CopyKind::Float8;
        else if (oid == kNumeric) kind = CopyKind::Numeric;
        else if (integral && oid == kInt2) kind = CopyKind::Int2;
        else if (integral && oid == kInt4) kind = CopyKind::Int4;
        else if (integral && oid == kInt8) kind = CopyKind::Int8;
        else return false;
        return true;
    }
    case FieldType::Boolean:
        if (oid != kBool) return false;
        kind = CopyKind::Bool;
        return true;
    case FieldType::Date:
        if (oid == kDate) kind = CopyKind::Date;
        else if (oid == kTimestamp) kind = CopyKind::Timestamp;
        else return false;
        return true;
    case FieldType::DateTime:
        if (oid != kTimestamp) return false;
        kind = CopyKind::Timestamp;
        return true;
    case FieldType::Time:
        if (oid != kTime) return false;
        kind = CopyKind::Time;
        return true;
    case FieldType::Bytes: case FieldType::VarBytes: case FieldType::Blob: case FieldType::Graphic:
    case FieldType::ParadoxOle: case FieldType::DBaseOle: case FieldType::TypedBinary:
        if (oid != kBytea) return false;
        kind = CopyKind::Bytea;
        return true;
    default:
        return false;
    }
}

void appendBinaryCopyHeader(std::string& out) {
    out.append("PGCOPY\n\377\r\n\0", 11);
    put32(out, 0);   // flags
    put32(out, 0);   // header extension length
}

void appendBinaryCopyTrailer(std::string& out) { put16(out, 0xFFFF); }

void appendBinaryCopyRow(const Row& row, const std::vector<int>& sourceColumns,
                         const std::vector<CopyKind>& kinds, std::string& out) {
    put16(out, std::uint16_t(sourceColumns.size()));
    for (std::size_t i = 0; i < sourceColumns.size(); ++i) {
        int sc = sourceColumns[i];
        if (sc < 0 || std::size_t(sc) >= row.values.size() || row.values[std::size_t(sc)].isNull())
            put32(out, 0xFFFFFFFFu);
        else
            appendValue(row.values[std::size_t(sc)], kinds[i], out);
    }
}

bool appendNumericBinary(std::string_view s, std::string& out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::string rest(s.substr(i));
    for (auto& c : rest) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (rest == "nan" && i == 0) {
        put16(out, 0), put16(out, 0), put16(out, 0xC000), put16(out, 0);
        return true;
    }
    if (rest == "infinity" || rest == "inf") {
        put16(out, 0), put16(out, 0), put16(out, negative ? 0xF000 : 0xD000), put16(out, 0);
        return true;
    }
    // The digits without the point; point: how many of them stand before it.
    std::string digits;
    long point = 0, fraction = 0;
    bool seenPoint = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            digits += c;
            if (seenPoint) ++fraction;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (digits.empty()) return false;
    long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        const char* b = s.data() + i + (i < s.size() && s[i] == '+');
        auto r = std::from_chars(b, s.data() + s.size(), exponent);
        if (r.ec != std::errc() || r.ptr != s.data() + s.size() || exponent > 100000 || exponent < -100000)
            return false;
        i = s.size();
    }
    if (i != s.size()) return false;
    long dscale = std::max(0L, fraction - exponent);
    if (dscale > 0x3FFF) return false;
    point = long(digits.size()) - fraction + exponent;
    // Leading and trailing zeros carry no digits.
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        put16(out, 0), put16(out, 0), put16(out, 0), put16(out, std::uint16_t(dscale));
        return true;
    }
    std::size_t last = digits.find_last_not_of('0');
    point -= long(first);
    std::string_view d(digits.data() + first, last - first + 1);
    // The digit d[k] stands for 10^(point - 1 - k); groups of four from the point.
    auto floorDiv = [](long a, long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    long top = point - 1, bottom = point - long(d.size());
    long weight = floorDiv(top, 4), lowest = floorDiv(bottom, 4);
    if (weight > 0x7FFF || lowest < -0x8000) return false;
    std::vector<std::uint16_t> groups(std::size_t(weight - lowest + 1), 0);
    static const std::uint16_t pow10[] = {1, 10, 100, 1000};
    for (std::size_t k = 0; k < d.size(); ++k) {
        long e = point - 1 - long(k), g = floorDiv(e, 4);
        groups[std::size_t(weight - g)] += std::uint16_t((d[k] - '0') * pow10[e - g * 4]);
    }
    while (!groups.empty() && groups.back() == 0) groups.pop_back();
    put16(out, std::uint16_t(groups.size()));
    put16(out, std::uint16_t(std::int16_t(weight)));
    put16(out, negative ? 0x4000 : 0x0000);
    put16(out, std::uint16_t(dscale));
    for (auto g : groups) put16(out, g);
    return true;
}

}  // namespace vlm::engine::postgres
