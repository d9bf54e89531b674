#include "engine/GeneralSortOrder.h"

#include "engine/SortWeights.h"
#include "engine/Unicode.h"
#include "engine/Utf8.h"

namespace telvarn {
namespace {

using sortorder::Weights;
using sortorder::weightsOf;

// The first byte of the UTF-8 form of the lowest combining mark, U+0300.
constexpr unsigned char kFirstMarkLead = 0xCC;

// The characters of a text with their weights, each with the accents of
// the combining marks after it; trailing blanks left out.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool next(Weights& out) {
    if (at_ >= text_.size()) return false;
    const auto lead = static_cast<unsigned char>(text_[at_]);
    if (lead < 0x80) {
      out = sortorder::kLatin1Weights[lead];
      ++at_;
    } else {
      out = weightsOf(nextCodePoint(text_, at_));
    }
    if (out.primaries == 0) return true;
    while (at_ < text_.size() && static_cast<unsigned char>(text_[at_]) >= kFirstMarkLead) {
      size_t after = at_;
      const char32_t code = nextCodePoint(text_, after);
      if (unicode::charClass(code) != unicode::CharClass::Mark) break;
      out.accents.add(sortorder::markWeight(code));
      at_ = after;
    }
    return true;
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

// One level of a text's weights as a sequence of numbers, 0 after the last.
// Primary: each primary weight. Accent: the accents of each primary.
// Skipped: each character sorted as if absent, by the number of primaries
// before it and then its weight.
enum class Level { Primary, Accent, Skipped };

template <Level level>
class Stream {
 public:
  explicit Stream(std::string_view text) : reader_(text) {}

  uint64_t next() {
    if constexpr (level == Level::Skipped) {
      while (reader_.next(weights_)) {
        if (weights_.primaries == 0) return uint64_t{primaries_} << 32 | weights_.skipped;
        primaries_ += static_cast<uint32_t>(weights_.primaries);
      }
      return 0;
    } else {
      while (index_ >= weights_.primaries) {
        if (!reader_.next(weights_)) return 0;
        index_ = 0;
      }
      const int at = index_++;
      if constexpr (level == Level::Primary) return weights_.primary[at];
      return weights_.accents.value();
    }
  }

 private:
  Reader reader_;
  Weights weights_;
  int index_ = 0;
  uint32_t primaries_ = 0;
};

template <Level level>
int compareLevel(std::string_view a, std::string_view b) {
  Stream<level> left(a);
  Stream<level> right(b);
  for (;;) {
    const uint64_t x = left.next();
    const uint64_t y = right.next();
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

void appendSkipped(std::vector<uint8_t>& out, size_t primaries, uint32_t weight) {
  const auto position = static_cast<uint16_t>(0x8000 + 4 * primaries + 7);
  out.insert(out.end(), {static_cast<uint8_t>(position >> 8), static_cast<uint8_t>(position & 0xFF),
                         static_cast<uint8_t>(weight >> 8), static_cast<uint8_t>(weight & 0xFF)});
}

// Trailing blanks do not count.
std::string_view withoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Whether the text's characters before `at` have all their weights, so that
// two texts alike up to there compare as what follows does: `at` begins a
// character that is no combining mark.
bool characterBoundary(std::string_view text, size_t at) {
  if (at >= text.size()) return true;
  const auto byte = static_cast<unsigned char>(text[at]);
  return byte < 0x80 || (byte >= 0xC0 && byte < kFirstMarkLead);
}

}  // namespace

int compareGeneral(std::string_view a, std::string_view b) {
  a = withoutTrailingBlanks(a);
  b = withoutTrailingBlanks(b);
  if (a == b) return 0;
  // What both begin with weighs the same on every level; positions of
  // skipped characters after it move by the same amount on both sides.
  size_t same = 0;
  while (same < a.size() && same < b.size() && a[same] == b[same]) ++same;
  while (same > 0 && !(characterBoundary(a, same) && characterBoundary(b, same))) --same;
  a.remove_prefix(same);
  b.remove_prefix(same);
  if (const int primary = compareLevel<Level::Primary>(a, b)) return primary;
  if (const int accent = compareLevel<Level::Accent>(a, b)) return accent;
  return compareLevel<Level::Skipped>(a, b);
}

int compareGeneral(char32_t a, char32_t b) {
  if (a == b) return 0;
  const Weights x = weightsOf(a);
  const Weights y = weightsOf(b);
  const auto order = [](uint64_t p, uint64_t q) { return p < q ? -1 : 1; };
  for (int i = 0; i < 2; ++i) {
    const uint32_t p = i < x.primaries ? x.primary[i] : 0;
    const uint32_t q = i < y.primaries ? y.primary[i] : 0;
    if (p != q) return order(p, q);
  }
  if (x.accents.value() != y.accents.value()) return order(x.accents.value(), y.accents.value());
  return x.skipped == y.skipped ? 0 : order(x.skipped, y.skipped);
}

bool appendGeneralSortKey(const std::vector<uint16_t>& text, std::vector<uint8_t>& key) {
  constexpr uint8_t kSectionEnd = 0x01;
  constexpr uint8_t kKeyEnd = 0x00;
  constexpr auto kPlain = static_cast<uint8_t>(sortorder::Accents::kNone);
  size_t length = text.size();
  while (length > 0 && text[length - 1] == ' ') --length;
  const size_t start = key.size();
  key.reserve(start + 2 * length + 2);
  // Made at the first accent, so that text without accents (most text)
  // costs no second buffer; one weight per primary.
  std::vector<uint8_t> accents;
  bool accented = false;
  size_t primaries = 0;
  std::vector<uint8_t> skipped;
  // Where an accent stands after a weight of two bytes is not known: a key
  // with both is not made.
  bool twoByteWeight = false;
  const auto notMade = [&] {
    key.resize(start);
    return false;
  };
  for (size_t i = 0; i < length; ++i) {
    const Weights w = weightsOf(text[i]);
    if (!w.exact) return notMade();
    if (w.primaries == 0) {
      appendSkipped(skipped, key.size() - start, w.skipped);
      continue;
    }
    const auto accent = static_cast<uint8_t>(w.accents.count() ? w.accents.first() : kPlain);
    if (twoByteWeight && accent != kPlain) return notMade();
    if (accent != kPlain && !accented) {
      accents.assign(primaries, kPlain);
      accented = true;
    }
    for (int k = 0; k < w.primaries; ++k) {
      key.push_back(static_cast<uint8_t>(w.primary[k] >> 24));
      if (const auto second = static_cast<uint8_t>(w.primary[k] >> 16)) {
        key.push_back(second);
        twoByteWeight = true;
      }
      if (accented) accents.push_back(accent);
      ++primaries;
    }
  }
  while (!accents.empty() && accents.back() == kPlain) accents.pop_back();
  key.push_back(kSectionEnd);
  key.insert(key.end(), accents.begin(), accents.end());
  if (!skipped.empty()) {
    key.insert(key.end(), {kSectionEnd, kSectionEnd, kSectionEnd});
    key.insert(key.end(), skipped.begin(), skipped.end());
  }
  key.push_back(kKeyEnd);
  return true;
}

}  // namespace telvarn
