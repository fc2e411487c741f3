// A stored procedure call: parameters from the server, values set by name or position,
// executed; a selectable procedure's rows are read as a dataset.
//
//   StoredProc p;  p.setDatabaseName("FBDEMO");  p.setStoredProcName("ADD_ORDER");
//   p.prepare();  p.paramByName("CUSTNO").set(Value(5));  p.execProc();
//   p.paramByName("ORDERNO").value.asText();
#pragma once

#include <string>
#include <vector>

#include "dataset.h"
#include "query.h"

namespace vlm::engine {

class Database;

class StoredProc : public Dataset {
public:
    StoredProc();
    ~StoredProc() override;

    const std::string& databaseName() const { return dbName_; }
    void setDatabaseName(const std::string& name);
    void setDatabase(Database* db);
    const std::string& storedProcName() const { return name_; }
    void setStoredProcName(const std::string& name);

    void prepare();                              // reads the parameters from the server
    std::vector<Param>& params() { return params_; }
    Param& paramByName(const std::string& name);
    Param& param(std::size_t index);
    void setParamType(std::size_t index, FieldType type);
    void execProc();                             // outputs land in params()

protected:
    std::unique_ptr<Cursor> openCursor() override;   // selectable procedures

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string dbName_, name_;
    std::vector<Param> params_;
};

}  // namespace vlm::engine
