#include "engine/jetsql/Lexer.h"

#include <gtest/gtest.h>

#include "engine/values/DateText.h"

namespace telvarn::jetsql {
namespace {

std::string kinds(const std::string& sql) {
  static const char* const kNames[] = {"name", "quoted", "string",  "number",
                                       "date", "symbol", "invalid", "end"};
  std::string out;
  for (const Token& token : tokenize(sql)) {
    if (!out.empty()) out += " ";
    out += kNames[static_cast<int>(token.kind)];
    if (token.kind != TokenKind::End) out += ":" + token.text;
  }
  return out;
}

TEST(Lexer, NamesStringsAndDelimitedNames) {
  EXPECT_EQ(kinds("Select [My Field], `x y` FROM t"),
            "name:Select quoted:My Field symbol:, quoted:x y name:FROM name:t end");
  EXPECT_EQ(kinds("'it''s' \"say \"\"hi\"\"\""), "string:it's string:say \"hi\" end");
  EXPECT_EQ(kinds("'a\"b' \"a'b\""), "string:a\"b string:a'b end");
  EXPECT_EQ(kinds("Größe"), "name:Größe end");
}

TEST(Lexer, OperatorsAndPunctuation) {
  EXPECT_EQ(kinds("a<>b<=c>=d&e\\f^g!h;"),
            "name:a symbol:<> name:b symbol:<= name:c symbol:>= name:d symbol:& name:e "
            "symbol:\\ name:f symbol:^ name:g symbol:! name:h symbol:; end");
  // Comment markers are no comments: they are operators like any other.
  EXPECT_EQ(kinds("1 -- x"), "number:1 symbol:- symbol:- name:x end");
  EXPECT_EQ(kinds("/* x */"), "symbol:/ symbol:* name:x symbol:* symbol:/ end");
}

TEST(Lexer, Numbers) {
  const auto tokens = tokenize("42 1.5 .5 1e3 9223372036854775808 t.5");
  EXPECT_TRUE(tokens[0].integral);
  EXPECT_EQ(tokens[0].integer, 42);
  EXPECT_FALSE(tokens[1].integral);
  EXPECT_DOUBLE_EQ(tokens[1].number, 1.5);
  EXPECT_DOUBLE_EQ(tokens[2].number, 0.5);
  EXPECT_DOUBLE_EQ(tokens[3].number, 1000);
  EXPECT_FALSE(tokens[4].integral);  // too big for 64 bits: kept as a double
  EXPECT_EQ(tokens[6].text, ".");    // t.5 is a qualified name
  EXPECT_EQ(kinds("12abc"), "invalid:Syntax error in number end");
  EXPECT_EQ(kinds("1e"), "invalid:Syntax error in number end");
}

TEST(Lexer, UnclosedDelimitersBecomeInvalidTokens) {
  EXPECT_EQ(kinds("a = 'abc"), "name:a symbol:= invalid:Syntax error in string end");
  EXPECT_EQ(kinds("[abc"), "invalid:Missing ), ], or Item end");
  EXPECT_EQ(kinds("#1/2/2000"), "invalid:Syntax error in date end");
  EXPECT_EQ(kinds("#13/13/2000#"), "invalid:Syntax error in date end");
}

TEST(Lexer, TokenOffsetsPointIntoTheText) {
  const auto tokens = tokenize("a  = 'x'");
  EXPECT_EQ(tokens[2].begin, 5u);
  EXPECT_EQ(tokens[2].end, 8u);
}

// A date literal is read by the dialect's one date reader (its forms are
// tested with it) into the engine's day number.
TEST(Lexer, DateLiteralsAreDayNumbers) {
  const std::pair<const char*, double> cases[] = {
      {"#1/31/2000#", 36556},          {"#14-Mar-2024#", 45365},
      {"#March 14, 2024#", 45365},     {"#2024-03-14 18:00#", 45365.75},
      {"#12/29/1899 6:00 AM#", -1.25}, {"#12:00#", 0.5},
  };
  for (const auto& [text, day] : cases) {
    SCOPED_TRACE(text);
    const Token token = firstToken(text);
    EXPECT_EQ(token.kind, TokenKind::Date);
    EXPECT_DOUBLE_EQ(token.number, day);
  }
  EXPECT_EQ(firstToken("#2/30/2000#").kind, TokenKind::Invalid);
  EXPECT_EQ(firstToken("#Monday#").kind, TokenKind::Invalid);
}

TEST(DateText, SerialNumbersBothWays) {
  EXPECT_EQ(dateFromSerial(0).value(), "1899-12-30 00:00:00");
  EXPECT_EQ(dateFromSerial(36526.5).value(), "2000-01-01 12:00:00");
  EXPECT_EQ(dateFromSerial(-1.25).value(), "1899-12-29 06:00:00");
  EXPECT_DOUBLE_EQ(serialFromDate("2000-01-01 12:00:00").value(), 36526.5);
  EXPECT_DOUBLE_EQ(serialFromDate("1899-12-29 06:00:00").value(), -1.25);
  EXPECT_FALSE(dateFromSerial(1e9));
}

}  // namespace
}  // namespace telvarn::jetsql
