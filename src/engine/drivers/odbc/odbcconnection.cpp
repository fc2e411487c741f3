// The ODBC connection: catalog functions with explicit schema arguments, transactions, DDL.
#include "odbcconnection.h"

#include <algorithm>
#include <map>

#include "engine/typemap.h"
#include "odbccursor.h"

namespace vlm::engine::odbc {
namespace {

SQLCHAR* sqlText(const std::string& s) { return (SQLCHAR*)s.c_str(); }

std::string getInfo(SQLHDBC dbc, SQLUSMALLINT what) {
    char buf[256] = {0};
    SQLSMALLINT len = 0;
    return ok(SQLGetInfo(dbc, what, buf, sizeof buf, &len)) ? std::string(buf) : std::string();
}

}  // namespace

OdbcConnection::OdbcConnection(std::shared_ptr<Session> s) : s_(std::move(s)) {
    std::string q = getInfo(s_->dbc.get(), SQL_IDENTIFIER_QUOTE_CHAR);
    s_->quote = q == " " ? "" : q.empty() ? "\"" : q;
    s_->patternEscape = getInfo(s_->dbc.get(), SQL_SEARCH_PATTERN_ESCAPE);
    SQLUINTEGER usage = 0;
    if (ok(SQLGetInfo(s_->dbc.get(), SQL_SCHEMA_USAGE, &usage, sizeof usage, nullptr)))
        s_->schemas = usage != 0;
    // The ORACLE, MSSQL and SQLBASE kinds fold to upper case; any other data source says.
    SQLUSMALLINT folding = SQL_IC_UPPER;
    if (s_->driverName == "ODBC" &&
        ok(SQLGetInfo(s_->dbc.get(), SQL_IDENTIFIER_CASE, &folding, sizeof folding, nullptr)))
        s_->identifierCase = folding == SQL_IC_UPPER   ? IdentifierCase::Upper
                             : folding == SQL_IC_LOWER ? IdentifierCase::Lower
                                                       : IdentifierCase::AsWritten;
}

Capabilities OdbcConnection::capabilities() const {
    Capabilities c;
    c.sqlBased = true;
    c.transactions = true;
    c.storedProcedures = hasProcedures();
    c.identifierCase = s_->identifierCase;
    return c;
}

EngineError Session::failure(SQLHSTMT st, const std::string& what) const {
    EngineError e = odbcError(SQL_HANDLE_STMT, st, what, secret);
    if (!calls.cancelled() || e.category() == ErrorCategory::Cancelled) return e;
    std::vector<std::string> lines = e.messages();
    if (!lines.empty()) lines[0] = "Cancelled by the user";
    return EngineError(ErrorCategory::Cancelled, errc::CancelledBase, std::move(lines), e.nativeCode(), e.sqlState());
}

void OdbcConnection::cancelRunning() {
    s_->calls.cancel([](void* st) {
        if (st) SQLCancel(st);
    });
}

std::string OdbcConnection::quoteIdentifier(const std::string& name) const {
    const std::string& q = s_->quote;
    if (q.empty()) return name;
    std::string out = q;
    for (char c : name) {
        if (std::string(1, c) == q) out += q;
        out += c;
    }
    return out + q;
}

std::string OdbcConnection::escapePattern(const std::string& s) const {
    if (s_->patternEscape.empty()) return s;
    std::string out;
    for (char c : s) {
        if (c == '_' || c == '%' || std::string(1, c) == s_->patternEscape) out += s_->patternEscape;
        out += c;
    }
    return out;
}

std::pair<std::string, std::string> OdbcConnection::resolve(const std::string& table) const {
    auto dot = table.find('.');
    if (!s_->schemas || dot == std::string::npos) return {{}, table};
    if (!schemasLoaded_) {
        schemasLoaded_ = true;
        Handle st(SQL_HANDLE_STMT, s_->dbc.get());
        s_->trace(TraceVendor, "SQLTables (schemas)");
        std::string all = SQL_ALL_SCHEMAS, none;
        if (ok(SQLTables(st.get(), sqlText(none), 0, sqlText(all), SQL_NTS, sqlText(none), 0, sqlText(none), 0)))
            while (ok(SQLFetch(st.get()))) schemaNames_.insert(columnText(st.get(), 2));
    }
    // A schema name may hold dots itself: split after the first prefix that is a schema.
    for (; dot != std::string::npos; dot = table.find('.', dot + 1))
        if (schemaNames_.count(table.substr(0, dot))) return {table.substr(0, dot), table.substr(dot + 1)};
    return {{}, table};
}

std::string OdbcConnection::quoteTable(const std::string& table) const {
    auto [schema, name] = resolve(table);
    return schema.empty() ? quoteIdentifier(name) : quoteIdentifier(schema) + "." + quoteIdentifier(name);
}

std::vector<TableEntry> OdbcConnection::tables(bool includeSystem) {
    Handle st(SQL_HANDLE_STMT, s_->dbc.get());
    std::string types = includeSystem ? "TABLE,VIEW,SYSTEM TABLE" : "TABLE,VIEW";
    std::string schema = s_->schemas ? "%" : "";
    std::string table = "%";
    s_->trace(TraceVendor, "SQLTables " + types);
    check(SQLTables(st.get(), nullptr, 0, s_->schemas ? sqlText(schema) : nullptr, s_->schemas ? SQL_NTS : 0,
                    sqlText(table), SQL_NTS, sqlText(types), SQL_NTS),
          SQL_HANDLE_STMT, st.get(), "Reading the table list failed", s_->secret);
    std::vector<TableEntry> out;
    while (true) {
        SQLRETURN rc = SQLFetch(st.get());
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st.get(), "Reading the table list failed", s_->secret);
        TableEntry e;
        std::string sch = columnText(st.get(), 2), name = columnText(st.get(), 3);
        std::string type = columnText(st.get(), 4);
        e.name = sch.empty() ? name : sch + "." + name;
        e.view = type == "VIEW";
        e.type = type;
        if (!includeSystem && (sch == "pg_catalog" || sch == "information_schema")) continue;
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<FieldDef> OdbcConnection::fieldDefs(const std::string& table) {
    auto [schema, name] = resolve(table);
    Handle st(SQL_HANDLE_STMT, s_->dbc.get());
    std::string sp = escapePattern(schema), tp = escapePattern(name);
    s_->trace(TraceVendor, "SQLColumns " + table);
    check(SQLColumns(st.get(), nullptr, 0, schema.empty() ? nullptr : sqlText(sp), schema.empty() ? 0 : SQL_NTS,
                     sqlText(tp), SQL_NTS, nullptr, 0),
          SQL_HANDLE_STMT, st.get(), "Reading the fields of " + table + " failed", s_->secret);
    std::vector<FieldDef> out;
    while (true) {
        SQLRETURN rc = SQLFetch(st.get());
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st.get(), "Reading the fields of " + table + " failed", s_->secret);
        // Patterns may match more than the one table: keep exact matches only.
        if (columnText(st.get(), 3) != name) continue;
        if (!schema.empty() && columnText(st.get(), 2) != schema) continue;
        std::string col = columnText(st.get(), 4);
        auto type = SQLSMALLINT(std::atoi(columnText(st.get(), 5).c_str()));
        std::string typeName = columnText(st.get(), 6);
        auto size = SQLULEN(std::strtoull(columnText(st.get(), 7).c_str(), nullptr, 10));
        auto digits = SQLSMALLINT(std::atoi(columnText(st.get(), 9).c_str()));
        bool nullable = columnText(st.get(), 11) != "0";
        out.push_back(fieldDefFor(col, type, size, digits, nullable, typeName));
    }
    if (out.empty())
        throw EngineError(ErrorCategory::Sql, errc::SqlBase, {"Table does not exist: " + table});
    return out;
}

std::vector<IndexDef> OdbcConnection::indexDefs(const std::string& table) {
    auto [schema, name] = resolve(table);
    std::vector<std::string> pkCols;
    std::string pkName;
    {
        Handle st(SQL_HANDLE_STMT, s_->dbc.get());
        s_->trace(TraceVendor, "SQLPrimaryKeys " + table);
        if (ok(SQLPrimaryKeys(st.get(), nullptr, 0, schema.empty() ? nullptr : sqlText(schema),
                              schema.empty() ? 0 : SQL_NTS, sqlText(name), SQL_NTS))) {
            std::map<int, std::string> cols;
            while (ok(SQLFetch(st.get()))) {
                cols[std::atoi(columnText(st.get(), 5).c_str())] = columnText(st.get(), 4);
                pkName = columnText(st.get(), 6);
            }
            for (auto& [_, c] : cols) pkCols.push_back(c);
        }
    }
    Handle st(SQL_HANDLE_STMT, s_->dbc.get());
    s_->trace(TraceVendor, "SQLStatistics " + table);
    check(SQLStatistics(st.get(), nullptr, 0, schema.empty() ? nullptr : sqlText(schema), schema.empty() ? 0 : SQL_NTS,
                        sqlText(name), SQL_NTS, SQL_INDEX_ALL, SQL_QUICK),
          SQL_HANDLE_STMT, st.get(), "Reading the indexes of " + table + " failed", s_->secret);
    std::vector<IndexDef> out;
    while (true) {
        SQLRETURN rc = SQLFetch(st.get());
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st.get(), "Reading the indexes of " + table + " failed", s_->secret);
        if (std::atoi(columnText(st.get(), 7).c_str()) == SQL_TABLE_STAT) continue;
        std::string ixName = columnText(st.get(), 6);
        if (ixName.empty()) continue;
        if (out.empty() || out.back().name != ixName) {
            IndexDef d;
            d.name = ixName;
            d.unique = columnText(st.get(), 4) == "0";
            d.descending = columnText(st.get(), 10) == "D";
            out.push_back(std::move(d));
        }
        std::string col = columnText(st.get(), 9);
        if (!col.empty()) out.back().fields.push_back(col);
    }
    bool pkFound = false;
    for (auto& ix : out)
        if (!pkCols.empty() && (ix.name == pkName || ix.fields == pkCols) && !pkFound) {
            ix.primary = ix.unique = pkFound = true;
        }
    if (!pkCols.empty() && !pkFound) {
        IndexDef pk;
        pk.name = pkName.empty() ? "PRIMARY" : pkName;
        pk.fields = pkCols;
        pk.primary = pk.unique = true;
        out.insert(out.begin(), pk);
    }
    std::stable_partition(out.begin(), out.end(), [](const IndexDef& d) { return d.primary; });
    return out;
}

