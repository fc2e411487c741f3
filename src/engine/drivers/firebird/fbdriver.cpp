// The Firebird driver: registered as "INTRBASE" and, for aliases of the other spelling,
// "INTERBASE". A plain path opens the file with the embedded engine (no server); "host:/path"
// and "host/port:/path" go to a server. The login is "USER NAME" and "PASSWORD"; with none given,
// ISC_USER and ISC_PASSWORD of the environment, as Firebird's own tools take them.
#include "engine/drivers/firebird/fbconnection.h"
#include "engine/registry.h"
#include "fbrows.h"

namespace vlm::engine {
namespace firebird {
namespace {

class FbDriver : public Driver {
public:
    std::string name() const override { return "INTRBASE"; }
    std::string description() const override { return "InterBase/Firebird database"; }
    std::unique_ptr<Connection> connect(const ConnectParams& params, Tracer& tracer) override {
        return std::make_unique<FbConnection>(params, tracer);
    }
};

}  // namespace
}  // namespace firebird

void registerFirebirdDriver(DriverRegistry& registry) {
    auto make = [] { return std::unique_ptr<Driver>(new firebird::FbDriver); };
    registry.add("INTRBASE", firebird::driverRows(make));
    registry.add("INTERBASE", firebird::driverRows(make));
}

}  // namespace vlm::engine
