// Declared types follow SQLite's own affinity rules where the name is no known SQL type, so any
// table another program wrote gets a sensible field type.
#include "typemapping.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "engine/typemap.h"

namespace vlm::engine::sqlite {
namespace {

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

bool has(const std::string& s, const char* w) { return s.find(w) != std::string::npos; }

// "NUMERIC ( 12 , 2 )" -> 12 and 2; missing numbers stay 0.
void sizes(const std::string& decl, int& a, int& b) {
    a = b = 0;
    auto open = decl.find('(');
    if (open == std::string::npos) return;
    const char* p = decl.c_str() + open + 1;
    char* end = nullptr;
    a = int(std::strtol(p, &end, 10));
    while (end && (*end == ' ' || *end == ',')) {
        if (*end == ',') {
            b = int(std::strtol(end + 1, &end, 10));
            break;
        }
        ++end;
    }
}

void set(FieldDef& f, int logicalType, int subType = subtype::NONE) {
    f.logicalType = logicalType;
    f.subType = subType;
    f.type = fieldTypeFor(logicalType, subType);
}

bool parseInt(const std::string& s, int from, int len, int& out) {
    if (from + len > int(s.size())) return false;
    auto [p, ec] = std::from_chars(s.data() + from, s.data() + from + len, out);
    return ec == std::errc() && p == s.data() + from + len;
}

bool parseDate(const std::string& s, Date& d) {
    return s.size() >= 10 && s[4] == '-' && s[7] == '-' && parseInt(s, 0, 4, d.year) &&
           parseInt(s, 5, 2, d.month) && parseInt(s, 8, 2, d.day);
}

bool parseTime(const std::string& s, std::size_t at, Time& t) {
    if (s.size() < at + 5 || s[at + 2] != ':') return false;
    if (!parseInt(s, int(at), 2, t.hour) || !parseInt(s, int(at + 3), 2, t.minute)) return false;
    std::size_t p = at + 5;
    t.second = t.msec = 0;
    if (p < s.size() && s[p] == ':') {
        if (!parseInt(s, int(p + 1), 2, t.second)) return false;
        p += 3;
        if (p < s.size() && s[p] == '.') {
            std::string frac = s.substr(p + 1, 3);
            while (frac.size() < 3) frac += '0';
            if (!parseInt(frac, 0, 3, t.msec)) return false;
            p += 1;
            while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p]))) ++p;
        }
    }
    return p == s.size();
}

std::string columnText(sqlite3_stmt* st, int col) {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return p ? std::string(p, std::size_t(sqlite3_column_bytes(st, col))) : std::string();
}

// Canonical decimal text of a stored number with the column's scale ("12.50").
std::string decimalText(sqlite3_stmt* st, int col, int scale) {
    int storage = sqlite3_column_type(st, col);
    if (storage == SQLITE_INTEGER && scale <= 0) return std::to_string(sqlite3_column_int64(st, col));
    if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        char b[64];
        double d = sqlite3_column_double(st, col);
        if (scale > 0)
            std::snprintf(b, sizeof b, "%.*f", scale, d);
        else
            std::snprintf(b, sizeof b, "%.15g", d);
        return b;
    }
    return columnText(st, col);
}

}  // namespace