std::unique_ptr<Statement> OdbcConnection::prepare(const std::string& sql) { return makeStatement(s_, sql); }

void OdbcConnection::begin() {
    if (s_->inTxn)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"A transaction is already active"});
    s_->trace(TraceTransaction, "BEGIN (autocommit off)");
    check(SQLSetConnectAttr(s_->dbc.get(), SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0),
          SQL_HANDLE_DBC, s_->dbc.get(), "Could not start a transaction", s_->secret);
    s_->inTxn = true;
}

void OdbcConnection::commit() {
    if (!s_->inTxn) throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"No transaction is active"});
    s_->trace(TraceTransaction, "COMMIT");
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, s_->dbc.get(), SQL_COMMIT);
    if (!ok(rc)) {
        EngineError e = odbcError(SQL_HANDLE_DBC, s_->dbc.get(), "Commit failed", s_->secret);
        SQLEndTran(SQL_HANDLE_DBC, s_->dbc.get(), SQL_ROLLBACK);
        SQLSetConnectAttr(s_->dbc.get(), SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
        s_->inTxn = false;
        throw e;
    }
    SQLSetConnectAttr(s_->dbc.get(), SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
    s_->inTxn = false;
}

void OdbcConnection::rollback() {
    if (!s_->inTxn) throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"No transaction is active"});
    s_->trace(TraceTransaction, "ROLLBACK");
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, s_->dbc.get(), SQL_ROLLBACK);
    SQLSetConnectAttr(s_->dbc.get(), SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
    s_->inTxn = false;
    check(rc, SQL_HANDLE_DBC, s_->dbc.get(), "Rollback failed", s_->secret);
}

