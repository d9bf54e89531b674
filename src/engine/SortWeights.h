// The weights of one character in the General sort order, the order the
// engine gives text everywhere (indexes, comparisons, sorting, names). Text
// is compared on three levels, each deciding only when the ones before are
// equal: the primary weights (letters without case or accent, digits,
// punctuation), then the accents of each primary, then the characters that
// sort as if absent (apostrophe, hyphen, control codes) by their place.
//
// The engine's own weights are known for Latin-1 and the Latin letters
// after it. Every other character gets weights that keep the order total,
// deterministic and blind to letter case:
//  - a character with a canonical decomposition sorts as its base letter,
//    with one accent weight for each combining mark; a combining mark in
//    the text adds its accent to the character before it;
//  - otherwise a character sorts as its case folding (ς and Σ as σ);
//  - punctuation and symbols then sort by code after those of Latin-1 and
//    before the digits; letters of other scripts (and codes not assigned)
//    by code after z; control and format codes, and marks with nothing
//    before them, as if absent, by code.
// Only the first three marks on one character count.
#pragma once

#include <array>
#include <cstdint>

namespace telvarn::sortorder {

// The accent level of one primary: up to three accent weights, the first
// deciding first; no accent sorts before every accent.
class Accents {
 public:
  static constexpr uint64_t kNone = 2;

  constexpr void add(uint32_t weight) {
    if (count_ < 3) packed_ |= uint64_t{weight} << (42 - 21 * count_++);
  }
  constexpr uint64_t value() const { return count_ ? packed_ : kNone; }
  constexpr int count() const { return count_; }
  // The first weight (the desktop engine stores one byte per primary).
  constexpr uint32_t first() const { return static_cast<uint32_t>(packed_ >> 42); }

 private:
  uint64_t packed_ = 0;
  int count_ = 0;
};

struct Weights {
  // Compared first, most significant byte first; the desktop engine's
  // one- and two-byte weights are those bytes at the top. A character that
  // sorts as two letters (ß as ss, æ as ae) has two.
  uint32_t primary[2] = {0, 0};
  int primaries = 0;  // 0: the character sorts as if absent, by `skipped`
  Accents accents;    // of each of its primaries
  uint32_t skipped = 0;
  // Whether the bytes the desktop engine stores in index keys are known.
  bool exact = false;
};

Weights weightsOf(char32_t code);

// The weights of Latin-1, which weightsOf gives too; here for the callers
// that read text character by character.
extern const std::array<Weights, 256> kLatin1Weights;

// The accent weight a combining mark gives the character before it.
uint32_t markWeight(char32_t mark);

}  // namespace telvarn::sortorder
