// The DDL text builders as tables of cases: column definitions per kind, the CREATE TABLE
// script, Oracle storage and partitions, index statements, views, synonyms, templates, the
// structure text and the GRANT script; and the grid's type names per kind.
#include <gtest/gtest.h>

#include "tableinfo/ddl.h"
#include "tableinfo/typenames.h"

namespace vlm::tableinfo {
namespace {

using K = ServerKind;

ColumnRow col(std::string name, std::string type, std::string size = "0", std::string scale = "0",
              std::string nullable = "True", std::string def = "", std::string dims = "", std::string comment = "") {
    return {std::move(name), std::move(type), std::move(size), std::move(scale), std::move(nullable),
            std::move(def), std::move(dims), std::move(comment)};
}

TEST(Ddl, ColumnDefinitionPerKind) {
    struct Case {
        const char* what;
        DdlTarget target;
        ColumnRow row;
        const char* expected;
    } cases[] = {
        {"oracle number with default", {K::ORACLE, "", NameCase::Upper}, col("SAL", "NUMBER", "7", "2", "False", "0"),
         "SAL NUMBER(7,2) Default 0 Not Null"},
        {"oracle number without precision", {K::ORACLE, "", NameCase::Upper}, col("N", "NUMBER", "0", "0"), "N NUMBER Null"},
        {"oracle number(10)", {K::ORACLE, "", NameCase::Upper}, col("N", "NUMBER", "10", "0"), "N NUMBER(10,0) Null"},
        {"oracle varchar2", {K::ORACLE, "", NameCase::Upper}, col("ENAME", "VARCHAR2", "10"), "ENAME VARCHAR2(10) Null"},
        {"oracle nullable any case", {K::ORACLE, "", NameCase::Upper}, col("D", "DATE", "", "", "false"), "D DATE Not Null"},
        {"sqlbase decimal", {K::SQLBASE, "", NameCase::Upper}, col("BAL", "DECIMAL", "10", "2", "False", "With Default"),
         "BAL DECIMAL(10,2) Not Null With Default"},
        {"sqlbase blank size", {K::SQLBASE, "", NameCase::Upper}, col("BAL", "DEC", "", ""), "BAL DEC"},
        {"sqlbase varchar", {K::SQLBASE, "", NameCase::Upper}, col("NAME", "VARCHAR", "30"), "NAME VARCHAR(30)"},
        {"interbase default", {K::INTERBASE, "", NameCase::Upper}, col("ID", "INTEGER", "0", "0", "False", "DEFAULT 0"),
         "ID INTEGER Default  0  Not Null"},
        {"interbase default lower case word", {K::INTERBASE, "", NameCase::Upper},
         col("S", "VARCHAR", "10", "0", "True", "default 'x'"), "S VARCHAR(10) Default  'x' "},
        {"interbase memo", {K::INTERBASE, "", NameCase::Upper}, col("M", "MEMO"), "M BLOB SUB_TYPE 1"},
        {"interbase array", {K::INTERBASE, "", NameCase::Upper}, col("A", "INTEGER", "0", "0", "True", "", "[1::10]"),
         "A INTEGER[1::10]"},
        {"interbase numeric", {K::INTERBASE, "", NameCase::Upper}, col("P", "NUMERIC", "7", "2"), "P NUMERIC(7,2)"},
        {"mssql", {K::MSSQL, "", NameCase::AsIs}, col("price", "MONEY", "0", "0", "True", "(0)"), "price MONEY Null Default (0)"},
        {"mssql nvarchar", {K::MSSQL, "", NameCase::AsIs}, col("notes", "NVARCHAR", "200", "0", "False"),
         "notes NVARCHAR(200) Not Null"},
        {"dbase numeric", {K::STANDARD, "DBASE", NameCase::AsIs}, col("AMT", "NUMERIC", "10", "2"), "AMT NUMERIC(10,2)"},
        {"dbase numeric size only", {K::STANDARD, "DBASE", NameCase::AsIs}, col("AMT", "NUMERIC", "10", ""), "AMT NUMERIC(10)"},
        {"dbase memo", {K::STANDARD, "DBASE", NameCase::AsIs}, col("M", "MEMO", "10"), "M BLOB(1,1)"},
        {"dbase char", {K::STANDARD, "DBASE", NameCase::AsIs}, col("C", "char", "12"), "C CHAR(12)"},
        {"dbase binary and ole", {K::STANDARD, "DBASE", NameCase::AsIs}, col("O", "OLE"), "O BLOB(1,4)"},
        {"paradox memo size 40", {K::STANDARD, "PARADOX", NameCase::AsIs}, col("M", "MEMO", "40"), "M BLOB(40,1)"},
        {"paradox graphic", {K::STANDARD, "PARADOX", NameCase::AsIs}, col("G", "GRAPHIC", "10"), "G BLOB(10,5)"},
        {"paradox alpha", {K::STANDARD, "PARADOX", NameCase::AsIs}, col("A", "ALPHA", "20"), "A ALPHA(20)"},
        {"paradox decimal", {K::STANDARD, "PARADOX", NameCase::AsIs}, col("D", "DECIMAL", "12", "3"), "D DECIMAL(12,3)"},
        {"other numeric", {K::OTHER, "", NameCase::Lower}, col("amount", "numeric", "10", "2", "False", "0"),
         "amount numeric(10,2) Default 0 Not Null"},
        {"other varying", {K::OTHER, "", NameCase::Lower}, col("name", "character varying", "30"), "name character varying(30)"},
        {"other varchar without length", {K::OTHER, "", NameCase::Lower}, col("t", "varchar", "0"), "t varchar"},
        {"other timestamp", {K::OTHER, "", NameCase::AsIs}, col("T", "timestamp", "0"), "T timestamp"},
        {"quoted mixed case name", {K::INTERBASE, "", NameCase::Upper}, col("Last Name", "VARCHAR", "20"),
         "\"Last Name\" VARCHAR(20)"},
        {"quoted name with quote", {K::OTHER, "", NameCase::Lower}, col("a\"b", "integer"), "\"a\"\"b\" integer"},
        {"postgres upper case name", {K::OTHER, "", NameCase::Lower}, col("ID", "integer"), "\"ID\" integer"},
    };
    for (const auto& c : cases) EXPECT_EQ(columnDefinition(c.target, c.row), c.expected) << c.what;
}

TEST(Ddl, CreateTableScriptAndComments) {
    DdlTarget ora{K::ORACLE, "", NameCase::Upper};
    std::vector<ColumnRow> rows{col("EMPNO", "NUMBER", "4", "0", "False", "", "", "Employee's number"),
                                col("ENAME", "VARCHAR2", "10")};
    auto s = createTableScript(ora, "SCOTT.EMP", rows);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.lines, (std::vector<std::string>{"Create Table SCOTT.EMP (", "EMPNO NUMBER(4,0) Not Null,",
                                                 "ENAME VARCHAR2(10) Null", ")"}));
    // Apostrophes in comments are doubled.
    EXPECT_EQ(s.comments, (std::vector<std::string>{"COMMENT ON COLUMN SCOTT.EMP.EMPNO IS 'Employee''s number'"}));
    auto shown = showCreateScript(ora, "SCOTT.EMP", rows, {"TABLESPACE USERS", ");"});
    EXPECT_EQ(shown.back(), "COMMENT ON COLUMN SCOTT.EMP.EMPNO IS 'Employee''s number';");
    EXPECT_EQ(shown[4], "TABLESPACE USERS");

