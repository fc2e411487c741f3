// The Firebird driver's pure parts: exact numbers, date and time encodings, status mapping.
#include <gtest/gtest.h>

#include <ibase.h>

#include "engine/drivers/firebird/fberror.h"
#include "engine/drivers/firebird/fbtypes.h"

using namespace vlm::engine;
using namespace vlm::engine::firebird;

TEST(FirebirdTypes, ScaledIntegersFormatWithTheirScale) {
    struct Case {
        std::int64_t value;
        int scale;
        const char* text;
    } cases[] = {
        {9999, -2, "99.99"}, {-1250, -2, "-12.50"}, {5, -3, "0.005"}, {-5, -1, "-0.5"},
        {0, -2, "0.00"}, {42, 0, "42"}, {INT64_MIN, -4, "-922337203685477.5808"},
        {INT64_MAX, -18, "9.223372036854775807"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatScaled(c.value, c.scale), c.text) << c.value;
}

TEST(FirebirdTypes, DatesAndTimesRoundTripTheIscEncoding) {
    EXPECT_EQ(encodeDate({1858, 11, 17}), 0);
    EXPECT_EQ(encodeDate({1970, 1, 1}), 40587);
    for (Date d : {Date{1, 1, 1}, Date{1900, 2, 28}, Date{2000, 2, 29}, Date{2024, 12, 31}, Date{9999, 12, 31}})
        EXPECT_EQ(decodeDate(encodeDate(d)), d) << d.year;
    Time t{23, 59, 59, 999};
    EXPECT_EQ(encodeTime(t), 863999990u);
    EXPECT_EQ(decodeTime(encodeTime(t)), t);
}

TEST(FirebirdTypes, StatusVectorsMapToEngineErrors) {
    struct Case {
        ISC_STATUS code;
        ErrorCategory category;
        int engineCode;
    } cases[] = {
        {isc_login, ErrorCategory::Connect, errc::LoginFailed},
        {isc_network_error, ErrorCategory::Connect, errc::ConnectBase},
        {isc_unique_key_violation, ErrorCategory::Data, errc::KeyViolation},
        {isc_arith_except, ErrorCategory::Data, errc::ConversionFailed},
        {isc_dsql_error, ErrorCategory::Sql, errc::SqlBase},
    };
    for (const auto& c : cases) {
        ISC_STATUS v[] = {isc_arg_gds, c.code, isc_arg_end};
        auto e = statusError(v);
        EXPECT_EQ(e.category(), c.category) << c.code;
        EXPECT_EQ(e.code(), c.engineCode) << c.code;
        EXPECT_EQ(e.nativeCode(), int(c.code));
        ASSERT_GE(e.messages().size(), 2u);
    }
    ISC_STATUS login[] = {isc_arg_gds, isc_login, isc_arg_end};
    EXPECT_EQ(statusError(login).messages()[1],
              "Your user name and password are not defined. Ask your database administrator to set up a Firebird login.");
}
