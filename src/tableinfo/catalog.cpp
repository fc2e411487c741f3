// The structure window's catalog reading, per server kind.
#include "tableinfo/catalog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>

#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/table.h"
#include "tableinfo/catalogrows.h"
#include "tableinfo/typenames.h"

namespace vlm::tableinfo {

namespace detail {

std::string Rows::at(std::size_t row, const std::string& label) const {
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (labels[i] == lowerText(label)) return rows[row][i];
    return {};
}

Rows run(engine::Database& db, const std::string& sql, const std::vector<std::pair<std::string, std::string>>& params) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    for (const auto& [name, value] : params) q.paramByName(name).set(engine::Value(value));
    q.open();
    Rows r;
    for (int i = 0; i < q.fieldCount(); ++i) r.labels.push_back(lowerText(q.field(i).fieldName()));
    for (; !q.eof(); q.next()) {
        std::vector<std::string> row;
        for (int i = 0; i < q.fieldCount(); ++i) row.push_back(q.field(i).isNull() ? std::string() : q.field(i).asString());
        r.rows.push_back(std::move(row));
    }
    q.close();
    return r;
}

std::string lowerText(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string errorText(const std::exception& e) {
    if (auto* ee = dynamic_cast<const engine::EngineError*>(&e)) {
        std::string s;
        for (const auto& m : ee->messages()) s += (s.empty() ? "" : "\n") + m;
        if (!s.empty()) return s;
    }
    return e.what();
}

}  // namespace detail

using detail::Rows;
using detail::run;
using detail::errorText;
using detail::trim;
using detail::upper;

namespace {

std::string trimRight(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    return s;
}
// A catalog number as an integer ("10", "10.0", " 10 "); 0 when empty.
long long toInt(const std::string& s) {
    std::string t = trim(s);
    if (t.empty()) return 0;
    return std::llround(std::strtod(t.c_str(), nullptr));
}
std::string intText(const std::string& s) { return trim(s).empty() ? std::string() : std::to_string(toInt(s)); }


// Runs f; an error becomes a message of out and the reading goes on.
template <class F> bool guarded(TableInfoData& out, F&& f) {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        out.errors.push_back(errorText(e));
        return false;
    }
}

int interbaseDialect(engine::Database& db) {
    try {
        Rows r = run(db, kInterbaseDialectSql);
        if (!r.empty()) return int(toInt(r.rows[0][0]));
    } catch (const std::exception&) {
        // Servers before the monitoring tables speak dialect 1 only in this respect.
    }
    return 1;
}

}  // namespace

DdlTarget TableRef::target() const {
    DdlTarget d;
    d.kind = kind;
    d.tableType = tableType;
    d.nameCase = defaultNameCase(kind, driverName);
    return d;
}

TableRef tableRef(const panels::TTableInfo& info, const std::string& loginUser) {
    TableRef t;
    t.kind = info.serverKind;
    t.driverName = info.driverName;
    t.listed = info.tableName;
    t.tableType = info.tableType;
    t.isView = info.isView;
    t.oracleVersion = info.oracleVersion;
    std::size_t dot = t.listed.find('.');
    if (t.kind == ServerKind::STANDARD) {
        // A local table's name is the file name as a whole.
        t.name = t.listed;
        t.owner = upper(loginUser);
    } else if (dot == std::string::npos) {
        t.name = t.listed;
        t.owner = upper(loginUser);
    } else {
        t.owner = t.listed.substr(0, dot);
        t.name = t.listed.substr(dot + 1);
    }
    return t;
}

