// Conversion between the encodings the program meets: "UTF-8" (code page
// 65001) and "GBK" (code page 936), names in any letter case.
#pragma once

#include "platform/text.h"

// All or nothing: empty input, an unknown name, invalid or truncated input,
// or a character the target lacks give empty Bytes.
Bytes recode_bytes(const Bytes& bytes, const Text& from, const Text& to);
