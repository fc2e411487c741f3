// Qrun against the Firebird test server, where the password matters: started by the
// commander's launcher (detached, the password in the environment) it logs in and opens the
// query; with a wrong password it shows the login error and stays open until closed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "firebird/fbtest.h"
#include "qrun/qrunlaunch.h"
#include "qrunprocess.h"

using namespace vlm;
namespace fs = std::filesystem;

namespace {

TEST(QrunServer, LogsInWithThePasswordFromTheLauncher) {
    test::FbDatabase db = test::FbDatabase::make(true, "qrun");
    ASSERT_FALSE(db.params.target.empty());
    {
        auto conn = db.connect();
        test::exec(*conn, "create table EMP (ID integer, NAME varchar(20))");
        test::exec(*conn, "insert into EMP values (7, 'Olga')");
    }
    const std::string user = db.params.params.at("USER NAME"), password = db.params.params.at("PASSWORD");
    const fs::path dir = fs::temp_directory_path() / ("vlm-qrun-server-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string cfg = (dir / "IDAPI32.CFG").string();
    std::ofstream(cfg) << "[\\DATABASES\\QFBS\\DB INFO]\nTYPE=INTRBASE\nSERVER NAME=" << db.params.target << "\n";

    // The commander's way: detached, beside the program (here: the program the build made).
    const fs::path png = dir / "launched.png";
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("VLM_ENGINE_CFG", cfg.c_str(), 1);
    ::setenv("VLM_QRUN_SNAPSHOT", png.c_str(), 1);
    std::string error;
    ASSERT_TRUE(qrun::startQueryRunnerProgram(qrun::test::qrunProgram(), "QFBS", user, password,
                                              "select NAME, ID\nfrom EMP", &error))
        << error;
    ::unsetenv("VLM_QRUN_SNAPSHOT");
    const fs::path txt = png.string() + ".txt";
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(txt) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto lines = qrun::test::readSnapshot(txt);
    EXPECT_EQ(lines.count("error"), 0u) << (lines.count("error") ? lines.find("error")->second : "");
    EXPECT_EQ(lines.find("row1") != lines.end() ? lines.find("row1")->second : "", "Olga|7");
    ASSERT_NE(lines.find("status1"), lines.end());
    EXPECT_EQ(lines.find("status1")->second.rfind("QueryTime= ", 0), 0u);

    qrun::test::RunResult wrong =
        qrun::test::runQrun({"QFBS", user, "", "select * from EMP"}, password + "x", dir / "wrong.png", cfg);
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.line("error"), "<none>");
    EXPECT_EQ(wrong.line("status0"), "");
    fs::remove_all(dir);
}

}  // namespace
