// PostgreSQL vendor helpers: errors, types, value texts, parameter markers, names.
#include "pgsupport.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vlm::engine::postgres {

EngineError pgError(PGconn* conn, const PGresult* res, const std::string& what) {
    std::vector<std::string> messages{what};
    std::string state;
    if (res) {
        const char* st = PQresultErrorField(res, PG_DIAG_SQLSTATE);
        if (st) state = st;
        const char* primary = PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY);
        const char* detail = PQresultErrorField(res, PG_DIAG_MESSAGE_DETAIL);
        const char* hint = PQresultErrorField(res, PG_DIAG_MESSAGE_HINT);
        if (primary) messages.emplace_back(primary);
        else if (*PQresultErrorMessage(res)) messages.emplace_back(PQresultErrorMessage(res));
        if (detail) messages.emplace_back(detail);
        if (hint) messages.emplace_back(hint);
    }
    if (messages.size() == 1 && conn) {
        std::string m = PQerrorMessage(conn);
        while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
        if (!m.empty()) messages.push_back(m);
    }
    for (std::size_t i = 1; i < messages.size(); ++i)
        while (!messages[i].empty() && messages[i].back() == '\n') messages[i].pop_back();

    ErrorCategory cat = ErrorCategory::Sql;
    int code = errc::SqlBase;
    std::string cls = state.substr(0, 2);
    if (!conn || PQstatus(conn) == CONNECTION_BAD || cls == "08") {
        cat = ErrorCategory::Connect;
        code = errc::ConnectBase;
    }
    if (cls == "28") { cat = ErrorCategory::Connect; code = errc::LoginFailed; }
    else if (!res && cat == ErrorCategory::Connect && messages.size() > 1 &&
             (messages.back().find("authentication failed") != std::string::npos ||
              messages.back().find("password") != std::string::npos)) {
        // A refused login before any result: libpq's text is all there is (it never holds the password).
        code = errc::LoginFailed;
    }
    else if (cls == "3D") { cat = ErrorCategory::Connect; code = errc::NotADatabase; }
    else if (state == "23505") { cat = ErrorCategory::Data; code = errc::KeyViolation; }
    else if (cls == "22" || cls == "23") { cat = ErrorCategory::Data; code = errc::DataBase; }
    else if (state == "57014") { cat = ErrorCategory::Cancelled; code = errc::CancelledBase; }
    if (!state.empty()) messages.push_back("SQLSTATE " + state);
    // PostgreSQL has no numeric error code of its own: the SQLSTATE is the server's code.
    return EngineError(cat, code, std::move(messages), 0, state);
}

FieldType fieldTypeOfOid(unsigned t) {
    switch (t) {
    case oid::BOOL: return FieldType::Boolean;
    case oid::INT2: return FieldType::Smallint;
    case oid::INT4: return FieldType::Integer;
    case oid::INT8:
    case oid::FLOAT4:
    case oid::FLOAT8: return FieldType::Float;
    case oid::OID: return FieldType::Integer;
    case oid::NUMERIC: return FieldType::BCD;
    case oid::MONEY: return FieldType::Currency;
    case oid::DATE: return FieldType::Date;
    case oid::TIME:
    case oid::TIMETZ: return FieldType::Time;
    case oid::TIMESTAMP:
    case oid::TIMESTAMPTZ: return FieldType::DateTime;
    case oid::BYTEA: return FieldType::Blob;
    case oid::TEXT:
    case oid::JSON:
    case oid::JSONB:
    case oid::XML: return FieldType::Memo;
    default: return FieldType::String;
    }
}

