// Text as the format stores it: UTF-16 little-endian code units, or the
// compressed form (a 0xFF 0xFE mark, then runs of one-byte characters and
// of two-byte ones, a zero byte switching between them). The engine's own
// strings are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mdb/ByteView.h"

namespace telvarn::mdb {

// The UTF-16 code units of stored text (either form). A fixed-length
// column holds its text in all of its bytes, zero bytes filling what the
// text leaves; `fixedLength` leaves that filling out.
std::vector<uint16_t> textUnits(ByteView bytes, bool fixedLength = false);

// The same text as UTF-8.
std::string decodeText(ByteView bytes, bool fixedLength = false);

// UTF-16 code units to UTF-8 (a lone surrogate becomes U+FFFD).
std::string utf8FromUnits(const std::vector<uint16_t>& units);

// UTF-8 to UTF-16 code units (a malformed byte becomes U+FFFD).
std::vector<uint16_t> unitsFromUtf8(const std::string& text);

}  // namespace telvarn::mdb
