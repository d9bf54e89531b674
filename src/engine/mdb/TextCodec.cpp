#include "engine/mdb/TextCodec.h"

#include <algorithm>

#include "engine/Utf8.h"

namespace telvarn::mdb {
namespace {

std::vector<uint16_t> expandCompressed(ByteView bytes) {
  std::vector<uint16_t> units;
  units.reserve(bytes.size());
  bool single = true;
  size_t at = 2;
  while (at < bytes.size()) {
    if (bytes.u8(at) == 0) {
      single = !single;
      ++at;
    } else if (single) {
      units.push_back(bytes.u8(at++));
    } else if (at + 1 < bytes.size()) {
      units.push_back(bytes.u16(at));
      at += 2;
    } else {
      break;
    }
  }
  return units;
}

}  // namespace

std::vector<uint16_t> textUnits(ByteView bytes, bool fixedLength) {
  std::vector<uint16_t> units;
  if (bytes.size() >= 2 && bytes.u8(0) == 0xFF && bytes.u8(1) == 0xFE) {
    units = expandCompressed(bytes);
  } else {
    units.reserve(bytes.size() / 2);
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) units.push_back(bytes.u16(at));
  }
  if (fixedLength) units.erase(std::find(units.begin(), units.end(), 0), units.end());
  return units;
}

std::string decodeText(ByteView bytes, bool fixedLength) {
  return utf8FromUnits(textUnits(bytes, fixedLength));
}

std::string utf8FromUnits(const std::vector<uint16_t>& units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const uint32_t unit = units[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
    } else if (unit >= 0xD800 && unit < 0xE000) {
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

std::vector<uint16_t> unitsFromUtf8(const std::string& text) {
  std::vector<uint16_t> units;
  units.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<uint8_t>(text[i]);
    const size_t length = byte < 0x80    ? 1
                          : byte >= 0xF0 ? 4
                          : byte >= 0xE0 ? 3
                          : byte >= 0xC0 ? 2
                                         : 0;
    if (length == 0 || i + length > text.size()) {
      units.push_back(0xFFFD);
      ++i;
      continue;
    }
    uint32_t code = length == 1 ? byte : byte & (0x7F >> length);
    for (size_t k = 1; k < length; ++k)
      code = (code << 6) | (static_cast<uint8_t>(text[i + k]) & 0x3F);
    i += length;
    if (code >= 0x10000) {
      units.push_back(static_cast<uint16_t>(0xD800 + ((code - 0x10000) >> 10)));
      units.push_back(static_cast<uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<uint16_t>(code));
    }
  }
  return units;
}

}  // namespace telvarn::mdb
