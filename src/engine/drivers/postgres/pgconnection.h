// The PostgreSQL connection: catalog services (schemas are the owners of listed names),
// statements with server-side cursors, stored procedures (functions and procedures), DDL and
// COPY for bulk appends.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/driver.h"
#include "pgcopy.h"
#include "pgsession.h"

namespace vlm::engine::postgres {

class PgConnection : public Connection {
public:
    explicit PgConnection(std::shared_ptr<Session> session) : s_(std::move(session)) {}
    ~PgConnection() override { s_->close(); }

    Capabilities capabilities() const override;
    std::vector<TableEntry> tables(bool includeSystem) override;
    std::vector<std::string> storedProcedures() override;
    std::vector<FieldDef> fieldDefs(const std::string& table) override;
    std::vector<IndexDef> indexDefs(const std::string& table) override;

    std::unique_ptr<Statement> prepare(const std::string& sql) override;
    std::unique_ptr<ProcCall> prepareProc(const std::string& name) override;
    std::unique_ptr<Cursor> openTable(const std::string& table, const TableOpenOptions& options) override;

    void begin() override { s_->begin(); }
    void commit() override { s_->commit(); }
    void rollback() override { s_->rollback(); }
    bool inTransaction() const override { return s_->userTransaction(); }

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

    // "schema.name" quotes both parts when schema is an existing schema; any other name
    // (a local "CUSTOMER.DB") is one identifier in the current schema.
    std::string quoteTable(const std::string& table) const override;
    std::string quoteIdentifier(const std::string& name) const override { return quoteIdent(name); }

    void cancelRunning() override { s_->cancelRunning(); }

    // The schema and name a table name stands for, as quoteTable() reads it.
    std::pair<std::string, std::string> resolve(const std::string& table) const;

private:
    unsigned tableOid(const std::string& table, char* relkind = nullptr);
    bool isSchema(const std::string& name) const;
    // A name for an index of the new table (by oid) that nothing in its schema holds.
    std::string freeIndexName(unsigned table, const std::string& tableName, const std::string& wanted);
    bool binaryCopyKinds(const std::string& table, const std::vector<std::string>& columns,
                         const std::vector<FieldDef>& sourceFields, const std::vector<int>& sourceColumns,
                         std::vector<CopyKind>& kinds);

    std::shared_ptr<Session> s_;
    mutable std::set<std::string> schemas_;   // cache of known schema names
};

}  // namespace vlm::engine::postgres
