// Index keys re-made from the rows: every entry of every index of every
// corpus file, encoded afresh from the row it points to and compared byte by
// byte with what the desktop program stored. Every entry means one for each
// row, for an index that does not leave out rows with Null keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

#include "engine/GeneralSortOrder.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/IndexKey.h"
#include "engine/mdb/IndexPages.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/StoredValue.h"
#include "engine/mdb/TextCodec.h"

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
    // The catalog's own index holds every object's name, symbols among them.
    std::vector<std::string> names = storage.tableNames();
    names.push_back("MSysObjects");
    for (const std::string& name : names) {
      if (name != "MSysObjects" && storage.findTable(name)->kind != TableKind::Local) continue;
      for (const PhysicalIndex& index : storage.definition(name).physicalIndexes) {
        checkIndex(storage, name, index, tally);
      }
    }
  }
  EXPECT_GT(tally.entries, 14000u);
  // Names with '_' and '~' among them: every stored key is made again.
  EXPECT_TRUE(tally.unsupported.empty());
  EXPECT_TRUE(tally.different.empty())
      << tally.different.size() << " differ, first: " << tally.different.front();
  for (size_t i = 0; i < tally.different.size() && i < 12; ++i)
    std::cout << tally.different[i] << "\n";
  for (const auto& [reason, count] : tally.unsupported) {
    std::cout << "[ keys     ] " << count << " entries not made: " << reason << "\n";
  }
  std::cout << "[ keys     ] " << tally.equal << " of " << tally.entries << " entries equal\n";
}

// One column of an index entry, as the General sort order compares it:
// text as the row holds it, anything else as its key bytes.
struct Part {
  bool present = false;
  bool text = false;
  bool descending = false;
  std::string value;
};

std::vector<Part> entryParts(const TableDefinition& table, const PhysicalIndex& index, ByteView row,
                             const RowDecoder& decoder) {
  std::vector<Part> parts;
  for (const PhysicalIndexColumn& part : index.columns) {
    const ColumnDef& column = *table.columnByNumber(part.number);
    Part made;
    made.descending = part.descending;
    const ByteView stored = decoder.columnBytes(row, column, made.present);
    made.text = column.type == ColumnType::Text;
    if (made.text) {
      made.value = decodeText(stored);
    } else if (made.present) {
      const auto key = *columnKey(column, stored, true, false).key;
      made.value.assign(key.begin(), key.end());
    }
    parts.push_back(std::move(made));
  }
  return parts;
}

int compareParts(const std::vector<Part>& a, const std::vector<Part>& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    int order = 0;
    if (a[i].present != b[i].present) {
      order = a[i].present ? 1 : -1;  // Null first
    } else if (a[i].present) {
      order = a[i].text ? compareGeneral(a[i].value, b[i].value) : a[i].value.compare(b[i].value);
    }
    if (order != 0) return (order < 0) != a[i].descending ? -1 : 1;
  }
  return 0;
}

int sign(int value) {
  return (value > 0) - (value < 0);
}

// The order of the desktop program's own text indexes is the General sort
// order's: each two neighbouring entries compare as their stored keys do,
// and equal keys are equal texts.
TEST(MdbIndexKey, TextIndexesAreInTheGeneralSortOrder) {
  SKIP_WITHOUT_CORPUS();
  size_t neighbours = 0;
  size_t equal = 0;
  std::vector<std::string> wrong;
  for (const std::string& file : corpusFiles()) {
    MdbStorage storage(corpusFile(file));
    for (const std::string& name : storage.tableNames()) {
      if (storage.findTable(name)->kind != TableKind::Local) continue;
      const TableDefinition& table = storage.definition(name);
      const RowDecoder decoder(storage.pages(), table);
      for (const PhysicalIndex& index : table.physicalIndexes) {
        if (std::none_of(index.columns.begin(), index.columns.end(), [&](const auto& c) {
              return table.columnByNumber(c.number)->type == ColumnType::Text;
            }))
          continue;
        std::optional<std::pair<std::vector<uint8_t>, std::vector<Part>>> previous;
        forEachIndexEntry(storage.pages(), index.rootPage, [&](const IndexEntry& entry) {
          Page page;
          const ByteView row = followRecord(storage.pages(), entry.rowPointer, page);
          std::vector<Part> parts = entryParts(table, index, row, decoder);
          if (previous) {
            ++neighbours;
            const int stored =
                sign(std::memcmp(previous->first.data(), entry.key.data(),
                                 std::min(previous->first.size(), entry.key.size())));
            const int keys = stored != 0 ? stored
                                         : sign(static_cast<int>(previous->first.size()) -
                                                static_cast<int>(entry.key.size()));
            const int texts = sign(compareParts(previous->second, parts));
            if (keys == 0) ++equal;
            if (texts != keys)
              wrong.push_back(file + " " + name + ": '" + previous->second.front().value +
                              "' then '" + parts.front().value + "'");
          }
          previous.emplace(entry.key, std::move(parts));
          return true;
        });
      }
    }
  }
  EXPECT_GT(neighbours, 1200u);
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " out of order, first: " << wrong.front();
  std::cout << "[ order    ] " << neighbours << " neighbouring text index entries, " << equal
            << " of them equal\n";
}

