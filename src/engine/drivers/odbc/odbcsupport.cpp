// ODBC vendor helpers: handles, diagnostics, types, values.
#include "odbcsupport.h"

#include <cstdlib>
#include <algorithm>
#include <cstring>

namespace vlm::engine::odbc {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    SQLRETURN rc = SQLAllocHandle(type, parent, &h_);
    if (!ok(rc)) {
        h_ = SQL_NULL_HANDLE;
        if (parent != SQL_NULL_HANDLE) {
            SQLSMALLINT ptype = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
            throw odbcError(ptype, parent, "Cannot allocate an ODBC handle");
        }
        throw EngineError(ErrorCategory::Driver, errc::DriverUnavailable, {"Cannot allocate an ODBC handle"});
    }
}

Handle& Handle::operator=(Handle&& o) noexcept {
    if (this != &o) {
        reset();
        type_ = o.type_;
        h_ = o.h_;
        o.h_ = SQL_NULL_HANDLE;
    }
    return *this;
}

void Handle::reset() {
    if (h_ != SQL_NULL_HANDLE) {
        if (type_ == SQL_HANDLE_STMT) SQLFreeStmt(h_, SQL_CLOSE);
        SQLFreeHandle(type_, h_);
        h_ = SQL_NULL_HANDLE;
    }
}

namespace {
void scrub(std::string& s, const std::string& secret) {
    if (secret.empty()) return;
    for (auto pos = s.find(secret); pos != std::string::npos; pos = s.find(secret, pos))
        s.replace(pos, secret.size(), "****");
}
}  // namespace

EngineError odbcError(SQLSMALLINT type, SQLHANDLE h, const std::string& what, const std::string& secret) {
    std::vector<std::string> messages{what};
    int native = 0;
    std::string firstState;
    for (SQLSMALLINT i = 1; h != SQL_NULL_HANDLE && i <= 10; ++i) {
        SQLCHAR state[6] = {0};
        SQLINTEGER nat = 0;
        SQLCHAR text[2048] = {0};
        SQLSMALLINT len = 0;
        SQLRETURN rc = SQLGetDiagRec(type, h, i, state, &nat, text, sizeof text, &len);
        if (!ok(rc)) break;
        if (i == 1) {
            native = int(nat);
            firstState = reinterpret_cast<char*>(state);
        }
        std::string line = "[" + std::string(reinterpret_cast<char*>(state)) + "] " + reinterpret_cast<char*>(text);
        scrub(line, secret);
        messages.push_back(line);
    }
    ErrorCategory cat = ErrorCategory::Sql;
    int code = errc::SqlBase;
    std::string cls = firstState.substr(0, 2);
    if (type == SQL_HANDLE_DBC && (cls == "08" || cls == "28" || cls == "IM" || cls == "HY")) {
        cat = ErrorCategory::Connect;
        code = cls == "28" ? errc::LoginFailed : errc::ConnectBase;
    } else if (cls == "08") {
        cat = ErrorCategory::Connect;
        code = errc::ConnectBase;
    } else if (firstState == "23000" || firstState == "23505") {
        cat = ErrorCategory::Data;
        code = errc::KeyViolation;
    } else if (cls == "22") {
        cat = ErrorCategory::Data;
        code = errc::DataBase;
    } else if (firstState == "HY008" || firstState == "57014") {   // ODBC's and PostgreSQL's cancel
        cat = ErrorCategory::Cancelled;
        code = errc::CancelledBase;
    }
    return EngineError(cat, code, std::move(messages), native, firstState);
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const std::string& what, const std::string& secret) {
    if (!ok(rc) && rc != SQL_NO_DATA) throw odbcError(type, h, what, secret);
}

