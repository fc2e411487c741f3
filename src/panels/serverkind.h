// Server kinds: the classification of a database by its engine driver name, and the Oracle
// major version read from the server's banner. Plain C++ over the engine.
//   serverKindOfDriver("INTRBASE") == ServerKind::INTERBASE
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vlm::engine {
class Database;
class Session;
}

namespace vlm::panels {

enum class ServerKind : std::uint8_t { STANDARD = 0, ORACLE = 1, SQLBASE = 2, INTERBASE = 3, MSSQL = 4, OTHER = 5 };

const char* serverKindName(ServerKind kind);   // "STANDARD", "ORACLE", ...

// The words are tested on the upper-case driver name in this order, the first hit deciding:
// ORACLE, STANDARD, SQLBASE, MSSQL, INTRBASE or INTERBASE; anything else is OTHER.
ServerKind serverKindOfDriver(std::string_view driverName);

// The session's driver name of a database name; "STANDARD" when the engine rejects the name.
std::string driverNameOf(engine::Session& session, const std::string& databaseName);
ServerKind serverKindOf(engine::Session& session, const std::string& databaseName);

inline constexpr const char* kOracleVersionSql = "SELECT * FROM SYS.V_$VERSION";
// The character after the first "ORACLE" of the banner (upper case compared); "7" when the
// banner names no Oracle.
std::string oracleVersionFromBanner(std::string_view banner);
// Runs the version query on the database; empty when the query fails. Never throws.
std::string oracleVersion(engine::Database& db);

}  // namespace vlm::panels
