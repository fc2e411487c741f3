// Definition texts of the server object lists.
#include "objlists/texts.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "engine/database.h"
#include "engine/query.h"
#include "tableinfo/typenames.h"

namespace vlm::objlists {

using K = ServerKind;
using L = ListKind;

namespace {

std::string trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}
std::string rtrim(std::string_view s) {
    std::size_t e = s.size();
    while (e > 0 && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(0, e));
}
long long toInt(std::string_view s) {
    std::string t = trim(s);
    if (t.empty()) return 0;
    // Whole numbers are read exactly: a 64-bit trigger type does not survive a double.
    char* end = nullptr;
    errno = 0;
    const long long whole = std::strtoll(t.c_str(), &end, 10);
    if (end && *end == '\0' && errno == 0) return whole;
    return std::llround(std::strtod(t.c_str(), nullptr));
}
std::string num(long long v) { return std::to_string(v); }

// Name and owner parts of "OWNER.NAME".
std::string namePart(const std::string& s) {
    std::size_t dot = s.find('.');
    return dot == std::string::npos ? s : s.substr(dot + 1);
}
std::string ownerPart(const std::string& s) {
    std::size_t dot = s.find('.');
    return dot == std::string::npos ? std::string() : s.substr(0, dot);
}
std::vector<std::string> firstColumn(const Rows& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.empty() ? std::string() : trim(r[0]));
    return out;
}
void append(std::vector<std::string>& to, const std::vector<std::string>& lines) {
    to.insert(to.end(), lines.begin(), lines.end());
}

}  // namespace

Rows DatabaseReader::rows(const std::string& sql, const Params& params) {
    engine::Query q;
    q.setDatabase(&db_);
    q.setSql(sql);
    for (const auto& [name, value] : params) q.paramByName(name).set(engine::Value(value));
    q.open();
    Rows out;
    for (; !q.eof(); q.next()) {
        std::vector<std::string> row;
        for (int i = 0; i < q.fieldCount(); ++i) row.push_back(q.field(i).isNull() ? std::string() : q.field(i).asString());
        out.push_back(std::move(row));
    }
    q.close();
    return out;
}

int interbaseDialect(CatalogReader& reader) {
    try {
        Rows r = reader.rows(kInterbaseDialectSql, {});
        if (!r.empty() && !r[0].empty() && toInt(r[0][0]) > 0) return int(toInt(r[0][0]));
    } catch (const std::exception&) {
        // A server without monitoring tables is an old InterBase: its texts are the dialect-1 ones.
    }
    return 1;
}

std::string quoted(std::string_view text) {
    std::string s = "'";
    for (char c : text) {
        s += c;
        if (c == '\'') s += '\'';
    }
    return s + "'";
}

std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    std::size_t start = 0;
    while (true) {
        std::size_t nl = text.find('\n', start);
        std::string_view line = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.emplace_back(line);
        if (nl == std::string_view::npos) break;
        start = nl + 1;
        if (start == text.size()) break;
    }
    return out;
}

std::string joinColumns(const std::vector<std::string>& columns, std::string_view separator) {
    std::string s;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i) s += separator;
        s += columns[i];
    }
    return s;
}

// --- Types ----------------------------------------------------------------------------------------

std::string interbaseTypeName(int fieldType, int subType, int scale) {
    switch (fieldType) {
    case 7: return "SMALLINT";
    case 8: return "INTEGER";
    case 10: return "FLOAT";
    case 14: return "CHAR";
    case 27: return scale != 0 ? "NUMERIC" : "DOUBLE PRECISION";
    case 35: return "DATE";
    case 37: return "VARCHAR";
    case 40: return "CSTRING";
    case 45: return "BLOB_ID";
    case 261: return subType == 0 ? "BLOB" : subType == 1 ? "MEMO" : "";
    default: return "UNKNOWN";
    }
}

