#include "engine/jetsql/LikePattern.h"

#include <utility>
#include <vector>

#include "engine/AppError.h"

namespace telvarn::jetsql {
namespace {

// Lower case for ASCII and the Latin-1 letters, enough for the texts the
// engine compares without regard to case.
char32_t fold(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  return c;
}

std::vector<char32_t> decode(std::string_view utf8) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    out.push_back(fold(c));
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

struct Element {
  enum class Kind { Literal, AnyRun, One, Digit, Set, Nothing } kind = Kind::Literal;
  char32_t literal = 0;
  bool negated = false;
  std::vector<std::pair<char32_t, char32_t>> ranges;

  bool matches(char32_t c) const {
    switch (kind) {
      case Kind::Literal:
        return c == literal;
      case Kind::One:
        return true;
      case Kind::Digit:
        return c >= '0' && c <= '9';
      case Kind::Set: {
        bool in = false;
        for (const auto& [low, high] : ranges) in = in || (c >= low && c <= high);
        return in != negated;
      }
      default:
        return false;
    }
  }
};

// "[...]" starting at `i` (just after the "["); returns the index after "]".
size_t readSet(const std::vector<char32_t>& p, size_t i, Element& set) {
  set.kind = Element::Kind::Set;
  if (i < p.size() && p[i] == ']') {
    set.kind = Element::Kind::Nothing;  // "[]" stands for the empty text
    return i + 1;
  }
  if (i < p.size() && p[i] == '!') {
    set.negated = true;
    ++i;
  }
  for (bool first = true; i < p.size(); first = false) {
    if (p[i] == ']' && !first) return i + 1;
    const char32_t low = p[i++];
    if (i + 1 < p.size() && p[i] == '-' && p[i + 1] != ']') {
      set.ranges.push_back({low, p[i + 1]});
      i += 2;
    } else {
      set.ranges.push_back({low, low});
    }
  }
  throw engineError(93);
}

std::vector<Element> compile(const std::vector<char32_t>& p) {
  std::vector<Element> elements;
  for (size_t i = 0; i < p.size();) {
    Element element;
    const char32_t c = p[i++];
    if (c == '*') {
      element.kind = Element::Kind::AnyRun;
    } else if (c == '?') {
      element.kind = Element::Kind::One;
    } else if (c == '#') {
      element.kind = Element::Kind::Digit;
    } else if (c == '[') {
      i = readSet(p, i, element);
    } else {
      element.literal = c;
    }
    elements.push_back(std::move(element));
  }
  return elements;
}

bool skippable(const Element& element) {
  return element.kind == Element::Kind::AnyRun || element.kind == Element::Kind::Nothing;
}

}  // namespace

bool likeMatches(std::string_view text, std::string_view pattern) {
  const std::vector<char32_t> t = decode(text);
  const std::vector<Element> p = compile(decode(pattern));
  size_t ti = 0;
  size_t pi = 0;
  size_t starPattern = std::string_view::npos;
  size_t starText = 0;
  while (ti < t.size()) {
    if (pi < p.size() && p[pi].kind == Element::Kind::Nothing) {
      ++pi;
    } else if (pi < p.size() && p[pi].kind == Element::Kind::AnyRun) {
      starPattern = ++pi;
      starText = ti;
    } else if (pi < p.size() && p[pi].matches(t[ti])) {
      ++pi;
      ++ti;
    } else if (starPattern != std::string_view::npos) {
      pi = starPattern;
      ti = ++starText;
    } else {
      return false;
    }
  }
  while (pi < p.size() && skippable(p[pi])) ++pi;
  return pi == p.size();
}

}  // namespace telvarn::jetsql
