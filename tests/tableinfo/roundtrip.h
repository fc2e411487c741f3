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

}  // namespace vlm::tableinfo::test