void OdbcConnection::run(const std::string& sql) { prepare(sql)->execute(); }

std::string OdbcConnection::typeNameFor(SQLSMALLINT sqlType) {
    Handle st(SQL_HANDLE_STMT, s_->dbc.get());
    if (!ok(SQLGetTypeInfo(st.get(), sqlType)) || !ok(SQLFetch(st.get()))) return {};
    return columnText(st.get(), 1);
}

std::string OdbcConnection::columnType(const FieldDef& field) {
    std::string t = nativeColumnType(s_->driverName, field);
    // A generic data source stores booleans as SMALLINT unless it has a bit type of its own
    // (bool on PostgreSQL, bit on the SQLite3 ODBC driver), which reads back as a boolean.
    if (field.logicalType == logical::BOOL && s_->driverName == "ODBC") {
        std::string own = typeNameFor(SQL_BIT);
        if (!own.empty()) t = own;
    }
    // The generic long types are named by the data source itself.
    if (t == "LONG VARCHAR" || t == "LONG VARBINARY") {
        std::string own = typeNameFor(t == "LONG VARCHAR" ? SQL_LONGVARCHAR : SQL_LONGVARBINARY);
        if (!own.empty()) t = own;
    }
    return t;
}

void OdbcConnection::createTable(const std::string& table, const std::vector<FieldDef>& fields,
                                 const std::vector<IndexDef>& indexes) {
    if (fields.empty())
        throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"A table needs at least one field"});
    std::string sql = "CREATE TABLE " + quoteTable(table) + " (";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        sql += (i ? ", " : "") + quoteIdentifier(fields[i].name) + " " + columnType(fields[i]);
        if (fields[i].required) sql += " NOT NULL";
    }
    for (const auto& ix : indexes) {
        if (!ix.primary || ix.fields.empty()) continue;
        sql += ", PRIMARY KEY (";
        for (std::size_t i = 0; i < ix.fields.size(); ++i) sql += (i ? ", " : "") + quoteIdentifier(ix.fields[i]);
        sql += ")";
        break;
    }
    run(sql + ")");
    for (const auto& ix : indexes)
        if (!ix.primary && !ix.fields.empty() && ix.expression.empty()) createIndex(table, ix);
}

