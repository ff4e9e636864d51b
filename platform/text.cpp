// The text operations on code page 936 byte strings. Searching,
// replacing, splitting, case folding and trimming walk the text character by
// character (a byte >= 0x80 and the byte after it are one character) so that
// they never match inside a double-byte character; cutting counts raw bytes.
#include "platform/text.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "platform/fatal.h"

namespace {

// Lengths and positions are 32-bit ints; a text longer than INT_MAX bytes cannot
// occur in this program, but clamp rather than wrap if it ever did.
int size_as_int(std::size_t n) {
    return n > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(n);
}

bool is_lead(unsigned char c) { return c >= 0x80; }

// Bytes of the character starting at byte index i (a character boundary).
// A lead byte as the very last byte is a character of its own.
std::size_t char_len_at(const Text& t, std::size_t i) {
    return (is_lead(static_cast<unsigned char>(t[i])) && i + 1 < t.size()) ? 2 : 1;
}

unsigned char fold_ascii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Does s occur in t at byte index p, p being a character boundary of t? The
// comparison follows t's characters: a double-byte character must match both
// bytes exactly (its trail byte may look like an ASCII letter, e.g. 81 41, and
// is never folded), and a match that would end between the two bytes of one
// of t's characters is no match.
bool match_at(const Text& t, std::size_t p, const Text& s, bool fold) {
    std::size_t i = 0;
    while (i < s.size()) {
        if (p + i >= t.size()) return false;
        const std::size_t n = char_len_at(t, p + i);
        if (n == 2) {
            if (i + 1 >= s.size()) return false;
            if (t[p + i] != s[i] || t[p + i + 1] != s[i + 1]) return false;
        } else {
            unsigned char a = static_cast<unsigned char>(t[p + i]);
            unsigned char b = static_cast<unsigned char>(s[i]);
            if (fold) {
                a = fold_ascii(a);
                b = fold_ascii(b);
            }
            if (a != b) return false;
        }
        i += n;
    }
    return true;
}

// The full-width space of code page 936 (U+3000).
bool is_blank_at(const Text& t, std::size_t i, std::size_t n) {
    const auto c = static_cast<unsigned char>(t[i]);
    if (n == 1) return c == 0x20;
    return c == 0xA1 && static_cast<unsigned char>(t[i + 1]) == 0xA1;
}

}  // namespace

const Text& list_item(const TextList& list, int index) {
    if (index < 1 || static_cast<std::size_t>(index) > list.size()) {
        // "列表下标超出范围" (list index out of range)
        fatal_error(1, "\xC1\xD0\xB1\xED\xCF\xC2\xB1\xEA\xB3\xAC\xB3\xF6\xB7\xB6\xCE\xA7");
    }
    return list[static_cast<std::size_t>(index) - 1];
}

int list_size(const TextList& list) { return size_as_int(list.size()); }

int text_len(const Text& t) { return size_as_int(t.size()); }

Text left_of(const Text& t, int n) {
    if (n <= 0) return Text();
    return t.substr(0, std::min(static_cast<std::size_t>(n), t.size()));
}

Text right_of(const Text& t, int n) {
    if (n <= 0) return Text();
    const std::size_t m = std::min(static_cast<std::size_t>(n), t.size());
    return t.substr(t.size() - m);
}

Text mid_of(const Text& t, int pos, int n) {
    if (pos < 1 || n <= 0 || static_cast<std::size_t>(pos) > t.size()) return Text();
    const std::size_t from = static_cast<std::size_t>(pos) - 1;
    return t.substr(from, std::min(static_cast<std::size_t>(n), t.size() - from));
}

Text left_whole_chars(const Text& t, int n) {
    if (n <= 0) return Text();
    std::size_t end = 0;
    while (end < t.size()) {
        std::size_t next = end + char_len_at(t, end);
        if (next > static_cast<std::size_t>(n)) break;
        end = next;
    }
    return t.substr(0, end);
}

int find_first(const Text& t, const Text& s, int start, bool ignore_case) {
    if (start < 1) start = 1;
    if (static_cast<std::size_t>(start) > t.size()) return -1;
    if (s.empty()) return 1;
    const std::size_t first = static_cast<std::size_t>(start) - 1;
    // Walk from the beginning to know where characters start; a start inside
    // a double-byte character makes the next character the first candidate.
    for (std::size_t p = 0; p < t.size(); p += char_len_at(t, p)) {
        if (p >= first && match_at(t, p, s, ignore_case)) return size_as_int(p) + 1;
    }
    return -1;
}