std::string interbaseTypeText(int fieldType, int subType, int length, int scale, bool cstringSized) {
    std::string name = interbaseTypeName(fieldType, subType, scale);
    if (name == "NUMERIC") return "NUMERIC(" + num(length) + "," + num(scale) + ")";
    if (name == "CHAR" || name == "VARCHAR" || name == "VARCHAR2" || (cstringSized && name == "CSTRING"))
        return name + "(" + num(length) + ")";
    if (name == "MEMO") return "BLOB SUB_TYPE 1";
    return name;
}

std::string firebirdTypeText(const FirebirdType& t) {
    if (t.fieldType == 40) return "CSTRING(" + num(t.charLength > 0 ? t.charLength : t.length) + ")";
    if (t.fieldType == 45) return "BLOB_ID";
    tableinfo::InterbaseField f;
    f.fieldType = t.fieldType;
    f.subType = t.subType;
    f.length = t.length;
    f.scale = t.scale;
    f.precision = t.precision;
    f.charLength = t.charLength;
    tableinfo::GridType g = tableinfo::interbaseType(f, 3);
    if (g.type == "NUMERIC" || g.type == "DECIMAL") return g.type + "(" + num(g.size) + "," + num(g.scale) + ")";
    if (g.type == "CHAR" || g.type == "VARCHAR") return g.type + "(" + num(g.size) + ")";
    if (g.type == "MEMO") return "BLOB SUB_TYPE 1";
    return g.type;
}

namespace {

// The events of a DDL trigger, by bit of its type (bits 13 to 15 tell the trigger's class).
std::string ddlTriggerEvents(long long type) {
    static const char* events[] = {
        "",                  "CREATE TABLE",       "ALTER TABLE",     "DROP TABLE",      "CREATE PROCEDURE",
        "ALTER PROCEDURE",   "DROP PROCEDURE",     "CREATE FUNCTION", "ALTER FUNCTION",  "DROP FUNCTION",
        "CREATE TRIGGER",    "ALTER TRIGGER",      "DROP TRIGGER",    "",                "",
        "",                  "CREATE EXCEPTION",   "ALTER EXCEPTION", "DROP EXCEPTION",  "CREATE VIEW",
        "ALTER VIEW",        "DROP VIEW",          "CREATE DOMAIN",   "ALTER DOMAIN",    "DROP DOMAIN",
        "CREATE ROLE",       "ALTER ROLE",         "DROP ROLE",       "CREATE INDEX",    "ALTER INDEX",
        "DROP INDEX",        "CREATE SEQUENCE",    "ALTER SEQUENCE",  "DROP SEQUENCE",   "CREATE USER",
        "ALTER USER",        "DROP USER",          "CREATE COLLATION", "DROP COLLATION", "ALTER CHARACTER SET",
        "CREATE PACKAGE",    "ALTER PACKAGE",      "DROP PACKAGE",    "CREATE PACKAGE BODY", "DROP PACKAGE BODY",
        "CREATE MAPPING",    "ALTER MAPPING",      "DROP MAPPING"};
    constexpr long long classBits = 0x6000;
    const long long mask = type & ~(classBits | 1LL);
    if (mask == (0x7FFFFFFFFFFFFFFFLL & ~(classBits | 1LL))) return "ANY DDL STATEMENT";
    std::string s;
    for (int bit = 1; bit < int(std::size(events)); ++bit) {
        if ((mask >> bit & 1) == 0) continue;
        if (!*events[bit]) return {};   // a bit this list does not know: no half a name
        s += (s.empty() ? "" : " OR ") + std::string(events[bit]);
    }
    if (mask >> std::size(events) != 0) return {};
    return s;
}

}  // namespace

