// TTableInfo and CurrentTable: the one record describing the active panel's focused item,
// filled by every command that works on it. Program-wide; UI thread only.
//   if (!fillCurrentTable(source)) showMessage(noSelectionMessage());
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "panels/serverkind.h"

namespace vlm::panels {

class TMyTableList;

struct TTableInfo {
    std::string driverName;             // "STANDARD" when the name is no alias
    std::string databaseName;
    std::string tableName;              // caption of the focused item, as listed
    std::string tableNameForCommands;   // the same text; commands use this one
    std::string tableType;
    bool isView = false;
    bool isSqlBased = false;
    ServerKind serverKind = ServerKind::STANDARD;
    std::string oracleVersion;          // "7", "8", ... for ORACLE; empty otherwise
    std::string dateTime;
    std::string size;
};

TTableInfo& CurrentTable();

// What a fill reads from the active panel.
struct FillSource {
    std::string databaseName;
    std::string driverName;                         // the session's, "STANDARD" when rejected
    bool sqlBased = false;
    std::function<std::string()> oracleVersion;     // asked for ORACLE only
    std::optional<std::string> focusedCaption;      // none: no focused item
    const TMyTableList* tables = nullptr;
};

// Fills info from the source; true when an item is focused. Without one the table fields
// keep their previous values.
bool fillTableInfo(TTableInfo& info, const FillSource& source);

}  // namespace vlm::panels
