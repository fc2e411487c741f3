// How a query, table or stored procedure reaches its connection: a Database given to it, an
// open Database of the session with the same name, or a Database of its own for the name.
#pragma once

#include <memory>
#include <string>

#include "database.h"
#include "session.h"

namespace vlm::engine {

struct DatabaseRef {
    Database* external = nullptr;
    std::unique_ptr<Database> owned;
    std::string name;

    void set(const std::string& n) {
        external = nullptr;
        owned.reset();
        name = n;
    }
    void set(Database* db) {
        owned.reset();
        external = db;
        name = db ? db->databaseName() : std::string();
    }
    Connection& connection() {
        if (external) return external->connection();
        if (owned) return owned->connection();
        if (Database* d = Session::defaultSession().findDatabase(name); d && d->connected()) return d->connection();
        owned = std::make_unique<Database>();
        owned->setDatabaseName(name);
        return owned->connection();
    }
};

}  // namespace vlm::engine
