// The engine session "Default": the configuration (aliases, drivers, system settings read from
// IDAPI32.CFG), the drivers, the open databases and the trace hook. One per process.
//
//   auto& s = Session::defaultSession();
//   for (auto& name : s.databaseNames()) ...
//   s.aliasDriverName("DEMO");            // "SQLITE"; throws EngineError for a name that is no alias
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "driver.h"
#include "error.h"
#include "trace.h"
#include "types.h"

namespace vlm::engine {

class Config;
class Database;
class DriverRegistry;

// How aliases added through the session are kept: Persistent ones are written by
// saveConfigFile(), Session ones live until the process ends, Virtual means both kinds are seen.
enum class ConfigMode { Virtual, Persistent, Session };

struct LanguageDriver {
    std::string shortName;     // "ANCYRR", "DBWINUS0"
    std::string description;   // "Pdox ANSI Cyrillic"
    std::string codePage;      // iconv name, "CP1251"
};

class Session {
public:
    explicit Session(DriverRegistry& drivers);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The process's session, with the drivers of this build and the configuration file beside
    // the program or named by VLM_ENGINE_CFG, loaded on first use.
    static Session& defaultSession();
    const std::string& sessionName() const { return name_; }   // "Default"

    // Configuration file. load() never throws: problems are kept in configErrors() (file and
    // line) and the session starts with what could be read, or the built-in defaults.
    void loadConfig(const std::string& path);
    const std::string& configPath() const;
    const std::vector<std::string>& configErrors() const;
    Config& config();
    void saveConfigFile();                     // throws EngineError naming the file
    ConfigMode configMode() const;
    void setConfigMode(ConfigMode mode);

    // Names and parameters. Parameter lists are "NAME=value" lines.
    std::vector<std::string> databaseNames();  // aliases + open non-directory databases, sorted, unique
    std::vector<std::string> aliasNames();
    std::vector<std::string> driverNames();
    bool isAlias(const std::string& name);
    std::string aliasDriverName(const std::string& alias);   // throws UnknownAlias
    std::vector<std::string> aliasParams(const std::string& alias);
    std::vector<std::string> driverParams(const std::string& driver);   // its DB OPEN lines
    // Sets the given "NAME=value" lines of a driver's DB OPEN section (the defaults of new aliases).
    void modifyDriverParams(const std::string& driver, const std::vector<std::string>& params);
    // Lines of a configuration path such as "\SYSTEM\INIT" or "\DRIVERS\INTRBASE\DB OPEN".
    std::vector<std::string> configParams(const std::string& path);
    void addAlias(const std::string& name, const std::string& driver, const std::vector<std::string>& params);
    void modifyAlias(const std::string& name, const std::vector<std::string>& params);
    void deleteAlias(const std::string& name);
    void addStandardAlias(const std::string& name, const std::string& path, const std::string& defaultDriver);

    std::string databaseType(const std::string& driver);   // the driver's description
    std::string engineVersion() const;
    std::vector<LanguageDriver> languageDrivers() const;

    // Tables of a database name (alias or directory) with the extended attributes.
    std::vector<TableEntry> tableNames(const std::string& database, bool includeSystem,
                                       const std::vector<std::string>& params = {});
    std::vector<std::string> storedProcNames(const std::string& database,
                                             const std::vector<std::string>& params = {});

    // Resolves a database name to its driver and connection parameters (alias parameters,
    // then the given "NAME=value" lines on top). A name that is no alias is a directory, or
    // "DRIVER:TARGET" for a database that is no alias ("SQLITE:/data/x.sqlite").
    std::string driverNameOf(const std::string& database);   // "STANDARD" for a directory
    std::unique_ptr<Connection> connect(const std::string& database, const std::vector<std::string>& params);

    // Trace hook: texts of the categories in mask reach the callback (any thread).
    void setTraceCallback(TraceCallback callback);
    void setTraceMask(std::uint32_t mask);
    std::uint32_t traceMask() const;
    Tracer& tracer();

    DriverRegistry& drivers() { return drivers_; }

    // Open databases register themselves here (Database does it); used by databaseNames() and
    // by queries that name a database by an open Database's name.
    void registerDatabase(Database* db);
    void unregisterDatabase(Database* db);
    Database* findDatabase(const std::string& name);

private:
    struct Impl;
    std::string name_ = "Default";
    DriverRegistry& drivers_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vlm::engine
