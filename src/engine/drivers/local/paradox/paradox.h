// Paradox tables (.DB data, .MB blobs, .PX primary index, .Xnn/.Ynn secondary indexes) for the
// local "STANDARD" driver. The directory driver registers the format once:
//
//   vlm::engine::local::paradox::registerParadoxFormat(vlm::engine::local::formats());
#pragma once

#include <string>

#include "../tablefile.h"

namespace vlm::engine::local::paradox {

// Adds the Paradox format (extension "DB", type "PARADOX") to formats.
void registerParadoxFormat(TableFormats& formats);

// The format object itself, for tests and tools that work without the registry.
std::unique_ptr<TableFormat> makeParadoxFormat();

// Writes the Paradox part of the demo folder into dir: CLIENTS.DB (keyed on CUSTNO, with a secondary index BYCOMPANY) and
// SPECIES.DB (unkeyed, with memo and graphic blobs in SPECIES.MB). Replaces existing files.
void writeParadoxDemoTables(const std::string& dir);

}  // namespace vlm::engine::local::paradox
