// Conversions between numbers, bytes and Text, with the program's own rules:
// reals truncate toward zero keeping the low 32 bits, integers print plainly.
#pragma once

#include <cstdint>

#include "platform/text.h"

// Leading decimal integer after white space and one sign; full-width digits
// and the full-width space count as their ASCII forms. No digits: 0.
std::int32_t parse_int(const Text& t);

// printf "%.13g".
Text real_to_text(double x);

// Truncation toward zero to 64 bits, then the low 32 bits as signed.
// NaN and infinities follow the x86 conversion (the "integer indefinite").
std::int32_t real_to_int(double x);

// printf "%d", written by hand: the window scan forms one per window and
// snprintf would be its largest cost after the system calls.
Text int_to_text(std::int32_t value);

// The bytes before the first zero byte.
Text text_of_bytes(const Bytes& b);
