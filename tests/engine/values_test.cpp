// Value text forms and conversions, and numeric display formats.
#include <gtest/gtest.h>

#include "engine/displayformat.h"
#include "engine/error.h"
#include "engine/types.h"

using namespace vlm::engine;

TEST(Value, TextForms) {
    struct Case {
        const char* name;
        Value v;
        const char* text;
    } cases[] = {
        {"null", Value(), ""},
        {"true", Value(true), "True"},
        {"false", Value(false), "False"},
        {"integer", Value(std::int64_t(-9007199254740993)), "-9007199254740993"},
        {"float", Value(0.1), "0.1"},
        {"float exact", Value(1.0 / 3), "0.3333333333333333"},
        {"whole float", Value(2.0), "2"},
        {"text", Value("Привет"), "Привет"},
        {"bytes", Value(Bytes{0x00, 0xAB, 0x10}), "00AB10"},
        {"float large", Value(1e20), "1e+20"},
        {"float 17 digits", Value(0.1 + 0.2), "0.30000000000000004"},
        {"float whole, 9 digits", Value(100000000.0), "100000000"},
        {"float small", Value(-1e-5), "-1e-05"},
        {"date", Value(Date{2024, 2, 9}), "2024-02-09"},
        {"date, early year", Value(Date{33, 1, 2}), "0033-01-02"},
        {"time", Value(Time{7, 5, 3, 0}), "07:05:03"},
        {"time msec", Value(Time{7, 5, 3, 40}), "07:05:03.040"},
        {"datetime", Value(DateTime{{1999, 12, 31}, {23, 59, 59, 0}}), "1999-12-31 23:59:59"},
        {"decimal", Value(Decimal{"-12.50"}), "-12.50"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.v.asText(), c.text);
    }
}

TEST(Value, Conversions) {
    EXPECT_EQ(Value(" 42 ").asInteger(), 42);
    EXPECT_EQ(Value(Decimal{"12.5"}).asFloat(), 12.5);
    EXPECT_EQ(Value(2.6).asInteger(), 3);
    EXPECT_TRUE(Value("Yes").asBoolean());
    EXPECT_FALSE(Value("0").asBoolean());
    EXPECT_EQ(Value().asInteger(), 0);
    try {
        Value("12a").asFloat();
        ADD_FAILURE() << "no error";
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()), "'12a' is not a valid number");
    }
    EXPECT_THROW(Value("maybe").asBoolean(), EngineError);
}

TEST(DisplayFormat, Numbers) {
    struct Case {
        double v;
        const char* format;
        const char* text;
    } cases[] = {
        {1234.5, "#.##", "1234.5"},
        {1234.567, "#.##", "1234.57"},
        {0.5, "#.##", ".5"},
        {3, "#.00", "3.00"},
        {3.14159, "00.##", "03.14"},
        {2.5, "0.000", "2.500"},
        {2.5, "0.00#", "2.50"},
        {2.5556, "0.0##", "2.556"},
        {1234567.891, "#,###.##", "1,234,567.89"},
        {-1234.5, "#,###.00", "-1,234.50"},
        {-5, "0.0;(0.0)", "(5.0)"},
        {0, "0.0;-0.0;'zero'", "zero"},
        {12, "'$'0.00", "$12.00"},
        {12, "0 kg", "12 kg"},
        {-0.001, "0.00", "0.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " of " + std::to_string(c.v));
        EXPECT_EQ(formatNumber(c.v, c.format), c.text);
    }
}
