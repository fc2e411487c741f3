// The users and privileges windows' statements, per server kind, and the runs with their error
// rules: SQLBase users and their three authorities, the Oracle and MS SQL user lists, the Oracle
// table privileges with their GRANT texts, and Firebird's users and roles.
//   auto st = sqlbaseNewUser({"CLERK", "secret", true, false});   // GRANT CONNECT ..., GRANT RESOURCE ...
#pragma once

#include <string>
#include <vector>

namespace vlm::engine {
class Database;
}

namespace vlm::admin {

// --- Catalog reads.
inline constexpr const char* kOracleUsersSql = "Select USERNAME,CREATED From SYS.ALL_USERS Order By USERNAME";
inline constexpr const char* kMssqlUsersSql =
    "SELECT A.uid,case A.name when 'dbo' then 'sa'  else A.name end, A.password FROM dbo.sysusers A order by A.name";
inline constexpr const char* kSqlbaseUsersSql =
    "Select NAME,@DECRYPT(PASSWORD),RESOURCEAUTH,DBAAUTH From SYSADM.SYSUSERAUTH Order By NAME";
inline constexpr const char* kOracleUserNamesSql = "Select USERNAME From SYS.ALL_USERS Order By USERNAME";
inline constexpr const char* kOracleRoleNamesSql = "Select ROLE From SYS.DBA_ROLES Order By ROLE";

// The table privileges list; with a grantee filter the WHERE line takes the parameter OWNER.
std::string tablePrivilegesSql(bool filtered);

// --- Names typed by the user. An identifier is letters, digits, '_', '$', '#', starting with a
// letter; anything else is refused before a statement is built, as it would change the statement.
bool isPlainIdentifier(const std::string& name);
// Throws EngineError ("Недопустимое имя: X" / "Invalid name: X") when the name is not plain.
void checkIdentifier(const std::string& name);

// --- SQLBase authorities.
struct SqlbaseUser {
    std::string name;
    std::string password;
    bool connect = true;
    bool resource = false;
    bool dba = false;
};
// Empty when the trimmed name or password is empty or Connect is not checked (nothing to save).
std::vector<std::string> sqlbaseNewUser(const SqlbaseUser& u);
// The checked authorities in the order Connect, Resource, DBA, granted or revoked.
std::vector<std::string> sqlbaseModifyUser(const SqlbaseUser& u, bool grant);
// Whether the statements revoke CONNECT, which locks the user out (the window asks first).
bool revokesConnect(const SqlbaseUser& u, bool grant);
// An authority column's value that means held: "Y" or "G".
bool authorityHeld(const std::string& value);

// Runs the statements in one transaction; a failing one rolls all back and is rethrown.
void runInTransaction(engine::Database& db, const std::vector<std::string>& statements);
// Runs each statement by itself; returns the errors of those that failed (the rest still run).
std::vector<std::string> runEach(engine::Database& db, const std::vector<std::string>& statements);

// --- Firebird users (the security database) and roles.
inline constexpr const char* kFbUsersSql =
    "SELECT TRIM(SEC$USER_NAME), SEC$FIRST_NAME, SEC$LAST_NAME, SEC$ADMIN FROM SEC$USERS ORDER BY SEC$USER_NAME";
inline constexpr const char* kFbRolesSql =
    "SELECT TRIM(RDB$ROLE_NAME), TRIM(RDB$OWNER_NAME) FROM RDB$ROLES "
    "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY RDB$ROLE_NAME";
inline constexpr const char* kFbRoleGranteesSql =
    "SELECT TRIM(RDB$RELATION_NAME), TRIM(RDB$USER), TRIM(RDB$GRANTOR), RDB$GRANT_OPTION FROM RDB$USER_PRIVILEGES "
    "WHERE RDB$PRIVILEGE = 'M' AND RDB$OBJECT_TYPE = 13 ORDER BY RDB$RELATION_NAME, RDB$USER";

// A user or role name as Firebird reads it: a plain upper-case identifier stays, any other text
// in double quotes (inner quotes doubled). A string literal with its quotes doubled.
std::string fbName(const std::string& name);
std::string sqlLiteral(const std::string& text);
// Each throws EngineError for an empty name (or an empty password where one is needed).
std::string fbCreateUser(const std::string& user, const std::string& password);
std::string fbChangePassword(const std::string& user, const std::string& password);
std::string fbDropUser(const std::string& user);
std::string fbCreateRole(const std::string& role);
std::string fbDropRole(const std::string& role);
std::string fbGrantRole(const std::string& role, const std::string& user);
std::string fbRevokeRole(const std::string& role, const std::string& user);

}  // namespace vlm::admin
