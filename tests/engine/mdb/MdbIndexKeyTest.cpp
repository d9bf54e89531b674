// Index keys re-made from the rows: every entry of every index of every
// corpus file, encoded afresh from the row it points to and compared byte by
// byte with what the desktop program stored. Every entry means one for each
// row, for an index that does not leave out rows with Null keys.
#include <gtest/gtest.h>

#include <map>

#include "engine/mdb/DataPage.h"
#include "engine/mdb/IndexKey.h"
#include "engine/mdb/IndexPages.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/TextSortKey.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

struct Tally {
  size_t entries = 0;
  size_t equal = 0;
  std::map<std::string, size_t> unsupported;
  std::vector<std::string> different;
};

std::string hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) out += {digits[b >> 4], digits[b & 15]};
  return out;
}

void checkIndex(MdbStorage& storage, const std::string& name, const PhysicalIndex& index,
                Tally& tally) {
  const TableDefinition& table = storage.definition(name);
  const RowDecoder decoder(storage.pages(), table);
  size_t entries = 0;
  forEachIndexEntry(storage.pages(), index.rootPage, [&](const IndexEntry& entry) {
    ++entries;
    ++tally.entries;
    Page page;
    const ByteView row = followRecord(storage.pages(), entry.rowPointer, page);
    const KeyResult made = indexKey(table, index, row, decoder);
    if (!made.key) {
      ++tally.unsupported[made.unsupported];
    } else if (*made.key == entry.key) {
      ++tally.equal;
    } else {
      tally.different.push_back(name + ": stored " + hex(entry.key) + " made " + hex(*made.key));
    }
    return true;
  });
  if (!(index.flags & IndexFlag::IgnoreNulls)) {
    size_t rows = 0;
    storage.forEachRow(name, [&](const std::vector<Variant>&) { return ++rows > 0; });
    EXPECT_EQ(entries, rows) << name;
  }
}

TEST(MdbIndexKey, EveryStoredEntryIsMadeAgainFromItsRow) {
  SKIP_WITHOUT_CORPUS();
  Tally tally;
  for (const std::string& file : corpusFiles()) {
    MdbStorage storage(corpusFile(file));
    for (const std::string& name : storage.tableNames()) {
      if (storage.findTable(name)->kind != TableKind::Local) continue;
      for (const PhysicalIndex& index : storage.definition(name).physicalIndexes) {
        checkIndex(storage, name, index, tally);
      }
    }
  }
  EXPECT_GT(tally.entries, 13000u);
  EXPECT_TRUE(tally.different.empty())
      << tally.different.size() << " differ, first: " << tally.different.front();
  for (size_t i = 0; i < tally.different.size() && i < 12; ++i)
    std::cout << tally.different[i] << "\n";
  for (const auto& [reason, count] : tally.unsupported) {
    std::cout << "[ keys     ] " << count << " entries not made: " << reason << "\n";
  }
  std::cout << "[ keys     ] " << tally.equal << " of " << tally.entries << " entries equal\n";
}

std::vector<uint16_t> units(const std::u16string& text) {
  return {text.begin(), text.end()};
}

TEST(MdbIndexKey, GeneralSortOrderIgnoresCaseAndPlacesAccentsAndSkippedCharacters) {
  EXPECT_EQ(generalSortKey(units(u"ALFKI")), generalSortKey(units(u"alfki")));
  // Accents sort after the letters; the hyphen and apostrophe only after all.
  EXPECT_LT(*generalSortKey(units(u"cote")), *generalSortKey(units(u"côte")));
  EXPECT_LT(*generalSortKey(units(u"côte")), *generalSortKey(units(u"cotf")));
  EXPECT_LT(*generalSortKey(units(u"coop")), *generalSortKey(units(u"co-op")));
  EXPECT_LT(*generalSortKey(units(u"co-op")), *generalSortKey(units(u"cooq")));
  EXPECT_EQ(generalSortKey(units(u"Nuß")), generalSortKey(units(u"Nuss")));
  EXPECT_EQ(generalSortKey(units(u"a\u4E00")), std::nullopt);
}

}  // namespace
}  // namespace telvarn::test
