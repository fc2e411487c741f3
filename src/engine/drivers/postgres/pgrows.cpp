// The PostgreSQL driver's column types (by type class) and default open parameters.
#include "pgrows.h"

namespace vlm::engine::postgres {
namespace {
constexpr NativeTypeRows kColumnTypes{
    .limits = {.maxVarchar = 10485760, .maxPrecision = 1000, .maxBytes = 0},
    .cells = {
        /* String    */ "VARCHAR({n})",
        /* Text      */ "TEXT",
        /* Memo      */ "TEXT",
        /* FmtMemo   */ "BYTEA",
        /* Binary    */ "BYTEA",
        /* Bytes     */ "BYTEA",
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
        /* Number    */ "NUMERIC",
        /* Bool      */ "BOOLEAN",
        /* Date      */ "DATE",
        /* Time      */ "TIME",
        /* Timestamp */ "TIMESTAMP",
        /* Unknown   */ "TEXT",
    }};
static_assert(kColumnTypes.complete(), "a column type for every type class");
}  // namespace

DriverRegistry::DriverInfo driverRows(DriverRegistry::Factory factory) {
    return {.factory = std::move(factory),
            .columnTypes = &kColumnTypes,
            .nameWords = {"POSTGRES"},
            .nameRank = 6,
            .genericColumnTypes = false,
            .openParams = {"SERVER NAME=", "PORT=5432", "DATABASE NAME=", "USER NAME=", "LANGDRIVER=",
                           "SQLQRYMODE=", "MAX ROWS=-1", "BATCH COUNT=200"}};
}

}  // namespace vlm::engine::postgres
