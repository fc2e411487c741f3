// The DDL round trip: read a table's structure, run its generated script on the same server
// under a new name, read the new table back and compare columns and indexes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/query.h"
#include "tableinfo/catalog.h"
#include "tableinfo/related.h"

namespace vlm::tableinfo::test {

inline void exec(engine::Database& db, const std::string& sql, bool raw = false) {
    if (raw) {
        // The driver's own text: PostgreSQL casts ("::") stay as written.
        db.connection().prepare(sql)->execute();
    } else {
        engine::Query q;
        q.setDatabase(&db);
        q.setSql(sql);
        q.execSql();
    }
    if (db.inTransaction()) db.commit();
}

inline std::string joinText(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

// "DEFAULT 5", "Default  5 " and "5" are the same default.
inline std::string normalDefault(std::string d) {
    std::string u = d;
    for (char& c : u) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (std::size_t at = u.find("DEFAULT"); at != std::string::npos) d.erase(at, 7);
    std::string out;
    for (char c : d)
        if (!std::isspace(static_cast<unsigned char>(c)) || (!out.empty() && out.back() != ' ')) out += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

struct IndexShape {
    std::string columns;
    bool unique;
    bool operator<(const IndexShape& o) const { return columns < o.columns || (columns == o.columns && unique < o.unique); }
    bool operator==(const IndexShape&) const = default;
};

// The columns and uniqueness of the index statements, with the names taken out.
inline std::vector<IndexShape> indexShapes(const std::vector<std::string>& statements) {
    std::vector<IndexShape> out;
    for (const auto& s : statements) {
        if (s.rfind("Create", 0) != 0) continue;
        std::size_t open = s.find(" ( "), close = s.rfind(" )");
        if (open == std::string::npos || close == std::string::npos) continue;
        std::string up = s.substr(0, open);
        for (char& c : up) c = char(std::toupper(static_cast<unsigned char>(c)));
        out.push_back({s.substr(open + 3, close - open - 3), up.find(" UNIQUE ") != std::string::npos});
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Runs the script of `from` as table `to` (index names prefixed with prefix) and compares.
inline void roundTrip(engine::Database& db, const TableRef& from, const std::string& to, const std::string& prefix,
                      bool raw = false) {
    TableInfoData a = readTableInfo(db, from);
    ASSERT_TRUE(a.errors.empty()) << a.errors.front();
    ASSERT_FALSE(a.columns.empty());
    TableRef copy = from;
    copy.listed = to;
    copy.name = to;
    if (from.hasOwner() && from.kind != ServerKind::STANDARD) {
        copy.listed = from.owner + "." + to;
        copy.name = to;
    }
    CreateScript s = createTableScript(from.target(), copy.listed, a.columns, a.primaryKey);
    ASSERT_TRUE(s.ok);
    SCOPED_TRACE(joinText(s.lines) + joinText(a.indexes));
    std::string script = joinText(s.lines);
    ASSERT_NO_THROW(exec(db, script, raw)) << script;
    // The index statements of the copy: the table and index names replaced.
    const std::string oldTable = quoteTable(from.listed, from.target()), newTable = quoteTable(copy.listed, from.target());
    for (std::string st : a.indexes) {
        std::size_t on = st.find(" On " + oldTable + " (");
        ASSERT_NE(on, std::string::npos) << st;
        st.replace(on + 4, oldTable.size(), newTable);
        std::size_t ix = st.find(" Index ") + 7;
        st.insert(st[ix] == '"' ? ix + 1 : ix, prefix);
        if (!st.empty() && st.back() == ';') st.pop_back();
        ASSERT_NO_THROW(exec(db, st, raw)) << st;
    }
    TableInfoData b = readTableInfo(db, copy);
    ASSERT_TRUE(b.errors.empty()) << b.errors.front();
    ASSERT_EQ(a.columns.size(), b.columns.size());
    for (std::size_t i = 0; i < a.columns.size(); ++i) {
        const ColumnRow &x = a.columns[i], &y = b.columns[i];
        SCOPED_TRACE(x.name);
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.type, y.type);
        EXPECT_EQ(x.size, y.size);
        EXPECT_EQ(x.scale, y.scale);
        EXPECT_EQ(x.nullable, y.nullable);
        EXPECT_EQ(normalDefault(x.defaultText), normalDefault(y.defaultText));
        EXPECT_EQ(x.dimensions, y.dimensions);
    }
    EXPECT_EQ(indexShapes(a.indexes), indexShapes(b.indexes));
    EXPECT_EQ(a.primaryKey, b.primaryKey);
}

// Every Firebird column type, a domain, arrays, defaults, a quoted mixed-case name, indexes.
inline void firebirdRoundTrip(engine::Database& db) {
    for (const char* sql : {
             "CREATE DOMAIN D_MONEY AS NUMERIC(10,2) DEFAULT 0 NOT NULL",
             "CREATE TABLE ALL_TYPES (ID INTEGER NOT NULL PRIMARY KEY, S SMALLINT, B BIGINT DEFAULT 7, "
             "N72 NUMERIC(7,2), N41 NUMERIC(4,1), N180 NUMERIC(18,0), D184 DECIMAL(18,4), F FLOAT, "
             "DP DOUBLE PRECISION, DT DATE DEFAULT CURRENT_DATE, TM TIME, TS TIMESTAMP, BO BOOLEAN, "
             "C CHAR(10), V VARCHAR(30) CHARACTER SET UTF8 DEFAULT 'it''s' NOT NULL, BL BLOB SUB_TYPE 0, "
             "MEMO_TEXT BLOB SUB_TYPE 1, ARR INTEGER[1::10], ARR2 VARCHAR(5)[0::3,1::2], PRICE D_MONEY, "
             "\"Mixed Name\" INTEGER)",
             "CREATE UNIQUE INDEX ALL_TYPES_V ON ALL_TYPES (V)",
             "CREATE INDEX ALL_TYPES_SB ON ALL_TYPES (S, B)"})
        exec(db, sql);
    panels::TTableInfo info;
    info.serverKind = ServerKind::INTERBASE;
    info.driverName = "INTRBASE";
    info.tableName = "ALL_TYPES";
    info.tableType = "TABLE";
    TableRef t = tableRef(info, "");
    TableInfoData d = readTableInfo(db, t);
    ASSERT_TRUE(d.errors.empty()) << d.errors.front();
    EXPECT_EQ(d.dialect, 3);
    auto row = [&](const std::string& name) {
        for (const auto& c : d.columns)
            if (c.name == name) return c;
        return ColumnRow{};
    };
    EXPECT_EQ(row("N72").type, "NUMERIC");
    EXPECT_EQ(row("N72").size, "7");
    EXPECT_EQ(row("N72").scale, "2");
    EXPECT_EQ(row("D184").type, "DECIMAL");
    EXPECT_EQ(row("B").type, "BIGINT");
    EXPECT_EQ(row("TM").type, "TIME");
    EXPECT_EQ(row("TS").type, "TIMESTAMP");
    EXPECT_EQ(row("BO").type, "BOOLEAN");
    EXPECT_EQ(row("V").size, "30");
    EXPECT_EQ(row("V").nullable, "False");
    EXPECT_EQ(row("ARR").dimensions, "[1::10]");
    EXPECT_EQ(row("ARR2").dimensions, "[0::3,1::2]");
    EXPECT_EQ(row("PRICE").nullable, "False");   // the domain's NOT NULL
    EXPECT_EQ(row("MEMO_TEXT").type, "MEMO");
    EXPECT_EQ(row("Mixed Name").type, "INTEGER");
    std::string script = test::joinText(createTableScript(t.target(), "ALL_TYPES", d.columns).lines);
    EXPECT_NE(script.find("\"Mixed Name\" INTEGER"), std::string::npos) << script;
    EXPECT_NE(script.find("ARR INTEGER[1::10]"), std::string::npos) << script;
    EXPECT_NE(script.find("MEMO_TEXT BLOB SUB_TYPE 1"), std::string::npos) << script;
    EXPECT_EQ(test::indexShapes(d.indexes).size(), 3u) << test::joinText(d.indexes);
    roundTrip(db, t, "ALL_TYPES_COPY", "C_");

    // Triggers: listed unchecked, the source with its heading, and no switch on this kind.
    exec(db, "CREATE TRIGGER ALL_TYPES_BI FOR ALL_TYPES BEFORE INSERT AS BEGIN NEW.S = 1; END");
    auto triggers = readTriggers(db, t);
    ASSERT_EQ(triggers.size(), 1u);
    EXPECT_EQ(triggers[0].name, "ALL_TYPES_BI");
    EXPECT_FALSE(triggers[0].enabled);
    auto source = triggerSource(db, t, "ALL_TYPES_BI");
    ASSERT_EQ(source.size(), 3u);
    EXPECT_EQ(source[0], "create trigger ALL_TYPES_BI for ALL_TYPES");
    EXPECT_EQ(source[1], "BEFORE INSERT");
    EXPECT_NE(source[2].find("NEW.S = 1"), std::string::npos);
    EXPECT_EQ(triggerSwitchSql(t, "ALL_TYPES_BI", false), "");
    EXPECT_TRUE(readConstraints(db, t).empty());
}

}  // namespace vlm::tableinfo::test
