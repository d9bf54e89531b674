// Indexes, and changing a column's type in place: the refusals, and that a
// refused change leaves every row as it was.
#include "engine/DataType.h"
#include "engine/EngineFixture.h"
#include "engine/Storage.h"

namespace telvarn::test {
namespace {

using Indexes = EngineFixture;

TEST_F(Indexes, PrimaryKeysAndNamesAreUniquePerTable) {
  auto table = makeTable("T", {{"A", DataType::Long, 0}, {"B", DataType::Long, 0}});
  table->appendIndex(index("PrimaryKey", "A", true));
  EXPECT_EQ(errorOf([&] { table->appendIndex(index("Second", "B", true)); }), 3283);
  EXPECT_EQ(errorOf([&] { table->appendIndex(index("primarykey", "B")); }), 3367);
  // The rules hold against the file, not only the collection: a table
  // read before the index was added still refuses its name.
  auto stale = db->tableDef("T");
  table->appendIndex(index("ByB", "B"));
  EXPECT_EQ(errorOf([&] { stale->appendIndex(index("ByB", "A")); }), 3284);
  EXPECT_EQ(errorOf([&] { table->appendIndex(index("OnMissing", "Nope")); }), 3265);
  auto empty = table->createIndex("NoFields");
  EXPECT_EQ(errorOf([&] { table->appendIndex(empty); }), 3264);
  table->refreshIndexes();
  ASSERT_EQ(table->indexes().size(), 2u);
  EXPECT_TRUE(table->indexes()[0]->record().primary);
  EXPECT_EQ(errorOf([&] { table->indexes()[0]->setUnique(Variant(true)); }), 3219);
}

TEST_F(Indexes, FlagsComeFromTextAsTheRuntimeLibraryConvertsIt) {
  auto table = makeTable("T", {{"A", DataType::Long, 0}});
  auto made = table->createIndex("I");
  made->setPrimary(Variant("true"));
  made->setUnique(Variant("-1"));
  made->setRequired(Variant("0"));
  EXPECT_TRUE(made->record().primary);
  EXPECT_TRUE(made->record().unique);
  EXPECT_FALSE(made->record().required);
  EXPECT_EQ(errorOf([&] { made->setRequired(Variant("Yes")); }), 13);
  EXPECT_EQ(errorOf([&] { made->setRequired(Variant("")); }), 13);
}

TEST_F(Indexes, ExistingRowsMustSuitTheIndex) {
  auto table = makeTable("T", {{"A", DataType::Long, 0}, {"Name", DataType::Text, 10}});
  raw("INSERT INTO T (A, Name) VALUES (1, 'smith'), (1, 'SMITH'), (NULL, 'x')");
  EXPECT_EQ(errorOf([&] { table->appendIndex(index("U", "A", false, true)); }), 3022);
  // Text compares without regard to case, in indexes too.
  EXPECT_EQ(errorOf([&] { table->appendIndex(index("N", "Name", false, true)); }), 3022);
  raw("UPDATE T SET A = rowid");
  raw("UPDATE T SET A = NULL WHERE Name = 'x'");
  EXPECT_EQ(errorOf([&] { table->appendIndex(index("P", "A", true)); }), 3058);
  raw("DELETE FROM T WHERE A IS NULL");
  table->appendIndex(index("P", "A", true));
  EXPECT_EQ(rawColumn("SELECT count(*) FROM T"), "2");
}

using TypeChanges = EngineFixture;

FieldRecord retyped(const std::shared_ptr<TableDef>& table, const std::string& field, int type,
                    int size = 0) {
  FieldRecord changed = table->field(field)->record();
  changed.type = type;
  changed.size = storedSize(type, size);
  return changed;
}

TEST_F(TypeChanges, ValuesThatConvertAreKeptWithIndexesAndProperties) {
  auto table = makeTable("T", {{"Code", DataType::Text, 10}, {"Keep", DataType::Text, 10}});
  table->appendIndex(index("ByCode", "Code"));
  table->field("Code")->setProperty("Caption", "The code");
  raw("INSERT INTO T VALUES (' 12 ', 'a'), ('3.5', 'b'), (NULL, 'c')");
  db->storage().changeField("T", "Code", retyped(table, "Code", DataType::Integer));
  EXPECT_EQ(rawColumn("SELECT Code FROM T ORDER BY rowid"), "12|4|NULL");
  EXPECT_EQ(rawColumn("SELECT typeof(Code) FROM T WHERE Keep = 'a'"), "integer");
  auto after = db->tableDef("T");
  EXPECT_EQ(after->field("Code")->type(), DataType::Integer);
  EXPECT_EQ(after->field("Code")->property("Caption").toText(), "The code");
  EXPECT_EQ(after->indexes().size(), 1u);
  EXPECT_EQ(rawColumn("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                      "name = 'T.ByCode'"),
            "1");
}

TEST_F(TypeChanges, AChangeSomeValueCannotSurviveChangesNothing) {
  auto table = makeTable("T", {{"V", DataType::Text, 20}});
  raw("INSERT INTO T VALUES ('1'), ('not a number'), ('70000')");
  EXPECT_EQ(
      errorOf([&] { db->storage().changeField("T", "V", retyped(table, "V", DataType::Long)); }),
      3421);
  raw("DELETE FROM T WHERE V = 'not a number'");
  EXPECT_EQ(
      errorOf([&] { db->storage().changeField("T", "V", retyped(table, "V", DataType::Integer)); }),
      3349);
  EXPECT_EQ(
      errorOf([&] { db->storage().changeField("T", "V", retyped(table, "V", DataType::Text, 2)); }),
      3163);
  EXPECT_EQ(rawColumn("SELECT V FROM T ORDER BY rowid"), "1|70000");
  EXPECT_EQ(db->tableDef("T")->field("V")->type(), DataType::Text);
  EXPECT_EQ(db->tableDef("T")->field("V")->size(), 20);
}

TEST_F(TypeChanges, DatesAndYesNoConvertAsTheEngineReadsThem) {
  auto table = makeTable("T", {{"D", DataType::Text, 30}, {"B", DataType::Text, 10}});
  raw("INSERT INTO T VALUES ('1/2/2003', 'True'), ('2003-02-01 10:30', '0'), (NULL, NULL)");
  db->storage().changeField("T", "D", retyped(table, "D", DataType::Date));
  db->storage().changeField("T", "B", retyped(db->tableDef("T"), "B", DataType::Boolean));
  EXPECT_EQ(rawColumn("SELECT coalesce(D, 'NULL') FROM T ORDER BY rowid"),
            "37623|37653.4375|NULL");  // the day numbers of 1/2/2003 and 2/1/2003 10:30 AM
  EXPECT_EQ(rawColumn("SELECT B FROM T ORDER BY rowid"), "-1|0|0");
}

}  // namespace
}  // namespace telvarn::test
