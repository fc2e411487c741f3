// The trace component over a real engine session (SQLite), the trace log's lines and
// snapshots, and the hand-over of messages from engine threads.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

#include "engine/database.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "engine/session.h"
#include "sqltrace/dbtrace.h"
#include "sqltrace/tracelog.h"

using namespace vlm;
using namespace vlm::sqltrace;
namespace fs = std::filesystem;

namespace {

TEST(TraceFlags, EachEngineBitIsOneCategory) {
    struct Case {
        std::uint32_t bit;
        std::optional<TTraceFlag> flag;
    } cases[] = {
        {1, tfQPrepare}, {2, tfQExecute}, {4, tfError}, {8, tfStmt}, {16, tfConnect}, {32, tfTransact},
        {64, tfBlob}, {128, tfMisc}, {256, tfVendor}, {512, tfDataIn}, {1024, tfDataOut},
        {0, std::nullopt}, {3, std::nullopt}, {2048, std::nullopt}, {1590, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(traceFlagOf(c.bit), c.flag) << c.bit;
    EXPECT_EQ(traceBit(tfQExecute) | traceBit(tfError) | traceBit(tfConnect) | traceBit(tfTransact) |
                  traceBit(tfDataIn) | traceBit(tfDataOut),
              1590u);
}

// A session of its own over a SQLite file, so the default session's hook is left alone.
class Trace : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vlm-sqltrace-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        session_ = std::make_unique<engine::Session>(engine::DriverRegistry::standard());
        name_ = "SQLITE:" + (dir_ / "t.sqlite").string();
    }
    void TearDown() override {
        session_.reset();
        fs::remove_all(dir_);
    }
    void run(const std::string& sql) {
        engine::Database db(session_.get());
        db.setDatabaseName(name_);
        engine::Query q;
        q.setDatabase(&db);
        q.setSql(sql);
        if (sql.rfind("select", 0) == 0) q.open();
        else q.execSql();
    }
    // The messages OnTrace got, with their categories.
    std::vector<std::pair<TTraceFlag, std::string>> got() {
        std::lock_guard lock(mutex_);
        return got_;
    }
    void record(TDBTrace& t) {
        t.setOnTrace([this](TDBTrace&, TTraceFlag f, const std::string& m) {
            std::lock_guard lock(mutex_);
            got_.emplace_back(f, m);
        });
    }
    bool saw(TTraceFlag flag, const std::string& part) {
        for (const auto& [f, m] : got())
            if (f == flag && m.find(part) != std::string::npos) return true;
        return false;
    }

    fs::path dir_;
    std::unique_ptr<engine::Session> session_;
    std::string name_;
    std::mutex mutex_;
    std::vector<std::pair<TTraceFlag, std::string>> got_;
};

TEST_F(Trace, PassesOnTheChosenCategoriesWhileTracing) {
    TDBTrace t(*session_);
    record(t);
    t.setTraceFlags(traceBit(tfQExecute) | traceBit(tfConnect));
    run("create table T (A integer)");
    EXPECT_TRUE(got().empty()) << "messages before Trace was set";

    t.setTrace(true);
    EXPECT_TRUE(t.trace());
    run("insert into T values (1)");
    EXPECT_TRUE(saw(tfQExecute, "insert into T values (1)"));
    EXPECT_TRUE(saw(tfConnect, "t.sqlite"));
    for (const auto& [f, m] : got()) EXPECT_TRUE(f == tfQExecute || f == tfConnect) << m;

    // The categories change at once, for the next messages.
    t.setTraceFlags(traceBit(tfQPrepare));
    got_.clear();
    run("insert into T values (2)");
    EXPECT_TRUE(saw(tfQPrepare, "insert into T values (2)"));
    EXPECT_FALSE(saw(tfQExecute, "values (2)"));

    t.setTrace(false);
    got_.clear();
    run("insert into T values (3)");
    EXPECT_TRUE(got().empty()) << "messages after Trace went off";
}

TEST_F(Trace, AnErrorInOnTraceIsReportedAndTheStatementRuns) {
    TDBTrace t(*session_);
    std::vector<std::string> errors;
    t.setOnTrace([](TDBTrace&, TTraceFlag, const std::string&) { throw std::runtime_error("full"); });
    t.setOnError([&](const std::exception& e) { errors.emplace_back(e.what()); });
    t.setTraceFlags(traceBit(tfQExecute));
    t.setTrace(true);
    EXPECT_NO_THROW(run("create table T (A integer)"));
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], "full");
}

