// The General sort order: how the engine orders and compares text in
// indexes, comparisons, sorting, grouping and names. Letter case never
// counts; accents count after the letters (a < á < b); the apostrophe, the
// hyphen and control codes count only when all else is equal; trailing
// blanks do not count. SortWeights.h gives each character's weights.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace telvarn {

// Negative, zero or positive as UTF-8 text `a` sorts before, with or after
// `b`. Texts that compare equal are one key of a unique index.
int compareGeneral(std::string_view a, std::string_view b);

// The same for two single characters, as Like compares them (a blank
// counts here).
int compareGeneral(char32_t a, char32_t b);

// The key an index entry of the desktop engine's files stores for a text
// (UTF-16 units), whose bytes compare as the texts do: one primary weight
// (of one or two bytes) per letter, then after a 0x01 the accent weight of each (trailing plain
// ones left out), then, when the text holds characters that sort as if
// absent, three more 0x01 and for each its position and weight; a 0x00
// ends it. Appended to `key`; false, with `key` as it was, when the text
// holds a character whose stored bytes are not known.
bool appendGeneralSortKey(const std::vector<uint16_t>& text, std::vector<uint8_t>& key);

}  // namespace telvarn
