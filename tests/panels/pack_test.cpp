// Packing a dBase table of a real directory under a progress: deleted records go, a cancelled
// pack leaves every record, and the table is free for exclusive use again either way.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/drivers/local/dir/demo.h"
#include "engine/error.h"
#include "engine/table.h"
#include "panels/pack.h"

namespace vlm::panels {
namespace {

namespace fs = std::filesystem;

struct Steps : engine::Progress {
    int calls = 0;
    bool go = true;
    bool step(std::int64_t, std::int64_t) override {
        ++calls;
        return go;
    }
};

std::int64_t countOf(const std::string& dir, const std::string& table, bool exclusive) {
    engine::Table t;
    t.setDatabaseName(dir);
    t.setTableName(table);
    t.setExclusive(exclusive);
    t.open();
    std::int64_t n = t.recordCount();
    t.close();
    return n;
}

TEST(PackLocalTable, PacksCancelsAndReleasesTheTable) {
    const fs::path dir = fs::temp_directory_path() / "vlm_panels_pack";
    fs::remove_all(dir);
    fs::create_directories(dir);
    engine::local::writeDemoFolder(dir.string());
    std::string table;
    for (const auto& f : fs::directory_iterator(dir))
        if (f.path().extension() == ".DBF" || f.path().extension() == ".dbf") table = f.path().filename().string();
    ASSERT_FALSE(table.empty());
    const std::int64_t before = countOf(dir.string(), table, false);
    ASSERT_GT(before, 1);
    {
        engine::Table t;
        t.setDatabaseName(dir.string());
        t.setTableName(table);
        t.open();
        t.first();
        t.deleteRecord();
        t.close();
    }

    Steps cancel;
    cancel.go = false;
    try {
        packLocalTable(dir.string(), table, cancel);
        FAIL() << "not cancelled";
    } catch (const engine::EngineError& e) {
        EXPECT_EQ(e.category(), engine::ErrorCategory::Cancelled) << e.what();
    }
    EXPECT_GE(cancel.calls, 1);
    // Exclusive use was given back; the deleted record is still there to pack.
    EXPECT_EQ(countOf(dir.string(), table, true), before - 1);

    Steps run;
    packLocalTable(dir.string(), table, run);
    EXPECT_GE(run.calls, 2);   // the first record and the end
    EXPECT_EQ(countOf(dir.string(), table, true), before - 1);

    EXPECT_THROW(packLocalTable(dir.string(), "NOSUCH.DBF", run), engine::EngineError);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vlm::panels