FieldDef fieldDefFor(const std::string& name, SQLSMALLINT t, SQLULEN size, SQLSMALLINT digits, bool nullable,
                     const std::string& typeName) {
    FieldDef f;
    f.name = name;
    f.required = !nullable;
    f.nativeType = typeName;
    switch (t) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        f.logicalType = logical::ZSTRING;
        f.type = FieldType::String;
        f.size = size > 0 && size < 0x7fffffff ? int(size) : 0;
        break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        f.logicalType = logical::BLOB;
        f.subType = subtype::MEMO;
        f.type = FieldType::Memo;
        break;
    case SQL_BINARY:
    case SQL_VARBINARY:
        f.logicalType = t == SQL_BINARY ? logical::BYTES : logical::VARBYTES;
        f.type = t == SQL_BINARY ? FieldType::Bytes : FieldType::VarBytes;
        f.size = size > 0 && size < 0x7fffffff ? int(size) : 0;
        if (f.size == 0 || f.size > 65535) {
            f.logicalType = logical::BLOB;
            f.subType = subtype::BINARY;
            f.type = FieldType::Blob;
            f.size = 0;
        }
        break;
    case SQL_LONGVARBINARY:
        f.logicalType = logical::BLOB;
        f.subType = subtype::BINARY;
        f.type = FieldType::Blob;
        break;
    case SQL_BIT:
        f.logicalType = logical::BOOL;
        f.type = FieldType::Boolean;
        break;
    case SQL_TINYINT:
    case SQL_SMALLINT:
        f.logicalType = logical::INT16;
        f.type = FieldType::Smallint;
        break;
    case SQL_INTEGER:
        f.logicalType = logical::INT32;
        f.type = FieldType::Integer;
        break;
    case SQL_BIGINT:
        f.logicalType = logical::INT64;
        f.type = FieldType::Float;
        break;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        f.logicalType = logical::FLOAT;
        f.type = FieldType::Float;
        break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        f.logicalType = logical::BCD;
        f.type = FieldType::BCD;
        f.size = size > 0 && size <= 1000 ? int(size) : 0;
        f.scale = f.size ? digits : 0;
        break;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        f.logicalType = logical::DATE;
        f.type = FieldType::Date;
        break;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        f.logicalType = logical::TIME;
        f.type = FieldType::Time;
        break;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        f.logicalType = logical::TIMESTAMP;
        f.type = FieldType::DateTime;
        break;
    default:
        f.logicalType = logical::ZSTRING;
        f.type = FieldType::String;
        f.size = size > 0 && size < 65536 ? int(size) : 0;
        break;
    }
    return f;
}

namespace {

// Reads the whole of a character or binary column, in pieces when it is long.
bool readLong(SQLHSTMT st, SQLUSMALLINT col, SQLSMALLINT ctype, std::string& out) {
    out.clear();
    char buf[8192];
    for (;;) {
        SQLLEN ind = 0;
        SQLRETURN rc = SQLGetData(st, col, ctype, buf, sizeof buf, &ind);
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st, "Reading a column failed");
        if (ind == SQL_NULL_DATA) return false;
        std::size_t room = ctype == SQL_C_CHAR ? sizeof buf - 1 : sizeof buf;
        std::size_t got = (ind == SQL_NO_TOTAL || std::size_t(ind) > room) ? room : std::size_t(ind);
        out.append(buf, got);
        if (rc == SQL_SUCCESS) break;   // SUCCESS_WITH_INFO: truncated, more follows
    }
    return true;
}

}  // namespace

Value readValue(SQLHSTMT st, SQLUSMALLINT col, const FieldDef& f, SQLSMALLINT sqlType) {
    SQLLEN ind = 0;
    switch (f.logicalType) {
    case logical::BOOL:
    case logical::INT16:
    case logical::INT32:
    case logical::INT64: {
        SQLBIGINT v = 0;
        check(SQLGetData(st, col, SQL_C_SBIGINT, &v, 0, &ind), SQL_HANDLE_STMT, st, "Reading a column failed");
        if (ind == SQL_NULL_DATA) return {};
        if (f.logicalType == logical::BOOL) return Value(v != 0);
        return Value(std::int64_t(v));
    }
    case logical::FLOAT: {
        double v = 0;
        check(SQLGetData(st, col, SQL_C_DOUBLE, &v, 0, &ind), SQL_HANDLE_STMT, st, "Reading a column failed");
        if (ind == SQL_NULL_DATA) return {};
        return Value(v);
    }
    case logical::DATE: {
        SQL_DATE_STRUCT d{};
        check(SQLGetData(st, col, SQL_C_TYPE_DATE, &d, sizeof d, &ind), SQL_HANDLE_STMT, st, "Reading a column failed");
        if (ind == SQL_NULL_DATA) return {};
        return Value(Date{d.year, d.month, d.day});
    }
    case logical::TIME: {
        SQL_TIME_STRUCT t{};
        check(SQLGetData(st, col, SQL_C_TYPE_TIME, &t, sizeof t, &ind), SQL_HANDLE_STMT, st, "Reading a column failed");
        if (ind == SQL_NULL_DATA) return {};
        return Value(Time{t.hour, t.minute, t.second, 0});
    }
    case logical::TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT t{};
        check(SQLGetData(st, col, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &ind), SQL_HANDLE_STMT, st,
              "Reading a column failed");
        if (ind == SQL_NULL_DATA) return {};
        return Value(DateTime{{t.year, t.month, t.day}, {t.hour, t.minute, t.second, int(t.fraction / 1000000)}});
    }
    case logical::BYTES:
    case logical::VARBYTES: {
        std::string s;
        if (!readLong(st, col, SQL_C_BINARY, s)) return {};
        return Value(Bytes(s.begin(), s.end()));
    }
    case logical::BLOB:
        if (f.subType != subtype::MEMO) {
            std::string s;
            if (!readLong(st, col, SQL_C_BINARY, s)) return {};
            return Value(Bytes(s.begin(), s.end()));
        }
        [[fallthrough]];
    default: {
        std::string s;
        if (!readLong(st, col, SQL_C_CHAR, s)) return {};
        if (f.logicalType == logical::BCD) return Value(Decimal{s});
        (void)sqlType;
        return Value(std::move(s));
    }
    }
}

