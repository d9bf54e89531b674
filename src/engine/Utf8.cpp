#include "engine/Utf8.h"

namespace telvarn {

void appendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < kRawByte) {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(code - kRawByte);
  }
}

char32_t nextCodePoint(std::string_view text, size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  const size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  char32_t code = lead & (0x3F >> extra);
  bool valid = extra > 0 && at + extra < text.size();
  for (size_t k = 1; valid && k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    valid = (next & 0xC0) == 0x80;
    code = (code << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and codes past Unicode are no valid text.
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  valid = valid && code >= kSmallest[extra] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
  if (!valid) {
    ++at;
    return kRawByte + lead;
  }
  at += extra + 1;
  return code;
}

}  // namespace telvarn
