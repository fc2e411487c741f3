// The command registry: handlers, enabling state and key bindings by command id.
#include "shell/commandregistry.h"

#include <stdexcept>

namespace vlm::shell {

const CommandInfo& CommandRegistry::known(CommandId id) {
    const CommandInfo* c = id.name ? findCommand(id.view()) : nullptr;
    if (!c) throw std::invalid_argument("Unknown command id: " + std::string(id.name ? id.name : "(null)"));
    return *c;
}

CommandRegistry::Entry& CommandRegistry::entry(CommandId id) {
    const CommandInfo& c = known(id);
    return entries_[std::string(c.id.view())];
}

void CommandRegistry::add(std::initializer_list<CommandId> ids, Handler handler, Rule rule) {
    if (!handler) throw std::invalid_argument("A command needs a handler");
    for (CommandId id : ids) {
        const CommandInfo& c = known(id);
        if (c.kind == ControlKind::SubMenu)
            throw std::invalid_argument(std::string("A sub-menu takes no handler: ") + id.name);
        auto it = entries_.find(id.view());
        if (it != entries_.end() && it->second.handler)
            throw std::invalid_argument(std::string("Command already registered: ") + id.name);
    }
    for (CommandId id : ids) {
        Entry& e = entry(id);
        e.handler = handler;
        e.rule = rule;
        report(id);
    }
}

void CommandRegistry::add(std::string_view name, Handler handler, Rule rule) {
    const CommandInfo* c = findCommand(name);
    if (!c) throw std::invalid_argument("Unknown command id: " + std::string(name));
    add({c->id}, std::move(handler), std::move(rule));
}

bool CommandRegistry::isBound(CommandId id) const {
    known(id);
    auto it = entries_.find(id.view());
    return it != entries_.end() && it->second.handler;
}

bool CommandRegistry::isAllowed(CommandId id) const {
    known(id);
    auto it = entries_.find(id.view());
    return it == entries_.end() || it->second.allowed;
}

bool CommandRegistry::isEnabled(CommandId id) const {
    const CommandInfo& c = known(id);
    auto it = entries_.find(id.view());
    if (it == entries_.end()) return c.kind == ControlKind::SubMenu;
    const Entry& e = it->second;
    if (c.kind != ControlKind::SubMenu && !e.handler) return false;
    return e.allowed && (!e.rule || e.rule());
}

void CommandRegistry::allow(CommandId id, bool on) {
    entry(id).allowed = on;
    report(id);
}

void CommandRegistry::refresh() {
    for (auto& [name, e] : entries_)
        if (e.rule) report(known(CommandId{name.c_str()}).id);
}

void CommandRegistry::report(CommandId id) {
    Entry& e = entry(id);
    const bool on = isEnabled(id);
    if (e.reported && e.lastEnabled == on) return;
    e.reported = true;
    e.lastEnabled = on;
    if (onEnabledChanged) onEnabledChanged(id, on);
}

bool CommandRegistry::trigger(CommandId id) {
    if (!isEnabled(id)) return false;
    auto it = entries_.find(id.view());
    if (it == entries_.end() || !it->second.handler) return false;
    // A copy: the handler may replace itself or close the window that owns this registry.
    Handler h = it->second.handler;
    h();
    return true;
}

void CommandRegistry::bindKey(int key, unsigned modifiers, CommandId id, unsigned ignored) {
    known(id);
    for (KeyBinding& k : keys_)
        if (k.key == key && k.modifiers == modifiers) {
            k = KeyBinding{key, modifiers, id, ignored};
            return;
        }
    keys_.push_back(KeyBinding{key, modifiers, id, ignored});
}

const CommandRegistry::KeyBinding* CommandRegistry::keyBinding(int key, unsigned modifiers) const {
    for (const KeyBinding& k : keys_)
        if (k.key == key && (modifiers & ~k.ignored) == k.modifiers) return &k;
    return nullptr;
}

bool CommandRegistry::triggerKey(int key, unsigned modifiers) {
    const KeyBinding* k = keyBinding(key, modifiers);
    return k && trigger(k->id);
}

}  // namespace vlm::shell