// The key alone, or nullopt when none is made; a key appended after other
// bytes keeps them, and a refused one leaves them as they were.
std::optional<std::vector<uint8_t>> sortKey(const std::vector<uint16_t>& text) {
  std::vector<uint8_t> key{0xAB};
  if (!appendGeneralSortKey(text, key)) {
    EXPECT_EQ(key, std::vector<uint8_t>{0xAB});
    return std::nullopt;
  }
  EXPECT_EQ(key.front(), 0xAB);
  return std::vector<uint8_t>(key.begin() + 1, key.end());
}

std::vector<uint16_t> units(const std::u16string& text) {
  return {text.begin(), text.end()};
}

TEST(MdbIndexKey, GeneralSortOrderIgnoresCaseAndPlacesAccentsAndSkippedCharacters) {
  EXPECT_EQ(sortKey(units(u"ALFKI")), sortKey(units(u"alfki")));
  // Accents sort after the letters; the hyphen and apostrophe only after all.
  EXPECT_LT(*sortKey(units(u"cote")), *sortKey(units(u"côte")));
  EXPECT_LT(*sortKey(units(u"côte")), *sortKey(units(u"cotf")));
  EXPECT_LT(*sortKey(units(u"coop")), *sortKey(units(u"co-op")));
  EXPECT_LT(*sortKey(units(u"co-op")), *sortKey(units(u"cooq")));
  EXPECT_EQ(sortKey(units(u"Nuß")), sortKey(units(u"Nuss")));
  EXPECT_EQ(sortKey(units(u"a\u4E00")), std::nullopt);
}

// Types the corpus has no index over: the keys of values in ascending order
// ascend byte by byte, and descend when the column is descending.
std::vector<uint8_t> keyOf(const ColumnDef& column, const Variant& value, bool descending) {
  const std::vector<uint8_t> stored = storedBytes(column, value);
  return *columnKey(column, ByteView(stored), true, descending).key;
}

void expectOrdered(const ColumnDef& column, const std::vector<Variant>& ascending,
                   bool descendingToo = true) {
  for (size_t i = 1; i < ascending.size(); ++i) {
    EXPECT_LT(keyOf(column, ascending[i - 1], false), keyOf(column, ascending[i], false))
        << ascending[i].toText();
    if (descendingToo) {
      EXPECT_GT(keyOf(column, ascending[i - 1], true), keyOf(column, ascending[i], true))
          << ascending[i].toText();
    }
  }
}

TEST(MdbIndexKey, GuidsDecimalsAndBytesSortAsTheirValues) {
  ColumnDef guid;
  guid.type = ColumnType::Guid;
  expectOrdered(guid, {Variant("{00000000-0000-0000-0000-000000000001}"),
                       Variant("{00000000-0000-0000-0000-000000000100}"),
                       Variant("{00000000-0000-0001-0000-000000000000}"),
                       Variant("{01000000-0000-0000-0000-000000000000}"),
                       Variant("{FF000000-0000-0000-0000-000000000000}")});
  EXPECT_EQ(keyOf(guid, Variant("{00112233-4455-6677-8899-AABBCCDDEEFF}"), false),
            (std::vector<uint8_t>{0x7F, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x09, 0x88,
                                  0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x08}));

  ColumnDef decimal;
  decimal.type = ColumnType::Numeric;
  decimal.precision = 18;
  decimal.scale = 2;
  // Descending keys of positive Decimals keep ascending order in version 4.
  expectOrdered(decimal, {Variant("-300"), Variant("-2.5"), Variant("-0.01")});
  expectOrdered(
      decimal,
      {Variant("-0.01"), Variant("0"), Variant("0.01"), Variant("7"), Variant("1234567890123")},
      false);

  ColumnDef bytes;
  bytes.type = ColumnType::Binary;
  bytes.length = 50;
  expectOrdered(bytes, {Variant(std::string("\x01", 1)), Variant(std::string("\x01\x00", 2)),
                        Variant(std::string(9, '\x01')), Variant(std::string("\x02", 1))});
}

}  // namespace
}  // namespace telvarn::test
