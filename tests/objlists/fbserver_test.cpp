// The object lists' definition texts run again on the test Firebird server.
#include <gtest/gtest.h>
#include <unistd.h>

#include "fixtures/servers.h"
#include "roundtrip.h"

namespace vlm::objlists {
namespace {

TEST(RoundTrip, FirebirdServer) {
    std::string port = vlm::test::serverPort("VLM_FB_STATE");
    if (port.empty()) return;
    const std::string state = std::getenv("VLM_FB_STATE");
    const std::string dir = vlm::test::readFile(state + "/datadir"), host = "127.0.0.1/" + port + ":";
    const std::string user = vlm::test::readFile(state + "/user"), password = vlm::test::readFile(state + "/password");
    const std::string stem = dir + "/objlists_" + std::to_string(::getpid());
    test::FirebirdTarget a{"INTRBASE:" + host + stem + "_a.fdb", host + stem + "_a.fdb", user, password};
    test::FirebirdTarget b{"INTRBASE:" + host + stem + "_b.fdb", host + stem + "_b.fdb", user, password};
    test::firebirdRoundTrip(a, b, VLMTOOL_PATH);
}

}  // namespace
}  // namespace vlm::objlists
