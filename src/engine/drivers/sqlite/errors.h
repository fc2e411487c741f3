// The one place where an SQLite status becomes an engine error.
#pragma once

#include <sqlite3.h>

#include <string>

#include "engine/error.h"
#include "engine/trace.h"

namespace vlm::engine::sqlite {

// The engine error for status rc on db (db may be null when opening failed before a handle
// existed); context is a short engine text put before the server's message. The error text also
// reaches the tracer's error category.
// An interrupted statement (a cancel) is category Cancelled, its first line "Cancelled by the user".
EngineError sqliteError(sqlite3* db, int rc, std::string context, Tracer* tracer = nullptr);

}  // namespace vlm::engine::sqlite