FieldDef fieldDefFor(const std::string& name, unsigned t, int typmod) {
    FieldDef f;
    f.name = name;
    switch (t) {
    case oid::BOOL: f.logicalType = logical::BOOL; f.nativeType = "boolean"; break;
    case oid::INT2: f.logicalType = logical::INT16; f.nativeType = "smallint"; break;
    case oid::INT4: f.logicalType = logical::INT32; f.nativeType = "integer"; break;
    case oid::INT8: f.logicalType = logical::INT64; f.nativeType = "bigint"; break;
    case oid::OID: f.logicalType = logical::UINT32; f.nativeType = "oid"; break;
    case oid::FLOAT4: f.logicalType = logical::FLOAT; f.nativeType = "real"; break;
    case oid::FLOAT8: f.logicalType = logical::FLOAT; f.nativeType = "double precision"; break;
    case oid::MONEY:
        f.logicalType = logical::BCD; f.subType = subtype::MONEY; f.size = 19; f.scale = 2;
        f.nativeType = "money";
        break;
    case oid::NUMERIC:
        f.logicalType = logical::BCD;
        if (typmod >= 4) {
            f.size = ((typmod - 4) >> 16) & 0xffff;
            f.scale = (typmod - 4) & 0xffff;
            f.nativeType = "numeric(" + std::to_string(f.size) + "," + std::to_string(f.scale) + ")";
        } else {
            f.nativeType = "numeric";
        }
        break;
    case oid::DATE: f.logicalType = logical::DATE; f.nativeType = "date"; break;
    case oid::TIME: f.logicalType = logical::TIME; f.nativeType = "time"; break;
    case oid::TIMETZ: f.logicalType = logical::TIME; f.nativeType = "time with time zone"; break;
    case oid::TIMESTAMP: f.logicalType = logical::TIMESTAMP; f.nativeType = "timestamp"; break;
    case oid::TIMESTAMPTZ:
        f.logicalType = logical::TIMESTAMP; f.nativeType = "timestamp with time zone";
        break;
    case oid::BYTEA:
        f.logicalType = logical::BLOB; f.subType = subtype::BINARY; f.nativeType = "bytea";
        break;
    case oid::TEXT:
    case oid::JSON:
    case oid::JSONB:
    case oid::XML:
        f.logicalType = logical::BLOB; f.subType = subtype::MEMO;
        f.nativeType = t == oid::TEXT ? "text" : t == oid::XML ? "xml" : t == oid::JSON ? "json" : "jsonb";
        break;
    case oid::VARCHAR:
    case oid::BPCHAR:
        f.logicalType = logical::ZSTRING;
        f.size = typmod >= 4 ? typmod - 4 : 0;
        f.nativeType = std::string(t == oid::VARCHAR ? "varchar" : "char") +
                       (f.size ? "(" + std::to_string(f.size) + ")" : "");
        break;
    case oid::CHAR: f.logicalType = logical::ZSTRING; f.size = 1; f.nativeType = "\"char\""; break;
    case oid::NAME: f.logicalType = logical::ZSTRING; f.size = 63; f.nativeType = "name"; break;
    case oid::UUID: f.logicalType = logical::ZSTRING; f.size = 36; f.nativeType = "uuid"; break;
    case oid::INTERVAL: f.logicalType = logical::ZSTRING; f.size = 64; f.nativeType = "interval"; break;
    default:
        // Arrays, ranges, enums, geometric and user types arrive as their text form.
        f.logicalType = logical::ZSTRING;
        f.size = 0;
        f.nativeType = "oid " + std::to_string(t);
        break;
    }
    f.type = fieldTypeOfOid(t);
    if (t == oid::VARCHAR || t == oid::BPCHAR || t == oid::CHAR || t == oid::NAME ||
        t == oid::UUID || t == oid::INTERVAL)
        f.type = FieldType::String;
    if (t == oid::OID) f.type = FieldType::Integer;
    return f;
}

