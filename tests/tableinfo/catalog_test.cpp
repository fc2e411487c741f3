// The structure window's catalog reading against real databases: the DDL round trip on
// embedded Firebird, PostgreSQL, SQLite, dBase and Paradox; and the ORACLE, MSSQL and SQLBASE
// catalog statements against their dictionary fixtures, with the text they give.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "engine/registry.h"
#include "fixtures/servers.h"
#include "roundtrip.h"
#include "tableinfo/related.h"
#include "panels/demodata.h"

namespace vlm::tableinfo {
namespace {

namespace fs = std::filesystem;
using test::exec;
using test::roundTrip;

const bool kEnvironment = [] {
    ::setenv("VLM_PG_STATE", VLM_TABLEINFO_PG_STATE, 0);
    ::setenv("VLM_TEST_TMP", VLM_TABLEINFO_TMP, 0);
    ::setenv("FIREBIRD_LOCK", VLM_TABLEINFO_FB_LOCK, 0);
    return true;
}();

std::string scratch(const std::string& name) {
    fs::path p = fs::path(std::getenv("VLM_TEST_TMP")) / ("tableinfo_" + name);
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

TableRef ref(ServerKind kind, const std::string& listed, const std::string& driver = "", const std::string& type = "TABLE",
             bool view = false, const std::string& login = "") {
    panels::TTableInfo info;
    info.serverKind = kind;
    info.driverName = driver;
    info.tableName = listed;
    info.tableType = type;
    info.isView = view;
    info.oracleVersion = kind == ServerKind::ORACLE ? "8" : "";
    return tableRef(info, login);
}

TEST(RoundTrip, FirebirdEmbedded) {
    if (!engine::DriverRegistry::standard().has("INTRBASE")) GTEST_SKIP() << "Firebird is not part of this build";
    std::string dir = scratch("fb");
    engine::Database db;
    db.setDatabaseName("INTRBASE:" + dir + "/rt.fdb");
    db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey", "CREATE=TRUE"};
    db.open();
    test::firebirdRoundTrip(db);
}

TEST(Catalog, FirebirdDemoTableViewAndAFailedRead) {
    if (!engine::DriverRegistry::standard().has("INTRBASE")) GTEST_SKIP() << "Firebird is not part of this build";
    auto demo = panels::ensureDemoDatabases(scratch("fbdemo"));
    ASSERT_TRUE(demo.errors.empty()) << demo.errors.front();
    engine::Database db;
    db.setDatabaseName(demo.firebird);
    db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey"};
    db.open();
    TableInfoData v = readTableInfo(db, ref(ServerKind::INTERBASE, "WORKSHOP_STAFF", "INTRBASE", "VIEW", true));
    ASSERT_GE(v.viewSource.size(), 2u);
    EXPECT_EQ(v.viewSource[0], "create view WORKSHOP_STAFF as");
    EXPECT_TRUE(v.indexes.empty());
    // A table dropped by someone else: the error is kept, nothing is thrown.
    TableInfoData gone = readTableInfo(db, ref(ServerKind::INTERBASE, "NO_SUCH_TABLE", "INTRBASE"));
    EXPECT_TRUE(gone.columns.empty());
    ASSERT_EQ(gone.errors.size(), 1u);
    EXPECT_EQ(gone.errors[0], "Table does not exist: NO_SUCH_TABLE");
    // The DDL text of vlmtool: the script ends with ";", then the indexes.
    TableRef t = ref(ServerKind::INTERBASE, "CRAFTSMAN", "INTRBASE");
    auto text = ddlText(t, readTableInfo(db, t));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.front(), "Create Table CRAFTSMAN (");
    EXPECT_NE(test::joinText(text).find(");\nCreate Unique Index"), std::string::npos) << test::joinText(text);
}

TEST(RoundTrip, PostgreSql) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return;
    engine::Database db;
    db.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/vlmtest");
    db.params() = {"USER NAME=pgtest"};
    db.open();
    exec(db, "DROP VIEW IF EXISTS ti_view", true);
    exec(db, "DROP TABLE IF EXISTS ti_types, ti_types_copy, \"Ti Mixed\", \"Ti Mixed_copy\"", true);
    exec(db,
         "CREATE TABLE ti_types (id integer PRIMARY KEY, s smallint NOT NULL DEFAULT 1, b bigint, n numeric(10,2) "
         "DEFAULT 0, nn numeric, r real, dp double precision, v varchar(30) DEFAULT 'it''s', c char(5), t text NOT NULL, "
         "d date, tm time, ts timestamp, tz timestamp with time zone, bo boolean DEFAULT true, by bytea, u uuid)",
         true);
    exec(db, "CREATE UNIQUE INDEX ti_types_v ON ti_types (v)", true);
    exec(db, "CREATE INDEX ti_types_sb ON ti_types (s, b)", true);
    TableRef t = ref(ServerKind::OTHER, "public.ti_types", "POSTGRESQL");
    TableInfoData d = readTableInfo(db, t);
    ASSERT_TRUE(d.errors.empty()) << d.errors.front();
    ASSERT_EQ(d.columns.size(), 17u);
    EXPECT_EQ(d.columns[3].type, "numeric");
    EXPECT_EQ(d.columns[3].size, "10");
    EXPECT_EQ(d.columns[7].type, "character varying");
    EXPECT_EQ(d.columns[12].type, "timestamp without time zone");
    EXPECT_EQ(d.columns[1].nullable, "False");
    EXPECT_EQ(d.columns[1].defaultText, "1");
    roundTrip(db, t, "ti_types_copy", "c_", true);
    // A view's source, as the server gives it.
    exec(db, "CREATE OR REPLACE VIEW ti_view AS SELECT id, v FROM ti_types WHERE s > 0", true);
    TableInfoData v = readTableInfo(db, ref(ServerKind::OTHER, "public.ti_view", "POSTGRESQL", "VIEW", true));
    ASSERT_EQ(v.viewSource.size(), 2u);
    EXPECT_EQ(v.viewSource[0], "create view public.ti_view as");
    EXPECT_NE(v.viewSource[1].find("FROM ti_types"), std::string::npos) << v.viewSource[1];
    EXPECT_TRUE(v.indexes.empty());
    // A mixed-case name is quoted in every statement.
    exec(db, "CREATE TABLE \"Ti Mixed\" (\"Id\" integer, \"Name\" varchar(10))", true);
    exec(db, "CREATE INDEX \"Ti Mixed Name\" ON \"Ti Mixed\" (\"Name\")", true);
    roundTrip(db, ref(ServerKind::OTHER, "public.Ti Mixed", "POSTGRESQL"), "Ti Mixed_copy", "c_", true);
}

TEST(RoundTrip, OdbcToPostgreSql) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return;
    engine::Database db;
    db.setDatabaseName("ODBC:DRIVER={PostgreSQL Unicode};SERVER=127.0.0.1;PORT=" + port + ";DATABASE=vlmtest;");
    db.params() = {"USER NAME=pgtest"};
    db.open();
    exec(db, "DROP TABLE IF EXISTS ti_odbc, ti_odbc_copy", true);
    exec(db, "CREATE TABLE ti_odbc (id integer NOT NULL, amount numeric(10,2), name varchar(30) NOT NULL, "
             "at timestamp, ok boolean, note text)", true);
    exec(db, "CREATE UNIQUE INDEX ti_odbc_id ON ti_odbc (id)", true);
    TableRef t = ref(ServerKind::OTHER, "public.ti_odbc", "ODBC");
    TableInfoData d = readTableInfo(db, t);
    ASSERT_TRUE(d.errors.empty()) << d.errors.front();
    ASSERT_EQ(d.columns.size(), 6u);
    EXPECT_EQ(d.columns[1].type, "numeric");
    EXPECT_EQ(d.columns[1].size, "10");
    EXPECT_EQ(d.columns[1].scale, "2");
    EXPECT_EQ(d.columns[2].nullable, "False");
    roundTrip(db, t, "ti_odbc_copy", "c_", true);
}

