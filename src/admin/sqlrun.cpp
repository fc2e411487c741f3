// Statements of the administration windows on an open database (see sqlrun.h).
#include "admin/sqlrun.h"

#include "engine/database.h"
#include "engine/query.h"

namespace vlm::admin {

TextRows selectRows(engine::Database& db, const std::string& sql,
                    const std::vector<std::pair<std::string, std::string>>& named) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    for (const auto& [name, value] : named) q.paramByName(name).set(engine::Value(value), engine::FieldType::String);
    q.open();
    TextRows out;
    out.columns = q.fieldNames();
    for (q.first(); !q.eof(); q.next()) {
        TextRow row;
        for (int i = 0; i < q.fieldCount(); ++i) row.push_back(q.field(i).asString());
        out.rows.push_back(std::move(row));
    }
    q.close();
    return out;
}

void execSql(engine::Database& db, const std::string& sql) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.execSql();
}

}  // namespace vlm::admin
