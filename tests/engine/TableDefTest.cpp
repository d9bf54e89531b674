// Tables and fields through the object model: what is refused with which
// number, and what a saved field reports.
#include "engine/DataType.h"
#include "engine/EngineFixture.h"
#include "engine/model/QueryDef.h"

namespace telvarn::test {
namespace {

using TableDefs = EngineFixture;

TEST_F(TableDefs, ATableMayStartWithNoFieldAndGetsItsStorageWithTheFirst) {
  db->appendTableDef(db->createTableDef("Empty"));
  auto table = db->tableDef("empty");
  EXPECT_EQ(table->name(), "Empty");
  EXPECT_TRUE(table->fields().empty());
  EXPECT_EQ(rawColumn("SELECT count(*) FROM sqlite_master WHERE name = 'Empty'"), "0");
  table->appendField(table->createField("ID", DataType::Long));
  EXPECT_EQ(rawColumn("SELECT count(*) FROM sqlite_master WHERE name = 'Empty'"), "1");
  EXPECT_EQ(db->tableDef("EMPTY")->field("id")->type(), DataType::Long);
}

TEST_F(TableDefs, NamesInUseAndMissingNamesHaveTheirNumbers) {
  makeTable("T", {{"A", DataType::Long, 0}});
  EXPECT_EQ(errorOf([&] { db->appendTableDef(db->createTableDef("t")); }), 3010);
  EXPECT_EQ(errorOf([&] { db->tableDef("Nope"); }), 3265);
  EXPECT_EQ(errorOf([&] { db->tableDef("T")->field("Nope"); }), 3265);
  EXPECT_EQ(errorOf([&] { db->appendTableDef(db->createTableDef("Bad.Name")); }), 3125);
  EXPECT_EQ(errorOf([&] { db->appendTableDef(db->createTableDef(" Lead")); }), 3125);
  EXPECT_EQ(errorOf([&] { db->appendTableDef(db->createTableDef(std::string(65, 'x'))); }), 3125);
}

TEST_F(TableDefs, FieldAppendsAreCheckedAtTheAppend) {
  auto table = makeTable("T", {{"A", DataType::Long, 0}});
  EXPECT_EQ(errorOf([&] { table->appendField(table->createField("a", DataType::Text, 10)); }),
            3191);
  for (int bad : {0, 13, 14, 16, 20, -1}) {
    EXPECT_EQ(errorOf([&] { table->appendField(table->createField("B", bad)); }), 3259) << bad;
  }
  EXPECT_EQ(errorOf([&] { table->appendField(table->createField("C", DataType::Text, 300)); }),
            3017);
  auto fresh = db->createTableDef("New");
  fresh->appendField(fresh->createField("X", DataType::Long));
  EXPECT_EQ(errorOf([&] { fresh->appendField(fresh->createField("x", DataType::Long)); }), 3367);
  EXPECT_EQ(db->tableDef("T")->fields().size(), 1u);
}

TEST_F(TableDefs, SavedFieldsReportTheSizesOfTheirTypes) {
  auto table = makeTable("T", {{"Flag", DataType::Boolean, 0},
                               {"Small", DataType::Integer, 99},
                               {"Amount", DataType::Currency, 0},
                               {"When", DataType::Date, 0},
                               {"Name", DataType::Text, 40},
                               {"Code", DataType::Text, 0},
                               {"Notes", DataType::Memo, 0}});
  const std::vector<int> sizes = {1, 2, 8, 8, 40, 255, 0};
  for (size_t i = 0; i < sizes.size(); ++i) EXPECT_EQ(table->fields()[i]->size(), sizes[i]) << i;
  EXPECT_EQ(errorOf([&] { table->field("Name")->setType(DataType::Memo); }), 3219);
  EXPECT_EQ(errorOf([&] { table->field("Name")->setProperty("Size", 10); }), 3219);
}

TEST_F(TableDefs, EveryNewFieldHasACaptionAndYesNoFieldsADisplayControl) {
  auto table = makeTable("T", {{"Flag", DataType::Boolean, 0}, {"Name", DataType::Text, 10}});
  EXPECT_EQ(table->field("Name")->property("Caption"), Variant(""));
  EXPECT_EQ(table->field("Flag")->property("DisplayControl").toInteger(), 109);
  EXPECT_EQ(errorOf([&] { table->field("Name")->property("DisplayControl"); }), 3270);
  EXPECT_EQ(errorOf([&] { table->field("Name")->setProperty("Description", "x"); }), 3270);
  table->field("Flag")->setProperty("DisplayControl", 106);
  table->field("Name")->setProperty("caption", "Customer name");
  auto again = db->tableDef("T");
  EXPECT_EQ(again->field("Flag")->property("DisplayControl").toInteger(), 106);
  EXPECT_EQ(again->field("Name")->property("Caption").toText(), "Customer name");
}

TEST_F(TableDefs, BuiltInPropertiesConvertWhatTheyAreGiven) {
  auto table = makeTable("T", {{"Name", DataType::Text, 10}, {"N", DataType::Long, 0}});
  auto name = table->field("Name");
  name->setProperty("AllowZeroLength", 1);
  EXPECT_EQ(db->tableDef("T")->field("Name")->property("AllowZeroLength").toInteger(), -1);
  name->setProperty("AllowZeroLength", 0);
  EXPECT_FALSE(db->tableDef("T")->field("Name")->property("AllowZeroLength").toBoolean());
  name->setProperty("DefaultValue", -5);
  EXPECT_EQ(db->tableDef("T")->field("Name")->property("DefaultValue").toText(), "-5");
  EXPECT_EQ(errorOf([&] { name->setProperty("Required", "Yes"); }), 3421);
  // Only text can be of zero length.
  EXPECT_EQ(errorOf([&] { table->field("N")->setProperty("AllowZeroLength", -1); }), 3219);
  table->field("N")->setProperty("AllowZeroLength", 0);
  EXPECT_EQ(errorOf([&] { table->field("N")->setProperty("Caption", Variant::null()); }), 3385);
}

TEST_F(TableDefs, RenamingAFieldKeepsItsRowsIndexesAndProperties) {
  auto table = makeTable("T", {{"Old", DataType::Text, 10}, {"Other", DataType::Long, 0}});
  table->appendIndex(index("ByOld", "Old"));
  table->field("Old")->setProperty("Caption", "Shown");
  raw("INSERT INTO T (Old, Other) VALUES ('kept', 1)");
  auto field = db->tableDef("T")->field("Old");
  field->setProperty("Name", "New");
  field->setProperty("AllowZeroLength", true);
  auto after = db->tableDef("T");
  EXPECT_EQ(after->field("New")->property("Caption").toText(), "Shown");
  EXPECT_TRUE(after->field("New")->property("AllowZeroLength").toBoolean());
  EXPECT_EQ(after->indexes()[0]->record().columns[0].field, "New");
  EXPECT_EQ(rawColumn("SELECT New FROM T"), "kept");
  EXPECT_EQ(errorOf([&] { after->field("New")->setProperty("Name", "other"); }), 3191);
}

TEST_F(TableDefs, DeletingFieldsKeepsTheOthersAndRefusesIndexedOnes) {
  auto table = makeTable("T", {{"A", DataType::Long, 0}, {"B", DataType::Text, 5}});
  table->appendIndex(index("ByA", "A"));
  raw("INSERT INTO T (A, B) VALUES (1, 'x')");
  EXPECT_EQ(errorOf([&] { table->deleteField("Nope"); }), 3265);
  EXPECT_EQ(errorOf([&] { table->deleteField("A"); }), 3280);
  table->deleteField("b");
  EXPECT_EQ(db->tableDef("T")->fields().size(), 1u);
  EXPECT_EQ(rawColumn("SELECT A FROM T"), "1");
  EXPECT_EQ(errorOf([&] { db->tableDef("T")->field("B"); }), 3265);
}

TEST_F(TableDefs, AYesNoFieldAddedToRowsHoldsFalseInThem) {
  auto table = makeTable("T", {{"ID", DataType::Long, 0}});
  raw("INSERT INTO T (ID) VALUES (1), (2)");
  table->appendField(table->createField("Done", DataType::Boolean));
  db->execute("ALTER TABLE T ADD COLUMN Late YESNO");
  EXPECT_EQ(rawColumn("SELECT quote(Done) || quote(Late) FROM T ORDER BY ID"), "00|00");
  db->execute("UPDATE T SET Done = Not Done WHERE ID = 2");
  EXPECT_EQ(rawColumn("SELECT count(*) FROM T WHERE Done = -1 AND Late = 0"), "1");
}

TEST_F(TableDefs, ADefaultThatDoesNotFitItsFieldIsRefusedWhenSet) {
  auto table = makeTable("T", {{"N", DataType::Integer, 0},
                               {"Code", DataType::Text, 3},
                               {"When", DataType::Date, 0},
                               {"Price", DataType::Currency, 0}});
  EXPECT_EQ(errorOf([&] { table->field("N")->setDefaultValue("abc"); }), 3421);
  EXPECT_EQ(errorOf([&] { table->field("N")->setDefaultValue("40000"); }), 3349);
  EXPECT_EQ(errorOf([&] { table->field("Code")->setDefaultValue("\"long\""); }), 3163);
  EXPECT_EQ(errorOf([&] { table->field("When")->setDefaultValue("#2/30/2000#"); }), 3421);
  EXPECT_EQ(db->tableDef("T")->field("N")->property("DefaultValue").toText(), "");
  table->field("N")->setDefaultValue("=2 * 3");
  table->field("Code")->setDefaultValue("abc");
  table->field("When")->setDefaultValue("#3/14/2024#");
  table->field("Price")->setDefaultValue("0.1");
  db->execute("INSERT INTO T (N) VALUES (1)");
  db->execute("INSERT INTO T (Price) VALUES (2)");
  EXPECT_EQ(rawColumn("SELECT N || ' ' || Code || ' ' || [When] || ' ' || Price FROM T"),
            "1 abc 45365 1000|6 abc 45365 20000");
  // A field not yet appended is checked as well.
  auto fresh = db->createTableDef("U");
  auto field = fresh->createField("B", DataType::Byte);
  EXPECT_EQ(errorOf([&] { field->setDefaultValue("-1"); }), 3349);
}

}  // namespace
}  // namespace telvarn::test

