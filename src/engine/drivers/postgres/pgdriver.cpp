// The "POSTGRESQL" driver: connects through libpq.
//
// Database (target): "host:port/dbname", "host/dbname", "dbname", or a libpq connection string
// ("host=... dbname=..." or "postgresql://..."). Alias parameters fill what the target leaves
// out: "SERVER NAME" or "HOST", "PORT", "DATABASE NAME"; the login is "USER NAME" and
// "PASSWORD". "CONNECT TIMEOUT" (seconds, default 10) bounds the connect; TCP keepalives
// notice a dropped connection within about half a minute.
#include <memory>

#include "engine/registry.h"
#include "pgconnection.h"
#include "pgsupport.h"

namespace vlm::engine::postgres {
namespace {

class PgDriver : public Driver {
public:
    std::string name() const override { return "POSTGRESQL"; }
    std::string description() const override { return "PostgreSQL database"; }

    std::unique_ptr<Connection> connect(const ConnectParams& p, Tracer& tracer) override {
        std::vector<std::pair<std::string, std::string>> kv;
        std::string target = p.target;
        bool conninfo = target.find('=') != std::string::npos ||
                        (target.rfind("postgres", 0) == 0 && target.find("://") != std::string::npos);
        std::string host = p.param("HOST", p.param("SERVER NAME"));
        std::string port = p.param("PORT");
        std::string db = p.param("DATABASE NAME");
        if (conninfo) {
            kv.emplace_back("dbname", target);   // libpq expands a connection string given as dbname
        } else if (!target.empty()) {
            auto hostAndPort = [&](const std::string& hp) {
                auto colon = hp.rfind(':');
                if (colon != std::string::npos) {
                    host = hp.substr(0, colon);
                    port = hp.substr(colon + 1);
                } else {
                    host = hp;
                }
            };
            auto slash = target.find('/');
            if (slash != std::string::npos) {
                hostAndPort(target.substr(0, slash));
                db = target.substr(slash + 1);
            } else if (!db.empty() && target == p.param("SERVER NAME")) {
                // An alias of "SERVER NAME=host[:port]" beside "DATABASE NAME=db": the target
                // the session took from the server name is the host.
                hostAndPort(target);
            } else {
                db = target;
            }
        }
        if (!conninfo && !db.empty()) kv.emplace_back("dbname", db);
        if (!host.empty()) kv.emplace_back("host", host);
        if (!port.empty()) kv.emplace_back("port", port);
        std::string user = p.param("USER NAME");
        if (!user.empty()) kv.emplace_back("user", user);
        std::string password = p.param("PASSWORD");
        if (!password.empty()) kv.emplace_back("password", password);
        kv.emplace_back("connect_timeout", p.param("CONNECT TIMEOUT", "10"));
        kv.emplace_back("keepalives", "1");
        kv.emplace_back("keepalives_idle", "10");
        kv.emplace_back("keepalives_interval", "5");
        kv.emplace_back("keepalives_count", "3");
        kv.emplace_back("tcp_user_timeout", "30000");
        kv.emplace_back("client_encoding", "UTF8");
        kv.emplace_back("application_name", "Vlm32");
        kv.emplace_back("options", "-c DateStyle=ISO -c IntervalStyle=iso_8601 -c extra_float_digits=3");

        std::vector<const char*> keys, values;
        for (const auto& [k, v] : kv) {
            keys.push_back(k.c_str());
            values.push_back(v.c_str());
        }
        keys.push_back(nullptr);
        values.push_back(nullptr);

        if (tracer.wants(TraceConnect))
            tracer.trace(TraceConnect, "connect " + (host.empty() ? std::string("local") : host) +
                                          (port.empty() ? "" : ":" + port) + "/" + (conninfo ? "?" : db) +
                                          (user.empty() ? "" : " as " + user));
        PGconn* c = PQconnectdbParams(keys.data(), values.data(), conninfo ? 1 : 0);
        if (!c || PQstatus(c) != CONNECTION_OK) {
            // libpq's text never holds the password; the engine adds what it tried to reach.
            const std::string what =
                "Cannot connect to the PostgreSQL database " + (conninfo ? std::string("(connection string)") : db);
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
    r.add("POSTGRESQL", [] { return std::make_unique<postgres::PgDriver>(); });
}
}  // namespace vlm::engine
