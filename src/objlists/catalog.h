// The server object lists of the "Objects" menu: which object types each server kind has, the
// catalog statement of each list, the grid's headings, hidden and sized columns, the panes of
// the list window, and the dependency tree built from dependency rows. Plain C++; nothing
// here runs SQL.
//   if (!supported(ListKind::Synonyms, kind)) ...;   auto lines = catalogSql(ListKind::Indexes, kind, false);
#pragma once

#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "panels/serverkind.h"

namespace vlm::objlists {

using panels::ServerKind;

enum class ListKind {
    Synonyms, Triggers, Indexes, Snapshots, Packages, PackageBodies, TableSpaces, Constraints, SessionParameters,
    Dependencies, Clusters, Domains, ExternalFunctions, Exceptions, BlobFilters
};
inline constexpr ListKind kAllKinds[] = {
    ListKind::Indexes, ListKind::Synonyms, ListKind::Triggers, ListKind::Constraints, ListKind::Dependencies,
    ListKind::Snapshots, ListKind::Packages, ListKind::PackageBodies, ListKind::TableSpaces, ListKind::Clusters,
    ListKind::SessionParameters, ListKind::Domains, ListKind::ExternalFunctions, ListKind::Exceptions,
    ListKind::BlobFilters};

// Whether the kind's server has the object type (STANDARD and OTHER have none).
bool supported(ListKind list, ServerKind kind);

struct Title {
    const char* ru;
    const char* en;
};
Title title(ListKind list);
// The word vlmtool takes for the list: "indexes", "synonyms", "triggers", "constraints",
// "dependencies", "snapshots", "packages", "package-bodies", "tablespaces", "clusters",
// "session", "domains", "functions", "exceptions", "blob-filters".
const char* commandWord(ListKind list);
std::optional<ListKind> listKindOfWord(std::string_view word);

inline constexpr const char* kNotSqlBasedRu = "Не доступно для этого типа БД !";
inline constexpr const char* kNotSqlBasedEn = "Can not perform this operation on non SQL Based! ";
inline constexpr const char* kNotSupportedRu = "Не поддерживается для данного типа БД!";
inline constexpr const char* kNotSupportedEn = "Not Supported For This Type Database!";
inline constexpr const char* kDatasetNotOpenRu = "Набор не открыт!";
inline constexpr const char* kDatasetNotOpenEn = "Dataset not open!";

// The list's catalog statement, line by line; showSystem: "Show System Objcts" is on. Empty
// for an unsupported kind.
std::vector<std::string> catalogSql(ListKind list, ServerKind kind, bool showSystem);

// Headings (display labels) by column, hidden columns and display widths in characters, for
// one language. A column without a heading shows the name the server gives it.
struct ColumnLayout {
    std::map<int, std::string> headings;
    std::set<int> hidden;
    std::map<int, int> widths;
};
ColumnLayout columnLayout(ListKind list, ServerKind kind, bool russian);

// The index list as create statements: the calculated column and its heading.
inline constexpr const char* kIndexCreateField = "IndexCreateText";
inline constexpr int kIndexCreateSize = 255;
inline constexpr const char* kIndexCreateHeadingRu = "Индекс";
inline constexpr const char* kIndexCreateHeadingEn = "Index";

// Which panes the list window shows beside the grid.
struct Panes {
    bool memo1 = false;       // the detail pane beside the grid
    bool memoIndex = false;   // the statement pane below it
};
Panes panes(ListKind list, bool indexAsCreate);

// The dependency tree (Oracle): the left tree reads what each object depends on, the right
// tree what uses it. Rows are (object, type, related object, related type).
std::vector<std::string> dependencyTreeSql(bool usedBy, bool showSystem);
inline constexpr const char* kTreeLeftHeaderRu = "Корневой объект зависит от дочерних";
inline constexpr const char* kTreeLeftHeaderEn = "Object depend from child objects";
inline constexpr const char* kTreeRightHeaderRu = "Корневой объект используется в дочерних";
inline constexpr const char* kTreeRightHeaderEn = "Object used by child objects";

struct TreeNode {
    std::string caption;   // "table: SCOTT.EMP"
    int image = 5;
    std::vector<TreeNode> children;
};
std::vector<TreeNode> dependencyTree(const std::vector<std::array<std::string, 4>>& rows);
// VIEW 1, PROCEDURE 2, FUNCTION 3, PACKAGE 4, TABLE 6, TRIGGER 7, any other type 5.
int dependencyImage(std::string_view type);

}  // namespace vlm::objlists
