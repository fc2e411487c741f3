// Export, import, append and compare against real SQLite databases and a local dBase
// directory: the text format line by line, bad files and the destination left as it was, the
// workbook read back by an independent reader, and the compare log.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/batchmove.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/table.h"
#include "shell/language.h"
#include "transfer/compare.h"
#include "transfer/transfer.h"

using namespace vlm;
using namespace vlm::transfer;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void writeFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// A copy of a table's structure and rows through the engine's batch move.
void copyTable(engine::Database& src, const std::string& table, engine::Database& dst, const std::string& name) {
    engine::Table from, to;
    from.setDatabase(&src);
    from.setTableName(table);
    to.setDatabase(&dst);
    to.setTableName(name);
    engine::BatchMove copy;
    copy.source = &from;
    copy.destination = &to;
    copy.mode = engine::batCopy;
    copy.execute();
}

std::string errorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

// Stops the work at its n-th step, as the Cancel button does.
struct CancelAt : engine::Progress {
    int at, seen = 0;
    explicit CancelAt(int n) : at(n) {}
    bool step(std::int64_t, std::int64_t) override { return ++seen < at; }
};

class Transfer : public ::testing::Test {
protected:
    void SetUp() override {
        shell::setLanguageSetting(2);
        dir = fs::temp_directory_path() / ("vlm-transfer-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "local");
        db.setDatabaseName("SQLITE:" + (dir / "a.sqlite").string());
        db.open();
        other.setDatabaseName("SQLITE:" + (dir / "b.sqlite").string());
        other.open();
        local.setDatabaseName((dir / "local").string());
        local.open();
    }
    void TearDown() override {
        db.close();
        other.close();
        local.close();
        std::error_code ec;
        fs::remove_all(dir, ec);
        shell::setLanguageSetting(0);
    }
    static void exec(engine::Database& d, const std::string& sql) { d.connection().prepare(sql)->execute(); }
    static long long count(engine::Database& d, const std::string& table) {
        engine::Query q;
        q.setDatabase(&d);
        q.setSql("select count(*) from " + table);
        q.open();
        return q.field(0).asInteger();
    }
    // The rows of a table as text lines "a|b|c", in the order of its first column.
    static std::vector<std::string> rows(engine::Database& d, const std::string& table) {
        engine::Query q;
        q.setDatabase(&d);
        q.setSql("select * from " + table + " order by 1");
        q.open();
        std::vector<std::string> out;
        for (q.first(); !q.eof(); q.next()) {
            std::string s;
            for (int i = 0; i < q.fieldCount(); ++i) s += (i ? "|" : "") + (q.field(i).isNull() ? "NULL" : q.field(i).asString());
            out.push_back(s);
        }
        return out;
    }
    void people(engine::Database& d, const std::string& name = "people") {
        exec(d, "create table " + name + " (id integer primary key, name varchar(20), born date, pay numeric(10,2))");
        exec(d, "insert into " + name + " values (1, 'Анна', '1990-05-01', 10.5)");
        exec(d, "insert into " + name + " values (2, 'Bob', NULL, NULL)");
        exec(d, "insert into " + name + " values (3, NULL, '2001-12-31', 7)");
    }
    fs::path dir;
    engine::Database db, other, local;
};

// ---- The format.

TEST(TextFormat, HeaderLinesAreCheckedAgainstTheirCount) {
    struct Case {
        const char *l1, *l2, *l3, *why;
    } cases[] = {
        {"2", "A;B;", "1;3;", nullptr},
        {" 2 ", "A;B;", "1;3;", nullptr},
        {"x", "A;B;", "1;3;", "Line 1"},
        {"-1", "A;B;", "1;3;", "Line 1"},
        {"3", "A;B;", "1;3;", "Line 3"},
        {"2", "A;B;", "1;3;4;", "Line 3"},
        {"2", "A;B;", "1;3", "Line 3"},
        {"2", "A;", "1;3;", "Line 2"},
        {"2", "A;B;", "1;x;", "Line 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.l1) + " / " + c.l2 + " / " + c.l3);
        if (!c.why) {
            TextHeader h = parseHeader(c.l1, c.l2, c.l3, ';', CharSet::Dos);
            EXPECT_EQ(h.count, 2);
            EXPECT_EQ(h.names, (std::vector<std::string>{"A", "B"}));
            EXPECT_EQ(h.types, (std::vector<int>{1, 3}));
            continue;
        }
        std::string e = errorText([&] { parseHeader(c.l1, c.l2, c.l3, ';', CharSet::Dos); });
        EXPECT_NE(e.find(kMismatchFormat), std::string::npos) << e;
        try {
            parseHeader(c.l1, c.l2, c.l3, ';', CharSet::Dos);
        } catch (const engine::EngineError& err) {
            EXPECT_NE(err.messages().back().find(c.why), std::string::npos) << err.messages().back();
        }
    }
    EXPECT_EQ(detectDelimiter("1;3;"), ';');
    EXPECT_EQ(detectDelimiter("12|3|"), '|');
    EXPECT_EQ(detectDelimiter("12"), 0);
}

TEST(TextFormat, RowsHoldExactlyTheirFieldsEachFollowedByTheDelimiter) {
    struct Case {
        const char* line;
        int n;
        bool ok;
    } cases[] = {{"x;5;", 2, true}, {";;", 2, true}, {"x;5", 2, false}, {"x;", 2, false}, {"x;5;6;", 2, false}, {"", 1, false}, {";", 1, true}};
    std::vector<std::string_view> parts;
    for (const auto& c : cases) EXPECT_EQ(splitRow(c.line, ';', c.n, parts), c.ok) << c.line;
    ASSERT_TRUE(splitRow("x;;", ';', 2, parts));
    EXPECT_EQ(parts[0], "x");
    EXPECT_EQ(parts[1], "");
}

TEST(TextFormat, ValuesByTypeCodeAndBlankAsNull) {
    using engine::Value;
    struct Case {
        const char* text;
        int code;
        Value want;
    } cases[] = {
        {"5", 3, Value(std::int64_t(5))}, {" -7 ", 2, Value(std::int64_t(-7))}, {"", 3, Value()}, {"  ", 14, Value()},
        {"1.25", 6, Value(1.25)},         {"", 7, Value()},                     {"12.50", 8, Value(engine::Decimal{"12.50"})},
        {"2024-02-29", 9, Value(engine::Date{2024, 2, 29})},                   {"", 9, Value()},
        {"13:45:07", 10, Value(engine::Time{13, 45, 7, 0})},                  {"", 10, Value()},
        {"2001-12-31 23:59:58.250", 11, Value(engine::DateTime{{2001, 12, 31}, {23, 59, 58, 250}})},
        {"True", 5, Value(true)},         {"", 5, Value()},                     {"0AFF", 12, Value(engine::Bytes{0x0A, 0xFF})},
        {"", 1, Value(std::string())},    {" x ", 1, Value(std::string(" x "))},
    };
    for (const auto& c : cases) EXPECT_EQ(valueFromText(c.text, c.code), c.want) << c.text << " as " << c.code;
    for (auto [text, code] : std::vector<std::pair<const char*, int>>{
             {"x", 3}, {"5.5", 3}, {"1,5", 6}, {"2024-02-30", 9}, {"31.12.2001", 9}, {"25:00:00", 10}, {"maybe", 5}})
        EXPECT_THROW(valueFromText(text, code), std::invalid_argument) << text;
}

TEST(TextFormat, DosCharacterSetIsCodePage866) {
    iconv_t cd = iconv_open("UTF-8", "CP866");
    ASSERT_NE(cd, iconv_t(-1));
    for (int b = 0x80; b <= 0xFF; ++b) {
        char in[1] = {char(b)};
        char out[8] = {};
        char* ip = in;
        char* op = out;
        std::size_t il = 1, ol = sizeof out;
        ASSERT_NE(iconv(cd, &ip, &il, &op, &ol), std::size_t(-1)) << b;
        std::string got;
        ASSERT_TRUE(decodeText(std::string(1, char(b)), CharSet::Dos, got));
        EXPECT_EQ(got, std::string(out, op)) << "byte " << b;
        std::string back;
        ASSERT_TRUE(encodeText(got, CharSet::Dos, back));
        EXPECT_EQ(back, std::string(1, char(b)));
    }
    iconv_close(cd);
    std::string out;
    EXPECT_FALSE(encodeText("€", CharSet::Dos, out));
    EXPECT_TRUE(encodeText("€", CharSet::Windows, out));
    EXPECT_FALSE(decodeText("\xC0\xE0", CharSet::Windows, out));   // CP1251 bytes are no UTF-8
}

// ---- Export.

TEST_F(Transfer, ExportWritesTheThreeHeaderLinesAndOneLinePerRow) {
    exec(db, "create table t (a varchar(10), b integer)");
    exec(db, "insert into t values ('x', 5)");
    exec(db, "insert into t values (NULL, NULL)");
    exec(db, "insert into t values ('Ёж', 6)");
    const fs::path f = dir / "t.txt";
    EXPECT_EQ(exportText(db, "t", f.string(), {}, nullptr), 3);
    EXPECT_EQ(readAll(f), "2\r\na;b;\r\n1;3;\r\nx;5;\r\n;;\r\n\xF0\xA6;6;\r\n");   // Ёж in CP866
    ExportOptions o;
    o.charset = CharSet::Windows;
    o.delimiter = '|';
    o.fields = "b";
    exportText(db, "t", f.string(), o, nullptr);
    EXPECT_EQ(readAll(f), "1\r\nb|\r\n3|\r\n5|\r\n|\r\n6|\r\n");
    EXPECT_EQ(exportQuery("T", " ", false), "Select * From T");
    EXPECT_EQ(exportQuery("T", "A,B", true), "Select A,B from \"T\"");
}

TEST_F(Transfer, ExportRefusesWhatTheFormatCannotCarryAndLeavesNoFile) {
    struct Case {
        const char* value;
        const char* says;
    } cases[] = {{"a;b", "Row 2, column s holds the delimiter"},
                 {"two\nlines", "Row 2, column s holds a line break"},
                 {"\xE2\x82\xAC", "Row 2, column s holds a character that the Dos character set lacks"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        exec(db, "drop table if exists t");
        exec(db, "create table t (s varchar(10))");
        exec(db, "insert into t values ('ok')");
        engine::Query q;
        q.setDatabase(&db);
        q.setSql("insert into t values (:S)");
        q.paramByName("S").set(engine::Value(std::string(c.value)));
        q.execSql();
        const fs::path f = dir / "out.txt";
        writeFile(f, "old");
        std::string e = errorText([&] { exportText(db, "t", f.string(), {}, nullptr); });
        EXPECT_NE(e.find(c.says), std::string::npos) << e;
        EXPECT_EQ(readAll(f), "old");
        EXPECT_FALSE(fs::exists(f.string() + ".part"));
    }
    exec(db, "create table u (s varchar(10))");
    EXPECT_NE(errorText([&] { exportText(db, "u", (dir / "no" / "such" / "dir.txt").string(), {}, nullptr); }).find("Cannot write"),
              std::string::npos);
    EXPECT_NE(errorText([&] { exportText(db, "nosuch", (dir / "x.txt").string(), {}, nullptr); }).find("Can't Open Table - nosuch"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "x.txt"));
    ExportOptions o;
    o.delimiter = ' ';
    EXPECT_EQ(errorText([&] { exportText(db, "u", (dir / "x.txt").string(), o, nullptr); }), "No Delimiter!!!");
}

// ---- Import.

TEST_F(Transfer, RoundTripsThroughTextIntoSqliteAndDbaseAndCompareAgrees) {
    people(db);
    people(other, "people");
    exec(other, "delete from people");
    const fs::path f = dir / "people.txt";
    ASSERT_EQ(exportText(db, "people", f.string(), {}, nullptr), 3);
    EXPECT_EQ(importText(other, "people", f.string(), {}, nullptr), 3);
    // A blank number or date is NULL; a blank text is empty text (the format has no NULL text).
    EXPECT_EQ(rows(other, "people"),
              (std::vector<std::string>{"1|Анна|1990-05-01|10.50", "2|Bob|NULL|NULL", "3||2001-12-31|7.00"}));

    // Into a dBase table made by a copy of the structure.
    copyTable(db, "people", local, "PEOPLE.DBF");
    local.connection().emptyTable("PEOPLE.DBF");
    EXPECT_EQ(importText(local, "PEOPLE.DBF", f.string(), {}, nullptr), 3);
    CompareLog log((dir / "TBLSCOMP.LOG").string());
    CompareOptions o;
    o.rowCount = o.data = o.byKey = true;
    CompareResult r = compareTables({&db, "people"}, {&local, "PEOPLE.DBF"}, o, log, nullptr);
    EXPECT_EQ(r.status, "Comared Ok!") << log.text();
}

TEST_F(Transfer, BadFilesAreRefusedNamingTheLineAndWriteNothing) {
    const std::string head = "2\r\nA;B;\r\n1;3;\r\n";
    struct Case {
        std::string text, says;
    } cases[] = {
        {"2\r\nA;B;\r\n1;3;4;\r\nx;1;\r\n", kMismatchFormat},
        {"x\r\nA;B;\r\n1;3;\r\n", kMismatchFormat},
        {"2\r\nA;B;\r\n", kMismatchFormat},
        {head + "x;1;\r\ny;\r\n", "Line 5 holds 1 delimited fields instead of 2"},
        {head + "x;1;\r\ny;2;3;\r\n", "Line 5 holds 3 delimited fields instead of 2"},
        {head + "x;1;\r\ny;2", "Line 5 ends in the middle"},
        {head + "x;1;\r\ny;two;\r\n", "Line 5, field B: 'two' is no integer"},
    };
    for (bool toLocal : {false, true}) {
        engine::Database& d = toLocal ? local : db;
        const std::string table = toLocal ? "T.DBF" : "t";
        exec(db, "create table if not exists t (a varchar(10), b integer)");
        exec(db, "delete from t");
        exec(db, "insert into t values ('kept', 9)");
        if (toLocal) copyTable(db, "t", local, "T.DBF");
        for (const auto& c : cases) {
            SCOPED_TRACE((toLocal ? "dBase: " : "SQLite: ") + c.text);
            writeFile(dir / "bad.txt", c.text);
            std::string e = errorText([&] { importText(d, table, (dir / "bad.txt").string(), {}, nullptr); });
            EXPECT_NE(e.find(c.says), std::string::npos) << e;
            EXPECT_EQ(rows(d, table), (std::vector<std::string>{"kept|9"}));
        }
    }
    // Windows character set: the text must be UTF-8.
    writeFile(dir / "cp.txt", "2\r\nA;B;\r\n1;3;\r\n\xC0\xE0;1;\r\n");
    ImportOptions w;
    w.charset = CharSet::Windows;
    EXPECT_NE(errorText([&] { importText(db, "t", (dir / "cp.txt").string(), w, nullptr); }).find("Line 4 is not in the Windows"),
              std::string::npos);
    // A file of another width than the table.
    writeFile(dir / "one.txt", "1\r\nA;\r\n1;\r\nx;\r\n");
    EXPECT_NE(errorText([&] { importText(db, "t", (dir / "one.txt").string(), {}, nullptr); }).find("The file has 1 fields, the table t has 2"),
              std::string::npos);
    EXPECT_EQ(count(db, "t"), 1);
}

TEST_F(Transfer, CancelOrFailureAtAnyStepLeavesTheSqlDestinationAsBefore) {
    exec(db, "create table t (a varchar(10), b integer)");
    exec(db, "insert into t values ('kept', 9)");
    std::string text = "2\r\nA;B;\r\n1;3;\r\n";
    for (int i = 0; i < 5000; ++i) text += "r" + std::to_string(i) + ";" + std::to_string(i) + ";\r\n";
    writeFile(dir / "big.txt", text);
    for (int at : {1, 2, 3, 5}) {
        CancelAt p(at);
        try {
            importText(db, "t", (dir / "big.txt").string(), {}, &p);
            ADD_FAILURE() << "not cancelled at step " << at;
        } catch (const engine::EngineError& e) {
            EXPECT_EQ(e.category(), engine::ErrorCategory::Cancelled);
        }
        EXPECT_EQ(count(db, "t"), 1) << at;
    }
    // A bad row after thousands of good ones.
    writeFile(dir / "late.txt", text + "bad;x;\r\n");
    EXPECT_NE(errorText([&] { importText(db, "t", (dir / "late.txt").string(), {}, nullptr); }).find("Line 5004, field B"),
              std::string::npos);
    EXPECT_EQ(count(db, "t"), 1);
    // The append through the batch move, cancelled and failing (a NOT NULL column).
    exec(other, "create table src (a varchar(10), b integer)");
    exec(other, "insert into src select 'x', 1");
    for (int i = 0; i < 12; ++i) exec(other, "insert into src select a, b from src");   // 4096 rows
    for (int at : {1, 2, 4}) {
        CancelAt p(at);
        EXPECT_THROW(appendRows(other, "select * from src", db, "t", {}, &p), engine::EngineError);
        EXPECT_EQ(count(db, "t"), 1);
    }
    exec(db, "create table strict (a varchar(10), b integer not null)");
    exec(other, "insert into src values ('null', NULL)");
    EXPECT_THROW(appendRows(other, "select * from src", db, "strict", {}, nullptr), engine::EngineError);
    EXPECT_EQ(count(db, "strict"), 0);
    EXPECT_EQ(appendRows(other, "select * from src", db, "t", {}, nullptr), 4097);
    EXPECT_EQ(count(db, "t"), 4098);
}

TEST_F(Transfer, CancelDuringTheWriteLeavesALocalTableAsBefore) {
    exec(db, "create table t (a varchar(10), b integer)");
    exec(db, "insert into t values ('kept', 9)");
    copyTable(db, "t", local, "T.DBF");
    std::string text = "2\r\nA;B;\r\n1;3;\r\n";
    for (int i = 0; i < 5000; ++i) text += "r" + std::to_string(i) + ";" + std::to_string(i) + ";\r\n";
    writeFile(dir / "big.txt", text);
    const std::string before = readAll(dir / "local" / "T.DBF");
    // The first steps read the file through, the later ones write.
    for (int at : {1, 4, 7, 8, 9, 12}) {
        CancelAt p(at);
        EXPECT_THROW(importText(local, "T.DBF", (dir / "big.txt").string(), {}, &p), engine::EngineError) << at;
        EXPECT_EQ(rows(local, "T.DBF"), (std::vector<std::string>{"kept|9"})) << "cancelled at step " << at;
        EXPECT_EQ(readAll(dir / "local" / "T.DBF"), before);
    }
    exec(other, "create table src (a varchar(10), b integer)");
    exec(other, "insert into src select 'x', 1");
    for (int i = 0; i < 12; ++i) exec(other, "insert into src select a, b from src");
    for (int at : {1, 2, 3}) {
        CancelAt p(at);
        EXPECT_THROW(appendRows(other, "select * from src", local, "T.DBF", {}, &p), engine::EngineError);
        EXPECT_EQ(rows(local, "T.DBF"), (std::vector<std::string>{"kept|9"})) << "append cancelled at step " << at;
    }
    EXPECT_EQ(importText(local, "T.DBF", (dir / "big.txt").string(), {}, nullptr), 5000);
    EXPECT_EQ(count(local, "T.DBF"), 5001);
    for (const auto& e : fs::directory_iterator(dir / "local"))
        EXPECT_EQ(e.path().string().find("~"), std::string::npos) << e.path();
}

TEST_F(Transfer, DbaseFileImportAndADamagedFile) {
    people(db);
    copyTable(db, "people", local, "PEOPLE.DBF");
    local.close();
    people(other, "people");
    exec(other, "delete from people");
    EXPECT_TRUE(isDbfFile((dir / "local" / "people.dbf").string()));
    EXPECT_FALSE(isDbfFile((dir / "people.txt").string()));
    EXPECT_EQ(importDbf(other, "people", (dir / "local" / "PEOPLE.DBF").string(), nullptr), 3);
    EXPECT_EQ(rows(other, "people"),   // dBase keeps no NULL text
              (std::vector<std::string>{"1|Анна|1990-05-01|10.50", "2|Bob|NULL|NULL", "3||2001-12-31|7.00"}));
    exec(other, "delete from people");
    // Cut in the middle of the second record.
    const std::string bytes = readAll(dir / "local" / "PEOPLE.DBF");
    writeFile(dir / "BROKEN.DBF", bytes.substr(0, bytes.size() - 60));
    EXPECT_THROW(importDbf(other, "people", (dir / "BROKEN.DBF").string(), nullptr), engine::EngineError);
    EXPECT_EQ(count(other, "people"), 0);
}

// ---- The workbook.

TEST_F(Transfer, WorkbookReadBackByAnIndependentReader) {
    people(db);
    const fs::path f = dir / "people.xlsx";
    EXPECT_EQ(exportXlsx(db, "people", f.string(), {}, nullptr), 3);
    const std::string script =
        "import openpyxl,sys\n"
        "ws=openpyxl.load_workbook(sys.argv[1]).active\n"
        "for r in ws.iter_rows(values_only=True): print('|'.join(type(v).__name__+':'+str(v) for v in r))\n";
    writeFile(dir / "read.py", script);
    std::string cmd = "/usr/bin/python3 " + (dir / "read.py").string() + " " + f.string() + " > " + (dir / "cells.txt").string();
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "python3-openpyxl reads the workbook";
    EXPECT_EQ(readAll(dir / "cells.txt"),
              "str:id|str:name|str:born|str:pay\n"
              "int:1|str:Анна|datetime:1990-05-01 00:00:00|float:10.5\n"
              "int:2|str:Bob|NoneType:None|NoneType:None\n"
              "int:3|NoneType:None|datetime:2001-12-31 00:00:00|int:7\n");
    exec(db, "create table empty (a integer)");
    EXPECT_EQ(exportXlsx(db, "empty", (dir / "empty.xlsx").string(), {}, nullptr), 0);
    EXPECT_TRUE(fs::exists(dir / "empty.xlsx"));
    EXPECT_THROW(exportXlsx(db, "empty", (dir / "no" / "x.xlsx").string(), {}, nullptr), engine::EngineError);
}

// ---- Compare.

TEST(CompareLines, TheLogsLinesInBothLanguages) {
    using engine::FieldType;
    struct Case {
        int language;
        std::string got, want;
    };
    shell::setLanguageSetting(2);
    std::vector<Case> cases = {
        {2, rowCountLine("A", 10, "B", 12), "ROW COUNT - A(10) <> B(12)"},
        {2, rowCountLine("A", 3, "B", 3), "ROW COUNT - A(3) = B(3)"},
        {2, fieldsCountLine("A", 2, "B", 3), "FIELDS COUNT - A(2) <> B(3)"},
        {2, fieldNameHeading(), "----- Fields Name Compare -----"},
        {2, fieldNameLine(1, "X", "Y"), "  1: X <> Y"},
        {2, fieldTypeHeading(), "----- Fields Type Compare -----"},
        {2, fieldTypeLine(1, "X", FieldType::String, "X", FieldType::Integer), "  1: X (String) <> X (Integer)"},
        {2, valueLine(3, "NAME", "a", "b"), "    3: NAME -> \"a\" <> \"b\""},
        {2, rowOnlyLine(12345, "ID=7", true, "B"), "12345: ID=7 -> missing in B"},
        {2, rowOnlyLine(4, "", false, "B"), "    4: -> extra in B"},
        {2, resultText(0), "Comared Ok!"},
        {2, resultText(2), "2 comared errors!"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
    shell::setLanguageSetting(1);
    EXPECT_EQ(rowCountLine("A", 10, "B", 12), "Число строк - A(10) <> B(12)");
    EXPECT_EQ(fieldsCountLine("A", 2, "B", 3), "Число полей - A(2) <> B(3)");
    EXPECT_EQ(fieldNameHeading(), "----- Сравнение имен полей -----");
    EXPECT_EQ(fieldTypeHeading(), "----- Сравнение типов полей -----");
    EXPECT_EQ(resultText(0), "Сравнение - норма!");
    EXPECT_EQ(resultText(2), "2 ошибок!");
    shell::setLanguageSetting(0);
}

TEST_F(Transfer, CompareCountsNamesTypesAndValues) {
    auto log = [&] { return std::make_unique<CompareLog>((dir / "TBLSCOMP.LOG").string()); };
    // The body of the log: without its date line and the empty line after it.
    auto body = [](CompareLog& l) {
        std::string t = l.text();
        EXPECT_EQ(t.substr(2, 1) + t.substr(5, 1) + t.substr(13, 1), "..:");
        return t.substr(t.find("\r\n\r\n") + 4);
    };
    exec(db, "create table a (id integer, name varchar(10))");
    exec(other, "create table b (id integer, name varchar(10))");
    for (int i = 1; i <= 10; ++i) exec(db, "insert into a values (" + std::to_string(i) + ", 'n" + std::to_string(i) + "')");
    for (int i = 1; i <= 12; ++i) exec(other, "insert into b values (" + std::to_string(i) + ", 'n" + std::to_string(i) + "')");
    CompareOptions count;
    count.rowCount = true;
    {
        auto l = log();
        auto r = compareTables({&db, "a"}, {&other, "b"}, count, *l, nullptr);
        EXPECT_EQ(r.differences, 1);
        EXPECT_EQ(body(*l), "ROW COUNT - a(10) <> b(12)\r\n\r\n1 comared errors!\r\n");
    }
    {   // Without "Row count" the rows left over are differences.
        CompareOptions data;
        data.data = true;
        exec(other, "update b set name = 'x' where id = 2");
        auto l = log();
        auto r = compareTables({&db, "a"}, {&other, "b"}, data, *l, nullptr);
        EXPECT_EQ(r.differences, 3);
        EXPECT_EQ(body(*l), "\r\n    2: name -> \"n2\" <> \"x\"\r\n   11: -> extra in b\r\n   12: -> extra in b\r\n3 comared errors!\r\n");
        data.rowCount = true;   // the Part's row limit: the smaller count
        auto l2 = log();
        EXPECT_EQ(compareTables({&db, "a"}, {&other, "b"}, data, *l2, nullptr).differences, 2);
    }
    {   // Names and types by position (from 0), and a different field count.
        exec(db, "create table s1 (id integer, name varchar(10), n integer)");
        exec(other, "create table s2 (id integer, title varchar(10), n varchar(5))");
        CompareOptions types;
        types.types = true;
        auto l = log();
        auto r = compareTables({&db, "s1"}, {&other, "s2"}, types, *l, nullptr);
        EXPECT_EQ(r.differences, 2);
        EXPECT_EQ(body(*l), "----- Fields Name Compare -----\r\n  1: name <> title\r\n\r\n"
                            "----- Fields Type Compare -----\r\n  2: n (Integer) <> n (String)\r\n2 comared errors!\r\n");
        exec(other, "create table s3 (id integer)");
        auto l2 = log();
        r = compareTables({&db, "s1"}, {&other, "s3"}, types, *l2, nullptr);
        EXPECT_EQ(body(*l2), "\r\nFIELDS COUNT - s1(3) <> s3(1)\r\n\r\n1 comared errors!\r\n");
    }
    EXPECT_THROW(compareTables({&db, "nosuch"}, {&other, "b"}, count, *log(), nullptr), engine::EngineError);
}

TEST_F(Transfer, CompareByKeyMatchesRowsWhateverTheirOrder) {
    exec(db, "create table a (code varchar(5) primary key, v integer)");
    exec(other, "create table b (code varchar(5) primary key, v integer)");
    for (const char* s : {"('a', 1)", "('B', 2)", "('c', 3)", "('d', 4)"}) exec(db, std::string("insert into a values ") + s);
    for (const char* s : {"('d', 4)", "('c', 30)", "('a', 1)", "('e', 5)"}) exec(other, std::string("insert into b values ") + s);
    EXPECT_EQ(keyFieldsOf(db, "a"), (std::vector<std::string>{"code"}));
    CompareOptions o;
    o.data = o.byKey = true;
    CompareLog l((dir / "TBLSCOMP.LOG").string());
    auto r = compareTables({&db, "a"}, {&other, "b"}, o, l, nullptr);
    EXPECT_EQ(r.differences, 3);
    std::string t = l.text();
    EXPECT_NE(t.find("    1: code=B -> missing in b\r\n"), std::string::npos) << t;
    EXPECT_NE(t.find("    3: v [code=c] -> \"3\" <> \"30\"\r\n"), std::string::npos) << t;
    EXPECT_NE(t.find("    4: code=e -> extra in b\r\n"), std::string::npos) << t;
    // Without a key the option says so.
    exec(db, "create table nokey (v integer)");
    std::string e = errorText([&] { compareTables({&db, "nokey"}, {&db, "nokey"}, o, l, nullptr); });
    EXPECT_NE(e.find("has a primary key or a unique index"), std::string::npos) << e;
}

TEST_F(Transfer, AppendPreparesItsMappingAndUsesAnEditedOne) {
    exec(other, "create table src (id integer, name varchar(10))");
    exec(other, "insert into src values (1, 'a')");
    exec(db, "create table dst (num integer, title varchar(10))");
    EXPECT_EQ(defaultSourceSql("SRC"), "select * from SRC");
    auto fields = sourceFields(other, defaultSourceSql("src"));
    EXPECT_EQ(defaultMaps(fields), (std::vector<std::string>{"id=id", "name=name"}));
    EXPECT_THROW(appendRows(other, "select * from src", db, "dst", defaultMaps(fields), nullptr), engine::EngineError);
    EXPECT_EQ(appendRows(other, "select * from src", db, "dst", {"num=id", "", "title=name"}, nullptr), 1);
    EXPECT_EQ(rows(db, "dst"), (std::vector<std::string>{"1|a"}));
}

}  // namespace
