// TMyTableList: a panel's store of its listed tables and their attributes, ten parallel lists
// looked up by listed name, and the rules of the panel's list build that need no database:
// which entries a scope and filter admit, the catalog SQL of partitions and comments, the
// image index and the columns.
//   TMyTableList l;  l.add(entry, formats);  l.isView("SCOTT.EMP_V");
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/types.h"
#include "panels/formats.h"
#include "panels/serverkind.h"

namespace vlm::panels {

class TMyTableList {
public:
    // The ten lists, one entry per listed object at the same index, except that displayNames
    // may be re-ordered by sorting.
    std::vector<std::string> displayNames, lookupNames, fileNames, types, extensions, viewFlags,
        datesTimes, sizes, partitionFlags, comments;

    // Appends one entry: the listed name and the engine's attributes.
    void add(const engine::TableEntry& e, const Formats& formats);
    void add(const std::string& listed, const std::string& fileName, const std::string& type,
             const std::string& extension, bool view, const std::string& dateTime, const std::string& size);
    std::size_t count() const { return lookupNames.size(); }
    void clear();

    // Lookups by listed name. A name not found gives -1, an empty text or false; when a
    // name occurs more than once the last occurrence counts.
    int indexOf(const std::string& name) const;
    std::string extension(const std::string& name) const;
    std::string size(const std::string& name) const;
    std::string dateTime(const std::string& name) const;
    std::string type(const std::string& name) const;
    std::string fileName(const std::string& name) const;
    bool isView(const std::string& name) const;
    bool isPartitioned(const std::string& name) const;
    std::string comment(const std::string& name) const;
    void markPartitioned(const std::string& name);           // nothing for a name not found
    void setComment(const std::string& name, const std::string& comment);

    // On: displayNames sorted alphabetically (letter case ignored); off: the engine's order.
    void sortDisplayNames(bool on);
    bool sorted() const { return sorted_; }

private:
    std::string at(const std::vector<std::string>& list, const std::string& name) const;
    std::unordered_map<std::string, std::size_t> index_;   // listed name -> last index
    bool sorted_ = false;
};

// A panel's list settings and login user.
struct ListScope {
    bool systemTables = false;      // "LEFTSYSTABLES"
    bool userTablesOnly = false;    // "LEFTUSERTABLES"
    bool filterOn = false;          // "bLeftFilter"
    std::string nameMask;           // "LeftFilter"
    std::string ownerMask;          // "LeftFilterUser"
    bool except = false;            // "LeftFilterExcept"
    std::string loginUser;          // the panel's saved user name
};
// The scope of a panel's two list switches, no filter.
inline ListScope listScope(bool systemTables, bool userTablesOnly) {
    ListScope s;
    s.systemTables = systemTables;
    s.userTablesOnly = userTablesOnly;
    return s;
}

// Whether the engine's NAME is listed under the scope: the user-tables rule, then the two masks
// while the filter is on (the except flag inverts each mask's result).
bool includedInList(const std::string& engineName, const ListScope& scope);

// The three scope items and their flags.
enum class Scope { AllTables, AllUsersTables, UserTables };
void setScope(ListScope& scope, Scope s);
Scope scopeOf(const ListScope& scope);   // "User Tables" first, then "All tables"

// Catalog SQL of the build.
inline constexpr const char* kOraclePartitionSql = "select OWNER,TABLE_NAME From SYS.ALL_PART_TABLES";
inline constexpr const char* kOracleCommentSql =
    "select OWNER,TABLE_NAME,TABLE_TYPE,COMMENTS from ALL_TAB_COMMENTS where Not (COMMENTS is null) ";
inline constexpr const char* kSqlBaseCommentSql =
    "select CREATOR,NAME,COLCOUNT,REMARKS from SYSADM.SYSTABLES where Not (REMARKS is null)";
// The comment query of a kind, or nullptr when the kind has none.
const char* commentSql(ServerKind kind);
bool runsPartitionQuery(ServerKind kind, const std::string& oracleVersion);

// The key a catalog row names: the table alone when its owner is the login user (upper case),
// else owner + "." + table.
std::string catalogKey(const std::string& owner, const std::string& table, const std::string& loginUser);

// The fixed image indexes: local 0 dBase, 1 other; server objects of another owner 1 view,
// 4 partitioned, 0 table; own objects (or no owner) 3 view, 5 partitioned, 2 table.
int imageIndex(const TMyTableList& list, const std::string& name, bool sqlBased, const std::string& loginUser);

struct ListColumn {
    std::string caption;
    int width = 0;
};
std::vector<ListColumn> listColumns(bool sqlBased, bool commentsFetched, int listWidth);

}  // namespace vlm::panels
