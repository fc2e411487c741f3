// Shared runs of the create window's and the structure editor's statements: a database's
// catalog after them, read back through the structure window's catalog reader.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "schema/altertext.h"
#include "schema/createtext.h"
#include "tableinfo/catalog.h"
#include "tableinfo/roundtrip.h"

namespace vlm::schema::test {

inline std::string joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += (s.empty() ? "" : "\n") + l;
    return s;
}

inline tableinfo::TableRef ref(ServerKind kind, const std::string& listed, const std::string& driver,
                               const std::string& type = "TABLE") {
    panels::TTableInfo info;
    info.serverKind = kind;
    info.driverName = driver;
    info.tableName = listed;
    info.tableType = type;
    return tableinfo::tableRef(info, "");
}

// What a test expects of one column in the catalog.
struct Expect {
    std::string name, type, size, scale, nullable;
};
inline void expectColumns(engine::Database& db, const tableinfo::TableRef& t, const std::vector<Expect>& expected) {
    tableinfo::TableInfoData d = tableinfo::readTableInfo(db, t);
    ASSERT_TRUE(d.errors.empty()) << d.errors.front();
    ASSERT_EQ(d.columns.size(), expected.size()) << t.listed;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& c = d.columns[i];
        const Expect& e = expected[i];
        SCOPED_TRACE(t.listed + "." + e.name);
        EXPECT_EQ(c.name, e.name);
        EXPECT_EQ(c.type, e.type);
        if (!e.size.empty()) EXPECT_EQ(c.size, e.size);
        if (!e.scale.empty()) EXPECT_EQ(c.scale, e.scale);
        EXPECT_EQ(c.nullable, e.nullable);
    }
}
inline std::vector<tableinfo::test::IndexShape> indexShapes(engine::Database& db, const tableinfo::TableRef& t) {
    return tableinfo::test::indexShapes(tableinfo::readTableInfo(db, t).indexes);
}
inline std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

// Firebird, embedded or on a server: the create window's table and indexes, the structure
// editor's ALTER and its new table shaped like the first, the server's refusals, and the
// user's transaction left alone.
inline void firebirdRuns(engine::Database& db) {
    const ServerKind K = ServerKind::INTERBASE;
    const std::vector<NewColumn> cols{{"ID", "INTEGER", "", "", true},        {"NAME", "VARCHAR", "30", "", true},
                                      {"PRICE", "NUMERIC", "10", "2", false}, {"NOTE", "MEMO", "", "", false},
                                      {"BORN", "DATE", "", "", false},         {"RATE", "DOUBLE PRECISION", "", "", false},
                                      {"CODE", "CHAR", "4", "", false}};
    runCreate(db, joined(createTableText(K, "SC_T", cols)));
    runCreate(db, joined(createIndexText(K, true, "SC_T_NAME", "SC_T", {"NAME"})));
    runCreate(db, joined(createIndexText(K, false, "SC_T_BC", "SC_T", {"BORN", "CODE"})));
    const auto t = ref(K, "SC_T", "INTRBASE");
    expectColumns(db, t,
                  {{"ID", "INTEGER", "", "", "False"}, {"NAME", "VARCHAR", "30", "", "False"},
                   {"PRICE", "NUMERIC", "10", "2", "True"}, {"NOTE", "MEMO", "", "", "True"},
                   {"BORN", "DATE", "", "", "True"}, {"RATE", "DOUBLE PRECISION", "", "", "True"},
                   {"CODE", "CHAR", "4", "", "True"}});
    using tableinfo::test::IndexShape;
    EXPECT_EQ(indexShapes(db, t), (std::vector<IndexShape>{{"BORN,CODE", false}, {"NAME", true}}));

    // Modify: drop CODE and RATE, add two columns. The server refuses to drop a column an
    // index reads, in its own words, and nothing changes; without the index it goes through.
    tableinfo::TableInfoData d = tableinfo::readTableInfo(db, t);
    std::vector<EditRow> rows;
    for (const auto& c : d.columns) rows.push_back({c.name == "CODE" || c.name == "RATE" ? RowMark::Del : RowMark::None, c});
    rows.push_back({RowMark::New, {"QTY", "SMALLINT", "0", "0", "False"}});
    rows.push_back({RowMark::New, {"TAG", "VARCHAR", "8", "0", "True"}});
    AlterScript s = alterTableScript(t.target(), "SC_T", rows, d.columns);
    ASSERT_TRUE(s.ok);
    EXPECT_NE(errorOf([&] { runAlter(db, K, joined(s.lines)); }).find("SC_T_BC"), std::string::npos);
    EXPECT_EQ(tableinfo::readTableInfo(db, t).columns.size(), 7u);
    tableinfo::test::exec(db, "DROP INDEX SC_T_BC");
    runAlter(db, K, joined(s.lines));
    expectColumns(db, t,
                  {{"ID", "INTEGER", "", "", "False"}, {"NAME", "VARCHAR", "30", "", "False"},
                   {"PRICE", "NUMERIC", "10", "2", "True"}, {"NOTE", "MEMO", "", "", "True"},
                   {"BORN", "DATE", "", "", "True"}, {"QTY", "SMALLINT", "", "", "False"},
                   {"TAG", "VARCHAR", "8", "", "True"}});
    EXPECT_EQ(indexShapes(db, t), (std::vector<IndexShape>{{"NAME", true}}));

    // New table shaped like the shown one.
    tableinfo::TableInfoData now = tableinfo::readTableInfo(db, t);
    tableinfo::CreateScript copy = tableinfo::createTableScript(t.target(), newTableName(t.target(), "SC_COPY"), now.columns);
    runCreate(db, joined(copy.lines));
    tableinfo::TableInfoData c = tableinfo::readTableInfo(db, ref(K, "SC_COPY", "INTRBASE"));
    ASSERT_EQ(c.columns.size(), now.columns.size());
    for (std::size_t i = 0; i < c.columns.size(); ++i) EXPECT_EQ(c.columns[i].nullable, now.columns[i].nullable);

    // The server's own refusals reach the user; nothing is left half done.
    EXPECT_NE(errorOf([&] { runCreate(db, "create table SC_BAD\n(\nA NOSUCHTYPE\n)"); }).find("NOSUCHTYPE"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { runCreate(db, joined(createTableText(K, "SC_T", cols))); }).find("SC_T"), std::string::npos);
    EXPECT_FALSE(db.inTransaction());
    // A transaction of the user's: the create refuses and the user's work stays.
    tableinfo::test::exec(db, "insert into SC_T (ID, NAME, QTY) values (1, 'kept', 2)");
    db.startTransaction();
    engine::Query ins;
    ins.setDatabase(&db);
    ins.setSql("insert into SC_T (ID, NAME, QTY) values (2, 'pending', 3)");
    ins.execSql();
    EXPECT_EQ(errorOf([&] { runCreate(db, "create table SC_OTHER (A INTEGER)"); }), kFinishTransactionEn);
    EXPECT_TRUE(db.inTransaction());
    db.commit();
    engine::Query count;
    count.setDatabase(&db);
    count.setSql("select count(*) from SC_T");
    count.open();
    EXPECT_EQ(count.field(0).asInteger(), 2);
}

}  // namespace vlm::schema::test
