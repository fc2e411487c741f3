// The engine session: configuration (persistent and session-only aliases), database name
// resolution, driver instances, open databases and the trace hook.
#include "session.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "config.h"
#include "database.h"
#include "registry.h"

namespace vlm::engine {

namespace {

constexpr const char* kEngineVersion = "100";   // 1.00, shown as a decimal integer
constexpr const char* kStandard = "STANDARD";

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

[[noreturn]] void unknownAlias(const std::string& name) {
    throw EngineError(ErrorCategory::Config, errc::UnknownAlias, {"Unknown alias: " + name});
}

// The session's tracer: the mask is read without a lock on every wants(); the callback runs
// under a mutex so two engine threads never call it at the same time.
class SessionTracer : public Tracer {
public:
    bool wants(TraceCategory c) const override {
        return (mask_.load(std::memory_order_relaxed) & c) != 0 && hasCallback_.load(std::memory_order_relaxed);
    }
    void trace(TraceCategory c, const std::string& text) override {
        if (!wants(c)) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (callback_) callback_(c, text);
    }
    void setCallback(TraceCallback cb) {
        std::lock_guard<std::mutex> lock(mutex_);
        callback_ = std::move(cb);
        hasCallback_ = static_cast<bool>(callback_);
    }
    void setMask(std::uint32_t m) { mask_ = m; }
    std::uint32_t mask() const { return mask_; }

private:
    std::atomic<std::uint32_t> mask_{0};
    std::atomic<bool> hasCallback_{false};
    mutable std::mutex mutex_;
    TraceCallback callback_;
};

bool isRegularFile(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool startsWithSqliteHeader(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    char buf[16] = {};
    if (!f.read(buf, 16)) return false;
    return std::memcmp(buf, "SQLite format 3\0", 16) == 0;
}

std::string extensionOf(const std::string& path) {
    auto slash = path.find_last_of("/\\");
    auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return upperAscii(path.substr(dot + 1));
}

// "host:/path", "host/port:/path" or "host:C:\path": a database on a Firebird server.
bool looksLikeServerPath(const std::string& name) {
    auto colon = name.find(':');
    if (colon == std::string::npos || colon < 2 || colon + 1 >= name.size()) return false;
    std::string host = name.substr(0, colon);
    auto slash = host.find('/');
    if (slash != std::string::npos) {
        std::string port = host.substr(slash + 1);
        host = host.substr(0, slash);
        if (port.empty() || !std::all_of(port.begin(), port.end(), [](unsigned char c) {
                return std::isalnum(c) || c == '_' || c == '-';
            }))
            return false;
    }
    if (host.empty() || !std::all_of(host.begin(), host.end(), [](unsigned char c) {
            return std::isalnum(c) || c == '.' || c == '-' || c == '_' || c == '[' || c == ']';
        }))
        return false;
    return true;
}

}  // namespace

struct Session::Impl {
    mutable std::recursive_mutex mutex;
    std::string configPath;
    std::vector<std::string> configErrors;
    Config persistent;              // what the configuration file holds (and saveConfigFile writes)
    Config sessionOnly;             // aliases added in Session mode: never saved
    ConfigMode mode = ConfigMode::Virtual;
    SessionTracer tracer;
    std::map<std::string, std::unique_ptr<Driver>> driverInstances;   // key: upper-case name
    std::vector<Database*> databases;

    // The configuration that holds an alias as the current mode sees it, or null.
    Config* aliasHome(const std::string& alias) {
        if (mode != ConfigMode::Persistent && sessionOnly.findAlias(alias)) return &sessionOnly;
        if (mode != ConfigMode::Session && persistent.findAlias(alias)) return &persistent;
        return nullptr;
    }
};

namespace {
// A driver's DB OPEN defaults: what it registered with the session's registry; a driver added
// there without them (a test's own factory) takes those of the build's driver of that name.
std::vector<std::string> openParamsOf(const DriverRegistry& drivers, const std::string& driver) {
    const DriverRegistry::DriverInfo* i = drivers.info(driver);
    return i && !i->openParams.empty() ? i->openParams : defaultDriverOpenParams(driver);
}
}  // namespace

Session::Session(DriverRegistry& drivers) : drivers_(drivers), impl_(std::make_unique<Impl>()) {
    impl_->persistent = Config::defaults();
    for (const auto& d : drivers_.names())
        impl_->persistent.ensureDriver(d, databaseType(d), openParamsOf(drivers_, d));
}

Session::~Session() = default;

namespace {
std::string programDirectory() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string p(buf, std::size_t(n));
    auto slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash == 0 ? 1 : slash);
}

std::string defaultConfigPath() {
    if (const char* env = std::getenv("VLM_ENGINE_CFG"); env && *env) return env;
    return programDirectory() + "/IDAPI32.CFG";
}
}  // namespace

