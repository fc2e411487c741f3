// Cursors of the SQLite driver: results of statements (read step by step as the dataset asks)
// and table cursors (ordered by rowid or the index fields, positioned by OFFSET, changed by rowid).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/driver.h"
#include "handles.h"

namespace vlm::engine::sqlite {

// Runs one traced statement on db: prepared, bound with values, stepped to the end.
// Returns the number of rows changed.
std::int64_t execTraced(const DbPtr& db, Tracer& tracer, const std::string& sql,
                        const std::vector<Value>& values = {});
StmtPtr prepareTraced(const DbPtr& db, Tracer& tracer, const std::string& sql);
// Steps once; true on a row, false at the end; throws the engine error otherwise.
bool stepChecked(Stmt& st, Tracer& tracer);

// Writes rows of one table by rowid. Columns are the table's column names in the cursor's
// field order; a row's key is its rowid.
class RowWriter {
public:
    RowWriter(DbPtr db, Tracer& tracer, std::string quotedTable, std::vector<std::string> columns,
              std::vector<FieldDef> fields, std::string rowidName);
    // Live query rows carry no rowid: the row is found by all of its old values.
    bool matchByValues = false;
    // The column that is the table's INTEGER PRIMARY KEY (the rowid itself), -1 when none.
    int rowidColumn = -1;

    Row insert(const std::vector<Value>& values);
    Row update(const Row& old, const std::vector<Value>& values);
    void remove(const Row& row);

private:
    std::int64_t rowidOf(const Row& row);
    Row readBack(std::int64_t rowid, bool keepKey);

    DbPtr db_;
    Tracer& tracer_;
    std::string table_;
    std::vector<std::string> columns_;
    std::vector<FieldDef> fields_;
    std::string rowid_;
};

// The rows of an executed statement. The first row may already be stepped by execute().
class ResultCursor : public Cursor {
public:
    ResultCursor(StmtPtr st, Tracer& tracer, bool rowPending);
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override;
    // A statement that only reads is run again and stepped to the row without reading it.
    bool seek(std::int64_t index) override;

    void setWriter(std::unique_ptr<RowWriter> w) { writer_ = std::move(w); }
    bool canModify() const override { return writer_ != nullptr; }
    Row insertRow(const std::vector<Value>& values) override;
    Row updateRow(const Row& old, const std::vector<Value>& values) override;
    void deleteRow(const Row& row) override;

private:
    StmtPtr st_;
    Tracer& tracer_;
    unsigned generation_;
    bool pending_, done_;
    std::int64_t pos_ = 0;   // the row the next fetch returns (the stepped row when pending_)
    std::vector<FieldDef> fields_;
    std::unique_ptr<RowWriter> writer_;
};

// An open table: "SELECT rowid, columns FROM t ORDER BY ... LIMIT -1 OFFSET ?".
class TableCursor : public Cursor {
public:
    TableCursor(DbPtr db, Tracer& tracer, std::string quotedTable, std::vector<FieldDef> fields,
                std::string rowidName, std::string orderBy, int rowidColumn);
    const std::vector<FieldDef>& fields() const override { return fields_; }
    bool fetch(std::size_t maxRows, std::vector<Row>& out) override;
    std::int64_t rowCount() override;
    std::int64_t countKnown() override { return rowCount(); }   // SQLite counts a table's b-tree
    bool seek(std::int64_t index) override;

    bool canModify() const override { return writer_ != nullptr; }
    Row insertRow(const std::vector<Value>& values) override;
    Row updateRow(const Row& old, const std::vector<Value>& values) override;
    void deleteRow(const Row& row) override;

private:
    DbPtr db_;
    Tracer& tracer_;
    std::string table_;
    std::vector<FieldDef> fields_;
    bool hasRowid_;
    StmtPtr st_;
    bool done_ = false;
    std::unique_ptr<RowWriter> writer_;
};

}  // namespace vlm::engine::sqlite

namespace vlm::engine::sqlite {
// The name under which the rows of table are addressed by rowid ("rowid", "_rowid_", "oid":
// the first that is no column name), empty for views and WITHOUT ROWID tables.
std::string rowidAlias(const DbPtr& db, const std::string& quotedTable, const std::vector<std::string>& columns);
}  // namespace vlm::engine::sqlite
