// The editors' logic on real databases: Firebird procedures and generators (embedded and on
// the test server), PostgreSQL functions and procedures, and the ORACLE, SQLBASE and MSSQL
// statements against their dictionary fixtures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "engine/storedproc.h"
#include "fixtures/servers.h"
#include "serverobj/objects.h"
#include "serverobj/params.h"
#include "serverobj/proclogic.h"

namespace vlm::serverobj {
namespace {

namespace fs = std::filesystem;
using K = ServerKind;

const bool kEnvironment = [] {
    ::setenv("VLM_PG_STATE", VLM_SERVEROBJ_PG_STATE, 0);
    ::setenv("VLM_FB_STATE", VLM_SERVEROBJ_FB_STATE, 0);
    ::setenv("FIREBIRD_LOCK", VLM_SERVEROBJ_FB_LOCK, 0);
    return true;
}();

void run(engine::Database& db, const std::string& sql) {
    engine::Query q;
    q.setDatabase(&db);
    q.setSql(sql);
    q.execSql();
}

std::vector<std::string> names(const std::vector<ProcItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items) out.push_back(i.caption);
    return out;
}

bool has(const std::vector<std::string>& v, const std::string& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

// A procedure written with a fault on its fourth line, then as it should be.
const Lines kBroken{"CREATE PROCEDURE ADD_ORDER (CUST INTEGER, NOTE VARCHAR(20), AMOUNT NUMERIC(9,2), ODAY DATE,",
                    "  BIG BIGINT, AT_TIME TIMESTAMP)", "RETURNS (ORDER_NO INTEGER, TOTAL NUMERIC(18,2), ECHO VARCHAR(40))",
                    "AS BEGN", "  INSERT INTO ORDERS VALUES (:CUST, :NOTE, :AMOUNT, :ODAY, :BIG, :AT_TIME);",
                    "  SELECT COUNT(*), SUM(AMOUNT) FROM ORDERS INTO :ORDER_NO, :TOTAL;",
                    "  ECHO = NOTE || ' ' || ODAY || ' ' || BIG;", "END"};

void procedureRoundTrip(engine::Database& db) {
    run(db, "CREATE TABLE ORDERS (CUST INTEGER, NOTE VARCHAR(20), AMOUNT NUMERIC(9,2), ODAY DATE, BIG BIGINT, AT_TIME TIMESTAMP)");
    // A failed store names the line and column of the fault; the caret goes onto that line.
    try {
        executeStoreText(db, plainStoreText(kBroken, false));
        FAIL() << "the broken procedure was stored";
    } catch (const engine::EngineError& e) {
        auto line = serverErrorLine(e);
        ASSERT_TRUE(line) << e.what();
        auto [l, p] = parseErrorLine(*line);
        EXPECT_EQ(l, 4) << *line;
        EXPECT_EQ(p, 4);
        EXPECT_EQ(caretPlace(kBroken, l, p), std::make_pair(4, 3));
    }
    Lines good = kBroken;
    good[3] = "AS BEGIN";
    executeStoreText(db, plainStoreText(good, false));
    executeStoreText(db, "CREATE PROCEDURE LIST_ORDERS RETURNS (CUST INTEGER, AMOUNT NUMERIC(9,2)) AS BEGIN "
                         "FOR SELECT CUST, AMOUNT FROM ORDERS INTO :CUST, :AMOUNT DO SUSPEND; END");
    EXPECT_TRUE(has(names(readProcNames(db, K::INTERBASE)), "ADD_ORDER"));

    // The source shown stores again as it is, and replaces the procedure.
    objlists::DatabaseReader reader(db);
    Lines src = readProcSource(reader, {K::INTERBASE, 3}, "ADD_ORDER", {});
    ASSERT_GE(src.size(), 4u);
    EXPECT_EQ(src[0], "CREATE OR ALTER PROCEDURE ADD_ORDER (");
    EXPECT_EQ(src[1], " CUST INTEGER,");
    EXPECT_EQ(src[3], " AMOUNT NUMERIC(9,2),");
    EXPECT_EQ(src[5], " BIG BIGINT,");
    EXPECT_EQ(src[6], " AT_TIME TIMESTAMP)");
    EXPECT_EQ(src[7], " RETURNS (");
    EXPECT_EQ(src[8], " ORDER_NO INTEGER, TOTAL NUMERIC(18,2), ECHO VARCHAR(40))");
    EXPECT_NO_THROW(executeStoreText(db, plainStoreText(src, false)));
    EXPECT_EQ(readProcSource(reader, {K::INTERBASE, 3}, "ADD_ORDER", {}), src);

    // Run with values typed into the editors.
    engine::StoredProc proc;
    proc.setDatabase(&db);
    proc.setStoredProcName("ADD_ORDER");
    proc.prepare();
    auto specs = editorsFor(K::INTERBASE, proc.params());
    ASSERT_EQ(specs.size(), 6u);
    EXPECT_EQ(specs.back().name, "CUST");
    std::vector<Editor> eds{{"CUST", "7"}, {"NOTE", "it's"}, {"AMOUNT", "12.50"}, {"ODAY", "2024-02-29"},
                            {"BIG", "9007199254740993"}, {"AT_TIME", "2024-02-29 10:11:12"}};
    assignEditorValues(K::INTERBASE, eds, proc);
    proc.execProc();
    EXPECT_EQ(outputLines(proc.params()),
              (std::vector<std::string>{"6 [1]: ORDER_NO = 1", "7 [5]: TOTAL = 12.50",
                                        "8 [32]: ECHO = it's 2024-02-29 9007199254740993"}));

    // A value that is no number: the parameter named, nothing run.
    eds[0].text = "seven";
    try {
        assignEditorValues(K::INTERBASE, eds, proc);
        FAIL() << "no conversion error";
    } catch (const engine::EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("CUST"), std::string::npos) << e.what();
    }
    engine::Query count;
    count.setDatabase(&db);
    count.setSql("SELECT COUNT(*) FROM ORDERS");
    count.open();
    EXPECT_EQ(count.field(0).asInteger(), 1);
    count.close();

    // The selectable procedure's rows.
    engine::StoredProc list;
    list.setDatabase(&db);
    list.setStoredProcName("LIST_ORDERS");
    list.open();
    ASSERT_FALSE(list.eof());
    EXPECT_EQ(list.field(0).asInteger(), 7);
    list.close();

    run(db, dropProcSql(K::INTERBASE, "P", "LIST_ORDERS"));
    EXPECT_FALSE(has(names(readProcNames(db, K::INTERBASE)), "LIST_ORDERS"));

    // Generators: created, set, read (without changing them), dropped.
    run(db, generatorCreateSql("G_ORDERS"));
    run(db, "SET GENERATOR G_ORDERS TO 41");
    EXPECT_EQ(readGeneratorValue(db, "G_ORDERS"), 41);
    EXPECT_EQ(readGeneratorValue(db, "G_ORDERS"), 41);
    engine::Query gens;
    gens.setDatabase(&db);
    gens.setSql(kGeneratorsSql);
    gens.open();
    bool listed = false;
    for (; !gens.eof(); gens.next()) listed = listed || gens.field(0).asString().rfind("G_ORDERS", 0) == 0;
    gens.close();
    EXPECT_TRUE(listed);
    run(db, generatorDropSql("G_ORDERS"));
    EXPECT_THROW(readGeneratorValue(db, "G_ORDERS"), engine::EngineError);
}

TEST(Firebird, ProceduresAndGeneratorsEmbedded) {
    if (!engine::DriverRegistry::standard().has("INTRBASE")) GTEST_SKIP() << "Firebird is not part of this build";
    fs::path dir = fs::path(VLM_SERVEROBJ_TMP) / "serverobj_fb";
    fs::remove_all(dir);
    fs::create_directories(dir);
    engine::Database db;
    db.setDatabaseName("INTRBASE:" + (dir / "procs.fdb").string());
    db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey", "CREATE=TRUE"};
    db.open();
    procedureRoundTrip(db);
}

TEST(Firebird, ProceduresAndGeneratorsOnTheServer) {
    std::string port = vlm::test::serverPort("VLM_FB_STATE");
    if (port.empty()) return;
    const std::string state = std::getenv("VLM_FB_STATE");
    const std::string dir = vlm::test::readFile(state + "/datadir");
    const std::string file = dir + "/serverobj_" + std::to_string(::getpid()) + ".fdb";
    engine::Database db;
    db.setDatabaseName("INTRBASE:127.0.0.1/" + port + ":" + file);
    db.params() = {"USER NAME=" + vlm::test::readFile(state + "/user"),
                   "PASSWORD=" + vlm::test::readFile(state + "/password"), "CREATE=TRUE"};
    db.open();
    procedureRoundTrip(db);
    db.close();
    std::error_code ec;
    fs::remove(file, ec);
}

TEST(Firebird, DialectOneKeepsTheOldHeader) {
    if (!engine::DriverRegistry::standard().has("INTRBASE")) GTEST_SKIP() << "Firebird is not part of this build";
    fs::path dir = fs::path(VLM_SERVEROBJ_TMP) / "serverobj_fb1";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string file = (dir / "d1.fdb").string();
    std::string cmd = "echo \"SET SQL DIALECT 1; CREATE DATABASE '" + file +
                      "' USER 'SYSDBA' PASSWORD 'masterkey'; SET TERM ^ ; CREATE PROCEDURE P1 (A NUMERIC(15,2)) RETURNS (B DATE) "
                      "AS BEGIN B = 'NOW'; END^ SET TERM ; ^ COMMIT;\" | isql-fb -q 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    engine::Database db;
    db.setDatabaseName("INTRBASE:" + file);
    db.params() = {"USER NAME=SYSDBA", "PASSWORD=masterkey", "SQL DIALECT=1"};
    db.open();
    objlists::DatabaseReader reader(db);
    Dialect d{K::INTERBASE, objlists::interbaseDialect(reader)};
    EXPECT_EQ(d.dialect, 1);
    Lines src = readProcSource(reader, d, "P1", {});
    ASSERT_GE(src.size(), 4u);
    EXPECT_EQ(src[0], "CREATE PROCEDURE P1 (");
    EXPECT_EQ(src[1], " A NUMERIC(15,2))");
    EXPECT_EQ(src[3], " B DATE)");
}

TEST(Postgres, FunctionsAndProceduresListedAndRun) {
    std::string port = vlm::test::serverPort("VLM_PG_STATE");
    if (port.empty()) return;
    engine::Database db;
    db.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/postgres");
    db.params() = {"USER NAME=pgtest"};
    db.open();
    run(db, "DROP SCHEMA IF EXISTS serverobj CASCADE");
    run(db, "CREATE SCHEMA serverobj");
    executeStoreText(db, "CREATE FUNCTION serverobj.twice(n integer, OUT r integer) AS $$ BEGIN r := n * 2; END $$ "
                         "LANGUAGE plpgsql");
    executeStoreText(db, "CREATE PROCEDURE serverobj.noop(a text) AS $$ BEGIN END $$ LANGUAGE plpgsql");
    auto list = names(readProcNames(db, K::OTHER));
    EXPECT_TRUE(has(list, "serverobj.twice")) << list.size();
    EXPECT_TRUE(has(list, "serverobj.noop"));
    engine::StoredProc p;
    p.setDatabase(&db);
    p.setStoredProcName("serverobj.twice");
    p.prepare();
    auto specs = editorsFor(K::OTHER, p.params());
    ASSERT_EQ(specs.size(), 1u);
    assignEditorValues(K::OTHER, {{specs[0].name, "21"}}, p);
    p.execProc();
    EXPECT_EQ(outputLines(p.params()), (std::vector<std::string>{"1 [2]: r = 42"}));
    run(db, "DROP SCHEMA serverobj CASCADE");
}

// --- Dictionary fixtures -------------------------------------------------------------------------

engine::Database& fixture(K kind) {
    static std::map<K, std::unique_ptr<engine::Database>> open;
    auto& slot = open[kind];
    if (!slot) {
        std::string lower = panels::serverKindName(kind);
        for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
        slot = std::make_unique<engine::Database>();
        slot->setDatabaseName(std::string(panels::serverKindName(kind)) + ":127.0.0.1");
        slot->params() = {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlm_" + lower,
                          "CONNECT STRING=PORT=" + vlm::test::serverPort("VLM_PG_STATE"), "USER NAME=pgtest"};
    }
    return *slot;
}

objlists::Rows rowsOf(engine::Database& db, const Lines& sql, const objlists::Params& params = {}) {
    std::string text;
    for (const auto& l : sql) text += (text.empty() ? "" : "\n") + l;
    return objlists::DatabaseReader(db).rows(text, params);
}

TEST(Fixtures, NamesSourcesAndErrors) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    auto oracle = readProcNames(fixture(K::ORACLE), K::ORACLE);
    EXPECT_TRUE(std::find(oracle.begin(), oracle.end(), ProcItem{"SCOTT.BROKEN_PROC", "P", ImgBadProcedure}) != oracle.end());
    EXPECT_TRUE(std::find(oracle.begin(), oracle.end(), ProcItem{"SCOTT.RAISE_SAL", "P", ImgProcedure}) != oracle.end());
    EXPECT_EQ(readProcNames(fixture(K::SQLBASE), K::SQLBASE),
              (std::vector<ProcItem>{{"SYSADM.LOG_INVOICE", "P", ImgProcedure}, {"SYSADM.CUST_COUNT", "C", ImgCommand}}));
    EXPECT_EQ(names(readProcNames(fixture(K::MSSQL), K::MSSQL)), (std::vector<std::string>{"dbo.byroyalty"}));

