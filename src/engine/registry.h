// A name-keyed registry of drivers. A driver registers, from its own folder, a factory and
// what the engine asks of it besides connections: its column types (for tables it creates
// from foreign definitions) and the DB OPEN parameters a new alias of it starts with.
// create() of an unknown name throws EngineError (UnknownDriver), never returns null.
//
//   registry.add("SQLITE", {.factory = [] { return std::make_unique<SqliteDriver>(); },
//                           .columnTypes = &kSqliteColumnTypes,
//                           .nameWords = {"SQLITE"}, .nameRank = 5,
//                           .openParams = {"SERVER NAME=", "OPEN MODE=READ/WRITE"}});
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"
#include "typemap.h"

namespace vlm::engine {

class DriverRegistry {
public:
    using Factory = std::function<std::unique_ptr<Driver>()>;

    struct DriverInfo {
        Factory factory;
        // The column types of tables the driver creates; null: none of its own (a driver name
        // without them takes the rows its words or the generic rows give).
        const NativeTypeRows* columnTypes = nullptr;
        // Other driver names that take these column types: a name containing one of the words
        // ("MY ORACLE ODBC" contains "ORACLE"). A name containing words of several drivers goes
        // to the lowest rank.
        std::vector<std::string> nameWords;
        int nameRank = 100;
        // These column types also serve every name no driver claims (generic SQL).
        bool genericColumnTypes = false;
        // The DB OPEN parameters, "NAME=value" in order; empty: the generic ones.
        std::vector<std::string> openParams;
    };

    // name is matched case-insensitively. Throws std::invalid_argument for an empty factory or
    // column types with a class left out.
    void add(const std::string& name, DriverInfo info);
    void add(const std::string& name, Factory factory);
    bool has(const std::string& name) const;
    std::unique_ptr<Driver> create(const std::string& name) const;
    std::vector<std::string> names() const;
    const DriverInfo* info(const std::string& name) const;   // null when not registered

    // The column types for a driver name: the driver's own, else those whose word the name
    // contains, else the generic ones. Throws EngineError (UnknownDriver) when there are none.
    const NativeTypeRows& columnTypesFor(const std::string& driverName) const;
    // The driver's DB OPEN parameters; the generic "SERVER NAME=", "USER NAME=" for a driver
    // that gives none or is not registered.
    std::vector<std::string> openParams(const std::string& driverName) const;

    // The registry with every driver this build has. The engine does not link its drivers:
    // the generated driver list of the build (vlm_drivers) installs its filling function
    // before main(), and the first call fills the registry with it. A program that does not
    // link vlm_drivers gets an empty registry.
    static DriverRegistry& standard();
    using Installer = void (*)(DriverRegistry&);
    static void setStandardInstaller(Installer fill);

private:
    std::map<std::string, DriverInfo> drivers_;   // key: upper-case name
};

}  // namespace vlm::engine
