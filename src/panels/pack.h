// Packing a local (dBase) table: opened exclusively, packed with progress and cancel, closed
// again whatever happened. Display-free; the panels run it under the progress dialog.
//   packLocalTable("/data/demo", "CLIENTS.DBF", progress);   // throws EngineError
#pragma once

#include <string>

#include "engine/progress.h"

namespace vlm::panels {

// Throws the engine's error when the table cannot be opened exclusively or packed; a
// cancelled pack (progress.step() returned false) throws a Cancelled error and leaves the
// table as it was.
void packLocalTable(const std::string& databaseName, const std::string& tableName, engine::Progress& progress);

}  // namespace vlm::panels
