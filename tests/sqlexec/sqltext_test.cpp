// The script window's text rules as tables: the statement at the caret, script splitting,
// statement kinds, the text functions, select-list labels, token classes, templates, time
// and message texts, file-name rules and the help word.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "engine/database.h"
#include "engine/query.h"
#include "shell/codepage.h"
#include "shell/language.h"
#include "sqlexec/sqltext.h"

using namespace vlm::sqlexec;

namespace {

struct CaretCase {
    const char* name;
    const char* text;
    std::size_t caret;
    const char* expected;
    char delimiter = ';';
};

TEST(SqlText, StatementAtCaret) {
    const std::string two = "select 1 from a;\nselect 2 from b;";
    const CaretCase cases[] = {
        {"start of first", two.c_str(), 0, "select 1 from a"},
        {"inside first", two.c_str(), 7, "select 1 from a"},
        {"just before its delimiter", two.c_str(), 15, "select 1 from a"},
        {"just after the delimiter", two.c_str(), 16, "select 2 from b"},
        {"start of second line", two.c_str(), 17, "select 2 from b"},
        {"after the last delimiter", two.c_str(), two.size(), ""},
        {"no delimiter at all", "  select 3\n", 4, "select 3"},
        {"delimiter inside a literal", "select ';' from a; select 2", 3, "select ';' from a"},
        {"delimiter in a double-quoted name", "select \"a;b\" from t;x", 2, "select \"a;b\" from t"},
        {"delimiter in a line comment", "select 1 -- one; two\nfrom a; select 2", 0, "select 1 -- one; two\nfrom a"},
        {"delimiter in a block comment", "select /* ; */ 1; select 2", 20, "select 2"},
        {"doubled quote inside a literal", "select 'it''s;' from a; b", 1, "select 'it''s;' from a"},
        {"another delimiter", "select 1 / 2; select 3 / 4", 20, "2; select 3", '/'},
        {"caret past the end", "select 9", 99, "select 9"},
    };
    for (const auto& c : cases) EXPECT_EQ(statementAtCaret(c.text, c.caret, c.delimiter), c.expected) << c.name;
}

TEST(SqlText, SplitScript) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<ScriptStatement> expected;
    };
    using U = Unterminated;
    const Case cases[] = {
        {"two lines", "insert into t values (1);\nupdate t set a = 2;\n",
         {{"insert into t values (1)"}, {"update t set a = 2"}}},
        {"two statements on one line", "update t set a=1; update t set b=2;",
         {{"update t set a=1"}, {"update t set b=2"}}},
        {"statement over lines", "select a,\n  b\nfrom t;", {{"select a,\n  b\nfrom t"}}},
        {"last without delimiter", "select 1;\nselect 2", {{"select 1"}, {"select 2"}}},
        {"literal keeps its delimiter", "insert into t values ('a;b');", {{"insert into t values ('a;b')"}}},
        {"comment-only pieces left out", "select 1; -- done\n/* end */", {{"select 1"}}},
        {"leading comment stays with its statement", "-- first\nselect 1;", {{"-- first\nselect 1"}}},
        {"blank pieces left out", ";;\n ; select 1;;", {{"select 1"}}},
        {"unterminated literal", "select 1;\ninsert into t values ('x);\nselect 2;",
         {{"select 1"}, {"insert into t values ('x);\nselect 2;", U::Literal}}},
        {"unterminated comment", "select 1; /* open; select 2;", {{"select 1"}, {"/* open; select 2;", U::Comment}}},
        {"empty", "", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitScript(c.text, ';'), c.expected) << c.name;
}

TEST(SqlText, StatementKindsAndDelimiterField) {
    const std::pair<const char*, StatementKind> kinds[] = {
        {"commit", StatementKind::Commit},          {" Rollback work", StatementKind::Rollback},
        {"start transaction", StatementKind::StartTransaction}, {"SELECT 1", StatementKind::Select},
        {"execute procedure p", StatementKind::Execute}, {"insert into t", StatementKind::Insert},
        {"\n delete from t", StatementKind::Delete},    {"update t set a=1", StatementKind::Other},
        {"start", StatementKind::Other},                {"", StatementKind::Other},
    };
    for (const auto& [text, kind] : kinds) EXPECT_EQ(statementKind(text), kind) << text;
    EXPECT_EQ(delimiterOf(";"), ';');
    EXPECT_EQ(delimiterOf(" /"), '/');
    EXPECT_EQ(delimiterOf("  "), '\0');
    EXPECT_TRUE(delimiterFieldValid(" ; "));
    EXPECT_FALSE(delimiterFieldValid(";;"));
    EXPECT_FALSE(delimiterFieldValid(" "));
}

