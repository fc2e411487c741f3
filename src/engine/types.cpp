// Value conversions in the engine's text form: dates "YYYY-MM-DD", times "HH:MM:SS[.mmm]",
// booleans "True"/"False", floats in the shortest form that reads back exactly, bytes as hex.
#include "types.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "error.h"

namespace vlm::engine {

const char* fieldTypeName(FieldType t) {
    static const char* names[] = {"Unknown", "String", "Smallint", "Integer", "Word", "Boolean",
                                  "Float", "Currency", "BCD", "Date", "Time", "DateTime", "Bytes",
                                  "VarBytes", "AutoInc", "Blob", "Memo", "Graphic", "FmtMemo",
                                  "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor"};
    int i = static_cast<int>(t);
    return i >= 0 && i <= 22 ? names[i] : "Unknown";
}

namespace {

std::string dateText(const Date& d) {
    if (d.year >= 0 && d.year <= 9999 && d.month >= 0 && d.month <= 99 && d.day >= 0 && d.day <= 99) {
        // The common case without printf: a dump writes one per date field of every row.
        char b[10] = {char('0' + d.year / 1000), char('0' + d.year / 100 % 10), char('0' + d.year / 10 % 10),
                      char('0' + d.year % 10), '-', char('0' + d.month / 10), char('0' + d.month % 10), '-',
                      char('0' + d.day / 10), char('0' + d.day % 10)};
        return std::string(b, sizeof b);
    }
    char b[32];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d", d.year, d.month, d.day);
    return b;
}

std::string timeText(const Time& t) {
    char b[32];
    if (t.msec)
        std::snprintf(b, sizeof b, "%02d:%02d:%02d.%03d", t.hour, t.minute, t.second, t.msec);
    else
        std::snprintf(b, sizeof b, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return b;
}

std::string floatText(double d) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Inf" : "-Inf";
    // %.15g, or more digits where that does not read back (to_chars formats as printf would).
    char b[64];
    char* end = b;
    for (int prec = 15; prec <= 17; ++prec) {
        end = std::to_chars(b, b + sizeof b, d, std::chars_format::general, prec).ptr;
        double back = 0;
        std::from_chars(b, end, back);
        if (back == d) break;
    }
    return std::string(b, end);
}

[[noreturn]] void notANumber(const std::string& text) {
    throw EngineError(ErrorCategory::Data, errc::ConversionFailed,
                      {"'" + text + "' is not a valid number"});
}

}  // namespace

std::string Value::asText() const {
    struct V {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(double d) const { return floatText(d); }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(const Bytes& b) const {
            static const char* hex = "0123456789ABCDEF";
            std::string s;
            s.reserve(b.size() * 2);
            for (auto c : b) s += hex[c >> 4], s += hex[c & 15];
            return s;
        }
        std::string operator()(const Date& d) const { return dateText(d); }
        std::string operator()(const Time& t) const { return timeText(t); }
        std::string operator()(const DateTime& t) const { return dateText(t.date) + " " + timeText(t.time); }
        std::string operator()(const Decimal& d) const { return d.text; }
    };
    return std::visit(V{}, v_);
}

std::int64_t Value::asInteger() const {
    if (isNull()) return 0;
    if (is<std::int64_t>()) return get<std::int64_t>();
    if (is<bool>()) return get<bool>() ? 1 : 0;
    if (is<double>()) return static_cast<std::int64_t>(std::llround(get<double>()));
    std::string s = asText();
    std::int64_t out = 0;
    auto b = s.data(), e = s.data() + s.size();
    while (b < e && *b == ' ') ++b;
    while (e > b && e[-1] == ' ') --e;
    auto [p, ec] = std::from_chars(b, e, out);
    if (ec == std::errc() && p == e) return out;
    double d = asFloat();
    return static_cast<std::int64_t>(std::llround(d));
}

double Value::asFloat() const {
    if (isNull()) return 0;
    if (is<double>()) return get<double>();
    if (is<std::int64_t>()) return double(get<std::int64_t>());
    if (is<bool>()) return get<bool>() ? 1 : 0;
    std::string s = asText();
    if (s.empty()) notANumber(s);
    char* end = nullptr;
    errno = 0;
    double d = std::strtod(s.c_str(), &end);
    while (end && *end == ' ') ++end;
    if (end == s.c_str() || (end && *end)) notANumber(s);
    return d;
}

bool Value::asBoolean() const {
    if (isNull()) return false;
    if (is<bool>()) return get<bool>();
    if (is<std::int64_t>()) return get<std::int64_t>() != 0;
    if (is<double>()) return get<double>() != 0;
    std::string s = asText();
    if (s.empty()) return false;
    char c = char(std::toupper(static_cast<unsigned char>(s[0])));
    if (c == 'T' || c == 'Y' || c == '1') return true;
    if (c == 'F' || c == 'N' || c == '0') return false;
    throw EngineError(ErrorCategory::Data, errc::ConversionFailed,
                      {"'" + s + "' is not a valid boolean"});
}

}  // namespace vlm::engine