    // A row without a type stops the script; the lines so far stay.
    auto bad = createTableScript(ora, "SCOTT.EMP", {col("A", "DATE"), col("B", " ")});
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.lines, (std::vector<std::string>{"Create Table SCOTT.EMP (", "A DATE Null,"}));

    // Local names are quoted whole; server names part by part; no comments on other kinds.
    auto local = createTableScript({K::STANDARD, "DBASE", NameCase::AsIs}, "CUSTOMER.DBF", {col("N", "CHAR", "5", "0", "True", "", "", "x")});
    EXPECT_EQ(local.lines.front(), "Create Table \"CUSTOMER.DBF\" (");
    EXPECT_TRUE(local.comments.empty());
    auto fb = createTableScript({K::INTERBASE, "", NameCase::Upper}, "My Table", {col("ID", "INTEGER")});
    EXPECT_EQ(fb.lines.front(), "Create Table \"My Table\" (");
    auto pg = createTableScript({K::OTHER, "", NameCase::Lower}, "public.Orders", {col("id", "integer")});
    EXPECT_EQ(pg.lines.front(), "Create Table public.\"Orders\" (");
}

TEST(Ddl, QuotingAndNumbers) {
    EXPECT_EQ(sqlString("Customer's name"), "'Customer''s name'");
    EXPECT_EQ(sqlString(""), "''");
    EXPECT_EQ(quoteName("EMP", NameCase::Upper), "EMP");
    EXPECT_EQ(quoteName("emp", NameCase::Upper), "\"emp\"");
    EXPECT_EQ(quoteName("A.B", NameCase::AsIs), "\"A.B\"");
    EXPECT_EQ(quoteName("1ST", NameCase::AsIs), "\"1ST\"");
    EXPECT_EQ(ddlNumber(" 12 "), 12);
    EXPECT_EQ(ddlNumber(""), 0);
    EXPECT_EQ(ddlNumber("x1"), 0);
}

