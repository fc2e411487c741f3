// The panel's table list and the build rules that need no database.
#include "panels/tablelist.h"

#include <algorithm>
#include <numeric>

#include "shell/language.h"
#include "panels/names.h"

namespace vlm::panels {

void TMyTableList::add(const engine::TableEntry& e, const Formats& formats) {
    std::string dt;
    if (e.modified) dt = formatDate(e.modified->date, formats) + "  " + formatTime(e.modified->time, formats);
    add(listedName(e), e.fileName, e.type, e.extension, e.view, dt, std::to_string(e.size < 0 ? 0 : e.size));
}

void TMyTableList::add(const std::string& listed, const std::string& fileName, const std::string& type,
                       const std::string& extension, bool view, const std::string& dateTime,
                       const std::string& size) {
    index_[listed] = lookupNames.size();
    displayNames.push_back(listed);
    lookupNames.push_back(listed);
    fileNames.push_back(fileName);
    types.push_back(type);
    extensions.push_back(extension);
    viewFlags.push_back(view ? "TRUE" : "FALSE");
    datesTimes.push_back(dateTime);
    sizes.push_back(size);
    partitionFlags.push_back("0");
    comments.emplace_back();
}

void TMyTableList::clear() {
    for (auto* l : {&displayNames, &lookupNames, &fileNames, &types, &extensions, &viewFlags, &datesTimes,
                    &sizes, &partitionFlags, &comments})
        l->clear();
    index_.clear();
}

int TMyTableList::indexOf(const std::string& name) const {
    auto it = index_.find(name);
    return it == index_.end() ? -1 : int(it->second);
}

std::string TMyTableList::at(const std::vector<std::string>& list, const std::string& name) const {
    int i = indexOf(name);
    return i < 0 ? std::string() : list[std::size_t(i)];
}

std::string TMyTableList::extension(const std::string& n) const { return at(extensions, n); }
std::string TMyTableList::size(const std::string& n) const { return at(sizes, n); }
std::string TMyTableList::dateTime(const std::string& n) const { return at(datesTimes, n); }
std::string TMyTableList::type(const std::string& n) const { return at(types, n); }
std::string TMyTableList::fileName(const std::string& n) const { return at(fileNames, n); }
bool TMyTableList::isView(const std::string& n) const { return upperName(at(viewFlags, n)) == "TRUE"; }
bool TMyTableList::isPartitioned(const std::string& n) const { return at(partitionFlags, n) == "1"; }
std::string TMyTableList::comment(const std::string& n) const { return at(comments, n); }

void TMyTableList::markPartitioned(const std::string& name) {
    int i = indexOf(name);
    if (i >= 0) partitionFlags[std::size_t(i)] = "1";
}

void TMyTableList::setComment(const std::string& name, const std::string& comment) {
    int i = indexOf(name);
    if (i >= 0) comments[std::size_t(i)] = comment;
}

void TMyTableList::sortDisplayNames(bool on) {
    sorted_ = on;
    displayNames = lookupNames;
    if (!on) return;
    std::vector<std::string> keys(displayNames.size());
    std::transform(displayNames.begin(), displayNames.end(), keys.begin(), [](const std::string& s) { return upperName(s); });
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<std::string> out;
    out.reserve(order.size());
    for (auto i : order) out.push_back(lookupNames[i]);
    displayNames = std::move(out);
}

bool includedInList(const std::string& engineName, const ListScope& s) {
    bool included = true;
    std::string owner = ownerPart(engineName);
    if (s.userTablesOnly) included = owner.empty() || upperName(owner) == upperName(s.loginUser);
    if (s.filterOn) {
        if (!trimBlanks(s.nameMask).empty())
            included = included && (maskMatches(trimBlanks(s.nameMask), upperName(namePart(engineName))) != s.except);
        if (!trimBlanks(s.ownerMask).empty() && !owner.empty())
            included = included && (maskMatches(trimBlanks(s.ownerMask), upperName(owner)) != s.except);
    }
    return included;
}

void setScope(ListScope& scope, Scope s) {
    scope.systemTables = s == Scope::AllTables;
    scope.userTablesOnly = s == Scope::UserTables;
}

Scope scopeOf(const ListScope& scope) {
    if (scope.userTablesOnly) return Scope::UserTables;
    if (scope.systemTables) return Scope::AllTables;
    return Scope::AllUsersTables;
}

const char* commentSql(ServerKind kind) {
    if (kind == ServerKind::ORACLE) return kOracleCommentSql;
    if (kind == ServerKind::SQLBASE) return kSqlBaseCommentSql;
    return nullptr;
}

bool runsPartitionQuery(ServerKind kind, const std::string& oracleVersion) {
    return kind == ServerKind::ORACLE && oracleVersion == "8";
}

std::string catalogKey(const std::string& owner, const std::string& table, const std::string& loginUser) {
    if (owner == upperName(loginUser)) return table;
    return owner + "." + table;
}

int imageIndex(const TMyTableList& list, const std::string& name, bool sqlBased, const std::string& loginUser) {
    if (!sqlBased) return upperName(list.extension(name)) == "DBF" ? 0 : 1;
    std::string owner = upperName(ownerPart(name));
    bool view = list.isView(name);
    bool part = list.isPartitioned(name);
    if (!owner.empty() && owner != upperName(loginUser)) return view ? 1 : part ? 4 : 0;
    return view ? 3 : part ? 5 : 2;
}

std::vector<ListColumn> listColumns(bool sqlBased, bool commentsFetched, int width) {
    if (!sqlBased) return {{shell::pick("Имя таблицы", "Table name"), width}};
    if (!commentsFetched) return {{shell::pick("Имя таблицы/просмотра", "Table / View name"), width - 30}};
    return {{shell::pick("Имя таблицы/просмотра", "Table / View name"), width - width / 5},
            {shell::pick("Комментарий", "Comment"), 500}};
}

}  // namespace vlm::panels
