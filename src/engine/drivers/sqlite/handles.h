// RAII owners of the SQLite handles. A Db is shared by the connection, its statements and its
// cursors, so a cursor that outlives its Database never touches a closed handle: the last
// owner closes it.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "engine/running.h"

namespace vlm::engine::sqlite {

// Owns one sqlite3 connection handle; closed when the last shared owner lets go.
struct Db {
    sqlite3* handle = nullptr;
    std::string path;
    RunningCalls calls;   // the steps running on the handle, for a cancel from another thread
    ~Db() {
        if (handle) sqlite3_close_v2(handle);
    }
};
using DbPtr = std::shared_ptr<Db>;

// Owns one prepared statement; holds its Db so the statement is finalized before the close.
struct Stmt {
    DbPtr db;
    sqlite3_stmt* handle = nullptr;
    std::string sql;
    unsigned generation = 0;   // bumped on every execute; cursors of older runs stop reading
    ~Stmt() {
        if (handle) sqlite3_finalize(handle);
    }
};
using StmtPtr = std::shared_ptr<Stmt>;

}  // namespace vlm::engine::sqlite
