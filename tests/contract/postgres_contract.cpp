// The contract suite on the throwaway PostgreSQL cluster of the ctest fixture "postgres": a new
// database per test, dropped afterwards.
#include "backend.h"
#include "fixtures/servers.h"
#include "tempdir.h"

namespace {

std::string port() {
    static std::string p = [] {
        const char* state = std::getenv("VLM_PG_STATE");
        return state ? vlm::test::readFile(std::string(state) + "/port") : std::string();
    }();
    return p;
}

vlm::engine::ConnectParams admin() {
    vlm::engine::ConnectParams p;
    p.target = "127.0.0.1:" + port() + "/vlmtest";
    p.params["USER NAME"] = "pgtest";
    return p;
}

const vlm::contract::Backend* postgres() {
    static vlm::contract::Backend b = [] {
        vlm::contract::Backend b;
        b.name = "Postgres";
        b.unavailable = [] {
            if (!port().empty()) return std::string();
            const char* state = std::getenv("VLM_PG_STATE");
            if (!state) return std::string("VLM_PG_STATE is not set: run the test through ctest");
            return "no PostgreSQL test server: " + vlm::test::readFile(std::string(state) + "/error");
        };
        b.freshDatabase = [] {
            std::string name = "ct" + std::to_string(::getpid()) + "_" + std::to_string(vlm::contract::nextDatabase());
            vlm::contract::execOn("POSTGRESQL", admin(), "CREATE DATABASE " + name);
            return "POSTGRESQL:127.0.0.1:" + port() + "/" + name;
        };
        b.dropDatabase = [](const std::string& name) {
            vlm::contract::execOn("POSTGRESQL", admin(),
                                  "DROP DATABASE IF EXISTS " + name.substr(name.rfind('/') + 1) + " WITH (FORCE)");
        };
        b.params = {"USER NAME=pgtest"};
        b.tableName = [](const std::string& base) { return "public." + base; };   // listed with their schema
        b.liveQueries = false;     // RequestLive query results are read-only here
        b.storedProcedures = true;
        b.createProcedure = {"create function \"CT_ADD\"(\"A\" integer, \"B\" integer, out \"S\" integer) "
                             "language sql as 'select \"A\" + \"B\"'"};
        b.syntaxErrorText = "syntax error at or near \"selec\"";
        b.longQuery = "select pg_sleep(60)";
        return b;
    }();
    return &b;
}

}  // namespace

using vlm::contract::Contract;
INSTANTIATE_TEST_SUITE_P(Postgres, Contract, ::testing::Values(postgres()), vlm::contract::backendName);