TEST(SqlText, TextFunctions) {
    struct Case {
        const char* name;
        std::string (*fn)(std::string_view);
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"assignment escape", escapeAssignment, "a := 1; b:=2", "a ::= 1; b::=2"},
        {"assignment escape leaves lone colons", escapeAssignment, "x = :p", "x = :p"},
        {"line feeds removed, CR kept", removeLineFeeds, "begin\r\n  x;\r\nend;\n", "begin\r  x;\rend;"},
        {"colons doubled outside quotes", doubleColons, "a := :b || ':c' || :d", "a ::= ::b || ':c' || ::d"},
        {"colon doubling toggles at each quote", doubleColons, "'a''b:' :x", "'a''b:' ::x"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.fn(c.in), c.out) << c.name;
    using K = vlm::panels::ServerKind;
    EXPECT_EQ(preparedStatementText("begin\r\nx := 1;\r\nend", true, K::ORACLE), "begin\rx ::= 1;\rend");
    EXPECT_EQ(preparedStatementText("begin\r\nx := 1;\r\nend", false, K::INTERBASE), "begin\r\nx := 1;\r\nend");
}

TEST(SqlText, SelectListItemsAndLabels) {
    using V = std::vector<std::string>;
    EXPECT_EQ(selectListItems(" select a, (b+c) AS d, f(x, y) from t"), (V{"a", "(b+c) AS d", "f(x, y)"}));
    EXPECT_EQ(selectListItems("select * from t"), V{"*"});
    EXPECT_EQ(selectListItems("Select\n  n.name , count(*)\nFrom n"), (V{"n.name", "count(*)"}));
    EXPECT_EQ(selectListItems("select 1"), V{});

    vlm::engine::Database db;
    db.setDatabaseName("SQLITE:" + (std::filesystem::temp_directory_path() /
                                    ("vlm-sqltext-" + std::to_string(::getpid()) + ".sqlite")).string());
    db.open();
    vlm::engine::Query q;
    q.setDatabase(&db);
    const char* sql = "select 1 as a, (2+3) AS d, max(4, 5) from (select 1)";
    q.setSql(sql);
    q.open();
    applySelectListLabels(q, sql);
    EXPECT_EQ(q.field(0).displayLabel(), "1 as a");
    EXPECT_EQ(q.field(1).displayLabel(), "(2+3) AS d");
    EXPECT_EQ(q.field(2).displayLabel(), "max(4, 5)");
    q.close();
    q.setSql("select * from (select 1 as x, 2 as y)");
    q.open();
    applySelectListLabels(q, q.sqlText());
    EXPECT_EQ(q.field(0).displayLabel(), "*");
    EXPECT_EQ(q.field(1).displayLabel(), "y");
    q.close();
    db.close();
    std::filesystem::remove(db.databaseName().substr(7));
}

TEST(SqlText, TokenClasses) {
    const WordLists lists({"SELECT", "from"}, {"upper", "COUNT"}, {"BEGIN", "select"});
    const std::pair<const char*, TokenClass> cases[] = {
        {"select", TokenClass::Keyword},  {"From", TokenClass::Keyword},  {"count", TokenClass::Function},
        {"begin", TokenClass::PlSql},     {"'abc'", TokenClass::String},  {"'", TokenClass::None},
        {"''", TokenClass::String},       {"1.5", TokenClass::Number},    {"10", TokenClass::Number},
        {"1e5", TokenClass::Number},      {"1e", TokenClass::None},       {"inf", TokenClass::None},
        {"nan", TokenClass::None},        {"'1'", TokenClass::String},    {"emp", TokenClass::None},
        {"", TokenClass::None},
    };
    for (const auto& [token, cls] : cases) EXPECT_EQ(lists.classify(token), cls) << token;
    const std::u32string delimiters = U"\n\r !()*+,-./:;<=>[]{|}";
    EXPECT_EQ(delimiters.size(), 22u);
    for (char32_t c : delimiters) EXPECT_TRUE(isWordDelimiter(c)) << int(c);
    for (char32_t c : std::u32string(U"\t'\"_a#")) EXPECT_FALSE(isWordDelimiter(c)) << int(c);
}

