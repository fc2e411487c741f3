// The create window's type lists, format rule and statements.
#include "schema/createtext.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace vlm::schema {

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

bool in(const std::string& t, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (t == n) return true;
    return false;
}

bool digits(std::string_view s) {
    std::string t = trim(s);
    return std::all_of(t.begin(), t.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

}  // namespace

std::vector<std::string> serverTypes(std::string_view driverName) {
    const std::string d = upper(driverName);
    if (d.find("POSTGRES") != std::string::npos)
        return {"text", "bigint", "boolean", "timestamp", "timestamptz", "bytea", "uuid", "jsonb", "json", "serial",
                "bigserial", "double precision", "character varying", "interval"};
    if (d.find("SQLITE") != std::string::npos) return {"TEXT", "BLOB", "ANY"};
    return {};
}

std::vector<std::string> columnTypes(ServerKind kind, std::string_view oracleVersion, LocalFormat local,
                                     std::string_view driverName, const std::vector<std::string>& ownTypes) {
    switch (kind) {
    case ServerKind::STANDARD:
        if (local == LocalFormat::Dbase) return {"CHAR", "DATE", "MEMO", "BINARY", "OLE", "BOOLEAN", "NUMERIC"};
        return {"CHARACTER", "SMALLINT", "INTEGER", "DECIMAL", "NUMERIC", "DATE", "TIME", "TIMESTAMP", "BOOLEAN",
                "MONEY", "AUTOINC", "BYTES", "MEMO", "BINARY", "FORMATTED MEMO", "OLE", "GRAPHIC", "DATETIME"};
    case ServerKind::ORACLE: {
        std::vector<std::string> l{"CHAR", "DATE", "DECIMAL", "FLOAT", "INTEGER", "LONG", "LONG RAW", "LONG VARCHAR",
                                   "MLSLABEL", "NUMBER", "RAW", "ROWID", "SMALLINT", "VARCHAR", "VARCHAR2"};
        if (oracleVersion == "8") l.insert(l.end(), {"NCHAR", "NVARCHAR2"});
        return l;
    }
    case ServerKind::SQLBASE:
        return {"CHAR", "VARCHAR", "DATE", "LONG VARCHAR", "SMALLINT", "INT", "REAL", "FLOAT", "DEC", "DECIMAL", "TIME",
                "DATETIME"};
    case ServerKind::INTERBASE:
        return {"SMALLINT", "FLOAT", "CHAR", "VARCHAR", "DATE", "BLOB", "DECIMAL", "NUMERIC", "MEMO", "INTEGER",
                "DOUBLE PRECISION"};
    case ServerKind::MSSQL:
        return {"CHAR",     "VARCHAR",  "BINARY", "VARBINARY", "TINYINT",    "SMALLINT",      "INT",  "FLOAT",
                "NUMERIC",  "MONEY",    "DATETIME", "BIT",     "SYSNAME",    "TEXT",          "IMAGE", "SMALLMONEY",
                "SMALLDATETIME", "REAL", "DECIMAL", "TIMESTAMP", "NCHAR",    "NTEXT",         "NVARCHAR",
                "UNIQUEIDENTIFIER"};
    case ServerKind::OTHER: {
        std::vector<std::string> l{"CHAR", "VARCHAR", "DATE", "SMALLINT", "INT", "INTEGER", "REAL", "FLOAT",
                                   "DEC", "DECIMAL", "DATETIME", "NUMERIC", "STRING", "WORD", "BOOLEAN", "CURRENCY",
                                   "BCD", "TIME", "BYTES", "VARBYTES", "BLOB", "MEMO", "GRAPHIC"};
        auto add = [&l](const std::string& t) {
            const std::string u = upper(t);
            if (!trim(t).empty() && std::none_of(l.begin(), l.end(), [&u](const std::string& have) { return upper(have) == u; }))
                l.push_back(t);
        };
        for (const auto& t : serverTypes(driverName)) add(t);
        for (const auto& t : ownTypes) add(t);
        return l;
    }
    }
    return {};
}

FormatRule formatRule(ServerKind kind, std::string_view typeIn, LocalFormat local) {
    const std::string t = upper(trim(typeIn));
    auto rule = [&](std::initializer_list<const char*> sizeOnly, std::initializer_list<const char*> sizeScale,
                    std::initializer_list<const char*> none, int maxDigits = 4) {
        if (in(t, sizeOnly)) return FormatRule{SizeFields::SizeOnly, maxDigits};
        if (in(t, sizeScale)) return FormatRule{SizeFields::SizeAndScale, 4};
        if (in(t, none)) return FormatRule{SizeFields::None, 4};
        return FormatRule{SizeFields::Unknown, 4};
    };
    auto oracleNone = {"DATE",     "MEMO",    "LOGICAL", "LONG VARCHAR", "INT",      "REAL",        "FLOAT",
                       "TIME",     "DATETIME", "SMALLINT", "INTEGER",    "LONG",     "LONG RAW",    "MLSLABEL",
                       "RAW MLSLABEL", "ROWID"};
    switch (kind) {
    case ServerKind::ORACLE:
        return rule({"CHAR", "VARCHAR", "VARCHAR2", "NCHAR", "NVARCHAR2", "RAW"}, {"NUMERIC", "DEC", "DECIMAL", "NUMBER"},
                    oracleNone);
    case ServerKind::SQLBASE:
        return rule({"CHAR", "VARCHAR", "VARCHAR2"}, {"NUMERIC", "DEC", "DECIMAL", "NUMBER"}, oracleNone);
    case ServerKind::INTERBASE:
        return rule({"MEMO", "CHAR", "VARCHAR"}, {"DECIMAL", "NUMERIC"},
                    {"SMALLINT", "INTEGER", "FLOAT", "DOUBLE PRECISION", "DATE", "BLOB", "ARRAY"});
    case ServerKind::MSSQL:
        return rule({"CHAR", "VARCHAR", "BINARY", "VARBINARY", "NCHAR", "NVARCHAR"}, {"NUMERIC", "DECIMAL"},
                    {"TINYINT", "SMALLINT", "INT", "MONEY", "SYSNAME", "TIMESTAMP", "DATETIME", "SMALLMONEY",
                     "SMALLDATETIME", "FLOAT", "REAL", "TEXT", "IMAGE", "BIT", "NTEXT", "UNIQUEIDENTIFIER"});
    case ServerKind::STANDARD:
        if (local == LocalFormat::Paradox)
            return rule({"CHARACTER", "MEMO", "FORMATTED MEMO", "GRAPHIC", "OLE", "BINARY", "BYTES"},
                        {"NUMERIC", "DECIMAL"},
                        {"SMALLINT", "MONEY", "INTEGER", "DATE", "TIME", "TIMESTAMP", "LOGICAL", "AUTOINC"}, 3);
        return rule({"CHAR", "MEMO", "BINARY", "OLE"}, {"NUMERIC"}, {"DATE", "BOOLEAN"});
    case ServerKind::OTHER:
        // The common rule, and the sized types of the longer list, so that a server's own
        // VARCHAR or DECIMAL gets its size fields.
        return rule({"CHAR", "MEMO", "BINARY", "OLE", "VARCHAR", "STRING", "BYTES", "VARBYTES", "CHARACTER VARYING"},
                    {"NUMERIC", "DEC", "DECIMAL", "BCD"},
                    {"DATE", "BOOLEAN", "SMALLINT", "INT", "INTEGER", "REAL", "FLOAT", "DATETIME", "WORD", "CURRENCY",
                     "TIME", "BLOB", "GRAPHIC", "TEXT", "BIGINT", "TIMESTAMP", "TIMESTAMPTZ", "BYTEA", "UUID", "JSONB",
                     "JSON", "SERIAL", "BIGSERIAL", "DOUBLE PRECISION", "INTERVAL", "ANY"});
    }
    return {};
}

std::string sizePart(std::string_view size, std::string_view decimals) {
    if (trim(size).empty()) return {};
    std::string r = "(" + std::string(size);
    if (trim(decimals).empty()) return r + ")";
    return r + "," + std::string(decimals) + ")";
}

std::string columnText(ServerKind kind, const NewColumn& c) {
    const std::string t = upper(trim(c.type));
    if (kind == ServerKind::STANDARD) {
        static const char* blobs[] = {"MEMO", "BINARY", "FORMATTED MEMO", "OLE", "GRAPHIC"};
        for (int n = 0; n < 5; ++n)
            if (t == blobs[n]) {
                // An empty size would make "BLOB(,1)", which no local table takes: 1 stands for it.
                const std::string size = trim(c.size).empty() ? std::string("1") : c.size;
                return c.name + " BLOB(" + size + "," + std::to_string(n + 1) + ")";
            }
        return c.name + " " + c.type + sizePart(c.size, c.decimals);
    }
    if (kind == ServerKind::INTERBASE && t == "MEMO") return c.name + " BLOB SUB_TYPE 1" + sizePart(c.size, c.decimals);
    return c.name + " " + c.type + sizePart(c.size, c.decimals);
}

std::vector<std::string> createTableText(ServerKind kind, std::string_view table, const std::vector<NewColumn>& columns,
                                         const PartitionSpec& partitions) {
    std::vector<std::string> out;
    const std::string name(table);
    out.push_back("create table " + (kind == ServerKind::STANDARD ? "\"" + name + "\"" : name));
    out.push_back("(");
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::string line = columnText(kind, columns[i]);
        if (kind != ServerKind::STANDARD) {
            if (columns[i].notNull) line += " Not Null";
            else if (kind == ServerKind::MSSQL) line += " Null";
        }
        if (i + 1 < columns.size()) line += ", ";
        out.push_back(std::move(line));
    }
    out.push_back(")");
    if (!partitions.columns.empty() && !partitions.rows.empty()) {
        std::string keys;
        for (const auto& c : partitions.columns) keys += (keys.empty() ? "" : ",") + c;
        out.push_back("PARTITION BY RANGE ( " + keys + " ) (");
        for (std::size_t r = 0; r < partitions.rows.size(); ++r) {
            const PartitionRow& p = partitions.rows[r];
            std::string values;
            for (std::size_t v = 0; v < p.values.size(); ++v) values += (v ? "," : "") + p.values[v];
            std::string line = "PARTITION " + p.name + " VALUES LESS THAN (" + values + ")";
            if (!trim(p.tablespace).empty()) line += " TABLESPACE " + p.tablespace;
            if (r + 1 < partitions.rows.size()) line += ",";
            out.push_back(std::move(line));
        }
        out.push_back(")");
    }
    return out;
}

