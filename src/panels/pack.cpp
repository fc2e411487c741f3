// Packing a local table.
#include "panels/pack.h"

#include "engine/table.h"

namespace vlm::panels {

void packLocalTable(const std::string& databaseName, const std::string& tableName, engine::Progress& progress) {
    engine::Table table;   // TableLeft
    table.setDatabaseName(databaseName);
    table.setTableName(tableName);
    table.setExclusive(true);
    try {
        table.open();
        table.pack(&progress);
        table.recordCount();
    } catch (...) {
        // Closed and exclusive use reset whatever happened; the pack's own error is the one
        // reported, not a failure to close after it.
        try {
            table.close();
        } catch (const std::exception&) {
        }
        table.setExclusive(false);
        throw;
    }
    table.close();
    table.setExclusive(false);
}

}  // namespace vlm::panels
