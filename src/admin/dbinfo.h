// What the alias information window shows of a database: alias and driver names, the database
// type (replaced by the server's version where the server tells it), the engine's version, the
// alias's parameters, the driver's open parameters and its INIT settings. Passwords are masked.
//   DbInfo i = readDbInfo(session, "DEMO", &panelDatabase);   // i.databaseType "SQLite 3.40.1"
#pragma once

#include <string>
#include <vector>

#include "engine/session.h"
#include "panels/serverkind.h"

namespace vlm::engine {
class Database;
}

namespace vlm::admin {

struct DbInfo {
    std::string aliasName;
    std::string driverName;
    std::string databaseType;               // the driver's description, or the server version
    std::string engineVersion;              // "Версия BDE: 100" / "BDE Version: 100"
    std::vector<std::string> aliasParams;   // NAME=value, secrets masked
    std::vector<std::string> driverParams;  // the driver's DB OPEN defaults, secrets masked
    std::vector<std::string> driverInit;    // \DRIVERS\<driver>\INIT
};

// The statements that ask a server for its version, by driver name and server kind, in the
// order they run; empty when the kind has none.
std::vector<std::string> serverVersionSql(const std::string& driverName, panels::ServerKind kind);
// The version text from the first value of each statement's first row, in the same order.
std::string serverVersionText(panels::ServerKind kind, const std::vector<std::string>& firstValues);

// db: the panel's open database, for the server version (none: skipped). Engine errors in the
// version step keep the driver's type; a name that is no alias shows no alias parameters.
DbInfo readDbInfo(engine::Session& session, const std::string& databaseName, engine::Database* db);

}  // namespace vlm::admin
