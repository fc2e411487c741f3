// Export, import, append and compare between every pair of the real databases here: the
// PostgreSQL test cluster, the Firebird test server, an embedded Firebird file, SQLite through
// ODBC and a local dBase directory; and the fault injection: a cancel at any step or a bad row
// leaves an SQL destination as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/batchmove.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "engine/session.h"
#include "engine/table.h"
#include "fixtures/servers.h"
#include "transfer/compare.h"
#include "transfer/transfer.h"

using namespace vlm;
using namespace vlm::transfer;
namespace fs = std::filesystem;

namespace {

struct CancelAt : engine::Progress {
    int at, seen = 0;
    explicit CancelAt(int n) : at(n) {}
    bool step(std::int64_t, std::int64_t) override { return ++seen < at; }
};

void execOn(const std::string& driver, engine::ConnectParams p, const std::vector<std::string>& sql) {
    auto c = engine::DriverRegistry::standard().create(driver)->connect(p, engine::nullTracer());
    for (const auto& s : sql) c->prepare(s)->execute();
}

// The databases, as aliases of one configuration file written before the session starts.
struct Servers {
    fs::path dir;
    std::string schema, fbServerFile, pgPort;
    bool ok = false;

    Servers() {
        pgPort = test::serverPort("VLM_PG_STATE");
        const std::string fbPort = test::serverPort("VLM_FB_STATE");
        if (pgPort.empty() || fbPort.empty()) return;
        const std::string fbState = std::getenv("VLM_FB_STATE");
        dir = fs::temp_directory_path() / ("vlm-transfer-srv-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "local");
        schema = "xfer_" + std::to_string(::getpid());
        const std::string embedded = (dir / "embedded.fdb").string();
        const std::string server = "127.0.0.1/" + fbPort + ":" + test::readFile(fbState + "/datadir") + "/xfer_" +
                                   std::to_string(::getpid()) + ".fdb";
        fbServerFile = server.substr(server.find(':') + 1);
        const std::string fbUser = test::readFile(fbState + "/user"), fbPassword = test::readFile(fbState + "/password");
        execOn("INTRBASE", {embedded, {{"USER NAME", "TESTER"}, {"CREATE", "TRUE"}}}, {});
        execOn("INTRBASE", {server, {{"USER NAME", fbUser}, {"PASSWORD", fbPassword}, {"CREATE", "TRUE"}}}, {});
        execOn("POSTGRESQL", {"127.0.0.1:" + pgPort + "/vlmtest", {{"USER NAME", "pgtest"}}},
               {"DROP SCHEMA IF EXISTS " + schema + " CASCADE", "CREATE SCHEMA " + schema});
        const std::string cfg = (dir / "IDAPI32.CFG").string();
        std::ofstream f(cfg);
        f << "[\\DATABASES\\FBE\\DB INFO]\nTYPE=INTRBASE\nSERVER NAME=" << embedded << "\nUSER NAME=TESTER\n"
          << "[\\DATABASES\\FBS\\DB INFO]\nTYPE=INTRBASE\nSERVER NAME=" << server << "\nUSER NAME=" << fbUser
          << "\nPASSWORD=" << fbPassword << "\n"
          << "[\\DATABASES\\PGP\\DB INFO]\nTYPE=POSTGRESQL\nSERVER NAME=127.0.0.1\nPORT=" << pgPort
          << "\nDATABASE NAME=vlmtest\nUSER NAME=pgtest\n"
          << "[\\DATABASES\\ODBCL\\DB INFO]\nTYPE=ODBC\nODBC DRIVER=SQLite3\nDATABASE NAME=" << (dir / "odbc.sqlite").string()
          << "\n";
        f.close();
        ::setenv("VLM_ENGINE_CFG", cfg.c_str(), 1);
        ok = true;
    }
    ~Servers() {
        std::error_code ec;
        try {
            if (!pgPort.empty())
                execOn("POSTGRESQL", {"127.0.0.1:" + pgPort + "/vlmtest", {{"USER NAME", "pgtest"}}},
                       {"DROP SCHEMA IF EXISTS " + schema + " CASCADE"});
        } catch (const engine::EngineError&) {
        }
        if (!fbServerFile.empty()) fs::remove(fbServerFile, ec);
        if (!dir.empty()) fs::remove_all(dir, ec);
    }
};

Servers& servers() {
    static Servers s;
    return s;
}

class TransferServers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(servers().ok) << "the PostgreSQL and Firebird test servers";
        for (const std::string& alias : kinds) {
            auto db = std::make_unique<engine::Database>();
            db->setDatabaseName(alias == "LOCAL" ? (servers().dir / "local").string() : alias);
            db->open();
            dbs[alias] = std::move(db);
        }
    }
    void TearDown() override {
        for (auto& [name, db] : dbs) db->close();
    }
    // A table name of the kind: PostgreSQL in the test's schema, dBase with its extension.
    std::string table(const std::string& kind, const std::string& base) const {
        if (kind == "PGP") {   // unquoted names fold to lower case there
            std::string lower = base;
            for (auto& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
            return servers().schema + "." + lower;
        }
        if (kind == "LOCAL") return base + ".DBF";
        return base;
    }
    void exec(const std::string& kind, const std::string& sql) { dbs[kind]->connection().prepare(sql)->execute(); }
    long long count(const std::string& kind, const std::string& t) {
        engine::Query q;
        q.setDatabase(dbs[kind].get());
        q.setSql("select count(*) from " + t);
        q.open();
        return q.field(0).asInteger();
    }
    // The source table on an SQL kind: a key, text with Cyrillic, a date, a number, and NULLs.
    void makeSource(const std::string& kind, const std::string& t) {
        exec(kind, "CREATE TABLE " + t + " (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), BORN DATE, PAY NUMERIC(10,2))");
        for (const char* v : {"(3, 'Мария', '1990-05-01', 10.5)", "(1, 'Bob', NULL, NULL)", "(2, 'Zoe', '2001-12-31', -7.25)"})
            exec(kind, "INSERT INTO " + t + " VALUES " + std::string(v));
    }
    // An empty table of the source's structure on the destination, made by the engine's copy.
    void emptyCopy(const std::string& from, const std::string& ft, const std::string& to, const std::string& tt) {
        engine::Table a, b;
        a.setDatabase(dbs[from].get());
        a.setTableName(ft);
        b.setDatabase(dbs[to].get());
        b.setTableName(tt);
        engine::BatchMove m;
        m.source = &a;
        m.destination = &b;
        m.mode = engine::batCopy;
        m.execute();
        dbs[to]->connection().emptyTable(tt);
    }
    std::string compare(const std::string& a, const std::string& at, const std::string& b, const std::string& bt) {
        CompareLog log((servers().dir / "TBLSCOMP.LOG").string());
        CompareOptions o;
        o.rowCount = o.data = o.byKey = true;
        CompareResult r = compareTables({dbs[a].get(), at}, {dbs[b].get(), bt}, o, log, nullptr);
        return r.status == "Comared Ok!" ? r.status : log.text();
    }

    const std::vector<std::string> kinds = {"PGP", "FBS", "FBE", "ODBCL", "LOCAL"};
    std::map<std::string, std::unique_ptr<engine::Database>> dbs;
};

TEST_F(TransferServers, ExportImportAppendAndCompareBetweenEveryPair) {
    int n = 0;
    for (const std::string& src : {"PGP", "FBS", "ODBCL"}) {
        const std::string st = table(src, "SRC" + std::to_string(n));
        makeSource(src, st);
        for (const std::string& dst : kinds) {
            if (dst == src) continue;
            SCOPED_TRACE(src + " -> " + dst);
            const std::string file = (servers().dir / ("x" + std::to_string(++n) + ".txt")).string();
            const std::string dt = table(dst, "DST" + std::to_string(n));
            emptyCopy(src, st, dst, dt);
            ASSERT_EQ(exportText(*dbs[src], st, file, {}, nullptr), 3);
            ASSERT_EQ(importText(*dbs[dst], dt, file, {}, nullptr), 3);
            EXPECT_EQ(compare(src, st, dst, dt), "Comared Ok!");
            // And the append of the same rows back into an empty copy on the source's side.
            const std::string back = table(src, "BACK" + std::to_string(n));
            emptyCopy(dst, dt, src, back);
            EXPECT_EQ(appendRows(*dbs[dst], "select * from " + dt, *dbs[src], back, {}, nullptr), 3);
            EXPECT_EQ(compare(src, st, src, back), "Comared Ok!");
        }
    }
}

TEST_F(TransferServers, CancelOrABadRowLeavesTheDestinationAsBefore) {
    std::string text = "2\r\nID;NAME;\r\n3;1;\r\n";
    for (int i = 0; i < 5000; ++i) text += std::to_string(i + 10) + ";r" + std::to_string(i) + ";\r\n";
    const fs::path good = servers().dir / "fault.txt", bad = servers().dir / "fault-bad.txt";
    std::ofstream(good, std::ios::binary) << text;
    std::ofstream(bad, std::ios::binary) << text + "x;late;\r\n";
    const std::string source = table("PGP", "FAULTSRC");
    exec("PGP", "CREATE TABLE " + source + " (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20))");
    ASSERT_EQ(importText(*dbs["PGP"], source, good.string(), {}, nullptr), 5000);
    for (const std::string& kind : {"PGP", "FBS", "FBE", "ODBCL"}) {
        SCOPED_TRACE(kind);
        const std::string t = table(kind, "FAULT");
        exec(kind, "CREATE TABLE " + t + " (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20))");
        exec(kind, "INSERT INTO " + t + " VALUES (1, 'kept')");
        for (int at : {1, 2, 3}) {
            CancelAt p(at);
            EXPECT_THROW(importText(*dbs[kind], t, good.string(), {}, &p), engine::EngineError);
            EXPECT_EQ(count(kind, t), 1) << "cancelled at step " << at;
        }
        std::string e;
        try {
            importText(*dbs[kind], t, bad.string(), {}, nullptr);
        } catch (const engine::EngineError& err) {
            e = err.what();
        }
        EXPECT_NE(e.find("Line 5004, field ID: 'x' is no integer"), std::string::npos) << e;
        EXPECT_EQ(count(kind, t), 1);
        // A key violation half way: the server's error, nothing kept.
        std::ofstream(servers().dir / "dup.txt", std::ios::binary) << "2\r\nID;NAME;\r\n3;1;\r\n5;a;\r\n1;dup;\r\n";
        EXPECT_THROW(importText(*dbs[kind], t, (servers().dir / "dup.txt").string(), {}, nullptr), engine::EngineError);
        EXPECT_EQ(count(kind, t), 1);
        // The append through the batch move, cancelled at any step.
        for (int at : {1, 2}) {
            CancelAt p(at);
            EXPECT_THROW(appendRows(*dbs["PGP"], "select * from " + source, *dbs[kind], t, {}, &p), engine::EngineError);
            EXPECT_EQ(count(kind, t), 1) << "append cancelled at step " << at;
        }
        EXPECT_EQ(appendRows(*dbs["PGP"], "select * from " + source, *dbs[kind], t, {}, nullptr), 5000);
    }
}

}  // namespace