TEST(RoundTrip, Sqlite) {
    std::string dir = scratch("sqlite");
    engine::Database db;
    db.setDatabaseName("SQLITE:" + dir + "/rt.sqlite");
    db.open();
    exec(db,
         "CREATE TABLE TYPES (ID INTEGER PRIMARY KEY, NAME VARCHAR(30) NOT NULL DEFAULT 'none', PRICE NUMERIC(10,2), "
         "RATE DECIMAL(8, 3) DEFAULT 1.5, BORN DATE, AT TIMESTAMP, FLAG BOOLEAN, NOTE TEXT, DATA BLOB, R REAL)");
    exec(db, "CREATE UNIQUE INDEX TYPES_NAME ON TYPES (NAME)");
    exec(db, "CREATE INDEX TYPES_PR ON TYPES (PRICE, RATE)");
    TableRef t = ref(ServerKind::OTHER, "TYPES", "SQLITE");
    TableInfoData d = readTableInfo(db, t);
    ASSERT_TRUE(d.errors.empty()) << d.errors.front();
    EXPECT_EQ(d.columns[1].type, "VARCHAR");
    EXPECT_EQ(d.columns[1].size, "30");
    EXPECT_EQ(d.columns[1].defaultText, "'none'");
    EXPECT_EQ(d.columns[1].nullable, "False");
    roundTrip(db, t, "TYPES_COPY", "C_");
    exec(db, "CREATE VIEW NAMES AS SELECT ID, NAME FROM TYPES");
    TableInfoData v = readTableInfo(db, ref(ServerKind::OTHER, "NAMES", "SQLITE", "VIEW", true));
    EXPECT_EQ(v.viewSource, (std::vector<std::string>{"CREATE VIEW NAMES AS SELECT ID, NAME FROM TYPES"}));
}

