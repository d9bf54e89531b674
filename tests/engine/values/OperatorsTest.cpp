// The operators' values and result subtypes. Expected values are the
// library reference's examples and rules (precision orders, widening on
// overflow, Null and Empty) and the results the system's own Variant
// arithmetic gives (recorded in the Wine project's conformance tests,
// which run on Windows).
#include "engine/values/Arithmetic.h"
#include "engine/values/Comparison.h"

#include <cmath>

#include "engine/values/ValueTesting.h"

namespace telvarn::values {
namespace {

using test::errorOf;

const Variant kNull = Variant::null();
Variant shortOf(int v) {
  return Variant::fromShort(static_cast<int16_t>(v));
}
Variant longOf(int64_t v) {
  return Variant::fromLong(static_cast<int32_t>(v));
}
Variant money(double v) {
  return Variant::fromCurrency(std::llround(v * 10000));
}

TEST(Addition, TakesTheWiderTypeAndWidensOnOverflow) {
  EXPECT_EQ(add(shortOf(2), shortOf(2)), shortOf(4));
  EXPECT_EQ(add(Variant(4257.04), longOf(98112)), Variant(4257.04 + 98112));
  EXPECT_EQ(add(shortOf(32767), shortOf(1)), longOf(32768));
  EXPECT_EQ(add(Variant::fromByte(255), Variant::fromByte(1)), shortOf(256));
  EXPECT_EQ(add(Variant::fromByte(1), Variant::fromByte(2)), Variant::fromByte(3));
  EXPECT_EQ(add(longOf(INT32_MAX), longOf(1)), Variant(2147483648.0));
  EXPECT_EQ(add(Variant::fromSingle(1.5f), longOf(1)), Variant(2.5));
  EXPECT_EQ(add(Variant::fromSingle(1.5f), shortOf(1)), Variant::fromSingle(2.5f));
  EXPECT_EQ(add(money(1.5), Variant(0.25)), money(1.75));
  EXPECT_EQ(add(Variant(true), Variant(true)), shortOf(-2));
  EXPECT_EQ(add(Variant(int64_t{1} << 40), Variant(1)), Variant(1099511627777.0));
  EXPECT_EQ(errorOf([] { add(Variant(1e308), Variant(1e308)); }), 6);
  EXPECT_EQ(errorOf([] { add(Variant::fromCurrency(INT64_MAX), money(1)); }), 6);
}

TEST(Addition, JoinsTextsAndPassesNullAndEmpty) {
  EXPECT_EQ(add(Variant("34"), Variant("6")), Variant("346"));
  EXPECT_EQ(add(Variant("34"), shortOf(6)), Variant(40.0));
  EXPECT_EQ(add(Variant(), Variant()), shortOf(0));
  EXPECT_EQ(add(Variant(), Variant("x")), Variant("x"));
  EXPECT_EQ(add(kNull, shortOf(1)), kNull);
  EXPECT_EQ(add(Variant("x"), kNull), kNull);
  EXPECT_EQ(errorOf([] { add(Variant("12abc"), shortOf(1)); }), 13);
  EXPECT_EQ(errorOf([] { add(Variant::fromBinary("x"), shortOf(1)); }), 13);
}

TEST(Currency, StaysExact) {
  Variant sum = money(0);
  for (int i = 0; i < 10; ++i) sum = add(sum, Variant::fromCurrency(1000));
  EXPECT_EQ(sum, money(1));
  EXPECT_EQ(multiply(money(1.5), money(0.0003)), Variant::fromCurrency(4));  // 0.00045 to even
  EXPECT_EQ(multiply(money(2), shortOf(3)), money(6));
  // CDbl(CCur(234.456784) * 8.2 * 0.01) is 19.2254576: Currency times a
  // Double is a Double.
  EXPECT_EQ(multiply(multiply(Variant::fromCurrency(2344568), Variant(8.2)), Variant(0.01)),
            Variant(234.4568 * 8.2 * 0.01));
  EXPECT_EQ(subtract(money(0), Variant::fromCurrency(INT64_MIN + 1)), Variant::fromCurrency(INT64_MAX));
}

TEST(Dates, AddAsDaysAndSubtractToDays) {
  const Variant march14 = Variant::fromDate(45365);
  EXPECT_EQ(add(march14, shortOf(1)), Variant::fromDate(45366));
  EXPECT_EQ(subtract(march14, Variant(7.5)), Variant::fromDate(45357.5));
  EXPECT_EQ(subtract(march14, Variant::fromDate(45358)), Variant(7.0));
  EXPECT_EQ(add(Variant("1"), march14), Variant::fromDate(45366));
  EXPECT_EQ(add(Variant::fromDate(2958465), shortOf(1)), Variant(2958466.0));
  EXPECT_EQ(multiply(Variant::fromDate(2.25), longOf(7)), Variant(15.75));
  EXPECT_EQ(negate(march14), Variant::fromDate(-45365));
  EXPECT_EQ(negate(Variant::fromDate(2958465)), Variant(-2958465.0));
}

TEST(Multiplication, OrdersCurrencyBelowDouble) {
  EXPECT_EQ(multiply(shortOf(7), Variant::fromSingle(0.5f)), Variant::fromSingle(3.5f));
  EXPECT_EQ(multiply(Variant::fromSingle(0.5f), longOf(5)), Variant(2.5));
  EXPECT_EQ(multiply(Variant("12"), shortOf(4)), Variant(48.0));
  EXPECT_EQ(multiply(Variant::fromByte(255), Variant::fromByte(255)), longOf(65025));
  EXPECT_EQ(multiply(shortOf(32767), shortOf(32767)), longOf(32767 * 32767));
  EXPECT_EQ(multiply(longOf(INT32_MAX), longOf(INT32_MAX)), Variant(2147483647.0 * 2147483647.0));
  EXPECT_EQ(multiply(Variant(459.35), Variant(334.90)), Variant(459.35 * 334.90));
  EXPECT_EQ(multiply(Variant(), Variant()), shortOf(0));
  EXPECT_EQ(errorOf([] { multiply(Variant("12abc"), shortOf(2)); }), 13);
  EXPECT_EQ(errorOf([] { multiply(Variant("abc"), shortOf(2)); }), 13);
}

TEST(Division, GivesDoublesExceptAmongSinglesAndRefusesZero) {
  EXPECT_EQ(divide(shortOf(1), shortOf(2)), Variant(0.5));
  EXPECT_EQ(divide(shortOf(1), Variant::fromSingle(2)), Variant::fromSingle(0.5f));
  EXPECT_EQ(divide(Variant::fromSingle(1), longOf(2)), Variant(0.5));
  EXPECT_EQ(divide(Variant(), Variant::fromSingle(2)), Variant::fromSingle(0));
  EXPECT_EQ(divide(money(1), money(1)), Variant(1.0));
  EXPECT_EQ(divide(Variant(true), shortOf(1)), Variant(-1.0));
  EXPECT_EQ(divide(kNull, shortOf(0)), kNull);
  EXPECT_EQ(errorOf([] { divide(shortOf(1), shortOf(0)); }), 11);
  EXPECT_EQ(errorOf([] { divide(Variant(0.0), Variant(0.0)); }), 6);
  EXPECT_EQ(errorOf([] { divide(shortOf(1), Variant()); }), 11);
}

TEST(WholeDivision, RoundsOperandsFirstAndKeepsTheNarrowType) {
  EXPECT_EQ(integerDivide(shortOf(2), shortOf(1)), shortOf(2));
  EXPECT_EQ(integerDivide(Variant::fromByte(7), Variant::fromByte(2)), Variant::fromByte(3));
  EXPECT_EQ(integerDivide(Variant::fromByte(2), shortOf(1)), shortOf(2));
  EXPECT_EQ(integerDivide(shortOf(2), Variant(1.0)), longOf(2));
  EXPECT_EQ(integerDivide(Variant(true), Variant(true)), shortOf(1));
  EXPECT_EQ(integerDivide(Variant(), Variant::fromByte(1)), shortOf(0));
  EXPECT_EQ(integerDivide(shortOf(-11), shortOf(4)), shortOf(-2));
  EXPECT_EQ(integerDivide(Variant(2.5), shortOf(1)), longOf(2));
  EXPECT_EQ(integerDivide(Variant(3.5), shortOf(1)), longOf(4));
  EXPECT_EQ(integerDivide(shortOf(-32768), shortOf(-1)), longOf(32768));
  EXPECT_EQ(modulo(Variant(19.0), Variant(6.7)), longOf(5));
  EXPECT_EQ(modulo(shortOf(-7), shortOf(3)), shortOf(-1));
  EXPECT_EQ(modulo(kNull, shortOf(0)), kNull);
  EXPECT_EQ(errorOf([] { integerDivide(shortOf(1), Variant(0.4)); }), 11);
  EXPECT_EQ(errorOf([] { modulo(shortOf(1), shortOf(0)); }), 11);
  EXPECT_EQ(errorOf([] { modulo(Variant(1e10), shortOf(3)); }), 6);
}

TEST(PowerAndNegation, FollowTheirTypeRules) {
  EXPECT_EQ(power(shortOf(2), shortOf(3)), Variant(8.0));
  EXPECT_EQ(power(Variant(), Variant()), Variant(1.0));
  EXPECT_EQ(power(Variant(-8.0), shortOf(3)), Variant(-512.0));
  EXPECT_EQ(power(kNull, shortOf(1)), kNull);
  EXPECT_EQ(errorOf([] { power(Variant(-8.0), Variant(1.0 / 3)); }), 5);
  EXPECT_EQ(errorOf([] { power(shortOf(0), shortOf(-1)); }), 11);
  EXPECT_EQ(errorOf([] { power(shortOf(10), shortOf(400)); }), 6);

  EXPECT_EQ(negate(Variant::fromByte(5)), shortOf(-5));
  EXPECT_EQ(negate(shortOf(-32768)), longOf(32768));
  EXPECT_EQ(negate(longOf(INT32_MIN)), Variant(2147483648.0));
  EXPECT_EQ(negate(Variant(true)), shortOf(1));
  EXPECT_EQ(negate(Variant()), shortOf(0));
  EXPECT_EQ(negate(Variant("3")), Variant(-3.0));
  EXPECT_EQ(negate(money(1.5)), money(-1.5));
  EXPECT_EQ(negate(kNull), kNull);
  EXPECT_EQ(errorOf([] { negate(Variant::fromCurrency(INT64_MIN)); }), 6);
}

TEST(Concatenation, WritesEachSideAsText) {
  EXPECT_EQ(concatenate(Variant("Due: "), Variant::fromDate(45365)), Variant("Due: 3/14/2024"));
  EXPECT_EQ(concatenate(longOf(12), Variant(true)), Variant("12True"));
  EXPECT_EQ(concatenate(Variant(1.5), Variant()), Variant("1.5"));
  EXPECT_EQ(concatenate(kNull, Variant("x")), Variant("x"));
  EXPECT_EQ(concatenate(kNull, kNull), kNull);
}

TEST(Comparisons, GiveTrueFalseOrNull) {
  EXPECT_EQ(compare(Comparison::Equal, shortOf(1), Variant(1.0)), Variant(true));
  EXPECT_EQ(compare(Comparison::Less, longOf(-1), Variant::fromByte(0)), Variant(true));
  EXPECT_EQ(compare(Comparison::GreaterOrEqual, kNull, shortOf(1)), kNull);
  EXPECT_EQ(compare(Comparison::Equal, Variant("abc"), Variant("ABC")), Variant(true));
  EXPECT_EQ(compare(Comparison::Equal, Variant("Äpfel"), Variant("äpfel")), Variant(true));
  EXPECT_EQ(compare(Comparison::Less, Variant("a"), Variant("B")), Variant(true));
  EXPECT_EQ(compare(Comparison::NotEqual, Variant(), Variant("")), Variant(false));
  EXPECT_EQ(compare(Comparison::Equal, Variant(), shortOf(0)), Variant(true));
  EXPECT_EQ(compare(Comparison::Equal, Variant::fromDate(45365), longOf(45365)), Variant(true));
  EXPECT_EQ(compare(Comparison::Greater, Variant::fromDate(45365), Variant(99999.0)),
            Variant(false));
  EXPECT_EQ(compare(Comparison::Equal, money(0.1), Variant(0.1)), Variant(true));
  EXPECT_EQ(compare(Comparison::Equal, Variant::fromSingle(1), Variant(1 + 1e-8)), Variant(true));
  EXPECT_EQ(compare(Comparison::Greater, Variant(1 + 1e-8), Variant(1.0)), Variant(true));
  EXPECT_EQ(compare(Comparison::Equal, Variant(true), shortOf(-1)), Variant(true));
  EXPECT_EQ(order(Variant::fromBinary("a"), Variant::fromBinary("b")), -1);
  EXPECT_EQ(errorOf([] { compare(Comparison::Equal, shortOf(12), Variant("12")); }), 13);
  EXPECT_EQ(errorOf([] { order(Variant::fromDate(1), Variant("1/1/2000")); }), 13);
}

}  // namespace
}  // namespace telvarn::values
