#include "engine/mdb/TableDefinition.h"

#include <algorithm>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/TextCodec.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kContinuationHeader = 8;
constexpr size_t kFirstHeader = 8;
constexpr size_t kFreeSpaceAt = 0x02;
constexpr size_t kNextPageAt = 0x04;
constexpr size_t kLengthAt = 0x08;
constexpr size_t kPhysicalEntry = 12;
constexpr size_t kColumnEntry = 25;
constexpr size_t kPhysicalIndexEntry = 52;
constexpr size_t kLogicalIndexEntry = 28;
constexpr size_t kLongValueMapsEntry = 8;
constexpr uint32_t kMaxDefinitionPages = 64;

// The definition's bytes: the first page whole, then each continuation page
// without its header, so offsets read as if it were one long page. `chain`
// receives the pages.
std::vector<uint8_t> definitionBytes(PageSource& pages, uint32_t first,
                                     std::vector<uint32_t>& chain) {
  std::vector<uint8_t> bytes;
  uint32_t next = first;
  for (uint32_t count = 0; next != 0; ++count) {
    if (count == kMaxDefinitionPages) damaged("a table definition that never ends");
    const Page page = pages.readPage(next);
    if (page[0] != PageType::TableDefinition) damaged("a table definition page of another kind");
    chain.push_back(next);
    bytes.insert(bytes.end(), page.begin() + (count == 0 ? 0 : kContinuationHeader), page.end());
    next = ByteView(page).u32(kNextPageAt);
  }
  return bytes;
}

class Cursor {
 public:
  explicit Cursor(ByteView view, size_t at) : view_(view), at_(at) {}
  ByteView take(size_t length) {
    const ByteView part = view_.sub(at_, length);
    at_ += length;
    return part;
  }
  size_t at() const { return at_; }
  std::string name() {
    const uint16_t length = view_.u16(at_);
    at_ += 2;
    return decodeText(take(length));
  }

 private:
  ByteView view_;
  size_t at_;
};

ColumnDef readColumn(ByteView entry) {
  ColumnDef column;
  column.type = entry.u8(0);
  column.number = entry.u16(5);
  column.varIndex = entry.u16(7);
  column.ordinal = entry.u16(9);
  column.sortOrder = entry.u16(11);
  column.precision = entry.u8(11);
  column.scale = entry.u8(12);
  column.flags = entry.u8(15);
  column.extraFlags = entry.u8(16);
  column.fixedOffset = entry.u16(21);
  column.length = entry.u16(23);
  return column;
}

PhysicalIndex readPhysicalIndex(ByteView entry) {
  PhysicalIndex index;
  for (size_t i = 0; i < 10; ++i) {
    const uint16_t number = entry.u16(4 + 3 * i);
    if (number == 0xFFFF) continue;
    index.columns.push_back({number, entry.u8(6 + 3 * i) != 0x01});
  }
  index.usageMap = entry.u32(34);
  index.rootPage = entry.u32(38);
  index.flags = entry.u8(46);
  return index;
}

LogicalIndex readLogicalIndex(ByteView entry) {
  LogicalIndex index;
  index.number = entry.i32(4);
  index.physical = entry.i32(8);
  index.relatedTableKind = entry.u8(12);
  index.relatedIndex = entry.i32(13);
  index.relatedTablePage = entry.u32(17);
  index.kind = entry.u8(23);
  index.cascadeUpdates = index.foreign() && (entry.u8(21) & 0x01);
  index.cascadeDeletes = index.foreign() && (entry.u8(22) & 0x01);
  return index;
}

}  // namespace

const ColumnDef* TableDefinition::columnByNumber(uint16_t number) const {
  for (const ColumnDef& column : columns) {
    if (column.number == number) return &column;
  }
  return nullptr;
}

const LongValueMaps* TableDefinition::longValueMapsOf(uint16_t column) const {
  for (const LongValueMaps& maps : longValueMaps) {
    if (maps.column == column) return &maps;
  }
  return nullptr;
}

