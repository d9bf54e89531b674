// A new, empty file of the desktop program's format, made by our code:
// held against the file the engine alone made (adox_jet4.mdb) and read back
// by mdbtools and our reader; a file that is there is not touched, and one
// whose making fails is not left behind.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/mdb/EmptyFile.h"
#include "engine/mdb/FaultyDisk.h"
#include "engine/mdb/FileCheck.h"
#include "engine/mdb/FileHeader.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/MdbToolsRows.h"
#include "engine/mdb/PageFile.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

// Columns and indexes as the definition describes them, without the pages
// they happen to take.
TableDefinition withoutPages(TableDefinition table) {
  table.page = table.usedPages = table.freePages = 0;
  table.definitionPages.clear();
  table.rowCount = 0;
  for (PhysicalIndex& index : table.physicalIndexes) index = {index.columns, 0, 0, index.flags, 0};
  for (LongValueMaps& maps : table.longValueMaps) maps = {maps.column, 0, 0};
  for (ColumnDef& column : table.columns) {
    if (!column.fixed()) column.fixedOffset = 0;  // left as it was in the engine's own
  }
  return table;
}

std::string tableText(const std::string& path, const std::string& table) {
  return commandOutput("mdb-export -b hex " + shellQuote(path) + " " + table);
}

TEST(MdbEmptyFile, HoldsWhatTheEngineMakesAndReadsBack) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  const std::string path = dir.file("new.mdb");
  createEmptyFile(path);
  MdbStorage made(path);
  MdbStorage engines(corpusFile("adox_jet4.mdb"));
  EXPECT_EQ(checkFile(made.pages()), std::vector<std::string>{});
  EXPECT_TRUE(made.tableNames().empty());
  EXPECT_TRUE(made.queryNames().empty());
  EXPECT_EQ(made.header().codePage, 1252);
  EXPECT_EQ(made.header().sortOrder, 0x409u);
  EXPECT_EQ(made.catalog().size(), engines.catalog().size());
  for (const char* table : {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"}) {
    EXPECT_EQ(withoutPages(made.definition(table)), withoutPages(engines.definition(table))) << table;
    EXPECT_EQ(made.definition(table).page, engines.definition(table).page) << table;
  }
  if (!haveMdbTools()) return;
  EXPECT_EQ(commandOutput("mdb-ver " + shellQuote(path)), "JET4\n");
  EXPECT_EQ(commandOutput("mdb-tables -S -1 " + shellQuote(path)),
            "MSysObjects\nMSysACEs\nMSysQueries\nMSysRelationships\n");
  EXPECT_EQ(tableText(path, "MSysACEs"), tableText(corpusFile("adox_jet4.mdb"), "MSysACEs"));
  // The catalog's rows but for their dates.
  const auto withoutDates = [](const std::string& text) {
    std::vector<std::string> rows;
    for (const std::string& line : split(text, '\n')) {
      std::vector<std::string> fields = split(line, ',');
      if (fields.size() > 5) fields.erase(fields.begin() + 4, fields.begin() + 6);
      std::string row;
      for (const std::string& field : fields) row += field + ",";
      rows.push_back(row);
    }
    return rows;
  };
  EXPECT_EQ(withoutDates(tableText(path, "MSysObjects")),
            withoutDates(tableText(corpusFile("adox_jet4.mdb"), "MSysObjects")));
}

// For the creation date of the engine's file our header page is its header
// page, but for the build number of the engine that wrote it.
TEST(MdbEmptyFile, HeaderIsTheEnginesForTheSameCreationDate) {
  SKIP_WITHOUT_CORPUS();
  const std::string engines = readFile(corpusFile("adox_jet4.mdb")).substr(0, kPageSize);
  Page decoded(engines.begin(), engines.end());
  constexpr uint8_t key[] = {0xC7, 0xDA, 0x39, 0x6B};
  rc4(key, sizeof key, decoded.data() + 0x18, 128);
  double created;
  std::memcpy(&created, decoded.data() + 0x72, sizeof created);
  const Page ours = headerPage(created);
  std::vector<size_t> differ;
  for (size_t i = 0; i < kPageSize; ++i) {
    if (ours[i] != static_cast<uint8_t>(engines[i])) differ.push_back(i);
  }
  EXPECT_EQ(differ, (std::vector<size_t>{0x6A, 0x6B}));
}

TEST(MdbEmptyFile, AFileThatIsThereStaysAndAFailedOneGoes) {
  TempDir dir;
  const std::string path = dir.file("there.mdb");
  writeFile(path, "not a database");
  EXPECT_EQ(errorOf([&] { createEmptyFile(path); }), 3204);
  EXPECT_EQ(readFile(path), "not a database");
  EXPECT_EQ(errorOf([&] { createEmptyFile(dir.file("missing/new.mdb")); }), 3044);

  FaultyDisk disk;
  const std::string failing = dir.file("failing.mdb");
  for (int countdown = 1;; ++countdown) {
    disk.arm(countdown, ENOSPC, false);
    const int error = errorOf([&] { createEmptyFile(failing, disk); });
    if (!disk.struck()) {
      EXPECT_EQ(error, 0);
      break;
    }
    EXPECT_EQ(error, 3026) << countdown;
    EXPECT_FALSE(systemDisk().exists(failing)) << countdown;
  }
  disk.clear();
  PageFile file(failing, kPageSize);
  EXPECT_EQ(checkFile(file), std::vector<std::string>{});
}

}  // namespace
}  // namespace telvarn::test
