// Text in TELVARN is UTF-8 throughout; this writes a code point into it.
#pragma once

#include <cstdint>
#include <string>

namespace telvarn {

// Appends `code` (a Unicode code point) to `out` as UTF-8.
void appendUtf8(std::string& out, uint32_t code);

}  // namespace telvarn
