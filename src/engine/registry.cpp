// The name-keyed driver registry.
#include "registry.h"

#include <algorithm>
#include <cctype>

#include "error.h"

namespace vlm::engine {
namespace {
std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}
}  // namespace

void DriverRegistry::add(const std::string& name, Factory factory) {
    factories_[upper(name)] = std::move(factory);
}

bool DriverRegistry::has(const std::string& name) const { return factories_.count(upper(name)) != 0; }

std::unique_ptr<Driver> DriverRegistry::create(const std::string& name) const {
    auto it = factories_.find(upper(name));
    if (it == factories_.end())
        throw EngineError(ErrorCategory::Driver, errc::UnknownDriver,
                          {"Unknown driver: " + name});
    return it->second();
}

std::vector<std::string> DriverRegistry::names() const {
    std::vector<std::string> out;
    for (const auto& [k, _] : factories_) out.push_back(k);
    return out;
}

}  // namespace vlm::engine
