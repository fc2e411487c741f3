// The menu-enabling table by server kind.
#include "panels/menurules.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "shell/commandregistry.h"

namespace vlm::panels {

namespace cmd = shell::cmd;

namespace {
std::vector<std::string> names(std::initializer_list<shell::CommandId> ids) {
    std::vector<std::string> out;
    for (shell::CommandId id : ids) out.emplace_back(id.name);
    return out;
}
}  // namespace

const std::vector<std::string>& serverMenuItems() {
    static const std::vector<std::string> items = names({
        cmd::Security1, cmd::Generators1, cmd::Synonyms1, cmd::Triggers1, cmd::Snapshots1, cmd::TableSpaces1, cmd::Packages1,
        cmd::PackageBodies1, cmd::Clusters1, cmd::Constraints1, cmd::Dependencies0, cmd::RollBackSegments1, cmd::TablePrivileges1,
        cmd::SessionOracle1, cmd::Interbase1, cmd::Domains1, cmd::Functions1, cmd::Exceptions1, cmd::BlobFilters1, cmd::NNewSynonym,
        cmd::NNewGenerator, cmd::NNewProcedure, cmd::NNewFunction, cmd::NNewTrigger});
    return items;
}

namespace {

std::vector<std::string> rowOf(ServerKind kind) {
    switch (kind) {
    case ServerKind::ORACLE:
        return names({cmd::Security1, cmd::Generators1, cmd::Synonyms1, cmd::Triggers1, cmd::Snapshots1, cmd::TableSpaces1, cmd::Packages1,
                cmd::PackageBodies1, cmd::Clusters1, cmd::Constraints1, cmd::Dependencies0, cmd::RollBackSegments1,
                cmd::TablePrivileges1, cmd::SessionOracle1, cmd::NNewSynonym, cmd::NNewGenerator, cmd::NNewProcedure,
                cmd::NNewFunction, cmd::NNewTrigger});
    case ServerKind::SQLBASE:
        return names({cmd::Security1, cmd::Synonyms1, cmd::Triggers1, cmd::Constraints1, cmd::NNewSynonym, cmd::NNewProcedure});
    case ServerKind::INTERBASE:
        // Security: Firebird's users and roles.
        return names({cmd::Security1, cmd::Interbase1, cmd::Domains1, cmd::Functions1, cmd::Exceptions1, cmd::BlobFilters1,
                cmd::Generators1, cmd::Triggers1, cmd::NNewGenerator, cmd::NNewProcedure});
    case ServerKind::MSSQL:
        return names({cmd::Security1, cmd::Triggers1, cmd::Constraints1, cmd::NNewProcedure});
    default:
        return {};
    }
}

}  // namespace

MenuStates sqlBasedEnabling(bool sqlBased) {
    return {{cmd::PackDbaseTable1.name, !sqlBased}, {cmd::Objects1.name, sqlBased}, {cmd::BMenu.name, sqlBased}};
}

MenuStates menuEnabling(ServerKind kind, bool sqlBased) {
    MenuStates out;
    auto row = rowOf(kind);
    for (const auto& item : serverMenuItems())
        out.emplace_back(item, std::find(row.begin(), row.end(), item) != row.end());
    if (kind == ServerKind::STANDARD || kind == ServerKind::OTHER) {
        for (auto& s : sqlBasedEnabling(sqlBased)) out.push_back(s);
    } else {
        out.emplace_back(cmd::Objects1.name, true);
        out.emplace_back(cmd::BMenu.name, true);
    }
    return out;
}

namespace {
void allowAll(shell::CommandRegistry& commands, const MenuStates& states) {
    for (const auto& [name, on] : states) {
        const shell::CommandInfo* c = shell::findCommand(name);
        if (!c) throw std::invalid_argument("Unknown command in an enabling table: " + name);
        commands.allow(c->id, on);
    }
}
}  // namespace

void applyMenuEnabling(shell::CommandRegistry& commands, ServerKind kind, bool sqlBased) {
    for (shell::CommandId id : {cmd::Constraints1, cmd::Dependencies0, cmd::RollBackSegments1, cmd::TablePrivileges1,
                                cmd::SessionOracle1, cmd::NNewSynonym, cmd::NNewGenerator, cmd::NNewProcedure,
                                cmd::NNewTrigger, cmd::NNewFunction})
        commands.allow(id, false);
    allowAll(commands, menuEnabling(kind, sqlBased));
}

void applySqlBasedEnabling(shell::CommandRegistry& commands, bool sqlBased) {
    allowAll(commands, sqlBasedEnabling(sqlBased));
}

}  // namespace vlm::panels
