#include "engine/jetsql/LikePattern.h"

#include <utility>
#include <vector>

#include "engine/AppError.h"
#include "engine/GeneralSortOrder.h"
#include "engine/Utf8.h"

namespace telvarn::jetsql {
namespace {

std::vector<char32_t> decode(std::string_view utf8) {
  std::vector<char32_t> out;
  for (size_t at = 0; at < utf8.size();) out.push_back(nextCodePoint(utf8, at));
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
        return compareGeneral(c, literal) == 0;
      case Kind::One:
        return true;
      case Kind::Digit:
        return c >= '0' && c <= '9';
      case Kind::Set: {
        bool in = false;
        for (const auto& [low, high] : ranges) {
          in = in || (compareGeneral(low, c) <= 0 && compareGeneral(c, high) <= 0);
        }
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
