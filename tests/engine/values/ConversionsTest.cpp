// The run-time library's conversions. Expected values are the library
// reference's own examples and the ranges and rules it states.
#include "engine/values/Convert.h"

#include "engine/values/ValueTesting.h"

namespace telvarn::values {
namespace {

using test::errorOf;

constexpr double kMarch14 = 45365;  // 3/14/2024
constexpr double kOneFortyFivePm = (13 * 3600 + 45 * 60 + 10) / 86400.0;

TEST(CStr, WritesEverySubtypeAsTheLibraryDoes) {
  EXPECT_EQ(toText(Variant(0.1)), "0.1");
  EXPECT_EQ(toText(Variant(1e15)), "1E+15");
  EXPECT_EQ(toText(Variant(123456789012345.0)), "123456789012345");
  EXPECT_EQ(toText(Variant(-0.000015)), "-1.5E-05");
  EXPECT_EQ(toText(Variant(0.0001)), "0.0001");
  EXPECT_EQ(toText(Variant(1.0 / 3)), "0.333333333333333");
  EXPECT_EQ(toText(Variant(0.1 + 0.2)), "0.3");
  EXPECT_EQ(toText(Variant(-0.0)), "0");
  EXPECT_EQ(toText(Variant::fromSingle(0.1f)), "0.1");
  EXPECT_EQ(toText(Variant::fromSingle(1e7f)), "1E+07");
  EXPECT_EQ(toText(Variant::fromSingle(1.0f / 3)), "0.3333333");
  EXPECT_EQ(toText(Variant::fromCurrency(12345)), "1.2345");
  EXPECT_EQ(toText(Variant::fromCurrency(-15000)), "-1.5");
  EXPECT_EQ(toText(Variant::fromCurrency(INT64_MAX)), "922337203685477.5807");
  EXPECT_EQ(toText(Variant::fromCurrency(INT64_MIN)), "-922337203685477.5808");
  EXPECT_EQ(toText(Variant(true)), "True");
  EXPECT_EQ(toText(Variant(false)), "False");
  EXPECT_EQ(toText(Variant::fromShort(-7)), "-7");
  EXPECT_EQ(toText(Variant::fromDate(kMarch14)), "3/14/2024");
  EXPECT_EQ(toText(Variant::fromDate(kMarch14 + kOneFortyFivePm)), "3/14/2024 1:45:10 PM");
  EXPECT_EQ(toText(Variant::fromDate(kOneFortyFivePm)), "1:45:10 PM");
  EXPECT_EQ(toText(Variant::fromDate(0)), "12:00:00 AM");
  EXPECT_EQ(toText(Variant()), "");
  EXPECT_EQ(errorOf([] { toText(Variant::null()); }), 94);
  EXPECT_EQ(errorOf([] { toText(Variant::fromBinary("\x01")); }), 13);
}

TEST(WholeNumberConversions, RoundHalvesToEvenAndRefuseWhatDoesNotFit) {
  EXPECT_EQ(toShort(Variant(2345.5678)), 2346);
  EXPECT_EQ(toShort(Variant("12345.67")), 12346);
  EXPECT_EQ(toShort(Variant(0.5)), 0);
  EXPECT_EQ(toShort(Variant(1.5)), 2);
  EXPECT_EQ(toShort(Variant(2.5)), 2);
  EXPECT_EQ(toShort(Variant(3.5)), 4);
  EXPECT_EQ(toShort(Variant(-2.5)), -2);
  EXPECT_EQ(toShort(Variant::fromCurrency(25000)), 2);
  EXPECT_EQ(toShort(Variant::fromCurrency(35000)), 4);
  EXPECT_EQ(toShort(Variant()), 0);
  EXPECT_EQ(toShort(Variant(true)), -1);
  EXPECT_EQ(toLong(Variant(25427.45)), 25427);
  EXPECT_EQ(toLong(Variant(25427.55)), 25428);
  EXPECT_EQ(toByte(Variant(125.5678)), 126);
  EXPECT_EQ(toLong(Variant::fromDate(kMarch14 + 0.75)), 45366);

  EXPECT_EQ(errorOf([] { toShort(Variant(32767.5)); }), 6);
  EXPECT_EQ(errorOf([] { toShort(Variant(int64_t{-32769})); }), 6);
  EXPECT_EQ(errorOf([] { toLong(Variant(2147483647.5)); }), 6);
  EXPECT_EQ(errorOf([] { toByte(Variant(256)); }), 6);
  EXPECT_EQ(errorOf([] { toByte(Variant(true)); }), 6);
  EXPECT_EQ(errorOf([] { toShort(Variant("12abc")); }), 13);
  EXPECT_EQ(errorOf([] { toShort(Variant("")); }), 13);
  EXPECT_EQ(errorOf([] { toLong(Variant::null()); }), 94);
}

TEST(CCur, IsExactToTheTenThousandthAndRoundsHalvesToEven) {
  EXPECT_EQ(toCurrencyUnits(Variant("99999999999999.9999")), 999999999999999999);
  EXPECT_EQ(toCurrencyUnits(Variant(543.214588 * 2)), 10864292);
  EXPECT_EQ(toCurrencyUnits(Variant("0.00005")), 0);
  EXPECT_EQ(toCurrencyUnits(Variant("0.00015")), 2);
  EXPECT_EQ(toCurrencyUnits(Variant("-0.00025")), -2);
  EXPECT_EQ(toCurrencyUnits(Variant("1.5e3")), 15000000);
  EXPECT_EQ(toCurrencyUnits(Variant("-922337203685477.5808")), INT64_MIN);
  EXPECT_EQ(toCurrencyUnits(Variant(int64_t{3})), 30000);
  EXPECT_EQ(errorOf([] { toCurrencyUnits(Variant("922337203685477.5808")); }), 6);
  EXPECT_EQ(errorOf([] { toCurrencyUnits(Variant(1e15)); }), 6);
  EXPECT_EQ(errorOf([] { toCurrencyUnits(Variant("1 000")); }), 13);
}

TEST(RealConversions, KeepTheirPrecisionAndRange) {
  EXPECT_EQ(toSingle(Variant(75.3421115)), 75.34211f);
  EXPECT_EQ(toDouble(Variant(" -1.5e2 ")), -150);
  EXPECT_EQ(toDouble(Variant("&H10")), 16);
  EXPECT_EQ(toDouble(Variant("&HFFFFFFFF")), -1);
  EXPECT_EQ(toDouble(Variant::fromDate(kMarch14)), kMarch14);
  EXPECT_EQ(errorOf([] { toSingle(Variant(1e39)); }), 6);
  EXPECT_EQ(errorOf([] { toDouble(Variant("1e400")); }), 6);
  EXPECT_EQ(errorOf([] { toDouble(Variant("1,000")); }), 13);
}

TEST(CDateAndCBool, ReadDatesAndTruth) {
  EXPECT_EQ(toDate(Variant("3/14/2024")), kMarch14);
  EXPECT_EQ(toDate(Variant(kMarch14 + 0.5)), kMarch14 + 0.5);
  EXPECT_EQ(toDate(Variant(true)), -1);
  EXPECT_EQ(errorOf([] { toDate(Variant(3e6)); }), 6);
  EXPECT_EQ(errorOf([] { toDate(Variant("not a date")); }), 13);
  EXPECT_EQ(errorOf([] { toDate(Variant::null()); }), 94);

  EXPECT_TRUE(toBool(Variant(5)));
  EXPECT_FALSE(toBool(Variant::fromCurrency(0)));
  EXPECT_TRUE(toBool(Variant("true")));
  EXPECT_FALSE(toBool(Variant("0")));
  EXPECT_FALSE(toBool(Variant()));
  EXPECT_EQ(errorOf([] { toBool(Variant("Yes")); }), 13);
  EXPECT_EQ(errorOf([] { toBool(Variant::null()); }), 94);
}

TEST(Val, ReadsTheLeadingNumberAndIgnoresBlanks) {
  EXPECT_EQ(val(Variant("    1615 198th Street N.E.")), 1615198);
  EXPECT_EQ(val(Variant("2457")), 2457);
  EXPECT_EQ(val(Variant(" 2 45 7")), 2457);
  EXPECT_EQ(val(Variant("24 and 57")), 24);
  EXPECT_EQ(val(Variant("&HFFFF")), -1);
  EXPECT_EQ(val(Variant("&H10")), 16);
  EXPECT_EQ(val(Variant("&O17xyz")), 15);
  EXPECT_EQ(val(Variant("-1.5e2x")), -150);
  EXPECT_EQ(val(Variant("1e")), 1);
  EXPECT_EQ(val(Variant("50%")), 50);
  EXPECT_EQ(val(Variant("abc")), 0);
  EXPECT_EQ(val(Variant("")), 0);
  EXPECT_EQ(val(Variant::fromDate(kMarch14)), 3);
  EXPECT_EQ(errorOf([] { val(Variant("50.5%")); }), 13);
  EXPECT_EQ(errorOf([] { val(Variant::null()); }), 94);
}

TEST(Str, ReservesTheSignPlace) {
  EXPECT_EQ(str(Variant(459)), Variant(" 459"));
  EXPECT_EQ(str(Variant(-459.65)), Variant("-459.65"));
  EXPECT_EQ(str(Variant(459.001)), Variant(" 459.001"));
  EXPECT_EQ(str(Variant("12")), Variant(" 12"));
  EXPECT_EQ(str(Variant::null()), Variant::null());
  EXPECT_EQ(errorOf([] { str(Variant("x")); }), 13);
}

TEST(IsNumericAndIsDate, AnswerWithoutRaising) {
  EXPECT_TRUE(isNumeric(Variant(" 12 ")));
  EXPECT_TRUE(isNumeric(Variant("&HFF")));
  EXPECT_TRUE(isNumeric(Variant()));
  EXPECT_TRUE(isNumeric(Variant(true)));
  EXPECT_FALSE(isNumeric(Variant("12abc")));
  EXPECT_FALSE(isNumeric(Variant::null()));
  EXPECT_FALSE(isNumeric(Variant::fromDate(kMarch14)));

  EXPECT_TRUE(isDate(Variant("March 14, 2024")));
  EXPECT_TRUE(isDate(Variant::fromDate(kMarch14)));
  EXPECT_FALSE(isDate(Variant(kMarch14)));
  EXPECT_FALSE(isDate(Variant("2/30/2024")));
  EXPECT_FALSE(isDate(Variant::null()));
}

}  // namespace
}  // namespace telvarn::values
