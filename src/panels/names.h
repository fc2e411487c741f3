// Listed names, owner and name parts, and the name mask of the panel filter and the group
// selection. Plain C++ over UTF-8.
//   maskMatches("EMP*", "EMPLOYEE") == true;  ownerPart("SCOTT.EMP") == "SCOTT"
#pragma once

#include <string>
#include <string_view>

namespace vlm::engine {
struct TableEntry;
}

namespace vlm::panels {

// Upper case by the Windows-1251 rule: a..z and the Cyrillic "а".."я" (ё stays as it is).
std::string upperName(std::string_view s);
bool equalsUpper(std::string_view a, std::string_view b);   // equal after upperName
std::string trimBlanks(std::string_view s);                  // blanks only

// The text before the first "." (empty without a point) and the text after it (the whole
// name without a point).
std::string ownerPart(std::string_view name);
std::string namePart(std::string_view name);

// The engine's NAME, then "." and EXTENSION when the trimmed extension is not empty and NAME
// does not already end with it (the local driver reports "ORDERS.DBF" with extension "DBF").
std::string listedName(const engine::TableEntry& e);

// The NAME the scope and masks test: the local driver's "ORDERS.DBF" without its extension,
// as the engine's NAME of a local table has none; server names as they are.
std::string engineBaseName(const engine::TableEntry& e);

// Matches an upper-case text against a mask: no "*" -> equal; first character "*" -> contains
// the rest, a final "*" of the rest dropped first; a "*" later on -> begins with the mask minus
// its last character. "*" alone (or "**") matches every text. The mask is upper-cased first.
bool maskMatches(std::string_view mask, std::string_view upperText);

}  // namespace vlm::panels
