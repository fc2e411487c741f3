// The table's DDL as text. Spacing is exact: the script is run again as it stands.
#include "tableinfo/ddl.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <initializer_list>

namespace vlm::tableinfo {

namespace {

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = char(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

bool blank(std::string_view s) { return trim(s).empty(); }

bool oneOf(const std::string& t, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (t == n) return true;
    return false;
}

std::string num(std::string_view s) { return std::to_string(ddlNumber(s)); }

std::string join(const std::vector<std::string>& v, std::string_view sep) {
    std::string r;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) r += sep;
        r += v[i];
    }
    return r;
}

// Pads or cuts to width characters (UTF-8 aware).
std::string fit(std::string_view s, std::size_t width) {
    std::string r;
    std::size_t n = 0, i = 0;
    while (i < s.size() && n < width) {
        std::size_t len = 1;
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0xF0) len = 4;
        else if (c >= 0xE0) len = 3;
        else if (c >= 0xC0) len = 2;
        r.append(s.substr(i, len));
        i += len;
        ++n;
    }
    r.append(width - n, ' ');
    return r;
}

}  // namespace

NameCase defaultNameCase(ServerKind kind, std::string_view driverName) {
    switch (kind) {
    case ServerKind::ORACLE:
    case ServerKind::SQLBASE:
    case ServerKind::INTERBASE:
        return NameCase::Upper;
    case ServerKind::OTHER:
        return upper(driverName).find("POSTGRES") != std::string::npos ? NameCase::Lower : NameCase::AsIs;
    default:
        return NameCase::AsIs;
    }
}

std::string sqlString(std::string_view text) {
    std::string r = "'";
    for (char c : text) {
        if (c == '\'') r += '\'';
        r += c;
    }
    return r + "'";
}

std::string quoteName(std::string_view name, NameCase nameCase) {
    bool plain = !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0])) && name[0] != '$';
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '_' || c == '$' || c == '#' || u >= 0x80)) plain = false;
        if (nameCase == NameCase::Upper && std::islower(u)) plain = false;
        if (nameCase == NameCase::Lower && std::isupper(u)) plain = false;
    }
    if (plain) return std::string(name);
    std::string r = "\"";
    for (char c : name) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + "\"";
}

std::string quoteTable(std::string_view listed, const DdlTarget& target) {
    if (target.kind == ServerKind::STANDARD) {
        // A local name is one file name; the local SQL reads it quoted when it has a dot.
        if (listed.find('.') == std::string_view::npos) return quoteName(listed, NameCase::AsIs);
        std::string r = "\"";
        for (char c : listed) {
            if (c == '"') r += '"';
            r += c;
        }
        return r + "\"";
    }
    std::size_t dot = listed.find('.');
    if (dot == std::string_view::npos) return quoteName(listed, target.nameCase);
    return quoteName(listed.substr(0, dot), target.nameCase) + "." + quoteName(listed.substr(dot + 1), target.nameCase);
}

int ddlNumber(std::string_view text) {
    std::string t = trim(text);
    int v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || p != t.data() + t.size()) return 0;
    return v;
}

