// A server object list read whole, for scripting (vlmtool objects) and tests: the rows of a
// list kind's catalog statement with their headings, and the definition text of one object.
//   ObjectList l = readObjectList(db, ListKind::Domains, false);
//   auto text = objectText(db, ListKind::Domains, "D_MONEY", false);   // the detail text's lines
#pragma once

#include <string>
#include <vector>

#include "objlists/texts.h"

namespace vlm::objlists {

struct ObjectList {
    ServerKind kind = ServerKind::STANDARD;
    int dialect = 3;
    std::vector<std::string> headings;     // English headings, else the server's column names
    std::vector<bool> visible;             // the grid's visible columns
    std::vector<CatalogRow> rows;
};

ServerKind serverKindOf(engine::Database& db);
// The list kinds the database's server kind has, in menu order.
std::vector<ListKind> listKindsOf(ServerKind kind);
// The column that names the object of a row (the index name, the trigger name, ...).
int nameColumn(ListKind list, ServerKind kind);

// Throws the engine's error; an unsupported kind throws the "Not Supported" message.
ObjectList readObjectList(engine::Database& db, ListKind list, bool showSystem);
// The rows as text: the visible columns, tab-separated, blanks at the end dropped, and a tab,
// line feed, carriage return or backslash in a value written as \t, \n, \r, \\.
std::vector<std::string> listText(const ObjectList& list);
// The detail text (both panes, the statement pane last) of the row whose name column is name
// (blanks at the end ignored); throws an engine error when there is none.
std::vector<std::string> objectText(engine::Database& db, ListKind list, const std::string& name, bool showSystem);

}  // namespace vlm::objlists
