// The sort key of a text in the "General" sort order, as index entries
// store it: one primary weight per character (letter case ignored), then
// after a 0x01 the diacritic weight of each position (trailing plain ones
// left out), then, when the text holds characters that sort as if absent
// (apostrophe, hyphen), three more 0x01 and for each such character its
// position and weight; a 0x00 ends the key.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace telvarn::mdb {

// nullopt when the text holds a character whose weights are not known here
// (the encoder knows the characters of Western European text: letters with
// their accents, digits, the blank and common punctuation).
std::optional<std::vector<uint8_t>> generalSortKey(const std::vector<uint16_t>& text);

}  // namespace telvarn::mdb
