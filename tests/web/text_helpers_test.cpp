// Host tests of text_between and text_before: first markers win, the "#引号"
// placeholder, empty pieces, and no match inside a double-byte character.
#include "web/text_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(TextBetween, Cases) {
    struct Row {
        Text text, start, end, expected;
    };
    const Row rows[] = {
        {"x\"6.2\"y", "\"", "\"", "6.2"},
        {"\"6.2", "\"", "\"", ""},
        {"abc", "\"", "\"", ""},
        {"a\"b\"c\"d", "\"", "\"", "b"},
        {"x\"6.2\"y", "#引号", "#引号", "6.2"},
        {"a\"b\"c\"d", "#引号", "#引号", "b"},
        {"say \"hi\" #引号", "say #引号", "#引号", "hi"},
        {"https://host/p/", "https://", "/", "host"},
        {"http:///", "http://", "/", ""},
        {"Set-Cookie: a=1; path=/", "Set-Cookie:", ";", " a=1"},
        {"", "a", "b", ""},
        // The end marker is searched after the start marker only.
        {"/a:b/", ":", "/", "b"},
        // Double-byte: "侑" is D9 41 (trail byte 'A'); "A" after it is found,
        // not the trail byte.
        {"侑xA侑yA", "侑", "A", "x"},
        {"中文\"版本\"", "\"", "\"", "版本"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text + " | " + r.start + " | " + r.end);
        EXPECT_EQ(text_between(r.text, r.start, r.end), r.expected);
    }
}

TEST(TextBetween, MarkerInsideDoubleByteCharacterIsNotFound) {
    // D9 41 is one character; its second byte is 'A' and must not match.
    const Text text =
        "\xD9\x41"
        "b";
    EXPECT_EQ(text_between(text, "A", "b"), "");
    EXPECT_EQ(text_before(text, "A"), "");
}

TEST(TextBetween, LeavesTheCallersMarkersAlone) {
    const Text start = "#引号", end = "#引号";
    text_between("\"a\"", start, end);
    EXPECT_EQ(start, "#引号");
    EXPECT_EQ(end, "#引号");
}

TEST(TextBefore, Cases) {
    struct Row {
        Text text, sep, expected;
    };
    const Row rows[] = {
        {"Set-Cookie: a=1", ": ", "Set-Cookie"},
        {"HTTP/1.1 200 OK", ": ", ""},
        {"", ": ", ""},
        {": x", ": ", ""},
        {"a: b: c", ": ", "a"},
        {"名字: 值", ": ", "名字"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(text_before(r.text, r.sep), r.expected);
    }
}

}  // namespace
