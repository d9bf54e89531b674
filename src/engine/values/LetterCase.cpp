#include "engine/values/LetterCase.h"

#include <locale.h>
#include <wctype.h>

#include "engine/Utf8.h"

namespace telvarn::values {
namespace {

// The C library's Unicode tables, from a locale named here so that the
// user's own locale never changes a result (glibc has C.UTF-8 built in).
locale_t unicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

template <wint_t (*map)(wint_t, locale_t)>
std::string mapped(std::string_view text) {
  const std::u16string units = toUtf16(text);
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t code = units[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF)
      code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00u);
    appendUtf8(out, static_cast<uint32_t>(map(static_cast<wint_t>(code), unicodeLocale())));
  }
  return out;
}

}  // namespace

std::string upperCase(std::string_view text) {
  return mapped<towupper_l>(text);
}

std::string lowerCase(std::string_view text) {
  return mapped<towlower_l>(text);
}

std::u16string foldedCase(std::u16string_view units) {
  std::u16string out(units);
  for (char16_t& unit : out) {
    if (unit < 0xD800 || unit > 0xDFFF)
      unit = static_cast<char16_t>(towlower_l(static_cast<wint_t>(unit), unicodeLocale()));
  }
  return out;
}

}  // namespace telvarn::values
