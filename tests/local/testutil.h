// Helpers of the local-table tests: a fresh temporary directory per test and small readers.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/drivers/local/fileio.h"
#include "engine/types.h"

namespace vlm::test {

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/vlm-local-XXXXXX";
        path_ = ::mkdtemp(tmpl);
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void writeAll(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

}  // namespace vlm::test
