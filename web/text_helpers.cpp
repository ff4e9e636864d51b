// text_between and text_before over the character-aware find and the raw
// byte cuts of the platform's text operations.
#include "web/text_helpers.h"

namespace {

// A marker may be written with the placeholder "#引号" where a double quote is
// awkward to write; the caller's marker stays as it was.
Text with_quotes(const Text& marker) {
    return substitute(marker, "\x23\xD2\xFD\xBA\xC5" /* #引号 */, "\"", true);
}

}  // namespace

Text text_between(const Text& text, const Text& start_marker, const Text& end_marker) {
    const Text start = with_quotes(start_marker);
    const Text end = with_quotes(end_marker);
    const int at = find_first(text, start, 1);
    if (at == -1) return Text();
    const int from = at + text_len(start);
    const int to = find_first(text, end, from);
    if (to == -1) return Text();
    return mid_of(text, from, to - from);
}

Text text_before(const Text& text, const Text& separator) {
    const int at = find_first(text, separator, 1);
    if (at == -1) return Text();
    return left_of(text, at - 1);
}