std::string columnText(SQLHSTMT st, SQLUSMALLINT col) {
    std::string s;
    return readLong(st, col, SQL_C_CHAR, s) ? s : std::string();
}

void ParamSlot::set(const Value& v, FieldType type) {
    *this = ParamSlot{};
    if (v.isNull()) {
        ind = SQL_NULL_DATA;
        return;
    }
    const auto& st = v.storage();
    ind = 0;   // fixed-size values; texts and bytes set their length below
    if (auto* b = std::get_if<bool>(&st)) {
        if (type == FieldType::Smallint || type == FieldType::Integer || type == FieldType::Word) {
            i = *b ? 1 : 0; ctype = SQL_C_SBIGINT; sqltype = SQL_INTEGER;
        } else {
            bit = *b ? 1 : 0; ctype = SQL_C_BIT; sqltype = SQL_BIT;
        }
    } else if (auto* n = std::get_if<std::int64_t>(&st)) {
        i = *n; ctype = SQL_C_SBIGINT; sqltype = SQL_BIGINT;
    } else if (auto* x = std::get_if<double>(&st)) {
        d = *x; ctype = SQL_C_DOUBLE; sqltype = SQL_DOUBLE;
    } else if (auto* bytes = std::get_if<Bytes>(&st)) {
        text.assign(bytes->begin(), bytes->end());
        ctype = SQL_C_BINARY; sqltype = SQL_LONGVARBINARY;
        ind = SQLLEN(text.size()); size = std::max<SQLULEN>(1, text.size());
    } else if (auto* dt = std::get_if<Date>(&st)) {
        date = {SQLSMALLINT(dt->year), SQLUSMALLINT(dt->month), SQLUSMALLINT(dt->day)};
        ctype = SQL_C_TYPE_DATE; sqltype = SQL_TYPE_DATE; size = 10;
    } else if (auto* tm = std::get_if<Time>(&st)) {
        time = {SQLUSMALLINT(tm->hour), SQLUSMALLINT(tm->minute), SQLUSMALLINT(tm->second)};
        ctype = SQL_C_TYPE_TIME; sqltype = SQL_TYPE_TIME; size = 8;
    } else if (auto* ts = std::get_if<DateTime>(&st)) {
        stamp = {SQLSMALLINT(ts->date.year), SQLUSMALLINT(ts->date.month), SQLUSMALLINT(ts->date.day),
                 SQLUSMALLINT(ts->time.hour), SQLUSMALLINT(ts->time.minute),
                 SQLUSMALLINT(ts->time.second), SQLUINTEGER(ts->time.msec) * 1000000u};
        ctype = SQL_C_TYPE_TIMESTAMP; sqltype = SQL_TYPE_TIMESTAMP; size = 23; digits = 3;
    } else if (auto* dec = std::get_if<Decimal>(&st)) {
        text = dec->text; ctype = SQL_C_CHAR; sqltype = SQL_DECIMAL;
        ind = SQLLEN(text.size());
        auto dot = text.find('.');
        digits = dot == std::string::npos ? 0 : SQLSMALLINT(text.size() - dot - 1);
        size = std::max<SQLULEN>(1, text.size());
    } else {
        text = v.get<std::string>(); ctype = SQL_C_CHAR;
        sqltype = text.size() > 4000 ? SQL_LONGVARCHAR : SQL_VARCHAR;
        ind = SQLLEN(text.size()); size = std::max<SQLULEN>(1, text.size());
    }
}

void* ParamSlot::data() {
    switch (ctype) {
    case SQL_C_SBIGINT: return &i;
    case SQL_C_DOUBLE: return &d;
    case SQL_C_BIT: return &bit;
    case SQL_C_TYPE_DATE: return &date;
    case SQL_C_TYPE_TIME: return &time;
    case SQL_C_TYPE_TIMESTAMP: return &stamp;
    default: return text.data();
    }
}

}  // namespace vlm::engine::odbc