FieldDef fieldFromDeclared(const std::string& name, const std::string& declared) {
    FieldDef f;
    f.name = name;
    f.nativeType = declared;
    std::string d = upper(declared);
    int a = 0, b = 0;
    sizes(d, a, b);
    auto word = d.substr(0, d.find('('));
    while (!word.empty() && word.back() == ' ') word.pop_back();
    if (d.empty()) {
        set(f, logical::UNKNOWN);
    } else if (word == "BOOLEAN" || word == "BOOL" || word == "BIT") {
        set(f, logical::BOOL);
    } else if (word == "DATE") {
        set(f, logical::DATE);
    } else if (word == "TIME") {
        set(f, logical::TIME);
    } else if (word == "DATETIME" || word == "TIMESTAMP") {
        set(f, logical::TIMESTAMP);
    } else if (word == "SMALLINT" || word == "INT2" || word == "TINYINT") {
        set(f, logical::INT16);
    } else if (word == "BIGINT" || word == "INT8" || word == "UNSIGNED BIG INT") {
        set(f, logical::INT64);
    } else if (has(d, "INT")) {
        set(f, logical::INT32);
    } else if (word == "MONEY" || word == "CURRENCY") {
        set(f, logical::FLOAT, subtype::MONEY);
    } else if (word == "NUMERIC" || word == "DECIMAL" || word == "NUMBER") {
        set(f, logical::BCD);
        f.size = a;
        f.scale = b;
    } else if (word == "MEMO" || word == "CLOB") {
        set(f, logical::BLOB, subtype::MEMO);
    } else if (word == "VARBINARY" || word == "BINARY") {
        set(f, a > 0 ? logical::VARBYTES : logical::BLOB, a > 0 ? subtype::NONE : subtype::BINARY);
        f.size = a;
    } else if (has(d, "CHAR") || has(d, "CLOB") || has(d, "TEXT")) {
        set(f, logical::ZSTRING);
        f.size = a;
    } else if (has(d, "BLOB") || word == "BYTEA") {
        set(f, logical::BLOB, subtype::BINARY);
    } else if (has(d, "REAL") || has(d, "FLOA") || has(d, "DOUB")) {
        set(f, logical::FLOAT);
    } else {
        // Numeric affinity names nobody else uses ("JSON", "UUID"): read them as text.
        set(f, logical::ZSTRING);
        f.size = a;
    }
    return f;
}

void refineFromStorage(FieldDef& f, int storageClass) {
    if (f.logicalType != logical::UNKNOWN) return;
    switch (storageClass) {
    case SQLITE_INTEGER: set(f, logical::INT32); break;
    case SQLITE_FLOAT: set(f, logical::FLOAT); break;
    case SQLITE_BLOB: set(f, logical::BLOB, subtype::BINARY); break;
    default: set(f, logical::ZSTRING); break;
    }
}

Value readColumn(sqlite3_stmt* st, int col, const FieldDef& f) {
    int storage = sqlite3_column_type(st, col);
    if (storage == SQLITE_NULL) return Value();
    auto stored = [&]() -> Value {
        switch (storage) {
        case SQLITE_INTEGER: return Value(std::int64_t(sqlite3_column_int64(st, col)));
        case SQLITE_FLOAT: return Value(sqlite3_column_double(st, col));
        case SQLITE_BLOB: {
            auto p = static_cast<const std::uint8_t*>(sqlite3_column_blob(st, col));
            return Value(Bytes(p, p + sqlite3_column_bytes(st, col)));
        }
        default: return Value(columnText(st, col));
        }
    };
    switch (f.logicalType) {
    case logical::INT16:
    case logical::INT32:
    case logical::INT64:
    case logical::UINT16:
    case logical::UINT32:
    case logical::UINT64:
        if (storage == SQLITE_INTEGER) return Value(std::int64_t(sqlite3_column_int64(st, col)));
        return stored();
    case logical::FLOAT:
    case logical::FLOATIEEE:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) return Value(sqlite3_column_double(st, col));
        return stored();
    case logical::BCD:
        if (storage == SQLITE_BLOB) return stored();
        if (storage == SQLITE_TEXT) {
            std::string t = columnText(st, col);
            char* end = nullptr;
            std::strtod(t.c_str(), &end);
            if (t.empty() || (end && *end)) return Value(t);
        }
        return Value(Decimal{decimalText(st, col, f.scale)});
    case logical::BOOL:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) return Value(sqlite3_column_double(st, col) != 0);
        if (storage == SQLITE_TEXT) {
            std::string t = upper(columnText(st, col));
            if (t == "TRUE" || t == "T" || t == "1" || t == "Y" || t == "YES") return Value(true);
            if (t == "FALSE" || t == "F" || t == "0" || t == "N" || t == "NO") return Value(false);
        }
        return stored();
    case logical::DATE:
        if (storage == SQLITE_TEXT) {
            std::string t = columnText(st, col);
            Date d;
            if (t.size() == 10 && parseDate(t, d)) return Value(d);
        }
        return stored();
    case logical::TIME:
        if (storage == SQLITE_TEXT) {
            std::string t = columnText(st, col);
            Time tm;
            if (parseTime(t, 0, tm)) return Value(tm);
        }
        return stored();
    case logical::TIMESTAMP:
        if (storage == SQLITE_TEXT) {
            std::string t = columnText(st, col);
            DateTime dt;
            if (parseDate(t, dt.date)) {
                if (t.size() == 10) return Value(dt);
                if ((t[10] == ' ' || t[10] == 'T') && parseTime(t, 11, dt.time)) return Value(dt);
            }
        }
        return stored();
    case logical::ZSTRING:
        if (storage == SQLITE_BLOB) return stored();
        return Value(columnText(st, col));
    case logical::BLOB:
        if (f.subType == subtype::MEMO && storage != SQLITE_BLOB) return Value(columnText(st, col));
        if (storage == SQLITE_TEXT) {
            std::string t = columnText(st, col);
            return Value(Bytes(t.begin(), t.end()));
        }
        return stored();
    default:
        return stored();
    }
}

