// Conversions between numbers, bytes and Text: parse_int with the
// full-width forms of code page 936, "%.13g" printing, and the x86-style real
// to integer truncation, all without undefined behaviour for any input.
#include "platform/convert.h"

#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

// Two's complement reinterpretation of the low 32 bits, written so that it
// is defined for every value (no out-of-range unsigned-to-signed conversion).
std::int32_t as_signed32(std::uint32_t u) {
    if (u <= 0x7FFFFFFFu) return static_cast<std::int32_t>(u);
    return -static_cast<std::int32_t>(~u) - 1;
}

// Full-width forms to ASCII, by characters: A3 xx (xx from A1 to FE) is the
// full-width form of the byte xx - 0x80 (A3 B1 "１" -> '1', A3 AD "－" -> '-'),
// A1 A1 "　" is the full-width space. Other double-byte characters stay whole,
// so a pair formed by a trail byte and the next lead byte is never replaced.
Text half_width(const Text& t) {
    Text out;
    out.reserve(t.size());
    std::size_t i = 0;
    while (i < t.size()) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (c < 0x80 || i + 1 >= t.size()) {
            out += t[i];
            ++i;
            continue;
        }
        const auto d = static_cast<unsigned char>(t[i + 1]);
        if (c == 0xA3 && d >= 0xA1 && d <= 0xFE) {
            out += static_cast<char>(d - 0x80);
        } else if (c == 0xA1 && d == 0xA1) {
            out += ' ';
        } else {
            out.append(t, i, 2);
        }
        i += 2;
    }
    return out;
}

bool is_c_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::int32_t parse_int(const Text& t) {
    const Text s = half_width(t);
    std::size_t i = 0;
    while (i < s.size() && is_c_space(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    // Unsigned arithmetic: overflow wraps modulo 2^32, without undefined behaviour.
    std::uint32_t value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(s[i] - '0');
        ++i;
    }
    if (negative) value = 0u - value;
    return as_signed32(value);
}

Text real_to_text(double x) {
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%.13g", x);
    if (n <= 0) return Text();
    Text out(buf, static_cast<std::size_t>(n) < sizeof buf ? static_cast<std::size_t>(n)
                                                            : sizeof buf - 1);
    // snprintf follows LC_NUMERIC; should anyone have set a locale with a
    // decimal comma, put back the C locale's '.'.
    const char* point = std::localeconv()->decimal_point;
    if (point != nullptr && std::strcmp(point, ".") != 0 && point[0] != '\0') {
        const std::size_t at = out.find(point);
        if (at != Text::npos) out.replace(at, std::strlen(point), ".");
    }
    return out;
}

std::int32_t real_to_int(double x) {
    // x86 (cvttsd2si / fistp with 64 bits) gives the "integer indefinite"
    // 0x8000000000000000 for NaN and for values outside the int64 range; its
    // low 32 bits are 0. -2^63 itself converts to the same bit pattern.
    const double two63 = 9223372036854775808.0;
    if (!(std::fabs(x) < two63)) return 0;
    const auto v = static_cast<std::int64_t>(x);  // truncates toward zero
    return as_signed32(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v) & 0xFFFFFFFFu));
}

Text text_of_bytes(const Bytes& b) {
    std::size_t n = 0;
    while (n < b.size() && b[n] != 0) ++n;
    if (n == 0) return Text();
    return Text(reinterpret_cast<const char*>(b.data()), n);
}

Text int_to_text(std::int32_t value) {
    char digits[12];
    char* end = digits + sizeof digits;
    char* p = end;
    // Through unsigned, so that INT32_MIN negates without overflow.
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                        : static_cast<std::uint32_t>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--p = '-';
    return Text(p, end);
}
