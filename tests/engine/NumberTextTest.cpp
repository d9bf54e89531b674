// Numbers as text: the one form the program reads and writes, checked
// against printf in the "C" locale, and kept when the user's language
// writes numbers with a decimal comma.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "engine/Conversions.h"
#include "engine/EngineFixture.h"
#include "engine/NumberText.h"
#include "engine/Variant.h"
#include "engine/model/QueryDef.h"
#include "support/TestLocale.h"

namespace telvarn::test {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(NumberText, ReadsDecimalNumbersAndNothingElse) {
  EXPECT_EQ(readDecimal("2.75"), 2.75);
  EXPECT_EQ(readDecimal("+3"), 3.0);
  EXPECT_EQ(readDecimal("-.5"), -0.5);
  EXPECT_EQ(readDecimal("5."), 5.0);
  EXPECT_EQ(readDecimal("1E-2"), 0.01);
  EXPECT_EQ(readDecimal("0.1"), 0.1);
  for (const char* refused :
       {"", ".", "-", "e5", "1e", "1e+", "inf", "nan", "0x10", "1,5", " 1", "1 ", "1.2.3"}) {
    EXPECT_EQ(readDecimal(refused), std::nullopt) << refused;
  }
  const auto leading = [](const char* text) {
    const std::optional<LeadingNumber> number = readLeadingDecimal(text);
    return number ? std::make_pair(number->value, number->length) : std::make_pair(-1.0, 0ul);
  };
  EXPECT_EQ(leading("12abc"), std::make_pair(12.0, 2ul));
  EXPECT_EQ(leading("1e"), std::make_pair(1.0, 1ul));
  EXPECT_EQ(leading("1.5e+2x"), std::make_pair(150.0, 6ul));
  EXPECT_EQ(leading("0x1A"), std::make_pair(0.0, 1ul));
}

TEST(NumberText, NumbersBeyondADoubleAreInfinityOrZero) {
  EXPECT_EQ(readDecimal("1e999"), kInfinity);
  EXPECT_EQ(readDecimal("-1e999"), -kInfinity);
  EXPECT_EQ(readDecimal("123456e305"), kInfinity);
  EXPECT_EQ(readDecimal("1e-999"), 0.0);
  EXPECT_EQ(readDecimal("0.00001e-320"), 0.0);
  EXPECT_EQ(readDecimal("0e999"), 0.0);
  EXPECT_EQ(readDecimal("1e99999999999999999999"), kInfinity);
}

TEST(NumberText, WritesAsPrintfDoesInTheCLocale) {
  const char* before = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = before ? before : "C";
  std::setlocale(LC_NUMERIC, "C");
  const auto printed = [](const char* format, double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    return std::string(buffer);
  };
  for (double value : {0.0, -0.0, 2.75, -1.5, 0.1, 1.0 / 3, 1e15, 1e16, 123456789012345678.0, 1e-5,
                       1.7976931348623157e308, 4.9e-324, kInfinity, -kInfinity}) {
    EXPECT_EQ(writeDouble(value, Notation::General, 15), printed("%.15g", value)) << value;
    EXPECT_EQ(writeDouble(value, Notation::General, 17), printed("%.17g", value)) << value;
    EXPECT_EQ(writeDouble(value, Notation::Fixed, 0), printed("%.0f", value)) << value;
    EXPECT_EQ(writeDouble(value, Notation::Scientific, 2), printed("%.2e", value)) << value;
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

// The C library in a decimal-comma language for the length of one test.
class DecimalComma : public EngineFixture {
 protected:
  void SetUp() override {
    const std::optional<std::string> folder = localeFolder(kDecimalCommaLocale);
    if (!folder) GTEST_SKIP() << "localedef cannot make " << kDecimalCommaLocale;
    ::setenv("LOCPATH", folder->c_str(), 1);
    if (!std::setlocale(LC_ALL, kDecimalCommaLocale)) GTEST_SKIP() << "no " << kDecimalCommaLocale;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2f", 2.75);
    ASSERT_STREQ(buffer, "2,75");
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
  }
};

TEST_F(DecimalComma, ScriptFieldsAndPropertyValuesKeepTheirPoint) {
  EXPECT_EQ(parseNumber("2.75"), 2.75);
  EXPECT_EQ(parseNumber(" 1.5D2 "), 150.0);
  EXPECT_EQ(parseNumber("2,75"), std::nullopt);
  EXPECT_EQ(toInteger16("9.5"), 10);
  EXPECT_EQ(toInteger16("1.5"), 2);
  EXPECT_EQ(Variant(2.75).toText(), "2.75");
  EXPECT_EQ(Variant("7.5").toDouble(), 7.5);
  EXPECT_EQ(writeDouble(2.75, Notation::General, 15), "2.75");
}

TEST_F(DecimalComma, StatementsStoredQueriesAndFunctionsKeepTheirPoint) {
  db->execute("CREATE TABLE N (a DOUBLE, b DOUBLE, c TEXT(20))");
  db->execute("INSERT INTO N (a) VALUES (2.75)");
  db->execute("UPDATE N SET b = a * 2, c = a / 2 & ''");
  EXPECT_EQ(rawColumn("SELECT a || ' ' || b || ' ' || c FROM N"), "2.75 5.5 1.375");
  db->execute("UPDATE N SET c = Str(b) & Format(b, 'Scientific') & Val('1.25x')");
  EXPECT_EQ(rawColumn("SELECT c FROM N"), " 5.55.50E+001.25");
  // A stored query is a view, whose numbers are written into its text.
  db->createQueryDef("Half", "SELECT a * 0.5 AS h FROM N");
  EXPECT_EQ(rawColumn("SELECT h FROM Half"), "1.375");
  db->createQueryDef("Top", "SELECT TOP 12.5 PERCENT a FROM N");
  EXPECT_EQ(rawColumn("SELECT count(*) FROM Top"), "1");
}

}  // namespace
}  // namespace telvarn::test