std::string firebirdTriggerType(long long type) {
    if (type > 0 && (type & 0x6000) == 0x4000) {
        const std::string events = ddlTriggerEvents(type);
        return events.empty() ? "" : std::string((type & 1) ? "AFTER " : "BEFORE ") + events;
    }
    static const char* actions[] = {"", "INSERT", "UPDATE", "DELETE"};
    static const char* database[] = {"ON CONNECT", "ON DISCONNECT", "ON TRANSACTION START", "ON TRANSACTION COMMIT",
                                     "ON TRANSACTION ROLLBACK"};
    if ((type & 0x2000) != 0 && (type & 0x4000) == 0) {
        long long n = type & ~0x2000LL;
        return n >= 0 && n < 5 ? database[n] : "";
    }
    if (type < 1 || type > 114) return "";
    // Type = 1 + after + the actions in slots of two bits from bit 1.
    const long long code = type + 1;
    std::string s = (code & 1) ? "AFTER " : "BEFORE ";
    bool any = false;
    for (int slot = 0; slot < 3; ++slot) {
        long long a = (code >> (1 + 2 * slot)) & 3;
        if (a == 0) break;
        s += std::string(any ? " OR " : "") + actions[a];
        any = true;
    }
    return any ? s : "";
}

// --- Builders -------------------------------------------------------------------------------------

std::string indexStatement(const TextContext& c, const CatalogRow& row, const std::vector<std::string>& columns,
                           const FirebirdIndex* fb) {
    const std::string table = trim(row.at(0)), tableOwner = trim(row.at(1)), index = trim(row.at(2)),
                      indexOwner = trim(row.at(3)), unique = row.at(4);
    const std::string list = joinColumns(columns, ", ");
    switch (c.kind) {
    case K::INTERBASE:
    case K::MSSQL: {
        const bool isUnique = trim(unique) == (c.kind == K::INTERBASE ? "1" : "2");
        std::string s = std::string("Create ") + (isUnique ? "UNIQUE " : "");
        if (fb && fb->descending) s += "DESCENDING ";
        s += "Index " + index + " On " + table;
        if (fb && !trim(fb->expression).empty()) return s + " COMPUTED BY " + trim(fb->expression);
        return s + " (" + list + ")";
    }
    case K::ORACLE:
    case K::SQLBASE: {
        std::string s = "Create ";
        if (!trim(unique).empty()) s += unique + " ";
        s += "Index ";
        if (!indexOwner.empty()) s += indexOwner + ".";
        return s + index + " On " + tableOwner + "." + table + " (" + list + ")";
    }
    default: return {};
    }
}

std::vector<std::string> triggerText(const TextContext& c, const CatalogRow& row, const FirebirdTrigger* fb) {
    std::vector<std::string> out;
    switch (c.kind) {
    case K::ORACLE:
        out.push_back("create or replace trigger ");
        append(out, linesOf(row.at(5)));
        append(out, linesOf(row.at(6)));
        break;
    case K::SQLBASE: append(out, linesOf(row.at(3))); break;
    case K::MSSQL: append(out, linesOf(row.at(1))); break;
    case K::INTERBASE: {
        const std::string name = trim(row.at(0)), relation = trim(row.at(1));
        const long long type = toInt(row.at(2));
        if (c.dialect < 3 || !fb) {
            out.push_back("create trigger " + name + " for " + relation);
            static const char* types[] = {"", "BEFORE INSERT", "AFTER INSERT", "BEFORE UPDATE", "AFTER UPDATE",
                                          "BEFORE DELETE", "AFTER DELETE"};
            out.push_back(type >= 1 && type <= 6 ? types[type] : "");
        } else {
            out.push_back("create trigger " + name + (relation.empty() ? "" : " for " + relation));
            std::string firing = firebirdTriggerType(type);
            out.push_back(std::string(fb->inactive ? "INACTIVE" : "ACTIVE") + (firing.empty() ? "" : " " + firing) +
                          " POSITION " + num(fb->position));
        }
        append(out, linesOf(row.at(3)));
        break;
    }
    default: break;
    }
    return out;
}

std::vector<std::string> snapshotDetails(const CatalogRow& row) {
    std::vector<std::string> out;
    for (std::size_t i = 1; i <= 15; ++i)
        out.push_back((i < row.headings.size() ? row.headings[i] : std::string()) + " = " + row.at(i));
    return out;
}

