// Host tests of the text operations (platform/text.h): raw-byte cutting, and
// searching, replacing, splitting, trimming and folding that step over the two
// bytes of a code page 936 character. Literals are GBK (-fexec-charset=GBK).
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// "61 B0 A1": failure messages show the bytes, readable whatever the terminal.
std::string hex(const Text& t) {
    std::string out;
    char buf[4];
    for (unsigned char c : t) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    if (!out.empty()) out.pop_back();
    return "[" + out + "]";
}

std::string hex_list(const TextList& list) {
    std::string out = "{";
    for (const Text& t : list) out += hex(t) + " ";
    return out + "}";
}

TEST(Text, GbkLiteralsAreCodePage936) {
    // The whole file relies on this: "年" is C4 EA, "　" is A1 A1.
    EXPECT_EQ(Text("\xC4\xEA"), Text("年"));
    EXPECT_EQ(Text("\xA1\xA1"), Text("　"));
    EXPECT_EQ(Text("\x23\xD2\xFD\xBA\xC5"), Text("#引号"));
}

TEST(Text, TextLen) {
    struct Row {
        Text t;
        int expected;
    };
    const Row rows[] = {{"", 0}, {"a", 1}, {"abc", 3}, {"年月", 4}, {"a\xB0", 2}};
    for (const Row& r : rows) {
        SCOPED_TRACE(hex(r.t));
        EXPECT_EQ(text_len(r.t), r.expected);
    }
}

TEST(Text, CuttingCountsRawBytes) {
    struct Row {
        const char* op;
        Text t;
        int pos;  // mid_of only
        int n;
        Text expected;
    };
    const Row rows[] = {
        {"left", "abcdef", 0, 3, "abc"},
        {"left", "abc", 0, 10, "abc"},
        {"left", "abc", 0, 0, ""},
        {"left", "abc", 0, -1, ""},
        {"left", "", 0, 2, ""},
        {"left", "年月", 0, 1, "\xC4"},  // cuts through the character
        {"left", "年月", 0, 3, "\xC4\xEA\xD4"},
        {"right", "abcdef", 0, 2, "ef"},
        {"right", "abc", 0, 10, "abc"},
        {"right", "abc", 0, 0, ""},
        {"right", "abc", 0, -5, ""},
        {"right", "年月", 0, 1, "\xC2"},
        {"right", "年月", 0, 3, "\xEA\xD4\xC2"},
        {"mid", "abcdef", 2, 3, "bcd"},
        {"mid", "abcdef", 1, 6, "abcdef"},
        {"mid", "abcdef", 4, 10, "def"},
        {"mid", "abcdef", 6, 1, "f"},
        {"mid", "abcdef", 7, 1, ""},
        {"mid", "abcdef", 0, 3, ""},
        {"mid", "abcdef", -1, 3, ""},
        {"mid", "abcdef", 2, 0, ""},
        {"mid", "abcdef", 2, -1, ""},
        {"mid", "", 1, 1, ""},
        {"mid", "年月", 2, 2, "\xEA\xD4"},
        {"whole", "abc", 0, 2, "ab"},
        {"whole", "abc", 0, 10, "abc"},
        {"whole", "abc", 0, 0, ""},
        {"whole", "abc", 0, -1, ""},
        {"whole", "年月", 0, 3, "\xC4\xEA"},
        {"whole", "年月", 0, 1, ""},
        {"whole", "a年", 0, 2, "a"},
        {"whole", "a\xC4", 0, 2, "a\xC4"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.op) + " " + hex(r.t) + " pos " + std::to_string(r.pos) +
                     " n " + std::to_string(r.n));
        Text got;
        if (std::string(r.op) == "left") got = left_of(r.t, r.n);
        if (std::string(r.op) == "right") got = right_of(r.t, r.n);
        if (std::string(r.op) == "mid") got = mid_of(r.t, r.pos, r.n);
        if (std::string(r.op) == "whole") got = left_whole_chars(r.t, r.n);
        EXPECT_EQ(hex(got), hex(r.expected));
    }
}

