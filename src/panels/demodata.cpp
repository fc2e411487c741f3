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
    "CREATE TABLE COUNTRY (COUNTRY VARCHAR(15) NOT NULL PRIMARY KEY, CURRENCY VARCHAR(10) NOT NULL)",
    "CREATE TABLE DEPARTMENT (DEPT_NO CHAR(3) NOT NULL PRIMARY KEY, DEPARTMENT VARCHAR(25) NOT NULL, "
    "LOCATION VARCHAR(15), BUDGET NUMERIC(12,2))",
    "CREATE TABLE EMPLOYEE (EMP_NO INTEGER NOT NULL PRIMARY KEY, FIRST_NAME VARCHAR(15) NOT NULL, "
    "LAST_NAME VARCHAR(20) NOT NULL, DEPT_NO CHAR(3) REFERENCES DEPARTMENT, HIRE_DATE DATE, SALARY NUMERIC(10,2))",
    "CREATE VIEW PHONE_LIST AS SELECT EMP_NO, FIRST_NAME, LAST_NAME, DEPT_NO FROM EMPLOYEE",
    "CREATE GENERATOR EMP_NO_GEN",
    "INSERT INTO COUNTRY VALUES ('USA', 'Dollar')",
    "INSERT INTO COUNTRY VALUES ('Russia', 'Ruble')",
    "INSERT INTO COUNTRY VALUES ('Germany', 'Euro')",
    "INSERT INTO DEPARTMENT VALUES ('000', 'Corporate Headquarters', 'Monterey', 1000000)",
    "INSERT INTO DEPARTMENT VALUES ('100', 'Sales and Marketing', 'San Francisco', 2000000)",
    "INSERT INTO DEPARTMENT VALUES ('600', 'Engineering', 'Moscow', 1100000)",
    "INSERT INTO EMPLOYEE VALUES (2, 'Robert', 'Nelson', '600', '1988-12-28', 105900)",
    "INSERT INTO EMPLOYEE VALUES (4, 'Bruce', 'Young', '600', '1988-12-28', 97500)",
    "INSERT INTO EMPLOYEE VALUES (5, 'Kim', 'Lambert', '100', '1989-02-06', 102750)",
    "INSERT INTO EMPLOYEE VALUES (8, 'Leslie', 'Johnson', '000', '1989-04-05', 64635)",
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
