#include <gtest/gtest.h>

#include "AstSummary.h"
#include "engine/jetsql/Parser.h"

namespace telvarn::jetsql {
namespace {

using test::conditionOf;
using test::errorNumber;
using test::errorText;

TEST(ExpressionParser, FollowsTheBasicOperatorPrecedence) {
  const std::pair<const char*, const char*> cases[] = {
      {"a + b * c", "(+ a (* b c))"},
      {"-2 ^ 2", "(neg (^ 2 2))"},  // ^ binds tighter than the sign
      {"2 ^ -1", "(^ 2 (neg 1))"},
      {"2 ^ 3 ^ 2", "(^ 2 3 2)"},        // a run of one operator, applied left to right
      {"a \\ b * c", "(\\ a (* b c))"},  // * / before \ before Mod
      {"a Mod b \\ c", "(mod a (\\ b c))"},
      {"a & b + c", "(& a (+ b c))"},
      {"a & b = c", "(= (& a b) c)"},
      {"Not a = b And c", "(and (not (= a b)) c)"},
      {"a Or b And c", "(or a (and b c))"},
      {"a Xor b Or c", "(xor a (or b c))"},
      {"a Imp b Eqv c", "(imp a (eqv b c))"},
      {"(a + b) * c", "(* (+ a b) c)"},
      {"a - b - c", "(- a b c)"},
      {"(a + b) + c", "(+ a b c)"},
      {"a + (b + c)", "(+ a (+ b c))"},
      {"a + b - c + d", "(+ (- (+ a b) c) d)"},
      {"a And b And c Or d", "(or (and a b c) d)"},
  };
  for (const auto& [text, tree] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(conditionOf(text), tree);
  }
}

TEST(ExpressionParser, LiteralsAndReferences) {
  const std::pair<const char*, const char*> cases[] = {
      {"True", "-1"},
      {"false", "0"},
      {"Null", "Null"},
      {"1.5", "1.5"},
      {"'x'", "'x'"},
      {"#1/31/2000#", "#2000-01-31 00:00:00#"},
      {"t.c", "t.c"},
      {"[my t].[my c]", "my t.my c"},
      {"t!c", "t.c"},
      {"Left(s, 2)", "(call Left s 2)"},
      {"Count(*)", "(call Count *)"},
      {"Now()", "(call Now)"},
  };
  for (const auto& [text, tree] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(conditionOf(text), tree);
  }
}

TEST(ExpressionParser, Predicates) {
  const std::pair<const char*, const char*> cases[] = {
      {"a Like 'x*'", "(like a 'x*')"},
      {"a Not Like 'x*'", "(not-like a 'x*')"},
      {"a Is Null", "(is-null a)"},
      {"a Is Not Null", "(is-not-null a)"},
      {"a Between 1 And 5", "(between a 1 5)"},
      {"a Not Between 1 + 1 And 5 And b", "(and (not-between a (+ 1 1) 5) b)"},
      {"a In (1, 'x', b)", "(in a 1 'x' b)"},
      {"a Not In (1)", "(not-in a 1)"},
  };
  for (const auto& [text, tree] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(conditionOf(text), tree);
  }
}

TEST(ExpressionParser, FaultsAre3075WithTheReasonAndTheWholeExpression) {
  const std::pair<const char*, const char*> cases[] = {
      {"a b", "Syntax error (missing operator) in query expression 'a b'."},
      {"a = 1 And", "Syntax error (missing operator) in query expression 'a = 1 And'."},
      {"a = 'abc", "Syntax error in string in query expression 'a = 'abc'."},
      {"(a = 1", "Missing ), ], or Item in query expression '(a = 1'."},
      {"a = 1)", "Extra ) in query expression 'a = 1)'."},
      {"Left(a, 1 = 2", "Missing ), ], or Item in query expression 'Left(a, 1 = 2'."},
      {"a Between 1", "Between operator without And in query expression 'a Between 1'."},
      {"a In 1", "In operator without () in query expression 'a In 1'."},
      {"a Is 1", "Invalid use of Is operator in query expression 'a Is 1'."},
      {"a = #2/30/2000#", "Syntax error in date in query expression 'a = #2/30/2000#'."},
      {"a = 12x", "Syntax error in number in query expression 'a = 12x'."},
      {"a = 1 /* note */",
       "Syntax error (missing operator) in query expression 'a = 1 /* note */'."},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    const auto parse = [&] { parseStatement(std::string("DELETE FROM t WHERE ") + text); };
    EXPECT_EQ(errorNumber(parse), 3075);
    EXPECT_EQ(errorText(parse), message);
  }
}

TEST(ExpressionParser, QuotedExpressionEndsWithItsClause) {
  EXPECT_EQ(errorText([] { parseStatement("UPDATE t SET a = 1 2, b = 3 WHERE c = 4"); }),
            "Syntax error (missing operator) in query expression '1 2'.");
  EXPECT_EQ(errorText([] { parseStatement("INSERT INTO t VALUES (1, 2 3, 4)"); }),
            "Syntax error (missing operator) in query expression '2 3'.");
  EXPECT_EQ(errorText([] { parseStatement("UPDATE t SET a = f(1, 2 3) WHERE c = 4"); }),
            "Missing ), ], or Item in query expression 'f(1, 2 3)'.");
}

}  // namespace
}  // namespace telvarn::jetsql
