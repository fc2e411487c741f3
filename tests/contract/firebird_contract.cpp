// The contract suite on Firebird: an embedded database file (no server), or with
// FB_ON_SERVER a database on the test server of the ctest fixture "firebird".
#include <filesystem>

#include "backend.h"
#include "fixtures/servers.h"
#include "tempdir.h"

namespace {

using vlm::contract::tempDir;

struct Place {
    std::string target;   // file path or host/port:path
    std::string user, password;
    std::string why;      // not empty: the server is missing
};

const Place& place() {
    static Place p = [] {
        Place p;
#ifdef FB_ON_SERVER
        const char* state = std::getenv("VLM_FB_STATE");
        std::string port = state ? vlm::test::readFile(std::string(state) + "/port") : "";
        if (port.empty()) {
            p.why = state ? "no Firebird test server: " + vlm::test::readFile(std::string(state) + "/error")
                          : "VLM_FB_STATE is not set: run the test through ctest";
            return p;
        }
        p.target = "127.0.0.1/" + port + ":" + vlm::test::readFile(std::string(state) + "/datadir");
        p.user = vlm::test::readFile(std::string(state) + "/user");
        p.password = vlm::test::readFile(std::string(state) + "/password");
#else
        p.target = tempDir();
        p.user = "TESTER";   // the embedded engine takes any name
#endif
        return p;
    }();
    return p;
}

std::vector<std::string> login() {
    std::vector<std::string> l{"USER NAME=" + place().user};
    if (!place().password.empty()) l.push_back("PASSWORD=" + place().password);
    return l;
}

const vlm::contract::Backend* firebird() {
    static vlm::contract::Backend b = [] {
        vlm::contract::Backend b;
#ifdef FB_ON_SERVER
        b.name = "FirebirdServer";
#else
        b.name = "FirebirdEmbedded";
#endif
        b.unavailable = [] { return place().why; };
        b.freshDatabase = [] {
#ifdef FB_ON_SERVER
            const std::string& dir = place().target;
#else
            const std::string dir = tempDir();   // made again after the previous test removed it
#endif
            std::string target = dir + "/ct" + std::to_string(::getpid()) + "_" +
                                 std::to_string(vlm::contract::nextDatabase()) + ".fdb";
            vlm::engine::ConnectParams p;
            p.target = target;
            p.params["USER NAME"] = place().user;
            if (!place().password.empty()) p.params["PASSWORD"] = place().password;
            p.params["CREATE"] = "TRUE";
            vlm::engine::DriverRegistry::standard().create("INTRBASE")->connect(p, vlm::engine::nullTracer());
            return "INTRBASE:" + target;
        };
        b.dropDatabase = [](const std::string& name) {
            std::string target = name.substr(9);
            auto colon = target.find(":/");
            std::error_code ec;
            std::filesystem::remove(colon == std::string::npos ? target : target.substr(colon + 1), ec);
#ifndef FB_ON_SERVER
            std::filesystem::remove(tempDir(), ec);   // once the last database is gone
#endif
        };
        b.params = login();
        // Results read forwards: Firebird 3's scrollable cursors buffer the whole result at the
        // first fetch, and its network protocol has none.
        b.seekingTables = false;
        b.seekingQueries = false;
        b.liveQueries = false;     // RequestLive query results are read-only here
        b.storedProcedures = true;
        // Executable: execProc takes the outputs of an executable procedure.
        b.createProcedure = {"create procedure CT_ADD (A integer, B integer) returns (S integer) as "
                             "begin S = A + B; end"};
        b.syntaxErrorText = "Token unknown";
        b.longQuery = "execute block returns (N bigint) as declare I bigint = 0; begin "
                      "while (I < 2000000000) do I = I + 1; N = I; suspend; end";
        b.selectOne = "select 1 from rdb$database";
        return b;
    }();
    return &b;
}

}  // namespace

using vlm::contract::Contract;
INSTANTIATE_TEST_SUITE_P(Firebird, Contract, ::testing::Values(firebird()), vlm::contract::backendName);
