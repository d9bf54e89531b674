#include "engine/values/LetterCase.h"

#include "engine/Unicode.h"

namespace telvarn::values {

std::string upperCase(std::string_view text) {
  return unicode::upperCase(text);
}

std::string lowerCase(std::string_view text) {
  return unicode::lowerCase(text);
}

std::u16string foldedCase(std::u16string_view units) {
  std::u16string out(units);
  for (char16_t& unit : out) {
    if (unit < 0xD800 || unit > 0xDFFF) unit = static_cast<char16_t>(unicode::caseFold(unit));
  }
  return out;
}

}  // namespace telvarn::values