    struct { K kind; const char* name; SourceOptions o; Lines text; } cases[] = {
        {K::ORACLE, "SCOTT.BROKEN_PROC", {.lineNumbers = true},
         {"1: Create or replace PROCEDURE BROKEN_PROC IS", "2: BEGIN", "3:   DELETE FROM EMPX;", "4: END;"}},
        {K::ORACLE, "RAISE_SAL", {.loginUser = "scott"},
         {"Create or replace PROCEDURE RAISE_SAL (P_EMPNO IN NUMBER, P_PCT IN NUMBER) IS", "BEGIN",
          "  UPDATE EMP SET SAL = SAL * (1 + P_PCT / 100) WHERE EMPNO = P_EMPNO;", "END;"}},
        {K::SQLBASE, "SYSADM.LOG_INVOICE", {},
         {"STORE LOG_INVOICE", "PROCEDURE: LOG_INVOICE; ACTIONS INSERT INTO SYSADM.INVLOG VALUES (SYSDATETIME);"}},
        {K::SQLBASE, "CUST_COUNT", {}, {"STORE CUST_COUNT", "SELECT COUNT(*) FROM SYSADM.CUSTOMER"}},
        {K::MSSQL, "dbo.byroyalty;1", {},
         {"CREATE PROCEDURE byroyalty @percentage int AS SELECT au_id FROM titleauthor WHERE royaltyper = @percentage"}},
    };
    for (const auto& c : cases) {
        objlists::DatabaseReader reader(fixture(c.kind));
        EXPECT_EQ(readProcSource(reader, {c.kind, 3}, c.name, c.o), c.text) << c.name;
    }

