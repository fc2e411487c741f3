// What the ODBC drivers give the engine with their registration: the column types of tables
// they create ("ODBC" generic SQL, "ORACLE", "MSSQL", "SQLBASE") and the DB OPEN parameters
// of a new alias.
#pragma once

#include <string>

#include "engine/registry.h"

namespace vlm::engine::odbc {
// name: "ODBC", "ORACLE", "MSSQL" or "SQLBASE".
DriverRegistry::DriverInfo driverRows(const std::string& name, DriverRegistry::Factory factory);
}
