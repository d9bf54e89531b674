// The object model on files of the desktop program: a field made here has
// no Caption or DisplayControl until something creates one, a field that
// has a Caption takes a new one into the file's property block (read back
// by mdb-prop), and a link shows its source's fields, with the answers a
// link's fields give.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/DataType.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/Index.h"
#include "engine/model/TableDef.h"
#include "engine/open/DBEngine.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

class MdbDisplayAndLinks : public ::testing::Test {
 protected:
  std::string copied(const std::string& name) {
    const std::string path = dir.file(name);
    std::filesystem::copy_file(corpusFile(name), path);
    return path;
  }
  static std::vector<std::string> fieldLines(const TableDef& table) {
    std::vector<std::string> lines;
    for (const auto& field : table.fields()) {
      lines.push_back(field->name() + " " + std::to_string(field->record().type) + " " +
                      std::to_string(field->record().size));
    }
    return lines;
  }
  TempDir dir;
  DBEngine engine;
};

TEST_F(MdbDisplayAndLinks, NewFieldsHaveNoDisplayPropertiesAndExistingCaptionsChange) {
  SKIP_WITHOUT_MDBTOOLS();
  const std::string path = copied("Northwind_Access2000.mdb");
  auto db = engine.openDatabase(path);
  auto shippers = db->tableDef("Shippers");
  shippers->appendField(shippers->createField("Rating", DataType::Text, 20));
  shippers->appendField(shippers->createField("Active", DataType::Boolean));
  db->execute("ALTER TABLE Shippers ADD COLUMN Remark TEXT(30)");
  db->execute("SELECT ShipperID, CompanyName INTO Carriers FROM Shippers");

  auto again = engine.openDatabase(path);
  for (const auto& [table, field] : {std::pair{"Shippers", "Rating"},
                                     {"Shippers", "Remark"},
                                     {"Shippers", "Active"},
                                     {"Carriers", "CompanyName"}}) {
    auto made = again->tableDef(table)->field(field);
    EXPECT_EQ(errorOf([&] { made->setProperty("Caption", "Shown"); }), 3270) << field;
  }
  EXPECT_EQ(errorOf([&] {
              again->tableDef("Shippers")->field("Active")->setProperty("DisplayControl", 106);
            }),
            3270);
  // A field the desktop program made has a Caption: the new one is written.
  again->tableDef("Shippers")->field("CompanyName")->setProperty("Caption", "Firm");

  const auto captions = [](const std::string& file) {
    const std::string props = commandOutput("mdb-prop " + shellQuote(file) + " Shippers");
    std::vector<std::string> lines;
    for (size_t at = props.find("Caption: "); at != std::string::npos;
         at = props.find("Caption: ", at + 1)) {
      lines.push_back(props.substr(at, props.find('\n', at) - at));
    }
    return lines;
  };
  const std::vector<std::string> before = captions(corpusFile("Northwind_Access2000.mdb"));
  const std::vector<std::string> after = captions(path);
  ASSERT_EQ(after.size(), before.size());  // no field got a Caption of its own
  EXPECT_NE(std::find(after.begin(), after.end(), "Caption: Firm"), after.end());
  EXPECT_EQ(std::find(before.begin(), before.end(), "Caption: Firm"), before.end());
  EXPECT_EQ(mdb::MdbStorage(path).check(), std::vector<std::string>{});
}

TEST_F(MdbDisplayAndLinks, ALinkShowsItsSourcesFieldsAndRefusesDesignChanges) {
  SKIP_WITHOUT_MDBTOOLS();
  const std::string linked = copied("linked.mdb");
  const std::string linkee1 = copied("linkee1.mdb");
  copied("linkee2.mdb");
  auto db = engine.openDatabase(linked);
  // The desktop program's links name C:\db\...: made again to point here.
  db->deleteTableDef("Table1");
  auto link = db->createTableDef("Table1");
  link->setConnect(";DATABASE=" + linkee1);
  link->setSourceTableName("Table1");
  db->appendTableDef(link);

  // mdb-schema of linkee1.mdb: ID Long Integer, field1 Text (50).
  const std::vector<std::string> expected{"ID 4 4", "field1 10 50"};
  EXPECT_EQ(fieldLines(*link), expected);
  auto reopened = engine.openDatabase(linked)->tableDef("Table1");
  EXPECT_EQ(fieldLines(*reopened), expected);

  EXPECT_EQ(errorOf([&] { reopened->deleteField("field1"); }), 3219);
  EXPECT_EQ(errorOf([&] { reopened->appendField(reopened->createField("X", DataType::Long)); }),
            3219);
  auto index = reopened->createIndex("ByField");
  index->appendField(*index->createField("field1"));
  EXPECT_EQ(errorOf([&] { reopened->appendIndex(index); }), 3219);
  EXPECT_EQ(errorOf([&] { reopened->field("field1")->setProperty("Caption", "Shown"); }), 3270);
  EXPECT_EQ(errorOf([&] { reopened->field("field1")->setProperty("DefaultValue", "'x'"); }), 3219);
  EXPECT_EQ(mdb::MdbStorage(linked).check(), std::vector<std::string>{});
}

TEST_F(MdbDisplayAndLinks, ALinkWhoseSourceCannotBeReadIsFoundWithNoFields) {
  SKIP_WITHOUT_CORPUS();
  const std::string linked = copied("linked.mdb");
  const std::string linkee2 = copied("linkee2.mdb");
  // The desktop program's links name C:\db\..., which is not on this machine.
  auto db = engine.openDatabase(linked);
  for (const std::string& name : db->tableDefNames()) {
    EXPECT_NE(db->findTableDef(name), nullptr) << name;
  }
  EXPECT_EQ(fieldLines(*db->tableDef("Table1")), std::vector<std::string>{});

  // A source table deleted after the link was made.
  db->deleteTableDef("table2");
  auto link = db->createTableDef("table2");
  link->setConnect(";DATABASE=" + linkee2);
  link->setSourceTableName("table2");
  db->appendTableDef(link);
  engine.openDatabase(linkee2)->deleteTableDef("table2");
  EXPECT_EQ(fieldLines(*engine.openDatabase(linked)->tableDef("table2")),
            std::vector<std::string>{});
}

}  // namespace
}  // namespace telvarn::test
