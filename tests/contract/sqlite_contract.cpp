// The contract suite on SQLite database files in a private temporary directory.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "backend.h"

namespace {

std::string tempDir() {
    static std::string dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "vlm-contract-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        return tmpl;
    }();
    return dir;
}

const vlm::contract::Backend* sqliteBackend() {
    static vlm::contract::Backend b = [] {
        vlm::contract::Backend b;
        b.name = "Sqlite";
        b.freshDatabase = [] {
            static int n = 0;
            return "SQLITE:" + tempDir() + "/db" + std::to_string(++n) + ".sqlite";
        };
        b.dropDatabase = [](const std::string& name) {
            std::error_code ec;
            std::filesystem::remove(name.substr(7), ec);
            std::filesystem::remove(tempDir(), ec);   // once the last database is gone
        };
        b.syntaxErrorText = "near \"selec\": syntax error";
        b.longQuery = "with recursive c(x) as (select 1 union all select x + 1 from c where x < 1000000000) "
                      "select count(*) from c";
        return b;
    }();
    return &b;
}

}  // namespace

using vlm::contract::Contract;
INSTANTIATE_TEST_SUITE_P(Sqlite, Contract, ::testing::Values(sqliteBackend()), vlm::contract::backendName);
