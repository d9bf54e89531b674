#include "engine/mdb/LongValueWriter.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/DataPageWriter.h"
#include "engine/mdb/LongValue.h"
#include "engine/mdb/RecordSpace.h"
#include "engine/mdb/StoredValue.h"
#include "engine/mdb/TextCodec.h"
#include "engine/mdb/UsageMapWriter.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kReferenceLength = 12;
constexpr size_t kMaxInline = 64;
constexpr size_t kMaxRecord = 4076;
constexpr size_t kMaxPiece = kMaxRecord - 4;
constexpr size_t kMaxCompressedUnits = 1024;
constexpr uint32_t kLengthMask = 0x3FFFFFFF;
constexpr uint32_t kFormMask = 0xC0000000;

void put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

PageMaps mapsOf(const TableDefinition& table, const ColumnDef& column) {
  const LongValueMaps* maps = table.longValueMapsOf(column.number);
  if (maps == nullptr) damaged("a long-value column without its page maps");
  return {maps->usedPages, maps->freePages};
}

// Stores one record among the column's pages; its row pointer.
uint32_t storeRecord(PageFile& file, const PageMaps& maps, const std::vector<uint8_t>& record) {
  const uint32_t number = pageWithRoom(file, maps, kLongValueOwner, record.size());
  Page page = file.readPage(number);
  const std::optional<uint8_t> row = addRecord(page, record);
  if (!row) damaged("a long-value page without the room it showed");
  file.writePage(number, page);
  return rowPointer(number, *row);
}

void removeRecordAt(PageFile& file, const PageMaps& maps, uint32_t pointer) {
  Page page = file.readPage(pageOf(pointer));
  if (page[0] != PageType::Data || ByteView(page).u32(4) != kLongValueOwner)
    damaged("a long value pointing outside the long-value pages");
  removeRecord(page, rowOf(pointer));
  file.writePage(pageOf(pointer), page);
  setUsageBit(file, maps.free, pageOf(pointer), true);
}

}  // namespace

std::vector<uint8_t> longValueData(const ColumnDef& column, const Variant& value) {
  const std::string text = value.toText();
  if (column.type != ColumnType::Memo) return {text.begin(), text.end()};
  const bool compress =
      column.compressedUnicode() && unitsFromUtf8(text).size() <= kMaxCompressedUnits;
  return encodeText(text, compress);
}

std::vector<uint8_t> writeLongValue(PageFile& file, const TableDefinition& table,
                                    const ColumnDef& column, const std::vector<uint8_t>& data,
                                    size_t rowRoom) {
  if (data.size() > kLengthMask) throw engineError(3047);
  const uint32_t length = static_cast<uint32_t>(data.size());
  std::vector<uint8_t> reference;
  if (data.size() <= kMaxInline && kReferenceLength + data.size() <= rowRoom) {
    put32(reference, length | LongValueForm::Inline);
    put32(reference, 0);
    put32(reference, 0);
    reference.insert(reference.end(), data.begin(), data.end());
    return reference;
  }
  const PageMaps maps = mapsOf(table, column);
  uint32_t first = 0;
  if (data.size() <= kMaxRecord) {
    first = storeRecord(file, maps, data);
    put32(reference, length | LongValueForm::SingleRecord);
  } else {
    // The pieces from the last to the first, each pointing to the next.
    const size_t pieces = (data.size() + kMaxPiece - 1) / kMaxPiece;
    for (size_t piece = pieces; piece-- > 0;) {
      std::vector<uint8_t> record;
      put32(record, first);
      const size_t start = piece * kMaxPiece;
      const size_t end = std::min(data.size(), start + kMaxPiece);
      record.insert(record.end(), data.begin() + static_cast<long>(start),
                    data.begin() + static_cast<long>(end));
      first = storeRecord(file, maps, record);
    }
    put32(reference, length | LongValueForm::Chain);
  }
  put32(reference, first);
  put32(reference, 0);
  return reference;
}

void removeLongValue(PageFile& file, const TableDefinition& table, const ColumnDef& column,
                     ByteView reference) {
  if (reference.size() < kReferenceLength) return;
  const uint32_t head = reference.u32(0);
  const uint32_t form = head & kFormMask;
  if (form == LongValueForm::Inline) return;
  const PageMaps maps = mapsOf(table, column);
  uint32_t pointer = reference.u32(4);
  if (form == LongValueForm::SingleRecord) {
    removeRecordAt(file, maps, pointer);
    return;
  }
  for (uint32_t pieces = 0; pointer != 0; ++pieces) {
    if (pieces > file.pageCount()) damaged("a long value chain that loops");
    Page page;
    const uint32_t next = followRecord(file, pointer, page).u32(0);
    removeRecordAt(file, maps, pointer);
    pointer = next;
  }
}

}  // namespace telvarn::mdb