TEST(RoundTrip, DbaseAndParadox) {
    std::string dir = scratch("local");
    engine::Database db;
    db.setDatabaseName(dir);
    db.open();
    exec(db, "create table \"ORDERS.DBF\" (ORDERNO NUMERIC(8,0), NAME CHAR(20), AMOUNT NUMERIC(12,2), "
             "SALEDATE DATE, PAID LOGICAL, NOTES BLOB(1,1))");
    exec(db, "Create Index BYNAME On \"ORDERS.DBF\" (NAME)");
    roundTrip(db, ref(ServerKind::STANDARD, "ORDERS.DBF", "STANDARD", "DBASE"), "COPY.DBF", "C");
    exec(db, "create table \"PARTS.DB\" (PARTNO AUTOINC, NAME ALPHA(20), PRICE MONEY, QTY SMALLINT, "
             "WEIGHT NUMERIC, COST DECIMAL(12,2), N INTEGER, D DATE, T TIME, TS TIMESTAMP, OK LOGICAL, "
             "B BYTES(8), NOTES BLOB(40,1), PIC BLOB(10,5), FMT BLOB(20,3), PRIMARY KEY (PARTNO))");
    TableRef px = ref(ServerKind::STANDARD, "PARTS.DB", "STANDARD", "PARADOX");
    TableInfoData d = readTableInfo(db, px);
    ASSERT_TRUE(d.errors.empty()) << d.errors.front();
    std::string script = test::joinText(createTableScript(px.target(), "PARTS.DB", d.columns).lines);
    EXPECT_NE(script.find("NOTES BLOB(40,1)"), std::string::npos) << script;
    EXPECT_NE(script.find("PRICE MONEY"), std::string::npos) << script;
    EXPECT_EQ(d.primaryKey, (std::vector<std::string>{"PARTNO"}));
    exec(db, "Create Index BYNAME On \"PARTS.DB\" (NAME)");
    roundTrip(db, px, "PCOPY.DB", "C");
}

