// The SQLite driver's column types (by type class) and default open parameters.
#include "sqliterows.h"

namespace vlm::engine::sqlite {
namespace {
// SQLite keeps any declared type; these are the names its type affinity reads as meant.
constexpr NativeTypeRows kColumnTypes{
    .limits = {.maxVarchar = 0, .maxPrecision = 0, .maxBytes = 0},
    .cells = {
        /* String    */ "VARCHAR({n})",
        /* Text      */ "TEXT",
        /* Memo      */ "TEXT",
        /* FmtMemo   */ "BLOB",
        /* Binary    */ "BLOB",
        /* Bytes     */ "BLOB",
        /* Int16     */ "SMALLINT",
        /* UInt16    */ "INTEGER",
        /* Int32     */ "INTEGER",
        /* AutoInc   */ "INTEGER",
        /* UInt32    */ "BIGINT",
        /* Int64     */ "BIGINT",
        /* UInt64    */ "BIGINT",
        /* Float     */ "DOUBLE",
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
            .nameWords = {"SQLITE"},
            .nameRank = 5,
            .genericColumnTypes = false,
            .openParams = {"SERVER NAME=", "OPEN MODE=READ/WRITE", "SQLQRYMODE=", "LANGDRIVER="}};
}

}  // namespace vlm::engine::sqlite
