// The driver interface: what every database driver (SQLite, local files, Firebird, PostgreSQL,
// ODBC) gives the engine. The engine turns ":NAME" parameters into positional "?" markers
// before a driver sees the text, so drivers only bind by position.
//
//   auto conn = registry.create("SQLITE")->connect({"/data/x.sqlite", {}}, tracer);
//   auto st = conn->prepare("select * from t where id = ?");
//   st->bind(0, Value(42));
//   auto cur = st->execute();          // nullptr when the statement returns no rows
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "identifiers.h"
#include "progress.h"
#include "trace.h"
#include "types.h"

namespace vlm::engine {

class Session;

// Connection parameters: target is the database (file path, directory, "host:/path", DSN);
// params are the alias and login parameters with upper-case names ("USER NAME", "PASSWORD").
struct ConnectParams {
    std::string target;
    std::map<std::string, std::string> params;
    // The session that connects (set by Session::connect): drivers that reach other engine
    // databases, such as the local SQL's ":ALIAS:TABLE" names, open them through it.
    Session* session = nullptr;
    std::string param(const std::string& name, const std::string& def = {}) const {
        auto it = params.find(name);
        return it == params.end() ? def : it->second;
    }
};

enum class ParamDirection { Unknown, Input, Output, InputOutput, Result };

struct ParamDesc {
    std::string name;
    ParamDirection direction = ParamDirection::Input;
    FieldType type = FieldType::Unknown;
};

// A result set or an open table. Rows arrive in blocks; drivers that can jump (local files,
// scrollable results) say so with rowCount() >= 0 and seek().
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual const std::vector<FieldDef>& fields() const = 0;
    // Appends up to maxRows rows to out. Returns false once no rows are left after this call.
    virtual bool fetch(std::size_t maxRows, std::vector<Row>& out) = 0;
    // Like fetch, but out receives the rows in place of what it held: the rows already in it
    // lend their storage (value vectors, string buffers) to the rows read, so a reader that
    // recycles one block allocates little per row. Drivers that can reuse rows override it.
    virtual bool fetchInto(std::size_t maxRows, std::vector<Row>& out) {
        out.clear();
        return fetch(maxRows, out);
    }
    // Like fetchInto, but the rows may come undecoded (Row::ready() decodes them), for a
    // reader that may not look at every row: a dataset's row cache. The cursor must outlive
    // the rows it hands out undecoded.
    virtual bool fetchLazy(std::size_t maxRows, std::vector<Row>& out) { return fetchInto(maxRows, out); }
    // Number of rows without reading them (a count query is fine), -1 when the driver cannot
    // tell without reading every row.
    virtual std::int64_t rowCount() { return -1; }
    // The number of rows when it is known at no cost worth waiting for (a file header, rows
    // held in memory, a count the cursor made anyway); -1 otherwise. A grid sizes itself by it
    // on open and learns the rest as the user scrolls, so that a big result opens at once.
    virtual std::int64_t countKnown() { return -1; }
    // Position so that the next fetch starts at row index (0-based). False when unsupported.
    virtual bool seek(std::int64_t) { return false; }

    // Changes through the cursor (tables and live queries). values are in fields() order.
    virtual bool canModify() const { return false; }
    virtual Row insertRow(const std::vector<Value>& values);          // returns the stored row
    virtual Row updateRow(const Row& old, const std::vector<Value>& values);
    virtual void deleteRow(const Row& row);
    virtual void undeleteRow(const Row& row);                          // dBase soft delete only
};

class Statement {
public:
    virtual ~Statement() = default;
    // Parameters as the server describes them (may be empty when the server cannot tell).
    virtual std::vector<ParamDesc> params() const { return {}; }
    virtual void bind(std::size_t index, const Value& value, FieldType type) = 0;
    // Runs the statement. Returns the cursor for a statement with rows, nullptr otherwise.
    virtual std::unique_ptr<Cursor> execute() = 0;
    virtual std::int64_t rowsAffected() const = 0;
};

