// The panels' command states as data: which menu item and tool button each panel setting
// checks, and the commands of each side. The controller applies them to the main window;
// tests read them without a display.
//   for (auto [id, on] : scopeChecks(Side::Left, Scope::UserTables)) form.setChecked(id, on);
#pragma once

#include <array>
#include <utility>

#include "panels/settings.h"
#include "panels/tablelist.h"
#include "shell/commandids.h"
#include "shell/side.h"

namespace vlm::panels {

using shell::CommandId;
using shell::Side;

enum class ViewStyle { Icon = 0, SmallIcon = 1, List = 2, Report = 3 };

using CommandStates = std::array<std::pair<CommandId, bool>, 4>;

// The items of the "Left" and "Right" menus.
struct SideCommands {
    CommandId alphabetic, unsorted, allSystables, allTables, userTables, setFilter, reRead, selectDatabase, disconnect;
};
const SideCommands& sideCommands(Side s);

// The check marks of a side's scope items and sort items.
std::array<std::pair<CommandId, bool>, 3> scopeChecks(Side s, Scope scope);
std::array<std::pair<CommandId, bool>, 2> sortChecks(Side s, bool sorted);
// The tool button a scope and a sort order press (BSysAll, BAll, BUser; BSort, BUnSort).
CommandId scopeButton(Scope scope);
CommandId sortButton(bool sorted);

// The View menu's style items with their checks, and the tool button of the style.
CommandStates viewStyleChecks(ViewStyle v);
CommandId viewStyleButton(ViewStyle v);

// The tool bar as a panel shows it when it becomes active.
struct ToolBarState {
    CommandId scope, sort;
    bool filter = false;     // BFilter down
    bool connected = false;  // BselectDataBase down
    bool operator==(const ToolBarState& o) const {
        return scope == o.scope && sort == o.sort && filter == o.filter && connected == o.connected;
    }
};
ToolBarState toolBarState(const PanelSettings& p, bool connected);

}  // namespace vlm::panels
