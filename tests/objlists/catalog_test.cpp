// The object lists against real databases: every list and text of a Firebird database holding
// each InterBase object, the texts run again on a fresh database (embedded), vlmtool objects,
// and every catalog and detail statement of the ORACLE, SQLBASE and MSSQL kinds against their
// dictionary fixtures with the texts they give.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "engine/error.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "fixtures/servers.h"
#include "roundtrip.h"

namespace vlm::objlists {
namespace {

namespace fs = std::filesystem;
using K = ServerKind;
using Lines = std::vector<std::string>;

const bool kEnvironment = [] {
    ::setenv("VLM_PG_STATE", VLM_OBJLISTS_PG_STATE, 0);
    ::setenv("FIREBIRD_LOCK", VLM_OBJLISTS_FB_LOCK, 0);
    return true;
}();

std::string scratch(const std::string& name) {
    fs::path p = fs::path(VLM_OBJLISTS_TMP) / ("objlists_" + name);
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

bool hasFirebird() { return engine::DriverRegistry::standard().has("INTRBASE"); }

test::FirebirdTarget embedded(const std::string& file) { return {"INTRBASE:" + file, file, "SYSDBA", "masterkey"}; }

const CatalogRow* find(const ObjectList& l, int column, const std::string& name) {
    for (const auto& r : l.rows) {
        std::string v = r.at(std::size_t(column));
        while (!v.empty() && v.back() == ' ') v.pop_back();
        if (v == name) return &r;
    }
    return nullptr;
}

TEST(Firebird, ListsAndTextsOfEveryInterbaseObject) {
    if (!hasFirebird()) GTEST_SKIP() << "Firebird is not part of this build";
    const std::string file = scratch("fb") + "/objects.fdb";
    engine::Database db;
    db.setDatabaseName("INTRBASE:" + file);
    db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey", "CREATE=TRUE"};
    db.open();
    test::createObjects(db);

    // Every list runs, with and without the system objects.
    for (ListKind k : listKindsOf(K::INTERBASE))
        for (bool system : {false, true}) {
            SCOPED_TRACE(std::string(commandWord(k)) + (system ? " with system objects" : ""));
            ObjectList l;
            ASSERT_NO_THROW(l = readObjectList(db, k, system));
            EXPECT_EQ(l.dialect, 3);
            EXPECT_FALSE(l.rows.empty());
        }
    ObjectList ix = readObjectList(db, ListKind::Indexes, false);
    EXPECT_TRUE(find(ix, 2, "EMP_NAME"));        // unique and the user's: shown
    EXPECT_TRUE(find(ix, 2, "RDB$PRIMARY1"));
    EXPECT_FALSE(find(ix, 2, "RDB$INDEX_1"));    // the server's own
    EXPECT_TRUE(find(readObjectList(db, ListKind::Indexes, true), 2, "RDB$INDEX_1"));
    EXPECT_EQ(listText(readObjectList(db, ListKind::Exceptions, false)),
              (Lines{"EXCEPTION NAME\tMESSAGE", "E_BAD\tIt's bad", "E_QUOTE\tSay \"no\""}));

    struct { ListKind list; const char* name; Lines text; } cases[] = {
        {ListKind::Domains, "D_MONEY", {"CREATE DOMAIN D_MONEY AS", "NUMERIC(9,2)", "DEFAULT 0", "NOT NULL", "CHECK (VALUE >= 0)"}},
        {ListKind::Domains, "D_RATE", {"CREATE DOMAIN D_RATE AS", "DECIMAL(18,4)", "DEFAULT 1.5"}},
        {ListKind::Domains, "D_CODE", {"CREATE DOMAIN D_CODE AS", "CHAR(3) CHARACTER SET UNICODE_FSS", "NOT NULL"}},
        {ListKind::Domains, "D_MATRIX", {"CREATE DOMAIN D_MATRIX AS", "INTEGER[1:10,0:2]"}},
        {ListKind::Domains, "D_NOTE", {"CREATE DOMAIN D_NOTE AS", "BLOB SUB_TYPE 1"}},
        {ListKind::Domains, "D_CYR",
         {"CREATE DOMAIN D_CYR AS", "VARCHAR(20) CHARACTER SET WIN1251", "DEFAULT 'a'", "NOT NULL", "CHECK (VALUE <> '')",
          "COLLATE PXW_CYRL"}},
        {ListKind::Domains, "D_MEMO",
         {"CREATE DOMAIN D_MEMO AS", "BLOB SUB_TYPE 1 SEGMENT SIZE 100 CHARACTER SET WIN1251", "COLLATE WIN1251_UA"}},
        {ListKind::Domains, "D_RAW", {"CREATE DOMAIN D_RAW AS", "BLOB SUB_TYPE 0 SEGMENT SIZE 512"}},
        {ListKind::Domains, "D_OWN", {"CREATE DOMAIN D_OWN AS", "BLOB SUB_TYPE -5 SEGMENT SIZE 40"}},
        {ListKind::Exceptions, "E_BAD", {"CREATE EXCEPTION E_BAD", "'It''s bad'"}},
        {ListKind::ExternalFunctions, "F_ADD",
         {"DECLARE EXTERNAL FUNCTION F_ADD", "INTEGER, INTEGER", "RETURNS INTEGER BY VALUE", "ENTRY_POINT 'add'",
          "MODULE_NAME 'mathlib'"}},
        {ListKind::ExternalFunctions, "F_LEN",
         {"DECLARE EXTERNAL FUNCTION F_LEN", "VARCHAR(20) BY DESCRIPTOR", "RETURNS INTEGER BY VALUE", "ENTRY_POINT 'len'",
          "MODULE_NAME 'mathlib'"}},
        {ListKind::ExternalFunctions, "F_LOWER",
         {"DECLARE EXTERNAL FUNCTION F_LOWER", "CSTRING(255)", "RETURNS CSTRING(255) FREE_IT", "ENTRY_POINT 'IB_UDF_lower'",
          "MODULE_NAME 'ib_udf'"}},
        {ListKind::Indexes, "EMP_CODE", {"Create UNIQUE DESCENDING Index EMP_CODE On EMP (CODE)"}},
        {ListKind::Indexes, "EMP_UPPER", {"Create Index EMP_UPPER On EMP COMPUTED BY (UPPER(NAME))"}},
        {ListKind::Triggers, "EMP_BIU",
         {"create trigger EMP_BIU for EMP", "INACTIVE BEFORE INSERT OR UPDATE POSITION 5", "AS BEGIN NEW.SAL = 2; END"}},
        {ListKind::Triggers, "EMP_BD",
         {"create trigger EMP_BD for EMP", "ACTIVE BEFORE DELETE POSITION 0", "AS", "BEGIN",
          "  IF (OLD.SAL > 0) THEN EXCEPTION E_BAD;", "END"}},
        {ListKind::Triggers, "ON_TX_COMMIT",
         {"create trigger ON_TX_COMMIT", "INACTIVE ON TRANSACTION COMMIT POSITION 2", "AS BEGIN END"}},
        {ListKind::Triggers, "DDL_ANY",
         {"create trigger DDL_ANY", "ACTIVE BEFORE ANY DDL STATEMENT POSITION 0", "AS BEGIN END"}},
        {ListKind::Triggers, "DDL_MIXED",
         {"create trigger DDL_MIXED", "INACTIVE BEFORE CREATE PROCEDURE OR CREATE EXCEPTION OR DROP MAPPING POSITION 3",
          "AS BEGIN END"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(objectText(db, c.list, c.name, false), c.text);
    }
    EXPECT_THROW(objectText(db, ListKind::Domains, "NO_SUCH", false), engine::EngineError);
    EXPECT_THROW(readObjectList(db, ListKind::Synonyms, false), engine::EngineError);
}

TEST(Firebird, ADialectOneDatabaseKeepsTheOldTexts) {
    if (!hasFirebird()) GTEST_SKIP() << "Firebird is not part of this build";
    const std::string file = scratch("dialect1") + "/d1.fdb";
    int status = -1;
    std::string out = test::run("echo \"SET SQL DIALECT 1; CREATE DATABASE '" + file +
                                    "' USER 'SYSDBA' PASSWORD 'masterkey'; CREATE DOMAIN D_PRICE AS NUMERIC(9,2) DEFAULT 0 "
                                    "NOT NULL; CREATE EXCEPTION E_OLD 'Old one'; COMMIT;\" | isql-fb -q",
                                &status);
    ASSERT_EQ(status, 0) << out;
    engine::Database db;
    db.setDatabaseName("INTRBASE:" + file);
    db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey"};
    db.open();
    EXPECT_EQ(readObjectList(db, ListKind::Domains, false).dialect, 1);
    EXPECT_EQ(objectText(db, ListKind::Domains, "D_PRICE", false),
              (Lines{"CREATE DOMAIN D_PRICE AS", "INTEGER", "NOT NULL", "DEFAULT 0"}));
    EXPECT_EQ(objectText(db, ListKind::Exceptions, "E_OLD", false), (Lines{"CREATE EXCEPTION E_OLD", "\"Old one\""}));
}

TEST(Firebird, DefinitionTextsRunAgainEmbedded) {
    if (!hasFirebird()) GTEST_SKIP() << "Firebird is not part of this build";
    const std::string dir = scratch("roundtrip");
    test::firebirdRoundTrip(embedded(dir + "/a.fdb"), embedded(dir + "/b.fdb"), VLMTOOL_PATH);
}

TEST(Vlmtool, ObjectKindsAndErrors) {
    if (!hasFirebird()) GTEST_SKIP() << "Firebird is not part of this build";
    const std::string file = scratch("tool") + "/t.fdb";
    {
        engine::Database db;
        db.setDatabaseName("INTRBASE:" + file);
        db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey", "CREATE=TRUE"};
        db.open();
        test::execAll(db, {"CREATE EXCEPTION E_ONE 'one'"});
    }
    const std::string tool = std::string(VLMTOOL_PATH) + " --user SYSDBA --password masterkey objects INTRBASE:" + file;
    struct { std::string args; int status; std::string out; } cases[] = {
        {"", 0, "indexes\ntriggers\ndomains\nfunctions\nexceptions\nblob-filters\n"},
        {" exceptions", 0, "EXCEPTION NAME\tMESSAGE\nE_ONE\tone\n"},
        {" exceptions E_ONE", 0, "CREATE EXCEPTION E_ONE\n'one'\n"},
        {" exceptions E_TWO", 1, "vlmtool: No such object in the exceptions list: E_TWO\n"},
        {" synonyms", 1, "vlmtool: Not Supported For This Type Database!\n"},
        {" tables", 2, "vlmtool: unknown object kind tables\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        int status = -1;
        std::string out = test::run(tool + c.args, &status);
        EXPECT_EQ(status, c.status);
        if (c.status == 2) EXPECT_EQ(out.rfind(c.out, 0), 0u) << out;
        else EXPECT_EQ(out, c.out);
    }
}

// --- Dictionary fixtures -------------------------------------------------------------------------

// The fixture's login that may not read SYS.DBA_DATA_FILES nor SYS.ALL_SNAPSHOTS.
const std::vector<std::string> kRestrictedLogin{"USER NAME=vlm_oracle_user", "PASSWORD=vlm-oracle-user"};

engine::Database& fixture(const std::string& kind, const std::vector<std::string>& login = {"USER NAME=pgtest"}) {
    static std::map<std::string, std::unique_ptr<engine::Database>> open;
    auto& slot = open[kind + login.front()];
    if (!slot) {
        std::string port = vlm::test::serverPort("VLM_PG_STATE");
        std::string lower = kind;
        for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
        slot = std::make_unique<engine::Database>();
        slot->setDatabaseName(kind + ":127.0.0.1");
        slot->params() = {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlm_" + lower, "CONNECT STRING=PORT=" + port};
        slot->params().insert(slot->params().end(), login.begin(), login.end());
    }
    return *slot;
}

// The fixture's one known difference that the statements meet: SQLBase's column CONSTRAINT is a
// reserved word on the fixture's server and must be quoted there.
class FixtureReader final : public CatalogReader {
public:
    FixtureReader(engine::Database& db, K kind) : inner_(db), kind_(kind) {}
    Rows rows(const std::string& sql, const Params& params) override {
        ++statements;
        return inner_.rows(adapt(sql), params);
    }
    std::string adapt(std::string sql) const {
        if (kind_ != K::SQLBASE) return sql;
        for (const char* from : {",CONSTRAINT,", "(CONSTRAINT="}) {
            std::string f = from, t = f;
            t.replace(t.find("CONSTRAINT"), 10, "\"constraint\"");
            for (std::size_t at = sql.find(f); at != std::string::npos; at = sql.find(f, at + t.size())) sql.replace(at, f.size(), t);
        }
        return sql;
    }
    int statements = 0;

private:
    DatabaseReader inner_;
    K kind_;
};

struct FixtureList {
    std::vector<CatalogRow> rows;
};

// The list's statement run as written (but for the fixture's difference), every row's text built.
std::map<std::string, DetailText> listAndTexts(K kind, ListKind list, bool showSystem, int* detailStatements = nullptr) {
    engine::Database& db = fixture(panels::serverKindName(kind));
    FixtureReader reader(db, kind);
    std::string sql;
    for (const auto& l : catalogSql(list, kind, showSystem)) sql += l + "\n";
    Rows rows = reader.rows(sql, {});
    const ColumnLayout layout = columnLayout(list, kind, false);
    std::map<std::string, DetailText> out;
    reader.statements = 0;
    for (const auto& r : rows) {
        CatalogRow row{r, {}};
        for (std::size_t i = 0; i < r.size(); ++i) {
            auto h = layout.headings.find(int(i));
            row.headings.push_back(h != layout.headings.end() ? h->second : "H" + std::to_string(i));
        }
        DetailText t;
        buildDetailText(list, {kind, 3}, row, reader, t);
        std::string name = row.at(std::size_t(nameColumn(list, kind)));
        if (list == ListKind::Indexes) name = row.at(0) + "." + name;
        if (list == ListKind::Constraints && kind == K::SQLBASE) name += "/" + row.at(1);
        out[name] = t;
    }
    if (detailStatements) *detailStatements = reader.statements;
    return out;
}

TEST(Fixtures, EveryListAndDetailStatementRuns) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    for (K kind : {K::ORACLE, K::SQLBASE, K::MSSQL})
        for (ListKind list : listKindsOf(kind))
            for (bool system : {false, true}) {
                SCOPED_TRACE(std::string(panels::serverKindName(kind)) + " " + commandWord(list));
                std::map<std::string, DetailText> texts;
                ASSERT_NO_THROW(texts = listAndTexts(kind, list, system));
                EXPECT_FALSE(texts.empty());
            }
}

TEST(Fixtures, TextsOfEachKind) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    struct { K kind; ListKind list; const char* name; Lines memo1; Lines memoIndex; } cases[] = {
        {K::ORACLE, ListKind::Indexes, "EMP.EMP_ENAME_IX", {}, {"Create Index SCOTT.EMP_ENAME_IX On SCOTT.EMP (ENAME)"}},
        {K::ORACLE, ListKind::Indexes, "DEPT.PK_DEPT", {}, {"Create UNIQUE Index SCOTT.PK_DEPT On SCOTT.DEPT (DEPTNO)"}},
        {K::ORACLE, ListKind::Constraints, "SCOTT.FK_DEPTNO",
         {"ALTER TABLE SCOTT.EMP", "ADD CONSTRAINT FK_DEPTNO", "FOREIGN KEY (DEPTNO)", "REFERENCES SCOTT.DEPT (DEPTNO)"}, {}},
        {K::ORACLE, ListKind::Constraints, "SCOTT.UK_DNAME", {"ALTER TABLE SCOTT.DEPT", "ADD CONSTRAINT UK_DNAME", "UNIQUE (DNAME,LOC)"}, {}},
        {K::ORACLE, ListKind::Constraints, "SCOTT.CK_SAL", {"ALTER TABLE SCOTT.EMP", "ADD CONSTRAINT CK_SAL", "CHECK(SAL >= 0)"}, {}},
        // Two schemas hold a package of the same name: each row shows its own source.
        {K::ORACLE, ListKind::Packages, "HR.EMP_PKG", {"CREATE PACKAGE EMP_PKG IS", "PROCEDURE HIRE (P_NAME VARCHAR2);", "END EMP_PKG;"}, {}},
        {K::ORACLE, ListKind::Packages, "SCOTT.EMP_PKG",
         {"CREATE PACKAGE EMP_PKG IS", "FUNCTION HEADCOUNT (P_DEPTNO NUMBER) RETURN NUMBER;", "END EMP_PKG;"}, {}},
        {K::ORACLE, ListKind::PackageBodies, "SCOTT.EMP_PKG",
         {"CREATE PACKAGE BODY EMP_PKG IS", "FUNCTION HEADCOUNT (P_DEPTNO NUMBER) RETURN NUMBER IS N NUMBER;",
          "BEGIN SELECT COUNT(*) INTO N FROM EMP WHERE DEPTNO = P_DEPTNO; RETURN N; END;", "END EMP_PKG;"}, {}},
        {K::ORACLE, ListKind::TableSpaces, "USERS",
         {"CREATE TABLESPACE USERS", "DATAFILE 'C:\\ORANT\\DATABASE\\USR1ORCL.ORA' (3 Mb)", "DEFAULT STORAGE (INITIAL 10240",
          "NEXT 10240", "MINEXTENTS 1", "MAXEXTENTS 121", "PCTINCREASE 50)"}, {}},
        {K::ORACLE, ListKind::TableSpaces, "TEMP", {}, {}},
        {K::ORACLE, ListKind::SessionParameters, "NLS_DATE_FORMAT", {}, {"Alter Session Set NLS_DATE_FORMAT = 'DD-MON-YY'"}},
        {K::ORACLE, ListKind::Snapshots, "SCOTT.EMP_SNAP",
         {"H1 = SNAP$_EMP_SNAP", "H2 = MVIEW$_EMP_SNAP", "H3 = SCOTT", "H4 = EMP", "H5 = ", "H6 = YES", "H7 = NO",
          "H8 = 1999-03-05 08:00:00", "H9 = 0", "H10 = FAST", "H11 = SYSDATE + 1", "H12 = 1999-03-05 08:00:00", "H13 = 1",
          "H14 = ", "H15 = "},
         {"CREATE SNAPSHOT SCOTT.EMP_SNAP", "REFRESH FAST", "NEXT SYSDATE + 1", "AS SELECT EMPNO, ENAME", "  FROM SCOTT.EMP",
          " WHERE DEPTNO = 10"}},
        {K::SQLBASE, ListKind::Indexes, "INVOICE.XINVCUST", {}, {"Create Index SYSADM.XINVCUST On SYSADM.INVOICE (CUST_ID, INV_DATE)"}},
        {K::SQLBASE, ListKind::Constraints, "SYSADM.INVOICE/FK_INV_CUST",
         {"ALTER TABLE SYSADM.INVOICE", "FOREIGN KEY FK_INV_CUST (CUST_ID)", "REFERENCES SYSADM.CUSTOMER"}, {}},
        {K::SQLBASE, ListKind::Constraints, "SYSADM.CUSTOMER/PRIMARY", {"ALTER TABLE SYSADM.CUSTOMER", "PRIMARY KEY (CUST_ID)"}, {}},
        {K::SQLBASE, ListKind::Triggers, "CUSTOMER.TRG_CUST_DEL",
         {"CREATE TRIGGER TRG_CUST_DEL BEFORE DELETE ON CUSTOMER (EXECUTE SYSADM.CHECK_CUST) FOR EACH ROW"}, {}},
        // An index name on two tables: each row lists its own table's columns.
        {K::MSSQL, ListKind::Indexes, "titles.ix_title_id", {}, {"Create Index ix_title_id On titles (title_id)"}},
        {K::MSSQL, ListKind::Indexes, "authors.PK_authors", {}, {"Create UNIQUE Index PK_authors On authors (au_id)"}},
        {K::MSSQL, ListKind::Triggers, "dbo.authors.authors_upd", {"CREATE TRIGGER authors_upd ON authors FOR UPDATE AS PRINT 'updated'"}, {}},
        {K::MSSQL, ListKind::Constraints, "PK_titles", {"ALTER TABLE titles", "ADD CONSTRAINT PK_titles", "PRIMARY KEY (title_id)"}, {}},
        {K::MSSQL, ListKind::Constraints, "UQ_authors_name",
         {"ALTER TABLE authors", "ADD CONSTRAINT UQ_authors_name", "UNIQUE (au_lname,au_fname)"}, {}},
        {K::MSSQL, ListKind::Constraints, "FK_orders_titles",
         {"ALTER TABLE orders", "ADD CONSTRAINT FK_orders_titles", "FOREIGN KEY (title_id)", "REFERENCES titles"}, {}},
        {K::MSSQL, ListKind::Constraints, "CK_authors_zip",
         {"ALTER TABLE authors", "ADD CONSTRAINT CK_authors_zip", "CHECK ([zip] like '[0-9][0-9][0-9][0-9][0-9]')"}, {}},
        {K::MSSQL, ListKind::Constraints, "DF_titles_price", {"ALTER TABLE titles", "ADD CONSTRAINT DF_titles_price", "DEFAULT (0)"}, {}},
    };
    std::map<std::pair<int, int>, std::map<std::string, DetailText>> lists;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(panels::serverKindName(c.kind)) + " " + c.name);
        auto key = std::make_pair(int(c.kind), int(c.list));
        if (!lists.count(key)) lists[key] = listAndTexts(c.kind, c.list, false);
        auto it = lists[key].find(c.name);
        ASSERT_NE(it, lists[key].end());
        EXPECT_EQ(it->second.memo1, c.memo1);
        EXPECT_EQ(it->second.memoIndex, c.memoIndex);
    }
}

TEST(Fixtures, ALoginWithoutTheDbaViews) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    engine::Database& db = fixture("ORACLE", kRestrictedLogin);
    // The table space text falls back to SYS.SYSFILES and counts blocks.
    DatabaseReader reader(db);
    DetailText t;
    CatalogRow users{{"USERS", "ONLINE", "10240", "10240", "1", "121", "50", "PERMANENT"}, {}};
    buildDetailText(ListKind::TableSpaces, {K::ORACLE, 3}, users, reader, t);
    ASSERT_EQ(t.memo1.size(), 7u);
    EXPECT_EQ(t.memo1[1], "DATAFILE 'C:\\ORANT\\DATABASE\\USR1ORCL.ORA' (1536 blocks)");
    // A list of a view the login may not read: the engine's error.
    EXPECT_THROW(readObjectList(db, ListKind::Snapshots, false), engine::EngineError);
    EXPECT_NO_THROW(readObjectList(db, ListKind::Indexes, false));
}

}  // namespace
}  // namespace vlm::objlists
