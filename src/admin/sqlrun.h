// Running the administration windows' statements on an open database: rows of a catalog read as
// text, and one statement without rows. Both throw the engine's error.
//   auto rows = admin::selectRows(db, "SELECT ROLE FROM SYS.DBA_ROLES");
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vlm::engine {
class Database;
}

namespace vlm::admin {

using TextRow = std::vector<std::string>;
struct TextRows {
    std::vector<std::string> columns;   // field names as the server reports them
    std::vector<TextRow> rows;          // values as text; empty for null
};

// named: ":NAME" parameters and their text values.
TextRows selectRows(engine::Database& db, const std::string& sql,
                    const std::vector<std::pair<std::string, std::string>>& named = {});
void execSql(engine::Database& db, const std::string& sql);

}  // namespace vlm::admin