std::vector<std::string> snapshotStatement(const CatalogRow& row) {
    std::vector<std::string> out{"CREATE SNAPSHOT " + row.at(0)};
    if (!trim(row.at(10)).empty()) out.push_back("REFRESH " + row.at(10));
    if (!trim(row.at(11)).empty()) out.push_back("NEXT " + row.at(11));
    std::vector<std::string> query = linesOf(row.at(16));
    for (std::size_t i = 0; i < query.size(); ++i) {
        if (i == 0) out.push_back("AS " + query[0]);
        else if (!trim(query[i]).empty()) out.push_back(query[i]);
    }
    if (query.empty()) out.push_back("AS ");
    return out;
}

std::vector<std::string> packageSource(const std::vector<std::string>& textRows) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < textRows.size(); ++i) {
        std::string s;
        for (const auto& l : linesOf(textRows[i])) s += trim(l) + " ";
        if (i == 0) s = "CREATE " + s;
        out.push_back(trim(s));
    }
    return out;
}

std::vector<std::string> tableSpaceStatement(const CatalogRow& row, const DataFile& file) {
    std::string size;
    if (file.blocks) {
        size = file.size + " blocks";
    } else {
        double bytes = std::strtod(trim(file.size).c_str(), nullptr);
        size = num(std::llround(bytes / 1048576.0)) + " Mb";
    }
    // The file name stands between quotes: an apostrophe in it is doubled.
    std::string name = quoted(file.name);
    return {"CREATE TABLESPACE " + row.at(0),
            "DATAFILE " + name + " (" + size + ")",
            "DEFAULT STORAGE (INITIAL " + row.at(2),
            "NEXT " + row.at(3),
            "MINEXTENTS " + row.at(4),
            "MAXEXTENTS " + row.at(5),
            "PCTINCREASE " + row.at(6) + ")"};
}

std::vector<std::string> oracleConstraint(const CatalogRow& row, const std::vector<std::string>& columns,
                                          const std::string& refOwner, const std::string& refTable,
                                          const std::vector<std::string>& refColumns) {
    const std::string type = trim(row.at(1)), condition = row.at(6);
    std::string last;
    if (type == "C" && !trim(condition).empty()) last = "CHECK(" + condition + ")";
    else if (type == "P") last = "PRIMARY KEY (" + joinColumns(columns, ",") + ")";
    else if (type == "U") last = "UNIQUE (" + joinColumns(columns, ",") + ")";
    else if (type == "R") last = "FOREIGN KEY (" + joinColumns(columns, ",") + ")";
    else return {};
    std::vector<std::string> out{"ALTER TABLE " + ownerPart(row.at(0)) + "." + row.at(2),
                                 "ADD CONSTRAINT " + namePart(row.at(0)), last};
    if (type == "R") out.push_back("REFERENCES " + refOwner + "." + refTable + " (" + joinColumns(refColumns, ",") + ")");
    return out;
}

std::string sessionStatement(const CatalogRow& row) {
    return "Alter Session Set " + row.at(0) + " = " + quoted(row.at(1));
}