// A stored procedure call prepared by name.
class ProcCall {
public:
    virtual ~ProcCall() = default;
    virtual std::vector<ParamDesc> params() const = 0;
    virtual void bind(std::size_t index, const Value& value, FieldType type) = 0;
    // Executes; output values in params() order (inputs as Null). Selectable procedures return
    // their rows through the cursor, others return nullptr.
    virtual std::unique_ptr<Cursor> execute(std::vector<Value>& outputs) = 0;
};

struct TableOpenOptions {
    bool exclusive = false;
    bool showDeleted = false;         // dBase: soft-deleted records are included, flagged
    std::vector<std::string> indexFieldNames;   // order by these fields
};

struct Capabilities {
    bool sqlBased = true;             // false for the local directory driver only
    bool transactions = true;
    bool storedProcedures = false;
    bool softDelete = false;          // dBase deleted flag and undelete
    bool pack = false;
    bool countWithoutFetch = false;   // rowCount() on query cursors works
    bool bulkLoad = false;            // appendRows() is faster than row inserts
    bool freeIndexNames = false;      // createTable renames a new table's index whose name is taken
    // How the server folds names written without quotes (batch move carries names by it).
    IdentifierCase identifierCase = IdentifierCase::Upper;
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual Capabilities capabilities() const = 0;

    virtual std::vector<TableEntry> tables(bool includeSystem) = 0;
    virtual std::vector<std::string> storedProcedures() { return {}; }
    virtual std::vector<FieldDef> fieldDefs(const std::string& table) = 0;
    virtual std::vector<IndexDef> indexDefs(const std::string& table) = 0;

    virtual std::unique_ptr<Statement> prepare(const std::string& sql) = 0;
    virtual std::unique_ptr<ProcCall> prepareProc(const std::string& name);

    // Opens a table for reading and changing. Default: the driver has no table cursor.
    virtual std::unique_ptr<Cursor> openTable(const std::string& table,
                                              const TableOpenOptions& options);

    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // DDL services. fields use logical types; the driver picks its native types for them.
    virtual void createTable(const std::string& table, const std::vector<FieldDef>& fields,
                             const std::vector<IndexDef>& indexes) = 0;
    virtual void dropTable(const std::string& table) = 0;
    virtual void emptyTable(const std::string& table) = 0;
    virtual void renameTable(const std::string& from, const std::string& to) = 0;
    virtual void packTable(const std::string& table, Progress* progress);
    virtual void createIndex(const std::string& table, const IndexDef& index);
    virtual void dropIndex(const std::string& table, const std::string& index);

    // Appends rows to a table as fast as the driver can (COPY on PostgreSQL); default inserts.
    virtual std::int64_t appendRows(const std::string& table, const std::vector<std::string>& columns,
                                    Cursor& source, const std::vector<int>& sourceColumns,
                                    Progress* progress);

    // Quotes a table name for this server's SQL ("OWNER"."NAME" where an owner is given).
    virtual std::string quoteTable(const std::string& table) const;
    virtual std::string quoteIdentifier(const std::string& name) const;

    // Stops the statement running on this connection. Thread-safe: it is called from another
    // thread while a prepare, execute or fetch runs on this connection; the running call then
    // fails within about a second with EngineError category Cancelled. When nothing runs it
    // does nothing (a later statement is not affected). The connection stays usable afterwards.
    // Default: the driver cannot stop a running statement; nothing happens.
    virtual void cancelRunning() {}
};

class Driver {
public:
    virtual ~Driver() = default;
    virtual std::string name() const = 0;          // "SQLITE", "STANDARD", "INTRBASE"
    virtual std::string description() const = 0;  // the database type, e.g. "SQLite database"
    virtual std::unique_ptr<Connection> connect(const ConnectParams& params, Tracer& tracer) = 0;
};

}  // namespace vlm::engine