TEST_F(Trace, SessionNameSwitchesTracingOffAndBack) {
    TDBTrace t(*session_);
    record(t);
    t.setTraceFlags(traceBit(tfQExecute));
    t.setTrace(true);
    t.setSessionName("Default");
    EXPECT_TRUE(t.trace());
    EXPECT_EQ(t.sessionName(), "Default");
    EXPECT_THROW(t.setSessionName("Other"), engine::EngineError);
    EXPECT_TRUE(t.trace());
    run("create table T (A integer)");
    EXPECT_TRUE(saw(tfQExecute, "create table T"));
}

TEST_F(Trace, MessagesOfWorkerThreadsAllArrive) {
    TDBTrace t(*session_);
    TraceInbox inbox;
    std::atomic<int> requests{0};
    t.setOnTrace([&](TDBTrace&, TTraceFlag, const std::string& m) {
        if (inbox.push(m)) ++requests;
    });
    t.setTraceFlags(traceBit(tfQExecute));
    t.setTrace(true);
    run("create table T (A integer)");
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([&, w] {
            for (int i = 0; i < 25; ++i) run("select " + std::to_string(w * 100 + i));
        });
    for (auto& th : workers) th.join();
    std::vector<std::string> all = inbox.takeAll();
    int selects = 0;
    for (const auto& m : all) selects += m.find("select ") != std::string::npos;
    EXPECT_EQ(selects, 100);
    EXPECT_GE(requests.load(), 1);
    EXPECT_TRUE(inbox.takeAll().empty());
    EXPECT_TRUE(inbox.push("next")) << "an emptied inbox asks for a hand-over again";
}

TEST(TraceLog, MessagesBecomeLines) {
    struct Case {
        const char* name;
        std::string message;
        std::vector<std::string> lines;
    } cases[] = {
        {"one line", "select 1", {"select 1"}},
        {"empty message", "", {""}},
        {"CR LF", "select *\r\nfrom T", {"select *", "from T"}},
        {"LF and CR", "a\nb\rc", {"a", "b", "c"}},
        {"trailing break", "a\r\n", {"a", ""}},
        {"blank line kept", "a\n\nb", {"a", "", "b"}},
    };
    for (const Case& c : cases) {
        TraceLog log;
        log.append(c.message);
        auto s = log.snapshot();
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < s.size(); ++i) lines.push_back(s.line(i));
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(log.messageCount(), 1u) << c.name;
    }
    TraceLog log;
    log.append("ab");
    log.append("Жук\nx");
    EXPECT_EQ(log.snapshot().longestLine(), 3u) << "characters, not bytes";
}

TEST(TraceLog, ASnapshotKeepsWhatWasThereWhileTheLogGoesOn) {
    TraceLog log;
    for (int i = 0; i < 5000; ++i) log.append(std::to_string(i));   // past one block of lines
    auto shown = log.snapshot();
    for (int i = 5000; i < 9000; ++i) log.append(std::to_string(i));
    auto later = log.snapshot();
    log.clear();
    log.append("after clear");

    ASSERT_EQ(shown.size(), 5000u);
    EXPECT_EQ(shown.line(0), "0");
    EXPECT_EQ(shown.line(4999), "4999");
    ASSERT_EQ(later.size(), 9000u);
    EXPECT_EQ(later.line(4999), "4999");
    EXPECT_EQ(later.line(5000), "5000");
    EXPECT_EQ(later.line(8999), "8999");
    EXPECT_EQ(log.lineCount(), 1u);
    EXPECT_EQ(log.snapshot().line(0), "after clear");
}

}  // namespace