// The dictionary fixtures: the kind's route over ODBC to its catalog look-alike.
engine::Database& fixture(const std::string& kind, const std::string& dbName) {
    static std::map<std::string, std::unique_ptr<engine::Database>> open;
    auto& slot = open[kind];
    if (!slot) {
        std::string port = vlm::test::serverPort("VLM_PG_STATE");
        slot = std::make_unique<engine::Database>();
        slot->setDatabaseName(kind + ":127.0.0.1");
        slot->params() = {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=" + dbName, "CONNECT STRING=PORT=" + port,
                          "USER NAME=pgtest"};
    }
    return *slot;
}

TEST(Fixtures, OracleTableStorageIndexesSynonymsAndView) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    engine::Database& db = fixture("ORACLE", "vlm_oracle");
    TableRef emp = ref(ServerKind::ORACLE, "SCOTT.EMP", "ORACLE");
    TableInfoData d = readTableInfo(db, emp);
    ASSERT_TRUE(d.errors.empty()) << d.errors.front();
    auto script = showCreateScript(emp.target(), "SCOTT.EMP", d.columns, d.storage);
    const std::string text = test::joinText(script);
    EXPECT_EQ(script.front(), "Create Table SCOTT.EMP (");
    EXPECT_NE(text.find("EMPNO NUMBER(4,0) Not Null,"), std::string::npos) << text;
    EXPECT_NE(text.find(")\nTABLESPACE USERS\nPCTFREE 10\n"), std::string::npos) << text;
    EXPECT_NE(text.find("STORAGE (INITIAL 10240\n         NEXT 10240\n"), std::string::npos) << text;
    EXPECT_NE(text.find("         FREELIST GROUPS 1\n);\n"), std::string::npos) << text;
    EXPECT_NE(text.find("COMMENT ON COLUMN SCOTT.EMP.ENAME IS 'Employee''s name';"), std::string::npos) << text;
    const std::string indexes = test::joinText(d.indexes);
    EXPECT_NE(indexes.find("Create Index SCOTT.EMP_ENAME_IX On SCOTT.EMP (ENAME)\nTABLESPACE USERS;\n"), std::string::npos);
    EXPECT_NE(indexes.find("Create  Unique Index SCOTT.PK_EMP On SCOTT.EMP (EMPNO)\nTABLESPACE USERS;\n"), std::string::npos);
    EXPECT_EQ(d.indexes.size(), 4u);
    EXPECT_EQ(d.synonyms, (std::vector<std::string>{"create public synonym EMPLOYEES for EMP;"}));

    // The login user stands in for a missing owner.
    TableInfoData byLogin = readTableInfo(db, ref(ServerKind::ORACLE, "EMP", "ORACLE", "TABLE", false, "scott"));
    EXPECT_EQ(byLogin.columns.size(), d.columns.size());

    // Oracle 8 partitions: the table's range partitions and a local and a global partitioned index.
    TableRef sales = ref(ServerKind::ORACLE, "SCOTT.SALES", "ORACLE");
    TableInfoData s = readTableInfo(db, sales);
    EXPECT_EQ(s.partitionCount, "(Partition 2)");
    EXPECT_EQ(test::joinText(s.storage),
              "PARTITION BY RANGE (SALE_DATE) (\n"
              "PARTITION SALES_1998 VALUES LESS THAN (TO_DATE(' 1999-01-01 00:00:00', 'SYYYY-MM-DD HH24:MI:SS')) "
              "TABLESPACE USERS,\nPARTITION SALES_MAX VALUES LESS THAN (MAXVALUE) TABLESPACE USERS\n);\n");
    EXPECT_EQ(s.partitions, s.storage);
    const std::string ix = test::joinText(s.indexes);
    EXPECT_NE(ix.find("Create Index SCOTT.SALES_DATE_IX On SCOTT.SALES (SALE_DATE)\nTABLESPACE INDX\nLOCAL (\n"
                      "PARTITION SALES_1998 TABLESPACE INDX,\nPARTITION SALES_MAX TABLESPACE INDX\n);\n"),
              std::string::npos)
        << ix;
    EXPECT_NE(ix.find("Create  Unique Index SCOTT.SALES_ID_GX On SCOTT.SALES (SALE_ID)\nTABLESPACE INDX\n"
                      "GLOBAL PARTITON BY RANGE (SALE_ID) (\nPARTITION GX_1 VALUES LESS THAN (1000) TABLESPACE INDX,\n"
                      "PARTITION GX_MAX VALUES LESS THAN (MAXVALUE) TABLESPACE INDX\n);\n"),
              std::string::npos)
        << ix;
    // Oracle 9 reads the same table with the plain storage clause.
    TableRef sales9 = sales;
    sales9.oracleVersion = "9";
    TableInfoData s9 = readTableInfo(db, sales9);
    ASSERT_FALSE(s9.storage.empty());
    EXPECT_EQ(s9.storage.front(), "TABLESPACE USERS");

    TableInfoData v = readTableInfo(db, ref(ServerKind::ORACLE, "SCOTT.EMP_VIEW", "ORACLE", "VIEW", true));
    EXPECT_EQ(v.viewSource, (std::vector<std::string>{"create or replace view SCOTT.EMP_VIEW as",
                                                      "SELECT EMPNO, ENAME, DEPTNO FROM EMP WHERE SAL > 0"}));
    // The same view name in another schema is not mixed in.
    TableInfoData other = readTableInfo(db, ref(ServerKind::ORACLE, "HR.EMP_VIEW", "ORACLE", "VIEW", true));
    EXPECT_EQ(other.viewSource.size(), 2u);
    EXPECT_NE(other.viewSource[1], v.viewSource[1]);
}

