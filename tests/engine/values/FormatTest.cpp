// Format. Expected texts are the library reference's examples and the
// results the system's own formatter gives with United States settings
// (recorded in the Wine project's conformance tests, which run on
// Windows); 2.525 is 1/1/1900 12:36 PM, a Monday.
#include "engine/values/Format.h"

#include "engine/values/ValueTesting.h"

namespace telvarn::values {
namespace {

std::string formatted(const Variant& value, const char* pattern, int firstDay = 1) {
  return format(value, Variant(pattern), Variant(firstDay), Variant(1)).toText();
}

TEST(FormatNumbers, NamedFormats) {
  for (const char* name : {"", "General Number"}) {
    EXPECT_EQ(formatted(Variant(1), name), "1");
    EXPECT_EQ(formatted(Variant(0), name), "0");
  }
  EXPECT_EQ(formatted(Variant(1), "Percent"), "100.00%");
  EXPECT_EQ(formatted(Variant(1), "Standard"), "1.00");
  EXPECT_EQ(formatted(Variant(1), "Scientific"), "1.00E+00");
  EXPECT_EQ(formatted(Variant(0), "Scientific"), "0.00E+00");
  EXPECT_EQ(formatted(Variant(1234567), "Scientific"), "1.23E+06");
  EXPECT_EQ(formatted(Variant(1), "True/False"), "True");
  EXPECT_EQ(formatted(Variant(0), "on/off"), "Off");
  EXPECT_EQ(formatted(Variant(-3.14), "Yes/No"), "Yes");
  EXPECT_EQ(formatted(Variant(true), "True/False"), "True");
  EXPECT_EQ(formatted(Variant(1234567), "Currency"), "$1,234,567.00");
  EXPECT_EQ(formatted(Variant(-1234.567), "Currency"), "($1,234.57)");
  EXPECT_EQ(formatted(Variant("123456"), "Fixed"), "123456.00");
  EXPECT_EQ(formatted(Variant("123456"), "Standard"), "123,456.00");
  EXPECT_EQ(formatted(Variant(-1234.567), "General Number"), "-1234.567");
  EXPECT_EQ(formatted(Variant(23), ""), "23");
}

TEST(FormatNumbers, DigitPlaceholdersAndLiterals) {
  EXPECT_EQ(formatted(Variant(5459.4), "##,##0.00"), "5,459.40");
  EXPECT_EQ(formatted(Variant(334.9), "###0.00"), "334.90");
  EXPECT_EQ(formatted(Variant(5), "0.00%"), "500.00%");
  EXPECT_EQ(formatted(Variant(1), "#00000000"), "00000001");
  EXPECT_EQ(formatted(Variant(1), "000###"), "000001");
  EXPECT_EQ(formatted(Variant(1), "#00##00#0"), "00000001");
  EXPECT_EQ(formatted(Variant(1), "1#####0000"), "10001");
  EXPECT_EQ(formatted(Variant(1), "##abcdefghijklmnopqrstuvwxyz"), "1abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(formatted(Variant(100000), "#,###,###,###"), "100,000");
  EXPECT_EQ(formatted(Variant(1), "0,000,000,000"), "0,000,000,001");
  EXPECT_EQ(formatted(Variant(123456789), "#,#.#"), "123,456,789.");
  EXPECT_EQ(formatted(Variant(123456789), "###, ###, ###"), "123, 456, 789");
  EXPECT_EQ(formatted(Variant(1.23456789), "0#.0#0#0#0#0"), "01.234567890");
  EXPECT_EQ(formatted(Variant(9.8), "#0.#0#0#0#0#"), "9.80000000");
  EXPECT_EQ(formatted(Variant(0.00000008), "#0.#0#0#0#0#0"), "0.0000000800");
  EXPECT_EQ(formatted(Variant(0.00010705), "#0.##########"), "0.00010705");
  EXPECT_EQ(formatted(Variant(17), "#000"), "017");
  EXPECT_EQ(formatted(Variant(17), "#.00"), "17.00");
  EXPECT_EQ(formatted(Variant(.17), "#.00"), ".17");
  EXPECT_EQ(formatted(Variant(17), "#3.33"), "173.33");
  EXPECT_EQ(formatted(Variant(.17), "#.33"), ".33");
  EXPECT_EQ(formatted(Variant(1.7), "#.33"), "2.33");
  EXPECT_EQ(formatted(Variant(1), "00\\c\\o\\p\\y"), "01copy");
  EXPECT_EQ(formatted(Variant(12.34), "\\R\\M\\B .00"), "RMB 12.34");
  EXPECT_EQ(formatted(Variant(0), "#"), "");
  EXPECT_EQ(formatted(Variant(0), "#.#"), ".");
  EXPECT_EQ(formatted(Variant(1), "#.#"), "1.");
  EXPECT_EQ(formatted(Variant(100000000), "##0,,"), "100");
  EXPECT_EQ(formatted(Variant(1.23), "0.00%%"), "12300.00%%");
}

TEST(FormatNumbers, RoundHalfAwayFromZeroAtTheLastPlace) {
  EXPECT_EQ(formatted(Variant(1.7), "#0"), "2");
  EXPECT_EQ(formatted(Variant(2.5), "0"), "3");
  EXPECT_EQ(formatted(Variant(9.9999999), "#0.000000"), "10.000000");
  EXPECT_EQ(formatted(Variant(-1.57), "#.##"), "-1.57");
  EXPECT_EQ(formatted(Variant(-0.1), ".#"), "-.1");
  EXPECT_EQ(formatted(Variant(0.0999), "#.##"), ".1");
  EXPECT_EQ(formatted(Variant(0.0099), "#.##"), ".01");
  EXPECT_EQ(formatted(Variant(0.0049), "#.##"), ".");
  EXPECT_EQ(formatted(Variant(0.0995), "#.##"), ".1");
  EXPECT_EQ(formatted(Variant(8.0995), "#.##"), "8.1");
  EXPECT_EQ(formatted(Variant::fromCurrency(123455), "0.000"), "12.346");
}

TEST(FormatNumbers, ScientificNotation) {
  EXPECT_EQ(formatted(Variant(1.7), "0.0000E-000"), "1.7000E000");
  EXPECT_EQ(formatted(Variant(1.7), "0.0000e-1"), "1.7000e01");
  EXPECT_EQ(formatted(Variant(86.936849), "#0.000000000000e-000"), "86.936849000000e000");
  EXPECT_EQ(formatted(Variant(1.73245), "0.0000E+000"), "1.7325E+000");
  EXPECT_EQ(formatted(Variant(1.7), "0.0000e+0#"), "1.7000e+0");
  EXPECT_EQ(formatted(Variant(100.0001), "0.0000E+0"), "1.0000E+2");
  EXPECT_EQ(formatted(Variant(1000001), "0.0000e+1"), "1.0000e+61");
  EXPECT_EQ(formatted(Variant(450.0001e+43), "#000.0000e+0"), "4500.0010e+42");
  EXPECT_EQ(formatted(Variant(0.0001e-11), "##00.0000e-0"), "1000.0000e-18");
  EXPECT_EQ(formatted(Variant(0.0317e-11), "0000.0000e-0"), "3170.0000e-16");
  EXPECT_EQ(formatted(Variant(47.11), ".0000E+0"), ".4711E+2");
  EXPECT_EQ(formatted(Variant(3.0401e-13), "#####.####e-0%"), "30401.e-15%");
}

TEST(FormatNumbers, SectionsForSignZeroAndNull) {
  EXPECT_EQ(formatted(Variant(1), "#;-#"), "1");
  EXPECT_EQ(formatted(Variant(-1), "#;-#"), "-1");
  EXPECT_EQ(formatted(Variant(0), "\"pos\";\"neg\""), "pos");
  EXPECT_EQ(formatted(Variant(-1), "\"pos\";\"neg\""), "neg");
  EXPECT_EQ(formatted(Variant(0), "\"pos\";\"neg\";\"zero\""), "zero");
  EXPECT_EQ(formatted(Variant(-5), "$#,##0;;\\Z\\e\\r\\o"), "-$5");
  EXPECT_EQ(formatted(Variant(0), "$#,##0;;\\Z\\e\\r\\o"), "Zero");
  EXPECT_EQ(format(Variant::null(), Variant("0;-0;0;\\N\\o\\n\\e"), Variant(1), Variant(1)),
            Variant("None"));
  EXPECT_EQ(format(Variant::null(), Variant("0.00"), Variant(1), Variant(1)), Variant::null());
  EXPECT_EQ(formatted(Variant("abc"), "0.00"), "abc");
}

TEST(FormatDates, TokensAndNamedFormats) {
  const Variant noon = Variant::fromDate(2.525);
  for (int firstDay = 1; firstDay <= 7; ++firstDay) {
    EXPECT_EQ(formatted(Variant::fromDate(0), "w", firstDay), std::to_string(8 - firstDay));
  }
  EXPECT_EQ(formatted(noon, "am/pm"), "pm");
  EXPECT_EQ(formatted(noon, "AM/PM"), "PM");
  EXPECT_EQ(formatted(noon, "A/P"), "P");
  EXPECT_EQ(formatted(noon, "q"), "1");
  EXPECT_EQ(formatted(noon, "dd"), "01");
  EXPECT_EQ(formatted(noon, "ddd"), "Mon");
  EXPECT_EQ(formatted(noon, "dddd"), "Monday");
  EXPECT_EQ(formatted(noon, "mmmm"), "January");
  EXPECT_EQ(formatted(noon, "y"), "1");
  EXPECT_EQ(formatted(noon, "yy"), "00");
  EXPECT_EQ(formatted(noon, "yyy"), "001");
  EXPECT_EQ(formatted(noon, "yyyy"), "1900");
  EXPECT_EQ(formatted(noon, "dd mm yyyy hh:mm:ss"), "01 01 1900 12:36:00");
  EXPECT_EQ(formatted(noon, "dd mm yyyy mm"), "01 01 1900 01");
  EXPECT_EQ(formatted(noon, "mm :mm:ss"), "01 :01:00");
  EXPECT_EQ(formatted(noon, "hh:mm :ss:mm"), "12:36 :00:01");
  EXPECT_EQ(formatted(noon, "hh:dd :mm:mm"), "12:01 :01:01");
  EXPECT_EQ(formatted(noon, "dd:hh :mm:mm"), "01:12 :36:01");
  EXPECT_EQ(formatted(noon, "dd :mm:nn"), "01 :01:36");
  EXPECT_EQ(formatted(Variant::fromDate(2.725), "hh:nn:ss A/P"), "05:24:00 P");
  EXPECT_EQ(formatted(Variant::fromDate(40531), "dddd"), "Sunday");
  EXPECT_EQ(formatted(noon, "short time"), "12:36");
  EXPECT_EQ(formatted(noon, "medium time"), "12:36 PM");
  EXPECT_EQ(formatted(noon, "long time"), "12:36:00 PM");
  const Variant time = Variant::fromDate((17 * 3600 + 4 * 60 + 23) / 86400.0);
  EXPECT_EQ(formatted(time, "h:m:s"), "17:4:23");
  EXPECT_EQ(formatted(time, "hh:mm:ss am/pm"), "05:04:23 pm");
  EXPECT_EQ(formatted(Variant("January 27, 1993"), "dddd, mmm d yyyy"), "Wednesday, Jan 27 1993");
  EXPECT_EQ(formatted(Variant("3/14/2024 13:45:10"), "General Date"), "3/14/2024 1:45:10 PM");
  EXPECT_EQ(formatted(Variant(45365), "Long Date"), "Thursday, March 14, 2024");
  EXPECT_EQ(formatted(Variant(45365), "Medium Date"), "14-Mar-24");
  EXPECT_EQ(formatted(Variant(45365), "Short Date"), "3/14/2024");
  EXPECT_EQ(formatted(Variant(45365.5), "c"), "3/14/2024 12:00:00 PM");
  EXPECT_EQ(formatted(Variant(45365), "ddddd ttttt"), "3/14/2024 12:00:00 AM");
  EXPECT_EQ(formatted(Variant::fromDate(45365), "\"Day \"d\\w"), "Day 14w");
  EXPECT_EQ(formatted(Variant("39697.11"), "mm-dd-yy"), "09-06-08");
  EXPECT_EQ(formatted(Variant::fromDate(45365), "0.00"), "45365.00");
}

TEST(FormatText, FillsPlaceholdersAndForcesCase) {
  const Variant testing("testing");
  EXPECT_EQ(formatted(testing, ""), "testing");
  EXPECT_EQ(formatted(testing, "@"), "testing");
  EXPECT_EQ(formatted(testing, "&"), "testing");
  EXPECT_EQ(formatted(testing, "\\x@\\x@"), "xtxesting");
  EXPECT_EQ(formatted(testing, "@\\x"), "txesting");
  EXPECT_EQ(formatted(testing, "@@@@@@@@"), " testing");
  EXPECT_EQ(formatted(testing, "@\\x@@@@@@@"), " xtesting");
  EXPECT_EQ(formatted(testing, "&&&&&&&&"), "testing");
  EXPECT_EQ(formatted(testing, "!@@@@@@@@"), "testing ");
  EXPECT_EQ(formatted(testing, ">&&"), "TESTING");
  EXPECT_EQ(formatted(testing, "<&>&"), "testing");
  EXPECT_EQ(formatted(Variant("HELLO"), "<"), "hello");
  EXPECT_EQ(formatted(Variant("This is it"), ">"), "THIS IS IT");
  EXPECT_EQ(formatted(Variant("äbc"), ">"), "ÄBC");
  EXPECT_EQ(formatted(Variant(1), "<&>&"), "1");
  EXPECT_EQ(formatted(Variant(""), "@;\\e\\m\\p\\t\\y"), "empty");
}

TEST(FormatOptions, RefuseNullAndOutOfRange) {
  EXPECT_EQ(test::errorOf([] { format(Variant(1), Variant("w"), Variant::null(), Variant(1)); }), 94);
  EXPECT_EQ(test::errorOf([] { format(Variant(1), Variant("w"), Variant(8), Variant(1)); }), 5);
  EXPECT_EQ(test::errorOf([] { format(Variant(1), Variant("ww"), Variant(1), Variant(4)); }), 5);
}

}  // namespace
}  // namespace telvarn::values
