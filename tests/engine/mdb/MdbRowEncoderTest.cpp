// Rows and values encoded again from what the desktop program stored:
// every live row of every table of every corpus file, and every value of
// a fixed, text or binary column, must come out byte for byte as stored.
// The space of a Null fixed column keeps whatever
// the program left there, so it does not count. Rows the program left in a
// form no fresh write has (written before a column was added or deleted,
// or kept at their old size after an update) must decode to the same
// values.
#include <gtest/gtest.h>

#include <map>

#include "engine/AppError.h"
#include "engine/mdb/FixedValue.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/RowEncoder.h"
#include "engine/mdb/StoredValue.h"
#include "engine/mdb/TableScan.h"
#include "support/ErrorOf.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

struct Tally {
  size_t rows = 0;
  size_t sameBytes = 0;
  size_t sameValues = 0;
  size_t values = 0;
  std::vector<std::string> different;
};

std::string hex(ByteView bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) out += {digits[bytes.u8(i) >> 4], digits[bytes.u8(i) & 15]};
  return out;
}

void checkValue(const ColumnDef& column, ByteView stored, const Variant& value, Tally& tally,
                const std::string& where) {
  if (column.longValue() || column.type == ColumnType::Boolean) return;
  ++tally.values;
  const std::vector<uint8_t> made = storedBytes(column, value);
  if (made != stored.bytes())
    tally.different.push_back(where + " value of " + column.name + ": stored " + hex(stored) +
                              " made " + hex(ByteView(made)));
}

void checkTable(MdbStorage& storage, const std::string& file, const std::string& name,
                Tally& tally) {
  const TableDefinition& table = storage.definition(name);
  const RowDecoder decoder(storage.pages(), table);
  forEachStoredRow(storage.pages(), table, [&](uint32_t, ByteView row) {
    ++tally.rows;
    const std::string where = file + " " + name;
    std::vector<ColumnBytes> columns;
    const std::vector<Variant> values = decoder.decode(row);
    for (size_t i = 0; i < table.columns.size(); ++i) {
      ColumnBytes column;
      const ByteView stored = decoder.columnBytes(row, table.columns[i], column.present);
      column.bytes = stored.bytes();
      if (column.present) checkValue(table.columns[i], stored, values[i], tally, where);
      columns.push_back(std::move(column));
    }
    const std::vector<uint8_t> made = encodeRow(table, columns);
    // The space of a Null fixed column keeps whatever was there before.
    std::vector<uint8_t> stored = row.bytes();
    for (size_t i = 0; i < table.columns.size(); ++i) {
      const ColumnDef& column = table.columns[i];
      if (column.fixed() && !columns[i].present && 2u + column.fixedOffset < stored.size())
        std::fill_n(stored.begin() + 2 + column.fixedOffset,
                    std::min(fixedLength(column), stored.size() - 2 - column.fixedOffset), 0);
    }
    if (made == stored) {
      ++tally.sameBytes;
    } else if (decoder.decode(ByteView(made)) == values) {
      ++tally.sameValues;
    } else {
      tally.different.push_back(where + " row: stored " + hex(row) + " made " + hex(ByteView(made)));
    }
    return true;
  });
}

TEST(MdbRowEncoder, EveryStoredRowAndValueIsMadeAgain) {
  SKIP_WITHOUT_CORPUS();
  Tally tally;
  for (const std::string& file : corpusFiles()) {
    MdbStorage storage(corpusFile(file));
    for (const CatalogEntry& entry : storage.catalog()) {
      if (entry.type == ObjectType::Table) checkTable(storage, file, entry.name, tally);
    }
  }
  for (size_t i = 0; i < tally.different.size() && i < 10; ++i)
    std::cout << tally.different[i] << "\n";
  EXPECT_TRUE(tally.different.empty()) << tally.different.size() << " differ";
  EXPECT_GT(tally.rows, 6500u);
  // Rows written before a column was added or deleted, or left at their
  // old size by an update: 15 in the corpus.
  EXPECT_LE(tally.sameValues, 16u);
  std::cout << "[ rows     ] " << tally.sameBytes << " of " << tally.rows
            << " rows equal byte for byte, " << tally.values << " values\n";
}

TEST(MdbRowEncoder, ValuesOutsideTheirColumnAreRefused) {
  ColumnDef integer;
  integer.type = ColumnType::Integer;
  integer.flags = ColumnFlag::Fixed;
  EXPECT_EQ(errorOf([&] { storedBytes(integer, Variant(40000)); }), 3349);
  EXPECT_EQ(errorOf([&] { storedBytes(integer, Variant("abc")); }), 3421);
  EXPECT_EQ(storedBytes(integer, Variant(-2)), (std::vector<uint8_t>{0xFE, 0xFF}));

  ColumnDef money;
  money.type = ColumnType::Currency;
  EXPECT_EQ(storedBytes(money, Variant("-0.00005")), std::vector<uint8_t>(8, 0));
  EXPECT_EQ(storedBytes(money, Variant("0.00015")), (std::vector<uint8_t>{2, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(storedBytes(money, Variant(0.1)), (std::vector<uint8_t>{0xE8, 3, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(errorOf([&] { storedBytes(money, Variant("1E15")); }), 3349);

  ColumnDef decimal;
  decimal.type = ColumnType::Numeric;
  decimal.precision = 5;
  decimal.scale = 2;
  EXPECT_EQ(storedBytes(decimal, Variant("-1.5"))[0], 0x80);
  EXPECT_EQ(storedBytes(decimal, Variant("-1.5"))[13], 150);
  EXPECT_EQ(errorOf([&] { storedBytes(decimal, Variant("1234")); }), 3349);

  ColumnDef guid;
  guid.type = ColumnType::Guid;
  const std::string text = "{01234567-89AB-CDEF-0123-456789ABCDEF}";
  EXPECT_EQ(guidText(ByteView(storedBytes(guid, Variant(text)))), text);
  EXPECT_EQ(errorOf([&] { storedBytes(guid, Variant("{0123}")); }), 3421);

  ColumnDef name;
  name.type = ColumnType::Text;
  name.length = 8;
  name.extraFlags = 0x01;
  EXPECT_EQ(errorOf([&] { storedBytes(name, Variant("Smith")); }), 3163);
  EXPECT_EQ(storedBytes(name, Variant("Smi")), (std::vector<uint8_t>{0xFF, 0xFE, 'S', 'm', 'i'}));
  EXPECT_EQ(storedBytes(name, Variant("Sm")), (std::vector<uint8_t>{'S', 0, 'm', 0}));
  EXPECT_EQ(storedBytes(name, Variant("\xE2\x82\xAC" "ab")),
            (std::vector<uint8_t>{0xAC, 0x20, 'a', 0, 'b', 0}));
}

}  // namespace
}  // namespace telvarn::test