std::string columnQuery(const TableRef& t) {
    switch (t.kind) {
    case ServerKind::ORACLE: {
        std::string s =
            "Select T.COLUMN_ID, T.COLUMN_NAME, T.DATA_TYPE, T.DATA_LENGTH,\n"
            "T.DATA_PRECISION, T.DATA_SCALE, T.NULLABLE, T.DATA_DEFAULT,C.COMMENTS\n"
            "from SYS.ALL_TAB_COLUMNS T, SYS.ALL_COL_COMMENTS C\n"
            "where C.OWNER=T.OWNER and C.TABLE_NAME=T.TABLE_NAME And C.COLUMN_NAME=T.COLUMN_NAME\n"
            "and (T.TABLE_NAME=" + sqlString(t.name) + ")\n";
        if (!t.owner.empty()) s += "and (T.OWNER=" + sqlString(t.owner) + ")\n";
        return s + "order by T.COLUMN_ID";
    }
    case ServerKind::SQLBASE: {
        std::string s = "Select COLNO,NAME,COLTYPE,LENGTH,SCALE,NULLS,REMARKS,LABEL\nfrom SYSADM.SYSCOLUMNS\n"
                        "where (TBNAME=" + sqlString(t.name) + ")\n";
        if (!t.owner.empty()) s += "and (TBCREATOR=" + sqlString(t.owner) + ")\n";
        return s + "order by COLNO";
    }
    case ServerKind::INTERBASE:
        return "Select R.RDB$FIELD_ID,R.RDB$FIELD_NAME,\n"
               "F.RDB$FIELD_LENGTH, F.RDB$FIELD_SCALE, F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, R.RDB$NULL_FLAG, "
               "R.RDB$DEFAULT_SOURCE\n,F.RDB$DIMENSIONS,R.RDB$FIELD_SOURCE\n"
               "From RDB$RELATION_FIELDS R, RDB$FIELDS F\nwhere F.RDB$FIELD_NAME=R.RDB$FIELD_SOURCE\n"
               "and (R.RDB$RELATION_NAME=" + sqlString(t.name) + ")\norder by R.RDB$FIELD_ID";
    case ServerKind::MSSQL:
        // The outer join to the default's text in the syntax every SQL Server accepts.
        return "Select c.COLID,c.NAME,t.name,c.LENGTH,c.prec,c.scale,c.isnullable,d.text\n"
               "from dbo.SYSCOLUMNS c inner join dbo.sysobjects o on (c.id=o.id)\n"
               "inner join dbo.systypes t on (t.xusertype=c.xusertype)\n"
               "left outer join dbo.syscomments d on (d.id = c.cdefault)\n"
               "where (o.NAME=" + sqlString(t.name) + ")\norder by c.COLID";
    default:
        return {};
    }
}

namespace {

// Dialect 3 reads the precision, the length in characters, and the domain's own nullability
// and default, which a column based on a domain inherits.
std::string interbaseDialect3Query(const TableRef& t) {
    return "Select R.RDB$FIELD_ID,R.RDB$FIELD_NAME,\n"
           "F.RDB$FIELD_LENGTH, F.RDB$FIELD_SCALE, F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, R.RDB$NULL_FLAG, "
           "R.RDB$DEFAULT_SOURCE\n,F.RDB$DIMENSIONS,R.RDB$FIELD_SOURCE\n"
           ",F.RDB$FIELD_PRECISION,F.RDB$CHARACTER_LENGTH,F.RDB$NULL_FLAG,F.RDB$DEFAULT_SOURCE\n"
           "From RDB$RELATION_FIELDS R, RDB$FIELDS F\nwhere F.RDB$FIELD_NAME=R.RDB$FIELD_SOURCE\n"
           "and (R.RDB$RELATION_NAME=" + sqlString(t.name) + ")\norder by R.RDB$FIELD_POSITION";
}

// Defaults of the kinds without catalog knowledge, where the server answers.
std::map<std::string, std::string> otherDefaults(engine::Database& db, const TableRef& t) {
    std::map<std::string, std::string> out;
    const std::string d = upper(t.driverName);
    Rows r;
    if (d.find("POSTGRES") != std::string::npos) {
        std::string schema = t.hasOwner() ? t.owner : "public";
        r = run(db, "select column_name, column_default from information_schema.columns where table_schema= :S and "
                    "table_name= :T",
                {{"S", schema}, {"T", t.name}});
    } else if (d.find("SQLITE") != std::string::npos) {
        r = run(db, "select name, dflt_value from pragma_table_info(" + sqlString(t.name) + ")");
    } else {
        return out;
    }
    for (const auto& row : r.rows)
        if (!row[1].empty()) out[row[0]] = row[1];
    return out;
}

}  // namespace