TEST(Ddl, OracleStorageAndPartitions) {
    auto st = oracleStorageClause({"USERS", "10", "40", "1", "255", "10240", "10240", "1", "121", "50", "1", "1"});
    ASSERT_EQ(st.size(), 13u);
    EXPECT_EQ(st[0], "TABLESPACE USERS");
    EXPECT_EQ(st[5], "STORAGE (INITIAL 10240");
    EXPECT_EQ(st[6], "         NEXT 10240");
    EXPECT_EQ(st[11], "         FREELIST GROUPS 1");
    EXPECT_EQ(st[12], ");");
    auto p = oraclePartitionClause({"SALE_DATE", "REGION"}, {{"P1", "100", "USERS"}, {"PMAX", "MAXVALUE", "USERS"}});
    EXPECT_EQ(p, (std::vector<std::string>{"PARTITION BY RANGE (SALE_DATE,REGION) (",
                                           "PARTITION P1 VALUES LESS THAN (100) TABLESPACE USERS,",
                                           "PARTITION PMAX VALUES LESS THAN (MAXVALUE) TABLESPACE USERS", ");"}));
    EXPECT_TRUE(oraclePartitionClause({}, {}).empty());
}

TEST(Ddl, IndexStatements) {
    EXPECT_EQ(oracleIndexStatement(true, "SCOTT", "PK_EMP", "SCOTT", "EMP", {"EMPNO"}),
              "Create  Unique Index SCOTT.PK_EMP On SCOTT.EMP (EMPNO)");
    EXPECT_EQ(oracleIndexStatement(false, "", "IX", "SCOTT", "EMP", {"A", "B"}), "Create Index IX On SCOTT.EMP (A, B)");
    // Local partitioned index; global one without key columns still lists VALUES LESS THAN.
    EXPECT_EQ(oraclePartitionedIndexLines("INDX", false, {}, {{"P1", "10", "INDX"}, {"P2", "MAXVALUE", "INDX"}}),
              (std::vector<std::string>{"TABLESPACE INDX", "LOCAL (", "PARTITION P1 TABLESPACE INDX,",
                                        "PARTITION P2 TABLESPACE INDX", ");"}));
    EXPECT_EQ(oraclePartitionedIndexLines("", true, {}, {{"P1", "10", "INDX"}}),
              (std::vector<std::string>{"PARTITION P1 VALUES LESS THAN (10) TABLESPACE INDX", ");"}));
    EXPECT_EQ(oraclePartitionedIndexLines("", true, {"K"}, {}),
              (std::vector<std::string>{"GLOBAL PARTITON BY RANGE (K) ("}));
    EXPECT_EQ(mssqlIndexStatement(true, "PK_authors", "authors", {"au_id"}), "Create UNIQUE Index PK_authors On authors (au_id);");
    EXPECT_EQ(mssqlIndexStatement(false, "aunmind", "authors", {"au_lname", "au_fname"}),
              "Create Index aunmind On authors (au_lname, au_fname);");

    auto hashed = sqlBaseIndexClauses("U", "H", "C", "500", "10");
    EXPECT_EQ(hashed.unique, " UNIQUE CLUSTERED HASHED");
    EXPECT_EQ(indexStatement(hashed.unique, "SYSADM.X", "SYSADM.CUSTOMER", "CUST_ID", hashed.freeClause, hashed.sizeClause),
              (std::vector<std::string>{"Create UNIQUE CLUSTERED HASHED Index SYSADM.X On SYSADM.CUSTOMER ( CUST_ID )",
                                        " SIZE 500 ROWS;"}));
    auto free20 = sqlBaseIndexClauses("D", "B", "N", "1", "20");
    EXPECT_EQ(free20.unique, "");
    EXPECT_EQ(indexStatement(free20.unique, "X", "T", "A, B DESC", free20.freeClause, free20.sizeClause),
              (std::vector<std::string>{"Create Index X On T ( A, B DESC )", "PCTFREE 20 ;"}));
    EXPECT_EQ(indexStatement(" Unique", "RDB$PRIMARY1", "CRAFTSMAN", "ID"),
              (std::vector<std::string>{"Create Unique Index RDB$PRIMARY1 On CRAFTSMAN ( ID );"}));
}