std::vector<std::string> createIndexText(ServerKind kind, bool unique, std::string_view index, std::string_view table,
                                         const std::vector<std::string>& columns) {
    const std::string t(table);
    std::vector<std::string> out;
    out.push_back(std::string("CREATE") + (unique ? " UNIQUE " : " ") + "INDEX " + std::string(index) + " ON " +
                  (kind == ServerKind::STANDARD ? "\"" + t + "\"" : t));
    out.push_back("(");
    for (std::size_t i = 0; i < columns.size(); ++i) out.push_back(columns[i] + (i + 1 < columns.size() ? ", " : ""));
    out.push_back(")");
    return out;
}

std::string createSynonymText(std::string_view publicWord, std::string_view synonym, std::string_view table) {
    return "CREATE " + std::string(publicWord) + " SYNONYM " + std::string(synonym) + " FOR " + std::string(table);
}

Message checkColumn(const std::vector<NewColumn>& columns, const NewColumn& c, int replacing) {
    if (trim(c.name).empty()) return {"Не задано имя поля!", "Field name not entered!"};
    if (trim(c.type).empty()) return {"Не задан тип поля!", "Field type not entered!"};
    if (!digits(c.size)) return {"Размер должен быть числом: " + c.size, "The size must be a number: " + c.size};
    if (!digits(c.decimals))
        return {"Число знаков должно быть числом: " + c.decimals, "The decimals must be a number: " + c.decimals};
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (int(i) != replacing && upper(trim(columns[i].name)) == upper(trim(c.name)))
            return {"Поле " + trim(c.name) + " уже есть!", "Field " + trim(c.name) + " already exists!"};
    return {};
}

Message checkTable(std::string_view table, const std::vector<NewColumn>& columns) {
    if (trim(table).empty()) return {kFirstEnterTableName, kFirstEnterTableName};
    if (columns.empty()) return {"Нет полей!", "No fields!"};
    return {};
}

}  // namespace vlm::schema
