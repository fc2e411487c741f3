// The ODBC drivers' column types (by type class) and default open parameters. The generic
// names LONG VARCHAR and LONG VARBINARY are replaced by the connection with the data source's
// own type names when it creates a table.
#include "odbcrows.h"

namespace vlm::engine::odbc {
namespace {
// clang-format off
constexpr NativeTypeRows kGeneric{
    .limits = {.maxVarchar = 32767, .maxPrecision = 38, .maxBytes = 0},
    .cells = {
        /* String    */ "VARCHAR({n})",
        /* Text      */ "LONG VARCHAR",
        /* Memo      */ "LONG VARCHAR",
        /* FmtMemo   */ "LONG VARBINARY",
        /* Binary    */ "LONG VARBINARY",
        /* Bytes     */ "LONG VARBINARY",
        /* Int16     */ "SMALLINT",
        /* UInt16    */ "INTEGER",
        /* Int32     */ "INTEGER",
        /* AutoInc   */ "INTEGER",
        /* UInt32    */ "BIGINT",
        /* Int64     */ "BIGINT",
        /* UInt64    */ "NUMERIC(20,0)",
        /* Float     */ "DOUBLE PRECISION",
        /* Money     */ "NUMERIC(19,4)",
        /* Decimal   */ "NUMERIC({p},{s})",
        /* Number    */ "DOUBLE PRECISION",
        /* Bool      */ "SMALLINT",
        /* Date      */ "DATE",
        /* Time      */ "TIME",
        /* Timestamp */ "TIMESTAMP",
        /* Unknown   */ "VARCHAR(255)",
    }};

constexpr NativeTypeRows kOracle{
    .limits = {.maxVarchar = 4000, .maxPrecision = 38, .maxBytes = 2000},
    .cells = {
        /* String    */ "VARCHAR2({n})",
        /* Text      */ "CLOB",
        /* Memo      */ "CLOB",
        /* FmtMemo   */ "BLOB",
        /* Binary    */ "BLOB",
        /* Bytes     */ "RAW({n})",
        /* Int16     */ "NUMBER(5)",
        /* UInt16    */ "NUMBER(5)",
        /* Int32     */ "NUMBER(10)",
        /* AutoInc   */ "NUMBER(10)",
        /* UInt32    */ "NUMBER(10)",
        /* Int64     */ "NUMBER(19)",
        /* UInt64    */ "NUMBER(20)",
        /* Float     */ "FLOAT",
        /* Money     */ "NUMBER(19,4)",
        /* Decimal   */ "NUMBER({p},{s})",
        /* Number    */ "NUMBER",
        /* Bool      */ "NUMBER(1)",
        /* Date      */ "DATE",
        /* Time      */ "DATE",
        /* Timestamp */ "DATE",
        /* Unknown   */ "VARCHAR2(255)",
    }};

constexpr NativeTypeRows kMssql{
    .limits = {.maxVarchar = 8000, .maxPrecision = 38, .maxBytes = 8000},
    .cells = {
        /* String    */ "VARCHAR({n})",
        /* Text      */ "TEXT",
        /* Memo      */ "TEXT",
        /* FmtMemo   */ "IMAGE",
        /* Binary    */ "IMAGE",
        /* Bytes     */ "VARBINARY({n})",
        /* Int16     */ "SMALLINT",
        /* UInt16    */ "INT",
        /* Int32     */ "INT",
        /* AutoInc   */ "INT",
        /* UInt32    */ "BIGINT",
        /* Int64     */ "BIGINT",
        /* UInt64    */ "DECIMAL(20,0)",
        /* Float     */ "FLOAT",
        /* Money     */ "MONEY",
        /* Decimal   */ "DECIMAL({p},{s})",
        /* Number    */ "FLOAT",
        /* Bool      */ "BIT",
        /* Date      */ "DATETIME",
        /* Time      */ "DATETIME",
        /* Timestamp */ "DATETIME",
        /* Unknown   */ "VARCHAR(255)",
    }};

constexpr NativeTypeRows kSqlbase{
    .limits = {.maxVarchar = 254, .maxPrecision = 15, .maxBytes = 0},
    .cells = {
        /* String    */ "VARCHAR({n})",
        /* Text      */ "LONG VARCHAR",
        /* Memo      */ "LONG VARCHAR",
        /* FmtMemo   */ "LONG VARCHAR",
        /* Binary    */ "LONG VARCHAR",
        /* Bytes     */ "LONG VARCHAR",
        /* Int16     */ "SMALLINT",
        /* UInt16    */ "INTEGER",
        /* Int32     */ "INTEGER",
        /* AutoInc   */ "INTEGER",
        /* UInt32    */ "DECIMAL(15,0)",
        /* Int64     */ "DECIMAL(15,0)",
        /* UInt64    */ "DECIMAL(15,0)",
        /* Float     */ "DOUBLE PRECISION",
        /* Money     */ "DECIMAL(15,2)",
        /* Decimal   */ "DECIMAL({p},{s})",
        /* Number    */ "DOUBLE PRECISION",
        /* Bool      */ "SMALLINT",
        /* Date      */ "DATE",
        /* Time      */ "TIME",
        /* Timestamp */ "TIMESTAMP",
        /* Unknown   */ "VARCHAR(254)",
    }};
// clang-format on
static_assert(kGeneric.complete() && kOracle.complete() && kMssql.complete() && kSqlbase.complete(),
              "a column type for every type class");

std::vector<std::string> openParams() {
    return {"SERVER NAME=", "USER NAME=", "ODBC DSN=", "ODBC DRIVER=", "CONNECT STRING=",
            "DATABASE NAME=", "OPEN MODE=READ/WRITE", "LANGDRIVER=", "SQLQRYMODE=",
            "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "MAX ROWS=-1", "BATCH COUNT=200"};
}
}  // namespace

DriverRegistry::DriverInfo driverRows(const std::string& name, DriverRegistry::Factory factory) {
    DriverRegistry::DriverInfo info;
    info.factory = std::move(factory);
    info.openParams = openParams();
    // A driver name containing a server's word takes that server's types (in this order when it
    // contains several); any other name is a data source of generic SQL.
    if (name == "ORACLE") {
        info.columnTypes = &kOracle;
        info.nameWords = {"ORACLE"};
        info.nameRank = 1;
    } else if (name == "SQLBASE") {
        info.columnTypes = &kSqlbase;
        info.nameWords = {"SQLBASE"};
        info.nameRank = 2;
    } else if (name == "MSSQL") {
        info.columnTypes = &kMssql;
        info.nameWords = {"MSSQL"};
        info.nameRank = 3;
    } else {
        info.columnTypes = &kGeneric;
        info.genericColumnTypes = true;
    }
    return info;
}

}  // namespace vlm::engine::odbc
