// The contract suite over ODBC: with ODBC_TO_POSTGRES through psqlODBC to a new database on the
// test cluster of the ctest fixture "postgres", otherwise through the SQLite3 ODBC driver to files.
#include <filesystem>

#include "backend.h"
#include "fixtures/servers.h"
#include "tempdir.h"

namespace {

std::string pgPort() {
    static std::string p = [] {
        const char* state = std::getenv("VLM_PG_STATE");
        return state ? vlm::test::readFile(std::string(state) + "/port") : std::string();
    }();
    return p;
}

vlm::engine::ConnectParams pgAdmin() {
    vlm::engine::ConnectParams p;
    p.target = "127.0.0.1:" + pgPort() + "/vlmtest";
    p.params["USER NAME"] = "pgtest";
    return p;
}

const vlm::contract::Backend* odbc() {
    static vlm::contract::Backend b = [] {
        vlm::contract::Backend b;
#ifdef ODBC_TO_POSTGRES
        b.name = "OdbcPostgres";
        b.unavailable = [] {
            if (!pgPort().empty()) return std::string();
            const char* state = std::getenv("VLM_PG_STATE");
            if (!state) return std::string("VLM_PG_STATE is not set: run the test through ctest");
            return "no PostgreSQL test server: " + vlm::test::readFile(std::string(state) + "/error");
        };
        b.freshDatabase = [] {
            std::string name = "cto" + std::to_string(::getpid()) + "_" + std::to_string(vlm::contract::nextDatabase());
            vlm::contract::execOn("POSTGRESQL", pgAdmin(), "CREATE DATABASE " + name);
            // The database name is a whole connection string; the login comes from the params.
            return "ODBC:DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=" + pgPort() + ";DATABASE=" + name + ";";
        };
        b.dropDatabase = [](const std::string& name) {
            auto at = name.find("DATABASE=") + 9;
            vlm::contract::execOn("POSTGRESQL", pgAdmin(),
                                  "DROP DATABASE IF EXISTS " + name.substr(at, name.find(';', at) - at) + " WITH (FORCE)");
        };
        b.params = {"USER NAME=pgtest"};
        // psqlODBC describes NUMERIC exactly, and BOOLEAN as a bit with BoolsAsChar=0 (which the
        // driver adds to PostgreSQL connection strings that do not set it).
        b.storedProcedures = true;
        b.createProcedure = {"create function \"CT_ADD\"(\"A\" integer, \"B\" integer, out \"S\" integer) "
                             "language sql as 'select \"A\" + \"B\"'"};
        b.tableName = [](const std::string& base) { return "public." + base; };   // listed with their schema
        b.syntaxErrorText = "syntax error at or near \"selec\"";
        b.longQuery = "select pg_sleep(60)";
#else
        b.name = "OdbcSqlite";
        b.freshDatabase = [] {
            return "ODBC:" + vlm::contract::tempDir() + "/db" + std::to_string(vlm::contract::nextDatabase()) + ".sqlite";
        };
        b.dropDatabase = [](const std::string& name) {
            std::error_code ec;
            std::filesystem::remove(name.substr(5), ec);
            std::filesystem::remove(vlm::contract::tempDir(), ec);   // once the last database is gone
        };
        b.params = {"ODBC DRIVER=SQLite3"};
        b.exactNumerics = false;   // the SQLite3 ODBC driver describes NUMERIC as DOUBLE
        b.storedProcedures = false;   // the SQLite3 ODBC driver has no procedures
        b.syntaxErrorText = "near \"selec\": syntax error";
        b.longQuery = "with recursive c(x) as (select 1 union all select x + 1 from c where x < 1000000000) "
                      "select count(*) from c";
#endif
        b.seekingTables = false;      // table cursors read forwards
        b.seekingQueries = false;     // results read forwards and keep what they read
        b.liveQueries = false;        // RequestLive query results are read-only here
        return b;
    }();
    return &b;
}

}  // namespace

using vlm::contract::Contract;
INSTANTIATE_TEST_SUITE_P(Odbc, Contract, ::testing::Values(odbc()), vlm::contract::backendName);