int bindValue(sqlite3_stmt* st, int index, const Value& v, FieldType type, bool borrow) {
    const auto& s = v.storage();
    auto keep = borrow ? SQLITE_STATIC : SQLITE_TRANSIENT;
    if (v.isNull()) return sqlite3_bind_null(st, index);
    if (v.is<bool>()) return sqlite3_bind_int(st, index, v.get<bool>() ? 1 : 0);
    if (v.is<std::int64_t>()) return sqlite3_bind_int64(st, index, v.get<std::int64_t>());
    if (v.is<double>()) return sqlite3_bind_double(st, index, v.get<double>());
    if (v.is<Bytes>()) {
        const auto& b = v.get<Bytes>();
        return sqlite3_bind_blob64(st, index, b.data(), b.size(), keep);
    }
    if (v.is<std::string>()) {
        const auto& t = v.get<std::string>();
        // A text bound to a numeric parameter is stored as the number it reads as.
        switch (type) {
        case FieldType::Smallint:
        case FieldType::Integer:
        case FieldType::Word:
        case FieldType::AutoInc: {
            std::int64_t i = 0;
            auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), i);
            if (ec == std::errc() && p == t.data() + t.size()) return sqlite3_bind_int64(st, index, i);
            break;
        }
        case FieldType::Float:
        case FieldType::Currency: {
            char* end = nullptr;
            double d = std::strtod(t.c_str(), &end);
            if (!t.empty() && end && !*end) return sqlite3_bind_double(st, index, d);
            break;
        }
        case FieldType::Boolean:
            return sqlite3_bind_int(st, index, v.asBoolean() ? 1 : 0);
        default:
            break;
        }
        return sqlite3_bind_text64(st, index, t.data(), t.size(), keep, SQLITE_UTF8);
    }
    (void)s;
    // Dates, times and decimals are stored in their text forms.
    std::string t = v.asText();
    return sqlite3_bind_text64(st, index, t.data(), t.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

std::string traceText(const Value& v) {
    if (v.isNull()) return "NULL";
    if (v.is<Bytes>()) return "<" + std::to_string(v.get<Bytes>().size()) + " bytes>";
    std::string t = v.asText();
    if (t.size() > 200) t = t.substr(0, 200) + "...";
    return t;
}

}  // namespace vlm::engine::sqlite
