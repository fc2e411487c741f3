// Shared helpers of the Paradox tests: a fresh directory per test and raw file access.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace pxtest {

inline std::string tempDir() {
    char tmpl[] = "/tmp/pxtestXXXXXX";
    const char* d = mkdtemp(tmpl);
    return d ? d : "/tmp";
}

inline std::vector<unsigned char> slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void spit(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

}  // namespace pxtest
