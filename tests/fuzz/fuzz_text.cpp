// libFuzzer target for the text operations, the conversions and the date
// text: any bytes become a text, a second text and numbers. Every result must
// stay within what it was cut from, a position must point inside the text,
// and a cut must never split a double-byte character where the operation
// promises whole characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/convert.h"
#include "platform/datetime.h"
#include "platform/text.h"

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

// Whether p (0-based) is a character boundary of t.
bool boundary(const Text& t, std::size_t p) {
    std::size_t i = 0;
    while (i < p) i += (static_cast<unsigned char>(t[i]) >= 0x80 && i + 1 < t.size()) ? 2 : 1;
    return i == p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 10) return 0;
    int n = static_cast<std::int8_t>(data[0]);
    int start = static_cast<std::int8_t>(data[1]);
    bool fold = data[2] & 1;
    double real;
    std::memcpy(&real, data + 2, sizeof real);
    std::size_t split = data[1] % (size - 9);
    // The texts hold no zero byte, as Text never does.
    Text t, s;
    for (std::size_t i = 10; i < size; ++i)
        if (data[i]) ((i - 10) < split ? s : t).push_back(static_cast<char>(data[i]));

    int len = text_len(t);
    require(left_of(t, n).size() <= t.size() && right_of(t, n).size() <= t.size());
    require(mid_of(t, start, n).size() <= t.size());
    Text whole = left_whole_chars(t, n);
    require(static_cast<int>(whole.size()) <= (n > 0 ? n : 0) && boundary(t, whole.size()));

    int first = find_first(t, s, start, fold);
    require(first == -1 || (first >= 1 && first <= (len > 0 ? len : 1)));
    if (first > 0 && !s.empty()) require(boundary(t, static_cast<std::size_t>(first - 1)));
    int last = find_last(t, s);
    require(last == -1 || (last >= 1 && last <= (len > 0 ? len : 1)));

    require(trim_blanks(t).size() <= t.size());
    Text replaced = substitute(t, s, "x", fold);
    if (s.empty()) require(replaced == t);
    Text joined;
    for (const Text& piece : split_on(t, s)) joined += piece;
    require(joined.size() <= t.size());
    require(lower_ascii(t).size() == t.size());

    parse_int(t);
    require(text_of_bytes(Bytes(t.begin(), t.end())) == t);
    Text number = int_to_text(parse_int(s));
    require(!number.empty() && number.size() <= 11);
    require(real_to_text(real).size() < 40);
    real_to_int(real);
    Text date = date_time_to_text(real);
    require(!date.empty() && date.size() < 64);
    return 0;
}