namespace {

// Reads "digits sep digits sep digits" (the server's ISO form) without sscanf, which costs
// more than the rest of a row's decoding; false when the text has another shape. n: the
// characters read.
bool threeNumbers(const char* s, char sep, int& a, int& b, int& c, int& n) {
    const char* p = s;
    int* out[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        if (*p < '0' || *p > '9') return false;
        int v = 0, digits = 0;
        for (; *p >= '0' && *p <= '9'; ++p)
            if (++digits <= 9) v = v * 10 + (*p - '0');
        if (digits > 9) return false;
        *out[i] = v;
        if (i < 2 && *p++ != sep) return false;
    }
    n = int(p - s);
    return true;
}

bool parseDate(const char* s, Date& d) {
    int n = 0;
    if (threeNumbers(s, '-', d.year, d.month, d.day, n)) return !std::strchr(s + n, 'B');
    return std::sscanf(s, "%d-%d-%d", &d.year, &d.month, &d.day) == 3 && !std::strchr(s, 'B');
}

// "HH:MM:SS[.ffffff][+zz]"; returns the characters read.
bool parseTime(const char* s, Time& t) {
    int h = 0, m = 0, sec = 0, n = 0;
    if (!threeNumbers(s, ':', h, m, sec, n) && std::sscanf(s, "%d:%d:%d%n", &h, &m, &sec, &n) < 3) return false;
    t.hour = h; t.minute = m; t.second = sec; t.msec = 0;
    if (s[n] == '.') {
        int ms = 0, digits = 0;
        for (const char* p = s + n + 1; *p >= '0' && *p <= '9'; ++p, ++digits)
            if (digits < 3) ms = ms * 10 + (*p - '0');
        for (; digits < 3; ++digits) ms *= 10;
        t.msec = ms;
    }
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Value valueFromText(const FieldDef& f, unsigned t, const char* s, int len) {
    switch (t) {
    case oid::BOOL: return Value(s[0] == 't');
    case oid::INT2:
    case oid::INT4:
    case oid::INT8:
    case oid::OID: return Value(std::int64_t(std::strtoll(s, nullptr, 10)));
    case oid::FLOAT4:
    case oid::FLOAT8: {
        if (!std::strcmp(s, "Infinity")) return Value(HUGE_VAL);
        if (!std::strcmp(s, "-Infinity")) return Value(-HUGE_VAL);
        return Value(std::strtod(s, nullptr));
    }
    case oid::NUMERIC: return Value(Decimal{std::string(s, std::size_t(len))});
    case oid::DATE: {
        Date d;
        if (parseDate(s, d)) return Value(d);
        break;
    }
    case oid::TIME:
    case oid::TIMETZ: {
        Time tm;
        if (parseTime(s, tm)) return Value(tm);
        break;
    }
    case oid::TIMESTAMP:
    case oid::TIMESTAMPTZ: {
        DateTime dt;
        const char* sp = std::strchr(s, ' ');
        if (sp && parseDate(s, dt.date) && parseTime(sp + 1, dt.time)) return Value(dt);
        break;
    }
    case oid::BYTEA: {
        Bytes b;
        if (len >= 2 && s[0] == '\\' && s[1] == 'x') {
            b.reserve(std::size_t(len - 2) / 2);
            for (int i = 2; i + 1 < len; i += 2)
                b.push_back(std::uint8_t(hexDigit(s[i]) * 16 + hexDigit(s[i + 1])));
        } else {
            b.assign(s, s + len);
        }
        return Value(std::move(b));
    }
    default: break;
    }
    (void)f;
    // Infinite dates, BC dates and every other type: the server's own text.
    return Value(std::string(s, std::size_t(len)));
}

std::string valueToText(const Value& v) {
    struct V {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "t" : "f"; }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(double d) const {
            if (std::isnan(d)) return "NaN";
            if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
            char b[64];
            std::snprintf(b, sizeof b, "%.17g", d);
            return b;
        }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(const Bytes& b) const {
            static const char* hex = "0123456789abcdef";
            std::string s = "\\x";
            s.reserve(2 + b.size() * 2);
            for (auto c : b) s += hex[c >> 4], s += hex[c & 15];
            return s;
        }
        std::string operator()(const Date& d) const {
            char b[32];
            std::snprintf(b, sizeof b, "%04d-%02d-%02d", d.year, d.month, d.day);
            return b;
        }
        std::string operator()(const Time& t) const {
            char b[32];
            std::snprintf(b, sizeof b, "%02d:%02d:%02d.%03d", t.hour, t.minute, t.second, t.msec);
            return b;
        }
        std::string operator()(const DateTime& t) const {
            return (*this)(t.date) + " " + (*this)(t.time);
        }
        std::string operator()(const Decimal& d) const { return d.text; }
    };
    return std::visit(V{}, v.storage());
}

std::string numberParameters(const std::string& sql, int* count) {
    std::string out;
    out.reserve(sql.size() + 8);
    int n = 0;
    std::size_t i = 0;
    const std::size_t len = sql.size();
    while (i < len) {
        char c = sql[i];
        if (c == '\'' || c == '"') {
            std::size_t j = i + 1;
            while (j < len) {
                if (sql[j] == c) {
                    if (j + 1 < len && sql[j + 1] == c) { j += 2; continue; }
                    break;
                }
                ++j;
            }
            out.append(sql, i, j + 1 - i);
            i = j + 1;
        } else if (c == '-' && i + 1 < len && sql[i + 1] == '-') {
            std::size_t j = sql.find('\n', i);
            if (j == std::string::npos) j = len;
            out.append(sql, i, j - i);
            i = j;
        } else if (c == '/' && i + 1 < len && sql[i + 1] == '*') {
            std::size_t j = sql.find("*/", i + 2);
            j = j == std::string::npos ? len : j + 2;
            out.append(sql, i, j - i);
            i = j;
        } else if (c == '$') {
            // A dollar quote $tag$ ... $tag$; "$1" and identifiers with "$" pass unchanged.
            std::size_t j = i + 1;
            while (j < len && (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_')) ++j;
            bool tagStartsWithDigit = j > i + 1 && std::isdigit(static_cast<unsigned char>(sql[i + 1]));
            bool prevIdent = i > 0 && (std::isalnum(static_cast<unsigned char>(sql[i - 1])) || sql[i - 1] == '_');
            if (j < len && sql[j] == '$' && !tagStartsWithDigit && !prevIdent) {
                std::string tag = sql.substr(i, j + 1 - i);
                std::size_t end = sql.find(tag, j + 1);
                end = end == std::string::npos ? len : end + tag.size();
                out.append(sql, i, end - i);
                i = end;
            } else {
                out += c;
                ++i;
            }
        } else if (c == '?') {
            out += "$" + std::to_string(++n);
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    if (count) *count = n;
    return out;
}

std::pair<std::string, std::string> splitQualified(const std::string& name) {
    std::vector<std::string> parts;
    std::string cur;
    bool quoted = false, anyQuote = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c == '"') {
            anyQuote = true;
            if (quoted && i + 1 < name.size() && name[i + 1] == '"') { cur += '"'; ++i; continue; }
            quoted = !quoted;
            continue;
        }
        if (c == '.' && !quoted && parts.empty()) {
            parts.push_back(cur);
            cur.clear();
            continue;
        }
        cur += c;
    }
    (void)anyQuote;
    if (parts.empty()) return {{}, cur};
    return {parts[0], cur};
}

std::string quoteIdent(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string quoteLiteral(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

}  // namespace vlm::engine::postgres