std::vector<std::string> domainStatement(const TextContext& c, const CatalogRow& row, const FirebirdDomain* fb) {
    const int type = int(toInt(row.at(1))), sub = int(toInt(row.at(2))), length = int(toInt(row.at(3))),
              scale = int(toInt(row.at(4)));
    const std::string name = trim(row.at(0)), defaultSource = trim(row.at(7)), check = trim(row.at(8));
    const bool notNull = trim(row.at(5)) == "1";
    std::vector<std::string> out{"CREATE DOMAIN " + name + " AS"};
    if (c.dialect < 3 || !fb) {
        out.push_back(interbaseTypeText(type, sub, length, scale, false));
        if (notNull) out.push_back("NOT NULL");
        if (!defaultSource.empty()) out.push_back(defaultSource);
        if (!check.empty()) out.push_back(check);
        return out;
    }
    FirebirdType t{type, sub, length, scale, fb->precision, int(toInt(row.at(24)))};
    std::string text = firebirdTypeText(t);
    if (type == 261) {
        // A blob keeps its sub-type and, when not the default of 80, its segment size.
        text = sub == 1 ? "BLOB SUB_TYPE 1" : "BLOB SUB_TYPE " + num(sub);
        const long long segment = toInt(row.at(6));
        if (segment > 0 && segment != 80) text += " SEGMENT SIZE " + num(segment);
        else if (sub == 0) text = "BLOB";
    }
    if (!fb->bounds.empty()) {
        text += "[";
        for (std::size_t i = 0; i < fb->bounds.size(); ++i)
            text += (i ? "," : "") + trim(fb->bounds[i].first) + ":" + trim(fb->bounds[i].second);
        text += "]";
    }
    const bool textual = type == 14 || type == 37 || type == 40 || (type == 261 && sub == 1);
    const std::string cs = trim(fb->charset), dbcs = trim(fb->databaseCharset), collation = trim(fb->collation);
    if (textual && !cs.empty() && (cs != (dbcs.empty() ? "NONE" : dbcs) || !collation.empty()))
        text += " CHARACTER SET " + cs;
    out.push_back(text);
    if (!defaultSource.empty()) out.push_back(defaultSource);
    if (notNull) out.push_back("NOT NULL");
    if (!check.empty()) out.push_back(check);
    // Firebird's grammar takes a domain's collation last.
    if (textual && !collation.empty()) out.push_back("COLLATE " + collation);
    return out;
}

std::vector<std::string> functionDeclaration(const TextContext& c, const CatalogRow& row, const Rows& arguments) {
    if (arguments.empty()) return {};
    const bool fb = c.dialect >= 3;
    const long long returnPosition = toInt(row.at(3));
    auto at = [](const std::vector<std::string>& r, std::size_t i) { return i < r.size() ? r[i] : std::string(); };
    auto typeText = [&](const std::vector<std::string>& a) {
        const int type = int(toInt(at(a, 2))), length = int(toInt(at(a, 3))), sub = int(toInt(at(a, 4))),
                  scale = int(toInt(at(a, 5)));
        if (!fb) return interbaseTypeText(type, sub, length, scale, true);
        return firebirdTypeText({type, sub, length, scale, int(toInt(at(a, 7))), int(toInt(at(a, 8)))});
    };
    std::vector<std::string> out{"DECLARE EXTERNAL FUNCTION " + trim(row.at(0))};
    std::string argLine, returns;
    long long mechanism = 1;
    bool haveReturn = false;
    for (const auto& a : arguments) {
        if (toInt(at(a, 0)) == returnPosition) {
            returns = typeText(a);
            mechanism = toInt(at(a, 1));
            haveReturn = true;
            if (!fb || returnPosition == 0) continue;
        }
        std::string arg = typeText(a);
        if (fb && toInt(at(a, 1)) == 2) arg += " BY DESCRIPTOR";
        argLine += arg + ", ";
    }
    if (!trim(argLine).empty()) out.push_back(argLine.substr(0, argLine.size() - 2));
    if (fb && returnPosition != 0) {
        out.push_back("RETURNS PARAMETER " + num(returnPosition));
    } else {
        std::string r = "RETURNS " + (haveReturn ? returns : std::string());
        if (mechanism == -1) r += " FREE_IT";
        else if (mechanism == 0) r += " BY VALUE";
        else if (fb && mechanism == 2) r += " BY DESCRIPTOR";
        out.push_back(r);
    }
    const std::string entry = trim(row.at(2)), module = trim(row.at(1));
    if (fb) {
        // Dialect 3 reads double quotes as a name: the entry point and module are strings.
        out.push_back("ENTRY_POINT " + quoted(entry));
        out.push_back("MODULE_NAME " + quoted(module));
    } else {
        out.push_back("ENTRY_POINT \"" + entry + "\"");
        out.push_back("MODULE_NAME \"" + module + "\"");
    }
    return out;
}

std::vector<std::string> exceptionStatement(const TextContext& c, const CatalogRow& row) {
    std::vector<std::string> out{"CREATE EXCEPTION " + trim(row.at(0))};
    if (c.dialect >= 3) out.push_back(quoted(row.at(1)));
    else out.push_back("\"" + row.at(1) + "\"");
    return out;
}

