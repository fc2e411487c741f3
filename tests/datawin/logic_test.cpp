// The data windows' plain rules: report texts, SQL texts per name rule, status and message
// texts, the search match and the byte viewer's conversions.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "datawin/report.h"
#include "datawin/viewlogic.h"
#include "engine/database.h"
#include "engine/query.h"
#include "shell/language.h"

using namespace vlm::datawin;
using vlm::engine::Database;
using vlm::engine::Query;
namespace fs = std::filesystem;

namespace {

struct LiteDb {
    fs::path dir;
    std::string name;
    Database db;
    LiteDb() {
        dir = fs::temp_directory_path() / ("vlm-datawin-logic-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        name = "SQLITE:" + (dir / "r.sqlite").string();
        fs::remove(dir / "r.sqlite");
        db.setDatabaseName(name);
        db.open();
    }
    ~LiteDb() {
        db.close();
        fs::remove_all(dir);
    }
    void run(const std::string& sql) {
        Query q;
        q.setDatabaseName(name);
        q.setSql(sql);
        q.execSql();
    }
};

std::string plain(LiteDb& d, const std::string& sql, const std::string& table) {
    Query q;
    q.setDatabaseName(d.name);
    q.setSql(sql);
    std::ostringstream out;
    writePlainReport(q, out, table);
    return out.str();
}

std::string numbered(LiteDb& d, const std::string& sql, bool numbers, bool sums, int startRow = 1) {
    Query q;
    q.setDatabaseName(d.name);
    q.setSql(sql);
    q.open();
    q.setRecNo(startRow);
    std::ostringstream out;
    EXPECT_TRUE(writeNumberedReport(q, out, "", numbers, sums));
    return out.str();
}

}  // namespace

TEST(DatawinReport, TextsOfThePlainAndTheNumberedForms) {
    vlm::shell::setLanguageSetting(2);
    LiteDb d;
    d.run("create table T (NAME varchar(3), QTY double, NOTE varchar(5))");
    for (int i = 0; i < 3; ++i) d.run("insert into T values ('ab', 1.0004, 'x')");
    d.run("update T set NOTE = 'abc' where rowid = 2");
    // NAME is 3 wide but its heading needs 4, plus the separator.
    const std::string q = "select NAME, QTY, NOTE from T";
    struct Case {
        const char* name;
        std::string got, want;
    } cases[] = {
        {"plain", plain(d, q, "T"),
         "Таблица: T\n"
         "NAME QTY        NOTE  \n"
         "----------------------\n"
         "ab   1.0004     x     \n"
         "ab   1.0004     abc   \n"
         "ab   1.0004     x     \n"},
        // The running sum is rounded to three decimals at every row: 3, not 3.001; a column
        // with text has a blank sum cell.
        {"numbers and sums", numbered(d, q, true, true),
         "Таблица: \n"
         "  №   NAME QTY        NOTE  \n"
         "----------------------------\n"
         "1     ab   1.0004     x     \n"
         "2     ab   1.0004     abc   \n"
         "3     ab   1.0004     x     \n"
         "----------------------------\n"
         "Sum:       3                \n"
         "----------------------------\n"},
        {"from the last row", numbered(d, q, false, false, 3),
         "Таблица: \n"
         "NAME QTY        NOTE  \n"
         "----------------------\n"
         "ab   1.0004     x     \n"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;

    Query closed;
    std::ostringstream out;
    EXPECT_FALSE(writeNumberedReport(closed, out, "", true, true));
    EXPECT_TRUE(out.str().empty());
}

TEST(DatawinReport, SumsAreKeptWithThreeDecimals) {
    struct Case {
        double v;
        const char* want;
    } cases[] = {{3.0004, "3"}, {1.0005, "1.001"}, {-1.5, "-1.5"}, {0, "0"}, {-0.0001, "0"}, {1234567.125, "1234567.125"}};
    for (const auto& c : cases) EXPECT_EQ(formatSum(c.v), c.want) << c.v;
}

TEST(DatawinRules, ViewQueryNameRules) {
    using K = ServerKind;
    struct Case {
        const char* name;
        TableNameRule rule;
        const char* view;
        const char* clear;
    } cases[] = {
        {"option off: bare", {"SCOTT.EMP", false, false, true, K::ORACLE}, "select * from SCOTT.EMP", "Delete From SCOTT.EMP"},
        {"SQLBASE quotes the name only", {"SYSADM.EMP", true, false, true, K::SQLBASE}, "select * from SYSADM.\"EMP\"",
         "Delete From SYSADM.\"EMP\""},
        {"other kinds quote the whole", {"SCOTT.EMP", true, false, true, K::ORACLE}, "select * from \"SCOTT.EMP\"",
         "Delete From \"SCOTT.EMP\""},
        {"RequestLive quotes with the option off", {"my table", false, true, true, K::OTHER},
         "select * from \"my table\"", "Delete From \"my table\""},
        {"local file", {"CUSTOMER.DBF", true, false, false, K::STANDARD}, "select * from \"CUSTOMER.DBF\"",
         "Delete From \"CUSTOMER.DBF\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(viewQueryText(c.rule), c.view) << c.name;
        EXPECT_EQ(clearAllStatement(c.rule), c.clear) << c.name;
    }
    // Sorting keeps the table text and quotes field names that need it.
    EXPECT_EQ(sortQueryText("\"my table\"", "NAME", NameFold::Upper), "Select * From \"my table\" order by NAME");
    EXPECT_EQ(sortQueryText("T", "first name", NameFold::None), "Select * From T order by \"first name\"");
    EXPECT_EQ(sortQueryText("T", "name", NameFold::Upper), "Select * From T order by \"name\"");
    EXPECT_EQ(sortQueryText("T", "NAME", NameFold::Lower), "Select * From T order by \"NAME\"");
    EXPECT_EQ(sortQueryText("T", "name", NameFold::Lower), "Select * From T order by name");
    EXPECT_EQ(unsortQueryText("\"T\""), "Select * From \"T\"");
    EXPECT_EQ(viewAsTextQuery("EMP", true), "select * from \"EMP\"");
    EXPECT_EQ(viewAsTextQuery("EMP", false), "select * from EMP");
}

TEST(DatawinRules, SqlTemplates) {
    const std::vector<std::string> f3{"ID", "NAME", "SAL"};
    EXPECT_EQ(sqlTemplate(SqlTemplate::Update, "EMP", {"ID", "NAME"}, true), "UPDATE EMP SET ID=, NAME=\nWHERE");
    EXPECT_EQ(sqlTemplate(SqlTemplate::Insert, "EMP", f3, true), "INSERT INTO EMP (ID, NAME, SAL) VALUES (, , )");
    EXPECT_EQ(sqlTemplate(SqlTemplate::Insert, "T", {"F"}, true), "INSERT INTO T (F) VALUES ()");
    EXPECT_EQ(sqlTemplate(SqlTemplate::Insert, "T", {}, false), "");
    EXPECT_EQ(sqlTemplate(SqlTemplate::Update, "T", {}, false), "");
    EXPECT_EQ(sqlTemplate(SqlTemplate::Select, "EMP", {"ID", "NAME"}, true), "SELECT ID, NAME\nFROM EMP");
    EXPECT_EQ(sqlTemplate(SqlTemplate::Select, "EMP", {}, false), "SELECT * FROM EMP");
    EXPECT_EQ(sqlTemplate(SqlTemplate::Delete, "EMP", f3, true), "DELETE FROM EMP WHERE ");
    EXPECT_EQ(sqlTemplate(SqlTemplate::Create, "EMP", f3, true), "Create Table <TABLENAME> (VAR1 CHAR(10),VAR2 INT)");
}

TEST(DatawinRules, StatusAndMessageTextsInBothLanguages) {
    vlm::shell::setLanguageSetting(2);
    EXPECT_EQ(openStatusText(340, true), "   340 records");
    EXPECT_EQ(openStatusText(0, false), "   ?  records");
    EXPECT_EQ(sortStatusText(340, true), "   340 records in table");
    EXPECT_EQ(sortStatusText(0, false), "   ? records in table");
    EXPECT_EQ(positionText(12, 340, true), "12/340");
    EXPECT_EQ(positionText(12, 0, false), "12/?");
    EXPECT_EQ(resultStatusText(5, true, "00:00:01:250"), "5 ;  Time: 00:00:01:250");
    EXPECT_EQ(resultStatusText(5, false, "00:00:00:7"), "? ;  Time: 00:00:00:7");
    EXPECT_EQ(statementDoneMessage("  update EMP set SAL=1", "00:00:00:5", 14),
              "SQL Executed Succesfully! Time: 00:00:00:5\r\nRowsAffected: 14 rows");
    EXPECT_EQ(statementDoneMessage("insert into T values (1)", "00:00:00:5", 1),
              "SQL Executed Succesfully! Time: 00:00:00:5\r\nInserted: 1 rows");
    EXPECT_EQ(statementDoneMessage("DELETE from T", "00:00:00:5", -1),
              "SQL Executed Succesfully! Time: 00:00:00:5\r\nDeleted: 0 rows");
    vlm::shell::setLanguageSetting(1);
    EXPECT_EQ(openStatusText(0, false), "   ?  записей");
    EXPECT_EQ(statementDoneMessage("delete from T", "00:00:00:5", 2),
              "Запрос выполнен успешно! Время: 00:00:00:5\r\nУдалено: 2 записей");
    EXPECT_EQ(resultStatusText(5, true, "00:00:01:250"), "5 ;  Время: 00:00:01:250");
    vlm::shell::setLanguageSetting(2);

    using std::chrono::milliseconds;
    EXPECT_EQ(elapsedText(milliseconds(1250)), "00:00:01:250");
    EXPECT_EQ(elapsedText(milliseconds(3600000 + 61000 + 7)), "01:01:01:7");
    EXPECT_EQ(elapsedText(milliseconds(-5)), "00:00:00:0");

    EXPECT_TRUE(isQueryCommand("  select * from EMP"));
    EXPECT_TRUE(isQueryCommand("execute procedure P"));
    EXPECT_FALSE(isQueryCommand("update EMP set A=1"));
    EXPECT_FALSE(isQueryCommand("selec"));
}

TEST(DatawinRules, SearchMatch) {
    struct Case {
        const char* value;
        const char* text;
        bool caseSensitive, words, want;
    } cases[] = {
        {"Hello world", "WORLD", false, false, true},
        {"Hello world", "WORLD", true, false, false},
        {"Привет мир", "МИР", false, false, true},
        {"", "", false, false, true},          // an empty text finds an empty field
        {"abc", "", false, false, false},
        {"Hello world", "wor", false, true, false},   // whole words: part of a word is no hit
        {"Hello world", "world", false, true, true},
        {"a-world.", "world", false, true, true},
        {"worldwide world", "world", false, true, true},
        {"мир", "мир", false, true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(searchMatches(c.value, c.text, c.caseSensitive, c.words), c.want) << c.value << " / " << c.text;
}

TEST(DatawinRules, ByteViewerConversions) {
    EXPECT_EQ(hexToBytes("4142434"), std::string("ABC\x04", 4));   // three pairs and a last digit
    EXPECT_EQ(hexToBytes("zz41"), std::string("\0A", 2));
    EXPECT_EQ(hexToBytes(""), "");
    EXPECT_EQ(bytesToHex(std::string("\x01\xAB", 2)), "01AB");
    RawBytes r = splitRawBytes(std::string("\x03\x00" "abcdef", 8));
    EXPECT_EQ(r.fieldLength, 8);
    EXPECT_EQ(r.dataLength, 3);
    EXPECT_EQ(r.data, "abc");
    EXPECT_EQ(splitRawBytes("").data, "");
    // The save writes the real length, low byte first.
    const std::string data(300, 'x');
    const std::string raw = rawBytesForSave(data);
    EXPECT_EQ(raw.substr(0, 2), std::string("\x2C\x01", 2));
    EXPECT_EQ(splitRawBytes(raw).data, data);
    EXPECT_EQ(fieldTypeText(1), "ftString");
    EXPECT_EQ(fieldTypeText(22), "ftCursor");
    EXPECT_EQ(fieldTypeText(23), "myUnknown");
}
