// The copy's names as a table of cases, and real copies between every pair of dBase, Paradox,
// SQLite, Firebird (embedded), PostgreSQL (the test cluster) and ODBC (to SQLite and to
// PostgreSQL): the existence probe, the overwrite that keeps the old table until the new one is
// complete under a failure at every step, and the source left as it was; SQLBASE's rename.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "copy/copylogic.h"
#include "copy/droplogic.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "engine/table.h"
#include "fixtures/servers.h"

using namespace vlm;
using copy::DestType;
using engine::Database;
namespace fs = std::filesystem;

TEST(CopyNames, DefaultDerivedAndDestinationNames) {
    struct Case {
        const char* item;
        bool sourceSql, destSql;
        const char* proposed;
    } cases[] = {
        {"SCOTT.EMP", true, false, "EMP"},   // owner dropped
        {"SCOTT.EMP", true, true, "EMP"},
        {"EMP", true, true, "EMP"},          // no owner: whole
        {"EMP.DB", false, true, "EMP"},      // extension dropped
        {"EMP", false, true, ""},            // a local name without extension: empty
        {"EMP.DBF", false, false, "EMP.DBF"},
    };
    for (const auto& c : cases) EXPECT_EQ(copy::defaultDestName(c.item, c.sourceSql, c.destSql), c.proposed) << c.item;

    EXPECT_EQ(copy::derivedDestName("SCOTT.EMP", true), "EMP");
    EXPECT_EQ(copy::derivedDestName("EMP.DBF", false), "EMP");
    EXPECT_EQ(copy::derivedDestName("EMP", false), "");

    struct Dest {
        const char* typed;
        DestType type;
        bool multi;
        const char* table;
    } dests[] = {
        {"EMP", DestType::Sql, false, "EMP"},         {"EMP", DestType::DBase, false, "EMP.DBF"},
        {"EMP", DestType::Paradox, false, "EMP.DB"},  {"EMP.TXT", DestType::DBase, false, "EMP.TXT"},
        {"A.B", DestType::Paradox, false, "A.B"},     {"EMP", DestType::DBase, true, "EMP.DBF"},
        {"EMP", DestType::Paradox, true, "EMP.DB"},
    };
    for (const auto& d : dests) EXPECT_EQ(copy::destTableName(d.typed, d.type, d.multi), d.table) << d.typed;

    EXPECT_TRUE(copy::sameTableName(" emp ", "EMP"));
    EXPECT_TRUE(copy::sameTableName("сотр", "СОТР"));
    EXPECT_FALSE(copy::sameTableName("EMP", "EMP1"));
}

TEST(CopyNames, WaysOfReplacing) {
    using copy::ReplaceWay;
    EXPECT_EQ(copy::replaceWayFor("SQLITE", false), ReplaceWay::Create);
    EXPECT_EQ(copy::replaceWayFor("SQLITE", true), ReplaceWay::OneTransaction);
    EXPECT_EQ(copy::replaceWayFor("POSTGRESQL", true), ReplaceWay::OneTransaction);
    EXPECT_EQ(copy::replaceWayFor("INTRBASE", true), ReplaceWay::CopyBack);
    EXPECT_EQ(copy::replaceWayFor("STANDARD", true), ReplaceWay::Rename);
    EXPECT_EQ(copy::replaceWayFor("ODBC", true), ReplaceWay::Rename);
}

