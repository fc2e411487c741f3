// SQLite status codes mapped to engine error categories and codes.
#include "errors.h"

namespace vlm::engine::sqlite {

EngineError sqliteError(sqlite3* db, int rc, std::string context, Tracer* tracer) {
    std::string server = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    int extended = db ? sqlite3_extended_errcode(db) : rc;
    ErrorCategory cat = ErrorCategory::Sql;
    int code = errc::SqlBase;
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
        cat = ErrorCategory::Connect;
        code = errc::NotADatabase;
        break;
    case SQLITE_CONSTRAINT:
        cat = ErrorCategory::Data;
        code = (extended == SQLITE_CONSTRAINT_PRIMARYKEY || extended == SQLITE_CONSTRAINT_UNIQUE)
                   ? errc::KeyViolation
                   : errc::DataBase;
        break;
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
        cat = ErrorCategory::Data;
        code = errc::DataBase;
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        cat = ErrorCategory::File;
        code = errc::FileLocked;
        break;
    case SQLITE_CORRUPT:
        cat = ErrorCategory::File;
        code = errc::FileCorrupt;
        break;
    case SQLITE_READONLY:
        cat = ErrorCategory::Data;
        code = errc::ReadOnly;
        break;
    case SQLITE_INTERRUPT:
        cat = ErrorCategory::Cancelled;
        code = errc::CancelledBase;
        context = "Cancelled by the user";
        break;
    default:
        break;
    }
    if (tracer && tracer->wants(TraceError)) tracer->trace(TraceError, "SQL Error: SQLITE - " + server);
    return EngineError(cat, code, {context, server}, extended);
}

}  // namespace vlm::engine::sqlite