// --- Detail queries -------------------------------------------------------------------------------

std::string indexColumnsSql(ServerKind kind) {
    switch (kind) {
    case K::ORACLE:
        return "select column_name from sys.all_ind_columns\nwhere (index_owner= :IndexOwner) and (index_name= :IndexName)\n"
               "and (table_name= :TableName) and (table_owner= :TableOwner)\norder by column_position";
    case K::SQLBASE:
        return "select colname from sysadm.syskeys\nwhere (ixcreator= :IndexOwner) and (ixname= :IndexName)\norder by colseq";
    case K::INTERBASE:
        return "select RDB$FIELD_NAME from RDB$INDEX_SEGMENTS\nwhere (RDB$INDEX_NAME= :IndexName)\norder by RDB$FIELD_POSITION";
    case K::MSSQL:
        // Index names repeat across tables: the row's table and its owner pick the index.
        return "select c.name from dbo.sysindexkeys k, dbo.sysindexes i,dbo.syscolumns c\n"
               "where (k.indid=i.indid) and (k.id=i.id) and (i.name= :IndexName ) and (c.colid=k.colid) and (c.id=k.id)\n"
               "and (i.id=(select o.id from dbo.sysobjects o, dbo.sysusers u where (o.name= :TableName) and "
               "(u.uid=o.uid) and (u.name= :TableOwner)))\norder by keyno";
    default: return {};
    }
}

std::string connectionProbeSql(ServerKind kind) {
    switch (kind) {
    case K::ORACLE: return "select 1 from DUAL";
    case K::INTERBASE: return "select 1 from RDB$DATABASE";
    case K::SQLBASE: return "select count(*) from SYSADM.SYSTABLES";
    default: return "select 1";
    }
}

std::string functionArgumentsSql(int dialect) {
    std::string s = "SELECT F.RDB$ARGUMENT_POSITION, F.RDB$MECHANISM, F.RDB$FIELD_TYPE, F.RDB$FIELD_LENGTH,\n"
                    "F.RDB$FIELD_SUB_TYPE, F.RDB$FIELD_SCALE, T.RDB$TYPE_NAME";
    if (dialect >= 3) s += ", F.RDB$FIELD_PRECISION, F.RDB$CHARACTER_LENGTH";
    return s + "\nFROM RDB$FUNCTION_ARGUMENTS F, RDB$TYPES T\nWHERE F.RDB$FUNCTION_NAME= :FUNCTION_NAME\n"
               "AND (T.RDB$TYPE= F.RDB$FIELD_TYPE) AND (T.RDB$FIELD_NAME='RDB$FIELD_TYPE')\n"
               "ORDER BY F.RDB$ARGUMENT_POSITION";
}

