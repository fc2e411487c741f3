// Creating the demo databases of a first start.
#include "panels/demodata.h"

#include <cstdlib>
#include <filesystem>

#include "engine/database.h"
#include "engine/query.h"
#include "engine/registry.h"
#include "engine/session.h"
#include "engine/drivers/local/dir/demo.h"

namespace vlm::panels {

namespace fs = std::filesystem;

std::string userDataDir() {
    std::string base;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.local/share";
    else base = "/tmp";
    return base + "/vlm32/";
}

namespace {

const char* const kFirebirdDemo[] = {
    "CREATE TABLE WORKSHOP (WS_CODE CHAR(3) NOT NULL PRIMARY KEY, TITLE VARCHAR(30) NOT NULL, "
    "TOWN VARCHAR(20), BUDGET NUMERIC(12,2))",
    "CREATE TABLE CRAFTSMAN (CR_NO INTEGER NOT NULL PRIMARY KEY, FULL_NAME VARCHAR(40) NOT NULL, "
    "WS_CODE CHAR(3) REFERENCES WORKSHOP, JOINED DATE, RATE NUMERIC(10,2))",
    "CREATE TABLE TOOL_RENT (RENT_NO INTEGER NOT NULL PRIMARY KEY, CR_NO INTEGER REFERENCES CRAFTSMAN, "
    "TOOL VARCHAR(30) NOT NULL, RENTED TIMESTAMP, NOTES BLOB SUB_TYPE 1)",
    "CREATE VIEW WORKSHOP_STAFF AS SELECT W.TITLE, C.FULL_NAME, C.RATE FROM WORKSHOP W "
    "JOIN CRAFTSMAN C ON C.WS_CODE = W.WS_CODE",
    "CREATE GENERATOR RENT_NO_GEN",
    "INSERT INTO WORKSHOP VALUES ('JOI', 'Joinery', 'Tver', 420000)",
    "INSERT INTO WORKSHOP VALUES ('FOR', 'Forge', 'Tula', 385000.50)",
    "INSERT INTO WORKSHOP VALUES ('GLS', 'Glass studio', 'Gus-Khrustalny', 199999.99)",
    "INSERT INTO CRAFTSMAN VALUES (11, 'Anna Sokolova', 'GLS', '2015-04-01', 1850.00)",
    "INSERT INTO CRAFTSMAN VALUES (12, 'Ivan Petrov', 'FOR', '2009-09-14', 2100.25)",
    "INSERT INTO CRAFTSMAN VALUES (13, 'Maria Lindqvist', 'JOI', '2019-01-21', 1725.75)",
    "INSERT INTO CRAFTSMAN VALUES (14, 'Oleg Kuznetsov', 'JOI', '2021-06-30', 1600.00)",
    "INSERT INTO TOOL_RENT VALUES (1, 12, 'Power hammer', '2024-02-03 09:30:00', 'Returned with a worn die')",
    "INSERT INTO TOOL_RENT VALUES (2, 13, 'Band saw', '2024-02-05 14:00:00', NULL)",
};

}  // namespace

DemoDatabases ensureDemoDatabases(const std::string& dataDirIn) {
    DemoDatabases d;
    std::string dir = dataDirIn.empty() ? userDataDir() : dataDirIn;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    std::error_code ec;
    fs::create_directories(dir, ec);
    std::string folder = dir + "demo";
    try {
        if (!fs::exists(folder)) {
            fs::create_directories(folder);
            engine::local::writeDemoFolder(folder);
        }
        d.folder = folder;
    } catch (const std::exception& e) {
        d.errors.push_back(e.what());
    }
    if (!engine::DriverRegistry::standard().has("INTRBASE")) return d;
    std::string fdb = dir + "VLMDEMO.FDB";
    try {
        if (!fs::exists(fdb)) {
            engine::Database db;
            db.setDatabaseName("INTRBASE:" + fdb);
            db.params() = {std::string("USER NAME=") + kDemoUser, std::string("PASSWORD=") + kDemoPassword, "CREATE=TRUE"};
            db.open();
            for (const char* sql : kFirebirdDemo) {
                engine::Query q;
                q.setDatabase(&db);
                q.setSql(sql);
                q.execSql();
            }
            if (db.inTransaction()) db.commit();
            db.close();
        }
        d.firebird = fdb;
    } catch (const std::exception& e) {
        d.errors.push_back(e.what());
        fs::remove(fdb, ec);   // half-made: made again next time
    }
    return d;
}

}  // namespace vlm::panels
