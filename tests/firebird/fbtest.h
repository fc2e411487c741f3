// Test databases of the Firebird driver tests: a fresh database per test, embedded (a file in a
// temporary directory, no server) or on the test server of the ctest fixture "firebird".
//
//   auto db = vlm::test::FbDatabase::create("orders");   // fails the test when it cannot
//   auto conn = db.connect();
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/driver.h"
#include "engine/registry.h"
#include "fixtures/servers.h"

namespace vlm::test {

// Records every trace text.
class RecordingTracer : public engine::Tracer {
public:
    bool wants(engine::TraceCategory) const override { return true; }
    void trace(engine::TraceCategory c, const std::string& text) override { entries.emplace_back(c, text); }
    bool has(engine::TraceCategory c, const std::string& part) const {
        for (const auto& [cat, text] : entries)
            if (cat == c && text.find(part) != std::string::npos) return true;
        return false;
    }
    std::string all() const {
        std::string s;
        for (const auto& e : entries) s += e.second + "\n";
        return s;
    }
    std::vector<std::pair<engine::TraceCategory, std::string>> entries;
};

struct FbDatabase {
    engine::ConnectParams params;
    std::filesystem::path tempDir;   // embedded only: removed at the end

    bool server() const { return tempDir.empty(); }

    // A database that does not exist yet; connect() creates it.
    static FbDatabase make(bool onServer, const std::string& name) {
        FbDatabase db;
        std::string unique = name + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter()++);
        if (onServer) {
            std::string port = serverPort("VLM_FB_STATE");
            if (port.empty()) return db;
            std::string state = std::getenv("VLM_FB_STATE");
            db.params.target = "127.0.0.1/" + port + ":" + readFile(state + "/datadir") + "/" + unique + ".fdb";
            db.params.params["USER NAME"] = readFile(state + "/user");
            db.params.params["PASSWORD"] = readFile(state + "/password");
        } else {
            db.params.params["USER NAME"] = "TESTER";   // the embedded engine takes any name
            db.tempDir = std::filesystem::temp_directory_path() / ("vlm-fbtest-" + unique);
            std::filesystem::create_directories(db.tempDir);
            db.params.target = (db.tempDir / (name + ".fdb")).string();
        }
        return db;
    }

    std::unique_ptr<engine::Connection> connect(engine::Tracer& tracer = engine::nullTracer(),
                                                bool create = true) const {
        auto p = params;
        if (create) p.params["CREATE"] = "TRUE";
        return engine::DriverRegistry::standard().create("INTRBASE")->connect(p, tracer);
    }

    ~FbDatabase() {
        if (!tempDir.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(tempDir, ec);
        }
    }
    FbDatabase() = default;
    FbDatabase(FbDatabase&& o) noexcept : params(std::move(o.params)), tempDir(std::exchange(o.tempDir, {})) {}
    FbDatabase& operator=(FbDatabase&& o) noexcept {
        std::swap(params, o.params);
        std::swap(tempDir, o.tempDir);
        return *this;
    }

private:
    static int& counter() {
        static int n = 0;
        return n;
    }
};

// All rows of a statement.
inline std::vector<engine::Row> rowsOf(engine::Connection& c, const std::string& sql,
                                       const std::vector<engine::Value>& params = {}) {
    auto st = c.prepare(sql);
    for (std::size_t i = 0; i < params.size(); ++i) st->bind(i, params[i], engine::FieldType::Unknown);
    std::vector<engine::Row> rows;
    if (auto cur = st->execute())
        while (cur->fetch(100, rows)) {
        }
    return rows;
}

inline void exec(engine::Connection& c, const std::string& sql,
                 const std::vector<engine::Value>& params = {}) {
    auto st = c.prepare(sql);
    for (std::size_t i = 0; i < params.size(); ++i) st->bind(i, params[i], engine::FieldType::Unknown);
    st->execute();
}

}  // namespace vlm::test