namespace {

// One kind of database the copy reads and writes.
struct Kind {
    std::string label;     // "DBASE", "SQLITE", ...
    Database* db;
    std::string ext;       // ".DBF" / ".DB" for the local tables, else empty
    DestType type;
};

std::string tmpRoot() {
    static std::string dir = [] {
        fs::path p = fs::temp_directory_path() / ("vlm-copy-" + std::to_string(::getpid()));
        fs::remove_all(p);
        fs::create_directories(p / "dir");
        return p.string();
    }();
    return dir;
}

std::string pgPort() { return vlm::test::serverPort("VLM_PG_STATE"); }

class Databases {
public:
    Databases() {
        local_.setDatabaseName(tmpRoot() + "/dir");
        sqlite_.setDatabaseName("SQLITE:" + tmpRoot() + "/copy.sqlite");
        odbc_.setDatabaseName("ODBC:" + tmpRoot() + "/odbc.sqlite");
        odbc_.params() = {"ODBC DRIVER=SQLite3"};
        engine::ConnectParams fb;
        fb.target = tmpRoot() + "/copy.fdb";
        fb.params["USER NAME"] = "TESTER";
        fb.params["CREATE"] = "TRUE";
        engine::DriverRegistry::standard().create("INTRBASE")->connect(fb, engine::nullTracer());
        firebird_.setDatabaseName("INTRBASE:" + fb.target);
        firebird_.params() = {"USER NAME=TESTER"};
        std::string port = pgPort();
        if (!port.empty()) {
            pgName_ = "copy" + std::to_string(::getpid());
            engine::ConnectParams admin;
            admin.target = "127.0.0.1:" + port + "/vlmtest";
            admin.params["USER NAME"] = "pgtest";
            auto c = engine::DriverRegistry::standard().create("POSTGRESQL")->connect(admin, engine::nullTracer());
            c->prepare("DROP DATABASE IF EXISTS " + pgName_)->execute();
            c->prepare("CREATE DATABASE " + pgName_)->execute();
            postgres_.setDatabaseName("POSTGRESQL:127.0.0.1:" + port + "/" + pgName_);
            postgres_.params() = {"USER NAME=pgtest"};
            // An ODBC data source on a PostgreSQL database of its own.
            c->prepare("DROP DATABASE IF EXISTS " + pgName_ + "o")->execute();
            c->prepare("CREATE DATABASE " + pgName_ + "o")->execute();
            odbcPg_.setDatabaseName("ODBC:127.0.0.1");
            odbcPg_.params() = {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=" + pgName_ + "o",
                                "CONNECT STRING=PORT=" + port, "USER NAME=pgtest"};
        }
        for (Database* d : {&local_, &sqlite_, &odbc_, &firebird_}) d->open();
        kinds_ = {{"DBASE", &local_, ".DBF", DestType::DBase},    {"PARADOX", &local_, ".DB", DestType::Paradox},
                  {"SQLITE", &sqlite_, "", DestType::Sql},        {"FIREBIRD", &firebird_, "", DestType::Sql},
                  {"ODBC", &odbc_, "", DestType::Sql}};
        if (!pgName_.empty()) {
            postgres_.open();
            odbcPg_.open();
            kinds_.push_back({"POSTGRES", &postgres_, "", DestType::Sql});
            kinds_.push_back({"PGODBC", &odbcPg_, "", DestType::Sql});
        }
        for (auto& k : kinds_) makeSource(k);
    }
    const std::vector<Kind>& kinds() const { return kinds_; }