TEST(Text, FindFirst) {
    struct Row {
        Text t;
        Text s;
        int start;
        bool ignore_case;
        int expected;
    };
    const Row rows[] = {
        // The dots of "a.b.c" from several starts.
        {"a.b.c", ".", 3, false, 4},
        {"a.b.c", ".", 0, false, 2},
        {"a.b.c", ".", 6, false, -1},
        {"a.b.c", ".", 1, false, 2},
        {"a.b.c", ".", -7, false, 2},
        {"a.b.c", ".", 5, false, -1},
        {"a.b.c", "c", 5, false, 5},
        {"a.b.c", "b.c", 1, false, 3},
        {"a.b.c", "x", 1, false, -1},
        {"a.b.c", "a.b.c.", 1, false, -1},
        {"", "a", 1, false, -1},
        // Empty needle: 1 when the searched part is not empty.
        {"abc", "", 1, false, 1},
        {"abc", "", 3, false, 1},
        {"abc", "", 4, false, -1},
        {"", "", 1, false, -1},
        // ASCII case folding.
        {"Hello", "LL", 1, false, -1},
        {"Hello", "LL", 1, true, 3},
        {"Hello", "hello", 1, true, 1},
        {"HELLO", "o", 1, true, 5},
        // Double-byte boundaries. 年 C4 EA, 月 D4 C2, 啊 B0 A1, 丂 81 40.
        {"年月", "\xEA\xD4", 1, false, -1},  // across the boundary of 年|月
        {"年月", "\xEA", 1, false, -1},      // inside 年
        {"年月", "\xC2", 1, false, -1},      // trail byte of 月
        {"年月", "\xC4", 1, false, -1},      // would end inside 年
        {"年月", "月", 1, false, 3},
        {"年月", "年月", 1, false, 1},
        {"\xB0\xA1\xA1\xA1", "\xA1\xA1", 1, false, 3},  // 啊　: not at byte 2
        {"\xB0\xA1\xA1", "\xA1", 1, false, 3},          // a final lone lead byte is a character
        {"\xB0\xA1\xA1", "\xA1\xA1", 1, false, -1},
        {"\x81" "A", "A", 1, false, -1},  // 81 41 is one character, its trail byte is no 'A'
        {"\x81" "A", "a", 1, true, -1},
        {"\x81" "Aa", "A", 1, true, 3},
        {"\x81" "a", "\x81" "A", 1, true, -1},  // trail bytes are never folded
        {"x年", "X年", 1, true, 1},
        // A start inside a double-byte character: the next character is the
        // first candidate. 年a年a is C4 EA 61 C4 EA 61.
        {"年a年a", "a", 2, false, 3},
        {"年a年a", "\xEA", 2, false, -1},
        {"年a年a", "\xEA" "a", 1, false, -1},
        {"年a年a", "年", 2, false, 4},
        {"年a年a", "年", 5, false, -1},
        {"年a年a", "a", 6, false, 6},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(hex(r.t) + " find " + hex(r.s) + " from " + std::to_string(r.start) +
                     (r.ignore_case ? " ignoring case" : ""));
        EXPECT_EQ(find_first(r.t, r.s, r.start, r.ignore_case), r.expected);
    }
    EXPECT_EQ(find_first("a.b.c", "."), 2);  // default start 1, case sensitive
}

