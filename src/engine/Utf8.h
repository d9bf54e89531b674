// Text in TELVARN is UTF-8 throughout; these read and write its code points.
// A byte that begins no valid sequence reads as kRawByte plus its value and
// is written back as that byte, so text passes through unchanged. The
// dialect's text functions count and cut in UTF-16 code units, as the
// engine's own strings are kept, and the one-byte character codes (Asc,
// Chr, old scripts) are Windows-1252, the United States code page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace telvarn {

inline constexpr char32_t kRawByte = 0x110000;

// Appends `code` (a Unicode code point, or kRawByte + a byte) to `out`.
void appendUtf8(std::string& out, uint32_t code);

// The code point that begins at `at`; `at` moves past it.
char32_t nextCodePoint(std::string_view text, size_t& at);

// The UTF-16 code units of a UTF-8 text; a byte that does not belong to a
// UTF-8 sequence reads as U+FFFD.
std::u16string toUtf16(std::string_view utf8);

// UTF-16 code units as UTF-8; a surrogate without its partner becomes U+FFFD.
std::string fromUtf16(std::u16string_view units);

// The code point of a Windows-1252 byte; the five codes the page leaves
// unused map to the control characters of the same number.
uint32_t fromWindows1252(unsigned char byte);

// The Windows-1252 byte of a code point, nullopt when the page lacks it.
std::optional<unsigned char> toWindows1252(uint32_t code);

// Whether two words are the same with their ASCII letters in either case
// (keywords, the names of formats, functions and months).
bool sameWord(std::string_view a, std::string_view b);

}  // namespace telvarn
