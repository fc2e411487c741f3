// dBase tables that GIS programs write: language byte 0 and the code page named in a .cpg file
// beside the table. The fixtures are written by GDAL's ogr2ogr and read back by its ogrinfo.
#include <gtest/gtest.h>

#include <cstdio>

#include "engine/config.h"
#include "engine/database.h"
#include "engine/drivers/local/dbase/codepage.h"
#include "engine/drivers/local/dbase/dbf.h"
#include "engine/error.h"
#include "engine/registry.h"
#include "engine/session.h"
#include "engine/table.h"
#include "testutil.h"

using namespace vlm::engine;
using namespace vlm::engine::local;
using vlm::test::TempDir;

namespace {

std::string shell(const std::string& command) {
    std::string out;
    FILE* f = ::popen((command + " 2>&1").c_str(), "r");
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) out.append(buf, n);
    ::pclose(f);
    return out;
}

bool haveOgr() { return std::system("command -v ogr2ogr >/dev/null 2>&1") == 0; }

#define REQUIRE_OGR()                                                                            \
    do {                                                                                         \
        if (!haveOgr()) {                                                                        \
            if (std::getenv("CI")) FAIL() << "ogr2ogr is not installed (gdal-bin)";              \
            GTEST_SKIP() << "ogr2ogr is not installed (gdal-bin)";                               \
        }                                                                                        \
    } while (0)

// Writes dir/<name>.dbf (and its .cpg) with ogr2ogr from a CSV of the people below.
void ogrTable(const TempDir& dir, const std::string& name, const std::string& encoding) {
    vlm::test::writeAll(dir / "people.csv", "ID,NAME\n1,Иванов\n2,Пётр\n");
    std::string out = shell("cd '" + dir.path() + "' && ogr2ogr -f 'ESRI Shapefile' -lco ENCODING=" + encoding + " " +
                            name + ".dbf people.csv");
    ASSERT_TRUE(out.empty()) << out;
    std::remove((dir / "people.csv").c_str());
}

// A private session with a configuration of its own and the trace collected.
struct Engine {
    Engine() : session(DriverRegistry::standard()) {
        session.loadConfig(cfg / "IDAPI32.CFG");
        session.setTraceMask(TraceMisc);
        session.setTraceCallback([this](TraceCategory, const std::string& text) { trace += text + "\n"; });
    }
    // NAME of every row of table in dir, as the directory driver reads it.
    std::vector<std::string> names(const std::string& dir, const std::string& table) {
        Database db(&session);
        db.setDatabaseName(dir);
        Table t;
        t.setDatabase(&db);
        t.setTableName(table);
        t.open();
        std::vector<std::string> out;
        for (t.first(); !t.eof(); t.next()) out.push_back(t.fieldByName("NAME").value().asText());
        return out;
    }
    TempDir cfg;
    Session session;
    std::string trace;
};

const std::vector<std::string> kPeople = {"Иванов", "Пётр"};

}  // namespace

