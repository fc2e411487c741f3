// The Firebird driver's column types (by type class) and default open parameters.
#include "fbrows.h"

namespace vlm::engine::firebird {
namespace {
constexpr NativeTypeRows kColumnTypes{
    // VARCHAR is bounded in bytes: 32765 / 4 characters for UTF8.
    .limits = {.maxVarchar = 8191, .maxPrecision = 18, .maxBytes = 32765},
    .cells = {
        /* String    */ "VARCHAR({n})",
        /* Text      */ "BLOB SUB_TYPE 1",
        /* Memo      */ "BLOB SUB_TYPE 1",
        /* FmtMemo   */ "BLOB SUB_TYPE 0",
        /* Binary    */ "BLOB SUB_TYPE 0",
        /* Bytes     */ "VARCHAR({n}) CHARACTER SET OCTETS",
        /* Int16     */ "SMALLINT",
        /* UInt16    */ "INTEGER",
        /* Int32     */ "INTEGER",
        /* AutoInc   */ "INTEGER",
        /* UInt32    */ "BIGINT",
        /* Int64     */ "BIGINT",
        /* UInt64    */ "BIGINT",
        /* Float     */ "DOUBLE PRECISION",
        /* Money     */ "NUMERIC(18,4)",
        /* Decimal   */ "NUMERIC({p},{s})",
        /* Number    */ "DOUBLE PRECISION",
        /* Bool      */ "BOOLEAN",
        /* Date      */ "DATE",
        /* Time      */ "TIME",
        /* Timestamp */ "TIMESTAMP",
        /* Unknown   */ "VARCHAR(255)",
    }};
static_assert(kColumnTypes.complete(), "a column type for every type class");
}  // namespace

DriverRegistry::DriverInfo driverRows(DriverRegistry::Factory factory) {
    return {.factory = std::move(factory),
            .columnTypes = &kColumnTypes,
            .nameWords = {"INTRBASE", "INTERBASE"},
            .nameRank = 4,
            .genericColumnTypes = false,
            .openParams = {"SERVER NAME=", "USER NAME=SYSDBA", "OPEN MODE=READ/WRITE", "SCHEMA CACHE SIZE=8",
                           "LANGDRIVER=", "SQLQRYMODE=", "SQLPASSTHRU MODE=SHARED AUTOCOMMIT",
                           "SCHEMA CACHE TIME=-1", "MAX ROWS=-1", "BATCH COUNT=200", "ENABLE SCHEMA CACHE=FALSE",
                           "ENABLE BCD=FALSE", "BLOBS TO CACHE=64", "BLOB SIZE=32", "WAIT ON LOCKS=FALSE",
                           "COMMIT RETAIN=FALSE", "ROLE NAME="}};
}

}  // namespace vlm::engine::firebird
