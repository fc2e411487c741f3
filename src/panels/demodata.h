// The embedded default of a first start: the demo folder of dBase and Paradox tables and an
// embedded Firebird demo database, both in the per-user data directory
// ($XDG_DATA_HOME or ~/.local/share, then "vlm32/"), made when missing.
//   auto d = ensureDemoDatabases();  if (d.firebird.empty()) ...   // no Firebird in this build
#pragma once

#include <string>
#include <vector>

namespace vlm::panels {

struct DemoDatabases {
    std::string folder;                  // the demo directory ("" when it could not be written)
    std::string firebird;                // the demo database file ("" without Firebird)
    std::vector<std::string> errors;     // what went wrong, to show
};

std::string userDataDir();
// Writes what is missing under dataDir (userDataDir() when empty).
DemoDatabases ensureDemoDatabases(const std::string& dataDir = {});
// The login of the Firebird demo database.
inline constexpr const char* kDemoUser = "SYSDBA";
inline constexpr const char* kDemoPassword = "masterkey";

}  // namespace vlm::panels