TableDefinition readTableDefinition(PageSource& pages, uint32_t page) {
  TableDefinition table;
  const std::vector<uint8_t> bytes = definitionBytes(pages, page, table.definitionPages);
  const ByteView view(bytes);
  table.page = page;
  table.definitionLength = view.u32(kLengthAt);
  table.rowCount = view.u32(0x10);
  table.lastAutoNumber = view.u32(0x14);
  // No step at all is no numbering; the program's own tables step by 1.
  table.autoNumberIncrement = static_cast<int32_t>(view.u32(0x18));
  if (table.autoNumberIncrement == 0) table.autoNumberIncrement = 1;
  table.system = view.u8(0x28) == 0x53;
  table.maxColumns = view.u16(0x29);
  table.varColumns = view.u16(0x2B);
  const uint16_t columnCount = view.u16(0x2D);
  const uint32_t logicalCount = view.u32(0x2F);
  const uint32_t physicalCount = view.u32(0x33);
  table.usedPages = view.u32(0x37);
  table.freePages = view.u32(0x3B);
  if (logicalCount > 1000 || physicalCount > 1000) damaged("a table with too many indexes");

  Cursor cursor(view, 0x3F);
  table.physicalIndexes.resize(physicalCount);
  for (PhysicalIndex& index : table.physicalIndexes)
    index.entryCount = cursor.take(kPhysicalEntry).u32(4);
  for (uint16_t i = 0; i < columnCount; ++i)
    table.columns.push_back(readColumn(cursor.take(kColumnEntry)));
  for (ColumnDef& column : table.columns) column.name = cursor.name();
  for (PhysicalIndex& index : table.physicalIndexes) {
    const uint32_t count = index.entryCount;
    index = readPhysicalIndex(cursor.take(kPhysicalIndexEntry));
    index.entryCount = count;
  }
  for (uint32_t i = 0; i < logicalCount; ++i) {
    table.logicalIndexes.push_back(readLogicalIndex(cursor.take(kLogicalIndexEntry)));
  }
  for (LogicalIndex& index : table.logicalIndexes) index.name = cursor.name();
  // The long-value maps of Memo and OLE columns, up to a column number
  // 0xFFFF or the definition's end.
  const size_t end = view.u32(0x08);
  while (cursor.at() + 2 + kLongValueMapsEntry <= end) {
    const ByteView number = cursor.take(2);
    if (number.u16(0) == 0xFFFF) break;
    const ByteView maps = cursor.take(kLongValueMapsEntry);
    table.longValueMaps.push_back({number.u16(0), maps.u32(0), maps.u32(4)});
  }
  std::stable_sort(table.columns.begin(), table.columns.end(),
                   [](const ColumnDef& a, const ColumnDef& b) { return a.ordinal < b.ordinal; });
  return table;
}

std::string definitionLayoutFault(PageSource& pages, const TableDefinition& table) {
  const size_t pageSize = pages.pageSize();
  size_t left = table.definitionLength + kFirstHeader;
  for (size_t i = 0; i < table.definitionPages.size(); ++i) {
    const uint32_t number = table.definitionPages[i];
    if (left == 0) {
      return "its chain goes on to page " + std::to_string(number) + " after its " +
             std::to_string(table.definitionLength) + " bytes end";
    }
    const size_t header = i == 0 ? 0 : kContinuationHeader;
    const size_t used = header + std::min(left, pageSize - header);
    left -= used - header;
    const uint16_t stored = ByteView(pages.readPage(number)).u16(kFreeSpaceAt);
    if (stored != pageSize - used) {
      return "its page " + std::to_string(number) + " keeps a free-space count of " +
             std::to_string(stored) + " where the definition leaves " +
             std::to_string(pageSize - used);
    }
  }
  if (left > 0) {
    return "its " + std::to_string(table.definitionLength) + " bytes do not fit its " +
           std::to_string(table.definitionPages.size()) + " pages";
  }
  return "";
}

}  // namespace telvarn::mdb