std::vector<ColumnRow> readColumns(engine::Database& db, const TableRef& t, TableInfoData& out) {
    std::vector<ColumnRow>& rows = out.columns;
    const bool read = guarded(out, [&] {
        switch (t.kind) {
        case ServerKind::ORACLE: {
            Rows r = run(db, columnQuery(t));
            for (const auto& v : r.rows) {
                ColumnRow c;
                c.name = trimRight(v[1]);
                c.type = trim(v[2]);
                const std::string type = upper(c.type);
                if (type == "NUMBER") {
                    bool both = !trim(v[4]).empty() && !trim(v[5]).empty();
                    c.size = both ? intText(v[4]) : "0";
                    c.scale = both ? intText(v[5]) : "0";
                } else if (type == "CHAR" || type == "VARCHAR" || type == "RAW" || type == "VARCHAR2" ||
                           type == "NCHAR" || type == "NVARCHAR2") {
                    c.size = intText(v[3]);
                }
                c.nullable = trim(v[6]) == "N" ? "False" : "True";
                c.defaultText = trim(v[7]).empty() ? std::string() : trimRight(v[7]);
                c.comment = v[8];
                rows.push_back(c);
            }
            break;
        }
        case ServerKind::SQLBASE: {
            Rows r = run(db, columnQuery(t));
            for (const auto& v : r.rows) {
                ColumnRow c;
                c.name = trimRight(v[1]);
                c.type = trim(v[2]);
                if (upper(c.type) == "LONGVAR") c.type = "LONG VARCHAR";
                else if (upper(c.type) == "TIMESTMP") c.type = "DATETIME";
                const std::string type = upper(c.type);
                if (type == "DECIMAL") {
                    c.size = intText(v[3]);
                    c.scale = intText(v[4]);
                } else if (type == "CHAR" || type == "VARCHAR" || type == "VARCHAR2") {
                    c.size = intText(v[3]);
                }
                const std::string nulls = trim(v[5]);
                c.nullable = nulls == "N" || nulls == "D" ? "False" : "True";
                c.defaultText = nulls == "D" ? "With Default" : "";
                c.comment = v[6];
                rows.push_back(c);
            }
            break;
        }
        case ServerKind::INTERBASE: {
            out.dialect = interbaseDialect(db);
            const bool d3 = out.dialect >= 3;
            Rows r = run(db, d3 ? interbaseDialect3Query(t) : columnQuery(t));
            for (const auto& v : r.rows) {
                InterbaseField f;
                f.length = int(toInt(v[2]));
                f.scale = int(toInt(v[3]));
                f.fieldType = int(toInt(v[4]));
                f.subType = int(toInt(v[5]));
                if (d3) {
                    f.precision = int(toInt(v[10]));
                    f.charLength = int(toInt(v[11]));
                }
                GridType g = interbaseType(f, out.dialect);
                ColumnRow c;
                c.name = trimRight(v[1]);
                c.type = g.type;
                c.size = std::to_string(g.size);
                c.scale = std::to_string(g.scale);
                const bool notNull = toInt(v[6]) == 1 || (d3 && toInt(v[12]) == 1);
                c.nullable = notNull ? "False" : "True";
                std::string def = trim(v[7]);
                if (def.empty() && d3) def = trim(v[13]);
                c.defaultText = def;
                if (toInt(v[8]) > 0) {
                    guarded(out, [&] {
                        Rows dims = run(db, kInterbaseDimensionsSql, {{"RDBFIELD", trimRight(v[9])}});
                        if (dims.empty()) return;
                        std::string text = "[";
                        for (std::size_t i = 0; i < dims.rows.size(); ++i)
                            text += (i ? "," : "") + intText(dims.rows[i][2]) + "::" + intText(dims.rows[i][3]);
                        c.dimensions = text + "]";
                    });
                }
                rows.push_back(c);
            }
            break;
        }
        case ServerKind::MSSQL: {
            Rows r = run(db, columnQuery(t));
            for (const auto& v : r.rows) {
                ColumnRow c;
                c.name = trimRight(v[1]);
                c.type = upper(trim(v[2]));
                if (c.type == "DECIMAL" || c.type == "NUMERIC") {
                    c.size = intText(v[4]);
                    c.scale = intText(v[5]);
                } else if (c.type == "CHAR" || c.type == "VARCHAR" || c.type == "BINARY" || c.type == "VARBINARY") {
                    c.size = intText(v[3]);
                } else if (c.type == "NCHAR" || c.type == "NVARCHAR") {
                    c.size = intText(v[4]);
                }
                c.nullable = trim(v[6]) == "0" ? "False" : "True";
                c.defaultText = v[7];
                rows.push_back(c);
            }
            break;
        }
        default: {
            engine::Table table;
            table.setDatabase(&db);
            table.setTableName(t.kind == ServerKind::STANDARD ? t.listed : t.listed);
            std::map<std::string, std::string> defaults;
            if (t.kind == ServerKind::OTHER) guarded(out, [&] { defaults = otherDefaults(db, t); });
            for (const engine::FieldDef& f : table.fieldDefs()) {
                ColumnRow c;
                c.name = f.name;
                GridType g = t.kind == ServerKind::STANDARD ? standardType(t.tableType, f) : otherType(f);
                c.type = g.type;
                c.size = std::to_string(g.size);
                c.scale = std::to_string(g.scale);
                if (t.kind == ServerKind::OTHER) {
                    c.nullable = f.required ? "False" : "True";
                    if (auto it = defaults.find(f.name); it != defaults.end()) c.defaultText = it->second;
                }
                rows.push_back(c);
            }
            break;
        }
        }
    });
    // A catalog answers a table dropped meanwhile with no rows: say so, as the engine does.
    if (read && rows.empty() && !t.isView) out.errors.push_back("Table does not exist: " + t.listed);
    return rows;
}

