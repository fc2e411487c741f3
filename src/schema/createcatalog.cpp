// The create window's catalog reading.
#include "schema/createcatalog.h"

#include <cctype>

#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "tableinfo/ddl.h"

namespace vlm::schema {

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> column(engine::Database& db, const std::string& sql, int index) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.open();
    std::vector<std::string> out;
    for (q.first(); !q.eof(); q.next()) out.push_back(q.field(index).asString());
    return out;
}

}  // namespace

std::string oracleColumnListSql(const std::string& owner, const std::string& table) {
    std::string sql = "Select COLUMN_ID,COLUMN_NAME,DATA_TYPE,DATA_LENGTH,\n"
                      "DATA_PRECISION,DATA_SCALE,NULLABLE,DATA_DEFAULT\n"
                      "from SYS.ALL_TAB_COLUMNS\n"
                      "where (TABLE_NAME=" + tableinfo::sqlString(table) + ")\n";
    if (!owner.empty()) sql += "and (OWNER=" + tableinfo::sqlString(owner) + ")\n";
    return sql + "order by COLUMN_ID";
}

std::string mssqlColumnListSql(const std::string& table) {
    return "Select c.COLID,c.NAME,t.name,c.LENGTH,c.prec,c.scale,c.isnullable,d.text\n"
           "from dbo.SYSCOLUMNS c,dbo.sysobjects o,dbo.systypes t, dbo.syscomments d\n"
           "where (c.id=o.id) and (t.xusertype=c.xusertype)  and (d.id =* c.cdefault) and (o.NAME=" +
           tableinfo::sqlString(table) + ")\norder by c.COLID";
}

std::vector<std::string> indexTableColumns(engine::Database& db, panels::ServerKind kind, const std::string& table,
                                           const std::string& loginUser, std::string* error) {
    std::vector<std::string> out;
    try {
        for (const auto& f : db.connection().fieldDefs(table)) out.push_back(f.name);
        return out;
    } catch (const std::exception& e) {
        if (error) *error = e.what();
    }
    const std::size_t dot = table.find('.');
    const std::string name = dot == std::string::npos ? table : table.substr(dot + 1);
    try {
        if (kind == panels::ServerKind::ORACLE) {
            const std::string owner = dot == std::string::npos ? upper(loginUser) : table.substr(0, dot);
            out = column(db, oracleColumnListSql(owner, name), 1);
        } else if (kind == panels::ServerKind::MSSQL) {
            out = column(db, mssqlColumnListSql(name), 1);
        }
    } catch (const std::exception& e) {
        if (error) *error += std::string(error->empty() ? "" : "\n") + e.what();
    }
    return out;
}

std::vector<std::string> serverOwnTypes(engine::Database& db) {
    try {
        return db.connection().typeNames();
    } catch (const std::exception&) {
        return {};   // the chooser keeps the common list; a typed name still reaches the server
    }
}

std::vector<std::string> tableSpaces(engine::Database& db) { return column(db, kTableSpaceSql, 0); }

}  // namespace vlm::schema
