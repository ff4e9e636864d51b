// Host tests of the conversions (platform/convert.h): parse_int with full-width
// forms and 32-bit wrap, "%.13g" printing, x86-style real-to-integer
// truncation, and bytes to text. Literals are GBK (-fexec-charset=GBK).
#include "platform/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <string>

namespace {

TEST(Convert, ParseInt) {
    struct Row {
        Text t;
        std::int32_t expected;
    };
    const Row rows[] = {
        // Everyday inputs.
        {"  -12abc", -12},
        {"１２", 12},
        {"abc", 0},
        {"", 0},
        // White space, sign, digits.
        {"42", 42},
        {"+7", 7},
        {"-0", 0},
        {"007", 7},
        {"12 34", 12},
        {"\t\n\v\f\r 42", 42},
        {"-", 0},
        {"+", 0},
        {"+-3", 0},
        {"--3", 0},
        {"- 5", 0},
        {"0x1A", 0},
        {"1e5", 1},
        {"3.9", 3},
        {"\x01" "5", 0},  // control bytes other than the six are no white space
        // Full-width digits, signs and space (A3 B0..B9, A3 AB, A3 AD, A1 A1).
        {"－１２", -12},
        {"＋５", 5},
        {"　42", 42},
        {"　　－３", -3},
        {"1２3", 123},
        {" 　\t９9", 99},
        {"１２ａ", 12},
        {"－ ５", 0},
        {"年12", 0},  // another double-byte character stops it
        // The pre-pass goes by characters: A1 A3 is one character, so the
        // following B1 is a lone byte, not part of "１".
        {"\xA1\xA1\xA1\xA3\xB1", 0},
        // 32-bit wrap.
        {"2147483647", 2147483647},
        {"2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"-2147483649", 2147483647},
        {"4294967295", -1},
        {"4294967296", 0},
        {"4294967297", 1},
        {"99999999999999999999", 1661992959},
        {"-99999999999999999999", -1661992959},
        {"２１４７４８３６４８", std::numeric_limits<std::int32_t>::min()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("\"" + r.t + "\"");
        EXPECT_EQ(parse_int(r.t), r.expected);
    }
}

TEST(Convert, RealToText) {
    struct Row {
        double x;
        Text expected;
    };
    const Row rows[] = {
        {12.0, "12"},
        {0.0, "0"},
        {-7.0, "-7"},
        {0.5, "0.5"},
        {-3.25, "-3.25"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333"},
        {2.0 / 3.0, "0.6666666666667"},
        {123456789.123, "123456789.123"},
        {9999999999999.0, "9999999999999"},
        {1e13, "1e+13"},
        {12345678901234.0, "1.234567890123e+13"},
        {1e-5, "1e-05"},
        {0.0001, "0.0001"},
        {2147483648.0, "2147483648"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.expected);
        EXPECT_EQ(real_to_text(r.x), r.expected);
    }
}

TEST(Convert, RealToIntTruncatesAndKeepsLow32Bits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double two63 = 9223372036854775808.0;
    struct Row {
        const char* what;
        double x;
        std::int32_t expected;
    };
    const Row rows[] = {
        {"1.9", 1.9, 1},
        {"-1.9", -1.9, -1},
        {"0.99999", 0.99999, 0},
        {"-0.5", -0.5, 0},
        {"-0.0", -0.0, 0},
        {"2147483647.9", 2147483647.9, 2147483647},
        {"-2147483648.9", -2147483648.9, std::numeric_limits<std::int32_t>::min()},
        {"2^31", 2147483648.0, std::numeric_limits<std::int32_t>::min()},
        {"-(2^31 + 1)", -2147483649.0, 2147483647},
        {"2^32", 4294967296.0, 0},
        {"2^32 + 1.5", 4294967297.5, 1},
        {"2^32 + 7", 4294967303.0, 7},
        {"-(2^40 + 3)", -1099511627779.0, -3},
        {"2^63 - 1024", 9223372036854774784.0, -1024},
        {"-(2^63 - 1024)", -9223372036854774784.0, 1024},
        // The x86 "integer indefinite" 0x8000000000000000: low 32 bits 0.
        {"2^63", two63, 0},
        {"-2^63", -two63, 0},
        {"1e19", 1e19, 0},
        {"-1e300", -1e300, 0},
        {"NaN", nan, 0},
        {"+inf", inf, 0},
        {"-inf", -inf, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(real_to_int(r.x), r.expected);
    }
}

TEST(Convert, IntToTextMatchesPrintf) {
    const std::int32_t rows[] = {0, 7, -7, 10, 65548, -65548, 2147483647, -2147483647 - 1};
    for (std::int32_t v : rows) {
        SCOPED_TRACE(v);
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d", static_cast<int>(v));
        EXPECT_EQ(int_to_text(v), expected);
    }
}

TEST(Convert, TextOfBytes) {
    struct Row {
        Bytes b;
        Text expected;
    };
    const Row rows[] = {
        {{0x61, 0x62, 0x00, 0x63}, "ab"},
        {{0x61, 0x62}, "ab"},
        {{}, ""},
        {{0x00}, ""},
        {{0x00, 0x61}, ""},
        {{0xC4, 0xEA, 0x00}, "年"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.expected);
        EXPECT_EQ(text_of_bytes(r.b), r.expected);
    }
}

}  // namespace
