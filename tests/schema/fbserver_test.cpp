// The create window's and the structure editor's statements on a Firebird server.
#include <gtest/gtest.h>
#include <unistd.h>

#include "fixtures/servers.h"
#include "runcases.h"

namespace vlm::schema {
namespace {

TEST(Run, FirebirdServer) {
    std::string port = vlm::test::serverPort("VLM_FB_STATE");
    if (port.empty()) return;
    const std::string state = std::getenv("VLM_FB_STATE");
    engine::Database db;
    db.setDatabaseName("INTRBASE:127.0.0.1/" + port + ":" + vlm::test::readFile(state + "/datadir") + "/schema_" +
                       std::to_string(::getpid()) + ".fdb");
    db.params() = {"USER NAME=" + vlm::test::readFile(state + "/user"),
                   "PASSWORD=" + vlm::test::readFile(state + "/password"), "CREATE=TRUE"};
    db.open();
    test::firebirdRuns(db);
}

}  // namespace
}  // namespace vlm::schema
