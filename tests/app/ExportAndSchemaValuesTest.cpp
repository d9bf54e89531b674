// Values as --export and --schema write them, on the program's own files:
// numbers as the shortest text that reads back as the same value, a Null
// kept apart from a zero-length text, and property bytes as readable text.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdlib>
#include <sstream>

#include "app/core/CsvExport.h"
#include "app/core/SchemaJson.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "support/RawSql.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

class ExportAndSchemaValues : public ::testing::Test {
 protected:
  ExportAndSchemaValues() : path(dir.file("data.mdb")) {
    DBEngine::createDatabase(path);
    db = engine.openDatabase(path);
  }

  std::string csv(const std::string& table) {
    std::ostringstream out;
    exportCsv(*db, table, out);
    return out.str();
  }

  TempDir dir;
  std::string path;
  DBEngine engine;
  std::shared_ptr<Database> db;
};

TEST_F(ExportAndSchemaValues, NumbersReadBackAsTheSameValue) {
  db->execute("CREATE TABLE N (d DOUBLE, s SINGLE)");
  db->execute("INSERT INTO N VALUES (1.7976931348623157E308, 0.15)");
  db->execute("INSERT INTO N VALUES (0.1, -2.5E-8)");
  const std::string text = csv("N");
  EXPECT_EQ(text, "d,s\r\n1.7976931348623157e+308,0.15\r\n0.1,-2.5e-08\r\n");
  EXPECT_EQ(std::strtod("1.7976931348623157e+308", nullptr), DBL_MAX);
}

TEST_F(ExportAndSchemaValues, NullAndZeroLengthTextStayApart) {
  db->execute("CREATE TABLE T (id LONG, t TEXT(10), m MEMO)");
  db->tableDef("T")->field("t")->setAllowZeroLength(true);
  db->tableDef("T")->field("m")->setAllowZeroLength(true);
  db->execute("INSERT INTO T VALUES (1, '', '')");
  db->execute("INSERT INTO T VALUES (2, Null, Null)");
  db->execute("INSERT INTO T VALUES (3, 'a,b', 'x')");
  EXPECT_EQ(csv("T"), "id,t,m\r\n1,\"\",\"\"\r\n2,,\r\n3,\"a,b\",x\r\n");
}

TEST_F(ExportAndSchemaValues, DatesMoneyAndALinksRowsFromItsSource) {
  const std::string sourcePath = dir.file("source.mdb");
  DBEngine::createDatabase(sourcePath);
  auto source = engine.openDatabase(sourcePath);
  source->execute("CREATE TABLE S (d DATETIME, c CURRENCY, b YESNO)");
  source->execute("INSERT INTO S VALUES (#12/29/1899 6:00#, 99999999999999.9999, True)");
  source->execute("INSERT INTO S VALUES (#3/14/2024 18:00:01#, -0.0001, False)");
  auto link = db->createTableDef("L");
  link->setConnect(";DATABASE=" + sourcePath);
  link->setSourceTableName("S");
  db->appendTableDef(link);
  const std::string rows =
      "d,c,b\r\n1899-12-29 06:00:00,99999999999999.9999,True\r\n"
      "2024-03-14 18:00:01,-0.0001,False\r\n";
  EXPECT_EQ(csv("L"), rows);
  std::ostringstream fromSource;
  exportCsv(*source, "S", fromSource);
  EXPECT_EQ(fromSource.str(), rows);
}

// The bytes are those of a GUID property the desktop program wrote;
// mdb-prop shows the same value as {D403E508-881E-4040-8C643083ED612BF9}.
TEST_F(ExportAndSchemaValues, PropertyBytesShowAsGuidOrHexadecimal) {
  db->execute("CREATE TABLE P (f TEXT(10))");
  rawRows(path,
          "INSERT INTO MSysProperties(TableName, FieldName, Name, Type, Value, Position) VALUES "
          "('P', 'f', 'GUID', 9, X'08E503D41E8840408C643083ED612BF9', 100), "
          "('P', 'f', 'Mask', 9, X'00FF7F10', 101)");
  const std::string json = schemaJson(*db);
  EXPECT_NE(json.find("\"GUID\": \"{D403E508-881E-4040-8C64-3083ED612BF9}\""), std::string::npos)
      << json;
  EXPECT_NE(json.find("\"Mask\": \"00FF7F10\""), std::string::npos) << json;
}

}  // namespace
}  // namespace telvarn::test
