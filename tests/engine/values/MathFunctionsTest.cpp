// The numeric functions. Expected values are the library reference's
// examples and rules.
#include "engine/values/MathFunctions.h"

#include <cmath>

#include "engine/values/ValueTesting.h"

namespace telvarn::values {
namespace {

using test::errorOf;

const Variant kNull = Variant::null();

TEST(WholeParts, IntFixAbsAndSgnKeepTheSubtype) {
  EXPECT_EQ(intPart(Variant(99.8)), Variant(99.0));
  EXPECT_EQ(fix(Variant(99.2)), Variant(99.0));
  EXPECT_EQ(intPart(Variant(-99.8)), Variant(-100.0));
  EXPECT_EQ(fix(Variant(-99.8)), Variant(-99.0));
  EXPECT_EQ(intPart(Variant(-99.2)), Variant(-100.0));
  EXPECT_EQ(fix(Variant(-99.2)), Variant(-99.0));
  EXPECT_EQ(intPart(Variant::fromDate(45365.75)), Variant::fromDate(45365));
  EXPECT_EQ(intPart(Variant::fromCurrency(-15000)), Variant::fromCurrency(-20000));
  EXPECT_EQ(fix(Variant::fromCurrency(-15000)), Variant::fromCurrency(-10000));
  EXPECT_EQ(intPart(Variant::fromSingle(1.5f)), Variant::fromSingle(1));
  EXPECT_EQ(intPart(Variant("2.5")), Variant(2.0));
  EXPECT_EQ(intPart(Variant(true)), Variant::fromShort(-1));
  EXPECT_EQ(intPart(kNull), kNull);
  EXPECT_EQ(errorOf([] { intPart(Variant("x")); }), 13);

  EXPECT_EQ(abs(Variant(-50.3)), Variant(50.3));
  EXPECT_EQ(abs(Variant(50.3)), Variant(50.3));
  EXPECT_EQ(abs(Variant::fromShort(-32768)), Variant::fromLong(32768));
  EXPECT_EQ(abs(Variant::fromCurrency(-5)), Variant::fromCurrency(5));
  EXPECT_EQ(abs(Variant()), Variant::fromShort(0));
  EXPECT_EQ(abs(kNull), kNull);
  EXPECT_EQ(sgn(Variant(12)), Variant::fromShort(1));
  EXPECT_EQ(sgn(Variant(-2.4)), Variant::fromShort(-1));
  EXPECT_EQ(sgn(Variant(0)), Variant::fromShort(0));
  EXPECT_EQ(sgn(kNull), kNull);
}

TEST(Round, IsBankersRounding) {
  EXPECT_EQ(round(Variant(0.12335), Variant(4)), Variant(0.1234));
  EXPECT_EQ(round(Variant(0.12345), Variant(4)), Variant(0.1234));
  EXPECT_EQ(round(Variant(0.12355), Variant(4)), Variant(0.1236));
  EXPECT_EQ(round(Variant(0.12365), Variant(4)), Variant(0.1236));
  EXPECT_EQ(round(Variant(0.00005), Variant(4)), Variant(0.0));
  EXPECT_EQ(round(Variant(2.5), Variant(0)), Variant(2.0));
  EXPECT_EQ(round(Variant(3.5), Variant(0)), Variant(4.0));
  EXPECT_EQ(round(Variant(-2.5), Variant(0)), Variant(-2.0));
  EXPECT_EQ(round(Variant::fromCurrency(12345), Variant(3)), Variant::fromCurrency(12340));
  EXPECT_EQ(round(Variant::fromCurrency(12355), Variant(3)), Variant::fromCurrency(12360));
  EXPECT_EQ(round(Variant::fromShort(7), Variant(2)), Variant::fromShort(7));
  EXPECT_EQ(round(kNull, Variant(0)), kNull);
  EXPECT_EQ(errorOf([] { round(Variant(1.5), Variant(-1)); }), 5);
}

TEST(RealFunctions, GiveDoublesAndRefuseTheirDomains) {
  EXPECT_EQ(sqr(Variant(4)), Variant(2.0));
  EXPECT_EQ(sqr(Variant(23)).toText(), "4.79583152331272");
  EXPECT_EQ(sqr(Variant(0)), Variant(0.0));
  EXPECT_EQ(errorOf([] { sqr(Variant(-4)); }), 5);
  EXPECT_EQ(exp(Variant(1)), Variant(std::exp(1.0)));
  EXPECT_EQ(errorOf([] { exp(Variant(710)); }), 6);
  EXPECT_EQ(log(Variant(std::exp(2.0))), Variant(2.0));
  EXPECT_EQ(errorOf([] { log(Variant(0)); }), 5);
  EXPECT_EQ(atn(Variant(1)).toText(), "0.785398163397448");
  EXPECT_EQ(cos(Variant(0)), Variant(1.0));
  EXPECT_EQ(sin(Variant(0)), Variant(0.0));
  EXPECT_EQ(tan(Variant(0)), Variant(0.0));
  EXPECT_EQ(cos(kNull), kNull);
  EXPECT_EQ(errorOf([] { sin(Variant("x")); }), 13);
}

TEST(HexAndOct, WriteTheRoundedWholeNumber) {
  EXPECT_EQ(hex(Variant(5)), Variant("5"));
  EXPECT_EQ(hex(Variant(10)), Variant("A"));
  EXPECT_EQ(hex(Variant(459)), Variant("1CB"));
  EXPECT_EQ(oct(Variant(4)), Variant("4"));
  EXPECT_EQ(oct(Variant(8)), Variant("10"));
  EXPECT_EQ(oct(Variant(459)), Variant("713"));
  EXPECT_EQ(hex(Variant::fromShort(-1)), Variant("FFFF"));
  EXPECT_EQ(hex(Variant::fromLong(-1)), Variant("FFFFFFFF"));
  EXPECT_EQ(hex(Variant(10.5)), Variant("A"));
  EXPECT_EQ(hex(Variant()), Variant("0"));
  EXPECT_EQ(hex(kNull), kNull);
  EXPECT_EQ(errorOf([] { hex(Variant(1e10)); }), 6);
}

}  // namespace
}  // namespace telvarn::values
