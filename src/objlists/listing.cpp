// Whole object lists and single definition texts over an open database.
#include "objlists/listing.h"

#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"

namespace vlm::objlists {

using K = ServerKind;
using L = ListKind;

namespace {
std::string rtrim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.pop_back();
    return s;
}
// One cell on one line: tab, line feed, carriage return and backslash escaped as the dump does.
std::string cell(const std::string& s) {
    std::string out;
    for (char c : rtrim(s)) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}
}  // namespace

ServerKind serverKindOf(engine::Database& db) { return panels::serverKindOfDriver(db.driverName()); }

std::vector<ListKind> listKindsOf(ServerKind kind) {
    std::vector<ListKind> out;
    for (ListKind k : kAllKinds)
        if (supported(k, kind)) out.push_back(k);
    return out;
}

int nameColumn(ListKind list, ServerKind kind) {
    switch (list) {
    case L::Indexes: return 2;
    case L::Clusters: return 14;
    case L::BlobFilters: return 5;
    case L::Constraints: return 0;
    case L::Triggers: return 0;
    default: (void)kind; return 0;
    }
}

ObjectList readObjectList(engine::Database& db, ListKind list, bool showSystem) {
    ObjectList out;
    out.kind = serverKindOf(db);
    if (!supported(list, out.kind)) throw engine::EngineError(engine::ErrorCategory::Sql, kNotSupportedEn);
    DatabaseReader reader(db);
    if (out.kind == K::INTERBASE) out.dialect = interbaseDialect(reader);
    std::string sql;
    for (const auto& l : catalogSql(list, out.kind, showSystem)) sql += l + "\n";
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.open();
    const ColumnLayout layout = columnLayout(list, out.kind, false);
    for (int i = 0; i < q.fieldCount(); ++i) {
        auto h = layout.headings.find(i);
        out.headings.push_back(h != layout.headings.end() ? h->second : q.field(i).fieldName());
        out.visible.push_back(!layout.hidden.count(i));
    }
    for (; !q.eof(); q.next()) {
        CatalogRow r;
        r.headings = out.headings;
        for (int i = 0; i < q.fieldCount(); ++i) r.values.push_back(q.field(i).isNull() ? std::string() : q.field(i).asString());
        out.rows.push_back(std::move(r));
    }
    return out;
}

std::vector<std::string> listText(const ObjectList& list) {
    std::vector<std::string> out;
    auto line = [&](const std::vector<std::string>& cells) {
        std::string s;
        bool first = true;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i < list.visible.size() && !list.visible[i]) continue;
            s += (first ? "" : "\t") + cell(cells[i]);
            first = false;
        }
        out.push_back(s);
    };
    line(list.headings);
    for (const auto& r : list.rows) line(r.values);
    return out;
}

std::vector<std::string> objectText(engine::Database& db, ListKind list, const std::string& name, bool showSystem) {
    ObjectList l = readObjectList(db, list, showSystem);
    const int col = nameColumn(list, l.kind);
    DatabaseReader reader(db);
    for (const auto& r : l.rows) {
        if (rtrim(r.at(std::size_t(col))) != rtrim(name)) continue;
        DetailText t;
        buildDetailText(list, {l.kind, l.dialect}, r, reader, t);
        std::vector<std::string> out = t.memo1;
        out.insert(out.end(), t.memoIndex.begin(), t.memoIndex.end());
        return out;
    }
    throw engine::EngineError(engine::ErrorCategory::Sql, std::string("No such object in the ") + commandWord(list) + " list: " + name);
}

}  // namespace vlm::objlists
