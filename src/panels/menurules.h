// Which main-menu items a server kind enables, as data: the items the rule touches and their
// state. Items the rule never names ("Indexes", "Stored Procedures - F9", New "Table" and
// "Index") are absent.
//   applyMenuEnabling(form.commands(), ServerKind::ORACLE, true);
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "panels/serverkind.h"

namespace vlm::shell {
class CommandRegistry;
}

namespace vlm::panels {

using MenuStates = std::vector<std::pair<std::string, bool>>;

// The server items of the Objects menu (and the "Interbase" sub-menu with its four items).
const std::vector<std::string>& serverMenuItems();

// The states by kind: the kind's row on, every other server item off; "Objects1" and "BMenu"
// on for ORACLE to MSSQL; for STANDARD and OTHER by the SQL-based flag, with "PackDbaseTable1".
MenuStates menuEnabling(ServerKind kind, bool sqlBased);

// The panel-entry and dialog-close rule: "PackDbaseTable1" off and "Objects1"/"BMenu" on for
// an SQL-based database, the reverse otherwise.
MenuStates sqlBasedEnabling(bool sqlBased);

// Puts the server-kind rule into the command registry: the items a kind never shows off
// first, then menuEnabling(kind, sqlBased). Commands that nobody registered stay disabled.
void applyMenuEnabling(shell::CommandRegistry& commands, ServerKind kind, bool sqlBased);
// The same for sqlBasedEnabling(sqlBased).
void applySqlBasedEnabling(shell::CommandRegistry& commands, bool sqlBased);

}  // namespace vlm::panels
