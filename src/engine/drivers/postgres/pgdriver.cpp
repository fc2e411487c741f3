// The "POSTGRESQL" driver: connects through libpq.
//
// Database (target): "host:port/dbname", "host/dbname", "dbname", or a libpq connection string
// ("host=... port=... dbname=..." or "postgresql://user@host:port/dbname"). Alias parameters
// fill what the target leaves out: "SERVER NAME" or "HOST", "PORT", "DATABASE NAME"; the login
// is "USER NAME" and "PASSWORD" (they override a connection string's user and password). With
// no login at all libpq takes PGUSER and PGPASSWORD (or the operating system user), as psql does. "CONNECT TIMEOUT" (seconds, default 10) bounds the connect; TCP keepalives
// notice a dropped connection within about half a minute.
#include <libpq-fe.h>

#include <memory>

#include "engine/error.h"
#include "engine/registry.h"
#include "pgrows.h"
#include "pgconnection.h"
#include "pgsupport.h"

namespace vlm::engine::postgres {
namespace {

// A database target taken apart: a connection string's options (libpq's own parser reads both
// "key=value ..." and "postgresql://..."), or host, port and database of the short forms.
struct Target {
    std::vector<std::pair<std::string, std::string>> options;
    std::string host, port, db;
};

void splitHostPort(const std::string& hp, Target& t) {
    std::string h = hp;
    auto colon = h.rfind(':');
    auto bracket = h.rfind(']');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        t.port = h.substr(colon + 1);
        h = h.substr(0, colon);
    }
    if (h.size() >= 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);   // [::1]
    t.host = h;
}

Target parseTarget(const ConnectParams& p) {
    Target t;
    const std::string& target = p.target;
    bool uri = target.rfind("postgresql://", 0) == 0 || target.rfind("postgres://", 0) == 0;
    if (uri || target.find('=') != std::string::npos) {
        char* err = nullptr;
        PQconninfoOption* opts = PQconninfoParse(target.c_str(), &err);
        if (!opts) {
            std::string why = err ? err : "out of memory";
            if (err) PQfreemem(err);
            while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
            throw EngineError(ErrorCategory::Connect, errc::ConnectBase,
                              {"Invalid PostgreSQL connection string", why});
        }
        for (PQconninfoOption* o = opts; o->keyword; ++o)
            if (o->val && *o->val) t.options.emplace_back(o->keyword, o->val);
        PQconninfoFree(opts);
        return t;
    }
    if (target.empty()) return t;
    auto slash = target.find('/');
    if (slash != std::string::npos) {   // host:port/db, host/db
        splitHostPort(target.substr(0, slash), t);
        t.db = target.substr(slash + 1);
    } else if (target == p.param("SERVER NAME") && !p.param("DATABASE NAME").empty()) {
        // An alias of "SERVER NAME=host[:port]" beside "DATABASE NAME=db": the target the session
        // took from the server name is the host.
        splitHostPort(target, t);
    } else {
        t.db = target;   // db alone; a host comes from a "SERVER NAME" other than the target
        std::string server = p.param("SERVER NAME");
        if (!server.empty() && server != target) splitHostPort(server, t);
    }
    return t;
}

class PgDriver : public Driver {
public:
    std::string name() const override { return "POSTGRESQL"; }
    std::string description() const override { return "PostgreSQL database"; }

    std::unique_ptr<Connection> connect(const ConnectParams& p, Tracer& tracer) override {
        Target t = parseTarget(p);
        std::vector<std::pair<std::string, std::string>> kv = t.options;
        auto has = [&](const char* key) {
            for (const auto& [k, v] : kv)
                if (k == key && !v.empty()) return true;
            return false;
        };
        auto setOption = [&](const char* key, const std::string& value) {
            if (value.empty()) return;
            for (auto& [k, v] : kv)
                if (k == key) {
                    v = value;
                    return;
                }
            kv.emplace_back(key, value);
        };
        // What the target leaves out comes from the alias; the login given always wins.
        if (!has("host")) setOption("host", t.host.empty() ? p.param("HOST") : t.host);
        if (!has("port")) setOption("port", t.port.empty() ? p.param("PORT") : t.port);
        if (!has("dbname")) setOption("dbname", t.db.empty() ? p.param("DATABASE NAME") : t.db);
        setOption("user", p.param("USER NAME"));
        setOption("password", p.param("PASSWORD"));
        auto option = [&](const char* key) {
            for (const auto& [k, v] : kv)
                if (k == key) return v;
            return std::string();
        };
        const std::string host = option("host"), port = option("port"), db = option("dbname"), user = option("user");
        // The engine's defaults, where the connection string sets none; the engine reads UTF-8.
        auto setDefault = [&](const char* key, const std::string& value) {
            if (!has(key)) setOption(key, value);
        };
        setDefault("connect_timeout", p.param("CONNECT TIMEOUT", "10"));
        setDefault("keepalives", "1");
        setDefault("keepalives_idle", "10");
        setDefault("keepalives_interval", "5");
        setDefault("keepalives_count", "3");
        setDefault("tcp_user_timeout", "30000");
        setOption("client_encoding", "UTF8");
        setDefault("application_name", "Vlm32");
        setOption("options", option("options") + (option("options").empty() ? "" : " ") +
                                 "-c DateStyle=ISO -c IntervalStyle=iso_8601 -c extra_float_digits=3");

        std::vector<const char*> keys, values;
        for (const auto& [k, v] : kv) {
            keys.push_back(k.c_str());
            values.push_back(v.c_str());
        }
        keys.push_back(nullptr);
        values.push_back(nullptr);

        if (tracer.wants(TraceConnect))
            tracer.trace(TraceConnect, "connect " + (host.empty() ? std::string("local") : host) +
                                           (port.empty() ? "" : ":" + port) + "/" + db +
                                          (user.empty() ? "" : " as " + user));
        PGconn* c = PQconnectdbParams(keys.data(), values.data(), 0);
        if (!c || PQstatus(c) != CONNECTION_OK) {
            // libpq's text never holds the password; the engine adds what it tried to reach.
            const std::string what = "Cannot connect to the PostgreSQL database " +
                                     (db.empty() ? std::string("(the user's default)") : db);
            EngineError e = c ? pgError(c, nullptr, what)
                              : EngineError(ErrorCategory::Connect, errc::ConnectBase, {what, "out of memory"});
            if (c) PQfinish(c);
            if (tracer.wants(TraceError)) tracer.trace(TraceError, e.what());
            throw e;
        }
        PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);
        return std::make_unique<PgConnection>(std::make_shared<Session>(c, tracer));
    }
};

}  // namespace
}  // namespace vlm::engine::postgres

namespace vlm::engine {
void vlm_register_postgres_driver(DriverRegistry& r) {
    r.add("POSTGRESQL", postgres::driverRows([] { return std::make_unique<postgres::PgDriver>(); }));
}
}  // namespace vlm::engine