std::string columnDefinition(const DdlTarget& target, const ColumnRow& row) {
    const std::string name = quoteName(trim(row.name), target.nameCase);
    const std::string type = trim(row.type);
    const bool local = target.kind == ServerKind::STANDARD;
    const std::string t = upper(type);   // types compare in upper case on every kind
    const std::string s = num(row.size), d = num(row.scale);
    const bool notNull = upper(trim(row.nullable)) == "FALSE";
    const bool hasDefault = !blank(row.defaultText);
    std::string r = name + " ";
    switch (target.kind) {
    case ServerKind::ORACLE:
        r += type;
        if (oneOf(t, {"NUMBER", "DECIMAL"})) {
            if (ddlNumber(row.size) >= 1) r += "(" + s + "," + d + ")";
        } else if (oneOf(t, {"CHAR", "VARCHAR", "NCHAR", "NVARCHAR2", "RAW", "VARCHAR2"})) {
            r += "(" + s + ")";
        }
        if (hasDefault) r += " Default " + row.defaultText;
        r += notNull ? " Not Null" : " Null";
        return r;
    case ServerKind::SQLBASE:
        r += type;
        if (oneOf(t, {"DECIMAL", "DEC"})) {
            if (!blank(row.size)) r += "(" + s + "," + d + ")";
        } else if (oneOf(t, {"CHAR", "VARCHAR", "VARCHAR2"})) {
            r += "(" + s + ")";
        }
        if (notNull) r += " Not Null";
        if (hasDefault) r += " With Default";
        return r;
    case ServerKind::INTERBASE: {
        if (t == "MEMO") r += "BLOB SUB_TYPE 1";
        else r += type;
        if (oneOf(t, {"NUMERIC", "DECIMAL"})) {
            if (!blank(row.size)) r += "(" + s + "," + d + ")";
        } else if (oneOf(t, {"CHAR", "VARCHAR", "VARCHAR2"})) {
            r += "(" + s + ")";
        }
        if (!blank(row.dimensions)) r += trim(row.dimensions);
        if (hasDefault) {
            std::string def = row.defaultText;
            std::size_t at = upper(def).find("DEFAULT");
            if (at != std::string::npos) def.erase(at, 7);
            r += " Default " + def + " ";
        }
        if (notNull) r += " Not Null";
        return r;
    }
    case ServerKind::MSSQL:
        r += type;
        if (oneOf(t, {"DECIMAL", "NUMERIC"})) {
            if (!blank(row.size)) r += "(" + s + "," + d + ")";
        } else if (oneOf(t, {"CHAR", "VARCHAR", "BINARY", "VARBINARY", "NCHAR", "NVARCHAR"})) {
            r += "(" + s + ")";
        }
        r += notNull ? " Not Null" : " Null";
        if (hasDefault) r += " Default " + row.defaultText;
        return r;
    case ServerKind::STANDARD:
        if (upper(target.tableType) == "DBASE") {
            if (t == "NUMERIC") {
                if (!blank(row.size) && !blank(row.scale)) r += "NUMERIC(" + s + "," + d + ")";
                else if (!blank(row.size)) r += "NUMERIC(" + s + ")";
                else r += "NUMERIC";
            } else if (t == "CHAR") r += "CHAR(" + s + ")";
            else if (t == "MEMO") r += "BLOB(1,1)";
            else if (t == "BINARY") r += "BLOB(1,2)";
            else if (t == "OLE") r += "BLOB(1,4)";
            else r += local ? t : type;
            return r;
        }
        if (t == "DECIMAL") {
            if (!blank(row.size) && !blank(row.scale)) r += "DECIMAL(" + s + "," + d + ")";
            else if (!blank(row.size)) r += "DECIMAL(" + s + ")";
            else r += "DECIMAL";
        } else if (oneOf(t, {"ALPHA", "BYTES"})) r += t + "(" + s + ")";
        else if (t == "MEMO") r += "BLOB(" + s + ",1)";
        else if (t == "BINARY") r += "BLOB(" + s + ",2)";
        else if (t == "FORMATTED MEMO") r += "BLOB(" + s + ",3)";
        else if (t == "OLE") r += "BLOB(" + s + ",4)";
        else if (t == "GRAPHIC") r += "BLOB(" + s + ",5)";
        else r += t;
        return r;
    case ServerKind::OTHER:
        break;
    }
    // The kinds without catalog knowledge: the server's own type names, with their sizes, and
    // the nullability and default the driver reports, so that the table is made again as it is.
    r += type;
    if (oneOf(t, {"NUMBER", "DECIMAL", "DEC", "NUMERIC"})) {
        if (ddlNumber(row.size) >= 1) r += "(" + s + "," + d + ")";
    } else if (oneOf(t, {"CHAR", "VARCHAR", "BYTES", "VARBYTES", "STRING", "VARCHAR2", "CHARACTER",
                         "CHARACTER VARYING", "NCHAR", "NVARCHAR", "BIT", "BIT VARYING", "VARBINARY", "BINARY"})) {
        if (ddlNumber(row.size) >= 1) r += "(" + s + ")";
    }
    if (hasDefault) r += " Default " + row.defaultText;
    if (notNull) r += " Not Null";
    return r;
}

CreateScript createTableScript(const DdlTarget& target, std::string_view tableName, const std::vector<ColumnRow>& rows,
                               const std::vector<std::string>& primaryKey) {
    CreateScript out;
    const std::string n = quoteTable(tableName, target);
    out.lines.push_back("Create Table " + n + " (");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (blank(rows[i].name) || blank(rows[i].type)) {
            out.ok = false;
            return out;
        }
        std::string line = columnDefinition(target, rows[i]);
        if (i + 1 < rows.size() || !primaryKey.empty()) line += ",";
        out.lines.push_back(std::move(line));
    }
    if (!primaryKey.empty()) {
        std::string keys;
        for (const auto& k : primaryKey) keys += (keys.empty() ? "" : ",") + quoteName(k, target.nameCase);
        out.lines.push_back("PRIMARY KEY (" + keys + ")");
    }
    out.lines.push_back(")");
    if (target.kind == ServerKind::ORACLE || target.kind == ServerKind::SQLBASE)
        for (const ColumnRow& r : rows)
            if (!blank(r.comment))
                out.comments.push_back("COMMENT ON COLUMN " + n + "." + quoteName(trim(r.name), target.nameCase) +
                                       " IS " + sqlString(r.comment));
    return out;
}

