// The SQLite connection: one database file, its catalog, statements, tables and DDL.
#pragma once

#include "engine/driver.h"
#include "handles.h"

namespace vlm::engine::sqlite {

class SqliteConnection : public Connection {
public:
    SqliteConnection(const ConnectParams& params, Tracer& tracer);
    ~SqliteConnection() override;

    Capabilities capabilities() const override;
    std::vector<TableEntry> tables(bool includeSystem) override;
    std::vector<FieldDef> fieldDefs(const std::string& table) override;
    std::vector<IndexDef> indexDefs(const std::string& table) override;

    std::unique_ptr<Statement> prepare(const std::string& sql) override;
    std::unique_ptr<Cursor> openTable(const std::string& table, const TableOpenOptions& options) override;

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;

    void createTable(const std::string& table, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes) override;
    void dropTable(const std::string& table) override;
    void emptyTable(const std::string& table) override;
    void renameTable(const std::string& from, const std::string& to) override;
    void createIndex(const std::string& table, const IndexDef& index) override;
    void dropIndex(const std::string& table, const std::string& index) override;
    // One INSERT prepared once and stepped per row, the source's values bound in place.
    std::int64_t appendRows(const std::string& table, const std::vector<std::string>& columns,
                            Cursor& source, const std::vector<int>& sourceColumns,
                            Progress* progress) override;

    // SQLite has no owners: a dot belongs to the name ("CUSTOMER.DB").
    std::string quoteTable(const std::string& table) const override { return quoteIdentifier(table); }

    // Interrupts the running step; it fails with SQLITE_INTERRUPT (category Cancelled).
    void cancelRunning() override;

private:
    std::string objectType(const std::string& table);   // "table", "view" or empty
    std::string rowidNameFor(const std::string& table, const std::vector<FieldDef>& fields);

    DbPtr db_;
    Tracer& tracer_;
};

}  // namespace vlm::engine::sqlite
