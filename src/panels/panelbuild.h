// The data side of a panel's list build: open the database, read its table list under the
// panel's scope and filter, mark Oracle 8 partitions and fetch Oracle and SQLBase comments.
// No display: the panel controller fills the list view from the result.
//   auto r = buildTableList(db, scope, settings.showTableComments, programFormats());
//   if (!r.ok) showError(r.error);
#pragma once

#include <string>
#include <vector>

#include "panels/formats.h"
#include "panels/serverkind.h"
#include "panels/tablelist.h"

namespace vlm::engine {
class Database;
}

namespace vlm::panels {

struct PanelBuildResult {
    bool ok = true;
    std::string error;                   // the failure that ended the build
    std::vector<std::string> errors;     // partition and comment query errors, shown, build went on
    TMyTableList list;
    bool sqlBased = false;
    ServerKind kind = ServerKind::STANDARD;
    std::string oracleVersion;
    bool commentsFetched = false;
};

PanelBuildResult buildTableList(engine::Database& db, const ListScope& scope, bool showTableComments,
                                const Formats& formats);

// The catalog rows of the partition and comment queries applied to a list (the key rule of
// catalogKey). Each row: owner, table[, ..., comment in the fourth column].
void applyPartitionRows(TMyTableList& list, const std::vector<std::vector<std::string>>& rows,
                        const std::string& loginUser);
void applyCommentRows(TMyTableList& list, const std::vector<std::vector<std::string>>& rows,
                      const std::string& loginUser);

}  // namespace vlm::panels
