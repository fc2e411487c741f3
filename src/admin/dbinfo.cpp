// The alias information (see dbinfo.h).
#include "admin/dbinfo.h"

#include "admin/configadmin.h"
#include "admin/sqlrun.h"
#include "engine/config.h"
#include "engine/database.h"
#include "engine/error.h"
#include "shell/language.h"

namespace vlm::admin {

using panels::ServerKind;

std::vector<std::string> serverVersionSql(const std::string& driverName, ServerKind kind) {
    if (kind == ServerKind::MSSQL) return {"select substring(@@version,1,charindex(char(0x0a),@@version)-1)"};
    if (kind == ServerKind::ORACLE) return {"select VERSION_TEXT from SM$VERSION", "SELECT * FROM SYS.V_$VERSION"};
    std::string d = engine::upperAscii(driverName);
    if (d == "SQLITE") return {"select 'SQLite ' || sqlite_version()"};
    if (d == "POSTGRESQL") return {"select version()"};
    if (kind == ServerKind::INTERBASE)
        return {"select 'Firebird ' || rdb$get_context('SYSTEM', 'ENGINE_VERSION') from rdb$database"};
    return {};
}

std::string serverVersionText(ServerKind kind, const std::vector<std::string>& firstValues) {
    if (firstValues.empty()) return {};
    if (kind == ServerKind::ORACLE && firstValues.size() >= 2)
        return firstValues[1] + " ( Oracle " + firstValues[0] + " )";
    return firstValues.front();
}

DbInfo readDbInfo(engine::Session& session, const std::string& databaseName, engine::Database* db) {
    DbInfo info;
    info.aliasName = databaseName;
    info.driverName = panels::driverNameOf(session, databaseName);
    info.engineVersion = shell::pick("Версия BDE: ", "BDE Version: ") + session.engineVersion();
    info.databaseType = session.databaseType(info.driverName);
    if (session.isAlias(databaseName)) info.aliasParams = maskedLines(session.aliasParams(databaseName));
    try {
        info.driverParams = maskedLines(session.driverParams(info.driverName));
    } catch (const engine::EngineError&) {
        // a driver the configuration does not know has no open parameters to show
    }
    info.driverInit = maskedLines(configLines(session, engine::Config::driverInitPath(info.driverName)));

    ServerKind kind = panels::serverKindOfDriver(info.driverName);
    auto statements = serverVersionSql(info.driverName, kind);
    if (db && !statements.empty()) {
        try {
            std::vector<std::string> values;
            for (const auto& sql : statements) {
                TextRows r = selectRows(*db, sql);
                values.push_back(r.rows.empty() || r.rows[0].empty() ? std::string() : r.rows[0][0]);
            }
            std::string text = serverVersionText(kind, values);
            if (!text.empty()) info.databaseType = text;
        } catch (const std::exception&) {
            // a server that refuses the version query keeps the driver's database type
        }
    }
    return info;
}

}  // namespace vlm::admin
