// The demo folder: a few small dBase tables (customers, orders with memos, a Cyrillic cp866
// table) that the README's run command and the tests open. Paradox tables join when that
// format is built.
//
//   writeDemoFolder("/tmp/demo");   // creates the directory's tables, replacing older demo tables
#pragma once

#include <string>

namespace vlm::engine::local {

void writeDemoFolder(const std::string& dir);

}  // namespace vlm::engine::local
