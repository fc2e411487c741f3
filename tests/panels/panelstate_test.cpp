// The panels' command states without a display: the tool bar and check marks a panel's
// settings give, and the server-kind enabling rule applied to the command registry as a table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "panels/menurules.h"
#include "panels/panelstate.h"
#include "shell/commandregistry.h"

namespace vlm::panels {
namespace {

namespace cmd = shell::cmd;

TEST(PanelState, ToolBarOfAPanelsSettings) {
    struct Row {
        const char* name;
        bool systemTables, userTables, sorted, filterOn, connected;
        ToolBarState want;
    } rows[] = {
        {"defaults", false, false, false, false, false, {cmd::BAll, cmd::BUnSort, false, false}},
        {"user tables win over system", true, true, false, false, true, {cmd::BUser, cmd::BUnSort, false, true}},
        {"all tables, sorted, filtered", true, false, true, true, true, {cmd::BSysAll, cmd::BSort, true, true}},
        {"user tables only", false, true, true, false, false, {cmd::BUser, cmd::BSort, false, false}},
    };
    for (const Row& r : rows) {
        PanelSettings p;
        p.systemTables = r.systemTables;
        p.userTables = r.userTables;
        p.sorted = r.sorted;
        p.filterOn = r.filterOn;
        ToolBarState got = toolBarState(p, r.connected);
        EXPECT_EQ(got.scope, r.want.scope) << r.name << " " << got.scope.name;
        EXPECT_EQ(got.sort, r.want.sort) << r.name;
        EXPECT_TRUE(got == r.want) << r.name;
    }
}

TEST(PanelState, ChecksBySideScopeSortAndStyle) {
    auto on = [](auto states) {
        std::vector<std::string> out;
        for (auto [id, checked] : states)
            if (checked) out.emplace_back(id.name);
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(on(scopeChecks(Side::Left, Scope::AllTables)), V{"NAllSystablesLeft"});
    EXPECT_EQ(on(scopeChecks(Side::Right, Scope::AllUsersTables)), V{"NAllTablesRight"});
    EXPECT_EQ(on(scopeChecks(Side::Right, Scope::UserTables)), V{"NUserTablesRight"});
    EXPECT_EQ(on(sortChecks(Side::Left, true)), V{"NAlphabeticLeft"});
    EXPECT_EQ(on(sortChecks(Side::Right, false)), V{"NUnsortedRight"});
    EXPECT_EQ(on(viewStyleChecks(ViewStyle::SmallIcon)), V{"SmallIcon1"});
    EXPECT_EQ(on(viewStyleChecks(ViewStyle::Report)), V{"Report1"});
    EXPECT_EQ(viewStyleButton(ViewStyle::Icon), cmd::BLarge);
    EXPECT_EQ(viewStyleButton(ViewStyle::List), cmd::BList);
    EXPECT_EQ(viewStyleButton(ViewStyle::Report), cmd::BDetails);
    // Each side's nine items are its own menu's.
    for (Side s : {Side::Left, Side::Right}) {
        const SideCommands& c = sideCommands(s);
        const std::string suffix = s == Side::Left ? "Left" : "Right";
        for (CommandId id : {c.alphabetic, c.unsorted, c.allSystables, c.allTables, c.userTables, c.setFilter, c.reRead,
                             c.selectDatabase, c.disconnect}) {
            std::string n = id.name;
            EXPECT_TRUE(n.size() > suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0) << n;
        }
    }
}

// Every item the rule names, with every main-window command bound, for each kind.
TEST(PanelState, ServerKindEnablingThroughTheRegistry) {
    struct Row {
        ServerKind kind;
        bool sqlBased;
        std::vector<std::string> enabled;   // of the ids below
    } rows[] = {
        {ServerKind::STANDARD, false, {"PackDbaseTable1", "Indexes1"}},
        {ServerKind::STANDARD, true, {"Objects1", "BMenu", "Indexes1"}},
        {ServerKind::OTHER, true, {"Objects1", "BMenu", "Indexes1"}},
        {ServerKind::INTERBASE, true,
         {"Objects1", "BMenu", "Indexes1", "Security1", "Generators1", "Triggers1", "Interbase1", "Domains1",
          "NNewGenerator", "NNewProcedure"}},
        {ServerKind::MSSQL, true, {"Objects1", "BMenu", "Indexes1", "Security1", "Triggers1", "Constraints1", "NNewProcedure"}},
        {ServerKind::SQLBASE, true,
         {"Objects1", "BMenu", "Indexes1", "Security1", "Synonyms1", "Triggers1", "Constraints1", "NNewSynonym",
          "NNewProcedure"}},
        {ServerKind::ORACLE, true,
         {"Objects1", "BMenu", "Indexes1", "Security1", "Generators1", "Synonyms1", "Triggers1", "Constraints1",
          "Dependencies0", "SessionOracle1", "NNewSynonym", "NNewGenerator", "NNewProcedure", "NNewFunction",
          "NNewTrigger"}},
    };
    const std::vector<CommandId> watched = {
        cmd::PackDbaseTable1, cmd::Objects1, cmd::BMenu, cmd::Indexes1, cmd::Security1, cmd::Generators1,
        cmd::Synonyms1, cmd::Triggers1, cmd::Constraints1, cmd::Dependencies0, cmd::SessionOracle1, cmd::Interbase1,
        cmd::Domains1, cmd::NNewSynonym, cmd::NNewGenerator, cmd::NNewProcedure, cmd::NNewFunction, cmd::NNewTrigger};
    for (const Row& r : rows) {
        shell::CommandRegistry commands;
        for (const shell::CommandInfo& c : shell::mainWindowCommands())
            if (c.kind != shell::ControlKind::SubMenu) commands.add(c.id, [] {});
        // As on panel entry, after an ORACLE panel: the SQL-based rule, then the kind's.
        applyMenuEnabling(commands, ServerKind::ORACLE, true);
        applySqlBasedEnabling(commands, r.sqlBased);
        applyMenuEnabling(commands, r.kind, r.sqlBased);
        std::vector<std::string> got, want = r.enabled;
        for (CommandId id : watched)
            if (commands.isEnabled(id)) got.emplace_back(id.name);
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << serverKindName(r.kind) << (r.sqlBased ? " sql" : " local");
    }
    // Unregistered commands stay off whatever the rule allows.
    shell::CommandRegistry empty;
    applyMenuEnabling(empty, ServerKind::ORACLE, true);
    EXPECT_FALSE(empty.isEnabled(cmd::Triggers1));
    EXPECT_TRUE(empty.isEnabled(cmd::Objects1));
}

}  // namespace
}  // namespace vlm::panels
