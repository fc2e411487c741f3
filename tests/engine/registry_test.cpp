// The driver registry on its own: drivers hand the engine their column types and open
// parameters with their registration, and the engine core links no driver.
#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/error.h"
#include "engine/registry.h"

using namespace vlm::engine;

namespace {

// Rows with one text for every class, so a test sees whose rows answered.
constexpr NativeTypeRows allCells(const char* text) {
    NativeTypeRows r{};
    for (auto& c : r.cells) c = text;
    return r;
}

struct Fixture {
    static constexpr NativeTypeRows a = allCells("A"), b = allCells("B"), g = allCells("G");
};

DriverRegistry::Factory noDriver() {
    return [] { return std::unique_ptr<Driver>(); };
}

FieldDef anyField() {
    FieldDef f;
    f.logicalType = logical::INT32;
    return f;
}

}  // namespace

TEST(DriverRegistry, ColumnTypesByOwnNameWordRankAndGeneric) {
    DriverRegistry r;
    r.add("ALPHA", {.factory = noDriver(), .columnTypes = &Fixture::a, .nameWords = {"alpha"}, .nameRank = 2});
    r.add("BETA", {.factory = noDriver(), .columnTypes = &Fixture::b, .nameWords = {"BETA"}, .nameRank = 1});
    r.add("GEN", {.factory = noDriver(), .columnTypes = &Fixture::g, .genericColumnTypes = true});
    r.add("FILES", {.factory = noDriver(), .openParams = {"PATH="}});   // no column types of its own
    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {
        {"alpha", "A"},              // own name, any case
        {"beta", "B"},
        {"MY ALPHA SOURCE", "A"},    // a word in the name
        {"ALPHA AND BETA", "B"},     // words of two drivers: the lower rank
        {"FILES", "G"},              // registered without column types: the generic ones
        {"SOMETHING ELSE", "G"},
        {"", "G"},
    };
    for (const auto& c : cases) EXPECT_EQ(nativeColumnType(r.columnTypesFor(c.name), anyField()), c.expected) << c.name;
}

TEST(DriverRegistry, NoColumnTypesIsAnErrorAndIncompleteRowsAreRefused) {
    DriverRegistry r;
    r.add("FILES", noDriver());
    try {
        r.columnTypesFor("FILES");
        FAIL() << "column types without any driver giving them";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), errc::UnknownDriver);
    }
    NativeTypeRows incomplete = Fixture::a;
    incomplete.cells[std::size_t(TypeClass::Timestamp)] = nullptr;
    EXPECT_THROW(r.add("HALF", {.factory = noDriver(), .columnTypes = &incomplete}), std::invalid_argument);
    EXPECT_FALSE(r.has("HALF"));
    EXPECT_THROW(r.add("NOTHING", DriverRegistry::DriverInfo{}), std::invalid_argument);
}

TEST(DriverRegistry, OpenParametersAreTheDriversOrTheGenericOnes) {
    DriverRegistry r;
    r.add("FILES", {.factory = noDriver(), .openParams = {"PATH=", "DEFAULT DRIVER=PARADOX"}});
    r.add("BARE", noDriver());
    EXPECT_EQ(r.openParams("files"), (std::vector<std::string>{"PATH=", "DEFAULT DRIVER=PARADOX"}));
    EXPECT_EQ(r.openParams("BARE"), (std::vector<std::string>{"SERVER NAME=", "USER NAME="}));
    EXPECT_EQ(r.openParams("UNKNOWN"), (std::vector<std::string>{"SERVER NAME=", "USER NAME="}));
}

// This program links the engine core only: the core must not pull its drivers in.
TEST(DriverRegistry, TheEngineCoreAloneHasNoDrivers) {
    EXPECT_TRUE(DriverRegistry::standard().names().empty());
    EXPECT_THROW(nativeColumnType("SQLITE", anyField()), EngineError);
}