    // SRC: ID (key), NAME, PRICE, BORN; three rows, the third without a date.
    static void makeSource(const Kind& k) {
        engine::Table t;
        t.setDatabase(k.db);
        t.setTableName("SRC" + k.ext);
        auto def = [](const char* n, int type, int size = 0, int scale = 0) {
            engine::FieldDef f;
            f.name = n;
            f.logicalType = type;
            f.size = size;
            f.scale = scale;
            return f;
        };
        t.createTable({def("ID", engine::logical::INT32), def("NAME", engine::logical::ZSTRING, 20),
                       def("PRICE", engine::logical::BCD, 10, 2), def("BORN", engine::logical::DATE)});
        engine::Connection& c = k.db->connection();
        engine::Query q;
        q.setDatabase(k.db);
        q.setSql("insert into " + (k.ext.empty() ? c.quoteTable("SRC") : "\"SRC" + k.ext + "\"") +
                 " values (:ID, :NAME, :PRICE, :BORN)");
        const char* names[] = {"Ivanov", "Петров", "O'Hara"};
        for (int i = 1; i <= 3; ++i) {
            q.paramByName("ID").set(engine::Value(i), engine::FieldType::Integer);
            q.paramByName("NAME").set(engine::Value(std::string(names[i - 1])), engine::FieldType::String);
            q.paramByName("PRICE").set(engine::Value(engine::Decimal{std::to_string(i) + ".25"}), engine::FieldType::BCD);
            q.paramByName("BORN").set(i == 3 ? engine::Value() : engine::Value(engine::Date{2020, i, 10 + i}),
                                      engine::FieldType::Date);
            q.execSql();
        }
    }

private:
    Database local_, sqlite_, odbc_, firebird_, postgres_, odbcPg_;
    std::string pgName_;
    std::vector<Kind> kinds_;
};

Databases& dbs() {
    static Databases d;
    return d;
}

// The rows of a table as "ID|NAME|PRICE|BORN" lines in ID order.
std::vector<std::string> rowsOf(const Kind& k, const std::string& table) {
    engine::Table t;
    t.setDatabase(k.db);
    t.setTableName(table);
    t.open();
    std::vector<std::string> out;
    for (t.first(); !t.eof(); t.next()) {
        std::string line;
        for (int i = 0; i < t.fieldCount(); ++i) line += (i ? "|" : "") + t.field(i).asString();
        out.push_back(line);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> tablesOf(const Kind& k) {
    std::vector<std::string> out;
    for (const auto& e : k.db->connection().tables(false)) out.push_back(e.name);
    return out;
}

// Stops the work at the nth step.
struct CancelAt : engine::Progress {
    int at, calls = 0;
    explicit CancelAt(int n) : at(n) {}
    bool step(std::int64_t, std::int64_t) override { return ++calls < at; }
};

}  // namespace

TEST(CopyRuns, EveryPairCopiesEveryRowAndTheProbeSeesTheCopy) {
    auto& all = dbs();
    const std::vector<std::string> expected = rowsOf(all.kinds().front(), "SRC.DBF");
    ASSERT_EQ(expected.size(), 3u);
    for (const Kind& from : all.kinds()) {
        const std::vector<std::string> sourceBefore = rowsOf(from, "SRC" + from.ext);
        for (const Kind& to : all.kinds()) {
            SCOPED_TRACE(from.label + " -> " + to.label);
            const std::string dest = copy::destTableName("C_" + from.label.substr(0, 3) + "_" + to.label.substr(0, 3),
                                                         to.type);
            ASSERT_FALSE(copy::probeTable(*to.db, dest));
            std::int64_t rows = copy::copyTable(*from.db, "SRC" + from.ext, *to.db, dest, false, nullptr);
            EXPECT_EQ(rows, 3);
            EXPECT_TRUE(copy::probeTable(*to.db, dest));
            std::vector<std::string> got = rowsOf(to, dest);
            ASSERT_EQ(got.size(), 3u);
            for (std::size_t i = 0; i < got.size(); ++i) {
                // The names and keys arrive on every pair; price and date texts follow each
                // driver's types, so only their presence is compared.
                EXPECT_EQ(got[i].substr(0, got[i].find('|', 2)), sourceBefore[i].substr(0, sourceBefore[i].find('|', 2)));
            }
        }
        EXPECT_EQ(rowsOf(from, "SRC" + from.ext), sourceBefore);   // the source never changes
    }
}

TEST(CopyRuns, ProbeReportsErrorsOtherThanNotFound) {
    for (const Kind& k : dbs().kinds()) {
        SCOPED_TRACE(k.label);
        EXPECT_FALSE(copy::probeTable(*k.db, "NO_SUCH" + (k.ext.empty() ? "" : k.ext)));
    }
    // A probe that fails for another reason is no "absent": the copy must not go on.
    Database closedServer;
    closedServer.setDatabaseName("POSTGRESQL:127.0.0.1:1/none");
    closedServer.params() = {"USER NAME=nobody"};
    EXPECT_THROW(copy::probeTable(closedServer, "EMP"), engine::EngineError);
    engine::EngineError lost(engine::ErrorCategory::Connect, engine::errc::ConnectBase, {"Unable to reach the database."});
    EXPECT_FALSE(copy::isTableNotFound(lost));
    engine::EngineError denied(engine::ErrorCategory::Sql, engine::errc::SqlBase,
                               {"permission denied for table emp"}, 0, "42501");
    EXPECT_FALSE(copy::isTableNotFound(denied));
}

// Onto an existing table: a failure or cancel at any step leaves it as it was and no table aside;
// without one the copy replaces it completely.
TEST(CopyRuns, ReplacingKeepsTheOldTableUntilTheNewOneIsComplete) {
    for (const Kind& to : dbs().kinds()) {
        SCOPED_TRACE(to.label);
        const Kind& from = dbs().kinds()[2];   // SQLite source: three rows
        const std::string dest = "OLD_T" + to.ext;
        // The old table: one row of its own.
        if (copy::probeTable(*to.db, dest)) to.db->connection().dropTable(dest);
        copy::copyTable(*from.db, "SRC", *to.db, dest, false, nullptr);
        // A statement left prepared would hold the table on Firebird: runSql closes its own.
        copy::runSql(*to.db, "delete from " + copy::probeName(*to.db, dest) + " where ID > 1");
        const std::vector<std::string> before = rowsOf(to, dest);
        ASSERT_EQ(before.size(), 1u);
        const std::vector<std::string> tablesBefore = tablesOf(to);

        std::vector<std::string> steps;
        copy::copyTable(*from.db, "SRC", *to.db, "PROBE_T" + to.ext, false, nullptr);
        copy::copyTable(*from.db, "SRC", *to.db, "PROBE_T" + to.ext, true, nullptr,
                        [&](const std::string& s) { steps.push_back(s); });
        to.db->connection().dropTable("PROBE_T" + to.ext);
        ASSERT_FALSE(steps.empty());

        for (const std::string& failing : steps) {
            SCOPED_TRACE("failing at " + failing);
            if (failing == "cleanup") continue;   // the new table is in place by then
            EXPECT_THROW(copy::copyTable(*from.db, "SRC", *to.db, dest, true, nullptr,
                                         [&](const std::string& s) {
                                             if (s == failing)
                                                 throw engine::EngineError(engine::ErrorCategory::File, "injected");
                                         }),
                         engine::EngineError);
            EXPECT_EQ(rowsOf(to, dest), before);
            EXPECT_EQ(tablesOf(to), tablesBefore);
        }
        for (int at : {1, 2}) {
            CancelAt cancel(at);
            try {
                copy::copyTable(*from.db, "SRC", *to.db, dest, true, &cancel);
                EXPECT_EQ(rowsOf(to, dest).size(), 3u) << "a copy that ends must be complete";
                break;
            } catch (const engine::EngineError& e) {
                EXPECT_EQ(e.category(), engine::ErrorCategory::Cancelled) << e.what();
            }
            EXPECT_EQ(rowsOf(to, dest), before) << "cancelled at step " << at;
            EXPECT_EQ(tablesOf(to), tablesBefore);
        }
        EXPECT_EQ(copy::copyTable(*from.db, "SRC", *to.db, dest, true, nullptr), 3);
        EXPECT_EQ(rowsOf(to, dest).size(), 3u);
        EXPECT_EQ(tablesOf(to), tablesBefore);
    }
}

TEST(DropRuns, StatementsRunOnEveryKind) {
    EXPECT_EQ(copy::dropSql("SCOTT.EMP", false, false), "DROP TABLE SCOTT.EMP");
    EXPECT_EQ(copy::dropSql("EMP_V", true, true), "DROP VIEW \"EMP_V\"");
    EXPECT_EQ(copy::dropQuestion("EMP_V", true), "Delete View EMP_V ?");
    EXPECT_EQ(copy::dropIndexSql("ORDERS.DBF", "CUSTNO", false), "Drop Index \"ORDERS.DBF\".CUSTNO");
    EXPECT_EQ(copy::renameSql("A", "B"), "Alter Table A Rename Table B");
    for (const Kind& k : dbs().kinds()) {
        SCOPED_TRACE(k.label);
        const std::string t = "DROPME" + k.ext;
        const std::string quoted = k.ext.empty() ? k.db->connection().quoteTable("DROPME") : t;
        copy::copyTable(*k.db, "SRC" + k.ext, *k.db, t, false, nullptr);
        if (k.ext == ".DBF") {
            engine::IndexDef ix;
            ix.name = "BYNAME";
            ix.fields = {"NAME"};
            k.db->connection().createIndex(t, ix);
            EXPECT_EQ(copy::indexChoices(*k.db, t, panels::ServerKind::STANDARD), (std::vector<std::string>{"BYNAME"}));
            copy::runSql(*k.db, copy::dropIndexSql(t, "BYNAME", false));
            EXPECT_TRUE(copy::indexChoices(*k.db, t, panels::ServerKind::STANDARD).empty());
        }
        if (k.ext.empty()) {
            engine::Connection& c = k.db->connection();
            engine::IndexDef ix;
            ix.name = k.label == "POSTGRES" || k.label == "PGODBC" ? "byname" : "BYNAME";   // as each server folds it
            ix.fields = {"NAME"};
            c.createIndex(t, ix);
            EXPECT_EQ(copy::indexChoices(*k.db, t, panels::ServerKind::OTHER), (std::vector<std::string>{ix.name}));
            EXPECT_EQ(copy::indexChoices(*k.db, t, panels::ServerKind::MSSQL), (std::vector<std::string>{t + "." + ix.name}));
            copy::runSql(*k.db, copy::dropIndexSql(t, ix.name, true));
            EXPECT_TRUE(copy::indexChoices(*k.db, t, panels::ServerKind::OTHER).empty());
            copy::runSql(*k.db, "CREATE VIEW " + c.quoteTable("DROPME_V") + " AS SELECT * FROM " + quoted);
            EXPECT_EQ(copy::copyTable(*k.db, "DROPME_V", *k.db, "FROMVIEW", false, nullptr), 3);   // a view as source
            copy::runSql(*k.db, copy::dropSql("FROMVIEW", false, true));
            copy::runSql(*k.db, copy::dropSql(c.quoteTable("DROPME_V"), true, false));
            EXPECT_FALSE(copy::probeTable(*k.db, "DROPME_V"));
            std::string last = "DROPME2";
            if (k.label == "FIREBIRD") {
                EXPECT_THROW(copy::renameTable(*k.db, t, last, panels::ServerKind::INTERBASE), engine::EngineError);
                last = t;
            } else {
                copy::renameTable(*k.db, t, last, panels::ServerKind::OTHER);
            }
            copy::runSql(*k.db, copy::dropSql(last, false, true));   // the quoted form
            EXPECT_FALSE(copy::probeTable(*k.db, last));
        } else {
            copy::renameTable(*k.db, t, "DROPME2" + k.ext, panels::ServerKind::STANDARD);
            copy::dropLocalTable(*k.db, "DROPME2" + k.ext);
            EXPECT_FALSE(copy::probeTable(*k.db, "DROPME2" + k.ext));
        }
    }
}

// SQLBASE renames by a statement of its own, the names as typed; every other kind through the
// engine. On the SQLBASE dictionary fixture (a PostgreSQL server standing in for it) the
// statement reaches the server as written, its refusal comes back as the error and the catalog
// keeps the old name; the engine's rename on the same connection goes through.
TEST(RenameRuns, SqlBaseRenamesByItsOwnStatement) {
    struct {
        const char *from, *to, *sql;
    } texts[] = {
        {"CUSTOMER", "CLIENT", "Alter Table CUSTOMER Rename Table CLIENT"},
        {"SYSADM.CUSTOMER", "CLIENT", "Alter Table SYSADM.CUSTOMER Rename Table CLIENT"},
        {" cust ", "c2", "Alter Table  cust  Rename Table c2"},
    };
    for (const auto& t : texts) EXPECT_EQ(copy::renameSql(t.from, t.to), t.sql);

    const std::string port = pgPort();
    if (port.empty()) return;
    Database db;
    db.setDatabaseName("SQLBASE:127.0.0.1");
    db.params() = {"ODBC DRIVER=PostgreSQL Unicode", "DATABASE NAME=vlm_sqlbase", "CONNECT STRING=PORT=" + port,
                   "USER NAME=pgtest"};
    db.open();
    copy::runSql(db, "drop table if exists rn_sb, rn_sb2");
    copy::runSql(db, "create table rn_sb (a int)");
    // The panel's catalog read: which of the two names the database lists.
    auto listed = [&db](const std::string& name) {
        for (const auto& e : db.connection().tables(false)) {
            const std::string n = e.name.substr(e.name.rfind('.') == std::string::npos ? 0 : e.name.rfind('.') + 1);
            if (n == name) return true;
        }
        return false;
    };
    ASSERT_TRUE(listed("rn_sb"));
    std::string error;
    try {
        copy::renameTable(db, "rn_sb", "rn_sb2", panels::ServerKind::SQLBASE);
    } catch (const engine::EngineError& e) {
        error = e.what();
    }
    // PostgreSQL's grammar has no "Rename Table": the statement went as written, not as the engine's.
    EXPECT_NE(error.find("syntax error"), std::string::npos) << error;
    EXPECT_TRUE(listed("rn_sb"));
    EXPECT_FALSE(listed("rn_sb2"));
    EXPECT_FALSE(db.inTransaction());
    copy::renameTable(db, "rn_sb", "rn_sb2", panels::ServerKind::OTHER);
    EXPECT_FALSE(listed("rn_sb"));
    EXPECT_TRUE(listed("rn_sb2"));
    copy::runSql(db, "drop table rn_sb2");
}