TEST(Fixtures, MssqlColumnsDefaultsAndIndexes) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    engine::Database& db = fixture("MSSQL", "vlm_mssql");
    TableRef titles = ref(ServerKind::MSSQL, "dbo.titles", "MSSQL");
    TableInfoData d = readTableInfo(db, titles);
    ASSERT_TRUE(d.errors.empty()) << d.errors.front();
    auto script = createTableScript(titles.target(), "dbo.titles", d.columns);
    EXPECT_EQ(test::joinText(script.lines),
              "Create Table dbo.titles (\ntitle_id VARCHAR(6) Not Null,\ntitle VARCHAR(80) Not Null,\n"
              "price MONEY Null Default (0),\npubdate DATETIME Not Null,\nnotes NVARCHAR(200) Null\n)\n");
    TableInfoData a = readTableInfo(db, ref(ServerKind::MSSQL, "dbo.authors", "MSSQL"));
    std::vector<std::string> ix = a.indexes;
    std::sort(ix.begin(), ix.end());
    EXPECT_EQ(ix, (std::vector<std::string>{"Create Index aunmind On authors (au_lname, au_fname);",
                                            "Create UNIQUE Index PK_authors On authors (au_id);",
                                            "Create UNIQUE Index UQ_authors_name On authors (au_lname, au_fname);"}));
    TableInfoData v = readTableInfo(db, ref(ServerKind::MSSQL, "dbo.titleview", "MSSQL", "VIEW", true));
    EXPECT_EQ(v.viewSource, (std::vector<std::string>{"CREATE VIEW titleview AS SELECT title, au_lname, price FROM authors, titles"}));
}

