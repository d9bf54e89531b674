// Letter case across all of Unicode (simple one-to-one mappings, as the
// engine's UCase and LCase make them: "ß" stays, "Ä" and "ä" pair).
#pragma once

#include <string>
#include <string_view>

namespace telvarn::values {

std::string upperCase(std::string_view text);  // UCase
std::string lowerCase(std::string_view text);  // LCase

// The text's UTF-16 units with every letter in lower case, for comparisons
// that ignore letter case.
std::u16string foldedCase(std::u16string_view units);

}  // namespace telvarn::values
