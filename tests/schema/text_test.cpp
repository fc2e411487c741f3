// The create window's and the structure editor's text as tables of cases: type lists, the
// format rule, CREATE TABLE / INDEX / SYNONYM, the column editor's checks, and the ALTER TABLE
// and COMMENT statements of every kind.
#include <gtest/gtest.h>

#include "schema/altertext.h"
#include "schema/createcatalog.h"
#include "schema/createtext.h"

namespace vlm::schema {
namespace {

using K = ServerKind;
using Lines = std::vector<std::string>;
using tableinfo::NameCase;

TEST(CreateText, TypeListsPerKind) {
    struct Case {
        const char* what;
        std::vector<std::string> list;
        std::size_t size;
        const char *first, *last;
    } cases[] = {
        {"dbase", columnTypes(K::STANDARD), 7, "CHAR", "NUMERIC"},
        {"paradox", columnTypes(K::STANDARD, "", LocalFormat::Paradox), 18, "CHARACTER", "DATETIME"},
        {"oracle 7", columnTypes(K::ORACLE, "7"), 15, "CHAR", "VARCHAR2"},
        {"oracle 8 adds national types", columnTypes(K::ORACLE, "8"), 17, "CHAR", "NVARCHAR2"},
        {"sqlbase", columnTypes(K::SQLBASE), 12, "CHAR", "DATETIME"},
        {"interbase", columnTypes(K::INTERBASE), 11, "SMALLINT", "DOUBLE PRECISION"},
        {"mssql", columnTypes(K::MSSQL), 24, "CHAR", "UNIQUEIDENTIFIER"},
        {"odbc: the common list only", columnTypes(K::OTHER, "", LocalFormat::Dbase, "ODBC"), 23, "CHAR", "GRAPHIC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.list.size(), c.size);
        EXPECT_EQ(c.list.front(), c.first);
        EXPECT_EQ(c.list.back(), c.last);
    }
    // PostgreSQL and SQLite: the server's own types follow the common list.
    auto pg = columnTypes(K::OTHER, "", LocalFormat::Dbase, "POSTGRESQL");
    EXPECT_EQ(pg[23], "text");
    // A type the common list has already (BOOLEAN) is not repeated in lower case.
    for (const char* t : {"text", "bigint", "BOOLEAN", "timestamp", "bytea", "uuid", "jsonb"})
        EXPECT_EQ(std::count(pg.begin(), pg.end(), t), 1) << t;
    EXPECT_EQ(std::count(pg.begin(), pg.end(), "boolean"), 0);
    auto lite = columnTypes(K::OTHER, "", LocalFormat::Dbase, "SQLITE");
    EXPECT_EQ(std::count(lite.begin(), lite.end(), "BLOB"), 1);   // no type twice
    EXPECT_NE(std::find(lite.begin(), lite.end(), "TEXT"), lite.end());
}

TEST(CreateText, FormatRule) {
    struct Case {
        K kind;
        LocalFormat local;
        const char* type;
        SizeFields fields;
        int digits;
    } cases[] = {
        {K::ORACLE, LocalFormat::Dbase, "VARCHAR2", SizeFields::SizeOnly, 4},
        {K::ORACLE, LocalFormat::Dbase, "NUMBER", SizeFields::SizeAndScale, 4},
        {K::ORACLE, LocalFormat::Dbase, "LONG RAW", SizeFields::None, 4},
        {K::ORACLE, LocalFormat::Dbase, "BLOB", SizeFields::Unknown, 4},
        {K::SQLBASE, LocalFormat::Dbase, "DEC", SizeFields::SizeAndScale, 4},
        {K::SQLBASE, LocalFormat::Dbase, "ROWID", SizeFields::None, 4},
        {K::INTERBASE, LocalFormat::Dbase, "MEMO", SizeFields::SizeOnly, 4},
        {K::INTERBASE, LocalFormat::Dbase, "DOUBLE PRECISION", SizeFields::None, 4},
        {K::MSSQL, LocalFormat::Dbase, "NVARCHAR", SizeFields::SizeOnly, 4},
        {K::MSSQL, LocalFormat::Dbase, "UNIQUEIDENTIFIER", SizeFields::None, 4},
        {K::STANDARD, LocalFormat::Paradox, "BYTES", SizeFields::SizeOnly, 3},
        {K::STANDARD, LocalFormat::Paradox, "DECIMAL", SizeFields::SizeAndScale, 4},
        {K::STANDARD, LocalFormat::Paradox, "AUTOINC", SizeFields::None, 4},
        {K::STANDARD, LocalFormat::Paradox, "DATETIME", SizeFields::Unknown, 4},
        {K::STANDARD, LocalFormat::Dbase, "OLE", SizeFields::SizeOnly, 4},
        {K::STANDARD, LocalFormat::Dbase, "BOOLEAN", SizeFields::None, 4},
        {K::OTHER, LocalFormat::Dbase, "VARCHAR", SizeFields::SizeOnly, 4},
        {K::OTHER, LocalFormat::Dbase, "numeric", SizeFields::SizeAndScale, 4},
        {K::OTHER, LocalFormat::Dbase, "jsonb", SizeFields::None, 4},
    };
    for (const Case& c : cases) {
        FormatRule r = formatRule(c.kind, c.type, c.local);
        EXPECT_EQ(r.fields, c.fields) << c.type;
        EXPECT_EQ(r.maxDigits, c.digits) << c.type;
    }
}

TEST(CreateText, CreateTablePerKind) {
    const PartitionSpec part{{"A", "B"}, {{"P1", "USERS", {"10", "'x'"}}, {"P2", "", {"MAXVALUE", "MAXVALUE"}}}};
    struct Case {
        const char* what;
        K kind;
        std::vector<NewColumn> cols;
        PartitionSpec part;
        Lines expected;
    } cases[] = {
        {"oracle", K::ORACLE, {{"A", "VARCHAR2", "20", "", true}, {"B", "NUMBER", "10", "2", false}}, {},
         {"create table T", "(", "A VARCHAR2(20) Not Null, ", "B NUMBER(10,2)", ")"}},
        {"mssql writes Null", K::MSSQL, {{"A", "INT", "", "", false}, {"B", "CHAR", "3", "", true}}, {},
         {"create table T", "(", "A INT Null, ", "B CHAR(3) Not Null", ")"}},
        {"standard: quotes, blobs, never null", K::STANDARD,
         {{"M", "MEMO", "20", "", true}, {"G", "GRAPHIC", "", "", false}, {"N", "NUMERIC", "8", "2", true}}, {},
         {"create table \"T\"", "(", "M BLOB(20,1), ", "G BLOB(1,5), ", "N NUMERIC(8,2)", ")"}},
        {"interbase memo", K::INTERBASE, {{"M", "MEMO", "", "", false}, {"C", "CHAR", "5", "", true}}, {},
         {"create table T", "(", "M BLOB SUB_TYPE 1, ", "C CHAR(5) Not Null", ")"}},
        {"decimals without size write neither", K::OTHER, {{"D", "DECIMAL", " ", "2", false}}, {},
         {"create table T", "(", "D DECIMAL", ")"}},
        {"partitions need a selected column", K::ORACLE, {{"A", "NUMBER", "", "", false}},
         {{}, {{"P1", "", {}}}}, {"create table T", "(", "A NUMBER", ")"}},
        {"oracle 8 partitions", K::ORACLE, {{"A", "NUMBER", "", "", false}, {"B", "CHAR", "1", "", false}}, part,
         {"create table T", "(", "A NUMBER, ", "B CHAR(1)", ")", "PARTITION BY RANGE ( A,B ) (",
          "PARTITION P1 VALUES LESS THAN (10,'x') TABLESPACE USERS,", "PARTITION P2 VALUES LESS THAN (MAXVALUE,MAXVALUE)",
          ")"}},
    };
    for (const Case& c : cases) EXPECT_EQ(createTableText(c.kind, "T", c.cols, c.part), c.expected) << c.what;
}

TEST(CreateText, IndexSynonymAndChecks) {
    EXPECT_EQ(createIndexText(K::STANDARD, false, "BYNAME", "CUST.DBF", {"NAME", "CITY"}),
              (Lines{"CREATE INDEX BYNAME ON \"CUST.DBF\"", "(", "NAME, ", "CITY", ")"}));
    EXPECT_EQ(createIndexText(K::ORACLE, true, "I", "SCOTT.EMP", {"EMPNO"}),
              (Lines{"CREATE UNIQUE INDEX I ON SCOTT.EMP", "(", "EMPNO", ")"}));
    EXPECT_EQ(createSynonymText("PUBLIC", "EMP", "SCOTT.EMP"), "CREATE PUBLIC SYNONYM EMP FOR SCOTT.EMP");
    EXPECT_EQ(createSynonymText("", "EMP", "SCOTT.EMP"), "CREATE  SYNONYM EMP FOR SCOTT.EMP");

    const std::vector<NewColumn> cols{{"A", "CHAR", "3", "", false}, {"B", "INT", "", "", false}};
    struct Case {
        NewColumn c;
        int replacing;
        const char* en;
    } cases[] = {
        {{"C", "NUMERIC", "10", "2", false}, -1, ""},
        {{" ", "CHAR", "", "", false}, -1, "Field name not entered!"},
        {{"C", "", "", "", false}, -1, "Field type not entered!"},
        {{"C", "CHAR", "1O", "", false}, -1, "The size must be a number: 1O"},
        {{"C", "NUMERIC", "10", "-1", false}, -1, "The decimals must be a number: -1"},
        {{"b", "CHAR", "", "", false}, -1, "Field b already exists!"},
        {{"B", "CHAR", "4", "", false}, 1, ""},   // editing B keeps its name
        {{"B", "CHAR", "4", "", false}, 0, "Field B already exists!"},
    };
    for (const Case& c : cases) EXPECT_EQ(checkColumn(cols, c.c, c.replacing).en, c.en) << c.c.name;
    EXPECT_EQ(checkTable("  ", cols).en, kFirstEnterTableName);
    EXPECT_EQ(checkTable("T", {}).en, "No fields!");
    EXPECT_TRUE(checkTable("T", cols).empty());
}

// The column catalog statements of the index tab's fallback (the Oracle one also runs on its
// dictionary fixture in the forms test; the MSSQL outer join "=*" no stand-in server parses).
TEST(CreateText, ColumnCatalogStatements) {
    EXPECT_EQ(oracleColumnListSql("SCOTT", "EMP"),
              "Select COLUMN_ID,COLUMN_NAME,DATA_TYPE,DATA_LENGTH,\nDATA_PRECISION,DATA_SCALE,NULLABLE,DATA_DEFAULT\n"
              "from SYS.ALL_TAB_COLUMNS\nwhere (TABLE_NAME='EMP')\nand (OWNER='SCOTT')\norder by COLUMN_ID");
    EXPECT_EQ(oracleColumnListSql("", "O'NEIL"),
              "Select COLUMN_ID,COLUMN_NAME,DATA_TYPE,DATA_LENGTH,\nDATA_PRECISION,DATA_SCALE,NULLABLE,DATA_DEFAULT\n"
              "from SYS.ALL_TAB_COLUMNS\nwhere (TABLE_NAME='O''NEIL')\norder by COLUMN_ID");
    EXPECT_EQ(mssqlColumnListSql("authors"),
              "Select c.COLID,c.NAME,t.name,c.LENGTH,c.prec,c.scale,c.isnullable,d.text\n"
              "from dbo.SYSCOLUMNS c,dbo.sysobjects o,dbo.systypes t, dbo.syscomments d\n"
              "where (c.id=o.id) and (t.xusertype=c.xusertype)  and (d.id =* c.cdefault) and (o.NAME='authors')\n"
              "order by c.COLID");
}

ColumnRow col(std::string name, std::string type, std::string size = "0", std::string scale = "0",
              std::string nullable = "True", std::string def = "", std::string comment = "") {
    return {std::move(name), std::move(type), std::move(size), std::move(scale), std::move(nullable), std::move(def), "",
            std::move(comment)};
}

TEST(AlterText, StatementsPerKind) {
    // Saved: A, B, C. Edited: A dropped, B changed (size/nullability), C renamed to C2, D added.
    struct Case {
        const char* what;
        DdlTarget target;
        std::vector<ColumnRow> saved;
        std::vector<EditRow> rows;
        Lines expected;
    };
    const std::vector<ColumnRow> saved{col("A", "CHAR", "5"), col("B", "VARCHAR", "10"), col("C", "INTEGER")};
    const Case cases[] = {
        {"oracle add and modify; unchanged nullability cut",
         {K::ORACLE, "", NameCase::Upper},
         {col("A", "VARCHAR2", "5"), col("B", "NUMBER", "5", "0", "False")},
         {{RowMark::None, col("A", "VARCHAR2", "9")},
          {RowMark::None, col("B", "NUMBER", "5", "0", "True")},
          {RowMark::New, col("X", "DATE")},
          {RowMark::New, col("Y", "CHAR", "1", "0", "False")}},
         {"Alter Table SCOTT.EMP", "Add (X DATE Null", ", Y CHAR(1) Not Null", ")", "Modify (A VARCHAR2(9)",
          ", B NUMBER(5,0) Null", ")"}},
        {"oracle nothing new or changed", {K::ORACLE, "", NameCase::Upper}, {col("A", "DATE")},
         {{RowMark::None, col("A", "DATE")}}, {}},
        {"sqlbase: each clause its own statement",
         {K::SQLBASE, "", NameCase::Upper},
         saved,
         {{RowMark::Del, col("A", "CHAR", "5")},
          {RowMark::None, col("B", "VARCHAR", "20", "0", "False", "x")},
          {RowMark::None, col("C2", "INTEGER")},
          {RowMark::New, col("D", "CHAR", "2")}},
         {"Alter Table SCOTT.EMP", "Drop A", ";", "Alter Table SCOTT.EMP", "Add D CHAR(2)", ";",
          "Alter Table SCOTT.EMP", "Rename C C2", ";", "Alter Table SCOTT.EMP",
          "Modify B VARCHAR(20)  Not Null With Default", ";"}},
        {"sqlbase nullability only", {K::SQLBASE, "", NameCase::Upper}, {col("B", "INT", "0", "0", "False")},
         {{RowMark::None, col("B", "INT", "0", "0", "True")}},
         {"Alter Table SCOTT.EMP", "Modify B Null", ";"}},
        {"mssql: drops, adds, then one Alter Column per change without its default",
         {K::MSSQL, "", NameCase::AsIs},
         saved,
         {{RowMark::Del, col("A", "CHAR", "5")},
          {RowMark::None, col("B", "VARCHAR", "20", "0", "False", "'n'")},
          {RowMark::Del, col("C", "INTEGER")},
          {RowMark::New, col("D", "INT", "0", "0", "True", "0")},
          {RowMark::New, col("E", "BIT")}},
         {"Alter Table SCOTT.EMP", " Drop column A", ", C", ";", "Alter Table SCOTT.EMP", "Add D INT Null Default 0",
          ", E BIT Null", ";", "Alter Table SCOTT.EMP Alter Column B VARCHAR(20) Not Null;"}},
        {"interbase drops then adds",
         {K::INTERBASE, "", NameCase::Upper},
         saved,
         {{RowMark::Del, col("A", "CHAR", "5")},
          {RowMark::None, col("B", "VARCHAR", "10")},
          {RowMark::Del, col("C", "INTEGER")},
          {RowMark::New, col("D", "SMALLINT")},
          {RowMark::New, col("E", "CHAR", "2", "0", "False")}},
         {"Alter Table SCOTT.EMP", "Drop A", ", Drop C", ", Add D SMALLINT", ", Add E CHAR(2) Not Null"}},
        {"interbase adds only", {K::INTERBASE, "", NameCase::Upper}, saved,
         {{RowMark::None, saved[0]}, {RowMark::None, saved[1]}, {RowMark::None, saved[2]}, {RowMark::New, col("D", "DATE")}},
         {"Alter Table SCOTT.EMP", "Add D DATE"}},
        {"standard: the name in double quotes",
         {K::STANDARD, "DBASE", NameCase::AsIs},
         {col("A", "CHAR", "5")},
         {{RowMark::Del, col("A", "CHAR", "5")}, {RowMark::New, col("N", "NUMERIC", "8", "2")}},
         {"Alter Table \"SCOTT.EMP\"", "Drop A", ", Add N NUMERIC(8,2)"}},
    };
    for (const Case& c : cases) {
        AlterScript s = alterTableScript(c.target, "SCOTT.EMP", c.rows, c.saved);
        EXPECT_TRUE(s.ok) << c.what;
        EXPECT_EQ(s.lines, c.expected) << c.what;
    }
    AlterScript bad = alterTableScript({K::INTERBASE, "", NameCase::Upper}, "T", {{RowMark::New, col("", "INT")}}, {});
    EXPECT_FALSE(bad.ok);
    EXPECT_TRUE(bad.lines.empty());
}

TEST(AlterText, CommentsDoubleApostrophesAndSkipDroppedRows) {
    const std::vector<ColumnRow> saved{col("A", "DATE", "0", "0", "True", "", "old"), col("B", "DATE")};
    AlterScript s = alterTableScript({K::ORACLE, "", NameCase::Upper}, "SCOTT.EMP",
                                     {{RowMark::None, col("A", "DATE", "0", "0", "True", "", "it's new")},
                                      {RowMark::Del, col("B", "DATE", "0", "0", "True", "", "gone")},
                                      {RowMark::New, col("C", "DATE", "0", "0", "True", "", "c")}},
                                     saved);
    EXPECT_EQ(s.comments, (Lines{"COMMENT ON COLUMN SCOTT.EMP.A IS 'it''s new'", "COMMENT ON COLUMN SCOTT.EMP.C IS 'c'"}));
    EXPECT_TRUE(alterTableScript({K::INTERBASE, "", NameCase::Upper}, "T",
                                 {{RowMark::None, col("A", "DATE", "0", "0", "True", "", "x")}}, {col("A", "DATE")})
                    .comments.empty());
}

TEST(AlterText, EditableCells) {
    struct Case {
        K kind;
        bool newTable;
        RowMark mark;
        const char* type;
        std::vector<int> editable;   // of columns 1 to 9
    } cases[] = {
        {K::INTERBASE, true, RowMark::None, "INTEGER", {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {K::STANDARD, false, RowMark::New, "CHAR", {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {K::ORACLE, false, RowMark::Del, "CHAR", {}},
        {K::ORACLE, false, RowMark::None, "CHAR", {3, 4, 5, 6, 7, 9}},
        {K::SQLBASE, false, RowMark::None, "VARCHAR", {2, 4, 6, 7, 9}},
        {K::SQLBASE, false, RowMark::None, "INT", {2, 6, 7, 9}},
        {K::MSSQL, false, RowMark::None, "INT", {3, 4, 5, 6}},
        {K::INTERBASE, false, RowMark::None, "INTEGER", {}},
        {K::STANDARD, false, RowMark::None, "CHAR", {}},
    };
    for (const Case& c : cases) {
        std::vector<int> got;
        for (int col = 0; col <= 10; ++col)
            if (editableCell(c.kind, c.newTable, c.mark, col, c.type)) got.push_back(col);
        EXPECT_EQ(got, c.editable) << int(c.kind) << " " << c.type;
    }
    EXPECT_FALSE(canModify(K::OTHER));
    EXPECT_TRUE(canModify(K::STANDARD));
}

TEST(AlterText, NamesMarksAndPieces) {
    struct Case {
        DdlTarget target;
        const char* entered;
        const char* expected;
    } cases[] = {
        {{K::STANDARD, "DBASE", NameCase::AsIs}, "CUST", "CUST.DBF"},
        {{K::STANDARD, "PARADOX", NameCase::AsIs}, " CUST ", "CUST.DB"},
        {{K::INTERBASE, "", NameCase::Upper}, "CUST", "CUST"},
    };
    for (const Case& c : cases) EXPECT_EQ(newTableName(c.target, c.entered), c.expected) << c.entered;
    // The script writes the local name in double quotes.
    const DdlTarget dbf{K::STANDARD, "DBASE", NameCase::AsIs};
    EXPECT_EQ(tableinfo::createTableScript(dbf, newTableName(dbf, "CUST"), {col("A", "CHAR", "3")}).lines.front(),
              "Create Table \"CUST.DBF\" (");
    EXPECT_EQ(rowMark(" NEW"), RowMark::New);
    EXPECT_EQ(rowMark("DEL"), RowMark::Del);
    EXPECT_EQ(rowMark(""), RowMark::None);
    EXPECT_EQ(statementPieces("Alter Table T\nDrop A\n;\n Alter Table T Add B INT;\n ; tail"),
              (Lines{"Alter Table T\nDrop A", "Alter Table T Add B INT"}));
}

}  // namespace
}  // namespace vlm::schema