TEST(Fixtures, SqlBaseColumnsIndexesSynonymsAndView) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    engine::Database& db = fixture("SQLBASE", "vlm_sqlbase");
    TableRef cust = ref(ServerKind::SQLBASE, "SYSADM.CUSTOMER", "SQLBASE");
    TableInfoData d = readTableInfo(db, cust);
    ASSERT_TRUE(d.errors.empty()) << d.errors.front();
    auto script = showCreateScript(cust.target(), "SYSADM.CUSTOMER", d.columns, d.storage);
    EXPECT_EQ(test::joinText(script),
              "Create Table SYSADM.CUSTOMER (\nCUST_ID INTEGER Not Null,\nNAME VARCHAR(30),\n"
              "BALANCE DECIMAL(10,2) Not Null With Default,\nNOTES LONG VARCHAR\n)\n"
              "COMMENT ON COLUMN SYSADM.CUSTOMER.CUST_ID IS 'Customer number';\n"
              "COMMENT ON COLUMN SYSADM.CUSTOMER.BALANCE IS 'Open balance';\n");
    EXPECT_EQ(test::joinText(d.indexes),
              "Create UNIQUE Index SYSADM.XCUSTID On SYSADM.CUSTOMER ( CUST_ID );\n"
              "Create UNIQUE CLUSTERED HASHED Index SYSADM.XCUSTHASH On SYSADM.CUSTOMER ( CUST_ID )\n SIZE 500 ROWS;\n");
    TableInfoData inv = readTableInfo(db, ref(ServerKind::SQLBASE, "SYSADM.INVOICE", "SQLBASE"));
    EXPECT_EQ(test::joinText(inv.indexes), "Create Index SYSADM.XINVCUST On SYSADM.INVOICE ( CUST_ID, INV_DATE DESC );\n");
    // NULLS "N" after "D": no default.
    EXPECT_EQ(inv.columns[2].type, "DATETIME");
    EXPECT_EQ(d.synonyms, (std::vector<std::string>{"create public synonym CUSTOMERS for CUSTOMER;"}));
    TableInfoData v = readTableInfo(db, ref(ServerKind::SQLBASE, "SYSADM.CUSTVIEW", "SQLBASE", "VIEW", true));
    EXPECT_EQ(v.viewSource, (std::vector<std::string>{"create view SYSADM.CUSTVIEW as", "SELECT CUST_ID, NAME", " FROM CUSTOMER"}));
}

TEST(Related, OracleTriggersConstraintsDependenciesPrivilegesAndComment) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    engine::Database& db = fixture("ORACLE", "vlm_oracle");
    TableRef emp = ref(ServerKind::ORACLE, "SCOTT.EMP", "ORACLE");
    // Only SCOTT's trigger: HR.EMP has one of the same name.
    auto triggers = readTriggers(db, emp);
    ASSERT_EQ(triggers.size(), 1u);
    EXPECT_TRUE(triggers[0].enabled);
    auto source = triggerSource(db, emp, "EMP_AUDIT");
    ASSERT_EQ(source.size(), 3u);
    EXPECT_EQ(source[0], "create or replace trigger ");
    EXPECT_EQ(source[1], "SCOTT.EMP_AUDIT AFTER UPDATE ON SCOTT.EMP FOR EACH ROW");
    auto hr = triggerSource(db, ref(ServerKind::ORACLE, "HR.EMP", "ORACLE"), "EMP_AUDIT");
    ASSERT_EQ(hr.size(), 3u);
    EXPECT_EQ(hr[1], "HR.EMP_AUDIT BEFORE INSERT ON HR.EMP FOR EACH ROW");
    EXPECT_EQ(triggerSwitchSql(emp, "EMP_AUDIT", false), "alter trigger SCOTT.EMP_AUDIT DISABLE");

    auto cons = readConstraints(db, emp);
    ASSERT_EQ(cons.size(), 4u);
    auto find = [&](const std::string& n) {
        for (const auto& c : cons)
            if (c.name == n) return c;
        return ConstraintItem{};
    };
    EXPECT_FALSE(find("CK_SAL").enabled);
    auto pk = constraintDefinition(db, emp, find("PK_EMP"));
    EXPECT_EQ(pk.kindEn, "Primary Key");
    EXPECT_EQ(pk.statement, (std::vector<std::string>{"ALTER TABLE SCOTT.EMP", "ADD CONSTRAINT PK_EMP", "PRIMARY KEY (EMPNO)"}));
    auto fk = constraintDefinition(db, emp, find("FK_DEPTNO"));
    EXPECT_EQ(fk.kindRu, "Вторичный ключ");
    EXPECT_EQ(fk.statement, (std::vector<std::string>{"ALTER TABLE SCOTT.EMP", "ADD CONSTRAINT FK_DEPTNO",
                                                      "FOREIGN KEY (DEPTNO)", "REFERENCES SCOTT.DEPT (DEPTNO)"}));
    auto ck = constraintDefinition(db, emp, find("CK_SAL"));
    EXPECT_EQ(ck.statement.back(), "CHECK(SAL >= 0)");
    EXPECT_EQ(ck.fields, (std::vector<std::string>{"SAL"}));
    EXPECT_EQ(constraintSwitchSql(emp, "PK_EMP", false), "alter table SCOTT.EMP DISABLE constraint PK_EMP");
    EXPECT_EQ(constraintDropSql(emp, "CK_SAL"), "alter table SCOTT.EMP drop constraint CK_SAL");

    auto deps = readDependencies(db, emp, false);
    ASSERT_EQ(deps.size(), 2u);
    EXPECT_EQ(deps[0].referenced, "SCOTT.EMP");
    EXPECT_EQ(dependencyImage(deps[0].dependentType), deps[0].dependentType == "PROCEDURE" ? 2 : 5);
    EXPECT_EQ(readDependencies(db, emp, true).size(), 3u);   // with SYS.EMP_STATS

    auto privileges = readPrivileges(db, emp);
    ASSERT_EQ(privileges.size(), 1u);
    EXPECT_EQ(privilegeScript(privileges, emp.owner, emp.name),
              (std::vector<std::string>{"GRANT UPDATE ON SCOTT.EMP TO HR_ROLE WITH GRANT OPTION;"}));
    EXPECT_EQ(readTableComment(db, emp), "Employees of the company");
    EXPECT_EQ(tableCommentSql(emp, "Staff's list"), "comment on table SCOTT.EMP is 'Staff''s list'");
    EXPECT_EQ(tableCommentSql(emp, "  "), "");
}

