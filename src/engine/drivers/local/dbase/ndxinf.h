// The .INF file that ties single indexes (.NDX) to a dBase table, as the classic engine kept
// it beside the table (ORDERS.INF for ORDERS.DBF):
//   [dBASE]
//   NDX1=ORDNO.NDX
//   NDX2=CUSTNAME.NDX
// Section and keys are case-insensitive; other sections and lines are kept as they are.
#pragma once

#include <string>
#include <vector>

namespace vlm::engine::local::dbase {

// The NDX file names the text lists, in the order of their lines.
std::vector<std::string> infNdxNames(const std::string& text);
// The text with one more NDXn line (n one above the highest in use), adding the section when
// there is none.
std::string infAddNdx(const std::string& text, const std::string& ndxName);
// The text without the line naming ndxName (case-insensitive); empty when nothing but an empty
// [dBASE] section would remain.
std::string infRemoveNdx(const std::string& text, const std::string& ndxName);

}  // namespace vlm::engine::local::dbase