namespace {

std::vector<std::string> indexColumns(const TextContext& c, const CatalogRow& row, CatalogReader& reader) {
    Params p;
    const std::string table = trim(row.at(0)), owner = trim(row.at(1)), index = trim(row.at(2)), ixOwner = trim(row.at(3));
    switch (c.kind) {
    case K::ORACLE: p = {{"IndexOwner", ixOwner}, {"IndexName", index}, {"TableName", table}, {"TableOwner", owner}}; break;
    case K::SQLBASE: p = {{"IndexOwner", ixOwner}, {"IndexName", index}}; break;
    case K::INTERBASE: p = {{"IndexName", index}}; break;
    case K::MSSQL: p = {{"IndexName", index}, {"TableName", table}, {"TableOwner", owner}}; break;
    default: return {};
    }
    return firstColumn(reader.rows(indexColumnsSql(c.kind), p));
}

std::vector<std::string> oracleConsColumns(CatalogReader& reader, const std::string& table, const std::string& cons,
                                           const std::string& owner) {
    return firstColumn(reader.rows(kOracleConsColumnsSql, {{"TABLE_NAME", table}, {"CONS_NAME", cons}, {"OWNER", owner}}));
}

void constraintText(const TextContext& c, const CatalogRow& row, CatalogReader& reader, std::vector<std::string>& out) {
    if (c.kind == K::ORACLE) {
        const std::string type = trim(row.at(1));
        if (type != "P" && type != "U" && type != "R" && !(type == "C" && !trim(row.at(6)).empty())) return;
        auto columns = oracleConsColumns(reader, namePart(row.at(2)), namePart(row.at(0)), ownerPart(row.at(0)));
        std::string refOwner, refTable;
        std::vector<std::string> refColumns;
        if (type == "R") {
            // The three first lines stand before the referenced constraint is looked up.
            auto head = oracleConstraint(row, columns, "", "", {});
            append(out, {head.begin(), head.begin() + 3});
            Rows ref = reader.rows(kOracleRefConstraintSql, {{"CONS_NAME", row.at(5)}, {"OWNER", row.at(4)}});
            if (!ref.empty()) {
                refTable = trim(ref[0][0]);
                refOwner = trim(ref[0][1]);
            }
            refColumns = oracleConsColumns(reader, refTable, row.at(5), refOwner);
            out.clear();
        }
        append(out, oracleConstraint(row, columns, refOwner, refTable, refColumns));
        return;
    }
    if (c.kind == K::SQLBASE) {
        const std::string whole = row.at(0), cons = trim(row.at(1));
        if (cons != "PRIMARY") {
            Rows r = reader.rows(kSqlBaseFkSql, {{"OWNER", ownerPart(whole)}, {"NAME", namePart(whole)}, {"CONS_NAME", cons}});
            std::string refTable;
            std::vector<std::string> columns;
            if (!r.empty()) refTable = trim(r[0][5]) + "." + trim(r[0][6]);
            for (const auto& x : r) columns.push_back(trim(x[4]));
            append(out, {"ALTER TABLE " + whole, "FOREIGN KEY " + cons + " (" + joinColumns(columns, ",") + ")",
                         "REFERENCES " + refTable});
        } else {
            Rows r = reader.rows(kSqlBasePkSql, {{"OWNER", ownerPart(whole)}, {"NAME", namePart(whole)}});
            std::vector<std::string> columns;
            for (const auto& x : r) columns.push_back(trim(x[3]));
            append(out, {"ALTER TABLE " + whole, "PRIMARY KEY (" + joinColumns(columns, ",") + ")"});
        }
        return;
    }
    if (c.kind != K::MSSQL) return;
    const std::string name = trim(row.at(0)), table = trim(row.at(1));
    auto keys = [&](const std::string& index) { return firstColumn(reader.rows(kMssqlIndexKeysSql, {{"INAME", index}})); };
    const std::vector<std::string> head{"ALTER TABLE " + table, "ADD CONSTRAINT " + name};
    switch (toInt(row.at(4))) {
    case 1:
        append(out, head);
        out.push_back("PRIMARY KEY (" + joinColumns(keys(name), ",") + ")");
        return;
    case 2: {
        Rows u = reader.rows(kMssqlUniqueIndexSql, {{"CONS_NAME", name}});
        std::vector<std::string> columns;
        if (!u.empty()) columns = keys(trim(u[0][0]));
        append(out, head);
        out.push_back("UNIQUE (" + joinColumns(columns, ",") + ")");
        return;
    }
    case 3: {
        Rows ref = reader.rows(kMssqlReferenceSql, {{"FKNAME", name}});
        if (ref.empty()) return;
        const std::string refTable = trim(ref[0][4]);
        Rows pk = reader.rows(kMssqlPrimaryOfTableSql, {{"FKTBNAME", refTable}});
        if (pk.empty()) return;
        auto columns = keys(trim(pk[0][3]));
        append(out, head);
        out.push_back("FOREIGN KEY (" + joinColumns(columns, ",") + ")");
        out.push_back("REFERENCES " + refTable);
        return;
    }
    default: {
        Rows t = reader.rows(kMssqlCommentSql, {{"CONS_NAME", name}});
        if (t.empty()) return;
        append(out, head);
        out.push_back(std::string(toInt(row.at(4)) == 5 ? "DEFAULT " : "CHECK ") + t[0][0]);
        return;
    }
    }
}

}  // namespace

