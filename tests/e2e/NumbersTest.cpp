// Numbers the program reads and writes keep one form whatever the user's
// language: script fields, SQL literals and the SQL the engine writes, and
// --export. The second pass of these tests runs in a decimal-comma language.
#include <gtest/gtest.h>

#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/RawSql.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

TEST(Numbers, ScriptFieldsLiteralsAndExportKeepTheirDecimalPoint) {
  TempDir dir;
  DBEngine::createDatabase(dir.file("ZulData.mdb"));
  DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  writeFile(dir.file("TELVARN.ini"),
            "sql;ZulData.mdb;CREATE TABLE N (a DOUBLE, b DOUBLE)\r\n"
            "sql;ZulData.mdb;INSERT INTO N (a) VALUES (2.75)\r\n"
            "sql;ZulData.mdb;INSERT INTO N (a) VALUES (1.5)\r\n"
            "sql;ZulData.mdb;UPDATE N SET b = a * 2\r\n"
            "qdf;ZulData.mdb;Tenth;SELECT a * 0.1 AS c FROM N WHERE a > 2.5\r\n"
            // Type codes round half to even: 10 Text, 2 Byte, 8 Date/Time.
            "add;ZulData.mdb;N;t;9.5;20;0;\r\n"
            "add;ZulData.mdb;N;y;1.5;0;0;\r\n"
            "add;ZulData.mdb;N;d;7.5\r\n");
  const ProgramResult run = runProgram(dir.path(), {"--batch"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;

  const std::string data = dir.file("ZulData.mdb");
  EXPECT_EQ(rawRows(data, "SELECT a || ' ' || b FROM N ORDER BY rowid"), "2.75 5.5|1.5 3.0");
  EXPECT_EQ(rawRows(data, "SELECT round(c, 3) FROM Tenth"), "0.275");
  EXPECT_EQ(rawRows(data,
                    "SELECT Name || ' ' || Type FROM MSysFields WHERE TableName = 'N' "
                    "AND Position > 1 ORDER BY Position"),
            "t 10|y 2|d 8");
  const ProgramResult exported = runProgram(dir.path(), {"--export", data, "N"});
  EXPECT_EQ(exported.out, "a,b,t,y,d\r\n2.75,5.5,,,\r\n1.5,3,,,\r\n");
}

}  // namespace
}  // namespace telvarn::test