std::vector<std::string> showCreateScript(const DdlTarget& target, std::string_view tableName,
                                          const std::vector<ColumnRow>& rows,
                                          const std::vector<std::string>& storageLines, bool* ok,
                                          const std::vector<std::string>& primaryKey) {
    CreateScript s = createTableScript(target, tableName, rows, primaryKey);
    if (ok) *ok = s.ok;
    std::vector<std::string> out = s.lines;
    if (!s.ok) return out;
    out.insert(out.end(), storageLines.begin(), storageLines.end());
    for (const std::string& c : s.comments) out.push_back(c + ";");
    return out;
}

std::vector<std::string> oracleStorageClause(const OracleStorage& s) {
    return {"TABLESPACE " + s.tablespace,
            "PCTFREE " + s.pctFree,
            "PCTUSED " + s.pctUsed,
            "INITRANS " + s.iniTrans,
            "MAXTRANS " + s.maxTrans,
            "STORAGE (INITIAL " + s.initial,
            "         NEXT " + s.next,
            "         MINEXTENTS " + s.minExtents,
            "         MAXEXTENTS " + s.maxExtents,
            "         PCTINCREASE " + s.pctIncrease,
            "         FREELISTS " + s.freelists,
            "         FREELIST GROUPS " + s.freelistGroups,
            ");"};
}

std::vector<std::string> oraclePartitionClause(const std::vector<std::string>& keyColumns,
                                               const std::vector<OraclePartition>& partitions) {
    std::vector<std::string> out;
    if (!keyColumns.empty()) out.push_back("PARTITION BY RANGE (" + join(keyColumns, ",") + ") (");
    for (std::size_t i = 0; i < partitions.size(); ++i) {
        const auto& p = partitions[i];
        out.push_back("PARTITION " + p.name + " VALUES LESS THAN (" + p.highValue + ") TABLESPACE " + p.tablespace +
                      (i + 1 < partitions.size() ? "," : ""));
    }
    if (!partitions.empty()) out.push_back(");");
    return out;
}

std::string oracleIndexStatement(bool unique, std::string_view indexOwner, std::string_view indexName,
                                 std::string_view owner, std::string_view table,
                                 const std::vector<std::string>& columns, NameCase nameCase) {
    std::string r = "Create ";
    if (unique) r += " Unique ";
    r += "Index ";
    if (!blank(indexOwner)) r += quoteName(indexOwner, nameCase) + ".";
    std::vector<std::string> cols;
    for (const auto& c : columns) cols.push_back(quoteName(c, nameCase));
    r += quoteName(indexName, nameCase) + " On " + quoteName(owner, nameCase) + "." + quoteName(table, nameCase) +
         " (" + join(cols, ", ") + ")";
    return r;
}

std::vector<std::string> oraclePartitionedIndexLines(std::string_view defTablespace, bool global,
                                                     const std::vector<std::string>& keyColumns,
                                                     const std::vector<OraclePartition>& partitions) {
    std::vector<std::string> out;
    if (!blank(defTablespace)) out.push_back("TABLESPACE " + std::string(defTablespace));
    if (!global) out.push_back("LOCAL (");
    else if (!keyColumns.empty()) out.push_back("GLOBAL PARTITON BY RANGE (" + join(keyColumns, ",") + ") (");
    for (std::size_t i = 0; i < partitions.size(); ++i) {
        const auto& p = partitions[i];
        std::string line = "PARTITION " + p.name;
        if (global) line += " VALUES LESS THAN (" + p.highValue + ")";
        line += " TABLESPACE " + p.tablespace;
        if (i + 1 < partitions.size()) line += ",";
        out.push_back(line);
    }
    if (!partitions.empty()) out.push_back(");");
    return out;
}

std::string mssqlIndexStatement(bool unique, std::string_view indexName, std::string_view table,
                                const std::vector<std::string>& columns, NameCase nameCase) {
    std::vector<std::string> cols;
    for (const auto& c : columns) cols.push_back(quoteName(c, nameCase));
    return std::string("Create ") + (unique ? "UNIQUE " : "") + "Index " + quoteName(indexName, nameCase) + " On " +
           quoteName(table, nameCase) + " (" + join(cols, ", ") + ");";
}

