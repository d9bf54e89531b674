// Text in TELVARN is UTF-8 throughout. The dialect's text functions count
// and cut in UTF-16 code units, as the engine's own strings are kept, and
// the one-byte character codes (Asc, Chr, old scripts) are Windows-1252,
// the United States code page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace telvarn {

// Appends `code` (a Unicode code point) to `out` as UTF-8.
void appendUtf8(std::string& out, uint32_t code);

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

}  // namespace telvarn
