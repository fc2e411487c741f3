// The vlmtool commands. run() parses the command line, runs one command against the default
// engine session and returns the exit status: 0 success, 1 an engine error (its text on err),
// 2 a wrong command line (the usage on err).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vlm::tools {

int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// Writes the demo SQLite database through the engine (replacing the file); returns its tables.
std::vector<std::string> writeDemoDatabase(const std::string& path);

}  // namespace vlm::tools
