// The query runner's command line: what the commander hands over (arguments and the password
// in the environment, through a real process start) and how Qrun reads it back.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "qrun/qrunargs.h"
#include "qrun/qrunlaunch.h"

using namespace vlm::qrun;
namespace fs = std::filesystem;

namespace {

struct ArgsCase {
    const char* name;
    std::vector<std::string> args;
    std::optional<std::string> variable;
    QueryRunnerStart expected;
};

TEST(QrunArgs, RebuildsTheStartFromArgumentsAndEnvironment) {
    const std::vector<ArgsCase> cases = {
        {"password from the environment", {"DEMO", "sysdba", "", "select * from t"}, "secret",
         {"DEMO", "sysdba", "secret", "select * from t"}},
        {"password as argument 3", {"DEMO", "sysdba", "pw", "select 1"}, std::nullopt, {"DEMO", "sysdba", "pw", "select 1"}},
        {"argument 3 wins over the environment", {"DEMO", "u", "pw", "select 1"}, "other", {"DEMO", "u", "pw", "select 1"}},
        {"empty password, no variable", {"DEMO", "u", "", "select 1"}, std::nullopt, {"DEMO", "u", "", "select 1"}},
        {"empty variable", {"DEMO", "u", "", "select 1"}, "", {"DEMO", "u", "", "select 1"}},
        {"blanks inside alias and user", {"MY DB", "John Smith", "", "select 1"}, "x", {"MY DB", "John Smith", "x", "select 1"}},
        {"statement verbatim", {"D", "u", "", "select 'a  b', \"X\"\n  from t\r\n where c = ' '  "}, std::nullopt,
         {"D", "u", "", "select 'a  b', \"X\"\n  from t\r\n where c = ' '  "}},
        {"statement as words", {"D", "u", "p", "select", "*", "from", "t"}, std::nullopt, {"D", "u", "p", "select * from t"}},
        {"no statement", {"D", "u", "p"}, std::nullopt, {"D", "u", "p", ""}},
        {"nothing at all", {}, "s", {"", "", "s", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QueryRunnerStart s = parseQueryRunnerArguments(c.args, c.variable);
        EXPECT_EQ(s.alias, c.expected.alias);
        EXPECT_EQ(s.user, c.expected.user);
        EXPECT_EQ(s.password, c.expected.password);
        EXPECT_EQ(s.statement, c.expected.statement);
    }
}

TEST(QrunArgs, CaptionAndLogin) {
    EXPECT_EQ(queryRunnerCaption("DEMO"), "SQL Query Application (Alias= DEMO)");
    EXPECT_EQ(loginParams("sysdba", ""), (std::vector<std::string>{"USER NAME=sysdba", "PASSWORD="}));
    EXPECT_NE(queryRunnerUsage().find(kPasswordVariable), std::string::npos);
}

std::vector<std::string> readNulSeparated(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::vector<std::string> parts;
    std::string s = ss.str(), cur;
    for (char c : s) {
        if (c == '\0') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return parts;
}

// The launcher starts a real process: every value arrives as one argument, unchanged, and the
// password only in the environment.
TEST(QrunLaunch, HandsOverArgumentsAndPasswordIntact) {
    const fs::path dir = fs::temp_directory_path() / ("vlm-qrun-launch-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    struct Case {
        const char* name;
        std::string alias, user, password, statement;
    };
    const std::vector<Case> cases = {
        {"plain", "DEMO", "SYSDBA", "masterkey", "select * from EMP"},
        {"empty password", "DEMO", "SYSDBA", "", "select 1 from rdb$database"},
        {"blanks and quotes", "MY DB", "John Smith", "pass word\"'", "select 'a  b' as \"X Y\"\n  from t\n\n"},
        {"empty user", "DEMO", "", "p", "  select\t1  "},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = dir / ("echo" + std::to_string(++n));
        ::setenv("QRUN_ECHO_OUT", out.c_str(), 1);
        std::string error;
        ASSERT_TRUE(startQueryRunnerProgram(QRUN_ECHO_PROGRAM, c.alias, c.user, c.password, c.statement, &error)) << error;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(out) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(fs::exists(out)) << "the started program wrote nothing";
        EXPECT_EQ(readNulSeparated(out), (std::vector<std::string>{c.alias, c.user, "", c.statement, c.password}));
    }
    ::unsetenv("QRUN_ECHO_OUT");
    fs::remove_all(dir);
}

TEST(QrunLaunch, ReportsAProgramThatCannotStart) {
    std::string error;
    EXPECT_FALSE(startQueryRunnerProgram("/nonexistent/Qrun", "DEMO", "u", "p", "select 1", &error));
    EXPECT_NE(error.find("/nonexistent/Qrun"), std::string::npos) << error;
    const fs::path notExecutable = fs::temp_directory_path() / ("vlm-qrun-noexec-" + std::to_string(::getpid()));
    std::ofstream(notExecutable) << "text";
    error.clear();
    EXPECT_FALSE(startQueryRunnerProgram(notExecutable.string(), "DEMO", "u", "p", "select 1", &error));
    EXPECT_NE(error.find(notExecutable.string()), std::string::npos) << error;
    fs::remove(notExecutable);
}

TEST(QrunLaunch, LooksBesideTheRunningProgram) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(fs::path(queryRunnerPath()), self.parent_path() / "Qrun");
}

}  // namespace
