// A table of a database, opened through the driver's table cursor for reading and changing.
//
//   Table t;  t.setDatabaseName("/data/demo");  t.setTableName("ORDERS.DBF");
//   t.setIndexFieldNames("CUSTNO;ORDERNO");  t.open();
#pragma once

#include <string>
#include <vector>

#include "dataset.h"

namespace vlm::engine {

class Database;

class Table : public Dataset {
public:
    Table();
    ~Table() override;

    const std::string& databaseName() const { return dbName_; }
    void setDatabaseName(const std::string& name);
    void setDatabase(Database* db);
    const std::string& tableName() const { return tableName_; }
    void setTableName(const std::string& name);
    bool exclusive() const { return exclusive_; }
    void setExclusive(bool on) { exclusive_ = on; }
    const std::string& indexFieldNames() const { return indexFieldNames_; }
    void setIndexFieldNames(const std::string& names);   // "A;B", applied on open or at once

    // Definitions (work on a closed table too).
    std::vector<FieldDef> fieldDefs();
    std::vector<IndexDef> indexDefs();

    void createTable(const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes = {});
    void deleteTable();
    void emptyTable();
    void renameTable(const std::string& newName);
    void addIndex(const IndexDef& index);
    void deleteIndex(const std::string& name);
    void pack(Progress* progress = nullptr);     // local tables: removes deleted records, regenerates indexes

    // dBase soft delete: show deleted records, test and clear the flag of the current record.
    bool showDeleted() const { return showDeleted_; }
    void setShowDeleted(bool on);
    bool isDeleted() const;
    void undelete();

    Connection& connection();

protected:
    std::unique_ptr<Cursor> openCursor() override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string dbName_, tableName_, indexFieldNames_;
    bool exclusive_ = false, showDeleted_ = false;
};

}  // namespace vlm::engine