TEST(SqlText, Templates) {
    using V = std::vector<std::string>;
    const V f = {"ID", "NAME"};
    const std::pair<int, V> cases[] = {
        {1, {"create table EMP (VAR1 CHAR(10),VAR2 INT)"}},
        {2, {"update EMP set ID= :ID, NAME= :NAME where"}},
        {3, {"select * from EMP"}},
        {4, {"select ID, NAME from EMP"}},
        {5, {"insert into EMP", "( ID, NAME )", "values", "( :ID, :NAME )"}},
        {6, {"delete from EMP where "}},
        {7, {"create index INDEXNAME on EMP (F1,F2)"}},
        {8, {"alter table EMP add COL_NAME data_type [, add COL_NAME data_type]"}},
        {9, {"create view NAMEVIEW [(view_col [, view_col ...])] AS <select>"}},
        {10, {"START TRANSACTION;"}},
        {11, {"COMMIT;"}},
        {12, {"ROLLBACK;"}},
        {13, {}},
    };
    for (const auto& [tag, lines] : cases) EXPECT_EQ(templateLines(tag, "EMP", f), lines) << tag;
    EXPECT_TRUE(templateNeedsFields(5));
    EXPECT_FALSE(templateNeedsFields(3));
}

TEST(SqlText, TimesMessagesAndLogLines) {
    EXPECT_EQ(timeOfDayText(1250), "00:00:01:250");
    EXPECT_EQ(timeOfDayText(((13 * 60 + 5) * 60 + 9) * 1000LL + 7), "13:05:09:7");
    EXPECT_EQ(startStopLine("10:00:00:0", "10:00:01:5", "00:00:01:5"),
              "Start: 10:00:00:0; Stop: 10:00:01:5; Time: 00:00:01:5");
    vlm::shell::setLanguageSetting(2);
    EXPECT_EQ(executedMessage("insert into t values (1)", "00:00:00:3", 1, false),
              "SQL Executed Succesfully! Time: 00:00:00:3\r\nInserted: 1 rows\r\n");
    EXPECT_EQ(executedMessage("delete from t", "00:00:00:3", -1, true),
              "SQL Executed Succesfully! Time: 00:00:00:3\r\nDeleted: 0 rows\r\nNot Forget COMMIT Or ROLLBACK!");
    EXPECT_EQ(executedLogLine("update t set a=1", 4), "Executed successed!: RowsAffected: 4 rows");
    EXPECT_EQ(scriptEndLine(false), "SQL script ended without errors.");
    EXPECT_EQ(scriptEndLine(true), "SQL script ended with errors.");
    vlm::shell::setLanguageSetting(1);
    EXPECT_EQ(executedLogLine("insert into t values (1)", 2), "Executed successed!: Вставлено: 2 записей");
    EXPECT_EQ(scriptEndLine(true), "Скрипт выполнен с ошибками.");
    vlm::shell::setLanguageSetting(0);
}

TEST(SqlText, FileNamesAndHelpWord) {
    const std::pair<const char*, const char*> ext[] = {
        {"a.b.rtf", "RTF"}, {"/x.y/plain", ""}, {"Q.Sql", "SQL"}, {"q.sql.txt", "TXT"}, {"noext", ""}};
    for (const auto& [name, e] : ext) EXPECT_EQ(lastExtension(name), e) << name;
    EXPECT_TRUE(isRichTextFile("a.b.rtf"));
    EXPECT_FALSE(isRichTextFile("a.rtf.sql"));
    EXPECT_TRUE(isSqlFile("dir.v2/x.sql"));

    const std::u32string t = U"select max(sal) from emp";
    EXPECT_EQ(helpWord(t, 2, U""), U"select");
    EXPECT_EQ(helpWord(t, 9, U""), U"max");
    EXPECT_EQ(helpWord(t, 7, U""), U"");                     // a blank before the caret
    EXPECT_EQ(helpWord(t, 0, U""), U"select");
    EXPECT_EQ(helpWord(t, 3, U"from emp"), U"from emp");     // a selection wins
    EXPECT_EQ(helpWord(U"", 0, U""), U"");
}

}  // namespace
