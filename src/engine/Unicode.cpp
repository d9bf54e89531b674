#include "engine/Unicode.h"

#include <algorithm>
#include <iterator>

#include "engine/Utf8.h"

namespace telvarn::unicode {
namespace {

// `count` codes first, first + stride, ... that map to themselves + delta.
struct CaseRun {
  char32_t first;
  int count;
  int stride;
  int delta;
};

struct ClassRun {
  char32_t first;
  CharClass charClass;
};

constexpr CharClass L = CharClass::Letter;
constexpr CharClass M = CharClass::Mark;
constexpr CharClass S = CharClass::Symbol;
constexpr CharClass I = CharClass::Ignorable;

#include "engine/UnicodeTables.inc"

template <size_t size>
char32_t mapped(const CaseRun (&runs)[size], char32_t code) {
  const auto after = std::upper_bound(std::begin(runs), std::end(runs), code,
                                      [](char32_t c, const CaseRun& run) { return c < run.first; });
  if (after == std::begin(runs)) return code;
  const CaseRun& run = *std::prev(after);
  const char32_t offset = code - run.first;
  if (offset % run.stride != 0 || offset / run.stride >= static_cast<char32_t>(run.count))
    return code;
  return static_cast<char32_t>(static_cast<int>(code) + run.delta);
}

template <char32_t (*map)(char32_t)>
std::string mappedText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) appendUtf8(out, map(nextCodePoint(text, at)));
  return out;
}

}  // namespace

char32_t upperCase(char32_t code) {
  if (code < 0x80) return code >= 'a' && code <= 'z' ? code - 32 : code;
  return mapped(kUpperRuns, code);
}

char32_t lowerCase(char32_t code) {
  if (code < 0x80) return code >= 'A' && code <= 'Z' ? code + 32 : code;
  return mapped(kLowerRuns, code);
}

char32_t caseFold(char32_t code) {
  return mapped(kFoldRuns, code);
}

std::string upperCase(std::string_view text) {
  return mappedText<upperCase>(text);
}

std::string lowerCase(std::string_view text) {
  return mappedText<lowerCase>(text);
}

CharClass charClass(char32_t code) {
  const auto after =
      std::upper_bound(std::begin(kClasses), std::end(kClasses), code,
                       [](char32_t c, const ClassRun& run) { return c < run.first; });
  return after == std::begin(kClasses) ? CharClass::Letter : std::prev(after)->charClass;
}

const Decomposition* canonicalDecomposition(char32_t code) {
  const auto found =
      std::lower_bound(std::begin(kDecompositions), std::end(kDecompositions), code,
                       [](const Decomposition& d, char32_t c) { return d.code < c; });
  return found != std::end(kDecompositions) && found->code == code ? &*found : nullptr;
}

}  // namespace telvarn::unicode