TEST(Ddl, ViewsSynonymsAndTemplates) {
    EXPECT_EQ(viewSource(K::ORACLE, "SCOTT.V", {"SELECT 1 FROM DUAL"}),
              (std::vector<std::string>{"create or replace view SCOTT.V as", "SELECT 1 FROM DUAL"}));
    EXPECT_EQ(viewSource(K::SQLBASE, "V", {"SELECT A", " FROM T"}),
              (std::vector<std::string>{"create view V as", "SELECT A", " FROM T"}));
    EXPECT_EQ(viewSource(K::MSSQL, "v", {"CREATE VIEW v AS SELECT a ", "FROM t"}),
              (std::vector<std::string>{"CREATE VIEW v AS SELECT a FROM t"}));
    EXPECT_TRUE(viewSource(K::INTERBASE, "V", {}).empty());
    EXPECT_TRUE(viewSource(K::OTHER, "V", {"x"}).empty());
    EXPECT_EQ(synonymStatement(true, "EMPLOYEES", "EMP"), "create public synonym EMPLOYEES for EMP;");
    EXPECT_EQ(synonymStatement(false, "D", "DEPT"), "create synonym D for DEPT;");

    EXPECT_EQ(insertTemplate("T", {"A", "B"}),
              (std::vector<std::string>{"Insert Into T (", "A,", "B) VALUES (", " :A,", " :B)"}));
    EXPECT_EQ(updateTemplate("T", {"A", "B", "C", "D", "E"}),
              (std::vector<std::string>{"Update T Set", "A = :A,B = :B,C = :C,D = :D,", "E = :E Where "}));
    EXPECT_EQ(updateTemplate("T", {"A"}), (std::vector<std::string>{"Update T Set", "A = :A Where "}));
}

TEST(Ddl, StructureTextAndPrivileges) {
    std::vector<std::vector<std::string>> grid{
        {"Status", "№", "Field Name", "Field Type", "Size", "Scale", "Nullable", "Deafult", "", "Comments"},
        {"", "1", "ID", "INTEGER", "0", "0", "False", "", "", ""}};
    auto t = structureText("EMP", grid, {"the key"}, true, "Comments");
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0], "Structure of table: EMP");
    EXPECT_EQ(t[1], std::string(180, '-'));
    EXPECT_EQ(t[2].substr(0, 27), "№    Field Name          ");   // № is three bytes
    EXPECT_EQ(t[4].substr(0, 5), "1    ");
    EXPECT_EQ(t[4].substr(t[4].size() - 7), "the key");
    auto local = structureText("A.DBF", grid, {""}, false, "Comments");
    EXPECT_EQ(local[2].find("Comments"), std::string::npos);

    auto g = privilegeScript({{"SCOTT", "PUBLIC", "SELECT", "NO"}, {"SCOTT", "HR_ROLE", "UPDATE", "YES"}}, "SCOTT", "EMP");
    EXPECT_EQ(g, (std::vector<std::string>{"GRANT SELECT ON SCOTT.EMP TO PUBLIC;",
                                           "GRANT UPDATE ON SCOTT.EMP TO HR_ROLE WITH GRANT OPTION;"}));
}

TEST(TypeNames, InterbaseDialectsOneAndThree) {
    struct Case {
        const char* what;
        InterbaseField f;
        int dialect;
        const char* type;
        int size, scale;
    } cases[] = {
        {"d1 numeric scale -2", {27, 0, 8, -2, 0, 0}, 1, "NUMERIC", 8, 2},
        {"d1 double", {27, 0, 8, 0, 0, 0}, 1, "DOUBLE PRECISION", 0, 0},
        {"d1 date", {35, 0, 8, 0, 0, 0}, 1, "DATE", 0, 0},
        {"d1 char", {14, 0, 10, 0, 0, 0}, 1, "CHAR", 10, 0},
        {"d1 unknown", {16, 0, 8, 0, 0, 0}, 1, "UNKNOWN", 0, 0},
        {"d1 memo", {261, 1, 8, 0, 0, 0}, 1, "MEMO", 0, 0},
        {"d3 numeric(7,2)", {8, 1, 4, -2, 7, 0}, 3, "NUMERIC", 7, 2},
        {"d3 decimal(18,4)", {16, 2, 8, -4, 18, 0}, 3, "DECIMAL", 18, 4},
        {"d3 numeric(10,0)", {16, 1, 8, 0, 10, 0}, 3, "NUMERIC", 10, 0},
        {"d3 bigint", {16, 0, 8, 0, 0, 0}, 3, "BIGINT", 0, 0},
        {"d3 time", {13, 0, 4, 0, 0, 0}, 3, "TIME", 0, 0},
        {"d3 date", {12, 0, 4, 0, 0, 0}, 3, "DATE", 0, 0},
        {"d3 timestamp", {35, 0, 8, 0, 0, 0}, 3, "TIMESTAMP", 0, 0},
        {"d3 boolean", {23, 0, 1, 0, 0, 0}, 3, "BOOLEAN", 0, 0},
        {"d3 varchar utf8 in characters", {37, 0, 120, 0, 0, 30}, 3, "VARCHAR", 30, 0},
        {"d3 double", {27, 0, 8, 0, 0, 0}, 3, "DOUBLE PRECISION", 0, 0},
        {"d3 blob sub-type 5", {261, 5, 8, 0, 0, 0}, 3, "BLOB SUB_TYPE 5", 0, 0},
    };
    for (const auto& c : cases) {
        GridType g = interbaseType(c.f, c.dialect);
        EXPECT_EQ(g.type, c.type) << c.what;
        EXPECT_EQ(g.size, c.size) << c.what;
        EXPECT_EQ(g.scale, c.scale) << c.what;
    }
}

