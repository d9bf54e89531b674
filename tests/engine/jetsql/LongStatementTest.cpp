// Statements of any length the dialect takes: long runs of one operator,
// ladders of IIf, long In lists and deeply nested subqueries run with the
// dialect's answer. What nests deeper than the engine takes is 3075
// "Expression too complex", never SQLite's own refusal and never a crash.
#include <ctime>
#include <functional>

#include "engine/EngineFixture.h"
#include "engine/model/QueryDef.h"

namespace telvarn::test {
namespace {

// `first`, then `step(i)` for i = 1 .. count - 1.
std::string run(const std::string& first, int count, const std::function<std::string(int)>& step) {
  std::string text = first;
  for (int i = 1; i < count; ++i) text += step(i);
  return text;
}

std::string times(const std::string& text, int count) {
  return run(text, count, [&](int) { return text; });
}

class LongStatements : public EngineFixture {
 protected:
  void SetUp() override {
    db->execute("CREATE TABLE T (N LONG, X DOUBLE, S TEXT(255), M MEMO)");
    for (int n = 1; n <= 5; ++n) {
      db->execute("INSERT INTO T (N, S) VALUES (" + std::to_string(n) + ", 's" + std::to_string(n) +
                  "')");
    }
  }

  // The memo of row 1 after it is set to `expression`.
  std::string value(const std::string& expression) {
    db->execute("UPDATE T SET M = " + expression + " WHERE N = 1");
    return rawColumn("SELECT M FROM T WHERE N = 1");
  }

  // The N of the rows a WHERE condition picks.
  std::string picked(const std::string& condition) {
    db->execute("UPDATE T SET M = Null");
    db->execute("UPDATE T SET M = 'x' WHERE " + condition);
    return rawColumn("SELECT N FROM T WHERE M = 'x' ORDER BY N");
  }

