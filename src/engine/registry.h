// A name-keyed registry of drivers. Drivers register a factory; create() of an unknown name
// throws EngineError (UnknownDriver), never returns null.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"

namespace vlm::engine {

class DriverRegistry {
public:
    using Factory = std::function<std::unique_ptr<Driver>()>;

    void add(const std::string& name, Factory factory);   // name is matched case-insensitively
    bool has(const std::string& name) const;
    std::unique_ptr<Driver> create(const std::string& name) const;
    std::vector<std::string> names() const;

    // The registry with every driver this build has (see drivers.cpp).
    static DriverRegistry& standard();

private:
    std::map<std::string, Factory> factories_;   // key: upper-case name
};

}  // namespace vlm::engine