TEST(Related, SqlBaseAndMssql) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    engine::Database& sb = fixture("SQLBASE", "vlm_sqlbase");
    TableRef inv = ref(ServerKind::SQLBASE, "SYSADM.INVOICE", "SQLBASE");
    auto triggers = readTriggers(sb, inv);
    ASSERT_EQ(triggers.size(), 1u);
    EXPECT_TRUE(triggers[0].enabled);
    EXPECT_NE(triggerSource(sb, inv, "TRG_INV_INS").at(0).find("AFTER INSERT ON INVOICE"), std::string::npos);
    EXPECT_EQ(triggerSwitchSql(inv, "TRG_INV_INS", false), "");
    auto cons = readConstraints(sb, inv);
    ASSERT_EQ(cons.size(), 2u);
    for (const auto& c : cons) {
        auto d = constraintDefinition(sb, inv, c);
        if (c.name == "PRIMARY") {
            EXPECT_EQ(d.statement, (std::vector<std::string>{"ALTER TABLE INVOICE PRIMARY KEY (INV_ID)"}));
            EXPECT_EQ(constraintDropSql(inv, c.name), "alter table SYSADM.INVOICE drop primary key ");
        } else {
            // The foreign key names no referenced columns.
            EXPECT_EQ(d.statement, (std::vector<std::string>{
                                       "ALTER TABLE INVOICE FOREIGN KEY FK_INV_CUST (CUST_ID) REFERENCES SYSADM.CUSTOMER"}));
            EXPECT_EQ(constraintDropSql(inv, c.name), "alter table SYSADM.INVOICE drop foreign key FK_INV_CUST");
        }
    }
    EXPECT_EQ(readTableComment(sb, ref(ServerKind::SQLBASE, "SYSADM.CUSTOMER", "SQLBASE")), "Customers of the island shop");

    engine::Database& ms = fixture("MSSQL", "vlm_mssql");
    TableRef authors = ref(ServerKind::MSSQL, "dbo.authors", "MSSQL");
    auto mt = readTriggers(ms, authors);
    ASSERT_EQ(mt.size(), 1u);
    EXPECT_TRUE(mt[0].enabled);
    EXPECT_EQ(triggerSource(ms, authors, "authors_upd").at(0), "CREATE TRIGGER authors_upd ON authors FOR UPDATE AS PRINT 'updated'");
    EXPECT_EQ(triggerSwitchSql(authors, "authors_upd", false), "alter table dbo.authors DISABLE trigger authors_upd");
    std::map<std::string, ConstraintDefinition> defs;
    for (const auto& c : readConstraints(ms, authors)) defs[c.name] = constraintDefinition(ms, authors, c);
    EXPECT_EQ(defs["PK_authors"].statement.back(), "PRIMARY KEY (au_id)");
    EXPECT_EQ(defs["UQ_authors_name"].statement.back(), "UNIQUE (au_lname,au_fname)");
    EXPECT_EQ(defs["UQ_authors_name"].fields, (std::vector<std::string>{"au_lname,", "au_fname"}));
    EXPECT_EQ(defs["CK_authors_zip"].statement.back(), "CHECK ([zip] like '[0-9][0-9][0-9][0-9][0-9]')");
    // A foreign key shows the referenced table's primary key columns.
    TableRef orders = ref(ServerKind::MSSQL, "sales.orders", "MSSQL");
    auto oc = readConstraints(ms, orders);
    ASSERT_EQ(oc.size(), 1u);
    EXPECT_EQ(oc[0].typeCode, 3);
    EXPECT_EQ(constraintDefinition(ms, orders, oc[0]).statement,
              (std::vector<std::string>{"ALTER TABLE sales.orders", "ADD CONSTRAINT FK_orders_titles", "FOREIGN KEY (title_id)",
                                        "REFERENCES titles"}));
    TableRef titles = ref(ServerKind::MSSQL, "dbo.titles", "MSSQL");
    for (const auto& c : readConstraints(ms, titles))
        if (c.typeCode == 5) EXPECT_EQ(constraintDefinition(ms, titles, c).statement.back(), "DEFAULT (0)");
    EXPECT_EQ(constraintSwitchSql(authors, "CK_authors_zip", false), "alter table dbo.authors NOCHECK CONSTRAINT CK_authors_zip");
}

