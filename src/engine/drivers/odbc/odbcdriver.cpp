// The ODBC drivers: "ODBC" (any data source) and "ORACLE", "MSSQL", "SQLBASE", which reach
// their servers through the vendor's ODBC driver; the driver name decides the server kind.
//
// Alias parameters (the database, i.e. the target, may be a whole connection string too):
//   "ODBC DSN"        a data source name (also taken from the target when no driver is named)
//   "ODBC DRIVER"     a driver of odbcinst.ini, e.g. "SQLite3", "PostgreSQL Unicode"
//   "SERVER NAME", "DATABASE NAME"   SERVER= and DATABASE= of a driver connection
//   "CONNECT STRING"  further attributes, appended as written ("PORT=5433;SSLmode=disable")
//   "USER NAME", "PASSWORD"          UID= and PWD=
//   "LOGIN TIMEOUT"   seconds, default 10
//   target "ORDERS" + "ODBC DRIVER=SQLite3"  ->  DRIVER={SQLite3};DATABASE=ORDERS
#include <algorithm>
#include <memory>

#include "engine/registry.h"
#include "odbcrows.h"
#include "odbcconnection.h"

namespace vlm::engine::odbc {
namespace {

std::string braced(const std::string& v) {
    if (v.find_first_of(";{}= ") == std::string::npos) return v;
    std::string out = "{";
    for (char c : v) {
        if (c == '}') out += '}';
        out += c;
    }
    return out + "}";
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

class OdbcDriver : public Driver {
public:
    explicit OdbcDriver(std::string name) : name_(std::move(name)) {}
    std::string name() const override { return name_; }
    std::string description() const override {
        if (name_ == "ORACLE") return "Oracle server (ODBC)";
        if (name_ == "MSSQL") return "Microsoft SQL Server (ODBC)";
        if (name_ == "SQLBASE") return "SQLBase server (ODBC)";
        return "ODBC data source";
    }

    std::unique_ptr<Connection> connect(const ConnectParams& p, Tracer& tracer) override {
        std::string dsn = p.param("ODBC DSN"), driver = p.param("ODBC DRIVER");
        std::string server = p.param("SERVER NAME"), db = p.param("DATABASE NAME");
        std::string cs, shown;
        if (p.target.find('=') != std::string::npos) {
            cs = p.target;
        } else if (!driver.empty()) {
            cs = "DRIVER={" + driver + "};";
            if (!server.empty()) cs += "SERVER=" + braced(server) + ";";
            if (db.empty()) db = p.target;
            if (!db.empty()) cs += "DATABASE=" + braced(db) + ";";
        } else {
            cs = "DSN=" + braced(dsn.empty() ? p.target : dsn) + ";";
        }
        std::string extra = p.param("CONNECT STRING");
        if (!extra.empty()) cs += (cs.empty() || cs.back() == ';' ? "" : ";") + extra;
        // psqlODBC reads the whole result unless it fetches through a declared cursor.
        // It describes booleans as VARCHAR(5) unless told otherwise (BoolsAsChar, short B5).
        if (upper(cs).find("POSTGRESQL") != std::string::npos) {
            if (upper(cs).find("USEDECLAREFETCH") == std::string::npos)
                cs += (cs.back() == ';' ? "" : ";") + std::string("UseDeclareFetch=1;Fetch=256;");
            if (upper(cs).find("BOOLSASCHAR") == std::string::npos && upper(cs).find("B5=") == std::string::npos)
                cs += (cs.back() == ';' ? "" : ";") + std::string("BoolsAsChar=0;");
        }
        shown = cs;
        std::string user = p.param("USER NAME"), password = p.param("PASSWORD");
        if (!user.empty()) {
            cs += (cs.back() == ';' ? "" : ";") + ("UID=" + braced(user) + ";");
            shown += "UID=" + user + ";";
        }
        if (!password.empty()) cs += (cs.back() == ';' ? "" : ";") + ("PWD=" + braced(password) + ";");

        auto s = std::make_shared<Session>();
        s->tracer = &tracer;
        s->secret = password;
        s->driverName = name_;
        s->env = Handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
        check(SQLSetEnvAttr(s->env.get(), SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0), SQL_HANDLE_ENV,
              s->env.get(), "Cannot set up ODBC");
        s->dbc = Handle(SQL_HANDLE_DBC, s->env.get());
        SQLULEN timeout = std::strtoul(p.param("LOGIN TIMEOUT", "10").c_str(), nullptr, 10);
        SQLSetConnectAttr(s->dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, (SQLPOINTER)timeout, 0);
        SQLSetConnectAttr(s->dbc.get(), SQL_ATTR_CONNECTION_TIMEOUT, (SQLPOINTER)SQLULEN(30), 0);
        s->trace(TraceConnect, "connect " + shown);
        SQLCHAR out[1024];
        SQLSMALLINT outLen = 0;
        SQLRETURN rc = SQLDriverConnect(s->dbc.get(), nullptr, (SQLCHAR*)cs.c_str(), SQL_NTS, out, sizeof out,
                                        &outLen, SQL_DRIVER_NOPROMPT);
        if (!ok(rc)) {
            EngineError e = odbcError(SQL_HANDLE_DBC, s->dbc.get(), "Cannot connect to the ODBC data source " + shown,
                                      password);
            s->trace(TraceError, e.what());
            throw e;
        }
        s->connected = true;
        return std::make_unique<OdbcConnection>(std::move(s));
    }

private:
    std::string name_;
};

}  // namespace
}  // namespace vlm::engine::odbc

namespace vlm::engine {
void vlm_register_odbc_driver(DriverRegistry& r) {
    for (const char* n : {"ODBC", "ORACLE", "MSSQL", "SQLBASE"})
        r.add(n, odbc::driverRows(n, [n] { return std::make_unique<odbc::OdbcDriver>(n); }));
}
}  // namespace vlm::engine