void readOracleStorage(engine::Database& db, const TableRef& t, TableInfoData& out) {
    out.storage.clear();
    // Any error here ends the section silently, keeping what was built.
    try {
        Rows tab = run(db, "select * from SYS.ALL_TABLES where TABLE_NAME= :TABLE_NAME and OWNER= :TABLE_OWNER",
                       {{"TABLE_NAME", t.name}, {"TABLE_OWNER", t.owner}});
        const bool v8 = t.oracleVersion == "8";
        const bool partitioned = !tab.empty() && trim(tab.at(0, "PARTITIONED")) == "YES";
        if (!v8 || !partitioned) {
            if (tab.empty()) return;
            auto f = [&](const char* label) { return tab.at(0, label); };
            out.storage = oracleStorageClause({f("TABLESPACE_NAME"), f("PCT_FREE"), f("PCT_USED"), f("INI_TRANS"),
                                               f("MAX_TRANS"), f("INITIAL_EXTENT"), f("NEXT_EXTENT"), f("MIN_EXTENTS"),
                                               f("MAX_EXTENTS"), f("PCT_INCREASE"), f("FREELISTS"), f("FREELIST_GROUPS")});
            return;
        }
        Rows count = run(db, "select PARTITION_COUNT from SYS.ALL_PART_TABLES where OWNER= :OWNER and TABLE_NAME = :TABLE_NAME",
                         {{"OWNER", t.owner}, {"TABLE_NAME", t.name}});
        if (count.empty()) return;
        out.partitionCount = "(Partition " + intText(count.rows[0][0]) + ")";
        Rows keys = run(db,
                        "select OWNER,NAME,OBJECT_TYPE,COLUMN_NAME,COLUMN_POSITION\n"
                        "from SYS.ALL_PART_KEY_COLUMNS Where RTRIM(LTRIM(OBJECT_TYPE))='TABLE' and OWNER= :OWNER and "
                        "NAME= :NAME Order By COLUMN_POSITION",
                        {{"OWNER", t.owner}, {"NAME", t.name}});
        std::vector<std::string> keyColumns;
        for (const auto& k : keys.rows) keyColumns.push_back(trim(k[3]));
        if (!keyColumns.empty()) {
            out.storage = oraclePartitionClause(keyColumns, {});
            out.partitions = out.storage;
        }
        Rows parts = run(db,
                         "select TABLE_OWNER,TABLE_NAME,PARTITION_NAME,HIGH_VALUE,PARTITION_POSITION,TABLESPACE_NAME,"
                         "PCT_FREE,PCT_USED,\nINI_TRANS,MAX_TRANS,INITIAL_EXTENT,NEXT_EXTENT,MIN_EXTENT,MAX_EXTENT,"
                         "PCT_INCREASE,FREELISTS,FREELIST_GROUPS\nfrom SYS.ALL_TAB_PARTITIONS where TABLE_NAME= "
                         ":TABLE_NAME and TABLE_OWNER= :TABLE_OWNER\nOrder by PARTITION_POSITION",
                         {{"TABLE_NAME", t.name}, {"TABLE_OWNER", t.owner}});
        if (!parts.empty()) {
            std::vector<OraclePartition> ps;
            for (const auto& p : parts.rows) ps.push_back({trim(p[2]), p[3], trim(p[5])});
            std::vector<std::string> lines = oraclePartitionClause({}, ps);
            out.storage.insert(out.storage.end(), lines.begin(), lines.end());
            out.partitions = out.storage;
        }
    } catch (const std::exception&) {
    }
}

