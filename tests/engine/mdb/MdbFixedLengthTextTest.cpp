// Text columns of fixed length (SQL CHAR(n)): a row holds their text in all
// of the column's bytes, in either stored form, zero bytes filling what the
// text leaves. Their values are that text, as in a column of variable
// length.
#include <gtest/gtest.h>

#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

// Rows of fixed columns only never reach for other pages.
class NoPages : public PageSource {
 public:
  uint32_t pageSize() const override { return 4096; }
  uint32_t pageCount() const override { return 0; }
  Page readPage(uint32_t) override {
    ADD_FAILURE() << "a page was read";
    return Page(4096);
  }
};

ColumnDef fixedText(uint16_t number, uint16_t offset, uint16_t bytes) {
  ColumnDef column;
  column.name = "c" + std::to_string(number);
  column.type = ColumnType::Text;
  column.number = column.ordinal = number;
  column.fixedOffset = offset;
  column.length = bytes;
  column.flags = ColumnFlag::Fixed | ColumnFlag::Nullable;
  column.extraFlags = 0x01;  // compressed form allowed
  column.sortOrder = 0x409;
  return column;
}

std::vector<uint8_t> bytes(std::initializer_list<int> values) {
  return {values.begin(), values.end()};
}

TEST(MdbFixedLengthText, ValuesAreTextInEitherFormWithoutTheFilling) {
  TableDefinition table;
  table.maxColumns = 4;
  table.columns = {fixedText(0, 0, 2), fixedText(1, 2, 2), fixedText(2, 4, 10),
                   fixedText(3, 14, 4)};
  // Four slots; "N" and "ё" (U+0451) as two-byte units, "ab   " in the
  // compressed form (0xFF 0xFE, one byte a character) then zero bytes, and
  // a Null (its bit clear in the mask).
  const std::vector<uint8_t> row = bytes({0x04, 0x00,                                      //
                                          'N',  0x00, 0x51, 0x04,                          //
                                          0xFF, 0xFE, 'a',  'b',  ' ', ' ', ' ', 0, 0, 0,  //
                                          0,    0,    0,    0,                             //
                                          0x07});
  NoPages pages;
  const std::vector<Variant> values = RowDecoder(pages, table).decode(ByteView(row));
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0], Variant("N"));
  EXPECT_EQ(values[1], Variant("\xD1\x91"));
  EXPECT_EQ(values[2], Variant("ab   "));
  EXPECT_TRUE(values[3].isNull());
}

}  // namespace
}  // namespace telvarn::test