SqlBaseIndexClauses sqlBaseIndexClauses(std::string_view uniqueRule, std::string_view ixType,
                                        std::string_view clusterRule, std::string_view ixSize,
                                        std::string_view percentFree) {
    SqlBaseIndexClauses c;
    if (trim(uniqueRule) == "U") c.unique = " UNIQUE";
    if (trim(ixType) == "H" && trim(clusterRule) == "C") {
        c.unique += " CLUSTERED HASHED";
        c.sizeClause = "SIZE " + trim(ixSize) + " ROWS";
    }
    if (!blank(percentFree) && ddlNumber(percentFree) != 10) c.freeClause = "PCTFREE " + trim(percentFree);
    return c;
}

std::vector<std::string> indexStatement(std::string_view unique, std::string_view indexName, std::string_view table,
                                        std::string_view columns, std::string_view freeClause,
                                        std::string_view sizeClause) {
    std::string head = "Create" + std::string(unique) + " Index " + std::string(indexName) + " On " +
                       std::string(table) + " ( " + std::string(columns);
    if (freeClause.empty() && sizeClause.empty()) return {head + " );"};
    return {head + " )", std::string(freeClause) + " " + std::string(sizeClause) + ";"};
}

std::vector<std::string> viewSource(ServerKind kind, std::string_view viewName, const std::vector<std::string>& rows) {
    if (rows.empty()) return {};
    std::vector<std::string> out;
    switch (kind) {
    case ServerKind::ORACLE:
        out.push_back("create or replace view " + std::string(viewName) + " as");
        break;
    case ServerKind::SQLBASE:
    case ServerKind::INTERBASE:
        out.push_back("create view " + std::string(viewName) + " as");
        break;
    case ServerKind::MSSQL: {
        std::string all;
        for (const auto& r : rows) all += r;
        return {all};
    }
    default:
        return {};
    }
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

std::string synonymStatement(bool isPublic, std::string_view synonym, std::string_view target) {
    return std::string("create ") + (isPublic ? "public " : "") + "synonym " + std::string(synonym) + " for " +
           std::string(target) + ";";
}

std::vector<std::string> insertTemplate(std::string_view tableName, const std::vector<std::string>& fields) {
    std::vector<std::string> out{"Insert Into " + std::string(tableName) + " ("};
    for (std::size_t i = 0; i < fields.size(); ++i)
        out.push_back(fields[i] + (i + 1 < fields.size() ? "," : ") VALUES ("));
    for (std::size_t i = 0; i < fields.size(); ++i)
        out.push_back(" :" + fields[i] + (i + 1 < fields.size() ? "," : ")"));
    return out;
}

std::vector<std::string> updateTemplate(std::string_view tableName, const std::vector<std::string>& fields) {
    std::vector<std::string> out{"Update " + std::string(tableName) + " Set"};
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += fields[i] + " = :" + fields[i] + (i + 1 < fields.size() ? "," : " Where ");
        if ((i + 1) % 4 == 0 || i + 1 == fields.size()) {
            out.push_back(line);
            line.clear();
        }
    }
    return out;
}

std::vector<std::string> structureText(std::string_view tableName, const std::vector<std::vector<std::string>>& grid,
                                       const std::vector<std::string>& comments, bool withComments,
                                       std::string_view commentsHeader) {
    static const std::size_t widths[] = {0, 5, 20, 20, 10, 10, 10, 50, 50};
    const std::string rule(180, '-');
    std::vector<std::string> out{"Structure of table: " + std::string(tableName), rule};
    for (std::size_t r = 0; r < grid.size(); ++r) {
        std::string line;
        for (std::size_t c = 1; c <= 8; ++c) line += fit(c < grid[r].size() ? grid[r][c] : std::string(), widths[c]);
        if (withComments) {
            if (r == 0) line += commentsHeader;
            else if (r - 1 < comments.size()) line += comments[r - 1];
        }
        out.push_back(line);
        if (r == 0) out.push_back(rule);
    }
    return out;
}

std::vector<std::string> privilegeScript(const std::vector<Privilege>& rows, std::string_view owner,
                                         std::string_view table) {
    std::vector<std::string> out;
    for (const auto& p : rows)
        out.push_back("GRANT " + p.privilege + " ON " + std::string(owner) + "." + std::string(table) + " TO " +
                      p.grantee + (trim(p.grantable) == "NO" ? "" : " WITH GRANT OPTION") + ";");
    return out;
}

}  // namespace vlm::tableinfo
