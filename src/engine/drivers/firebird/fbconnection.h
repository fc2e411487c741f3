// A connection to one Firebird database (embedded file or server), its statements and its
// stored procedure calls.
//
// Transactions: between begin() and commit()/rollback() every statement runs in that explicit
// transaction; otherwise each statement runs in a transaction of its own that commits when the
// statement is done (for a query: when its cursor is read to the end or closed).
// Statements and procedure calls must not outlive their connection; cursors may (they keep the
// attachment and their transaction).
//
// Firebird carries out DDL only when its transaction commits, so a table created inside a
// transaction could not be filled before the commit. The DDL services (createTable, dropTable,
// createIndex, dropIndex) therefore run in a transaction of their own even between begin() and
// commit(); a table that createTable made there is dropped again when that transaction rolls
// back, so that a failed copy leaves no table behind. DDL sent as SQL text keeps Firebird's rule.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/driver.h"
#include "engine/drivers/firebird/fbapi.h"
#include "engine/drivers/firebird/fbcursor.h"

namespace vlm::engine::firebird {

class FbConnection;

class FbStatement : public Statement {
public:
    FbStatement(FbConnection& conn, std::string sql);
    std::vector<ParamDesc> params() const override;
    void bind(std::size_t index, const Value& value, FieldType type) override;
    std::unique_ptr<Cursor> execute() override;
    std::int64_t rowsAffected() const override { return affected_; }

    const std::vector<FieldDef>& outputFields() const { return outFields_; }

private:
    FbConnection& conn_;
    std::string sql_;
    SharedStatement stmt_;
    Ref<Firebird::IMessageMetadata> inMeta_;
    std::vector<FieldDef> outFields_;
    std::vector<Value> values_;
    unsigned type_ = 0;          // isc_info_sql_stmt_*
    std::int64_t affected_ = 0;
};

class FbProcCall : public ProcCall {
public:
    FbProcCall(FbConnection& conn, std::string name, std::vector<ParamDesc> params,
               std::size_t inputs, bool selectable);
    std::vector<ParamDesc> params() const override { return params_; }
    void bind(std::size_t index, const Value& value, FieldType type) override;
    std::unique_ptr<Cursor> execute(std::vector<Value>& outputs) override;

private:
    FbConnection& conn_;
    std::string name_;
    std::vector<ParamDesc> params_;   // inputs first, then outputs
    std::size_t inputs_;
    bool selectable_;
    std::unique_ptr<FbStatement> stmt_;
};

// A table opened for reading and changing: its rows with RDB$DB_KEY as each row's key. Changed
// and deleted rows are found by the primary key where the table has one, else by RDB$DB_KEY.
// Changes run in the connection's transaction (or each in its own); the cursor must not be
// changed after its connection is gone.
class FbTableCursor : public Cursor {
public:
    FbTableCursor(FbConnection& conn, std::string table, std::vector<FieldDef> fields,
                  std::vector<std::string> keyFields, const TableOpenOptions& options);
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override;
    bool seek(std::int64_t row) override;
    std::int64_t countKnown() override { return stale_ ? -1 : rows_->countKnown(); }
    std::int64_t rowCount() override;
    bool canModify() const override { return true; }
    Row insertRow(const std::vector<Value>& values) override;
    Row updateRow(const Row& old, const std::vector<Value>& values) override;
    void deleteRow(const Row& row) override;

private:
    std::string returning() const;
    std::string where(const Row& row, std::vector<Value>& params) const;
    Row changed(Cursor* result, std::int64_t affected);
    void takeKey(Row& r) const;

    FbConnection& conn_;
    std::string table_;
    std::vector<FieldDef> fields_;
    std::vector<std::size_t> key_;          // positions of the primary key fields
    std::unique_ptr<Cursor> rows_;
    bool versioned_ = false;                // rows carry RDB$RECORD_VERSION in their key
    bool stale_ = false;                    // changed since rows_ was opened
    std::string sql_;
};

class FbConnection : public Connection {
public:
    // Opens (or with CREATE=TRUE creates when missing) the database of params.target.
    FbConnection(const ConnectParams& params, Tracer& tracer);
    ~FbConnection() override;

    Capabilities capabilities() const override;
    std::vector<TableEntry> tables(bool includeSystem) override;
    std::vector<std::string> storedProcedures() override;
    std::vector<FieldDef> fieldDefs(const std::string& table) override;
    std::vector<IndexDef> indexDefs(const std::string& table) override;

    std::unique_ptr<Statement> prepare(const std::string& sql) override;
    std::unique_ptr<ProcCall> prepareProc(const std::string& name) override;
    std::unique_ptr<Cursor> openTable(const std::string& table, const TableOpenOptions& options) override;

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override { return explicit_ && explicit_->active(); }

    void createTable(const std::string& table, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes) override;
    void dropTable(const std::string& table) override;
    void emptyTable(const std::string& table) override;
    void renameTable(const std::string& from, const std::string& to) override;
    void createIndex(const std::string& table, const IndexDef& index) override;
    void dropIndex(const std::string& table, const std::string& index) override;
    std::int64_t appendRows(const std::string& table, const std::vector<std::string>& columns,
                            Cursor& source, const std::vector<int>& sourceColumns,
                            Progress* progress) override;

    // Firebird has no owners: a name with a dot is one identifier.
    std::string quoteTable(const std::string& table) const override { return quoteIdentifier(table); }

    void cancelRunning() override { att_->cancelRunning(); }

    // For statements of this connection.
    const std::shared_ptr<Attachment>& attachment() const { return att_; }
    // The explicit transaction, or a new automatic one.
    std::shared_ptr<Transaction> statementTransaction();
    Tracer& tracer() { return tracer_; }
    // Reports a failure to the trace hook.
    void traceError(const EngineError& e);

private:
    // Runs sql with values and returns all its rows (catalog queries, small results).
    std::vector<Row> query(const std::string& sql, const std::vector<Value>& values = {});
    void run(const std::string& sql);
    // Runs a DDL text in a transaction of its own, committed at once.
    void runDdl(const std::string& sql);
    void dropCreatedTables();
    std::int64_t appendInBlocks(const std::string& table, const std::vector<std::string>& columns,
                                Cursor& source, const std::vector<int>& sourceColumns, Progress* progress);
    // The name as stored in the catalog: as given, or upper-cased when only that exists.
    std::string catalogName(const std::string& relation);
    // A name for an index of the new table that no index or constraint of the database holds.
    std::string freeIndexName(const std::string& table, const std::string& wanted);

    Tracer& tracer_;
    std::string target_;
    std::shared_ptr<Attachment> att_;
    std::shared_ptr<Transaction> explicit_;
    bool autonomous_ = false;                 // statements run outside the explicit transaction
    std::vector<std::string> createdInTx_;    // tables createTable made during explicit_
};

}  // namespace vlm::engine::firebird