int find_last(const Text& t, const Text& s) {
    if (t.empty()) return -1;
    if (s.empty()) return 1;
    int found = -1;
    for (std::size_t p = 0; p < t.size(); p += char_len_at(t, p)) {
        if (match_at(t, p, s, false)) found = size_as_int(p) + 1;
    }
    return found;
}

Text trim_blanks(const Text& t) {
    std::size_t begin = 0;
    while (begin < t.size()) {
        const std::size_t n = char_len_at(t, begin);
        if (!is_blank_at(t, begin, n)) break;
        begin += n;
    }
    // Trailing blanks: only whole characters count, so the pair A1 A1 formed
    // by a trail byte and a final lone lead byte is not a full-width space.
    std::size_t end = begin;
    for (std::size_t p = begin; p < t.size();) {
        const std::size_t n = char_len_at(t, p);
        if (!is_blank_at(t, p, n)) end = p + n;
        p += n;
    }
    return t.substr(begin, end - begin);
}

Text substitute(const Text& t, const Text& old_part, const Text& new_part, bool case_sensitive) {
    if (t.empty() || old_part.empty()) return t;
    Text out;
    out.reserve(t.size());
    std::size_t p = 0;
    while (p < t.size()) {
        if (match_at(t, p, old_part, !case_sensitive)) {
            out += new_part;
            p += old_part.size();  // a match ends on a character boundary
        } else {
            const std::size_t n = char_len_at(t, p);
            out.append(t, p, n);
            p += n;
        }
    }
    return out;
}

TextList split_on(const Text& t, const Text& sep) {
    TextList pieces;
    if (t.empty()) return pieces;
    if (sep.empty()) {
        pieces.push_back(t);
        return pieces;
    }
    std::size_t piece = 0;
    std::size_t p = 0;
    while (p < t.size()) {
        if (match_at(t, p, sep, false)) {
            pieces.push_back(t.substr(piece, p - piece));
            p += sep.size();
            piece = p;
        } else {
            p += char_len_at(t, p);
        }
    }
    // t is not empty, so piece == size only right after a trailing separator,
    // which gives no empty last piece.
    if (piece < t.size()) pieces.push_back(t.substr(piece));
    return pieces;
}

Text lower_ascii(const Text& t) {
    Text out(t);
    for (std::size_t p = 0; p < out.size(); p += char_len_at(out, p)) {
        out[p] = static_cast<char>(fold_ascii(static_cast<unsigned char>(out[p])));
    }
    return out;
}

// Only the low byte of code counts; a zero byte would end the text, so it
// gives the empty text (code 0, and also 256, 512, ...).
Text char_text(int code) {
    const auto c = static_cast<unsigned char>(static_cast<unsigned>(code) & 0xFFu);
    if (c == 0) return Text();
    return Text(1, static_cast<char>(c));
}

Text spaces(int n) { return n < 1 ? Text() : Text(static_cast<std::size_t>(n), ' '); }

Bytes zero_bytes(int n) { return n < 1 ? Bytes() : Bytes(static_cast<std::size_t>(n), 0); }

int bytes_len(const Bytes& b) { return size_as_int(b.size()); }

Bytes bytes_head(const Bytes& b, int n) {
    if (n <= 0) return Bytes();
    const std::size_t m = std::min(static_cast<std::size_t>(n), b.size());
    return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(m));
}

Text join_text(std::initializer_list<Text> parts) {
    std::size_t total = 0;
    for (const Text& part : parts) total += part.size();
    Text out;
    out.reserve(total);
    for (const Text& part : parts) out += part;
    return out;
}

Bytes join_bytes(std::initializer_list<Bytes> parts) {
    std::size_t total = 0;
    for (const Bytes& part : parts) total += part.size();
    Bytes out;
    out.reserve(total);
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

int text_cmp(const Text& a, const Text& b) {
    // memcmp compares as unsigned char, as strcmp does.
    const std::size_t n = std::min(a.size(), b.size());
    const int r = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (r != 0) return r < 0 ? -1 : 1;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}
