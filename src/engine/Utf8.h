// Text in TELVARN is UTF-8 throughout; these read and write its code points.
// A byte that begins no valid sequence reads as kRawByte plus its value and
// is written back as that byte, so text passes through unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace telvarn {

inline constexpr char32_t kRawByte = 0x110000;

// Appends `code` (a Unicode code point, or kRawByte + a byte) to `out`.
void appendUtf8(std::string& out, uint32_t code);

// The code point that begins at `at`; `at` moves past it.
char32_t nextCodePoint(std::string_view text, size_t& at);

}  // namespace telvarn
