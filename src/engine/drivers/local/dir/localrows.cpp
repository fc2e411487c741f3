// The local directory driver's default open parameters.
#include "localrows.h"

namespace vlm::engine::local {

DriverRegistry::DriverInfo driverRows(DriverRegistry::Factory factory) {
    DriverRegistry::DriverInfo info;
    info.factory = std::move(factory);
    info.openParams = {"PATH=", "DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
    return info;
}

}  // namespace vlm::engine::local
