// The local SQL of a directory connection: an in-memory SQLite database in which every table
// file is a virtual table, named as listed ("ORDERS.DBF") and by its bare name when that is
// unambiguous. Alias-qualified names (":ALIAS:TABLE") become virtual tables over the foreign
// resolver's cursors, quoted paths ("/data/X.DBF") over that file. The local DDL is carried out
// on the files by the connection.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "engine/driver.h"

struct sqlite3;

namespace vlm::engine::local {

class DirConnection;

class LocalSql {
public:
    explicit LocalSql(DirConnection& conn);
    ~LocalSql();
    std::unique_ptr<Statement> prepare(const std::string& sql);
    // From another thread: interrupts the running statement (category Cancelled).
    void cancelRunning();
    // Forget the virtual tables: the directory's tables changed.
    void invalidate();

    // Quotes NAME.EXT table references that stand unquoted in the text ("Delete From ORDERS.DBF").
    std::string quoteTableNames(const std::string& sql) const;

    struct Db;   // the SQLite handle and the names of its virtual tables

private:
    void sync(const std::string& sql);
    DirConnection& conn_;
    std::shared_ptr<Db> db_;
};

}  // namespace vlm::engine::local