Session& Session::defaultSession() {
    static Session* session = [] {
        auto* s = new Session(DriverRegistry::standard());   // lives until the process ends
        s->loadConfig(defaultConfigPath());
        return s;
    }();
    return *session;
}

void Session::loadConfig(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    impl_->configPath = path;
    impl_->configErrors.clear();
    Config c;
    if (!c.loadFile(path, impl_->configErrors)) c = Config();
    c.addMissingDefaults();
    for (const auto& d : drivers_.names()) c.ensureDriver(d, databaseType(d), openParamsOf(drivers_, d));
    impl_->persistent = std::move(c);
}

const std::string& Session::configPath() const { return impl_->configPath; }
const std::vector<std::string>& Session::configErrors() const { return impl_->configErrors; }
Config& Session::config() { return impl_->persistent; }

void Session::saveConfigFile() {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    if (impl_->configPath.empty())
        throw EngineError(ErrorCategory::Config, errc::ConfigBase,
                          {"Cannot save the configuration: no configuration file is named"});
    impl_->persistent.saveFile(impl_->configPath);
}

ConfigMode Session::configMode() const { return impl_->mode; }
void Session::setConfigMode(ConfigMode mode) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    impl_->mode = mode;
}

std::vector<std::string> Session::aliasNames() {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    std::vector<std::string> out;
    auto add = [&](const Config& c) {
        for (auto& a : c.aliasNames())
            if (std::none_of(out.begin(), out.end(), [&](auto& o) { return equalsNoCase(o, a); })) out.push_back(a);
    };
    if (impl_->mode != ConfigMode::Persistent) add(impl_->sessionOnly);
    if (impl_->mode != ConfigMode::Session) add(impl_->persistent);
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        return upperAscii(a) < upperAscii(b);
    });
    return out;
}

std::vector<std::string> Session::databaseNames() {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    std::vector<std::string> out = aliasNames();
    for (Database* db : impl_->databases) {
        const std::string& n = db->databaseName();
        if (n.empty() || equalsNoCase(driverNameOf(n), kStandard)) continue;
        if (std::none_of(out.begin(), out.end(), [&](auto& o) { return equalsNoCase(o, n); })) out.push_back(n);
    }
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        return upperAscii(a) < upperAscii(b);
    });
    return out;
}

std::vector<std::string> Session::driverNames() {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    std::vector<std::string> out = drivers_.names();
    for (auto& d : impl_->persistent.driverNames())
        if (std::none_of(out.begin(), out.end(), [&](auto& o) { return equalsNoCase(o, d); }))
            out.push_back(upperAscii(d));
    std::sort(out.begin(), out.end());
    return out;
}

bool Session::isAlias(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    return !trim(name).empty() && impl_->aliasHome(name) != nullptr;
}

std::string Session::aliasDriverName(const std::string& alias) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    Config* home = impl_->aliasHome(alias);
    if (!home) unknownAlias(alias);
    auto type = home->value(Config::aliasPath(*home->findAlias(alias)), "TYPE");
    return type && !type->empty() ? upperAscii(*type) : std::string(kStandard);
}

std::vector<std::string> Session::aliasParams(const std::string& alias) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    Config* home = impl_->aliasHome(alias);
    if (!home) unknownAlias(alias);
    std::vector<std::string> out;
    for (auto& line : home->params(Config::aliasPath(*home->findAlias(alias)))) {
        std::string n, v;
        splitParam(line, n, v);
        if (!equalsNoCase(n, "TYPE")) out.push_back(line);
    }
    return out;
}

std::vector<std::string> Session::driverParams(const std::string& driver) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    std::string path = Config::driverOpenPath(driver);
    if (!impl_->persistent.hasSection(path)) {
        if (!drivers_.has(driver) && !impl_->persistent.hasSection(Config::driverInitPath(driver)))
            throw EngineError(ErrorCategory::Driver, errc::UnknownDriver, {"Unknown driver: " + driver});
        return openParamsOf(drivers_, driver);
    }
    return impl_->persistent.params(path);
}

