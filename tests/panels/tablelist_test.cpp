// The panels' rules without a database: server kinds, masks and scopes, the table list and
// its lookups, icons, columns, catalog keys, the current-table fill and the menu table.
#include <gtest/gtest.h>

#include <algorithm>

#include "panels/formats.h"
#include "panels/menurules.h"
#include "panels/names.h"
#include "panels/panelbuild.h"
#include "panels/serverkind.h"
#include "panels/tableinfo.h"
#include "panels/tablelist.h"
#include "shell/language.h"

namespace vlm::panels {
namespace {

engine::TableEntry entry(const std::string& name, const std::string& ext = "", bool view = false) {
    engine::TableEntry e;
    e.name = name;
    e.extension = ext;
    e.view = view;
    e.type = view ? "VIEW" : "TABLE";
    return e;
}

TEST(ServerKind, ByDriverName) {
    struct { const char* driver; ServerKind kind; } cases[] = {
        {"STANDARD", ServerKind::STANDARD}, {"ORACLE", ServerKind::ORACLE}, {"oracle8", ServerKind::ORACLE},
        {"SQLBASE", ServerKind::SQLBASE}, {"INTRBASE", ServerKind::INTERBASE}, {"INTERBASE", ServerKind::INTERBASE},
        {"MSSQL", ServerKind::MSSQL}, {"ODBC", ServerKind::OTHER}, {"POSTGRES", ServerKind::OTHER},
        {"SQLITE", ServerKind::OTHER}, {"", ServerKind::OTHER},
        // The first word in the rule's order decides.
        {"ORACLE STANDARD", ServerKind::ORACLE}, {"STANDARD MSSQL", ServerKind::STANDARD},
        {"MSSQL INTERBASE", ServerKind::MSSQL},
    };
    for (const auto& c : cases) EXPECT_EQ(serverKindOfDriver(c.driver), c.kind) << c.driver;
}

TEST(ServerKind, OracleVersionFromBanner) {
    EXPECT_EQ(oracleVersionFromBanner("Oracle8 Enterprise Edition Release 8.0.5.0.0 - Production"), "8");
    EXPECT_EQ(oracleVersionFromBanner("Personal Oracle7 Release 7.3.4.0.0"), "7");
    EXPECT_EQ(oracleVersionFromBanner("Some other server 9.1"), "7");
    EXPECT_EQ(oracleVersionFromBanner("ORACLE"), "");
}

TEST(NameMask, Forms) {
    struct { const char* mask; const char* text; bool match; } cases[] = {
        {"EMP", "EMP", true}, {"EMP", "EMPLOYEE", false},
        {"EMP*", "EMP", true}, {"EMP*", "EMPLOYEE", true}, {"EMP*", "TEMP", false},
        {"*EMP", "TEMP", true}, {"*EMP", "EMPLOYEE", true}, {"*EMP*", "XEMPX", true}, {"*EMP", "DEPT", false},
        {"emp*", "EMPLOYEE", true},   // masks are compared in upper case
        {"*", "ANY", true}, {"**", "ANY", true}, {"*", "", true},
        {"E*P", "E*", true}, {"E*P", "EMP", false},   // begins with the mask minus its last character
        {"ТАБ*", "ТАБЛИЦА", true},
    };
    for (const auto& c : cases) EXPECT_EQ(maskMatches(c.mask, c.text), c.match) << c.mask << " " << c.text;
}

TEST(ListScope, UserTablesAndFilters) {
    const std::vector<std::string> names = {"SCOTT.EMP", "SCOTT.EMPLOYEE", "SCOTT.TEMP", "SYS.DUAL", "SYS.EMP", "LOOSE"};
    auto listed = [&](const ListScope& s) {
        std::vector<std::string> out;
        for (auto& n : names)
            if (includedInList(n, s)) out.push_back(n);
        return out;
    };
    using V = std::vector<std::string>;
    struct Case {
        const char* name;
        ListScope scope;
        V expected;
    };
    const Case cases[] = {
        {"all users", {}, names},
        {"user tables of scott", {false, true, false, "", "", false, "scott"}, {"SCOTT.EMP", "SCOTT.EMPLOYEE", "SCOTT.TEMP", "LOOSE"}},
        {"filter off ignores masks", {false, false, false, "EMP", "", false, ""}, names},
        {"begins with", {false, false, true, "EMP*", "", false, ""}, {"SCOTT.EMP", "SCOTT.EMPLOYEE", "SYS.EMP"}},
        {"contains", {false, false, true, "*EMP", "", false, ""}, {"SCOTT.EMP", "SCOTT.EMPLOYEE", "SCOTT.TEMP", "SYS.EMP"}},
        {"exact", {false, false, true, "EMP", "", false, ""}, {"SCOTT.EMP", "SYS.EMP"}},
        {"exact except", {false, false, true, "EMP", "", true, ""}, {"SCOTT.EMPLOYEE", "SCOTT.TEMP", "SYS.DUAL", "LOOSE"}},
        {"owner mask leaves names without owner", {false, false, true, "", "SYS", false, ""}, {"SYS.DUAL", "SYS.EMP", "LOOSE"}},
        {"both masks", {false, false, true, "EMP", "SC*", false, ""}, {"SCOTT.EMP"}},
        {"blank masks", {false, false, true, "  ", " ", false, ""}, names},
        {"user tables and filter", {false, true, true, "*EMP*", "", false, "SCOTT"}, {"SCOTT.EMP", "SCOTT.EMPLOYEE", "SCOTT.TEMP"}},
    };
    for (const auto& c : cases) EXPECT_EQ(listed(c.scope), c.expected) << c.name;

    ListScope s;
    setScope(s, Scope::AllTables);
    EXPECT_TRUE(s.systemTables && !s.userTablesOnly);
    EXPECT_EQ(scopeOf(s), Scope::AllTables);
    setScope(s, Scope::UserTables);
    EXPECT_TRUE(!s.systemTables && s.userTablesOnly);
    s.systemTables = true;   // both flags from a hand-edited file: "User Tables" wins
    EXPECT_EQ(scopeOf(s), Scope::UserTables);
    setScope(s, Scope::AllUsersTables);
    EXPECT_EQ(scopeOf(s), Scope::AllUsersTables);
}

TEST(TableList, EntriesAndLookups) {
    TMyTableList l;
    Formats f;
    f.shortDateFormat = "dd/mm/yyyy";
    f.dateSeparator = ".";
    f.longTimeFormat = "hh:nn:ss";
    auto orders = entry("ORDERS.DBF", "DBF");
    orders.modified = engine::DateTime{{2024, 3, 7}, {9, 5, 1, 0}};
    orders.size = 4096;
    orders.fileName = "/data/ORDERS.DBF";
    orders.type = "DBASE";
    l.add(orders, f);
    l.add(entry("CUSTOMER", "DB"), f);
    l.add(entry("SCOTT.EMP_V", "", true), f);
    ASSERT_EQ(l.count(), 3u);
    EXPECT_EQ(l.lookupNames, (std::vector<std::string>{"ORDERS.DBF", "CUSTOMER.DB", "SCOTT.EMP_V"}));
    EXPECT_EQ(l.extension("ORDERS.DBF"), "DBF");
    EXPECT_EQ(l.size("ORDERS.DBF"), "4096");
    EXPECT_EQ(l.dateTime("ORDERS.DBF"), "07.03.2024  09:05:01");
    EXPECT_EQ(l.type("ORDERS.DBF"), "DBASE");
    EXPECT_EQ(l.fileName("ORDERS.DBF"), "/data/ORDERS.DBF");
    EXPECT_EQ(l.viewFlags[2], "TRUE");
    EXPECT_TRUE(l.isView("SCOTT.EMP_V"));
    EXPECT_FALSE(l.isView("ORDERS.DBF"));
    EXPECT_EQ(l.partitionFlags, (std::vector<std::string>{"0", "0", "0"}));
    // Unknown names give empty values; mark and set do nothing.
    EXPECT_EQ(l.indexOf("NOPE"), -1);
    EXPECT_EQ(l.size("NOPE"), "");
    EXPECT_FALSE(l.isPartitioned("NOPE"));
    l.markPartitioned("NOPE");
    l.setComment("NOPE", "x");
    EXPECT_EQ(l.comments, (std::vector<std::string>{"", "", ""}));
    // A name listed twice: the last occurrence counts.
    l.add(entry("CUSTOMER", "DB", true), f);
    EXPECT_EQ(l.indexOf("CUSTOMER.DB"), 3);
    EXPECT_TRUE(l.isView("CUSTOMER.DB"));
    l.clear();
    EXPECT_EQ(l.count(), 0u);
    EXPECT_TRUE(l.displayNames.empty() && l.comments.empty() && l.sizes.empty());
}

TEST(TableList, SortingReordersOnlyTheDisplayNames) {
    TMyTableList l;
    for (auto n : {"b_orders", "Alpha", "CUSTOMER", "alpha2"}) l.add(entry(n), Formats());
    l.sortDisplayNames(true);
    EXPECT_EQ(l.displayNames, (std::vector<std::string>{"Alpha", "alpha2", "b_orders", "CUSTOMER"}));
    EXPECT_EQ(l.lookupNames, (std::vector<std::string>{"b_orders", "Alpha", "CUSTOMER", "alpha2"}));
    EXPECT_EQ(l.indexOf("CUSTOMER"), 2);
    l.sortDisplayNames(false);
    EXPECT_EQ(l.displayNames, l.lookupNames);
}

TEST(TableList, ImageIndexes) {
    TMyTableList l;
    l.add(entry("ORDERS.DBF", "DBF"), Formats());
    l.add(entry("CUSTOMER", "DB"), Formats());
    l.add(entry("SCOTT.EMP"), Formats());
    l.add(entry("SCOTT.EMP_V", "", true), Formats());
    l.add(entry("SCOTT.SALES"), Formats());
    l.add(entry("SYS.DUAL"), Formats());
    l.add(entry("SYS.ALL_VIEWS", "", true), Formats());
    l.add(entry("SYS.PARTS"), Formats());
    l.add(entry("NOOWNER"), Formats());
    l.markPartitioned("SCOTT.SALES");
    l.markPartitioned("SYS.PARTS");
    struct { const char* name; bool sqlBased; int image; } cases[] = {
        {"ORDERS.DBF", false, 0}, {"CUSTOMER.DB", false, 1},
        {"SCOTT.EMP", true, 2}, {"SCOTT.EMP_V", true, 3}, {"SCOTT.SALES", true, 5},
        {"SYS.DUAL", true, 0}, {"SYS.ALL_VIEWS", true, 1}, {"SYS.PARTS", true, 4}, {"NOOWNER", true, 2},
    };
    for (const auto& c : cases) EXPECT_EQ(imageIndex(l, c.name, c.sqlBased, "scott"), c.image) << c.name;
}

TEST(TableList, ColumnsByLanguage) {
    shell::setLanguageSetting(0);
    auto local = listColumns(false, false, 300);
    ASSERT_EQ(local.size(), 1u);
    EXPECT_EQ(local[0].caption, "Table name");
    EXPECT_EQ(local[0].width, 300);
    auto server = listColumns(true, false, 300);
    EXPECT_EQ(server[0].caption, "Table / View name");
    EXPECT_EQ(server[0].width, 270);
    shell::setLanguageSetting(1);
    auto comments = listColumns(true, true, 301);
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(comments[0].caption, "Имя таблицы/просмотра");
    EXPECT_EQ(comments[0].width, 301 - 60);
    EXPECT_EQ(comments[1].caption, "Комментарий");
    EXPECT_EQ(comments[1].width, 500);
    EXPECT_EQ(listColumns(false, false, 10)[0].caption, "Имя таблицы");
    shell::setLanguageSetting(0);
}

TEST(TableList, CatalogRowsFindTheirListedNames) {
    TMyTableList l;
    for (auto n : {"EMP", "SALES", "SYS.DUAL", "HR.JOBS"}) l.add(entry(n), Formats());
    applyPartitionRows(l, {{"SCOTT", "SALES"}, {"HR", "NOPE"}}, "scott");
    EXPECT_TRUE(l.isPartitioned("SALES"));
    EXPECT_FALSE(l.isPartitioned("EMP"));
    applyCommentRows(l, {{"SCOTT", "EMP", "TABLE", "Employees"}, {"SYS", "DUAL", "TABLE", "One row"},
                         {"HR", "JOBS"} /* short row ignored */},
                     "SCOTT");
    EXPECT_EQ(l.comment("EMP"), "Employees");
    EXPECT_EQ(l.comment("SYS.DUAL"), "One row");
    EXPECT_EQ(l.comment("HR.JOBS"), "");
    EXPECT_EQ(catalogKey("SCOTT", "EMP", "scott"), "EMP");
    EXPECT_EQ(catalogKey("scott", "EMP", "scott"), "scott.EMP");   // the owner column is compared as read
    EXPECT_EQ(std::string(commentSql(ServerKind::SQLBASE)),
              "select CREATOR,NAME,COLCOUNT,REMARKS from SYSADM.SYSTABLES where Not (REMARKS is null)");
    EXPECT_EQ(commentSql(ServerKind::INTERBASE), nullptr);
    EXPECT_TRUE(runsPartitionQuery(ServerKind::ORACLE, "8"));
    EXPECT_FALSE(runsPartitionQuery(ServerKind::ORACLE, "7"));
    EXPECT_FALSE(runsPartitionQuery(ServerKind::OTHER, "8"));
}

TEST(CurrentTable, FillFromTheActivePanel) {
    TMyTableList l;
    auto e = entry("SCOTT.EMP_V", "", true);
    e.size = 10;
    l.add(e, Formats());
    TTableInfo info;
    int versionAsked = 0;
    FillSource src{"ORA", "ORACLE", true, [&] { ++versionAsked; return std::string("8"); }, std::string("SCOTT.EMP_V"), &l};
    EXPECT_TRUE(fillTableInfo(info, src));
    EXPECT_EQ(info.databaseName, "ORA");
    EXPECT_EQ(info.serverKind, ServerKind::ORACLE);
    EXPECT_EQ(info.oracleVersion, "8");
    EXPECT_EQ(info.tableName, "SCOTT.EMP_V");
    EXPECT_EQ(info.tableNameForCommands, "SCOTT.EMP_V");
    EXPECT_EQ(info.tableType, "VIEW");
    EXPECT_TRUE(info.isView);
    EXPECT_TRUE(info.isSqlBased);
    EXPECT_EQ(info.size, "10");
    // No focused item: the database fields change, the table fields stay.
    FillSource none{"/data/demo", "", false, [&] { ++versionAsked; return std::string("9"); }, std::nullopt, &l};
    EXPECT_FALSE(fillTableInfo(info, none));
    EXPECT_EQ(info.driverName, "STANDARD");
    EXPECT_EQ(info.serverKind, ServerKind::STANDARD);
    EXPECT_EQ(info.oracleVersion, "");
    EXPECT_EQ(info.tableName, "SCOTT.EMP_V");
    EXPECT_TRUE(info.isView);
    EXPECT_EQ(versionAsked, 1);
}

TEST(MenuRules, ByServerKind) {
    auto on = [](const MenuStates& m) {
        std::vector<std::string> out;
        for (auto& [n, e] : m)
            if (e) out.push_back(n);
        std::sort(out.begin(), out.end());
        return out;
    };
    auto sorted = [](std::vector<std::string> v) { std::sort(v.begin(), v.end()); return v; };
    EXPECT_EQ(on(menuEnabling(ServerKind::SQLBASE, true)),
              sorted({"Security1", "Synonyms1", "Triggers1", "Constraints1", "NNewSynonym", "NNewProcedure", "Objects1", "BMenu"}));
    EXPECT_EQ(on(menuEnabling(ServerKind::INTERBASE, true)),
              sorted({"Security1", "Interbase1", "Domains1", "Functions1", "Exceptions1", "BlobFilters1", "Generators1",
                      "Triggers1", "NNewGenerator", "NNewProcedure", "Objects1", "BMenu"}));
    EXPECT_EQ(on(menuEnabling(ServerKind::MSSQL, true)),
              sorted({"Security1", "Triggers1", "Constraints1", "NNewProcedure", "Objects1", "BMenu"}));
    EXPECT_EQ(on(menuEnabling(ServerKind::ORACLE, true)).size(), 21u);
    EXPECT_EQ(on(menuEnabling(ServerKind::STANDARD, false)), std::vector<std::string>{"PackDbaseTable1"});
    EXPECT_EQ(on(menuEnabling(ServerKind::OTHER, true)), sorted({"BMenu", "Objects1"}));
    // Pack is touched only by the last row; the untouched items never appear.
    for (auto k : {ServerKind::ORACLE, ServerKind::SQLBASE, ServerKind::INTERBASE, ServerKind::MSSQL, ServerKind::OTHER})
        for (auto& [n, e] : menuEnabling(k, true)) {
            EXPECT_NE(n, "Indexes1");
            EXPECT_NE(n, "StoredProcedures");
            EXPECT_NE(n, "NNewTable");
            if (k != ServerKind::OTHER) EXPECT_NE(n, "PackDbaseTable1");
        }
}

TEST(Formats, DateAndTimeTexts) {
    Formats f;
    f.dateSeparator = ".";
    f.timeSeparator = ":";
    engine::DateTime dt{{2024, 3, 7}, {15, 4, 9, 12}};
    struct { const char* fmt; const char* text; } cases[] = {
        {"dd/mm/yyyy", "07.03.2024"}, {"d/m/yy", "7.3.24"}, {"mmm d, yyyy", "Mar 7, 2024"},
        {"dddd", "Thursday"}, {"hh:nn:ss", "15:04:09"}, {"h:mm AMPM", "3:04 PM"}, {"hh:mm am/pm", "03:04 pm"},
        {"hh:nn:ss.zzz", "15:04:09.012"}, {"'at' hh", "at 15"}, {"mmmm", "March"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatDateTime(c.fmt, dt, f), c.text) << c.fmt;
}

}  // namespace
}  // namespace vlm::panels
