// Table definitions written back: every definition of the corpus, written
// over its own pages, reads back the same and keeps every byte the engine
// wrote but those whose meaning is not known and which its files fill with
// leftovers; a definition that grows or shrinks takes and gives back
// continuation pages.
#include <gtest/gtest.h>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/DefinitionWriter.h"
#include "engine/mdb/FileCheck.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/TextCodec.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

// The definition's bytes as they run over its chain.
std::vector<uint8_t> storedBytes(PageSource& pages, const TableDefinition& table) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < table.definitionPages.size(); ++i) {
    const Page page = pages.readPage(table.definitionPages[i]);
    bytes.insert(bytes.end(), page.begin() + (i == 0 ? 0 : 8), page.end());
  }
  bytes.resize(8 + table.definitionLength);
  return bytes;
}

// The places whose bytes the engine's own files leave as they were: the
// table block's 16 bytes after the length fields, the first word of each
// index tree's header entry and of each tree (after its pages), the order
// byte of the tree's unused column places, and in columns that do not use
// them the variable slot and fixed offset.
std::vector<bool> knownBytes(const TableDefinition& table, size_t size) {
  std::vector<bool> known(size, true);
  const auto unknown = [&](size_t at, size_t length) {
    for (size_t i = at; i < at + length && i < size; ++i) known[i] = false;
  };
  unknown(0x19, 15);
  size_t at = 0x3F;
  for (size_t i = 0; i < table.physicalIndexes.size(); ++i, at += 12) unknown(at, 4);
  at += 25 * table.columns.size();
  for (const ColumnDef& column : table.columns) at += 2 + 2 * unitsFromUtf8(column.name).size();
  for (const PhysicalIndex& index : table.physicalIndexes) {
    for (size_t slot = index.columns.size(); slot < 10; ++slot) unknown(at + 6 + 3 * slot, 1);
    unknown(at + 42, 4);
    at += 52;
  }
  return known;
}

TEST(MdbDefinitionWriter, EveryCorpusDefinitionWrittenAgainIsTheSame) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  size_t definitions = 0;
  for (const std::string& name : corpusFiles()) {
    const std::string path = corpusCopy(dir.path(), name);
    std::vector<uint32_t> pages;
    {
      MdbStorage storage(path);
      for (const CatalogEntry& entry : storage.catalog()) {
        if (entry.type == ObjectType::Table) pages.push_back(entry.definitionPage());
      }
    }
    PageFile file(path, kPageSize);
    PageTransaction change(file);
    for (const uint32_t page : pages) {
      TableDefinition table = readTableDefinition(file, page);
      const std::vector<uint8_t> before = storedBytes(file, table);
      const std::vector<uint32_t> chain = table.definitionPages;
      writeTableDefinition(file, table);
      EXPECT_EQ(table.definitionPages, chain) << name << " " << page;
      EXPECT_EQ(readTableDefinition(file, page), table) << name << " " << page;
      const std::vector<uint8_t> after = storedBytes(file, table);
      ASSERT_EQ(after.size(), before.size()) << name << " " << page;
      const std::vector<bool> known = knownBytes(table, before.size());
      for (size_t i = 0; i < before.size(); ++i) {
        if (known[i] && before[i] != after[i]) {
          ADD_FAILURE() << name << " definition " << page << " byte " << i;
          break;
        }
      }
      ++definitions;
    }
    change.commit();
    EXPECT_EQ(checkFile(file), std::vector<std::string>{}) << name;
  }
  EXPECT_GT(definitions, 130u);
}

}  // namespace
}  // namespace telvarn::test