void Session::modifyDriverParams(const std::string& driver, const std::vector<std::string>& params) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    if (!drivers_.has(driver) && impl_->persistent.driverNames().end() ==
                                     std::find_if(impl_->persistent.driverNames().begin(),
                                                  impl_->persistent.driverNames().end(),
                                                  [&](auto& d) { return equalsNoCase(d, driver); }))
        throw EngineError(ErrorCategory::Driver, errc::UnknownDriver, {"Unknown driver: " + driver});
    impl_->persistent.mergeParams(Config::driverOpenPath(driver), params);
}

std::vector<std::string> Session::configParams(const std::string& path) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    if (impl_->mode != ConfigMode::Persistent && impl_->sessionOnly.hasSection(path))
        return impl_->sessionOnly.params(path);
    if (impl_->persistent.hasSection(path)) return impl_->persistent.params(path);
    throw EngineError(ErrorCategory::Config, errc::ConfigBase, {"Unknown configuration path: " + path});
}

namespace {
void checkAliasName(const std::string& name) {
    std::string t = trim(name);
    bool bad = t.empty();
    for (unsigned char c : t)
        if (c < 0x20 || c == '\\' || c == '[' || c == ']' || c == '=') bad = true;
    if (bad)
        throw EngineError(ErrorCategory::Config, errc::ConfigBase,
                          {"Invalid alias name: \"" + name + "\""});
}
}  // namespace

void Session::addAlias(const std::string& name, const std::string& driver, const std::vector<std::string>& params) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    checkAliasName(name);
    std::string alias = trim(name);
    if (impl_->persistent.findAlias(alias) || impl_->sessionOnly.findAlias(alias))
        throw EngineError(ErrorCategory::Config, errc::AliasExists, {"Alias already exists: " + alias});
    std::string drv = upperAscii(trim(driver));
    auto configured = impl_->persistent.driverNames();
    if (drv.empty() || (!drivers_.has(drv) && std::none_of(configured.begin(), configured.end(),
                                                           [&](auto& d) { return equalsNoCase(d, drv); })))
        throw EngineError(ErrorCategory::Driver, errc::UnknownDriver, {"Unknown driver: " + driver});
    Config& home = impl_->mode == ConfigMode::Session ? impl_->sessionOnly : impl_->persistent;
    std::string path = Config::aliasPath(alias);
    home.setValue(path, "TYPE", drv);
    // A new alias starts with its driver's DB OPEN parameters; the given ones go on top.
    home.mergeParams(path, driverParams(drv));
    home.mergeParams(path, params);
    home.removeValue(path, "TYPE");   // the given lines must not change the driver
    auto& s = home.section(path);
    s.lines.insert(s.lines.begin(), Config::Line{"TYPE=" + drv, "TYPE", drv});
}

void Session::modifyAlias(const std::string& name, const std::vector<std::string>& params) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    Config* home = impl_->aliasHome(name);
    if (!home) unknownAlias(name);
    std::string path = Config::aliasPath(*home->findAlias(name));
    std::vector<std::string> lines;
    for (const auto& l : params) {
        std::string n, v;
        if (splitParam(l, n, v) && !equalsNoCase(n, "TYPE")) lines.push_back(l);
    }
    home->mergeParams(path, lines);
}

void Session::deleteAlias(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    Config* home = impl_->aliasHome(name);
    if (!home) unknownAlias(name);
    home->removeSection(Config::aliasPath(*home->findAlias(name)));
}

void Session::addStandardAlias(const std::string& name, const std::string& path, const std::string& defaultDriver) {
    addAlias(name, kStandard,
             {"PATH=" + path, "DEFAULT DRIVER=" + (defaultDriver.empty() ? std::string("PARADOX") : defaultDriver)});
}

std::string Session::databaseType(const std::string& driver) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    std::string key = upperAscii(trim(driver));
    if (drivers_.has(key)) {
        auto& inst = impl_->driverInstances[key];
        if (!inst) inst = drivers_.create(key);
        return inst->description();
    }
    if (auto d = impl_->persistent.value(Config::driverInitPath(key), "DESCRIPTION")) return *d;
    return {};
}

std::string Session::engineVersion() const { return kEngineVersion; }

std::vector<LanguageDriver> Session::languageDrivers() const { return builtinLanguageDrivers(); }

