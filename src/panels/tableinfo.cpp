// Filling the current-table record.
#include "panels/tableinfo.h"

#include "panels/tablelist.h"

namespace vlm::panels {

TTableInfo& CurrentTable() {
    static TTableInfo info;
    return info;
}

bool fillTableInfo(TTableInfo& info, const FillSource& src) {
    info.databaseName = src.databaseName;
    info.driverName = src.driverName.empty() ? std::string("STANDARD") : src.driverName;
    info.isSqlBased = src.sqlBased;
    info.serverKind = serverKindOfDriver(info.driverName);
    info.oracleVersion = info.serverKind == ServerKind::ORACLE && src.oracleVersion ? src.oracleVersion() : std::string();
    if (!src.focusedCaption) return false;
    const std::string& name = *src.focusedCaption;
    info.tableName = name;
    info.tableNameForCommands = name;
    if (src.tables) {
        info.tableType = src.tables->type(name);
        info.isView = src.tables->isView(name);
        info.dateTime = src.tables->dateTime(name);
        info.size = src.tables->size(name);
    } else {
        info.tableType.clear();
        info.isView = false;
        info.dateTime.clear();
        info.size.clear();
    }
    return true;
}

}  // namespace vlm::panels