namespace telvarn::test {
namespace {

using QueriesAndLinks = EngineFixture;

TEST_F(QueriesAndLinks, AStoredQueryKeepsItsFirstText) {
  db->createQueryDef("Q", "DELETE FROM T");
  EXPECT_EQ(errorOf([&] { db->createQueryDef("q", "UPDATE T SET A = 1"); }), 3012);
  EXPECT_EQ(db->queryDef("Q")->sql(), "DELETE FROM T");
  EXPECT_EQ(errorOf([&] { db->queryDef("Missing"); }), 3265);
  makeTable("T", {{"A", DataType::Long, 0}});
  EXPECT_EQ(errorOf([&] { db->appendTableDef(db->createTableDef("Q")); }), 3010);
}

TEST_F(QueriesAndLinks, ALinkNeedsItsSourceFileAndTable) {
  const std::string source = dir.file("source.mdb");
  DBEngine::createDatabase(source);
  auto sourceDb = engine.openDatabase(source);
  auto real = sourceDb->createTableDef("Customers");
  real->appendField(real->createField("ID", DataType::Long));
  sourceDb->appendTableDef(real);

  const auto link = [&](const std::string& name, const std::string& path) {
    auto table = db->createTableDef(name);
    table->setConnect(";DATABASE=" + path);
    table->setSourceTableName(name);
    db->appendTableDef(table);
  };
  EXPECT_EQ(errorOf([&] { link("Customers", dir.file("nowhere.mdb")); }), 3024);
  EXPECT_EQ(errorOf([&] { link("Orders", source); }), 3011);
  link("Customers", source);
  EXPECT_EQ(errorOf([&] { link("customers", source); }), 3012);
  auto linked = db->tableDef("Customers");
  EXPECT_EQ(linked->connect(), ";DATABASE=" + source);
  EXPECT_EQ(linked->sourceTableName(), "Customers");
}

TEST_F(QueriesAndLinks, ALinksFieldsAreItsSourcesAndOnlyTheirPropertiesChange) {
  const std::string source = dir.file("source.mdb");
  DBEngine::createDatabase(source);
  auto sourceDb = engine.openDatabase(source);
  sourceDb->execute("CREATE TABLE Src (ID LONG, Name TEXT(20), Made DATETIME)");
  auto table = db->createTableDef("Lnk");
  table->setConnect(";DATABASE=" + source);
  table->setSourceTableName("Src");
  db->appendTableDef(table);

  auto linked = db->tableDef("Lnk");
  ASSERT_EQ(linked->fields().size(), 3u);
  EXPECT_EQ(linked->field("Name")->record().type, DataType::Text);
  EXPECT_EQ(linked->field("Name")->record().size, 20);
  EXPECT_EQ(linked->field("Made")->record().type, DataType::Date);
  linked->field("Name")->setProperty("Caption", "Customer");
  EXPECT_EQ(db->tableDef("Lnk")->field("Name")->property("Caption").toText(), "Customer");
  EXPECT_EQ(sourceDb->tableDef("Src")->field("Name")->property("Caption").toText(), "");

  EXPECT_EQ(errorOf([&] { linked->deleteField("Name"); }), 3219);
  EXPECT_EQ(errorOf([&] { linked->deleteField("Nope"); }), 3265);
  EXPECT_EQ(errorOf([&] { linked->appendIndex(index("ByID", "ID")); }), 3219);
  EXPECT_EQ(errorOf([&] { linked->field("ID")->setDefaultValue("1"); }), 3219);
  EXPECT_EQ(errorOf([&] { linked->field("ID")->setProperty("Name", "Key"); }), 3219);
  EXPECT_EQ(db->tableDef("Lnk")->fields().size(), 3u);
  EXPECT_EQ(sourceDb->tableDef("Src")->fields().size(), 3u);
}

}  // namespace
}  // namespace telvarn::test
