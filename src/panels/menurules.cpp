// The menu-enabling table by server kind.
#include "panels/menurules.h"

#include <algorithm>

namespace vlm::panels {

const std::vector<std::string>& serverMenuItems() {
    static const std::vector<std::string> items = {
        "Security1", "Generators1", "Synonyms1", "Triggers1", "Snapshots1", "TableSpaces1", "Packages1",
        "PackageBodies1", "Clusters1", "Constraints1", "Dependencies0", "RollBackSegments1", "TablePrivileges1",
        "SessionOracle1", "Interbase1", "Domains1", "Functions1", "Exceptions1", "BlobFilters1", "NNewSynonym",
        "NNewGenerator", "NNewProcedure", "NNewFunction", "NNewTrigger"};
    return items;
}

namespace {

std::vector<std::string> rowOf(ServerKind kind) {
    switch (kind) {
    case ServerKind::ORACLE:
        return {"Security1", "Generators1", "Synonyms1", "Triggers1", "Snapshots1", "TableSpaces1", "Packages1",
                "PackageBodies1", "Clusters1", "Constraints1", "Dependencies0", "RollBackSegments1",
                "TablePrivileges1", "SessionOracle1", "NNewSynonym", "NNewGenerator", "NNewProcedure",
                "NNewFunction", "NNewTrigger"};
    case ServerKind::SQLBASE:
        return {"Security1", "Synonyms1", "Triggers1", "Constraints1", "NNewSynonym", "NNewProcedure"};
    case ServerKind::INTERBASE:
        return {"Interbase1", "Domains1", "Functions1", "Exceptions1", "BlobFilters1", "Generators1", "Triggers1",
                "NNewGenerator", "NNewProcedure"};
    case ServerKind::MSSQL:
        return {"Security1", "Triggers1", "Constraints1", "NNewProcedure"};
    default:
        return {};
    }
}

}  // namespace

MenuStates sqlBasedEnabling(bool sqlBased) {
    return {{"PackDbaseTable1", !sqlBased}, {"Objects1", sqlBased}, {"BMenu", sqlBased}};
}

MenuStates menuEnabling(ServerKind kind, bool sqlBased) {
    MenuStates out;
    auto row = rowOf(kind);
    for (const auto& item : serverMenuItems())
        out.emplace_back(item, std::find(row.begin(), row.end(), item) != row.end());
    if (kind == ServerKind::STANDARD || kind == ServerKind::OTHER) {
        for (auto& s : sqlBasedEnabling(sqlBased)) out.push_back(s);
    } else {
        out.emplace_back("Objects1", true);
        out.emplace_back("BMenu", true);
    }
    return out;
}

}  // namespace vlm::panels
