// The built program given "sql" and "qdf" lines far longer than anyone
// writes by hand: each runs or fails with its number, and the run goes on
// to its end.
#include <gtest/gtest.h>

#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/RawSql.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

std::string repeated(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

TEST(LongStatementRun, LinesOfTwentyThousandTermsRunAndTheRunGoesOn) {
  TempDir dir;
  DBEngine::createDatabase(dir.file("ZulData.mdb"));
  DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  const std::string sum = "1" + repeated(" + 1", 19999);
  const std::string texts = "'a'" + repeated(" & 'a'", 19999);
  const std::string either = "B = 0" + repeated(" OR B = 0", 19999) + " OR B = 20000";
  const std::string script =
      "add;ZulData.mdb;T (A LONG, B LONG, M MEMO);\r\n"
      "sql;ZulData.mdb;INSERT INTO T (A) VALUES (1)\r\n"
      "sql;ZulData.mdb;UPDATE T SET B = " +
      sum + ", M = " + texts +
      "\r\n"
      "qdf;ZulData.mdb;Q;SELECT A FROM T WHERE " +
      either +
      "\r\n"
      "sql;ZulData.mdb;ALTER TABLE T ALTER COLUMN A TEXT(10)\r\n"
      "sql;ZulData.mdb;UPDATE T SET A = " +
      repeated("Abs(", 60) + "1" + repeated(")", 60) +
      "\r\n"
      "sql;ZulData.mdb;UPDATE T SET A = 'last'\r\n";
  writeFile(dir.file("TELVARN.ini"), script);
  const ProgramResult result = runProgram(dir.path(), {"--batch"});

  EXPECT_EQ(result.status, 1);  // one box: the 60 nested calls
  EXPECT_EQ(result.err.rfind("Orvel Database Maintenance System: 3075 : ", 0), 0u) << result.err;
  EXPECT_NE(result.err.find("Expression too complex in query expression 'UPDATE T SET A = Abs("),
            std::string::npos);
  EXPECT_NE(result.out.find("Finished Press OK to Continue"), std::string::npos);
  const std::string data = dir.file("ZulData.mdb");
  EXPECT_EQ(rawRows(data, "SELECT A || ',' || B || ',' || length(M) FROM T"), "last,20000,20000");
  EXPECT_EQ(rawRows(data, "SELECT sql IS NOT NULL FROM sqlite_master WHERE name = 'Q'"), "1");
}

}  // namespace
}  // namespace telvarn::test