void buildDetailText(ListKind list, const TextContext& c, const CatalogRow& row, CatalogReader& reader, DetailText& out) {
    const bool fb3 = c.kind == K::INTERBASE && c.dialect >= 3;
    switch (list) {
    case L::Triggers: {
        if (fb3) {
            Rows r = reader.rows(kFirebirdTriggerSql, {{"TriggerName", trim(row.at(0))}});
            FirebirdTrigger t;
            if (!r.empty()) t = {toInt(r[0][0]), toInt(r[0][1]) == 1};
            out.memo1 = triggerText(c, row, &t);
        } else {
            out.memo1 = triggerText(c, row);
        }
        break;
    }
    case L::Indexes: {
        auto columns = indexColumns(c, row, reader);
        if (fb3) {
            Rows r = reader.rows(kFirebirdIndexSql, {{"IndexName", trim(row.at(2))}});
            FirebirdIndex x;
            if (!r.empty()) x = {toInt(r[0][0]) == 1, r[0][1]};
            out.memoIndex = {indexStatement(c, row, columns, &x)};
        } else {
            out.memoIndex = {indexStatement(c, row, columns)};
        }
        break;
    }
    case L::Snapshots:
        out.memo1 = snapshotDetails(row);
        out.memoIndex = snapshotStatement(row);
        break;
    case L::Packages:
    case L::PackageBodies: {
        const std::string whole = row.at(0);
        Rows r = reader.rows(list == L::Packages ? kOraclePackageSql : kOraclePackageBodySql,
                             {{"OWNER", ownerPart(whole)}, {"NAME", namePart(whole)}});
        std::vector<std::string> text;
        for (const auto& x : r) text.push_back(x.empty() ? std::string() : x[0]);
        out.memo1 = packageSource(text);
        break;
    }
    case L::TableSpaces: {
        const std::string ts = row.at(0);
        DataFile f;
        bool found = false;
        try {
            Rows r = reader.rows(kOracleDataFilesSql, {{"TSNAME", ts}});
            if (!r.empty()) f = {rtrim(r[0][0]), r[0][1], false}, found = true;
        } catch (const std::exception&) {
            // A login without access to the DBA view reads the data files from SYS.SYSFILES.
            Rows r = reader.rows(kOracleSysFilesSql, {{"TSNAME", ts}});
            if (!r.empty()) f = {rtrim(r[0][0]), r[0][1], true}, found = true;
        }
        if (found) out.memo1 = tableSpaceStatement(row, f);
        break;
    }
    case L::Constraints: constraintText(c, row, reader, out.memo1); break;
    case L::SessionParameters: out.memoIndex = {sessionStatement(row)}; break;
    case L::Domains: {
        if (fb3) {
            FirebirdDomain d;
            const std::string name = trim(row.at(0));
            Rows r = reader.rows(kFirebirdDomainSql, {{"FieldName", name}});
            if (!r.empty()) d = {int(toInt(r[0][0])), r[0][1], r[0][2], {}, r[0].size() > 3 ? r[0][3] : std::string()};
            if (toInt(row.at(23)) > 0)
                for (const auto& b : reader.rows(kFirebirdDimensionsSql, {{"FieldName", name}})) d.bounds.emplace_back(b[0], b[1]);
            out.memo1 = domainStatement(c, row, &d);
        } else {
            out.memo1 = domainStatement(c, row);
        }
        break;
    }
    case L::ExternalFunctions:
        out.memo1 = functionDeclaration(
            c, row, reader.rows(functionArgumentsSql(c.dialect), {{"FUNCTION_NAME", trim(row.at(0))}}));
        break;
    case L::Exceptions: out.memo1 = exceptionStatement(c, row); break;
    case L::Synonyms:
    case L::Dependencies:
    case L::Clusters:
    case L::BlobFilters: break;
    }
}

}  // namespace vlm::objlists
