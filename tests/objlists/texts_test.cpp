// The object lists' logic without a server: catalog statements and headings per kind, the
// definition texts of rows, InterBase type and trigger names, and the dependency tree.
#include <gtest/gtest.h>

#include "objlists/catalog.h"
#include "objlists/texts.h"

namespace vlm::objlists {
namespace {

using K = ServerKind;
using Lines = std::vector<std::string>;

CatalogRow row(Lines values) { return CatalogRow{std::move(values), {}}; }

TEST(Catalog, SupportedKindsAndTheSystemObjectsLine) {
    struct { ListKind list; K kind; bool yes; } cases[] = {
        {ListKind::Indexes, K::MSSQL, true},        {ListKind::Synonyms, K::INTERBASE, false},
        {ListKind::Synonyms, K::SQLBASE, true},      {ListKind::Constraints, K::INTERBASE, false},
        {ListKind::Constraints, K::MSSQL, true},     {ListKind::Domains, K::INTERBASE, true},
        {ListKind::Domains, K::ORACLE, false},       {ListKind::Packages, K::ORACLE, true},
        {ListKind::Triggers, K::STANDARD, false},    {ListKind::Triggers, K::OTHER, false},
        {ListKind::Dependencies, K::SQLBASE, false}, {ListKind::BlobFilters, K::INTERBASE, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(commandWord(c.list)) + " " + panels::serverKindName(c.kind));
        EXPECT_EQ(supported(c.list, c.kind), c.yes);
        EXPECT_EQ(catalogSql(c.list, c.kind, false).empty(), !c.yes);
    }
    EXPECT_EQ(catalogSql(ListKind::Indexes, K::ORACLE, false).size(), 4u);
    EXPECT_EQ(catalogSql(ListKind::Indexes, K::ORACLE, true),
              (Lines{"select table_name,table_owner,index_name,owner, DECODE(uniqueness,'UNIQUE','UNIQUE',' ')",
                     "from sys.all_indexes", "order by table_name,index_name"}));
    // Firebird marks the user's indexes with system flag 0: hiding system objects keeps them.
    EXPECT_EQ(catalogSql(ListKind::Indexes, K::INTERBASE, false)[1],
              "where (RDB$SYSTEM_FLAG Is Null) Or (RDB$SYSTEM_FLAG = 0)");
    EXPECT_EQ(dependencyTreeSql(true, false),
              (Lines{"select distinct REFERENCED_OWNER||'.'||REFERENCED_NAME,REFERENCED_TYPE,OWNER||'.'||NAME,TYPE",
                     "from SYS.ALL_DEPENDENCIES", "where (owner !='SYSTEM') and (owner !='SYS')", "Order by 1"}));
    for (ListKind k : kAllKinds) EXPECT_EQ(listKindOfWord(commandWord(k)), k);
    EXPECT_EQ(listKindOfWord("tables"), std::nullopt);
}

TEST(Catalog, HeadingsHiddenColumnsAndPanes) {
    ColumnLayout snapRu = columnLayout(ListKind::Snapshots, K::ORACLE, true);
    EXPECT_EQ(snapRu.headings.size(), 17u);
    EXPECT_EQ(snapRu.headings.at(12), "Начать с даты         ");
    EXPECT_EQ(snapRu.hidden.size(), 16u);
    ColumnLayout snapEn = columnLayout(ListKind::Snapshots, K::ORACLE, false);
    EXPECT_TRUE(snapEn.headings.empty());
    EXPECT_TRUE(snapEn.hidden.empty());
    EXPECT_TRUE(columnLayout(ListKind::Synonyms, K::ORACLE, false).headings.empty());   // Russian only
    ColumnLayout ms = columnLayout(ListKind::Indexes, K::MSSQL, false);
    EXPECT_EQ(ms.widths, (std::map<int, int>{{0, 30}, {1, 40}}));
    EXPECT_EQ(ms.hidden, (std::set<int>{3}));
    EXPECT_EQ(columnLayout(ListKind::Triggers, K::INTERBASE, true).headings.at(2), "Tun");
    EXPECT_EQ(columnLayout(ListKind::Domains, K::INTERBASE, false).hidden.size(), 21u);
    struct { ListKind list; bool asCreate, memo1, memoIndex; } panes_[] = {
        {ListKind::Indexes, false, false, true},  {ListKind::Indexes, true, false, false},
        {ListKind::Snapshots, false, true, true}, {ListKind::SessionParameters, false, false, true},
        {ListKind::Synonyms, false, false, false}, {ListKind::Domains, false, true, false},
        {ListKind::BlobFilters, false, false, false},
    };
    for (const auto& p : panes_) {
        SCOPED_TRACE(commandWord(p.list));
        Panes x = panes(p.list, p.asCreate);
        EXPECT_EQ(x.memo1, p.memo1);
        EXPECT_EQ(x.memoIndex, p.memoIndex);
    }
}

TEST(Texts, IndexStatements) {
    struct { const char* name; TextContext c; Lines row; Lines columns; std::string text; } cases[] = {
        {"oracle, owner empty", {K::ORACLE}, {"EMP", "SCOTT", "EMP_IX", " ", " "}, {"ENAME", "JOB"},
         "Create Index EMP_IX On SCOTT.EMP (ENAME, JOB)"},
        {"oracle unique", {K::ORACLE}, {"EMP", "SCOTT", "PK_EMP", "SCOTT", "UNIQUE"}, {"EMPNO"},
         "Create UNIQUE Index SCOTT.PK_EMP On SCOTT.EMP (EMPNO)"},
        {"sqlbase, no columns", {K::SQLBASE}, {"T", "SYSADM", "X", "SYSADM", ""}, {}, "Create Index SYSADM.X On SYSADM.T ()"},
        {"interbase unique", {K::INTERBASE, 1}, {"EMP      ", "", "EMP_NAME ", "", "1"}, {"NAME"},
         "Create UNIQUE Index EMP_NAME On EMP (NAME)"},
        {"interbase other flag", {K::INTERBASE, 1}, {"EMP", "", "EMP_X", "", "0"}, {"A"}, "Create Index EMP_X On EMP (A)"},
        {"interbase no flag", {K::INTERBASE, 1}, {"EMP", "", "EMP_X", "", ""}, {"A"}, "Create Index EMP_X On EMP (A)"},
        {"mssql status bit", {K::MSSQL}, {"authors", "dbo", "PK_authors", " ", "2"}, {"au_id"},
         "Create UNIQUE Index PK_authors On authors (au_id)"},
        {"other kinds", {K::OTHER}, {"T", "", "I", "", ""}, {"A"}, ""},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(indexStatement(k.c, row(k.row), k.columns), k.text);
    }
    FirebirdIndex desc{true, ""}, computed{false, "(UPPER(NAME))"};
    EXPECT_EQ(indexStatement({K::INTERBASE, 3}, row({"EMP", "", "EMP_SAL", "", "0"}), {"SAL", "ID"}, &desc),
              "Create DESCENDING Index EMP_SAL On EMP (SAL, ID)");
    EXPECT_EQ(indexStatement({K::INTERBASE, 3}, row({"EMP", "", "EMP_UP", "", "1"}), {}, &computed),
              "Create UNIQUE Index EMP_UP On EMP COMPUTED BY (UPPER(NAME))");
}

TEST(Texts, InterbaseTypesAndTriggerFirings) {
    struct { int type, sub, length, scale; std::string text; } dialect1[] = {
        {7, 0, 2, 0, "SMALLINT"}, {27, 0, 8, -2, "NUMERIC(8,-2)"}, {27, 0, 8, 0, "DOUBLE PRECISION"},
        {14, 0, 10, 0, "CHAR(10)"}, {37, 0, 30, 0, "VARCHAR(30)"}, {35, 0, 8, 0, "DATE"}, {261, 1, 8, 0, "BLOB SUB_TYPE 1"},
        {261, 0, 8, 0, "BLOB"}, {261, 5, 8, 0, ""}, {45, 0, 8, 0, "BLOB_ID"}, {99, 0, 0, 0, "UNKNOWN"},
    };
    for (const auto& t : dialect1) EXPECT_EQ(interbaseTypeText(t.type, t.sub, t.length, t.scale, false), t.text);
    EXPECT_EQ(interbaseTypeText(40, 0, 255, 0, true), "CSTRING(255)");
    struct { FirebirdType t; std::string text; } dialect3[] = {
        {{8, 1, 4, -2, 9, 0}, "NUMERIC(9,2)"}, {{16, 2, 8, -4, 18, 0}, "DECIMAL(18,4)"}, {{16, 0, 8, 0, 0, 0}, "BIGINT"},
        {{37, 0, 120, 0, 0, 30}, "VARCHAR(30)"}, {{35, 0, 8, 0, 0, 0}, "TIMESTAMP"}, {{12, 0, 4, 0, 0, 0}, "DATE"},
        {{23, 0, 1, 0, 0, 0}, "BOOLEAN"}, {{261, 1, 8, 0, 0, 0}, "BLOB SUB_TYPE 1"}, {{40, 0, 255, 0, 0, 0}, "CSTRING(255)"},
    };
    for (const auto& t : dialect3) EXPECT_EQ(firebirdTypeText(t.t), t.text);
    struct { long long type; const char* text; } firings[] = {
        {1, "BEFORE INSERT"}, {2, "AFTER INSERT"}, {3, "BEFORE UPDATE"}, {6, "AFTER DELETE"},
        {17, "BEFORE INSERT OR UPDATE"}, {18, "AFTER INSERT OR UPDATE"}, {25, "BEFORE INSERT OR DELETE"},
        {113, "BEFORE INSERT OR UPDATE OR DELETE"}, {114, "AFTER INSERT OR UPDATE OR DELETE"},
        {8192, "ON CONNECT"}, {8196, "ON TRANSACTION ROLLBACK"}, {0, ""}, {8200, ""},
        // DDL triggers: the events by bit from bit 1, bits 13 to 15 being the trigger's class.
        {16387, "AFTER CREATE TABLE"}, {16398, "BEFORE CREATE TABLE OR ALTER TABLE OR DROP TABLE"},
        {140737488437264LL, "BEFORE CREATE PROCEDURE OR CREATE EXCEPTION OR DROP MAPPING"},
        {9223372036854767614LL, "BEFORE ANY DDL STATEMENT"}, {9223372036854767615LL, "AFTER ANY DDL STATEMENT"},
        {0x4000 | (1LL << 13), ""}, {0x4000 | (1LL << 48), ""},   // bits no event has
    };
    for (const auto& f : firings) EXPECT_EQ(firebirdTriggerType(f.type), f.text) << f.type;
}

TEST(Texts, TriggersOfEachKind) {
    CatalogRow ib = row({"EMP_BIU  ", "EMP   ", "17", "AS BEGIN\n  NEW.SAL = 2;\nEND"});
    EXPECT_EQ(triggerText({K::INTERBASE, 1}, ib), (Lines{"create trigger EMP_BIU for EMP", "", "AS BEGIN", "  NEW.SAL = 2;", "END"}));
    EXPECT_EQ(triggerText({K::INTERBASE, 1}, row({"T", "EMP", "4", "AS BEGIN END"}))[1], "AFTER UPDATE");
    FirebirdTrigger at5{5, true};
    EXPECT_EQ(triggerText({K::INTERBASE, 3}, ib, &at5),
              (Lines{"create trigger EMP_BIU for EMP", "INACTIVE BEFORE INSERT OR UPDATE POSITION 5", "AS BEGIN",
                     "  NEW.SAL = 2;", "END"}));
    FirebirdTrigger first{0, false};
    EXPECT_EQ(triggerText({K::INTERBASE, 3}, row({"ON_CONN", "", "8192", "AS BEGIN END"}), &first),
              (Lines{"create trigger ON_CONN", "ACTIVE ON CONNECT POSITION 0", "AS BEGIN END"}));
    EXPECT_EQ(triggerText({K::ORACLE}, row({"EMP.T", "ENABLED", "AFTER EACH ROW", "SCOTT", "", "SCOTT.T AFTER UPDATE ON EMP",
                                            "BEGIN\r\n  NULL;\r\nEND;"})),
              (Lines{"create or replace trigger ", "SCOTT.T AFTER UPDATE ON EMP", "BEGIN", "  NULL;", "END;"}));
    EXPECT_EQ(triggerText({K::SQLBASE}, row({"T.X", "Y", "SYSADM", "CREATE TRIGGER X"})), (Lines{"CREATE TRIGGER X"}));
    EXPECT_EQ(triggerText({K::MSSQL}, row({"dbo.t.x", "CREATE TRIGGER x ON t FOR UPDATE AS PRINT 'u'"})),
              (Lines{"CREATE TRIGGER x ON t FOR UPDATE AS PRINT 'u'"}));
}

TEST(Texts, DomainsFunctionsAndExceptions) {
    Lines domain(27);
    domain[0] = "D_MONEY   ";
    domain[1] = "8";
    domain[3] = "4";
    domain[4] = "-2";
    domain[5] = "1";
    domain[7] = "DEFAULT 0";
    domain[8] = "CHECK (VALUE >= 0)";
    // Dialect 1 keeps the raw length and scale and puts NOT NULL first.
    EXPECT_EQ(domainStatement({K::INTERBASE, 1}, row(domain)),
              (Lines{"CREATE DOMAIN D_MONEY AS", "INTEGER", "NOT NULL", "DEFAULT 0", "CHECK (VALUE >= 0)"}));
    FirebirdDomain fb{9, "", "", {}};
    EXPECT_EQ(domainStatement({K::INTERBASE, 3}, row(domain), &fb),
              (Lines{"CREATE DOMAIN D_MONEY AS", "NUMERIC(9,2)", "DEFAULT 0", "NOT NULL", "CHECK (VALUE >= 0)"}));
    Lines text(27);
    text[0] = "D_TEXT";
    text[1] = "37";
    text[3] = "40";
    text[24] = "10";
    FirebirdDomain utf{0, "UTF8", "NONE", {{"1", "10"}, {"0", "2"}}};
    EXPECT_EQ(domainStatement({K::INTERBASE, 3}, row(text), &utf),
              (Lines{"CREATE DOMAIN D_TEXT AS", "VARCHAR(10)[1:10,0:2] CHARACTER SET UTF8"}));
    FirebirdDomain same{0, "UTF8", "UTF8", {}};
    EXPECT_EQ(domainStatement({K::INTERBASE, 3}, row(text), &same)[1], "VARCHAR(10)");
    // A collation comes last and names its character set even when it is the database's.
    FirebirdDomain collated{0, "UTF8", "UTF8", {}, "UNICODE_CI"};
    text[5] = "1";
    text[7] = "DEFAULT 'x'";
    EXPECT_EQ(domainStatement({K::INTERBASE, 3}, row(text), &collated),
              (Lines{"CREATE DOMAIN D_TEXT AS", "VARCHAR(10) CHARACTER SET UTF8", "DEFAULT 'x'", "NOT NULL",
                     "COLLATE UNICODE_CI"}));
    // Blobs: the sub-type, and the segment size unless it is the default 80.
    struct { const char *sub, *segment, *text; } blobs[] = {
        {"0", "80", "BLOB"}, {"0", "512", "BLOB SUB_TYPE 0 SEGMENT SIZE 512"}, {"1", "80", "BLOB SUB_TYPE 1"},
        {"1", "100", "BLOB SUB_TYPE 1 SEGMENT SIZE 100"}, {"-5", "40", "BLOB SUB_TYPE -5 SEGMENT SIZE 40"},
        {"2", "80", "BLOB SUB_TYPE 2"},
    };
    Lines blob(27);
    blob[0] = "D_BLOB";
    blob[1] = "261";
    blob[3] = "8";
    FirebirdDomain plain{0, "", "NONE", {}};
    for (const auto& b : blobs) {
        blob[2] = b.sub;
        blob[6] = b.segment;
        EXPECT_EQ(domainStatement({K::INTERBASE, 3}, row(blob), &plain), (Lines{"CREATE DOMAIN D_BLOB AS", b.text}))
            << b.sub << " " << b.segment;
    }

    CatalogRow fn = row({"F_LOWER", "ib_udf", "IB_UDF_lower", "0"});
    Rows args{{"0", "-1", "40", "255", "0", "0", "CSTRING", ""}, {"1", "1", "40", "255", "0", "0", "CSTRING", ""},
              {"2", "2", "8", "4", "0", "0", "LONG", ""}};
    EXPECT_EQ(functionDeclaration({K::INTERBASE, 1}, fn, args),
              (Lines{"DECLARE EXTERNAL FUNCTION F_LOWER", "CSTRING(255), INTEGER", "RETURNS CSTRING(255) FREE_IT",
                     "ENTRY_POINT \"IB_UDF_lower\"", "MODULE_NAME \"ib_udf\""}));
    EXPECT_EQ(functionDeclaration({K::INTERBASE, 3}, fn, args),
              (Lines{"DECLARE EXTERNAL FUNCTION F_LOWER", "CSTRING(255), INTEGER BY DESCRIPTOR", "RETURNS CSTRING(255) FREE_IT",
                     "ENTRY_POINT 'IB_UDF_lower'", "MODULE_NAME 'ib_udf'"}));
    Rows byValue{{"0", "0", "27", "8", "0", "0", "DOUBLE", ""}};
    EXPECT_EQ(functionDeclaration({K::INTERBASE, 1}, row({"F_ABS", "m", "e", "0"}), byValue),
              (Lines{"DECLARE EXTERNAL FUNCTION F_ABS", "RETURNS DOUBLE PRECISION BY VALUE", "ENTRY_POINT \"e\"",
                     "MODULE_NAME \"m\""}));
    EXPECT_TRUE(functionDeclaration({K::INTERBASE, 3}, fn, {}).empty());
    Rows returnsParameter{{"1", "1", "8", "4", "0", "0", "LONG", ""}, {"2", "1", "8", "4", "0", "0", "LONG", ""}};
    EXPECT_EQ(functionDeclaration({K::INTERBASE, 3}, row({"F_P", "m", "e", "2"}), returnsParameter)[1], "INTEGER, INTEGER");
    EXPECT_EQ(functionDeclaration({K::INTERBASE, 3}, row({"F_P", "m", "e", "2"}), returnsParameter)[2], "RETURNS PARAMETER 2");

    CatalogRow ex = row({"E_BAD  ", "It's \"bad\""});
    EXPECT_EQ(exceptionStatement({K::INTERBASE, 1}, ex), (Lines{"CREATE EXCEPTION E_BAD", "\"It's \"bad\"\""}));
    EXPECT_EQ(exceptionStatement({K::INTERBASE, 3}, ex), (Lines{"CREATE EXCEPTION E_BAD", "'It''s \"bad\"'"}));
}

TEST(Texts, OracleTexts) {
    CatalogRow fk = row({"SCOTT.FK_DEPTNO", "R", "EMP", "ENABLED", "SCOTT", "PK_DEPT", "", "NO ACTION"});
    EXPECT_EQ(oracleConstraint(fk, {"DEPTNO", "X"}, "SCOTT", "DEPT", {"DEPTNO", "Y"}),
              (Lines{"ALTER TABLE SCOTT.EMP", "ADD CONSTRAINT FK_DEPTNO", "FOREIGN KEY (DEPTNO,X)",
                     "REFERENCES SCOTT.DEPT (DEPTNO,Y)"}));
    EXPECT_TRUE(oracleConstraint(row({"SCOTT.C1", "C", "EMP", "", "", "", "  ", ""}), {"A"}, "", "", {}).empty());
    EXPECT_TRUE(oracleConstraint(row({"SCOTT.V1", "V", "EMP", "", "", "", "", ""}), {"A"}, "", "", {}).empty());
    EXPECT_EQ(oracleConstraint(row({"SCOTT.CK", "C", "EMP", "", "", "", "SAL > 0", ""}), {}, "", "", {}).back(), "CHECK(SAL > 0)");
    EXPECT_EQ(oracleConstraint(row({"PK", "P", "EMP", "", "", "", "", ""}), {"A", "B"}, "", "", {}),
              (Lines{"ALTER TABLE .EMP", "ADD CONSTRAINT PK", "PRIMARY KEY (A,B)"}));

    EXPECT_EQ(packageSource({"PACKAGE P IS\n", "    PROCEDURE X;\n", "\tEND P;  \n"}),
              (Lines{"CREATE PACKAGE P IS", "PROCEDURE X;", "END P;"}));
    EXPECT_EQ(packageSource({"A\nB\n"}), (Lines{"CREATE A B"}));

    CatalogRow ts = row({"USERS", "ONLINE", "10240", "20480", "1", "121", "50", "PERMANENT"});
    EXPECT_EQ(tableSpaceStatement(ts, {"C:\\O'RA\\USR.ORA", "3670016", false}),
              (Lines{"CREATE TABLESPACE USERS", "DATAFILE 'C:\\O''RA\\USR.ORA' (4 Mb)", "DEFAULT STORAGE (INITIAL 10240",
                     "NEXT 20480", "MINEXTENTS 1", "MAXEXTENTS 121", "PCTINCREASE 50)"}));
    EXPECT_EQ(tableSpaceStatement(ts, {"F.ORA", "1536", true})[1], "DATAFILE 'F.ORA' (1536 blocks)");

    EXPECT_EQ(sessionStatement(row({"NLS_CURRENCY", "O'$"})), "Alter Session Set NLS_CURRENCY = 'O''$'");

    Lines snap(17);
    snap[0] = "SCOTT.S";
    snap[10] = " ";
    snap[11] = "SYSDATE + 1";
    snap[16] = "SELECT A\n   \n  FROM T\n";
    CatalogRow s{snap, Lines(17, "H")};
    EXPECT_EQ(snapshotStatement(s), (Lines{"CREATE SNAPSHOT SCOTT.S", "NEXT SYSDATE + 1", "AS SELECT A", "  FROM T"}));
    Lines details = snapshotDetails(s);
    ASSERT_EQ(details.size(), 15u);
    EXPECT_EQ(details[10], "H = SYSDATE + 1");
}

TEST(DependencyTree, RootsGroupRowsOfTheSameObjectAndType) {
    auto roots = dependencyTree({{"SCOTT.P", "PACKAGE BODY", "SCOTT.EMP", "TABLE"},
                                 {"SCOTT.P", "PACKAGE BODY", "SCOTT.P", "PACKAGE"},
                                 {"SCOTT.P", "PACKAGE", "SCOTT.V", "VIEW"},
                                 {"SCOTT.R", "PROCEDURE", "SCOTT.F", "FUNCTION"}});
    ASSERT_EQ(roots.size(), 3u);
    EXPECT_EQ(roots[0].caption, "package body: SCOTT.P");
    EXPECT_EQ(roots[0].image, 5);
    ASSERT_EQ(roots[0].children.size(), 2u);
    EXPECT_EQ(roots[0].children[0].caption, "table: SCOTT.EMP");
    EXPECT_EQ(roots[0].children[0].image, 6);
    EXPECT_EQ(roots[0].children[1].image, 4);
    EXPECT_EQ(roots[1].caption, "package: SCOTT.P");   // the same object, another type: a new root
    EXPECT_EQ(roots[1].children[0].image, 1);
    EXPECT_EQ(roots[2].image, 2);
    EXPECT_EQ(roots[2].children[0].image, 3);
    EXPECT_TRUE(dependencyTree({}).empty());
    EXPECT_EQ(dependencyImage("TRIGGER"), 7);
    EXPECT_EQ(dependencyImage("trigger"), 5);
}

}  // namespace
}  // namespace vlm::objlists
