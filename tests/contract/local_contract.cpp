// The contract suite on the local directory driver ("STANDARD") with dBase tables: a fresh
// directory per database, tables named with their .DBF extension.
#include <filesystem>

#include "backend.h"
#include "tempdir.h"

namespace {

const vlm::contract::Backend* localDir() {
    static vlm::contract::Backend b = [] {
        vlm::contract::Backend b;
        b.name = "LocalDbase";
        b.freshDatabase = [] {
            auto dir = std::filesystem::path(vlm::contract::tempDir()) / ("db" + std::to_string(vlm::contract::nextDatabase()));
            std::filesystem::create_directories(dir);
            return dir.string();
        };
        b.dropDatabase = [](const std::string& name) {
            std::error_code ec;
            std::filesystem::remove_all(name, ec);
            std::filesystem::remove(vlm::contract::tempDir(), ec);   // once the last database is gone
        };
        b.params = {"DEFAULT DRIVER=DBASE"};
        b.tableName = [](const std::string& base) { return base + ".DBF"; };
        b.transactions = false;
        b.exactNumerics = false;   // dBase N fields read as Float
        b.liveQueries = false;     // local SQL results are read-only
        b.primaryKeys = false;   // dBase has unique indexes, no primary keys
        b.syntaxErrorText = "syntax error";
        // Scans of the dBase file, nested four deep: about 10^8 rows.
        b.longQuery = "select count(*) from {ITEMS} A, {ITEMS} B, {ITEMS} C, {ITEMS} D";
        b.longQueryRows = 100;
        return b;
    }();
    return &b;
}

}  // namespace

using vlm::contract::Contract;
INSTANTIATE_TEST_SUITE_P(Local, Contract, ::testing::Values(localDir()), vlm::contract::backendName);
