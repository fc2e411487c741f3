// The production index (.MDX) and single indexes (.NDX) of dBase tables. The table computes
// the keys; this file lays them out as a B-tree (dBase IV page layout: 512-byte pages, 1024-byte
// blocks) and reads the tag definitions and keys back.
//
//   MdxTag t{"NAME", "NAME", 'C', 20}; t.keys = {{"ADAMS...", 3}, ...};   // sorted
//   writeMdx(fs, "/d/CUST.MDX.VLMN", "CUST", {t});
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "../fileio.h"

namespace vlm::engine::local::dbase {

struct MdxTag {
    std::string name;         // at most 10 characters
    std::string expression;   // "NAME", "LAST+FIRST", "DTOS(D)"
    char keyType = 'C';       // 'C' character, 'N' numeric (12-byte BCD), 'D' date (8-byte double)
    int keyLength = 0;
    bool unique = false;
    bool descending = false;
    std::vector<std::pair<std::string, std::uint32_t>> keys;   // key bytes, 1-based record number
};

// Writes a complete .MDX with the given tags (keys already in index order).
void writeMdx(FileSystem& fs, const std::string& path, const std::string& dbfBase, const std::vector<MdxTag>& tags);
// Tag definitions of an .MDX (keys left empty). Throws FileCorrupt on a damaged header.
std::vector<MdxTag> readMdxTags(FileSystem& fs, const std::string& path);
// Every key of the named tag in index order.
std::vector<std::pair<std::string, std::uint32_t>> readMdxKeys(FileSystem& fs, const std::string& path,
                                                              const std::string& tag);

// .NDX: one index per file (512-byte pages).
void writeNdx(FileSystem& fs, const std::string& path, const MdxTag& tag);
MdxTag readNdx(FileSystem& fs, const std::string& path, bool withKeys);

// Key encodings shared with the table.
std::string mdxNumberKey(double v);   // 12 bytes
std::string dateKey(int julianDay);   // 8-byte little-endian double
std::string ndxNumberKey(double v);   // 8-byte double (.NDX numeric keys)

}  // namespace vlm::engine::local::dbase