TEST(CodePageFile, TextsGisProgramsWrite) {
    struct Case {
        const char* text;
        const char* codePage;   // "" unknown
    } cases[] = {
        {"UTF-8", "UTF-8"}, {"UTF8", "UTF-8"}, {"utf-8\n", "UTF-8"}, {"\xEF\xBB\xBFUTF-8", "UTF-8"},
        {"1251", "CP1251"}, {"CP1251", "CP1251"}, {"ANSI 1251", "CP1251"}, {"windows-1251", "CP1251"},
        {"866", "CP866"}, {"OEM 866", "CP866"}, {"cp866\r\n", "CP866"}, {"1252", "CP1252"},
        {"88591", "ISO-8859-1"}, {"ISO-8859-5", "ISO-8859-5"}, {"KOI8-R", "KOI8-R"},
        {"", ""}, {"KLINGON", ""}, {"1234", ""}, {"UTF-16", ""}, {"885999", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(dbase::codePageForCpgText(c.text), c.codePage) << '"' << c.text << '"';
}

// ogr2ogr's files: CP1251 and UTF-8 named in the .cpg, the configured language driver (cp866
// here, so that a wrong pick shows) not taken; without a .cpg the configured one is.
TEST(CodePageFile, TablesOgr2ogrWroteReadWithTheirCodePage) {
    REQUIRE_OGR();
    TempDir dir;
    ogrTable(dir, "PEOPLE", "CP1251");
    ogrTable(dir, "U8", "UTF-8");
    ASSERT_EQ(vlm::test::readAll(dir / "PEOPLE.cpg"), "CP1251");
    std::rename((dir / "U8.cpg").c_str(), (dir / "u8.CPG").c_str());   // any case of the name
    Engine e;
    e.session.config().setValue("\\DRIVERS\\DBASE\\INIT", "LANGDRIVER", "DB866RU0");
    EXPECT_EQ(e.names(dir.path(), "PEOPLE"), kPeople);
    EXPECT_EQ(e.names(dir.path(), "U8"), kPeople);
    EXPECT_EQ(e.trace, "");

    // The same CP1251 bytes without their .cpg: the configured language driver, here Windows-1251.
    ogrTable(dir, "BARE", "CP1251");
    std::remove((dir / "BARE.cpg").c_str());
    e.session.config().setValue("\\DRIVERS\\DBASE\\INIT", "LANGDRIVER", "DBWINRU0");
    EXPECT_EQ(e.names(dir.path(), "BARE"), kPeople);

    // The local SQL reads them the same way.
    Database db(&e.session);
    db.setDatabaseName(dir.path());
    auto cur = db.connection().prepare("select NAME from PEOPLE where ID = '1'")->execute();
    std::vector<Row> rows;
    cur->fetch(10, rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].values[0].asText(), "Иванов");
}

// A .cpg naming something unknown: the table opens with the configured language driver and
// the trace says so.
TEST(CodePageFile, UnknownCodePageFileFallsBackAndSaysSoInTheTrace) {
    REQUIRE_OGR();
    TempDir dir;
    ogrTable(dir, "ODD", "CP1251");
    vlm::test::writeAll(dir / "ODD.cpg", "KLINGON-9");
    Engine e;   // no LANGDRIVER: the default, ANSI Cyrillic
    EXPECT_EQ(e.names(dir.path(), "ODD"), kPeople);
    EXPECT_NE(e.trace.find("Table ODD.dbf: the code page file ODD.cpg names \"KLINGON-9\", which is not a known "
                           "code page; the table is read with the language driver ANSI Cyrillic"),
              std::string::npos)
        << e.trace;
}

// UTF-8 tables: field widths count bytes; what does not fit is refused naming field and
// table; a new table of LANGDRIVER=UTF8 is one that ogrinfo reads.
TEST(CodePageFile, Utf8TablesCountBytesAndOgrinfoReadsOurs) {
    REQUIRE_OGR();
    TempDir dir;
    ogrTable(dir, "U8", "UTF-8");
    Engine e;
    e.session.config().setValue("\\DRIVERS\\DBASE\\INIT", "LANGDRIVER", "UTF8");
    Database db(&e.session);
    db.setDatabaseName(dir.path());
    db.connection().prepare("create table \"OURS.DBF\" (NAME char(6), CITY char(12))")->execute();
    EXPECT_EQ(vlm::test::readAll(dir / "OURS.CPG"), "UTF-8");   // named like the table
    db.connection().prepare("insert into OURS values ('Ян', 'Москва')")->execute();   // 4 and 12 bytes
    struct Case {
        const char* sql;
        const char* error;
    } cases[] = {
        {"insert into OURS values ('Пётр', 'x')",
         "Field NAME of table OURS.DBF: the text \"Пётр\" has 8 bytes in UTF-8, more than the field's 6"},
        // 80 characters, 81 bytes: one more than ogr2ogr's field width.
        {"insert into U8 values ('3', 'Ж" "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx')",
         "Field NAME of table U8.dbf: the text \"Жxxx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        try {
            db.connection().prepare(c.sql)->execute();
            ADD_FAILURE() << "stored";
        } catch (const EngineError& err) {
            EXPECT_NE(std::string(err.what()).find(c.error), std::string::npos) << err.what();
        }
    }
    db.close();
    std::string out = shell("ogrinfo -q -al '" + dir / "OURS.DBF" + "'");
    EXPECT_NE(out.find("NAME (String) = Ян"), std::string::npos) << out;
    EXPECT_NE(out.find("CITY (String) = Москва"), std::string::npos) << out;
}
