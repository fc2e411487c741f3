// Writing Paradox index files: the primary index .PX of a keyed table and the pair of files of
// a secondary index (.Xnn, a sorted table of index fields + key fields + block hint, and .Ynn,
// the tree over it). Index files are rebuilt whole and replace the old ones by rename, so a
// reader never sees half an index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../fileio.h"
#include "pxformat.h"

namespace vlm::engine::local::paradox {

// One entry of the lowest index level: the first key of a block, its number and record count.
struct IndexEntry {
    std::vector<std::uint8_t> key;
    int block = 0;
    int count = 0;
};

// Writes a tree index (.PX or .Ynn) over entries (in key order) at path, via a temporary file.
// keyFields describe the key bytes; stamp ties the index to its table's update stamp.
void writeTreeIndex(FileSystem& fs, const std::string& path, std::uint8_t fileType,
                    const std::vector<PxField>& keyFields, int maxTableSize,
                    const std::vector<IndexEntry>& entries, std::uint32_t stamp);

// Writes a table-like file (.DB layout) holding records (each h.recordSize bytes, in order) at
// path via a temporary file; returns the first key and count of every block it wrote.
std::vector<IndexEntry> writeSortedTable(FileSystem& fs, const std::string& path, PxHeader h,
                                         const std::vector<std::vector<std::uint8_t>>& records,
                                         int keyBytes, bool durable = false);

// Writes bytes to path through path + ".tmp" and a rename. durable: syncs the data and the
// directory first (table data); index files skip it, a lost index is rebuilt from the table.
void replaceFile(FileSystem& fs, const std::string& path, const std::vector<std::uint8_t>& bytes,
                 bool durable = false);

}  // namespace vlm::engine::local::paradox
