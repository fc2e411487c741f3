// The command registry without a display: binding mistakes fail at once, the enabled state is
// handler + enabling tables + rule, triggers run only enabled commands, keys map to ids.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/commandregistry.h"

namespace vlm::shell {
namespace {

TEST(CommandIds, EveryNameOnceAndFoundByName) {
    std::set<std::string> seen;
    for (const CommandInfo& c : mainWindowCommands()) {
        EXPECT_TRUE(seen.insert(c.id.name).second) << c.id.name;
        ASSERT_NE(findCommand(c.id.name), nullptr) << c.id.name;
        EXPECT_EQ(findCommand(c.id.name)->kind, c.kind);
    }
    EXPECT_EQ(findCommand("BSelectDataBase"), nullptr);   // the letter case counts
    EXPECT_EQ(findCommand(""), nullptr);
    static_assert(cmd::NSelectDataBaseRight.view() == "NSelectDataBaseRight");
}

TEST(CommandRegistry, BindingMistakesThrow) {
    CommandRegistry r;
    auto noop = [] {};
    struct Case {
        const char* what;
        std::function<void()> call;
    } cases[] = {
        {"unknown id", [&] { r.add(CommandId{"NSelectDatabaseRight"}, noop); }},
        {"unknown name", [&] { r.add(std::string_view("BSelectDatabase"), noop); }},
        {"sub-menu", [&] { r.add(cmd::Objects1, noop); }},
        {"empty handler", [&] { r.add(cmd::NInfo, CommandRegistry::Handler{}); }},
        {"second handler", [&] { r.add(cmd::BView, noop); r.add({cmd::NView, cmd::BView}, noop); }},
        {"unknown key id", [&] { r.bindKey(1, 0, CommandId{"BViewX"}); }},
        {"unknown allow", [&] { r.allow(CommandId{"Objects"}, true); }},
    };
    for (auto& c : cases) EXPECT_THROW(c.call(), std::invalid_argument) << c.what;
    // A failed group registration leaves its other ids free.
    EXPECT_FALSE(r.isBound(cmd::NView));
    EXPECT_TRUE(r.isBound(cmd::BView));
}

TEST(CommandRegistry, EnabledIsHandlerTablesAndRule) {
    CommandRegistry r;
    std::vector<std::pair<std::string, bool>> told;
    r.onEnabledChanged = [&](CommandId id, bool on) { told.emplace_back(id.name, on); };
    int runs = 0;
    bool ruleOn = true;

    // Unbound: disabled and not run; a sub-menu needs no handler.
    EXPECT_FALSE(r.isEnabled(cmd::NCopy));
    EXPECT_FALSE(r.trigger(cmd::NCopy));
    EXPECT_TRUE(r.isEnabled(cmd::Objects1));

    // The tables may disable a command before it is registered; registration keeps that.
    r.allow(cmd::Triggers1, false);
    r.add(cmd::Triggers1, [&] { ++runs; });
    EXPECT_FALSE(r.isEnabled(cmd::Triggers1));
    EXPECT_FALSE(r.trigger(cmd::Triggers1));
    r.allow(cmd::Triggers1, true);
    EXPECT_TRUE(r.trigger(cmd::Triggers1));
    EXPECT_EQ(runs, 1);

    // One handler for the menu item, the pop-up item and the button; each has its own state.
    r.add({cmd::BCopy, cmd::NCopy, cmd::Copytable1}, [&] { ++runs; }, [&] { return ruleOn; });
    for (CommandId id : {cmd::BCopy, cmd::NCopy, cmd::Copytable1}) EXPECT_TRUE(r.isEnabled(id)) << id.name;
    ruleOn = false;
    told.clear();
    r.refresh();
    EXPECT_EQ(told, (std::vector<std::pair<std::string, bool>>{{"BCopy", false}, {"Copytable1", false}, {"NCopy", false}}));
    EXPECT_FALSE(r.trigger(cmd::NCopy));
    told.clear();
    r.refresh();   // nothing changed: nobody is told
    EXPECT_TRUE(told.empty());
    r.allow(cmd::Objects1, false);
    EXPECT_FALSE(r.isEnabled(cmd::Objects1));
    EXPECT_EQ(told.back(), (std::pair<std::string, bool>{"Objects1", false}));
    EXPECT_EQ(runs, 1);
}

TEST(CommandRegistry, KeysTriggerTheirIds) {
    CommandRegistry r;
    const unsigned shift = 0x02000000, ctrl = 0x04000000, alt = 0x08000000;   // Qt's modifier bits
    const int f1 = 0x01000030, f3 = 0x01000032, f10 = 0x01000039;
    int help = 0, view = 0, quit = 0, left = 0;
    r.add(cmd::BHelp, [&] { ++help; });
    r.add(cmd::BQuit, [&] { ++quit; });
    r.add(cmd::NSelectDatabaseLeft, [&] { ++left; });
    r.bindKey(f1, 0, cmd::BHelp, shift);
    r.bindKey(f3, 0, cmd::BView);
    r.bindKey(f10, 0, cmd::BQuit, shift | ctrl);
    r.bindKey(f1, alt, cmd::NSelectDatabaseLeft);
    struct Case {
        int key;
        unsigned mods;
        bool consumed;
    } cases[] = {
        {f1, 0, true},  {f1, shift, true},  {f1, ctrl, false}, {f1, alt, true},  {f1, alt | shift, false},
        {f3, 0, false},  // bound to BView, which nobody registered: the key goes on
        {f10, ctrl, true}, {f10, alt, false},
    };
    for (const Case& c : cases) EXPECT_EQ(r.triggerKey(c.key, c.mods), c.consumed) << c.key << " " << c.mods;
    EXPECT_EQ(help, 2);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(quit, 1);
    r.add(cmd::BView, [&] { ++view; });
    EXPECT_TRUE(r.triggerKey(f3, 0));
    EXPECT_EQ(view, 1);
    // Binding a key again replaces its id.
    r.bindKey(f3, 0, cmd::BHelp);
    EXPECT_EQ(r.keyBinding(f3, 0)->id, cmd::BHelp);
}

}  // namespace
}  // namespace vlm::shell
