// The Unicode facts the engine needs for text: simple case mappings (UCase,
// LCase), case folding and canonical decompositions (the General sort
// order), and a coarse class of every code point. The tables are generated
// from the Unicode Character Database by scripts/unicode-tables.py.
#pragma once

#include <string>
#include <string_view>

namespace telvarn::unicode {

char32_t upperCase(char32_t code);
char32_t lowerCase(char32_t code);
// The simple case folding: the one code that stands for all case forms of
// a letter (ς and Σ fold to σ, ſ to s); the code itself when it has none.
char32_t caseFold(char32_t code);

// UTF-8 text with every code point mapped; bytes that are no valid UTF-8
// stay as they are.
std::string upperCase(std::string_view text);
std::string lowerCase(std::string_view text);

enum class CharClass : unsigned char {
  Letter,     // letters, digits, and codes not assigned yet
  Mark,       // combining marks: accents on the code before them
  Symbol,     // punctuation, symbols and separators
  Ignorable,  // control and format codes
};
CharClass charClass(char32_t code);

// A code's canonical decomposition, in full: its base and up to three
// combining marks (0 where there are fewer).
struct Decomposition {
  char32_t code;
  char32_t base;
  char32_t marks[3];
};
// nullptr for a code that does not decompose (and for all of Latin-1 and
// the compatibility ideographs, which the sort order takes as they are).
const Decomposition* canonicalDecomposition(char32_t code);

}  // namespace telvarn::unicode