// vlmtool ddl: what "Show Create SQL Script" shows and the index statements, or a view's source.
std::string runTool(const std::string& args, int* status) {
    std::string out;
    FILE* p = ::popen((std::string(VLMTOOL_PATH) + " " + args + " 2>&1").c_str(), "r");
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    *status = WEXITSTATUS(::pclose(p));
    return out;
}

TEST(VlmtoolDdl, TableViewLocalTableAndAMissingOne) {
    auto demo = panels::ensureDemoDatabases(scratch("tooldemo"));
    ASSERT_TRUE(demo.errors.empty()) << demo.errors.front();
    int status = -1;
    std::string out = runTool("--user SYSDBA --password masterkey ddl " + demo.firebird + " CRAFTSMAN", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.rfind("Create Table CRAFTSMAN (\nCR_NO INTEGER Not Null,\n", 0), 0u) << out;
    EXPECT_NE(out.find("\n);\nCreate "), std::string::npos) << out;
    EXPECT_NE(out.find("\nCreate Unique Index RDB$PRIMARY"), std::string::npos) << out;
    out = runTool("--user SYSDBA --password masterkey ddl " + demo.firebird + " WORKSHOP_STAFF", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.rfind("create view WORKSHOP_STAFF as\n", 0), 0u) << out;
    out = runTool("--user SYSDBA --password masterkey ddl " + demo.firebird + " NO_SUCH_TABLE", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("Table not found: NO_SUCH_TABLE"), std::string::npos) << out;
    fs::path dbf;
    for (const auto& e : fs::directory_iterator(demo.folder))
        if (e.path().extension() == ".DBF" || e.path().extension() == ".dbf") dbf = e.path();
    ASSERT_FALSE(dbf.empty());
    out = runTool("ddl " + demo.folder + " " + dbf.filename().string(), &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.rfind("Create Table \"" + dbf.filename().string() + "\" (\n", 0), 0u) << out;
    out = runTool("ddl " + demo.folder, &status);
    EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace vlm::tableinfo
