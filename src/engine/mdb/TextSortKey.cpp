#include "engine/mdb/TextSortKey.h"

namespace telvarn::mdb {
namespace {

constexpr uint8_t kSectionEnd = 0x01;
constexpr uint8_t kKeyEnd = 0x00;
constexpr uint8_t kPlain = 0x02;

namespace Accent {
enum : uint8_t {
  None = kPlain,
  Acute = 0x0E,
  Grave = 0x0F,
  Circumflex = 0x12,
  Diaeresis = 0x13,
  Tilde = 0x19,
  Ring = 0x1A,
  Cedilla = 0x1C,
  Stroke = 0x21,
};
}  // namespace Accent

struct Weight {
  uint8_t primary = 0;
  uint8_t accent = Accent::None;
  uint16_t special = 0;  // characters sorted as if absent: their weight
  bool expands = false;  // ß: two primaries of s
};

uint8_t letterWeight(char letter) {
  static const uint8_t weights[26] = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                      0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                      0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
  return weights[letter - 'a'];
}

// Accented letters of Latin-1 as their base letter and accent.
std::optional<Weight> latin1Letter(uint16_t unit) {
  static const char* const bases = "aaaaaa?ceeeeiiii?nooooo?ouuuuy??";
  static const uint8_t accents[] = {Accent::Grave,
                                    Accent::Acute,
                                    Accent::Circumflex,
                                    Accent::Tilde,
                                    Accent::Diaeresis,
                                    Accent::Ring,
                                    0,
                                    Accent::Cedilla,
                                    Accent::Grave,
                                    Accent::Acute,
                                    Accent::Circumflex,
                                    Accent::Diaeresis,
                                    Accent::Grave,
                                    Accent::Acute,
                                    Accent::Circumflex,
                                    Accent::Diaeresis,
                                    0,
                                    Accent::Tilde,
                                    Accent::Grave,
                                    Accent::Acute,
                                    Accent::Circumflex,
                                    Accent::Tilde,
                                    Accent::Diaeresis,
                                    0,
                                    Accent::Stroke,
                                    Accent::Grave,
                                    Accent::Acute,
                                    Accent::Circumflex,
                                    Accent::Diaeresis,
                                    Accent::Acute,
                                    0,
                                    0};
  const uint16_t lower = unit >= 0xC0 && unit <= 0xDE ? unit + 0x20 : unit;
  if (lower < 0xE0 || lower > 0xFF || bases[lower - 0xE0] == '?') return std::nullopt;
  return Weight{letterWeight(bases[lower - 0xE0]), accents[lower - 0xE0], 0, false};
}

std::optional<Weight> weightOf(uint16_t unit) {
  if (unit >= 'A' && unit <= 'Z') unit += 'a' - 'A';
  if (unit >= 'a' && unit <= 'z') return Weight{letterWeight(static_cast<char>(unit))};
  if (unit >= '0' && unit <= '9') return Weight{static_cast<uint8_t>(0x36 + 2 * (unit - '0'))};
  switch (unit) {
    case ' ':
      return Weight{0x07};
    case '&':
      return Weight{0x12};
    case ',':
      return Weight{0x1A};
    case '.':
      return Weight{0x1C};
    case '/':
      return Weight{0x1E};
    case '\'':
      return Weight{0, Accent::None, 0x0680};
    case '-':
      return Weight{0, Accent::None, 0x0682};
    case 0xDF:
      return Weight{letterWeight('s'), Accent::None, 0, true};
    default:
      return latin1Letter(unit);
  }
}

}  // namespace

std::optional<std::vector<uint8_t>> generalSortKey(const std::vector<uint16_t>& text) {
  std::vector<uint8_t> primary;
  std::vector<uint8_t> accents;
  std::vector<uint8_t> special;
  for (const uint16_t unit : text) {
    const std::optional<Weight> weight = weightOf(unit);
    if (!weight) return std::nullopt;
    if (weight->special != 0) {
      const uint16_t position = static_cast<uint16_t>(0x8000 + 4 * primary.size() + 7);
      special.insert(special.end(),
                     {static_cast<uint8_t>(position >> 8), static_cast<uint8_t>(position & 0xFF),
                      static_cast<uint8_t>(weight->special >> 8),
                      static_cast<uint8_t>(weight->special & 0xFF)});
      continue;
    }
    for (int copy = 0; copy < (weight->expands ? 2 : 1); ++copy) {
      primary.push_back(weight->primary);
      accents.push_back(weight->accent);
    }
  }
  while (!accents.empty() && accents.back() == kPlain) accents.pop_back();
  std::vector<uint8_t> key = primary;
  key.push_back(kSectionEnd);
  key.insert(key.end(), accents.begin(), accents.end());
  if (!special.empty()) {
    key.insert(key.end(), {kSectionEnd, kSectionEnd, kSectionEnd});
    key.insert(key.end(), special.begin(), special.end());
  }
  key.push_back(kKeyEnd);
  return key;
}

}  // namespace telvarn::mdb
