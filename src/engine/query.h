// A query on a database name. ":NAME" markers are named parameters, "?" positional ones;
// "::" stands for a literal colon. An empty database name runs the engine's local SQL, which
// resolves alias-qualified names (":DEMO:ORDERS") and quoted file paths.
//
//   Query q;  q.setDatabaseName("DEMO");
//   q.setSql("update t set a = :A where id = :ID");
//   q.paramByName("A").set(Value("x"));  q.paramByName("ID").set(Value(1));
//   q.execSql();  q.rowsAffected();
#pragma once

#include <string>
#include <vector>

#include "dataset.h"

namespace vlm::engine {

class Database;

struct Param {
    std::string name;                           // empty for a positional "?"
    FieldType dataType = FieldType::Unknown;
    ParamDirection direction = ParamDirection::Input;
    Value value;
    void set(const Value& v, FieldType t = FieldType::Unknown) {
        value = v;
        if (t != FieldType::Unknown) dataType = t;
    }
};

class Query : public Dataset {
public:
    Query();
    ~Query() override;

    const std::string& databaseName() const { return dbName_; }
    void setDatabaseName(const std::string& name);
    void setDatabase(Database* db);             // use this open Database's connection
    std::vector<std::string>& sql() { return sql_; }   // lines, joined with "\n"
    void setSql(const std::string& text);
    std::string sqlText() const;

    // Parameters: parsed from the SQL when it is set; bound by name or position.
    std::vector<Param>& params() { return params_; }
    Param& paramByName(const std::string& name);        // throws for an unknown name
    Param& param(std::size_t index);

    bool requestLive() const { return live_; }
    void setRequestLive(bool on) { live_ = on; }

    void prepare();
    void unprepare();
    bool prepared() const;
    // The connection the prepared (or open) query runs on; null before prepare().
    Connection* preparedConnection() const;
    void execSql();                              // a statement without rows
    std::int64_t rowsAffected() const { return rowsAffected_; }

protected:
    std::unique_ptr<Cursor> openCursor() override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string dbName_;
    std::vector<std::string> sql_;
    std::vector<Param> params_;
    bool live_ = false;
    std::int64_t rowsAffected_ = -1;
};

// Splits SQL text into the driver's text (":NAME" -> "?", "::" -> ":") and the parameter list,
// skipping quoted strings, quoted identifiers and comments.
struct ParsedSql {
    std::string text;
    std::vector<Param> params;
};
ParsedSql parseParameters(const std::string& sql);

}  // namespace vlm::engine