    ErrorQuery e = oracleErrorQuery("SCOTT.BROKEN_PROC");
    EXPECT_EQ(errorLines(rowsOf(fixture(K::ORACLE), e.sql, e.params)),
              (Lines{"3/5: PLS-00201: identifier 'EMPX' must be declared"}));
    ErrorQuery none = oracleErrorQuery("RAISE_SAL");
    EXPECT_TRUE(rowsOf(fixture(K::ORACLE), none.sql, none.params).empty());
}

TEST(Fixtures, OracleTriggersAndSequences) {
    if (vlm::test::serverPort("VLM_PG_STATE").empty()) return;
    engine::Database& db = fixture(K::ORACLE);
    auto items = triggerItemsOf(rowsOf(db, {kTriggerNamesSql}));
    auto it = std::find_if(items.begin(), items.end(), [](const TriggerItem& t) { return t.caption == "DEPT.DEPT_BI"; });
    ASSERT_NE(it, items.end());
    EXPECT_FALSE(it->enabled);
    objlists::DatabaseReader reader(db);
    TriggerSource s = readTriggerSource(reader, *it, false);
    EXPECT_EQ(s.lines, (Lines{"Create Or Replace Trigger ", "SCOTT.DEPT_BI BEFORE INSERT ON SCOTT.DEPT", "FOR EACH ROW",
                              "BEGIN", "  :NEW.LOC := UPPER(:NEW.LOC);", "END;"}));
    EXPECT_EQ(s.headerLines, 3);
    ErrorQuery e = oracleTriggerErrorQuery(it->owner, "DEPT_BI");
    Lines errors = errorLines(rowsOf(db, e.sql, e.params));
    ASSERT_EQ(errors.size(), 1u);
    auto [line, pos] = parseErrorLine(errors[0]);
    EXPECT_EQ(caretPlace(s.lines, line + s.headerLines, pos), std::make_pair(5, 2));

    objlists::Rows seq = rowsOf(db, {kSequencesSql});
    ASSERT_EQ(seq.size(), 1u);
    EXPECT_EQ(seq[0].at(0), "EMPNO_SEQ");
    EXPECT_EQ(seq[0].size(), sequenceHeadingsRu().size());
}

}  // namespace
}  // namespace vlm::serverobj
