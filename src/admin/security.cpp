// Users and privileges statements (see security.h).
#include "admin/security.h"

#include <cctype>

#include "admin/sqlrun.h"
#include "engine/database.h"
#include "engine/error.h"
#include "shell/language.h"

namespace vlm::admin {

namespace {
std::string trimmed(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}
[[noreturn]] void refuse(const std::string& ru, const std::string& en) {
    throw engine::EngineError(engine::ErrorCategory::Data, shell::pick(ru, en));
}
}  // namespace

std::string tablePrivilegesSql(bool filtered) {
    std::string sql =
        "select TABLE_SCHEMA||'.'||TABLE_NAME,PRIVILEGE,GRANTOR,GRANTEE,GRANTABLE,\n"
        "'GRANT '||PRIVILEGE||' ON '||TABLE_SCHEMA||'.'||TABLE_NAME||' TO '||GRANTEE||"
        "DECODE(GRANTABLE,'NO','',' WITH GRANT OPTION')\n"
        "from SYS.ALL_TAB_PRIVS";
    if (filtered) sql += "\nwhere GRANTEE= :OWNER";
    return sql;
}

bool isPlainIdentifier(const std::string& name) {
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '_' && c != '$' && c != '#') return false;
    return true;
}

void checkIdentifier(const std::string& name) {
    if (!isPlainIdentifier(name)) refuse("Недопустимое имя: " + name, "Invalid name: " + name);
}

std::vector<std::string> sqlbaseNewUser(const SqlbaseUser& u) {
    std::string name = trimmed(u.name), password = trimmed(u.password);
    if (name.empty() || password.empty() || !u.connect) return {};
    checkIdentifier(name);
    checkIdentifier(password);
    std::vector<std::string> out{"GRANT CONNECT TO " + name + " IDENTIFIED BY " + password};
    if (u.resource) out.push_back("GRANT RESOURCE TO " + name);
    if (u.dba) out.push_back("GRANT DBA TO " + name);
    return out;
}

std::vector<std::string> sqlbaseModifyUser(const SqlbaseUser& u, bool grant) {
    std::string name = trimmed(u.name), password = trimmed(u.password);
    checkIdentifier(name);
    std::vector<std::string> out;
    if (grant) {
        if (u.connect) {
            // A new CONNECT needs the password it sets; the old one is never read back.
            if (password.empty()) refuse("Введите пароль !", "Enter the password !");
            checkIdentifier(password);
            out.push_back("GRANT CONNECT TO " + name + " IDENTIFIED BY " + password);
        }
        if (u.resource) out.push_back("GRANT RESOURCE TO " + name);
        if (u.dba) out.push_back("GRANT DBA TO " + name);
    } else {
        if (u.connect) out.push_back("REVOKE CONNECT FROM " + name);
        if (u.resource) out.push_back("REVOKE RESOURCE FROM " + name);
        if (u.dba) out.push_back("REVOKE DBA FROM " + name);
    }
    return out;
}

bool revokesConnect(const SqlbaseUser& u, bool grant) { return !grant && u.connect; }

bool authorityHeld(const std::string& value) {
    std::string v = trimmed(value);
    return v == "Y" || v == "G" || v == "y" || v == "g";
}

void runInTransaction(engine::Database& db, const std::vector<std::string>& statements) {
    db.startTransaction();
    try {
        for (const auto& s : statements) execSql(db, s);
        db.commit();
    } catch (...) {
        try {
            db.rollback();
        } catch (const std::exception&) {
            // the statement's error is the one to show; a failed rollback ends with the connection
        }
        throw;
    }
}

std::vector<std::string> runEach(engine::Database& db, const std::vector<std::string>& statements) {
    std::vector<std::string> errors;
    for (const auto& s : statements) {
        try {
            execSql(db, s);
        } catch (const std::exception& e) {
            errors.push_back(s + ": " + e.what());
        }
    }
    return errors;
}

std::string fbName(const std::string& name) {
    std::string n = trimmed(name);
    bool plain = !n.empty() && std::isupper(static_cast<unsigned char>(n[0]));
    for (unsigned char c : n)
        if (!(std::isupper(c) || std::isdigit(c) || c == '_' || c == '$')) plain = false;
    if (plain) return n;
    std::string q = "\"";
    for (char c : n) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

std::string sqlLiteral(const std::string& text) {
    std::string q = "'";
    for (char c : text) {
        if (c == '\'') q += '\'';
        q += c;
    }
    return q + "'";
}

namespace {
std::string needName(const std::string& name) {
    std::string n = trimmed(name);
    if (n.empty()) refuse("Не задано имя !", "The name is empty !");
    for (unsigned char c : n)
        if (c < 0x20) refuse("Недопустимое имя: " + n, "Invalid name: " + n);
    return fbName(n);
}
std::string needPassword(const std::string& password) {
    if (password.empty()) refuse("Введите пароль !", "Enter the password !");
    return sqlLiteral(password);
}
}  // namespace

std::string fbCreateUser(const std::string& user, const std::string& password) {
    return "CREATE USER " + needName(user) + " PASSWORD " + needPassword(password);
}
std::string fbChangePassword(const std::string& user, const std::string& password) {
    return "ALTER USER " + needName(user) + " PASSWORD " + needPassword(password);
}
std::string fbDropUser(const std::string& user) { return "DROP USER " + needName(user); }
std::string fbCreateRole(const std::string& role) { return "CREATE ROLE " + needName(role); }
std::string fbDropRole(const std::string& role) { return "DROP ROLE " + needName(role); }
std::string fbGrantRole(const std::string& role, const std::string& user) {
    return "GRANT " + needName(role) + " TO " + needName(user);
}
std::string fbRevokeRole(const std::string& role, const std::string& user) {
    return "REVOKE " + needName(role) + " FROM " + needName(user);
}

}  // namespace vlm::admin
