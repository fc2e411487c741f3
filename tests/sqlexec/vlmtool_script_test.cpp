// vlmtool script: the script run on a SQLite file as a user calls it, its log on standard
// output, the exit status, the delimiter option and the one transaction of --transaction.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "vlmtool/runtool.h"

namespace fs = std::filesystem;

namespace {

class VlmtoolScript : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vlm_script_tool_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        db = "SQLITE:" + (dir / "s.sqlite").string();
        std::ofstream(dir / "IDAPI32.CFG") << "";
    }
    void TearDown() override { fs::remove_all(dir); }
    vlm::test::ToolResult script(const std::string& text, std::vector<std::string> options = {}) {
        std::ofstream(dir / "x.sql") << text;
        std::vector<std::string> args = {"script", db, (dir / "x.sql").string()};
        args.insert(args.end(), options.begin(), options.end());
        return vlm::test::runVlmtool((dir / "IDAPI32.CFG").string(), dir, args);
    }
    std::string rows(const std::string& table) {
        return vlm::test::runVlmtool((dir / "IDAPI32.CFG").string(), dir, {"sql", db, "select count(*) from " + table}).out;
    }
    fs::path dir;
    std::string db;
};

TEST_F(VlmtoolScript, RunsLogsAndExitsByTheOutcome) {
    auto r = script("create table T (A integer, B text);\ninsert into T values (1, 'x;y');\nselect A, B from T;\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Executed successed!: Inserted: 1 rows"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Selected 1 rows"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("x;y"), std::string::npos);
    EXPECT_NE(r.out.find("SQL script ended without errors."), std::string::npos);

    r = script("insert into T values (2, 'a') /\ninsert into nowhere values (1) /", {"--delimiter", "/"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("SQL script ended with errors."), std::string::npos) << r.out;
    EXPECT_EQ(rows("T"), "count(*)\n2\n");

    r = vlm::test::runVlmtool((dir / "IDAPI32.CFG").string(), dir, {"script", db, (dir / "absent.sql").string()});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("absent.sql"), std::string::npos) << r.err;
}

TEST_F(VlmtoolScript, TransactionCommitsOnlyWhenNothingFailed) {
    ASSERT_EQ(script("create table T (A integer);").status, 0);
    auto r = script("insert into T values (1);\ninsert into nowhere values (1);", {"--transaction"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("\nStart Transaction\n\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("Rolled back.\n"), std::string::npos) << r.out;
    EXPECT_EQ(rows("T"), "count(*)\n0\n");
    r = script("insert into T values (1);\ninsert into T values (2);", {"--transaction"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Committed.\n"), std::string::npos) << r.out;
    EXPECT_EQ(rows("T"), "count(*)\n2\n");
}

}  // namespace