namespace {

std::vector<std::string> oracleIndexes(engine::Database& db, const TableRef& t) {
    std::vector<std::string> lines;
    const NameCase nc = NameCase::Upper;
    try {
        Rows tab = run(db, "select PARTITIONED from SYS.ALL_TABLES where TABLE_NAME= :TABLE_NAME and OWNER= :TABLE_OWNER",
                       {{"TABLE_NAME", t.name}, {"TABLE_OWNER", t.owner}});
        const bool partitioned = t.oracleVersion == "8" && !tab.empty() && trim(tab.rows[0][0]) == "YES";
        Rows ix = run(db, "select * from SYS.ALL_INDEXES where TABLE_NAME= :TABLE_NAME and TABLE_OWNER= :TABLE_OWNER",
                      {{"TABLE_NAME", t.name}, {"TABLE_OWNER", t.owner}});
        for (std::size_t i = 0; i < ix.rows.size(); ++i) {
            const std::string owner = trim(ix.at(i, "OWNER")), name = trim(ix.at(i, "INDEX_NAME"));
            Rows cols = run(db,
                            "select column_name from sys.all_ind_columns\n"
                            "where (index_owner= :IndexOwner) and (index_name= :IndexName)\n"
                            "and (table_name= :TableName) and (table_owner= :TableOwner)\norder by column_position",
                            {{"IndexOwner", owner}, {"IndexName", name}, {"TableName", t.name}, {"TableOwner", t.owner}});
            std::vector<std::string> columns;
            for (const auto& c : cols.rows) columns.push_back(trim(c[0]));
            lines.push_back(oracleIndexStatement(trim(ix.at(i, "UNIQUENESS")) == "UNIQUE", owner, name, t.owner, t.name,
                                                 columns, nc));
            if (!partitioned) {
                lines.push_back("TABLESPACE " + trim(ix.at(i, "TABLESPACE_NAME")) + ";");
                continue;
            }
            Rows pi = run(db,
                          "select OWNER,INDEX_NAME,PARTITIONING_TYPE,PARTITION_COUNT,PARTITIONING_KEY_COUNT,LOCALITY,"
                          "ALIGNMENT,DEF_TABLESPACE_NAME from SYS.ALL_PART_INDEXES\nwhere OWNER= :OWNER and INDEX_NAME = "
                          ":INDEX_NAME",
                          {{"OWNER", owner}, {"INDEX_NAME", name}});
            if (pi.empty()) continue;
            const bool global = trim(pi.rows[0][5]) == "GLOBAL";
            std::vector<std::string> keyColumns;
            if (global) {
                Rows keys = run(db,
                                "select OWNER,NAME,OBJECT_TYPE,COLUMN_NAME,COLUMN_POSITION\n"
                                "from SYS.ALL_PART_KEY_COLUMNS Where RTRIM(LTRIM(OBJECT_TYPE))='INDEX' and OWNER= :OWNER "
                                "and NAME= :NAME Order By COLUMN_POSITION",
                                {{"OWNER", owner}, {"NAME", name}});
                for (const auto& k : keys.rows) keyColumns.push_back(trim(k[3]));
            }
            Rows parts = run(db,
                             "select INDEX_OWNER,INDEX_NAME,PARTITION_NAME,HIGH_VALUE,PARTITION_POSITION,TABLESPACE_NAME\n"
                             "from SYS.ALL_IND_PARTITIONS where INDEX_NAME= :INDEX_NAME and INDEX_OWNER= :INDEX_OWNER\n"
                             "Order by PARTITION_POSITION",
                             {{"INDEX_NAME", name}, {"INDEX_OWNER", owner}});
            std::vector<OraclePartition> ps;
            for (const auto& p : parts.rows) ps.push_back({trim(p[2]), p[3], trim(p[5])});
            auto more = oraclePartitionedIndexLines(trim(pi.rows[0][7]), global, keyColumns, ps);
            lines.insert(lines.end(), more.begin(), more.end());
        }
    } catch (const std::exception&) {
        // The Oracle storage and index section ends silently on an error.
    }
    return lines;
}

std::vector<std::string> mssqlIndexes(engine::Database& db, const TableRef& t, TableInfoData& out) {
    std::vector<std::string> lines;
    guarded(out, [&] {
        Rows ix = run(db,
                      "select distinct object_name (o.id),user_name(o.uid),i.name, (i.status & 2)\n"
                      "from dbo.sysindexes i, dbo.sysobjects o\nwhere (i.keycnt>0) And (o.id=i.id)\nand (o.name= :TABLE_NAME)",
                      {{"TABLE_NAME", t.name}});
        for (const auto& row : ix.rows) {
            Rows cols = run(db,
                            "select c.name from dbo.sysindexkeys k, dbo.sysindexes i,dbo.syscolumns c\n"
                            "where (k.indid=i.indid) and (k.id=i.id) and (i.name= :IndexName ) and (c.colid=k.colid) "
                            "and (c.id=k.id)\norder by keyno",
                            {{"IndexName", trim(row[2])}});
            std::vector<std::string> columns;
            for (const auto& c : cols.rows) columns.push_back(trim(c[0]));
            lines.push_back(mssqlIndexStatement(toInt(row[3]) == 2, trim(row[2]), t.name, columns));
        }
    });
    return lines;
}

}  // namespace

