// Stored queries deleted from a real file: their catalog rows and their
// rows of MSysQueries go, the other queries read back as they were, and
// mdb-queries no longer lists them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/mdb/FileCheck.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/MdbToolsRows.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/SchemaWriter.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

std::map<std::string, std::string> queryTexts(const std::string& path) {
  MdbStorage storage(path);
  std::map<std::string, std::string> texts;
  for (const std::string& name : storage.queryNames()) texts[name] = storage.findQuery(name)->sql;
  return texts;
}

size_t rowsOf(const std::string& path, const std::string& table) {
  return split(commandOutput("mdb-export -R " + shellQuote("\x1e") + " " + shellQuote(path) + " " +
                             table),
               '\x1e')
      .size();
}

bool listed(const std::string& path, const std::string& query) {
  const std::vector<std::string> names =
      split(commandOutput("mdb-queries -1 " + shellQuote(path)), '\n');
  return std::find(names.begin(), names.end(), query) != names.end();
}

TEST(MdbQueriesDeleted, AQueryGoesWithItsRowsAndTheOthersStay) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  std::map<std::string, std::string> texts = queryTexts(path);
  ASSERT_TRUE(texts.count("Invoices") && texts.count("Sales by Year"));
  const size_t parts = rowsOf(path, "MSysQueries");
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.deleteQuery("invoices");
    schema.deleteQuery("Sales by Year");
    EXPECT_EQ(errorOf([&] { schema.deleteQuery("Invoices"); }), 3265);
    EXPECT_EQ(errorOf([&] { schema.deleteQuery("Orders"); }), 3265);  // a table
    EXPECT_EQ(checkFile(file), std::vector<std::string>{});
  }
  texts.erase("Invoices");
  texts.erase("Sales by Year");
  EXPECT_EQ(queryTexts(path), texts);
  EXPECT_GT(parts, 400u);
  EXPECT_LT(rowsOf(path, "MSysQueries"), parts - 10);
  EXPECT_FALSE(listed(path, "Invoices"));
  EXPECT_FALSE(listed(path, "Sales by Year"));
  EXPECT_TRUE(listed(path, "Invoices Filter"));
}

}  // namespace
}  // namespace telvarn::test
