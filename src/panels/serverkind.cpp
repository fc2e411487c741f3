// Server kinds by driver name and the Oracle version query.
#include "panels/serverkind.h"

#include <exception>

#include "engine/database.h"
#include "engine/query.h"
#include "engine/session.h"
#include "panels/names.h"

namespace vlm::panels {

const char* serverKindName(ServerKind kind) {
    switch (kind) {
    case ServerKind::STANDARD: return "STANDARD";
    case ServerKind::ORACLE: return "ORACLE";
    case ServerKind::SQLBASE: return "SQLBASE";
    case ServerKind::INTERBASE: return "INTERBASE";
    case ServerKind::MSSQL: return "MSSQL";
    case ServerKind::OTHER: return "OTHER";
    }
    return "OTHER";
}

ServerKind serverKindOfDriver(std::string_view driverName) {
    std::string d = upperName(driverName);
    auto has = [&](const char* w) { return d.find(w) != std::string::npos; };
    if (has("ORACLE")) return ServerKind::ORACLE;
    if (has("STANDARD")) return ServerKind::STANDARD;
    if (has("SQLBASE")) return ServerKind::SQLBASE;
    if (has("MSSQL")) return ServerKind::MSSQL;
    if (has("INTRBASE") || has("INTERBASE")) return ServerKind::INTERBASE;
    return ServerKind::OTHER;
}

std::string driverNameOf(engine::Session& session, const std::string& databaseName) {
    try {
        std::string d = session.driverNameOf(databaseName);
        return d.empty() ? std::string("STANDARD") : d;
    } catch (const std::exception&) {
        // A name the session cannot resolve is taken as a local directory, as an empty
        // driver name is; opening it reports the error.
        return "STANDARD";
    }
}

ServerKind serverKindOf(engine::Session& session, const std::string& databaseName) {
    return serverKindOfDriver(driverNameOf(session, databaseName));
}

std::string oracleVersionFromBanner(std::string_view banner) {
    std::string u = upperName(banner);
    auto p = u.find("ORACLE");
    if (p == std::string::npos) return "7";
    p += 6;
    // The one character after the word ("Oracle8" -> "8"; a banner ending in the word gives "").
    return p < banner.size() ? std::string(1, banner[p]) : std::string();
}

std::string oracleVersion(engine::Database& db) {
    try {
        engine::Query q;
        q.setDatabase(&db);
        q.setSql(kOracleVersionSql);
        q.open();
        std::string banner;
        if (!q.eof() && q.fieldCount() > 0) banner = q.field(0).asString();
        q.close();
        return oracleVersionFromBanner(banner);
    } catch (const std::exception&) {
        // No version view (no rights, or not an ORACLE server after all): the version is
        // unknown and the table information shows none.
        return {};
    }
}

}  // namespace vlm::panels
