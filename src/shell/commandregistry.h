// The command registry of the main window: a subsystem registers a handler (and, when it has
// one, an enabling rule) under command ids; menus, pop-ups, tool buttons and function keys
// trigger by id. Plain C++, no Qt, so tests drive it without a display. UI thread only.
//   form.commands().add({cmd::BView, cmd::NView, cmd::NPViewTable1}, [&] { openView(); });
//   form.commands().allow(cmd::Triggers1, kind == ServerKind::ORACLE);   // enabling table
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/commandids.h"

namespace vlm::shell {

class CommandRegistry {
public:
    using Handler = std::function<void()>;
    // Asked on add() and refresh(): false disables the command whatever the tables allow.
    using Rule = std::function<bool()>;

    // Registers one command under every id that names it (its menu item, pop-up item, button).
    // Throws std::invalid_argument for an id the main window does not have, a sub-menu, an id
    // that already has a handler, or an empty handler: a binding mistake fails at once.
    void add(std::initializer_list<CommandId> ids, Handler handler, Rule rule = {});
    void add(CommandId id, Handler handler, Rule rule = {}) { add({id}, std::move(handler), std::move(rule)); }
    // As add() for an id given by name (controls made from a name); throws for an unknown one.
    void add(std::string_view name, Handler handler, Rule rule = {});

    bool isBound(CommandId id) const;      // a handler is registered
    bool isAllowed(CommandId id) const;    // what the enabling tables last said (true at first)
    // Bound (sub-menus need no handler), allowed by the tables and by the command's rule.
    bool isEnabled(CommandId id) const;

    // The enabling tables' state of an id (server kind, SQL-based database, view style).
    void allow(CommandId id, bool on);
    // Asks every command's rule again; controls whose state changed are told.
    void refresh();

    // Runs the command's handler when it is enabled: true when it ran.
    bool trigger(CommandId id);

    // Keys bound to ids: a key with exactly `modifiers` held (bits in `ignored` may be held
    // too) triggers the id. Modifier bits are Qt's.
    struct KeyBinding {
        int key;
        unsigned modifiers;
        CommandId id;
        unsigned ignored = 0;
    };
    void bindKey(int key, unsigned modifiers, CommandId id, unsigned ignored = 0);
    std::span<const KeyBinding> keys() const { return keys_; }
    const KeyBinding* keyBinding(int key, unsigned modifiers) const;
    // Triggers the id bound to the key: true when a command ran (the key is then consumed).
    bool triggerKey(int key, unsigned modifiers);

    // The window mirrors enabled states into its controls (called when a state may change).
    std::function<void(CommandId, bool enabled)> onEnabledChanged;

private:
    struct Entry {
        Handler handler;
        Rule rule;
        bool allowed = true;
        bool lastEnabled = false;
        bool reported = false;
    };
    static const CommandInfo& known(CommandId id);   // throws for an unknown id
    Entry& entry(CommandId id);
    void report(CommandId id);

    std::map<std::string, Entry, std::less<>> entries_;
    std::vector<KeyBinding> keys_;
};

}  // namespace vlm::shell
