// The one place where a Firebird status vector becomes an engine error.
#pragma once

#include <cstdint>

#include "engine/error.h"

namespace vlm::engine::firebird {

// The engine error for a failed call: category and engine code from the first Firebird error
// code, the engine's text first and then every line of the server's text; the native code is
// the Firebird error code (335544xxx).
EngineError statusError(const std::intptr_t* vector);

}  // namespace vlm::engine::firebird