void readIndexes(engine::Database& db, const TableRef& t, TableInfoData& out) {
    if (t.isView) return;
    if (t.kind == ServerKind::ORACLE) {
        out.indexes = oracleIndexes(db, t);
        return;
    }
    if (t.kind == ServerKind::MSSQL) {
        out.indexes = mssqlIndexes(db, t, out);
        return;
    }
    const DdlTarget target = t.target();
    const std::string table = quoteTable(t.listed, target);
    struct Def {
        std::string name, owner, columns;
        bool unique = false;   // as the engine reports it
    };
    std::vector<Def> defs;
    if (t.kind == ServerKind::SQLBASE) {
        // SQLBase's own catalog names the table's indexes (the engine's list through ODBC reads the same).
        if (!guarded(out, [&] {
                Rows r = run(db, std::string("select NAME,CREATOR from SYSADM.SYSINDEXES where TBNAME= :TABLE_NAME") +
                                     (t.hasOwner() ? " and TBCREATOR= :TABLE_OWNER" : ""),
                             t.hasOwner() ? std::vector<std::pair<std::string, std::string>>{{"TABLE_NAME", t.name},
                                                                                            {"TABLE_OWNER", t.owner}}
                                          : std::vector<std::pair<std::string, std::string>>{{"TABLE_NAME", t.name}});
                for (const auto& row : r.rows) defs.push_back({trim(row[1]) + "." + trim(row[0]), trim(row[1]), {}});
            })) {
            out.indexesFailed = true;
            return;
        }
    } else {
        try {
            engine::Table table1;
            table1.setDatabase(&db);
            table1.setTableName(t.listed);
            const bool paradox = t.kind == ServerKind::STANDARD && upper(t.tableType) == "PARADOX";
            for (const engine::IndexDef& d : table1.indexDefs()) {
                if (paradox && d.primary) {
                    out.primaryKey = d.fields;
                    continue;
                }
                Def def{d.name, {}, {}, d.unique || d.primary};
                std::vector<std::string> cols;
                for (const auto& f : d.fields) cols.push_back(quoteName(f, target.nameCase));
                for (std::size_t i = 0; i < cols.size(); ++i) def.columns += (i ? "," : "") + cols[i];
                if (d.fields.empty() && !d.expression.empty()) def.columns = d.expression;
                defs.push_back(def);
            }
        } catch (const std::exception& e) {
            out.errors.push_back(errorText(e));
            out.indexesFailed = true;
            return;
        }
    }
    for (const Def& d : defs) {
        std::string unique, columns = d.columns, freeClause, sizeClause;
        std::string indexName = d.name;
        if (t.kind == ServerKind::SQLBASE) {
            std::size_t dot = d.name.find('.');
            const std::string ixName = dot == std::string::npos ? d.name : d.name.substr(dot + 1);
            const std::string ixOwner = dot == std::string::npos ? std::string() : d.name.substr(0, dot);
            guarded(out, [&] {
                std::string sql = "select UNIQUERULE,IXTYPE,CLUSTERRULE,IXSIZE,PERCENTFREE,CREATOR from "
                                  "SYSADM.SYSINDEXES where NAME= :INDEX_NAME\nand TBNAME= :TABLE_NAME";
                std::vector<std::pair<std::string, std::string>> ps{{"INDEX_NAME", ixName}, {"TABLE_NAME", t.name}};
                if (t.hasOwner()) {
                    sql += "\nand TBCREATOR= :TABLE_OWNER";
                    ps.push_back({"TABLE_OWNER", t.owner});
                }
                if (!ixOwner.empty()) {
                    sql += "\nand CREATOR= :INDEX_OWNER";
                    ps.push_back({"INDEX_OWNER", ixOwner});
                }
                Rows r = run(db, sql, ps);
                if (r.empty()) return;
                auto c = sqlBaseIndexClauses(r.rows[0][0], r.rows[0][1], r.rows[0][2], intText(r.rows[0][3]),
                                             intText(r.rows[0][4]));
                unique = c.unique;
                sizeClause = c.sizeClause;
                freeClause = c.freeClause;
                Rows keys = run(db,
                                "select IXNAME,IXCREATOR,COLNAME,COLNO,COLSEQ,ORDERING from SYSADM.SYSKEYS\n"
                                "where IXNAME= :INDEX_NAME And IXCREATOR= :INDEX_OWNER\norder by COLSEQ",
                                {{"INDEX_NAME", ixName}, {"INDEX_OWNER", trim(r.rows[0][5])}});
                std::string text;
                for (std::size_t i = 0; i < keys.rows.size(); ++i)
                    text += (i ? ", " : "") + quoteName(trim(keys.rows[i][2]), NameCase::Upper) +
                            (trim(keys.rows[i][5]) == "D" ? " DESC" : "");
                if (!text.empty()) columns = text;
            });
            indexName = quoteName(ixOwner, NameCase::Upper) + "." + quoteName(ixName, NameCase::Upper);
        } else if (t.kind == ServerKind::INTERBASE) {
            guarded(out, [&] {
                Rows r = run(db, "select RDB$UNIQUE_FLAG from RDB$INDICES\nwhere RDB$INDEX_NAME= :INDEX_NAME\n"
                                 "and RDB$RELATION_NAME= :TABLE_NAME",
                             {{"INDEX_NAME", d.name}, {"TABLE_NAME", t.name}});
                if (!r.empty() && toInt(r.rows[0][0]) == 1) unique = " Unique";
            });
            indexName = quoteName(d.name, target.nameCase);
        } else {
            // The engine's index list says whether the index is unique (PostgreSQL, SQLite,
            // ODBC, local tables): without it a unique index would be made again as a plain one.
            if (d.unique) unique = " Unique";
            indexName = quoteName(d.name, target.nameCase);
        }
        std::string cols = columns;
        std::replace(cols.begin(), cols.end(), ';', ',');
        auto lines = indexStatement(unique, indexName, table, cols, freeClause, sizeClause);
        out.indexes.insert(out.indexes.end(), lines.begin(), lines.end());
    }
}