TEST(Text, FindLast) {
    struct Row {
        Text t;
        Text s;
        int expected;
    };
    const Row rows[] = {
        {"a.b.c", ".", 4},
        {"abab", "ab", 3},
        {"aaa", "aa", 2},
        {"abc", "x", -1},
        {"abc", "ABC", -1},  // case sensitive
        {"abc", "", 1},
        {"", "", -1},
        {"", "a", -1},
        {"年月年", "年", 5},
        {"啊啊", "\xA1\xB0", -1},  // B0 A1 B0 A1: only across the boundary
        {"啊啊", "\xA1", -1},
        {"\xB0\xA1\xA1", "\xA1", 3},
        {"\x81" "A", "A", -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(hex(r.t) + " find last " + hex(r.s));
        EXPECT_EQ(find_last(r.t, r.s), r.expected);
    }
}

TEST(Text, TrimBlanks) {
    struct Row {
        Text t;
        Text expected;
    };
    const Row rows[] = {
        {" \ta　", "\ta"},
        {"　a　 ", "a"},
        {"  a b  ", "a b"},
        {"a", "a"},
        {"   ", ""},
        {"　　", ""},
        {" 　 ", ""},
        {"", ""},
        {"\r\na\r\n", "\r\na\r\n"},
        {"\ta\t", "\ta\t"},
        {" 年 ", "年"},
        {"\xB0\xA1\xA1", "\xB0\xA1\xA1"},        // 啊 + lone A1: its last bytes A1 A1 are no space
        {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},        // 啊　
        {"\xA1\xA1\xA1", "\xA1"},                // 　 + lone A1
        {"\xA1\xB0\xA1\xA1", "\xA1\xB0"},        // A1 B0 is a character, then 　
        {" \xA1", "\xA1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(hex(r.t));
        EXPECT_EQ(hex(trim_blanks(r.t)), hex(r.expected));
    }
}

TEST(Text, Substitute) {
    struct Row {
        Text t;
        Text old_part;
        Text new_part;
        bool case_sensitive;
        Text expected;
    };
    const Row rows[] = {
        {"a.b.c", ".", "-", true, "a-b-c"},
        {"a.b.c", ".", "", true, "abc"},
        {"aaaa", "aa", "b", true, "bb"},  // left to right, no overlap
        {"aaa", "aa", "b", true, "ba"},
        {"abc", "abc", "", true, ""},
        {"abc", "x", "y", true, "abc"},
        {"", "a", "b", true, ""},
        {"abc", "", "x", true, "abc"},
        {"ab", "b", "bb", true, "abb"},  // the replacement is not searched again
        // Case folding of ASCII letters.
        {"aBcAbC", "abc", "x", true, "aBcAbC"},
        {"aBcAbC", "abc", "x", false, "xx"},
        {"aBcAbC", "ABC", "", false, ""},
        {"Hello World", "o", "0", false, "Hell0 W0rld"},
        // Double-byte characters are stepped over whole.
        {"年月", "\xEA\xD4", "x", true, "年月"},
        {"年月", "\xEA", "x", true, "年月"},
        {"年月年", "年", "日", true, "日月日"},
        {"\x81" "A", "a", "x", false, "\x81" "A"},      // the trail byte 41 is not 'A'
        {"\x81" "AA", "a", "x", false, "\x81" "Ax"},
        {"啊啊", "\xA1\xB0", "", true, "啊啊"},
        {"\xB0\xA1\xA1", "\xA1", "x", true, "\xB0\xA1x"},  // final lone lead byte
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(hex(r.t) + " old " + hex(r.old_part) + " new " + hex(r.new_part) +
                     (r.case_sensitive ? "" : " ignoring case"));
        EXPECT_EQ(hex(substitute(r.t, r.old_part, r.new_part, r.case_sensitive)), hex(r.expected));
    }
    EXPECT_EQ(substitute("a.b.c", "."), "abc");  // new omitted: removed
}

TEST(Text, SplitOn) {
    struct Row {
        Text t;
        Text sep;
        TextList expected;
    };
    const Row rows[] = {
        {"a\r\nb\r\n", "\r\n", {"a", "b"}},  // run-log lines
        {"\r\na", "\r\n", {"", "a"}},
        {"a,b,c", ",", {"a", "b", "c"}},
        {"a,,b", ",", {"a", "", "b"}},
        {",a", ",", {"", "a"}},
        {"a,", ",", {"a"}},
        {"a,,", ",", {"a", ""}},
        {",", ",", {""}},
        {",,", ",", {"", ""}},
        {"abc", ",", {"abc"}},
        {"", ",", {}},
        {"", "", {}},
        {"abc", "", {"abc"}},
        {"aXbxc", "x", {"aXb", "c"}},  // exact occurrences: no case folding
        {"a--b---c", "--", {"a", "b", "-c"}},
        {"年,月", ",", {"年", "月"}},
        {"啊啊", "\xA1\xB0", {"啊啊"}},  // the separator only across a boundary
        {"\x81" "A" "A", "A", {"\x81" "A"}},
        {"年月日", "月", {"年", "日"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(hex(r.t) + " at " + hex(r.sep));
        EXPECT_EQ(hex_list(split_on(r.t, r.sep)), hex_list(r.expected));
    }
}

TEST(Text, LowerAscii) {
    struct Row {
        Text t;
        Text expected;
    };
    const Row rows[] = {
        {"ABC xyz 09", "abc xyz 09"},
        {"", ""},
        {"年Z", "年z"},
        {"\x81" "A", "\x81" "A"},              // the trail byte 41 stays
        {"A\x81" "AB", "a\x81" "Ab"},
        {"A\x81", "a\x81"},                    // final lone lead byte
        {"@[`{", "@[`{"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(hex(r.t));
        EXPECT_EQ(hex(lower_ascii(r.t)), hex(r.expected));
    }
}

TEST(Text, TextCmpByUnsignedBytes) {
    struct Row {
        Text a;
        Text b;
        int expected;
    };
    const Row rows[] = {
        {"", "", 0},
        {"a", "a", 0},
        {"a", "b", -1},
        {"b", "a", 1},
        {"a", "", 1},
        {"", "a", -1},
        {"ab", "abc", -1},
        {"abc", "ab", 1},
        {"\x80", "a", 1},  // 0x80 is above 'a' as an unsigned byte
        {"a", "\x80", -1},
        {"\xFF", "\x7F", 1},
        {"年", "年", 0},
        {"年", "月", -1},  // C4 < D4
        {"Z", "a", -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(hex(r.a) + " vs " + hex(r.b));
        EXPECT_EQ(text_cmp(r.a, r.b), r.expected);
    }
}

TEST(Text, ListItemIsOneBased) {
    const TextList list = {"a", "b", "c"};
    EXPECT_EQ(list_size(list), 3);
    EXPECT_EQ(list_size(TextList()), 0);
    EXPECT_EQ(list_item(list, 1), "a");
    EXPECT_EQ(list_item(list, 3), "c");
}

TEST(TextDeathTest, ListItemOutOfRangeIsFatal) {
    const TextList list = {"a", "b", "c"};
    const int bad[] = {0, 4, -1, 1000};
    for (int index : bad) {
        SCOPED_TRACE(index);
        EXPECT_EXIT(list_item(list, index), ::testing::ExitedWithCode(255), "fatal error");
    }
    EXPECT_EXIT(list_item(TextList(), 1), ::testing::ExitedWithCode(255), "fatal error");
}

TEST(Text, CharText) {
    struct Row {
        int code;
        Text expected;
    };
    const Row rows[] = {{65, "A"}, {32, " "}, {0, ""}, {0xB0, "\xB0"}, {255, "\xFF"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.code);
        EXPECT_EQ(hex(char_text(r.code)), hex(r.expected));
    }
}

TEST(Text, SpacesAndBytes) {
    EXPECT_EQ(spaces(3), "   ");
    EXPECT_EQ(spaces(1), " ");
    EXPECT_EQ(spaces(0), "");
    EXPECT_EQ(spaces(-2), "");
    EXPECT_EQ(zero_bytes(3), Bytes({0, 0, 0}));
    EXPECT_EQ(zero_bytes(0), Bytes());
    EXPECT_EQ(zero_bytes(-1), Bytes());

    const Bytes b = {1, 0, 2, 3};
    EXPECT_EQ(bytes_len(b), 4);
    EXPECT_EQ(bytes_len(Bytes()), 0);
    EXPECT_EQ(bytes_head(b, 2), Bytes({1, 0}));
    EXPECT_EQ(bytes_head(b, 4), b);
    EXPECT_EQ(bytes_head(b, 9), b);
    EXPECT_EQ(bytes_head(b, 0), Bytes());
    EXPECT_EQ(bytes_head(b, -3), Bytes());
}

TEST(Text, Join) {
    EXPECT_EQ(join_text({"a", "", "bc", "年"}), "abc年");
    EXPECT_EQ(join_text({}), "");
    EXPECT_EQ(join_text({Text(), Text()}), "");
    EXPECT_EQ(join_bytes({Bytes({1, 0}), Bytes(), Bytes({0, 2})}), Bytes({1, 0, 0, 2}));
    EXPECT_EQ(join_bytes({}), Bytes());
}

}  // namespace
