// The name a column or index gets on another server: plain names follow the destination's case.
#include <gtest/gtest.h>

#include "engine/identifiers.h"

using namespace vlm::engine;

TEST(Identifiers, PlainNamesFollowTheDestinationsCase) {
    constexpr auto U = IdentifierCase::Upper, L = IdentifierCase::Lower, W = IdentifierCase::AsWritten;
    struct Case {
        const char* name;
        IdentifierCase from, to;
        const char* carried;
    } cases[] = {
        {"qty", L, U, "QTY"}, {"QTY", U, L, "qty"}, {"qty", L, W, "qty"}, {"QTY", U, W, "QTY"},
        {"qty", W, U, "QTY"}, {"QTY", W, L, "qty"}, {"qty", W, W, "qty"}, {"QTY", U, U, "QTY"},
        {"qty_2", L, U, "QTY_2"}, {"_tmp", L, U, "_TMP"},
        // Quoted on the source: kept as they are.
        {"Qty", L, U, "Qty"}, {"qty", U, L, "qty"}, {"QTY", L, U, "QTY"}, {"MiXeD", W, L, "MiXeD"},
        {"unit price", L, U, "unit price"}, {"1st", L, U, "1st"}, {"order", L, U, "order"}, {"USER", U, L, "USER"},
        {"Имя", U, L, "Имя"}, {"a.b", L, U, "a.b"}, {"", L, U, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(carryIdentifier(c.name, c.from, c.to), c.carried) << c.name << " " << int(c.from) << "->" << int(c.to);
}
