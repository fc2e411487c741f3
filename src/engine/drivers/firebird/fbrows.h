// What the Firebird driver gives the engine with its registration: the column types of tables
// it creates and the DB OPEN parameters of a new alias.
#pragma once

#include "engine/registry.h"

namespace vlm::engine::firebird {
DriverRegistry::DriverInfo driverRows(DriverRegistry::Factory factory);
}
