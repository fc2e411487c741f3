// A private temporary directory per contract executable; the last dropDatabase of a test removes
// it, and the next fresh database makes it again.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/driver.h"
#include "engine/registry.h"

namespace vlm::contract {

inline std::string tempDir() {
    static std::string dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vlm-contract-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        return tmpl;
    }();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

// A number for the next fresh database of this process.
inline int nextDatabase() {
    static int n = 0;
    return ++n;
}

// Runs one statement on a connection of the driver, outside any test's Database.
inline void execOn(const std::string& driver, const engine::ConnectParams& p, const std::string& sql) {
    auto conn = engine::DriverRegistry::standard().create(driver)->connect(p, engine::nullTracer());
    conn->prepare(sql)->execute();
}

}  // namespace vlm::contract
