// The filter language over one row of values.
#include <gtest/gtest.h>

#include "engine/error.h"
#include "engine/filter.h"

using namespace vlm::engine;

namespace {
const std::vector<std::string> kNames = {"NAME", "CITY", "AMOUNT", "BORN", "NOTE", "OK", "MY FIELD"};
const std::vector<Value> kRow = {Value("Ivanov"), Value("Moscow"), Value(Decimal{"150.50"}),
                                 Value(Date{1990, 5, 17}), Value(), Value(true), Value(7)};

bool eval(const std::string& text) {
    auto f = FilterExpression::parse(text);
    f.bind([](const std::string& n) {
        for (std::size_t i = 0; i < kNames.size(); ++i)
            if (strcasecmp(kNames[i].c_str(), n.c_str()) == 0) return int(i);
        return -1;
    });
    return f.matches([](int i) -> const Value& { return kRow[std::size_t(i)]; });
}
}  // namespace

TEST(Filter, Expressions) {
    struct Case {
        const char* text;
        bool result;
    } cases[] = {
        {"NAME = 'Ivanov'", true},
        {"name = 'ivanov'", false},                 // texts compare exactly
        {"NAME = 'Iva*'", true},
        {"NAME = 'Ivo*'", false},
        {"NAME <> 'Iva*'", false},
        {"NAME = '*'", true},
        {"'Iva*' = NAME", true},
        {"AMOUNT > 100", true},
        {"AMOUNT >= 150.5", true},
        {"AMOUNT < 150.5", false},
        {"AMOUNT <= '150.5'", true},                // a text that reads as a number
        {"AMOUNT != 1", true},
        {"BORN >= '1990-01-01' and BORN < '1991-01-01'", true},
        {"NOTE is null", true},
        {"NOTE IS NOT NULL", false},
        {"NAME is not null", true},
        {"NOTE = 'x'", false},                      // nothing equals null
        {"NOTE <> 'x'", false},
        {"not NOTE = 'x'", true},
        {"OK = TRUE", true},
        {"OK = false", false},
        {"CITY = 'Moscow' and (AMOUNT < 10 or NAME = 'Iv*')", true},
        {"CITY = 'Moscow' and AMOUNT < 10 or NAME = 'Iv*'", true},
        {"CITY = 'Kiev' and (AMOUNT < 10 or NAME = 'Iv*')", false},
        {"not (CITY = 'Kiev' or CITY = 'Minsk')", true},
        {"[MY FIELD] = 7", true},
        {"\"MY FIELD\" > 6.5", true},
        {"NAME = 'O''Brien'", false},
        {"  ", true},                               // blank: every record
        {"AMOUNT > -1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(eval(c.text), c.result);
    }
}

TEST(Filter, BadExpressionsNameThePlace) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"NAME = ", "Bad filter expression: unexpected end at position 8"},
        {"NAME 'x'", "Bad filter expression: comparison operator expected at position 6"},
        {"(NAME = 'x'", "Bad filter expression: missing ')' at position 12"},
        {"NAME = 'x", "Bad filter expression: unterminated text at position 8"},
        {"NAME = 'x' and", "Bad filter expression: unexpected end at position 15"},
        {"NAME = 'x' 'y'", "Bad filter expression: unexpected ''y'' at position 12"},
        {"NOTE is 5", "Bad filter expression: NULL expected after IS at position 9"},
        {"= 5", "Bad filter expression: unexpected '=' at position 1"},
        {"and = 1", "Bad filter expression: operand expected before 'and' at position 1"},
        {"NOSUCH = 1", "Bad filter expression: field 'NOSUCH' not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            eval(c.text);
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}
