// The name-keyed driver registry and what it answers for the drivers: column types and the
// default open parameters.
#include "registry.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "error.h"

namespace vlm::engine {
namespace {
std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

// Set before main() by the generated driver list; constant-initialized, so it is null until then.
DriverRegistry::Installer g_installer = nullptr;
}  // namespace

void DriverRegistry::add(const std::string& name, DriverInfo info) {
    if (!info.factory) throw std::invalid_argument("Driver " + name + ": no factory");
    if (info.columnTypes && !info.columnTypes->complete())
        throw std::invalid_argument("Driver " + name + ": a type class without its column type");
    for (auto& w : info.nameWords) w = upper(w);
    drivers_[upper(name)] = std::move(info);
}

void DriverRegistry::add(const std::string& name, Factory factory) {
    DriverInfo info;
    info.factory = std::move(factory);
    add(name, std::move(info));
}

bool DriverRegistry::has(const std::string& name) const { return drivers_.count(upper(name)) != 0; }

const DriverRegistry::DriverInfo* DriverRegistry::info(const std::string& name) const {
    auto it = drivers_.find(upper(name));
    return it == drivers_.end() ? nullptr : &it->second;
}

std::unique_ptr<Driver> DriverRegistry::create(const std::string& name) const {
    const DriverInfo* i = info(name);
    if (!i)
        throw EngineError(ErrorCategory::Driver, errc::UnknownDriver,
                          {"Unknown driver: " + name});
    return i->factory();
}

std::vector<std::string> DriverRegistry::names() const {
    std::vector<std::string> out;
    for (const auto& [k, _] : drivers_) out.push_back(k);
    return out;
}

const NativeTypeRows& DriverRegistry::columnTypesFor(const std::string& driverName) const {
    if (const DriverInfo* own = info(driverName); own && own->columnTypes) return *own->columnTypes;
    const std::string up = upper(driverName);
    const DriverInfo* byWord = nullptr;
    const DriverInfo* generic = nullptr;
    for (const auto& [_, d] : drivers_) {
        if (!d.columnTypes) continue;
        if (d.genericColumnTypes && !generic) generic = &d;
        if (byWord && byWord->nameRank <= d.nameRank) continue;
        if (std::any_of(d.nameWords.begin(), d.nameWords.end(),
                        [&](const std::string& w) { return up.find(w) != std::string::npos; }))
            byWord = &d;
    }
    if (byWord) return *byWord->columnTypes;
    if (generic) return *generic->columnTypes;
    throw EngineError(ErrorCategory::Driver, errc::UnknownDriver,
                      {"No driver of this build gives column types for the driver " + driverName});
}

std::vector<std::string> DriverRegistry::openParams(const std::string& driverName) const {
    if (const DriverInfo* i = info(driverName); i && !i->openParams.empty()) return i->openParams;
    return {"SERVER NAME=", "USER NAME="};
}

void DriverRegistry::setStandardInstaller(Installer fill) { g_installer = fill; }

DriverRegistry& DriverRegistry::standard() {
    static DriverRegistry r = [] {
        DriverRegistry filled;
        if (g_installer) g_installer(filled);
        return filled;
    }();
    return r;
}

}  // namespace vlm::engine
