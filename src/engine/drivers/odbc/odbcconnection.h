// The ODBC connection: catalog services through SQLTables, SQLColumns, SQLStatistics and
// SQLPrimaryKeys with explicit schema arguments, statements with lazily fetched cursors,
// editable table cursors (odbctable.cpp), stored procedures (odbcproc.cpp), transactions and DDL. The same class serves "ODBC", "ORACLE", "MSSQL" and "SQLBASE"; the
// driver name picks the column types of created tables.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/driver.h"
#include "engine/running.h"
#include "engine/trace.h"
#include "odbcsupport.h"

namespace vlm::engine::odbc {

// The environment and connection handles, shared by the connection and its cursors so that
// statement handles are freed before the connection they belong to.
struct Session {
    Handle env;
    Handle dbc;
    Tracer* tracer = nullptr;
    std::string secret;        // the password, scrubbed from every error text
    std::string driverName;    // "ODBC", "ORACLE", ...
    std::string quote = "\"";  // identifier quote character of the data source
    std::string patternEscape; // search pattern escape of the data source
    bool schemas = true;       // the data source has schemas
    IdentifierCase identifierCase = IdentifierCase::Upper;   // of unquoted names
    bool connected = false;
    bool inTxn = false;
    RunningCalls calls;        // statement handles in a call that waits for the data source
    ~Session() {
        if (connected) SQLDisconnect(dbc.get());
    }
    void trace(TraceCategory c, const std::string& t) {
        if (tracer && tracer->wants(c)) tracer->trace(c, t);
    }
    // Runs call() (SQLExecute, SQLFetch, ... on st) so that a cancel meanwhile reaches st.
    template <class F> SQLRETURN running(SQLHSTMT st, F call) {
        RunningCalls::Scope scope(calls, st);
        return call();
    }
    // The error of a call on st that failed: category Cancelled when a cancel reached it, also
    // from drivers that report the stop with a general state (the SQLite3 driver's HY000).
    EngineError failure(SQLHSTMT st, const std::string& what) const;
};

class OdbcConnection : public Connection {
public:
    explicit OdbcConnection(std::shared_ptr<Session> s);

    Capabilities capabilities() const override;
    std::vector<TableEntry> tables(bool includeSystem) override;
    std::vector<FieldDef> fieldDefs(const std::string& table) override;
    std::vector<IndexDef> indexDefs(const std::string& table) override;

    std::unique_ptr<Statement> prepare(const std::string& sql) override;
    // Procedures through SQLProcedures and SQLProcedureColumns, called by the {call} escape.
    std::vector<std::string> storedProcedures() override;
    std::unique_ptr<ProcCall> prepareProc(const std::string& name) override;
    std::unique_ptr<Cursor> openTable(const std::string& table, const TableOpenOptions& options) override;

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return s_->inTxn; }

    void createTable(const std::string& table, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes) override;
    void dropTable(const std::string& table) override;
    void emptyTable(const std::string& table) override;
    void renameTable(const std::string& from, const std::string& to) override;
    void createIndex(const std::string& table, const IndexDef& index) override;
    void dropIndex(const std::string& table, const std::string& index) override;

    // "schema.name" quotes both parts when schema is a schema of the data source; any other
    // name ("CUSTOMER.DB" on SQLite) is one identifier.
    std::string quoteTable(const std::string& table) const override;
    std::string quoteIdentifier(const std::string& name) const override;
    std::pair<std::string, std::string> resolve(const std::string& table) const;

    // SQLCancel on the statement handle in a call; the call fails with HY008 (or the server's
    // own cancel state), category Cancelled.
    void cancelRunning() override;

    // The column type for field on this data source (generic long types by its type info).
    std::string columnType(const FieldDef& field);

private:
    void run(const std::string& sql);
public:
    std::string escapePattern(const std::string& s) const;

private:
    std::string typeNameFor(SQLSMALLINT sqlType);
    bool hasProcedures() const;   // SQL_PROCEDURES: "N" on the SQLite3 ODBC driver

    std::shared_ptr<Session> s_;
    mutable std::set<std::string> schemaNames_;
    mutable bool schemasLoaded_ = false;
};

}  // namespace vlm::engine::odbc
