// The settings file: the round trip of every section as a table of cases, the reading rules
// (hexadecimal, wrong types, unknown sections, missing file), what writing keeps and how it
// fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>

#include "panels/inifile.h"
#include "panels/settings.h"
#include "shell/language.h"

namespace vlm::panels {
namespace {

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vlm_settings_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "VLM32.INI").string();
        shell::setLanguageSetting(0);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }
    void put(const std::string& text) { std::ofstream(path_) << text; }
    std::string content() {
        std::ifstream in(path_);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    fs::path dir_;
    std::string path_;
};

TEST_F(SettingsFile, EveryKeyRoundTrips) {
    struct Case {
        const char* name;
        std::function<void(Settings&)> change;
    };
    const Case cases[] = {
        {"databases", [](Settings& s) { s.left.databaseName = "/data/demo"; s.right.databaseName = "FBDEMO"; }},
        {"logins", [](Settings& s) { s.left.userName = "SYSDBA"; s.right.password = "masterkey"; }},
        {"scopes and sort", [](Settings& s) { s.left.systemTables = true; s.right.userTables = true; s.right.sorted = true; }},
        {"filters", [](Settings& s) {
             s.left.filter = "EMP*"; s.left.filterUser = "SCOTT"; s.left.filterOn = true; s.right.filterExcept = true; }},
        {"shell switches", [](Settings& s) {
             s.shell.viewToolBar = false; s.shell.showTrayIcon = true; s.shell.autoSave = true; s.shell.useInSql = true;
             s.shell.requestLive = true; s.shell.replaceAppropriate = true; s.shell.showRecordCount = true;
             s.shell.originNames = true; s.shell.dbKeepConnection = false; s.shell.viewWindowsTop = true; }},
        {"help files and size", [](Settings& s) {
             s.shell.oracleHelp = "/usr/share/ora.html"; s.shell.mssqlHelp = "ms.txt"; s.shell.mainFormWidth = 1024;
             s.shell.mainFormHeight = 700; s.shell.language = 1; }},
        {"panel options", [](Settings& s) {
             s.searchFirstPos = false; s.searchMatchCase = false; s.showDeleted = true; s.colorDeleted = true;
             s.isSqlColor = false; s.showIndexAsCreate = true; s.showSystemIndex = true; s.showTableComments = false;
             s.doubletStoreProc = true; s.sqlDelimiter = "/"; }},
        {"colours", [](Settings& s) {
             s.sqlColor = 0x00FF00FF; s.digitColor = 0; s.panelsColor = systemColour(15); s.strColor = 12345; }},
        {"fonts", [](Settings& s) {
             s.panelFont = {"DejaVu Sans", 255, 12, true, true, false, false};
             s.sqlEditorFont = {"Courier New Cyr", 0, 9, false, true, true, true}; }},
        {"formats", [](Settings& s) {
             s.formats = {" ", ",", ".", "dd.mm.yyyy", "d mmmm yyyy", ":", "", "", "hh:mm", "hh:mm:ss"}; }},
        {"cyrillic texts", [](Settings& s) { s.left.filter = "ТАБЛ*"; s.left.userName = "Пользователь"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(path_);
        Settings s;
        c.change(s);
        ASSERT_EQ(writeSettings(path_, s), "");
        Settings r = readSettings(path_);
        EXPECT_EQ(r.left, s.left);
        EXPECT_EQ(r.right, s.right);
        EXPECT_EQ(r.panelFont, s.panelFont);
        EXPECT_EQ(r.sqlEditorFont, s.sqlEditorFont);
        EXPECT_EQ(r.formats, s.formats);
        EXPECT_EQ(r.shell.viewToolBar, s.shell.viewToolBar);
        EXPECT_EQ(r.shell.showTrayIcon, s.shell.showTrayIcon);
        EXPECT_EQ(r.shell.autoSave, s.shell.autoSave);
        EXPECT_EQ(r.shell.useInSql, s.shell.useInSql);
        EXPECT_EQ(r.shell.requestLive, s.shell.requestLive);
        EXPECT_EQ(r.shell.replaceAppropriate, s.shell.replaceAppropriate);
        EXPECT_EQ(r.shell.showRecordCount, s.shell.showRecordCount);
        EXPECT_EQ(r.shell.originNames, s.shell.originNames);
        EXPECT_EQ(r.shell.dbKeepConnection, s.shell.dbKeepConnection);
        EXPECT_EQ(r.shell.viewWindowsTop, s.shell.viewWindowsTop);
        EXPECT_EQ(r.shell.oracleHelp, s.shell.oracleHelp);
        EXPECT_EQ(r.shell.mssqlHelp, s.shell.mssqlHelp);
        EXPECT_EQ(r.shell.mainFormWidth, s.shell.mainFormWidth);
        EXPECT_EQ(r.shell.mainFormHeight, s.shell.mainFormHeight);
        EXPECT_EQ(r.shell.language, s.shell.language);
        EXPECT_EQ(r.searchFirstPos, s.searchFirstPos);
        EXPECT_EQ(r.searchMatchCase, s.searchMatchCase);
        EXPECT_EQ(r.showDeleted, s.showDeleted);
        EXPECT_EQ(r.colorDeleted, s.colorDeleted);
        EXPECT_EQ(r.isSqlColor, s.isSqlColor);
        EXPECT_EQ(r.showIndexAsCreate, s.showIndexAsCreate);
        EXPECT_EQ(r.showSystemIndex, s.showSystemIndex);
        EXPECT_EQ(r.showTableComments, s.showTableComments);
        EXPECT_EQ(r.doubletStoreProc, s.doubletStoreProc);
        EXPECT_EQ(r.sqlDelimiter, s.sqlDelimiter);
        EXPECT_EQ(r.sqlColor, s.sqlColor);
        EXPECT_EQ(r.digitColor, s.digitColor);
        EXPECT_EQ(r.strColor, s.strColor);
        EXPECT_EQ(r.panelsColor, s.panelsColor);
    }
}

TEST_F(SettingsFile, ReadingRules) {
    struct Case {
        const char* name;
        const char* text;
        std::function<void(const Settings&)> check;
    };
    const Case cases[] = {
        {"missing file gives the defaults", nullptr, [](const Settings& s) {
             EXPECT_EQ(s.left.databaseName, "");
             EXPECT_EQ(s.shell.mainFormWidth, 640);
             EXPECT_EQ(s.shell.mainFormHeight, 430);
             EXPECT_EQ(s.panelsColor, kWindowColour);
             EXPECT_EQ(s.sqlColor, 16711680);
             EXPECT_EQ(s.strColor, 8388608);
             EXPECT_EQ(s.panelFont.name, "MS SANS SERIF");
             EXPECT_EQ(s.panelFont.size, 10);
             EXPECT_TRUE(s.showTableComments);
             EXPECT_TRUE(s.shell.dbKeepConnection);
             EXPECT_EQ(s.shell.showStartForm, "CENTER"); }},
        {"hexadecimal system colour", "[SETUP]\nPANELSCOLOR=0x80000005\nSQLCOLOR=0xFF\n", [](const Settings& s) {
             EXPECT_TRUE(isSystemColour(s.panelsColor));
             EXPECT_EQ(systemColourIndex(s.panelsColor), 5);
             EXPECT_EQ(s.sqlColor, 255); }},
        {"wrong types give the defaults",
         "[SETUP]\nMAINFORMWIDTH=wide\nAUTOSAVE=yes\nSQLCOLOR=0xZZ\nLANGUAGE=1.5\n[FONT]\nSIZE=\nSTYLE=bold\n",
         [](const Settings& s) {
             EXPECT_EQ(s.shell.mainFormWidth, 640);
             EXPECT_FALSE(s.shell.autoSave);
             EXPECT_EQ(s.sqlColor, 16711680);
             EXPECT_EQ(s.shell.language, 0);
             EXPECT_EQ(s.panelFont.size, 10);
             EXPECT_FALSE(s.panelFont.bold); }},
        {"booleans are integers true when not 0", "[SETUP]\nAUTOSAVE=2\nVIEWTOOLBAR=0\nSHOWTRAYICON=-1\n",
         [](const Settings& s) {
             EXPECT_TRUE(s.shell.autoSave);
             EXPECT_FALSE(s.shell.viewToolBar);
             EXPECT_TRUE(s.shell.showTrayIcon); }},
        {"unknown sections and keys are ignored", "[WHATEVER]\nLEFTDATABASE=/x\n[SETUP]\nNOSUCHKEY=1\nLANGUAGE=7\n",
         [](const Settings& s) {
             EXPECT_EQ(s.left.databaseName, "");
             EXPECT_EQ(s.shell.language, 7); }},
        {"names ignore case, values are trimmed", "[database names]\n leftdatabase = /data/demo \r\n",
         [](const Settings& s) { EXPECT_EQ(s.left.databaseName, "/data/demo"); }},
        {"font style codes", "[FONT]\nSTYLE=5\n[SQL Editor Font]\nSTYLE=99\n", [](const Settings& s) {
             EXPECT_TRUE(s.panelFont.bold);
             EXPECT_TRUE(s.panelFont.italic);
             EXPECT_FALSE(s.panelFont.underline);
             EXPECT_FALSE(s.sqlEditorFont.bold || s.sqlEditorFont.italic || s.sqlEditorFont.underline ||
                          s.sqlEditorFont.strikeOut); }},
        {"one-character formats", "[FORMATS]\nDateSeparator=.-\nThousandSeparator=\n", [](const Settings& s) {
             EXPECT_EQ(s.formats.dateSeparator, ".");
             EXPECT_EQ(s.formats.thousandSeparator, " "); }},
        {"empty delimiter gives the default", "[SETUP]\nSQLDELIMITER=\n",
         [](const Settings& s) { EXPECT_EQ(s.sqlDelimiter, ";"); }},
    };
    for (const auto& c : cases) {
        if (!c.check) continue;
        SCOPED_TRACE(c.name);
        fs::remove(path_);
        if (c.text) put(c.text);
        c.check(readSettings(path_));
    }
    put("[DATABASE NAMES]\nLEFTDATABASE=" + std::string(2000, 'x') + "\n");
    EXPECT_EQ(readSettings(path_).left.databaseName.size(), 1023u);
}

TEST_F(SettingsFile, WritingKeepsHandTypedKeysAndEncodesValues) {
    put("; my notes\n[SETUP]\nSHOWSTARTFORM=RightTop\nPANELSCOLOR=0x80000005\n[MINE]\nX=1\n");
    Settings s = readSettings(path_);
    s.panelFont.bold = s.panelFont.italic = true;
    s.sqlEditorFont.bold = s.sqlEditorFont.italic = s.sqlEditorFont.strikeOut = true;   // no code: 0
    ASSERT_EQ(writeSettings(path_, s), "");
    std::string t = content();
    EXPECT_NE(t.find("; my notes\n[SETUP]\nSHOWSTARTFORM=RightTop\n"), std::string::npos) << t;
    EXPECT_NE(t.find("[MINE]\nX=1\n"), std::string::npos);
    EXPECT_NE(t.find("PANELSCOLOR=-2147483643\n"), std::string::npos);
    EXPECT_NE(t.find("[FONT]\nNAME=MS SANS SERIF\nCOLOR=0\nSIZE=10\nSTYLE=5\n"), std::string::npos);
    EXPECT_NE(t.find("[SQL Editor Font]\nNAME=MS SANS SERIF\nCOLOR=0\nSIZE=10\nSTYLE=0\n"), std::string::npos);
    EXPECT_NE(t.find("AUTOSAVE=0\n"), std::string::npos);
    EXPECT_EQ(readShowStartForm(path_), "RightTop");
    EXPECT_EQ(t.find("SHOWSTARTFORM=CENTER"), std::string::npos);
    // Passwords are in the file: readable by its owner only.
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SettingsFile, AWriteErrorNamesTheFileAndKeepsTheOldOne) {
    if (::geteuid() == 0) {
        // root writes anywhere: a directory in the file's place fails for everyone.
        fs::create_directories(path_);
        std::string err = writeSettings(path_, Settings());
        EXPECT_NE(err.find("Cannot write the settings file " + path_), std::string::npos) << err;
        return;
    }
    put("[SETUP]\nLANGUAGE=2\n");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    std::string err = writeSettings(path_, Settings());
    EXPECT_NE(err.find(path_), std::string::npos) << err;
    EXPECT_EQ(readSettings(path_).shell.language, 2);
}

TEST_F(SettingsFile, TheFileLivesBesideTheProgramOrPerUser) {
    EXPECT_EQ(settingsFilePath(dir_.string()), (dir_ / "VLM32.INI").string());
    EXPECT_EQ(settingsFilePath(dir_.string() + "/"), (dir_ / "VLM32.INI").string());
    // A program directory that does not exist (or cannot be written) falls back per user.
    ::setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
    EXPECT_EQ(settingsFilePath("/nonexistent/bin/"), (dir_ / "cfg" / "vlm32" / "VLM32.INI").string());
    Settings s;
    s.shell.language = 2;
    ASSERT_EQ(writeSettings(settingsFilePath("/nonexistent/bin/"), s), "");
    EXPECT_EQ(readSettings(settingsReadPath("/nonexistent/bin/")).shell.language, 2);
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(IniInteger, DecimalAndHexadecimal) {
    struct { const char* text; std::optional<std::int32_t> value; } cases[] = {
        {"0", 0}, {"640", 640}, {"-5", -5}, {" 12 ", 12}, {"0x10", 16}, {"0X1f", 31},
        {"0x80000005", std::int32_t(0x80000005u)}, {"-2147483643", std::int32_t(0x80000005u)},
        {"4294967295", -1}, {"", std::nullopt}, {"12a", std::nullopt}, {"0x", std::nullopt},
        {"1.5", std::nullopt}, {"0x100000000", std::nullopt}, {"--1", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseIniInteger(c.text), c.value) << c.text;
}

TEST(FontStyleCodes, EveryCodeRoundTrips) {
    for (int code = 0; code <= 14; ++code) {
        FontSpec f;
        applyFontStyleCode(f, code);
        EXPECT_EQ(fontStyleCode(f), code);
    }
    FontSpec bis;
    bis.bold = bis.italic = bis.strikeOut = true;
    EXPECT_EQ(fontStyleCode(bis), 0);
}

}  // namespace
}  // namespace vlm::panels
