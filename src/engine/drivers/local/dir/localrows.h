// What the local directory driver ("STANDARD") gives the engine with its registration: the
// DB OPEN parameters of a new alias. It has no column types of its own: the dBase and Paradox
// formats choose their field types.
#pragma once

#include "engine/registry.h"

namespace vlm::engine::local {
DriverRegistry::DriverInfo driverRows(DriverRegistry::Factory factory);
}
