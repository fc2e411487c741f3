// Identifier folding between servers: plain names follow the destination's case.
#include "identifiers.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace vlm::engine {
namespace {

std::string upperAscii(std::string s) {
    for (auto& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
std::string lowerAscii(std::string s) {
    for (auto& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

bool isReservedWord(const std::string& word) {
    // Reserved words of the SQL standard and of the servers this engine reaches (PostgreSQL,
    // Firebird, Oracle, MSSQL, SQLite) that are likely as column names.
    static const std::set<std::string> words = {
        "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUTHORIZATION", "BETWEEN", "BIGINT", "BINARY",
        "BLOB", "BOOLEAN", "BOTH", "BY", "CASE", "CAST", "CHAR", "CHARACTER", "CHECK", "COLLATE", "COLUMN",
        "COMMIT", "CONNECT", "CONSTRAINT", "CREATE", "CROSS", "CURRENT", "CURRENT_DATE", "CURRENT_ROLE",
        "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR", "DATE", "DAY", "DECIMAL", "DECLARE",
        "DEFAULT", "DELETE", "DESC", "DISTINCT", "DO", "DOUBLE", "DROP", "ELSE", "END", "ESCAPE", "EXCEPT",
        "EXISTS", "EXTRACT", "FALSE", "FETCH", "FILE", "FILTER", "FLOAT", "FOR", "FOREIGN", "FROM", "FULL",
        "FUNCTION", "GLOBAL", "GRANT", "GROUP", "HAVING", "HOUR", "IDENTITY", "IN", "INDEX", "INNER", "INSERT",
        "INT", "INTEGER", "INTERSECT", "INTERVAL", "INTO", "IS", "JOIN", "KEY", "LEADING", "LEFT", "LEVEL",
        "LIKE", "LIMIT", "LOCAL", "LOCK", "LONG", "MERGE", "MINUTE", "MODE", "MONTH", "NATURAL", "NOT", "NULL",
        "NUMBER", "NUMERIC", "OF", "OFFSET", "ON", "ONLY", "OPTION", "OR", "ORDER", "OUTER", "OVER",
        "POSITION", "PRECISION", "PRIMARY", "PROCEDURE", "PUBLIC", "RAW", "REAL", "REFERENCES", "RETURNING",
        "REVOKE", "RIGHT", "ROLE", "ROLLBACK", "ROW", "ROWID", "ROWNUM", "ROWS", "SECOND", "SELECT", "SESSION",
        "SESSION_USER", "SET", "SIZE", "SMALLINT", "SOME", "START", "SYSDATE", "SYSTEM_USER", "TABLE", "THEN",
        "TIME", "TIMESTAMP", "TO", "TOP", "TRAILING", "TRIGGER", "TRUE", "UID", "UNION", "UNIQUE", "UPDATE",
        "USER", "USING", "VALUE", "VALUES", "VARCHAR", "VARIABLE", "VIEW", "WHEN", "WHERE", "WINDOW", "WITH",
        "YEAR",
    };
    return words.count(upperAscii(word)) != 0;
}

bool isPlainIdentifier(const std::string& name, IdentifierCase folding) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (unsigned char c : name)
        if (!(c < 0x80 && (std::isalnum(c) || c == '_'))) return false;
    if (isReservedWord(name)) return false;
    bool upperCase = name == upperAscii(name), lowerCase = name == lowerAscii(name);
    switch (folding) {
    case IdentifierCase::Upper: return upperCase;
    case IdentifierCase::Lower: return lowerCase;
    case IdentifierCase::AsWritten: return upperCase || lowerCase;
    }
    return false;
}

std::string carryIdentifier(const std::string& name, IdentifierCase from, IdentifierCase to) {
    if (!isPlainIdentifier(name, from)) return name;
    switch (to) {
    case IdentifierCase::Upper: return upperAscii(name);
    case IdentifierCase::Lower: return lowerAscii(name);
    case IdentifierCase::AsWritten: return name;
    }
    return name;
}

}  // namespace vlm::engine
