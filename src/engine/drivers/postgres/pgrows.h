// What the PostgreSQL driver gives the engine with its registration: the column types of
// tables it creates and the DB OPEN parameters of a new alias.
#pragma once

#include "engine/registry.h"

namespace vlm::engine::postgres {
DriverRegistry::DriverInfo driverRows(DriverRegistry::Factory factory);
}