  // The number and description of the error `sql` fails with.
  std::string refusal(const std::string& sql) {
    try {
      db->execute(sql);
    } catch (const AppError& e) {
      return std::to_string(e.number()) + " " + e.description();
    }
    return "no error";
  }
};

TEST_F(LongStatements, RunsOfTenThousandTermsApplyLeftToRight) {
  // Left to right, each 1 added to 1E16 is lost to rounding; added first,
  // they would make 9999.
  db->execute("UPDATE T SET X = " + run("1E16", 10000, [](int) { return " + 1"; }));
  double expected = 1e16;
  for (int i = 1; i < 10000; ++i) expected += 1;
  EXPECT_EQ(std::stod(rawColumn("SELECT X FROM T WHERE N = 1")), expected);

  // A number plus a text adds; two texts join: N + '1' + '1' is 9 where
  // N + ('1' + '1') would be 18.
  EXPECT_EQ(value(run("N", 10000, [](int) { return " + '1'"; })), "10000");
  EXPECT_EQ(value(times("'ab' + ", 9999) + "'ab'"), times("ab", 10000));
  EXPECT_EQ(value(run("N", 10000, [](int i) { return i == 5000 ? " + Null" : " + N"; })), "NULL");
  EXPECT_EQ(value(times("N + ", 9999) + "N"), "10000");

  // & counts Null as "", but Null & Null is Null.
  EXPECT_EQ(value(run("Null", 10000, [](int i) { return i % 1000 ? " & Null" : " & 'x'"; })),
            times("x", 9));
  EXPECT_EQ(value(times("Null & ", 9999) + "Null"), "NULL");
  EXPECT_EQ(value(times("S & ", 9999) + "S"), times("s1", 10000));

  EXPECT_EQ(picked(run("N = 0", 10000, [](int i) { return " OR N = " + std::to_string(-i); }) +
                   " OR N = 4"),
            "4");
  EXPECT_EQ(picked(times("N > 0 AND ", 9999) + "N < 3"), "1|2");
  EXPECT_EQ(picked(times("N > 0 AND ", 9999) + "Null"), "");
  EXPECT_EQ(picked(times("Null OR ", 9999) + "N = 5"), "5");
}

TEST_F(LongStatements, LaddersOfAHundredIIf) {
  // In the False part: the first condition that holds gives its value.
  std::string ladder = "'none'";
  for (int i = 100; i >= 1; --i) {
    ladder = "IIf(N = " + std::to_string(i) + ", 'n" + std::to_string(i) + "', " + ladder + ")";
  }
  db->execute("UPDATE T SET M = " + ladder);
  EXPECT_EQ(rawColumn("SELECT M FROM T ORDER BY N"), "n1|n2|n3|n4|n5");

  // In the True part: the first condition that fails gives its False part,
  // and a condition that is Null counts as failed.
  std::string nested = "'all'";
  for (int i = 100; i >= 1; --i) {
    const std::string condition = i == 3 ? "IIf(N = 4, Null, N >= 3)" : "N >= " + std::to_string(i);
    nested = "IIf(" + condition + ", " + nested + ", 'below" + std::to_string(i) + "')";
  }
  db->execute("UPDATE T SET M = " + nested);
  EXPECT_EQ(rawColumn("SELECT M FROM T ORDER BY N"), "below2|below3|below4|below3|below6");
}

// Seconds of processor time `work` takes.
double cpuSeconds(const std::function<void()>& work) {
  const std::clock_t start = std::clock();
  work();
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

TEST_F(LongStatements, AnInListTakesTimeInProportionToItsLength) {
  // 0, 7, 14, ... modulo the count: every number below it.
  const auto all = [](int count) {
    return run("N In (0", count, [&](int i) { return ", " + std::to_string(i * 7 % count); }) + ")";
  };
  // 3 and the numbers above 5.
  const auto some = [](int count) {
    return run("N Not In (3", count, [](int i) { return ", " + std::to_string(i + 5); }) + ")";
  };
  const double short_ = cpuSeconds([&] { EXPECT_EQ(picked(all(50000)), "1|2|3|4|5"); });
  const double long_ = cpuSeconds([&] { EXPECT_EQ(picked(some(200000)), "1|2|4|5"); });
  // Four times the values: four times the time, with room for a busy
  // machine; growing with the square of the length it was 16 times (80 s).
  EXPECT_LT(long_, 8 * short_ + 0.5) << short_ << " s for 50,000 values";
  EXPECT_LT(long_, 10.0);
}

TEST_F(LongStatements, FiftyNestedSubqueries) {
  // Subqueries that read nothing of the levels around them.
  std::string in = "SELECT N FROM T WHERE N > 2";
  std::string scalar = "SELECT Max(N) FROM T";
  for (int i = 0; i < 50; ++i) {
    in = "SELECT N FROM T WHERE N IN (" + in + ")";
    scalar = "SELECT Max(N) - 1 FROM T WHERE N <= (" + scalar + ")";
  }
  EXPECT_EQ(picked("N IN (" + in + ")"), "3|4|5");
  EXPECT_EQ(picked("Exists (" + in + ") AND N = 1"), "1");
  // 5, then 4, 3, 2, 1, 0, and Null from there on.
  EXPECT_EQ(picked("(" + scalar + ") Is Null And N = 2"), "2");
  db->execute("DELETE FROM T WHERE N IN (" + in + ") AND N > 3");
  EXPECT_EQ(rawColumn("SELECT COUNT(*) FROM T"), "3");

  // A subquery reading a level around it stays in its place.
  EXPECT_EQ(picked("N IN (SELECT N FROM T AS U WHERE U.N = T.N AND N IN (SELECT N FROM T AS V "
                   "WHERE V.N = U.N + 0 AND V.N > 1))"),
            "2|3");
}

TEST_F(LongStatements, BeyondTheDepthsTakenIsExpressionTooComplex) {
  const std::string tooComplex = "3075 Expression too complex in query expression '";
  const auto quoted = [&](const std::string& sql, const std::string& expression) {
    const std::string error = refusal(sql);
    return error.substr(0, tooComplex.size() + expression.size()) == tooComplex + expression
               ? expression
               : error.substr(0, 100);
  };
  // Past the parser's nesting: parentheses, Not, signs, changes of operator
  // and comparisons, however many.
  const std::string set = "UPDATE T SET N = ";
  EXPECT_EQ(quoted(set + times("(", 100000) + "1" + times(")", 100000), "(((("), "((((");
  EXPECT_EQ(quoted(set + times("Not ", 100000) + "1", "Not Not"), "Not Not");
  EXPECT_EQ(quoted(set + times("- ", 100000) + "1", "- - "), "- - ");
  EXPECT_EQ(quoted(set + run("1", 100000, [](int i) { return i % 2 ? " + 1" : " - 1"; }), "1 + 1"),
            "1 + 1");
  EXPECT_EQ(quoted(set + times("1 = ", 100000) + "1", "1 = 1"), "1 = 1");
  std::string in = "SELECT N FROM T";
  for (int i = 0; i < 300; ++i) in = "SELECT N FROM T WHERE N IN (" + in + ")";
  EXPECT_EQ(quoted("DELETE FROM T WHERE N IN (" + in + ")", "N"), "N");

  // Past what SQLite takes: deep function calls, a long run of "-",
  // correlated subqueries nested deep. The whole statement is quoted.
  EXPECT_EQ(quoted(set + times("Abs(", 100) + "1" + times(")", 100), set + "Abs("), set + "Abs(");
  EXPECT_EQ(quoted(set + times("1 - ", 2000) + "1", set + "1 - 1"), set + "1 - 1");
  std::string correlated = "N > 0";
  for (int i = 0; i < 40; ++i) {
    const std::string alias = "T" + std::to_string(i);
    correlated = "N IN (SELECT N FROM T AS " + alias + " WHERE " + alias + ".N = T.N AND " +
                 correlated + ")";
  }
  EXPECT_EQ(quoted("DELETE FROM T WHERE " + correlated, "DELETE FROM T WHERE N IN"),
            "DELETE FROM T WHERE N IN");
  EXPECT_EQ(rawColumn("SELECT COUNT(*) FROM T"), "5");
}

TEST_F(LongStatements, AStoredQueryWithALongRunKeepsItsTableChangeable) {
  const std::string condition =
      run("N = 0", 15000, [](int i) { return " OR N = " + std::to_string(i % 3 + 3); });
  db->createQueryDef("Q", "SELECT N, S FROM T WHERE " + condition);
  EXPECT_EQ(rawColumn("SELECT N FROM Q ORDER BY N"), "3|4|5");
  db->execute("ALTER TABLE T ALTER COLUMN X TEXT(20)");
  db->execute("ALTER TABLE T DROP COLUMN M");
  EXPECT_EQ(rawColumn("SELECT N FROM Q ORDER BY N"), "3|4|5");
  db->execute("SELECT * INTO Copy FROM Q");
  EXPECT_EQ(rawColumn("SELECT S FROM Copy ORDER BY S"), "s3|s4|s5");
}

}  // namespace
}  // namespace telvarn::test