void readViewSource(engine::Database& db, const TableRef& t, TableInfoData& out) {
    if (!t.isView) return;
    guarded(out, [&] {
        Rows r;
        switch (t.kind) {
        case ServerKind::ORACLE:
            // The owner too: two schemas may hold a view of the same name.
            r = run(db, "select TEXT from SYS.ALL_VIEWS where VIEW_NAME= :VIEW_NAME and OWNER= :OWNER",
                    {{"VIEW_NAME", t.name}, {"OWNER", t.owner}});
            break;
        case ServerKind::SQLBASE:
            r = run(db, "select TEXT from SYSADM.SYSVIEWS where NAME= :VIEW_NAME order by SEQNO", {{"VIEW_NAME", t.name}});
            break;
        case ServerKind::INTERBASE:
            r = run(db, "select RDB$VIEW_SOURCE from RDB$RELATIONS where RDB$RELATION_NAME= :VIEW_NAME",
                    {{"VIEW_NAME", t.name}});
            break;
        case ServerKind::MSSQL:
            r = run(db, "select text from dbo.sysobjects o,dbo.syscomments t \nwhere (t.id=o.id) and (o.name= :VIEW_NAME) "
                        "order by colid",
                    {{"VIEW_NAME", t.name}});
            break;
        default: {
            // The kinds without catalog knowledge: the server's own view text where it keeps one.
            const std::string d = upper(t.driverName);
            if (d.find("POSTGRES") != std::string::npos) {
                r = run(db, "select pg_get_viewdef(c.oid, true) from pg_class c join pg_namespace n on n.oid = "
                            "c.relnamespace where n.nspname= :S and c.relname= :VIEW_NAME",
                        {{"S", t.hasOwner() ? t.owner : "public"}, {"VIEW_NAME", t.name}});
                if (!r.empty()) out.viewSource = {"create view " + quoteTable(t.listed, t.target()) + " as", r.rows[0][0]};
            } else if (d.find("SQLITE") != std::string::npos) {
                r = run(db, "select sql from sqlite_master where type = 'view' and name= :VIEW_NAME", {{"VIEW_NAME", t.name}});
                if (!r.empty()) out.viewSource = {r.rows[0][0]};
            }
            return;
        }
        }
        std::vector<std::string> texts;
        for (const auto& row : r.rows) texts.push_back(row[0]);
        out.viewSource = viewSource(t.kind, quoteTable(t.listed, t.target()), texts);
    });
}