TEST(TypeNames, LocalAndOtherKinds) {
    namespace L = engine::logical;
    namespace S = engine::subtype;
    auto def = [](int logical, int sub, int size = 0, int scale = 0, std::string native = "") {
        engine::FieldDef f;
        f.logicalType = logical;
        f.subType = sub;
        f.size = size;
        f.scale = scale;
        f.nativeType = std::move(native);
        return f;
    };
    struct Case {
        const char* what;
        const char* tableType;
        engine::FieldDef f;
        const char* type;
        int size, scale;
    } cases[] = {
        {"dbase char", "DBASE", def(L::ZSTRING, 0, 20), "CHAR", 20, 0},
        {"dbase numeric", "DBASE", def(L::FLOAT, 0, 10, 2), "NUMERIC", 10, 2},
        {"dbase ole", "DBASE", def(L::BLOB, S::DBSOLEOBJ, 10), "OLE", 0, 0},
        {"dbase memo", "DBASE", def(L::BLOB, S::MEMO, 10), "MEMO", 0, 0},
        {"dbase logical", "DBASE", def(L::BOOL, 0), "LOGICAL", 0, 0},
        {"paradox autoinc", "PARADOX", def(L::INT32, S::AUTOINC), "AUTOINC", 0, 0},
        {"paradox money", "PARADOX", def(L::FLOAT, S::MONEY), "MONEY", 0, 0},
        {"paradox fmt memo", "PARADOX", def(L::BLOB, S::FMTMEMO, 40), "FORMATTED MEMO", 40, 0},
        {"paradox bcd", "PARADOX", def(L::BCD, 0, 12, 3), "DECIMAL", 12, 3},
        {"paradox timestamp", "PARADOX", def(L::TIMESTAMP, 0), "DATETIME", 0, 0},
        {"other table type", "ASCII", def(L::INT16, 0, 2), "SMALLINT", 2, 0},
    };
    for (const auto& c : cases) {
        GridType g = standardType(c.tableType, c.f);
        EXPECT_EQ(g.type, c.type) << c.what;
        EXPECT_EQ(g.size, c.size) << c.what;
        EXPECT_EQ(g.scale, c.scale) << c.what;
    }
    struct OtherCase {
        engine::FieldDef f;
        const char* type;
        int size, scale;
    } others[] = {
        {def(L::BCD, 0, 10, 2, "numeric(10,2)"), "numeric", 10, 2},
        {def(L::ZSTRING, 0, 30, 0, "character varying(30)"), "character varying", 30, 0},
        {def(L::TIMESTAMP, 0, 0, 0, "timestamp without time zone"), "timestamp without time zone", 0, 0},
        {def(L::ZSTRING, 0, 20, 0, "VARCHAR(20)"), "VARCHAR", 20, 0},
        {def(L::BCD, 0, 8, 3, "DECIMAL(8, 3)"), "DECIMAL", 8, 3},
        {def(L::INT32, 0, 4, 0, ""), "INTEGER", 4, 0},
        {def(L::BCD, 0, 10, 2, "numeric"), "numeric", 10, 2},
    };
    for (const auto& c : others) {
        GridType g = otherType(c.f);
        EXPECT_EQ(g.type, c.type) << c.f.nativeType;
        EXPECT_EQ(g.size, c.size) << c.f.nativeType;
        EXPECT_EQ(g.scale, c.scale) << c.f.nativeType;
    }
}

}  // namespace
}  // namespace vlm::tableinfo
