// The configuration file: round trips, what survives a save, malformed lines, defaults.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/config.h"
#include "engine/error.h"

using namespace vlm::engine;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() / ("vlm_config_" + std::to_string(::getpid()) + "_" +
                                            std::to_string(counter()++));
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    static int& counter() { static int c = 0; return c; }
};

struct RoundTripCase {
    const char* name;
    const char* text;
};

const RoundTripCase kRoundTrip[] = {
    {"SystemAndFormats",
     "[\\SYSTEM\\INIT]\nLANGDRIVER=ANCYRR\nLOCAL SHARE=TRUE\n\n[\\SYSTEM\\FORMATS\\DATE]\nSEPARATOR=.\nMODE=1\n"},
    {"CommentsAndBlanks",
     "; engine settings, written by hand\n# another comment\n\n[\\SYSTEM\\INIT]\n  ; indented comment\n"
     "LANGDRIVER = DBWINUS0\n\n\n"},
    {"UnknownSectionKeptAsWritten",
     "[\\SYSTEM\\INIT]\nA=1\n[SOMETHING ELSE]\nfree text that is no parameter\n  X  =  y  \n"},
    {"AliasesAndDrivers",
     "[\\DRIVERS\\SQLITE\\INIT]\nTYPE=SERVER\n[\\DRIVERS\\SQLITE\\DB OPEN]\nSERVER NAME=\n"
     "[\\DATABASES\\DEMO\\DB INFO]\nTYPE=SQLITE\nSERVER NAME=/data/demo db.sqlite\n"},
    {"HeaderWithComment", "[\\SYSTEM\\INIT]   ; the system section\nVERSION=1.0\n"},
    {"CyrillicValues", "[\\DATABASES\\Склад\\DB INFO]\nTYPE=STANDARD\nPATH=/данные/склад\n"},
};

class ConfigRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ConfigRoundTrip, TextAndValuesReadBackTheSame) {
    Config c;
    std::vector<std::string> errors;
    c.parse(GetParam().text, "IDAPI32.CFG", errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(c.toText(), GetParam().text);

    // Saved to a file and loaded again: every section holds the same parameters.
    TempDir dir;
    auto file = (dir.path / "IDAPI32.CFG").string();
    c.saveFile(file);
    Config back;
    ASSERT_TRUE(back.loadFile(file, errors));
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(back.sectionPaths(), c.sectionPaths());
    for (const auto& p : c.sectionPaths()) EXPECT_EQ(back.params(p), c.params(p)) << p;
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigRoundTrip, ::testing::ValuesIn(kRoundTrip),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Config, ChangedValuesSurviveSaveAndOnlyTheirLinesChange) {
    const std::string text =
        "; my engine\n[\\SYSTEM\\INIT]\nLANGDRIVER=DBWINUS0   \nMAXFILEHANDLES=48\n\n"
        "[MY TOOL]\nkeep me = as I am\n\n[\\DATABASES\\DEMO\\DB INFO]\nTYPE=STANDARD\nPATH=/a\n";
    Config c;
    std::vector<std::string> errors;
    c.parse(text, "IDAPI32.CFG", errors);
    c.setValue("\\SYSTEM\\INIT", "maxfilehandles", "100");
    c.setValue("\\SYSTEM\\INIT", "LANGDRIVER", "DBWINUS0");   // same value: the line stays as written
    c.setValue("\\DATABASES\\DEMO\\DB INFO", "DEFAULT DRIVER", "PARADOX");
    c.setValue("\\DATABASES\\NEW\\DB INFO", "TYPE", "SQLITE");
    EXPECT_EQ(c.toText(),
              "; my engine\n[\\SYSTEM\\INIT]\nLANGDRIVER=DBWINUS0   \nMAXFILEHANDLES=100\n\n"
              "[MY TOOL]\nkeep me = as I am\n\n[\\DATABASES\\DEMO\\DB INFO]\nTYPE=STANDARD\nPATH=/a\n"
              "DEFAULT DRIVER=PARADOX\n\n[\\DATABASES\\NEW\\DB INFO]\nTYPE=SQLITE\n");
    c.removeSection("\\databases\\demo\\db info");
    EXPECT_EQ(c.aliasNames(), std::vector<std::string>{"NEW"});
}

TEST(Config, LookupsIgnoreCaseAndLeadingBackslash) {
    Config c;
    std::vector<std::string> errors;
    c.parse("[\\Databases\\Demo\\DB Info]\nType=SQLITE\nType=STANDARD\n", "f", errors);
    EXPECT_EQ(c.value("DATABASES\\DEMO\\DB INFO", "TYPE").value_or("?"), "STANDARD");   // the later line wins
    EXPECT_EQ(c.params("\\databases\\demo\\db info"), std::vector<std::string>{"Type=STANDARD"});
    EXPECT_EQ(c.findAlias("DEMO").value_or("?"), "Demo");
    EXPECT_FALSE(c.value("\\SYSTEM\\INIT", "X").has_value());
}

struct MalformedCase {
    const char* name;
    const char* text;
    std::vector<std::string> errors;   // after the file name
    const char* goodPath;              // a value read despite the errors
    const char* goodName;
    const char* goodValue;
};

class ConfigMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(ConfigMalformed, ReportsFileAndLineAndKeepsTheRest) {
    const auto& tc = GetParam();
    TempDir dir;
    auto file = (dir.path / "IDAPI32.CFG").string();
    { std::ofstream(file, std::ios::binary) << tc.text; }
    Config c;
    std::vector<std::string> errors;
    EXPECT_TRUE(c.loadFile(file, errors));
    std::vector<std::string> expected;
    for (const auto& e : tc.errors) expected.push_back("Configuration file " + file + ", " + e);
    EXPECT_EQ(errors, expected);
    EXPECT_EQ(c.value(tc.goodPath, tc.goodName).value_or("<none>"), tc.goodValue);
    // What was not understood is still written back.
    c.saveFile(file);
    EXPECT_EQ(readAll(file), tc.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigMalformed,
    ::testing::Values(
        MalformedCase{"NoEquals", "[\\SYSTEM\\INIT]\nA=1\ngarbage here\nB=2\n",
                      {"line 3: not a NAME=value line: garbage here"}, "\\SYSTEM\\INIT", "B", "2"},
        MalformedCase{"ParamBeforeSection", "X=1\n[\\SYSTEM\\INIT]\nA=1\n",
                      {"line 1: parameter outside a section: X=1"}, "\\SYSTEM\\INIT", "A", "1"},
        MalformedCase{"UnclosedHeader", "[\\SYSTEM\\INIT\nA=1\n[\\SYSTEM\\FORMATS\\DATE]\nMODE=1\n",
                      {"line 1: section header without ']': [\\SYSTEM\\INIT"},
                      "\\SYSTEM\\FORMATS\\DATE", "MODE", "1"},
        MalformedCase{"BadHeaderMidFile", "[\\SYSTEM\\INIT]\nA=1\n[\\SYSTEM\\FORMATS\nA=2\n",
                      {"line 3: section header without ']': [\\SYSTEM\\FORMATS"}, "\\SYSTEM\\INIT", "A", "1"},
        MalformedCase{"EmptyNameAndControlBytes",
                      "[\\DRIVERS\\SQLITE\\DB OPEN]\n=x\nA\x01=2\nB=3\n",
                      {"line 2: parameter without a name: =x", "line 3: unreadable characters"},
                      "\\DRIVERS\\SQLITE\\DB OPEN", "B", "3"},
        MalformedCase{"EmptySectionName", "[  ]\n[\\SYSTEM\\INIT]\nA=1\n",
                      {"line 1: empty section name"}, "\\SYSTEM\\INIT", "A", "1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Config, MissingFileIsNoErrorAndUnreadableIsReported) {
    TempDir dir;
    Config c;
    std::vector<std::string> errors;
    EXPECT_FALSE(c.loadFile((dir.path / "none.cfg").string(), errors));
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(c.loadFile(dir.path.string(), errors));
    EXPECT_EQ(errors, std::vector<std::string>{"Cannot read configuration file " + dir.path.string() +
                                               ": it is a directory"});
}

TEST(Config, SaveFailureNamesTheFileAndKeepsTheOldOne) {
    TempDir dir;
    auto file = dir.path / "sub" / "IDAPI32.CFG";
    Config c = Config::defaults();
    try {
        c.saveFile(file.string());
        FAIL() << "saving into a missing directory succeeded";
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot save configuration file " + file.string() + ": No such file or directory");
        EXPECT_EQ(e.category(), ErrorCategory::Config);
    }
}

TEST(Config, DefaultsHaveSystemSectionsAndKnownDriversTheirParameters) {
    Config c = Config::defaults();
    for (const char* p : {"\\SYSTEM\\INIT", "\\SYSTEM\\FORMATS\\DATE", "\\SYSTEM\\FORMATS\\TIME",
                          "\\SYSTEM\\FORMATS\\NUMBER"})
        EXPECT_FALSE(c.params(p).empty()) << p;
    EXPECT_EQ(c.value("\\SYSTEM\\INIT", "DEFAULT DRIVER").value_or(""), "PARADOX");
    c.ensureDriver("STANDARD", "Local tables");
    EXPECT_EQ(c.params("\\DRIVERS\\STANDARD\\DB OPEN"),
              (std::vector<std::string>{"PATH=", "DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"}));
    EXPECT_EQ(c.value("\\DRIVERS\\STANDARD\\INIT", "DESCRIPTION").value_or(""), "Local tables");
    // A file that lacks a default parameter gets it; a value it has is kept.
    Config f;
    std::vector<std::string> errors;
    f.parse("[\\SYSTEM\\FORMATS\\DATE]\nSEPARATOR=-\n", "f", errors);
    f.addMissingDefaults();
    EXPECT_EQ(f.value("\\SYSTEM\\FORMATS\\DATE", "SEPARATOR").value_or(""), "-");
    EXPECT_TRUE(f.value("\\SYSTEM\\FORMATS\\DATE", "MODE").has_value());
}

}  // namespace