void OdbcConnection::dropTable(const std::string& table) { run("DROP TABLE " + quoteTable(table)); }
void OdbcConnection::emptyTable(const std::string& table) { run("DELETE FROM " + quoteTable(table)); }

void OdbcConnection::renameTable(const std::string& from, const std::string& to) {
    auto [toSchema, toName] = resolve(to);
    run("ALTER TABLE " + quoteTable(from) + " RENAME TO " + quoteIdentifier(toName));
}

void OdbcConnection::createIndex(const std::string& table, const IndexDef& ix) {
    if (ix.fields.empty())
        throw EngineError(ErrorCategory::Usage, errc::NotSupported, {"An index on an expression cannot be created here"});
    auto [schema, name] = resolve(table);
    std::string ixName = ix.name.empty() ? name + "_" + ix.fields.front() : ix.name;
    std::string sql = std::string(ix.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + quoteIdentifier(ixName) +
                      " ON " + quoteTable(table) + " (";
    for (std::size_t i = 0; i < ix.fields.size(); ++i)
        sql += (i ? ", " : "") + quoteIdentifier(ix.fields[i]) + (ix.descending ? " DESC" : "");
    run(sql + ")");
}

void OdbcConnection::dropIndex(const std::string& table, const std::string& index) {
    auto [schema, name] = resolve(table);
    run("DROP INDEX " + (schema.empty() ? quoteIdentifier(index) : quoteIdentifier(schema) + "." + quoteIdentifier(index)));
}

}  // namespace vlm::engine::odbc