void readSynonyms(engine::Database& db, const TableRef& t, TableInfoData& out) {
    guarded(out, [&] {
        if (t.kind == ServerKind::ORACLE) {
            Rows r = run(db, "select * from SYS.SYNONYMS where TNAME= :NAME", {{"NAME", t.name}});
            for (std::size_t i = 0; i < r.rows.size(); ++i)
                out.synonyms.push_back(synonymStatement(upper(trim(r.at(i, "SYNTYPE"))) == "PUBLIC", trim(r.at(i, "SNAME")),
                                                        trim(r.at(i, "TNAME"))));
        } else if (t.kind == ServerKind::SQLBASE) {
            Rows r = run(db, "select * from SYSADM.SYSSYNONYMS where TBNAME= :NAME", {{"NAME", t.name}});
            for (std::size_t i = 0; i < r.rows.size(); ++i)
                out.synonyms.push_back(synonymStatement(upper(trim(r.at(i, "CREATOR"))) == "PUBLIC", trim(r.at(i, "NAME")),
                                                        trim(r.at(i, "TBNAME"))));
        }
    });
}

TableRef tableRefOf(engine::Database& db, const std::string& table, const std::string& loginUser) {
    panels::TTableInfo info;
    info.databaseName = db.databaseName();
    info.driverName = db.driverName();
    info.serverKind = panels::serverKindOfDriver(info.driverName);
    info.isSqlBased = db.isSqlBased();
    bool found = false;
    for (const engine::TableEntry& e : db.connection().tables(true)) {
        std::string bare = e.name;
        if (std::size_t dot = bare.find('.'); dot != std::string::npos && info.serverKind != ServerKind::STANDARD)
            bare = bare.substr(dot + 1);
        if (e.name == table || upper(e.name) == upper(table) || (info.serverKind != ServerKind::STANDARD && bare == table)) {
            info.tableName = e.name;
            info.tableType = e.type;
            info.isView = e.view;
            found = true;
            if (e.name == table) break;
        }
    }
    if (!found) throw engine::EngineError(engine::ErrorCategory::Sql, "Table not found: " + table);
    if (info.serverKind == ServerKind::ORACLE) info.oracleVersion = panels::oracleVersion(db);
    info.tableNameForCommands = info.tableName;
    return tableRef(info, loginUser);
}

TableInfoData readTableInfo(engine::Database& db, const TableRef& t) {
    TableInfoData d;
    readColumns(db, t, d);
    // A table that is not there has nothing more to read: its error is the one to show.
    if (d.columns.empty() && !d.errors.empty() && !t.isView) return d;
    if (t.kind == ServerKind::ORACLE) readOracleStorage(db, t, d);
    readIndexes(db, t, d);
    readViewSource(db, t, d);
    readSynonyms(db, t, d);
    return d;
}

std::vector<std::string> ddlText(const TableRef& t, const TableInfoData& d) {
    std::vector<std::string> out;
    if (t.isView && !d.viewSource.empty()) {
        out = d.viewSource;
    } else {
        CreateScript s = createTableScript(t.target(), t.listed, d.columns, d.primaryKey);
        out = s.lines;
        // Without a storage clause the statement ends here: the text runs as it stands in a script tool.
        if (s.ok && d.storage.empty()) out.back() += ";";
        if (s.ok) {
            out.insert(out.end(), d.storage.begin(), d.storage.end());
            for (const auto& c : s.comments) out.push_back(c + ";");
        }
    }
    out.insert(out.end(), d.indexes.begin(), d.indexes.end());
    return out;
}

}  // namespace vlm::tableinfo
