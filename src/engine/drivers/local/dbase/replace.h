// Crash-safe replacement of a set of files: pack, restructure, empty and rename build their new
// files beside the old ones and swap them in here. A journal beside the files records every
// step; a failure rolls back at once, and a killed process is rolled back by recover() the next
// time the table or its directory is opened, so the original files come back intact.
//
//   replaceFiles(fs, {{"/d/ORDERS.DBF.VLMN", "/d/ORDERS.DBF"}});
#pragma once

#include <string>
#include <vector>

#include "../fileio.h"

namespace vlm::engine::local {

struct FileMove {
    std::string from;   // the new file (or the file to rename)
    std::string to;     // its final name; an existing file there is replaced
};

// Moves every from to its to, all or nothing. Targets that exist are kept as backups until
// the journal is gone. removes: files deleted as part of the same change.
void replaceFiles(FileSystem& fs, const std::vector<FileMove>& moves,
                  const std::vector<std::string>& removes = {});

// Rolls back changes a killed process left half done in dir. Cheap when there is none.
void recoverReplacements(FileSystem& fs, const std::string& dir);

// Suffixes of the files this helper uses, so table lists can hide them.
bool isReplacementFile(const std::string& name);
constexpr const char* kNewSuffix = ".VLMN";

}  // namespace vlm::engine::local
