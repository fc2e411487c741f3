// The type map: every source type, as the drivers describe it, to every destination driver.
#include <gtest/gtest.h>

#include "engine/typemap.h"

namespace vlm::engine {
namespace {

FieldDef def(int logicalType, int subType = subtype::NONE, int size = 0, int scale = 0) {
    FieldDef f;
    f.name = "F";
    f.logicalType = logicalType;
    f.subType = subType;
    f.size = size;
    f.scale = scale;
    return f;
}

struct Case {
    const char* source;   // the source type, as its driver reports it
    FieldDef field;
    // SQLITE, INTRBASE, POSTGRESQL, ODBC, ORACLE, MSSQL, SQLBASE
    std::array<const char*, 7> expected;
};

const char* const kDestinations[7] = {"SQLITE", "INTRBASE", "POSTGRESQL", "ODBC",
                                      "ORACLE", "MSSQL",    "SQLBASE"};

using namespace logical;
using namespace subtype;

// clang-format off
const Case kCases[] = {
// dBase
{"dBase C(20)",        def(ZSTRING, NONE, 20),       {"VARCHAR(20)", "VARCHAR(20)", "VARCHAR(20)", "VARCHAR(20)", "VARCHAR2(20)", "VARCHAR(20)", "VARCHAR(20)"}},
{"dBase N(10,2)",      def(BCD, NONE, 10, 2),        {"NUMERIC(10,2)", "NUMERIC(10,2)", "NUMERIC(10,2)", "NUMERIC(10,2)", "NUMBER(10,2)", "DECIMAL(10,2)", "DECIMAL(10,2)"}},
{"dBase N(20,0)",      def(BCD, NONE, 20, 0),        {"NUMERIC(20,0)", "DOUBLE PRECISION", "NUMERIC(20,0)", "NUMERIC(20,0)", "NUMBER(20,0)", "DECIMAL(20,0)", "DOUBLE PRECISION"}},
{"dBase F(19,4)",      def(FLOAT, NONE, 19, 4),      {"DOUBLE", "DOUBLE PRECISION", "DOUBLE PRECISION", "DOUBLE PRECISION", "FLOAT", "FLOAT", "DOUBLE PRECISION"}},
{"dBase D",            def(DATE),                    {"DATE", "DATE", "DATE", "DATE", "DATE", "DATETIME", "DATE"}},
{"dBase L",            def(BOOL),                    {"BOOLEAN", "BOOLEAN", "BOOLEAN", "SMALLINT", "NUMBER(1)", "BIT", "SMALLINT"}},
{"dBase M",            def(BLOB, MEMO),              {"TEXT", "BLOB SUB_TYPE 1", "TEXT", "LONG VARCHAR", "CLOB", "TEXT", "LONG VARCHAR"}},
{"dBase B (binary)",   def(BLOB, BINARY),            {"BLOB", "BLOB SUB_TYPE 0", "BYTEA", "LONG VARBINARY", "BLOB", "IMAGE", "LONG VARCHAR"}},
{"dBase G (OLE)",      def(BLOB, DBSOLEOBJ),         {"BLOB", "BLOB SUB_TYPE 0", "BYTEA", "LONG VARBINARY", "BLOB", "IMAGE", "LONG VARCHAR"}},
{"dBase 7 I (long)",   def(INT32),                   {"INTEGER", "INTEGER", "INTEGER", "INTEGER", "NUMBER(10)", "INT", "INTEGER"}},
{"dBase 7 + (autoinc)", def(INT32, AUTOINC),         {"INTEGER", "INTEGER", "INTEGER", "INTEGER", "NUMBER(10)", "INT", "INTEGER"}},
{"dBase 7 @ (timestamp)", def(TIMESTAMP),            {"TIMESTAMP", "TIMESTAMP", "TIMESTAMP", "TIMESTAMP", "DATE", "DATETIME", "TIMESTAMP"}},
// Paradox
{"Paradox A255",       def(ZSTRING, NONE, 255),      {"VARCHAR(255)", "VARCHAR(255)", "VARCHAR(255)", "VARCHAR(255)", "VARCHAR2(255)", "VARCHAR(255)", "LONG VARCHAR"}},
{"Paradox S",          def(INT16),                   {"SMALLINT", "SMALLINT", "SMALLINT", "SMALLINT", "NUMBER(5)", "SMALLINT", "SMALLINT"}},
{"Paradox $ (money)",  def(FLOAT, MONEY),            {"NUMERIC(19,4)", "NUMERIC(18,4)", "NUMERIC(19,4)", "NUMERIC(19,4)", "NUMBER(19,4)", "MONEY", "DECIMAL(15,2)"}},
{"Paradox # BCD(32,4)", def(BCD, NONE, 32, 4),       {"NUMERIC(32,4)", "DOUBLE PRECISION", "NUMERIC(32,4)", "NUMERIC(32,4)", "NUMBER(32,4)", "DECIMAL(32,4)", "DOUBLE PRECISION"}},
{"Paradox T",          def(TIME),                    {"TIME", "TIME", "TIME", "TIME", "DATE", "DATETIME", "TIME"}},
{"Paradox F (fmt memo)", def(BLOB, FMTMEMO),         {"BLOB", "BLOB SUB_TYPE 0", "BYTEA", "LONG VARBINARY", "BLOB", "IMAGE", "LONG VARCHAR"}},
{"Paradox G (graphic)", def(BLOB, GRAPHIC),          {"BLOB", "BLOB SUB_TYPE 0", "BYTEA", "LONG VARBINARY", "BLOB", "IMAGE", "LONG VARCHAR"}},
{"Paradox O (OLE)",    def(BLOB, OLEOBJ),            {"BLOB", "BLOB SUB_TYPE 0", "BYTEA", "LONG VARBINARY", "BLOB", "IMAGE", "LONG VARCHAR"}},
{"Paradox Y bytes(16)", def(BYTES, NONE, 16),        {"BLOB", "VARCHAR(16) CHARACTER SET OCTETS", "BYTEA", "LONG VARBINARY", "RAW(16)", "VARBINARY(16)", "LONG VARCHAR"}},
// Firebird
{"Firebird BIGINT",    def(INT64),                   {"BIGINT", "BIGINT", "BIGINT", "BIGINT", "NUMBER(19)", "BIGINT", "DECIMAL(15,0)"}},
{"Firebird NUMERIC(18,4)", def(BCD, NONE, 18, 4),    {"NUMERIC(18,4)", "NUMERIC(18,4)", "NUMERIC(18,4)", "NUMERIC(18,4)", "NUMBER(18,4)", "DECIMAL(18,4)", "DOUBLE PRECISION"}},
{"Firebird VARCHAR(10000)", def(ZSTRING, NONE, 10000), {"VARCHAR(10000)", "BLOB SUB_TYPE 1", "VARCHAR(10000)", "VARCHAR(10000)", "CLOB", "TEXT", "LONG VARCHAR"}},
{"Firebird CHAR(8) OCTETS", def(BYTES, NONE, 8),     {"BLOB", "VARCHAR(8) CHARACTER SET OCTETS", "BYTEA", "LONG VARBINARY", "RAW(8)", "VARBINARY(8)", "LONG VARCHAR"}},
// PostgreSQL
{"PostgreSQL text",    def(BLOB, MEMO),              {"TEXT", "BLOB SUB_TYPE 1", "TEXT", "LONG VARCHAR", "CLOB", "TEXT", "LONG VARCHAR"}},
{"PostgreSQL varchar (no length)", def(ZSTRING, NONE, 0), {"TEXT", "BLOB SUB_TYPE 1", "TEXT", "LONG VARCHAR", "CLOB", "TEXT", "LONG VARCHAR"}},
{"PostgreSQL numeric (no precision)", def(BCD, NONE, 0, 0), {"NUMERIC", "DOUBLE PRECISION", "NUMERIC", "DOUBLE PRECISION", "NUMBER", "FLOAT", "DOUBLE PRECISION"}},
{"PostgreSQL bytea",   def(BLOB, BINARY),            {"BLOB", "BLOB SUB_TYPE 0", "BYTEA", "LONG VARBINARY", "BLOB", "IMAGE", "LONG VARCHAR"}},
{"PostgreSQL real",    def(FLOATIEEE),               {"DOUBLE", "DOUBLE PRECISION", "DOUBLE PRECISION", "DOUBLE PRECISION", "FLOAT", "FLOAT", "DOUBLE PRECISION"}},
{"PostgreSQL oid",     def(UINT32),                  {"BIGINT", "BIGINT", "BIGINT", "BIGINT", "NUMBER(10)", "BIGINT", "DECIMAL(15,0)"}},
{"PostgreSQL bigserial", def(INT64, AUTOINC),        {"BIGINT", "BIGINT", "BIGINT", "BIGINT", "NUMBER(19)", "BIGINT", "DECIMAL(15,0)"}},
// SQLite
{"SQLite INTEGER",     def(INT64),                   {"BIGINT", "BIGINT", "BIGINT", "BIGINT", "NUMBER(19)", "BIGINT", "DECIMAL(15,0)"}},
{"SQLite REAL",        def(FLOAT),                   {"DOUBLE", "DOUBLE PRECISION", "DOUBLE PRECISION", "DOUBLE PRECISION", "FLOAT", "FLOAT", "DOUBLE PRECISION"}},
{"SQLite BLOB",        def(BLOB, BINARY),            {"BLOB", "BLOB SUB_TYPE 0", "BYTEA", "LONG VARBINARY", "BLOB", "IMAGE", "LONG VARCHAR"}},
// Odd definitions
{"scale over precision", def(BCD, NONE, 4, 6),       {"NUMERIC(4,4)", "NUMERIC(4,4)", "NUMERIC(4,4)", "NUMERIC(4,4)", "NUMBER(4,4)", "DECIMAL(4,4)", "DECIMAL(4,4)"}},
{"negative scale",     def(BCD, NONE, 5, -2),        {"NUMERIC(5,0)", "NUMERIC(5,0)", "NUMERIC(5,0)", "NUMERIC(5,0)", "NUMBER(5,0)", "DECIMAL(5,0)", "DECIMAL(5,0)"}},
{"cursor",             def(CURSOR),                  {"TEXT", "VARCHAR(255)", "TEXT", "VARCHAR(255)", "VARCHAR2(255)", "VARCHAR(255)", "VARCHAR(254)"}},
{"unsigned 64-bit",    def(UINT64),                  {"BIGINT", "BIGINT", "NUMERIC(20,0)", "NUMERIC(20,0)", "NUMBER(20)", "DECIMAL(20,0)", "DECIMAL(15,0)"}},
};
// clang-format on

TEST(TypeMap, EverySourceTypeToEveryDestination) {
    for (const auto& c : kCases)
        for (int d = 0; d < 7; ++d)
            EXPECT_EQ(nativeColumnType(kDestinations[d], c.field), c.expected[std::size_t(d)])
                << c.source << " -> " << kDestinations[d];
}

TEST(TypeMap, StringLimitsSwitchToTheLongType) {
    struct { const char* dest; int fits; int tooLong; const char* longType; } rows[] = {
        {"INTRBASE", 8191, 8192, "BLOB SUB_TYPE 1"},
        {"ORACLE", 4000, 4001, "CLOB"},
        {"MSSQL", 8000, 8001, "TEXT"},
        {"SQLBASE", 254, 255, "LONG VARCHAR"},
    };
    for (const auto& r : rows) {
        EXPECT_NE(nativeColumnType(r.dest, def(ZSTRING, NONE, r.fits)).find(
                      "(" + std::to_string(r.fits) + ")"), std::string::npos) << r.dest;
        EXPECT_EQ(nativeColumnType(r.dest, def(ZSTRING, NONE, r.tooLong)), r.longType) << r.dest;
    }
}

TEST(TypeMap, DriverNamesFollowTheServerKindRule) {
    const FieldDef memo = def(BLOB, MEMO);
    EXPECT_EQ(nativeColumnType("INTERBASE", memo), "BLOB SUB_TYPE 1");
    EXPECT_EQ(nativeColumnType("intrbase", memo), "BLOB SUB_TYPE 1");
    EXPECT_EQ(nativeColumnType("MY ORACLE ODBC", memo), "CLOB");
    EXPECT_EQ(nativeColumnType("sqlite", memo), "TEXT");
    // Anything unnamed is generic SQL through ODBC.
    EXPECT_EQ(nativeColumnType("ACCESS", memo), "LONG VARCHAR");
    EXPECT_EQ(nativeColumnType("", memo), "LONG VARCHAR");
}

TEST(TypeMap, FieldTypeCodes) {
    struct { int lt, st; FieldType want; } rows[] = {
        {ZSTRING, NONE, FieldType::String},     {INT16, NONE, FieldType::Smallint},
        {INT32, NONE, FieldType::Integer},      {INT32, AUTOINC, FieldType::AutoInc},
        {UINT16, NONE, FieldType::Word},        {BOOL, NONE, FieldType::Boolean},
        {FLOAT, NONE, FieldType::Float},        {FLOAT, MONEY, FieldType::Currency},
        {BCD, NONE, FieldType::BCD},            {DATE, NONE, FieldType::Date},
        {TIME, NONE, FieldType::Time},          {TIMESTAMP, NONE, FieldType::DateTime},
        {BYTES, NONE, FieldType::Bytes},        {VARBYTES, NONE, FieldType::VarBytes},
        {BLOB, BINARY, FieldType::Blob},        {BLOB, MEMO, FieldType::Memo},
        {BLOB, GRAPHIC, FieldType::Graphic},    {BLOB, FMTMEMO, FieldType::FmtMemo},
        {BLOB, OLEOBJ, FieldType::ParadoxOle},  {BLOB, DBSOLEOBJ, FieldType::DBaseOle},
        {BLOB, TYPEDBINARY, FieldType::TypedBinary}, {CURSOR, NONE, FieldType::Cursor},
        {LOCKINFO, NONE, FieldType::Unknown},
    };
    for (const auto& r : rows)
        EXPECT_EQ(fieldTypeFor(r.lt, r.st), r.want) << r.lt << "/" << r.st;
}

}  // namespace
}  // namespace vlm::engine
