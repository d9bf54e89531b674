// The text functions. Expected values are the library reference's examples
// and its rules for Null, empty text and argument ranges.
#include "engine/values/TextFunctions.h"

#include "engine/values/ValueTesting.h"

namespace telvarn::values {
namespace {

using test::errorOf;

const Variant kNull = Variant::null();
const Variant kDefault(-1);

TEST(CuttingText, LeftRightMidAndLen) {
  const Variant hello("Hello World");
  EXPECT_EQ(left(hello, Variant(1)), Variant("H"));
  EXPECT_EQ(left(hello, Variant(7)), Variant("Hello W"));
  EXPECT_EQ(left(hello, Variant(20)), hello);
  EXPECT_EQ(right(hello, Variant(6)), Variant(" World"));
  EXPECT_EQ(right(hello, Variant(20)), hello);
  const Variant demo("Mid Function Demo");
  EXPECT_EQ(mid(demo, Variant(1), Variant(3)), Variant("Mid"));
  EXPECT_EQ(mid(demo, Variant(14), Variant(4)), Variant("Demo"));
  EXPECT_EQ(mid(demo, Variant(5)), Variant("Function Demo"));
  EXPECT_EQ(mid(demo, Variant(40)), Variant(""));
  EXPECT_EQ(len(demo), Variant::fromLong(17));
  EXPECT_EQ(len(Variant("äö😀")), Variant::fromLong(4));  // U+1F600 is two UTF-16 units
  EXPECT_EQ(len(Variant::fromDate(45365)), Variant::fromLong(9));  // "3/14/2024"
  EXPECT_EQ(left(Variant(12345), Variant(2)), Variant("12"));
  EXPECT_EQ(left(kNull, Variant(1)), kNull);
  EXPECT_EQ(len(kNull), kNull);
  EXPECT_EQ(errorOf([&] { left(hello, Variant(-1)); }), 5);
  EXPECT_EQ(errorOf([&] { mid(hello, Variant(0)); }), 5);
  EXPECT_EQ(errorOf([&] { mid(hello, Variant(1), Variant(-1)); }), 5);
  EXPECT_EQ(errorOf([&] { right(hello, kNull); }), 94);
  EXPECT_EQ(errorOf([&] { mid(hello, Variant("x")); }), 13);
}

TEST(SearchingText, InStrWithStartAndCompare) {
  const Variant text("XXpXXpXXPXXP");
  EXPECT_EQ(inStr(Variant(4), text, Variant("P"), Variant(1)), Variant::fromLong(6));
  EXPECT_EQ(inStr(Variant(1), text, Variant("P"), Variant(0)), Variant::fromLong(9));
  EXPECT_EQ(inStr(Variant(1), text, Variant("P"), kDefault), Variant::fromLong(3));
  EXPECT_EQ(inStr(Variant(1), text, Variant("W"), kDefault), Variant::fromLong(0));
  EXPECT_EQ(inStr(Variant(5), text, Variant(""), kDefault), Variant::fromLong(5));
  EXPECT_EQ(inStr(Variant(13), text, Variant("P"), kDefault), Variant::fromLong(0));
  EXPECT_EQ(inStr(Variant(1), Variant(""), Variant("P"), kDefault), Variant::fromLong(0));
  EXPECT_EQ(inStr(Variant(1), Variant("ÄPFEL"), Variant("äpf"), Variant(1)), Variant::fromLong(1));
  EXPECT_EQ(inStr(Variant(1), kNull, Variant("P"), kDefault), kNull);
  EXPECT_EQ(errorOf([&] { inStr(Variant(0), text, Variant("P"), kDefault); }), 5);
  EXPECT_EQ(errorOf([&] { inStr(kNull, text, Variant("P"), kDefault); }), 94);
  EXPECT_EQ(errorOf([&] { inStr(Variant(1), text, Variant("P"), kNull); }), 94);
  EXPECT_EQ(errorOf([&] { inStr(Variant(1), text, Variant("P"), Variant(3)); }), 5);

  EXPECT_EQ(inStrRev(text, Variant("X"), kDefault, kDefault), Variant::fromLong(11));
  EXPECT_EQ(inStrRev(text, Variant("p"), kDefault, kDefault), Variant::fromLong(6));
  EXPECT_EQ(inStrRev(text, Variant("p"), kDefault, Variant(1)), Variant::fromLong(12));
  EXPECT_EQ(inStrRev(text, Variant("XP"), Variant(9), kDefault), Variant::fromLong(8));
  EXPECT_EQ(inStrRev(text, Variant("XP"), Variant(8), kDefault), Variant::fromLong(0));
  EXPECT_EQ(inStrRev(text, Variant(""), Variant(4), kDefault), Variant::fromLong(4));
  EXPECT_EQ(inStrRev(text, Variant("X"), Variant(13), kDefault), Variant::fromLong(0));
  EXPECT_EQ(errorOf([&] { inStrRev(text, Variant("X"), Variant(0), kDefault); }), 5);
}

TEST(ChangingText, ReplaceReverseCaseAndTrim) {
  EXPECT_EQ(replace(Variant("aXbXc"), Variant("X"), Variant("--"), Variant(1), kDefault, kDefault),
            Variant("a--b--c"));
  EXPECT_EQ(replace(Variant("aXbXc"), Variant("x"), Variant("-"), Variant(1), kDefault, kDefault),
            Variant("aXbXc"));
  EXPECT_EQ(replace(Variant("aXbXc"), Variant("x"), Variant("-"), Variant(1), kDefault, Variant(1)),
            Variant("a-b-c"));
  EXPECT_EQ(replace(Variant("aXbXc"), Variant("X"), Variant(""), Variant(3), kDefault, kDefault),
            Variant("bc"));
  EXPECT_EQ(replace(Variant("aXbXc"), Variant("X"), Variant("-"), Variant(1), Variant(1), kDefault),
            Variant("a-bXc"));
  EXPECT_EQ(replace(Variant("aXbXc"), Variant(""), Variant("-"), Variant(1), kDefault, kDefault),
            Variant("aXbXc"));
  EXPECT_EQ(replace(Variant("abc"), Variant("b"), Variant("-"), Variant(9), kDefault, kDefault),
            Variant(""));
  EXPECT_EQ(errorOf([] { replace(Variant::null(), Variant("a"), Variant("b"), Variant(1), Variant(-1), Variant(-1)); }), 94);
  EXPECT_EQ(errorOf([] { replace(Variant("a"), Variant("a"), Variant("b"), Variant(1), Variant(-2), Variant(-1)); }), 5);

  EXPECT_EQ(strReverse(Variant("abc😀")), Variant("😀cba"));
  EXPECT_EQ(errorOf([] { strReverse(Variant::null()); }), 94);
  EXPECT_EQ(uCase(Variant("äbc ß")), Variant("ÄBC ß"));
  EXPECT_EQ(lCase(Variant("ÄPFEL Σ")), Variant("äpfel σ"));
  EXPECT_EQ(uCase(kNull), kNull);
  const Variant padded("  <-Trim->  ");
  EXPECT_EQ(lTrim(padded), Variant("<-Trim->  "));
  EXPECT_EQ(rTrim(padded), Variant("  <-Trim->"));
  EXPECT_EQ(trim(padded), Variant("<-Trim->"));
  EXPECT_EQ(trim(Variant("\tx\t")), Variant("\tx\t"));
  EXPECT_EQ(trim(kNull), kNull);
}

TEST(ComparingText, StrComp) {
  EXPECT_EQ(strComp(Variant("ABCD"), Variant("abcd"), Variant(1)), Variant::fromShort(0));
  EXPECT_EQ(strComp(Variant("ABCD"), Variant("abcd"), Variant(0)), Variant::fromShort(-1));
  EXPECT_EQ(strComp(Variant("abcd"), Variant("ABCD"), Variant(0)), Variant::fromShort(1));
  EXPECT_EQ(strComp(Variant("abcd"), Variant("ABCD"), kDefault), Variant::fromShort(0));
  EXPECT_EQ(strComp(Variant("a"), Variant("B"), Variant(2)), Variant::fromShort(-1));
  EXPECT_EQ(strComp(kNull, Variant("a"), kDefault), kNull);
  EXPECT_EQ(errorOf([] { strComp(Variant("a"), Variant("b"), Variant::null()); }), 94);
}

TEST(MakingText, SpaceStringAndCharacterCodes) {
  EXPECT_EQ(space(Variant(3)), Variant("   "));
  EXPECT_EQ(errorOf([] { space(Variant(-1)); }), 5);
  EXPECT_EQ(string(Variant(5), Variant("*")), Variant("*****"));
  EXPECT_EQ(string(Variant(5), Variant(42)), Variant("*****"));
  EXPECT_EQ(string(Variant(10), Variant("ABC")), Variant("AAAAAAAAAA"));
  EXPECT_EQ(string(Variant(2), Variant(256 + 65)), Variant("AA"));
  EXPECT_EQ(string(kNull, Variant("*")), kNull);
  EXPECT_EQ(errorOf([] { string(Variant(2), Variant("")); }), 5);

  EXPECT_EQ(asc(Variant("A")), Variant::fromShort(65));
  EXPECT_EQ(asc(Variant("a")), Variant::fromShort(97));
  EXPECT_EQ(asc(Variant("Apple")), Variant::fromShort(65));
  EXPECT_EQ(asc(Variant("€")), Variant::fromShort(128));
  EXPECT_EQ(asc(Variant("Ω")), Variant::fromShort(63));
  EXPECT_EQ(ascW(Variant("Ω")), Variant::fromShort(937));
  EXPECT_EQ(ascW(Variant("\xEF\xBF\xBF")), Variant::fromShort(-1));  // U+FFFF
  EXPECT_EQ(errorOf([] { asc(Variant("")); }), 5);
  EXPECT_EQ(errorOf([] { asc(Variant::null()); }), 94);

  EXPECT_EQ(chr(Variant(65)), Variant("A"));
  EXPECT_EQ(chr(Variant(62)), Variant(">"));
  EXPECT_EQ(chr(Variant(128)), Variant("€"));
  EXPECT_EQ(chr(Variant(233)), Variant("é"));
  EXPECT_EQ(chrW(Variant(937)), Variant("Ω"));
  EXPECT_EQ(chrW(Variant(-1)), Variant("\xEF\xBF\xBF"));
  EXPECT_EQ(errorOf([] { chr(Variant(256)); }), 5);
  EXPECT_EQ(errorOf([] { chrW(Variant(65536)); }), 5);
  EXPECT_EQ(errorOf([] { chr(Variant::null()); }), 94);
}

}  // namespace
}  // namespace telvarn::values
