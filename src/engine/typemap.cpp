// The engine's type mapping as one table: a field definition of any source falls into one type
// class, and each destination writes that class with its own column type text.
//
//   nativeColumnType("POSTGRESQL", {.logicalType = logical::BCD, .size = 12, .scale = 2})
//       == "NUMERIC(12,2)"
#include "typemap.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vlm::engine {
namespace {

// Destinations, in the column order of the table below.
enum Dest { SQLITE, INTRBASE, POSTGRESQL, ODBC, ORACLE, MSSQL, SQLBASE, DestCount };

// What a field definition is, as far as a destination column cares.
enum class TypeClass {
    String,     // bounded character data, size characters
    Text,       // character data without a usable bound (size 0, or over the destination's limit)
    Memo,       // text blob
    FmtMemo,    // formatted (rich text) memo, kept as bytes
    Binary,     // binary blob: binary, graphic, OLE, typed binary
    Bytes,      // fixed or varying bytes of at most size bytes
    Int16, UInt16, Int32, AutoInc, UInt32, Int64, UInt64,
    Float,
    Money,
    Decimal,    // exact number with a precision the destination can hold
    Number,     // exact number without a precision, or wider than the destination holds
    Bool, Date, Time, Timestamp,
    Unknown,    // cursors, lock info and types no driver describes
    Count
};

// Size limits of each destination: the longest VARCHAR in characters, the widest exact number,
// the longest fixed binary column. 0: no limit that matters.
struct Limits {
    int maxVarchar;
    int maxPrecision;
    int maxBytes;
};
constexpr std::array<Limits, DestCount> kLimits{{
    /* SQLITE     */ {0, 0, 0},
    /* INTRBASE   */ {8191, 18, 32765},   // VARCHAR bound in bytes: 32765 / 4 for UTF8
    /* POSTGRESQL */ {10485760, 1000, 0},
    /* ODBC       */ {32767, 38, 0},
    /* ORACLE     */ {4000, 38, 2000},
    /* MSSQL      */ {8000, 38, 8000},
    /* SQLBASE    */ {254, 15, 0},
}};

// The table. {n} is the size, {p},{s} precision and scale. Generic ODBC names LONG VARCHAR and
// LONG VARBINARY are replaced by the ODBC driver with the data source's own type names.
using Cells = std::array<const char*, DestCount>;
struct Entry {
    TypeClass cls;
    Cells cells;
};
// clang-format off
constexpr Entry kTable[] = {
//                       SQLITE          INTRBASE                        POSTGRESQL          ODBC               ORACLE           MSSQL            SQLBASE
{TypeClass::String,    {"VARCHAR({n})", "VARCHAR({n})",                 "VARCHAR({n})",     "VARCHAR({n})",    "VARCHAR2({n})", "VARCHAR({n})",  "VARCHAR({n})"}},
{TypeClass::Text,      {"TEXT",         "BLOB SUB_TYPE 1",              "TEXT",             "LONG VARCHAR",    "CLOB",          "TEXT",          "LONG VARCHAR"}},
{TypeClass::Memo,      {"TEXT",         "BLOB SUB_TYPE 1",              "TEXT",             "LONG VARCHAR",    "CLOB",          "TEXT",          "LONG VARCHAR"}},
{TypeClass::FmtMemo,   {"BLOB",         "BLOB SUB_TYPE 0",              "BYTEA",            "LONG VARBINARY",  "BLOB",          "IMAGE",         "LONG VARCHAR"}},
{TypeClass::Binary,    {"BLOB",         "BLOB SUB_TYPE 0",              "BYTEA",            "LONG VARBINARY",  "BLOB",          "IMAGE",         "LONG VARCHAR"}},
{TypeClass::Bytes,     {"BLOB",         "VARCHAR({n}) CHARACTER SET OCTETS", "BYTEA",       "LONG VARBINARY",  "RAW({n})",      "VARBINARY({n})", "LONG VARCHAR"}},
{TypeClass::Int16,     {"SMALLINT",     "SMALLINT",                     "SMALLINT",         "SMALLINT",        "NUMBER(5)",     "SMALLINT",      "SMALLINT"}},
{TypeClass::UInt16,    {"INTEGER",      "INTEGER",                      "INTEGER",          "INTEGER",         "NUMBER(5)",     "INT",           "INTEGER"}},
{TypeClass::Int32,     {"INTEGER",      "INTEGER",                      "INTEGER",          "INTEGER",         "NUMBER(10)",    "INT",           "INTEGER"}},
{TypeClass::AutoInc,   {"INTEGER",      "INTEGER",                      "INTEGER",          "INTEGER",         "NUMBER(10)",    "INT",           "INTEGER"}},
{TypeClass::UInt32,    {"BIGINT",       "BIGINT",                       "BIGINT",           "BIGINT",          "NUMBER(10)",    "BIGINT",        "DECIMAL(15,0)"}},
{TypeClass::Int64,     {"BIGINT",       "BIGINT",                       "BIGINT",           "BIGINT",          "NUMBER(19)",    "BIGINT",        "DECIMAL(15,0)"}},
{TypeClass::UInt64,    {"BIGINT",       "BIGINT",                       "NUMERIC(20,0)",    "NUMERIC(20,0)",   "NUMBER(20)",    "DECIMAL(20,0)", "DECIMAL(15,0)"}},
{TypeClass::Float,     {"DOUBLE",       "DOUBLE PRECISION",             "DOUBLE PRECISION", "DOUBLE PRECISION", "FLOAT",        "FLOAT",         "DOUBLE PRECISION"}},
{TypeClass::Money,     {"NUMERIC(19,4)", "NUMERIC(18,4)",               "NUMERIC(19,4)",    "NUMERIC(19,4)",   "NUMBER(19,4)",  "MONEY",         "DECIMAL(15,2)"}},
{TypeClass::Decimal,   {"NUMERIC({p},{s})", "NUMERIC({p},{s})",         "NUMERIC({p},{s})", "NUMERIC({p},{s})", "NUMBER({p},{s})", "DECIMAL({p},{s})", "DECIMAL({p},{s})"}},
{TypeClass::Number,    {"NUMERIC",      "DOUBLE PRECISION",             "NUMERIC",          "DOUBLE PRECISION", "NUMBER",       "FLOAT",         "DOUBLE PRECISION"}},
{TypeClass::Bool,      {"BOOLEAN",      "BOOLEAN",                      "BOOLEAN",          "SMALLINT",        "NUMBER(1)",     "BIT",           "SMALLINT"}},
{TypeClass::Date,      {"DATE",         "DATE",                         "DATE",             "DATE",            "DATE",          "DATETIME",      "DATE"}},
{TypeClass::Time,      {"TIME",         "TIME",                         "TIME",             "TIME",            "DATE",          "DATETIME",      "TIME"}},
{TypeClass::Timestamp, {"TIMESTAMP",    "TIMESTAMP",                    "TIMESTAMP",        "TIMESTAMP",       "DATE",          "DATETIME",      "TIMESTAMP"}},
{TypeClass::Unknown,   {"TEXT",         "VARCHAR(255)",                 "TEXT",             "VARCHAR(255)",    "VARCHAR2(255)", "VARCHAR(255)",  "VARCHAR(254)"}},
};
// clang-format on
constexpr bool rowsInClassOrder() {
    for (std::size_t i = 0; i < std::size(kTable); ++i)
        if (kTable[i].cls != TypeClass(i)) return false;
    return std::size(kTable) == std::size_t(TypeClass::Count);
}
static_assert(rowsInClassOrder(), "one row per type class, in class order");

Dest destinationOf(const std::string& driverName) {
    std::string up = driverName;
    std::transform(up.begin(), up.end(), up.begin(), [](unsigned char c) { return std::toupper(c); });
    auto has = [&](const char* w) { return up.find(w) != std::string::npos; };
    // The same order of tests that decides a database's server kind.
    if (has("ORACLE")) return ORACLE;
    if (has("SQLBASE")) return SQLBASE;
    if (has("MSSQL")) return MSSQL;
    if (has("INTRBASE") || has("INTERBASE")) return INTRBASE;
    if (has("SQLITE")) return SQLITE;
    if (has("POSTGRES")) return POSTGRESQL;
    return ODBC;
}

bool exceeds(int value, int limit) { return limit > 0 && value > limit; }

TypeClass classify(const FieldDef& f, const Limits& lim) {
    switch (f.logicalType) {
    case logical::ZSTRING:
        return f.size <= 0 || exceeds(f.size, lim.maxVarchar) ? TypeClass::Text : TypeClass::String;
    case logical::BLOB:
        switch (f.subType) {
        case subtype::MEMO: return TypeClass::Memo;
        case subtype::FMTMEMO: return TypeClass::FmtMemo;
        default: return TypeClass::Binary;
        }
    case logical::BYTES:
    case logical::VARBYTES:
        return f.size <= 0 || exceeds(f.size, lim.maxBytes) ? TypeClass::Binary : TypeClass::Bytes;
    case logical::INT16: return TypeClass::Int16;
    case logical::UINT16: return TypeClass::UInt16;
    case logical::INT32: return f.subType == subtype::AUTOINC ? TypeClass::AutoInc : TypeClass::Int32;
    case logical::UINT32: return TypeClass::UInt32;
    case logical::INT64: return TypeClass::Int64;
    case logical::UINT64: return TypeClass::UInt64;
    case logical::FLOAT:
    case logical::FLOATIEEE:
        return f.subType == subtype::MONEY ? TypeClass::Money : TypeClass::Float;
    case logical::BCD:
        if (f.subType == subtype::MONEY) return TypeClass::Money;
        return f.size <= 0 || exceeds(f.size, lim.maxPrecision) ? TypeClass::Number : TypeClass::Decimal;
    case logical::BOOL: return TypeClass::Bool;
    case logical::DATE: return TypeClass::Date;
    case logical::TIME: return TypeClass::Time;
    case logical::TIMESTAMP: return TypeClass::Timestamp;
    default: return TypeClass::Unknown;
    }
}

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (auto pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

}  // namespace

std::string nativeColumnType(const std::string& driverName, const FieldDef& f) {
    Dest d = destinationOf(driverName);
    TypeClass cls = classify(f, kLimits[d]);
    std::string text = kTable[std::size_t(cls)].cells[d];
    // A scale larger than the precision is no valid column; keep the digits the source has.
    int scale = std::clamp(f.scale, 0, std::max(f.size, 0));
    replaceAll(text, "{n}", std::to_string(f.size));
    replaceAll(text, "{p}", std::to_string(f.size));
    replaceAll(text, "{s}", std::to_string(scale));
    return text;
}

FieldType fieldTypeFor(int logicalType, int subType) {
    switch (logicalType) {
    case logical::ZSTRING: return FieldType::String;
    case logical::INT16: return FieldType::Smallint;
    case logical::INT32: return subType == subtype::AUTOINC ? FieldType::AutoInc : FieldType::Integer;
    case logical::UINT16: return FieldType::Word;
    case logical::UINT32: return FieldType::Integer;
    case logical::BOOL: return FieldType::Boolean;
    case logical::FLOAT:
    case logical::FLOATIEEE:
        return subType == subtype::MONEY ? FieldType::Currency : FieldType::Float;
    case logical::BCD: return subType == subtype::MONEY ? FieldType::Currency : FieldType::BCD;
    case logical::DATE: return FieldType::Date;
    case logical::TIME: return FieldType::Time;
    case logical::TIMESTAMP: return FieldType::DateTime;
    case logical::BYTES: return FieldType::Bytes;
    case logical::VARBYTES: return FieldType::VarBytes;
    case logical::INT64:
    case logical::UINT64:
        return FieldType::Float;
    case logical::BLOB:
        switch (subType) {
        case subtype::MEMO: return FieldType::Memo;
        case subtype::FMTMEMO: return FieldType::FmtMemo;
        case subtype::GRAPHIC: return FieldType::Graphic;
        case subtype::OLEOBJ: return FieldType::ParadoxOle;
        case subtype::DBSOLEOBJ: return FieldType::DBaseOle;
        case subtype::TYPEDBINARY: return FieldType::TypedBinary;
        default: return FieldType::Blob;
        }
    case logical::CURSOR: return FieldType::Cursor;
    default: return FieldType::Unknown;
    }
}

}  // namespace vlm::engine
