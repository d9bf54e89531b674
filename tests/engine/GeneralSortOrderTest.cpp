// The General sort order on text: what it ignores, what it counts, how it
// places the characters whose weights the engine's tables do not give, and
// that it orders Latin-1 text exactly as the desktop engine's stored index
// keys do (which the .mdb tests prove byte for byte).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/GeneralSortOrder.h"
#include "engine/Unicode.h"
#include "engine/Utf8.h"

namespace telvarn::test {
namespace {

int sign(int value) {
  return (value > 0) - (value < 0);
}

// Each text sorts before the next.
void expectAscending(const std::vector<std::string>& texts) {
  for (size_t i = 0; i + 1 < texts.size(); ++i) {
    EXPECT_LT(compareGeneral(texts[i], texts[i + 1]), 0) << texts[i] << " | " << texts[i + 1];
    EXPECT_GT(compareGeneral(texts[i + 1], texts[i]), 0) << texts[i + 1] << " | " << texts[i];
  }
}

TEST(GeneralSortOrder, LetterCaseNeverCountsAccentsDo) {
  for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
           {"Äpfel", "äpfel"},
           {"ÄRGER", "ärger"},
           {"ŁÓDŹ", "łódź"},
           {"ΣΊΣΥΦΟΣ", "σίσυφος"},
           {"ЖУРНАЛ", "журнал"},
           {"Ǆ", "ǆ"},
           {"Cæsar", "CAESAR"},
       }) {
    EXPECT_EQ(compareGeneral(a, b), 0) << a << " | " << b;
  }
  // Accents count only where the letters are equal.
  expectAscending({"a", "á", "Ä", "b"});
  expectAscending({"apfel", "Äpfel", "Apfelz", "zebra"});
  expectAscending({"cote", "coté", "côte", "côté", "cotf"});
  expectAscending({"lodz", "łódź", "lodzi"});
}

TEST(GeneralSortOrder, BlanksAtTheEndAndSkippedCharacters) {
  EXPECT_EQ(compareGeneral("abc", "abc   "), 0);
  EXPECT_EQ(compareGeneral("Nuß", "NUSS"), 0);
  EXPECT_LT(compareGeneral(" abc", "abc"), 0);
  // The hyphen, the apostrophe and control codes count after all else.
  expectAscending({"coop", "co'op", "co-op", "cooq"});
  expectAscending({"abc",
                   "ab\x01"
                   "c",
                   "abd"});
  expectAscending({"abc", "ab-c", "ábc"});
}

TEST(GeneralSortOrder, EveryOtherCharacterHasAPlace) {
  // Canonically equal texts are one key.
  EXPECT_EQ(compareGeneral("e\xCC\x81", "é"), 0);
  EXPECT_EQ(compareGeneral("\xE2\x84\xAB", "å"), 0);  // the angstrom sign
  EXPECT_EQ(compareGeneral("Ο\xCC\x81", "ό"), 0);
  EXPECT_EQ(compareGeneral("ς", "Σ"), 0);
  // Latin letters with marks sort by their letter; other letters after z;
  // symbols after those of Latin-1 and before the digits.
  expectAscending({"c", "č", "cz", "d", "ǯ"});
  expectAscending({"ṩ", "t"});
  expectAscending({"zz", "α", "ω", "а", "я", "一"});
  expectAscending({"!", "€", "0", "9", "a"});
  // Bytes that are no UTF-8 still sort, each apart from the others.
  expectAscending({"a", "a\xFE", "a\xFF"});
  // A list of all kinds sorts the same way from any start: the order is total.
  std::vector<std::string> texts = {"b",  "Á",    "ä",         "a-", "a", "A",  "é", "ǅ", "α", "€",
                                    "10", "1",    " ",         "",   "ß", "ss", "Æ", "ø", "Ø", "\t",
                                    "-",  "\x01", "e\xCC\x81", "ё",  "е", "ÿ",  "Ÿ", "z", "Ω", "ω"};
  std::mt19937 random(7);
  std::vector<std::string> first;
  for (int round = 0; round < 20; ++round) {
    std::shuffle(texts.begin(), texts.end(), random);
    std::stable_sort(texts.begin(), texts.end(),
                     [](const auto& a, const auto& b) { return compareGeneral(a, b) < 0; });
    for (size_t i = 0; i < texts.size(); ++i) {
      for (size_t j = i + 1; j < texts.size(); ++j) {
        ASSERT_LE(compareGeneral(texts[i], texts[j]), 0) << texts[i] << " | " << texts[j];
      }
    }
    if (round == 0) first = texts;
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(compareGeneral(first[i], texts[i]), 0);
  }
}

// Random Latin-1 texts compare as their stored keys compare.
TEST(GeneralSortOrder, OrdersAsTheStoredKeysDo) {
  const std::u16string alphabet = u"aAbBcCzZ09 ,./&'-äÄáÀçÇñøÆßþÐªé!()[]:?@";
  std::mt19937 random(11);
  const auto randomText = [&] {
    std::vector<uint16_t> units(random() % 6);
    for (uint16_t& unit : units) unit = alphabet[random() % alphabet.size()];
    return units;
  };
  const auto utf8 = [](const std::vector<uint16_t>& units) {
    std::string out;
    for (uint16_t unit : units) appendUtf8(out, unit);
    return out;
  };
  int equal = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::vector<uint16_t> a = randomText();
    const std::vector<uint16_t> b = randomText();
    std::vector<uint8_t> keyA;
    std::vector<uint8_t> keyB;
    ASSERT_TRUE(appendGeneralSortKey(a, keyA) && appendGeneralSortKey(b, keyB))
        << utf8(a) << " | " << utf8(b);
    const int keys = keyA < keyB ? -1 : keyB < keyA ? 1 : 0;
    equal += keys == 0;
    ASSERT_EQ(sign(compareGeneral(utf8(a), utf8(b))), keys) << utf8(a) << " | " << utf8(b);
  }
  EXPECT_GT(equal, 100);
}

TEST(UnicodeCase, UpperAndLowerCaseCoverEveryLetter) {
  EXPECT_EQ(unicode::upperCase("äbc ß ǆ ως жё ı ÿ"), "ÄBC ß Ǆ ΩΣ ЖЁ I Ÿ");
  EXPECT_EQ(unicode::lowerCase("ÄBC Ǆ ΩΣ ЖЁ İ Ÿ"), "äbc ǆ ωσ жё i ÿ");
  EXPECT_EQ(unicode::upperCase("a\xFF"
                               "b\xC3"),
            "A\xFF"
            "B\xC3");
  EXPECT_EQ(unicode::upperCase("1,5 €"), "1,5 €");
}

}  // namespace
}  // namespace telvarn::test
