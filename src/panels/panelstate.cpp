// The panels' command states as data.
#include "panels/panelstate.h"

namespace vlm::panels {

namespace cmd = shell::cmd;

const SideCommands& sideCommands(Side s) {
    static const SideCommands left{cmd::NAlphabeticLeft, cmd::NUnsortedLeft, cmd::NAllSystablesLeft,
                                   cmd::NAllTablesLeft,  cmd::NUserTablesLeft, cmd::SetFilterLeft,
                                   cmd::NReReadLeft,     cmd::NSelectDatabaseLeft, cmd::DisconnectLeft};
    static const SideCommands right{cmd::NAlphabeticRight, cmd::NUnsortedRight, cmd::NAllSystablesRight,
                                    cmd::NAllTablesRight,  cmd::NUserTablesRight, cmd::SetFilterRight,
                                    cmd::NReReadRight,     cmd::NSelectDataBaseRight, cmd::DisconnectRight};
    return s == Side::Left ? left : right;
}

std::array<std::pair<CommandId, bool>, 3> scopeChecks(Side s, Scope scope) {
    const SideCommands& c = sideCommands(s);
    return {{{c.allSystables, scope == Scope::AllTables},
             {c.allTables, scope == Scope::AllUsersTables},
             {c.userTables, scope == Scope::UserTables}}};
}

std::array<std::pair<CommandId, bool>, 2> sortChecks(Side s, bool sorted) {
    const SideCommands& c = sideCommands(s);
    return {{{c.alphabetic, sorted}, {c.unsorted, !sorted}}};
}

CommandId scopeButton(Scope scope) {
    return scope == Scope::UserTables ? cmd::BUser : scope == Scope::AllTables ? cmd::BSysAll : cmd::BAll;
}

CommandId sortButton(bool sorted) { return sorted ? cmd::BSort : cmd::BUnSort; }

CommandStates viewStyleChecks(ViewStyle v) {
    return {{{cmd::Icon1, v == ViewStyle::Icon},
             {cmd::SmallIcon1, v == ViewStyle::SmallIcon},
             {cmd::List1, v == ViewStyle::List},
             {cmd::Report1, v == ViewStyle::Report}}};
}

CommandId viewStyleButton(ViewStyle v) {
    switch (v) {
    case ViewStyle::Icon: return cmd::BLarge;
    case ViewStyle::SmallIcon: return cmd::BSmall;
    case ViewStyle::List: return cmd::BList;
    case ViewStyle::Report: break;
    }
    return cmd::BDetails;
}

ToolBarState toolBarState(const PanelSettings& p, bool connected) {
    return ToolBarState{scopeButton(scopeOf(listScope(p.systemTables, p.userTables))), sortButton(p.sorted),
                        p.filterOn, connected};
}

}  // namespace vlm::panels
