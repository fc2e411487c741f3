// The server object editors' logic without a server: names, texts, error lines, the caret,
// parameter files and editors, sequence statements and skeletons.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/error.h"
#include "serverobj/objects.h"
#include "serverobj/params.h"
#include "serverobj/proclogic.h"

namespace vlm::serverobj {
namespace {

using K = ServerKind;
namespace fs = std::filesystem;

TEST(Names, ItemsPerKind) {
    struct {
        K kind;
        std::vector<std::string> row;
        ProcItem item;
    } cases[] = {
        {K::ORACLE, {"SCOTT", "RAISE_SAL", "PROCEDURE", "VALID"}, {"SCOTT.RAISE_SAL", "P", ImgProcedure}},
        {K::ORACLE, {"SCOTT", "BROKEN", "procedure", "INVALID"}, {"SCOTT.BROKEN", "P", ImgBadProcedure}},
        {K::ORACLE, {"SCOTT", "F1", "FUNCTION", "valid"}, {"SCOTT.F1", "F", ImgFunction}},
        {K::ORACLE, {"SCOTT", "F2", "FUNCTION", "INVALID"}, {"SCOTT.F2", "F", ImgBadFunction}},
        {K::SQLBASE, {"text", "LOG_INVOICE", "SYSADM", "P", "N"}, {"SYSADM.LOG_INVOICE", "P", ImgProcedure}},
        {K::SQLBASE, {"text", "CUST_COUNT", "SYSADM", "C", "N"}, {"SYSADM.CUST_COUNT", "C", ImgCommand}},
        {K::MSSQL, {"dbo", "byroyalty"}, {"dbo.byroyalty", "P", ImgProcedure}},
        {K::INTERBASE, {"ADD_ORDER"}, {"ADD_ORDER", "P", ImgProcedure}},
        {K::OTHER, {"public.f"}, {"public.f", "P", ImgProcedure}},
    };
    for (const auto& c : cases) EXPECT_EQ(procItemsOf(c.kind, {c.row}).at(0), c.item) << c.row.at(1);
}

TEST(Source, OracleLinesAndNumbers) {
    objlists::Rows rows{{"PROCEDURE P IS\n", "P", "SCOTT", "1"}, {"BEGIN NULL; END;\n", "P", "SCOTT", "2"}};
    EXPECT_EQ(procSourceOf(K::ORACLE, "SCOTT.P", rows, {}), (Lines{"Create or replace PROCEDURE P IS", "BEGIN NULL; END;"}));
    EXPECT_EQ(procSourceOf(K::ORACLE, "SCOTT.P", rows, {.lineNumbers = true}),
              (Lines{"1: Create or replace PROCEDURE P IS", "2: BEGIN NULL; END;"}));
    // The owner of an unqualified name is the login user; an apostrophe in it is doubled.
    EXPECT_EQ(procSourceQuery(K::ORACLE, "P", {.loginUser = "o'neil"}).sql.at(1), "And UPPER(OWNER)='O''NEIL'");
    EXPECT_EQ(procSourceQuery(K::SQLBASE, "P", {}).sql.size(), 1u);
    EXPECT_EQ(procSourceQuery(K::SQLBASE, "SYSADM.P", {}).sql.at(1), "And CREATOR='SYSADM'");
    EXPECT_EQ(procSourceQuery(K::MSSQL, "dbo.byroyalty;1", {}).params.at(0).second, "byroyalty");
    EXPECT_EQ(procSourceOf(K::MSSQL, "dbo.x", {{"CREATE PROC x AS\r\nSEL"}, {"ECT 1"}}, {}),
              (Lines{"CREATE PROC x AS", "SELECT 1"}));
    EXPECT_EQ(procSourceOf(K::SQLBASE, "SYSADM.P", {{"PROCEDURE: P"}}, {}), (Lines{"STORE P", "PROCEDURE: P"}));
    EXPECT_EQ(procSourceOf(K::SQLBASE, "SYSADM.P", {{"a := :b 'x:y'"}}, {.doubleColons = true}),
              (Lines{"STORE P", "a ::= ::b 'x:y'"}));
}

TEST(Source, InterbaseHeaders) {
    // number, type, name, procedure, source, description, system, field type, sub, length, scale, type name,
    // precision, character length
    auto p = [](std::string name, int type, int sub, int len, int scale, int prec = 0, int chars = 0) {
        return std::vector<std::string>{"0", "0", name, "P", "", "", "", std::to_string(type), std::to_string(sub),
                                        std::to_string(len), std::to_string(scale), "", std::to_string(prec),
                                        std::to_string(chars)};
    };
    objlists::Rows two{p("A", 8, 0, 4, 0), p("B", 37, 0, 40, 0, 0, 10)};
    EXPECT_EQ(interbaseHeader(1, 2, 0, "P2", two), (Lines{"CREATE PROCEDURE P2 (", " A INTEGER,", " B VARCHAR(40))", "", " AS "}));
    EXPECT_EQ(interbaseHeader(3, 2, 0, "P2", two),
              (Lines{"CREATE OR ALTER PROCEDURE P2 (", " A INTEGER,", " B VARCHAR(10))", "", " AS "}));
    objlists::Rows io{p("X", 16, 1, 8, -2, 18), p("Y", 16, 0, 8, 0), p("Z", 35, 0, 8, 0)};
    EXPECT_EQ(interbaseHeader(3, 1, 2, "P3", io),
              (Lines{"CREATE OR ALTER PROCEDURE P3 (", " X NUMERIC(18,2))", " RETURNS (", " Y BIGINT, Z TIMESTAMP)", "AS"}));
    EXPECT_EQ(interbaseHeader(1, 0, 1, "P4", {p("R", 27, 0, 8, -2)}), (Lines{"CREATE PROCEDURE P4 RETURNS (", " R NUMERIC(15,2))", "AS"}));
    EXPECT_EQ(interbaseHeader(1, 0, 0, "P5", {}), (Lines{"CREATE PROCEDURE P5"}));
    struct { int type, sub, scale; const char* text; } d1[] = {
        {7, 0, 0, "SMALLINT"}, {10, 0, 0, "FLOAT"}, {14, 0, 0, "CHAR(8)"}, {27, 0, 0, "DOUBLE PRECISION"},
        {35, 0, 0, "DATE"}, {261, 0, 0, "BLOB"}, {261, 1, 0, "BLOB SUB_TYPE 1"}, {261, 5, 0, "BLOB SUB_TYPE 5"},
        {16, 0, 0, "UNKNOWN TYPE"}};
    for (const auto& c : d1) EXPECT_EQ(interbaseParamType(1, p("A", c.type, c.sub, 8, c.scale)), c.text) << c.type;
}

TEST(Source, StoredNames) {
    struct { const char* text; const char* proc; const char* trigger; } cases[] = {
        {"Create or replace PROCEDURE  SCOTT.RAISE_SAL(P IN NUMBER)", "SCOTT.RAISE_SAL", ""},
        {"create procedure p1 -- calls function f\nas", "f", ""},
        {"CREATE OR ALTER PROCEDURE\n  ADD_ORDER (A INTEGER)", "ADD_ORDER", ""},
        {"Create Or Replace Function Счёт_1 RETURN NUMBER", "Счёт_1", ""},
        {"select 1 from dual", "", ""},
        {"Create Or Replace Trigger \r\nSCOTT.DEPT_BI BEFORE INSERT", "", "SCOTT.DEPT_BI"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(storedObjectName(c.text), c.proc) << c.text;
        EXPECT_EQ(triggerNameOf(c.text), c.trigger) << c.text;
    }
}

TEST(Store, TextsSent) {
    Lines lines{"  create trigger t  ", "", "begin x := 1;   ", "end;"};
    EXPECT_EQ(oracleStoreText(lines, false), "  create trigger t  \r\rbegin x := 1;   \rend;");
    EXPECT_EQ(triggerStoreText(lines, false), "create trigger t\rbegin x := 1;\rend;");
    EXPECT_EQ(triggerStoreText(lines, true), "create trigger t\rbegin x ::= 1;\rend;");
    EXPECT_EQ(plainStoreText({"a", "b := 'c:=d'"}, true), "a\nb ::= 'c::=d'");
}

TEST(Errors, LinesParsingAndCaret) {
    EXPECT_EQ(errorLines({{"PLS-00201: identifier 'EMPX'\n", "P", "SCOTT", "3", "5"}}),
              (Lines{"3/5: PLS-00201: identifier 'EMPX'"}));
    struct { const char* line; int l, p; } parse[] = {
        {"3/5: text", 3, 5}, {"12/1: a: b", 12, 1}, {"x/5: t", 0, 5}, {"3/y: t", 3, 0}, {"no slash", 0, 0}};
    for (const auto& c : parse) EXPECT_EQ(parseErrorLine(c.line), std::make_pair(c.l, c.p)) << c.line;
    Lines src{"abc", "de", "fghij"};
    EXPECT_EQ(caretOffset(src, 2, 2), 6);     // (3+2) + 1
    EXPECT_EQ(caretOffset(src, 0, 1), 0);     // raised to line 1
    EXPECT_EQ(caretOffset(src, 9, 3), 11);    // lowered to the last line
    EXPECT_EQ(caretOffset({}, 1, 1), -1);
    engine::EngineError fb(engine::ErrorCategory::Sql, 1,
                           {"Dynamic SQL Error", "SQL error code = -104", "Token unknown - line 4, column 3", "SELEC"});
    EXPECT_EQ(serverErrorLine(fb).value(),
              "4/3: Dynamic SQL Error SQL error code = -104 Token unknown - line 4, column 3 SELEC");
    EXPECT_FALSE(serverErrorLine(engine::EngineError(engine::ErrorCategory::Sql, "no place here")));
}

TEST(Statements, DropRecompileAndQuestions) {
    EXPECT_EQ(recompileSql("P", "SCOTT.P"), "ALTER PROCEDURE SCOTT.P Compile");
    EXPECT_EQ(recompileSql("F", "SCOTT.F"), "ALTER FUNCTION SCOTT.F Compile");
    EXPECT_EQ(dropProcSql(K::ORACLE, "F", "SCOTT.F"), "DROP FUNCTION SCOTT.F");
    EXPECT_EQ(dropProcSql(K::ORACLE, "C", "SCOTT.F"), "");
    EXPECT_EQ(dropProcSql(K::SQLBASE, "P", "SYSADM.P"), "ERASE SYSADM.P");
    EXPECT_EQ(dropProcSql(K::INTERBASE, "P", "ADD_ORDER"), "DROP PROCEDURE ADD_ORDER");
    EXPECT_EQ(dropProcSql(K::MSSQL, "P", "dbo.x"), "");
    EXPECT_EQ(dropProcQuestion(false, "C", "SYSADM.C"), "Drop command SYSADM.C?");
    EXPECT_EQ(dropProcQuestion(true, "F", "S.F"), "Удалить функцию S.F?");
    EXPECT_EQ(triggerRecompileSql("SCOTT.T"), "ALTER TRIGGER SCOTT.T Compile");
}

TEST(Triggers, SourceHeaderLines) {
    TriggerSource s = triggerSourceOf(
        {{"ENABLED", "BEFORE EACH ROW", "SCOTT", "", "SCOTT.T BEFORE INSERT ON SCOTT.DEPT\nFOR EACH ROW\n", "BEGIN\n  :NEW.A := 1;\nEND;"}},
        true);
    EXPECT_EQ(s.lines, (Lines{"Create Or Replace Trigger ", "SCOTT.T BEFORE INSERT ON SCOTT.DEPT", "FOR EACH ROW", "BEGIN",
                              "  ::NEW.A ::= 1;", "END;"}));
    EXPECT_EQ(s.headerLines, 3);
    EXPECT_EQ(triggerItemsOf({{"DEPT.T ", "disabled", "", "SCOTT"}}).at(0), (TriggerItem{"DEPT.T", "SCOTT", false}));
}

TEST(ParFiles, WriteReadAndBadInput) {
    const fs::path dir = fs::temp_directory_path() / ("serverobj_par_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    SavedParams s{{"B", "A"}, {std::string("x y"), std::string("")}};
    writeParFile((dir / "a.PAR").string(), s);
    std::ifstream in(dir / "a.PAR", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, "B\r\nx y\r\nA\r\n\r\n");
    EXPECT_EQ(readParFile((dir / "a.PAR").string()), s);

    auto write = [&](const char* name, std::string data) {
        std::ofstream(dir / name, std::ios::binary) << data;
        return (dir / name).string();
    };
    EXPECT_EQ(readParFile(write("odd.PAR", "A\r\n1\r\nB")), (SavedParams{{"A", "B"}, {std::string("1"), std::nullopt}}));
    EXPECT_EQ(readParFile(write("lf.PAR", "A\n1\n")), (SavedParams{{"A"}, {std::string("1")}}));
    EXPECT_EQ(readParFile(write("empty.PAR", "")), SavedParams{});
    EXPECT_FALSE(readParFile((dir / "missing.PAR").string()));
    EXPECT_THROW(readParFile(write("bin.PAR", std::string("A\0\1\2", 4))), engine::EngineError);

    std::vector<Editor> eds{{"A", "keep"}, {"B", "old"}};
    auto unknown = restoreParams({{"B", "A", "ZZ", "ZZ"}, {std::string("new"), std::nullopt, std::string("1"), std::string("2")}}, eds);
    EXPECT_EQ(eds[0].text, "keep");   // a name without a value changes nothing
    EXPECT_EQ(eds[1].text, "new");
    EXPECT_EQ(unknown, (std::vector<std::string>{"ZZ"}));
    fs::remove_all(dir);
}

TEST(Params, EditorsOutputsAndConversion) {
    using engine::ParamDirection;
    std::vector<engine::Param> ps(4);
    ps[0] = {"A", engine::FieldType::Integer, ParamDirection::Input, {}};
    ps[1] = {"B", engine::FieldType::String, ParamDirection::Output, {}};
    ps[2] = {"C", engine::FieldType::String, ParamDirection::InputOutput, {}};
    ps[3] = {"D", engine::FieldType::String, ParamDirection::Unknown, {}};
    auto other = editorsFor(K::ORACLE, ps);
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(other[0].name, "C");   // built from the last parameter
    EXPECT_EQ(other[1].name, "A");
    auto ms = editorsFor(K::MSSQL, ps);
    ASSERT_EQ(ms.size(), 3u);
    EXPECT_EQ(ms[0].name, "Par_3");
    EXPECT_EQ(ps[3].direction, ParamDirection::Input);
    EXPECT_EQ(ps[2].direction, ParamDirection::Input);

    ps[2].direction = ParamDirection::InputOutput;
    ps[1].value = engine::Value(std::string("Жук"));
    ps[2].value = engine::Value(42);
    EXPECT_EQ(outputLines(ps), (std::vector<std::string>{"1 [3]: B = Жук", "2 [2]: C = 42"}));
}

TEST(Sequences, Statements) {
    using S = SequenceEditor;
    struct { S state; SequenceFields f; const char* sql; } cases[] = {
        {S::Create, {"S1", "", "", "", "", "", "", ""}, "CREATE SEQUENCE S1       "},
        {S::Create, {"S1", "2", "10", "NOMAXVALUE", "5", "CYCLE", "NOCACHE", "ORDER"},
         "CREATE SEQUENCE S1 INCREMENT BY 2 START WITH 10 NOMAXVALUE  MINVALUE 5 CYCLE  NOCACHE ORDER"},
        {S::Alter, {"S1", "1", "10", "99", "NOMINVALUE", "NOCYCLE", "20", "NOORDER"},
         "ALTER SEQUENCE S1 INCREMENT BY 1 MAXVALUE 99 NOMINVALUE  NOCYCLE  CACHE 20NOORDER"},
    };
    for (const auto& c : cases) EXPECT_EQ(sequenceStatement(c.state, c.f), c.sql);
    EXPECT_EQ(generatorCreateSql("G_ORD"), "CREATE GENERATOR G_ORD");
    EXPECT_EQ(generatorDropSql("g\"x"), "DROP GENERATOR \"g\"\"x\"");
    EXPECT_EQ(generatorValueSql("G_ORD "), "select distinct gen_id(G_ORD, 0) from RDB$GENERATORS");
    EXPECT_EQ(sequenceDropSql("SCOTT", "EMPNO_SEQ"), "DROP SEQUENCE SCOTT.EMPNO_SEQ");
}

TEST(Templates, Skeletons) {
    EXPECT_EQ(procedureSkeleton(K::ORACLE).front(), "Create Or Replace Procedure <Proc name>");
    EXPECT_EQ(procedureSkeleton(K::SQLBASE).size(), 13u);
    EXPECT_EQ(procedureSkeleton(K::SQLBASE).at(12), "      <Return Number2>");
    EXPECT_TRUE(procedureSkeleton(K::INTERBASE).empty());
    EXPECT_EQ(functionSkeleton(K::ORACLE).at(1), "(<IN OUT variables list>)  RETURN <Return_type> Is");
    EXPECT_TRUE(functionSkeleton(K::SQLBASE).empty());
}

}  // namespace
}  // namespace vlm::serverobj
