// Linked tables made in real files: the catalog row the engine's own links
// have (held against linked.mdb, whose links the desktop program made),
// read back as a link by our reader and mdbtools, and dropped again.
#include <gtest/gtest.h>

#include "engine/mdb/EmptyFile.h"
#include "engine/mdb/FileCheck.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/MdbToolsRows.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/SchemaWriter.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;
using Lines = std::vector<std::string>;

// The catalog row of `name` as mdb-export prints it, from its Type to its
// ForeignName (dates left out: they are the moment the row was made).
std::string catalogRow(const std::string& path, const std::string& name) {
  for (const std::string& line :
       split(commandOutput("mdb-export -b strip -d '|' " + shellQuote(path) + " MSysObjects"),
             '\n')) {
    const std::vector<std::string> values = split(line, '|');
    if (values.size() > 10 && values[2] == "\"" + name + "\"")
      return values[1] + "|" + values[3] + "|" + values[7] + "|" + values[8] + "|" + values[9] +
             "|" + values[10];
  }
  return "<missing>";
}

TableRecord link(const std::string& name, const std::string& connect, const std::string& source) {
  TableRecord record;
  record.name = name;
  record.kind = TableKind::Linked;
  record.connect = connect;
  record.sourceTableName = source;
  return record;
}

TEST(MdbLinks, ALinkHasTheCatalogRowOfTheEnginesLinks) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = dir.file("links.mdb");
  createEmptyFile(path);
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.createTable(link("Table1", ";DATABASE=C:\\db\\linkee1.mdb", "Table1"));
    schema.createTable(link("Mine", ";DATABASE=/srv/zul/linkee2.mdb", "table2"));
    EXPECT_EQ(errorOf([&] { schema.createTable(link("mine", ";DATABASE=x.mdb", "table2")); }),
              3010);
    EXPECT_EQ(errorOf([&] { schema.createTable(link("Other", "ODBC;DSN=x", "t")); }), 3251);
  }
  EXPECT_EQ(catalogRow(path, "Table1"), catalogRow(corpusFile("linked.mdb"), "Table1"));
  EXPECT_EQ(catalogRow(path, "Table1"), "251658241|6|2097152|\"C:\\db\\linkee1.mdb\"||\"Table1\"");

  MdbStorage storage(path);
  const TableRecord mine = *storage.findTable("Mine");
  EXPECT_EQ(mine.kind, TableKind::Linked);
  EXPECT_EQ(mine.connect, ";DATABASE=/srv/zul/linkee2.mdb");
  EXPECT_EQ(mine.sourceTableName, "table2");
  EXPECT_EQ(errorOf([&] {
              storage.forEachRow("Mine", [](const std::vector<Variant>&) { return true; });
            }),
            3251);
  {
    PageFile file(path, kPageSize);
    SchemaWriter(file).dropTable("Mine");
    EXPECT_EQ(checkFile(file), Lines{});
  }
  EXPECT_FALSE(MdbStorage(path).findTable("Mine"));
  EXPECT_EQ(catalogRow(path, "Mine"), "<missing>");
}

}  // namespace
}  // namespace telvarn::test