std::string Session::driverNameOf(const std::string& database) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    std::string name = trim(database);
    if (name.empty()) return kStandard;
    if (impl_->aliasHome(name)) return aliasDriverName(name);
    // "DRIVER:TARGET" when the part before the colon is a driver of this build. A one-letter
    // prefix is a drive letter, and "host:/path" stays a server path.
    auto colon = name.find(':');
    // A PostgreSQL URI ("postgresql://host/db", "postgres://...") is the whole target.
    if (colon != std::string::npos && name.compare(colon, 3, "://") == 0 && drivers_.has("POSTGRESQL") &&
        (equalsNoCase(name.substr(0, colon), "postgresql") || equalsNoCase(name.substr(0, colon), "postgres")))
        return "POSTGRESQL";
    if (colon != std::string::npos && colon >= 2) {
        std::string prefix = name.substr(0, colon);
        if (drivers_.has(prefix)) return upperAscii(prefix);
    }
    bool haveFirebird = drivers_.has("INTRBASE");
    if (haveFirebird && looksLikeServerPath(name)) return "INTRBASE";
    if (isRegularFile(name)) {
        std::string ext = extensionOf(name);
        if (haveFirebird && (ext == "FDB" || ext == "GDB" || ext == "IB")) return "INTRBASE";
        if (drivers_.has("SQLITE") && startsWithSqliteHeader(name)) return "SQLITE";
    }
    return kStandard;
}

std::unique_ptr<Connection> Session::connect(const std::string& database, const std::vector<std::string>& params) {
    std::string name = trim(database);
    std::string driver;
    ConnectParams cp;
    cp.session = this;
    {
        std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
        auto put = [&](const std::string& line) {
            std::string n, v;
            if (splitParam(line, n, v) && !n.empty()) cp.params[upperAscii(n)] = v;
        };
        if (!name.empty() && impl_->aliasHome(name)) {
            driver = aliasDriverName(name);
            for (auto& l : aliasParams(name)) put(l);
            for (auto& l : params) put(l);
            cp.target = cp.param(targetParamName(driver));
            if (cp.target.empty() && driver != kStandard) cp.target = cp.param("DATABASE NAME");
        } else {
            driver = driverNameOf(name);
            std::string target = name;
            auto colon = name.find(':');
            if (colon != std::string::npos && colon >= 2 && equalsNoCase(name.substr(0, colon), driver) &&
                name.compare(colon, 3, "://") != 0)   // a URI whose scheme is the driver's name stays whole
                target = name.substr(colon + 1);
            for (auto& l : params) put(l);
            cp.target = target;
            // The name's target fills the target parameter only where the caller gave none: for
            // ODBC and PostgreSQL a "SERVER NAME" line names the host, not the database.
            cp.params.emplace(targetParamName(driver), target);
        }
    }
    if (!drivers_.has(driver))
        throw EngineError(ErrorCategory::Driver, errc::UnknownDriver,
                          {"Unknown driver: " + driver, name.empty() ? std::string() : "Database: " + name});
    Driver* d;
    {
        std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
        auto& inst = impl_->driverInstances[upperAscii(driver)];
        if (!inst) inst = drivers_.create(driver);
        d = inst.get();
    }
    try {
        return d->connect(cp, impl_->tracer);
    } catch (const EngineError& e) {
        if (impl_->tracer.wants(TraceError)) impl_->tracer.trace(TraceError, e.what());
        throw;
    }
}

std::vector<TableEntry> Session::tableNames(const std::string& database, bool includeSystem,
                                            const std::vector<std::string>& params) {
    if (Database* db = findDatabase(database); db && db->connected())
        return db->connection().tables(includeSystem);
    auto conn = connect(database, params);
    return conn->tables(includeSystem);
}

std::vector<std::string> Session::storedProcNames(const std::string& database, const std::vector<std::string>& params) {
    if (Database* db = findDatabase(database); db && db->connected())
        return db->connection().storedProcedures();
    auto conn = connect(database, params);
    return conn->storedProcedures();
}

void Session::setTraceCallback(TraceCallback callback) { impl_->tracer.setCallback(std::move(callback)); }
void Session::setTraceMask(std::uint32_t mask) { impl_->tracer.setMask(mask); }
std::uint32_t Session::traceMask() const { return impl_->tracer.mask(); }
Tracer& Session::tracer() { return impl_->tracer; }

void Session::registerDatabase(Database* db) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    if (std::find(impl_->databases.begin(), impl_->databases.end(), db) == impl_->databases.end())
        impl_->databases.push_back(db);
}

void Session::unregisterDatabase(Database* db) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    impl_->databases.erase(std::remove(impl_->databases.begin(), impl_->databases.end(), db), impl_->databases.end());
}

Database* Session::findDatabase(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
    std::string n = trim(name);
    if (n.empty()) return nullptr;
    for (Database* db : impl_->databases)
        if (equalsNoCase(db->databaseName(), n)) return db;
    return nullptr;
}

}  // namespace vlm::engine
