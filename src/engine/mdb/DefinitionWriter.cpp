#include "engine/mdb/DefinitionWriter.h"

#include <algorithm>

#include "engine/GeneralSortOrder.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/PageAllocator.h"
#include "engine/mdb/TextCodec.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kHeaderLength = 8;
constexpr size_t kLengthAt = 0x08;
constexpr size_t kFreeSpaceAt = 0x02;
constexpr size_t kNextPageAt = 0x04;
constexpr size_t kMaxDefinitionPages = 64;
constexpr size_t kIndexColumnSlots = 10;
// Numbers every definition of the format's version 4 carries: one in the
// table block, each column and each logical index, another in each index
// tree.
constexpr uint32_t kDefinitionMark = 0x0659;
constexpr uint32_t kIndexTreeMark = 0x0783;
constexpr uint8_t kUserTable = 0x4E;
constexpr uint8_t kSystemTable = 0x53;
// A logical index that serves no relationship keeps this in the bytes a
// relationship's index keeps its cascade flags in.
constexpr uint8_t kNoCascadeFlags = 0x04;
constexpr uint8_t kAscending = 0x01;
constexpr uint8_t kDescending = 0x00;
constexpr uint16_t kNoColumn = 0xFFFF;

void appendName(std::vector<uint8_t>& out, const std::string& name) {
  const std::vector<uint16_t> units = unitsFromUtf8(name);
  appendLittle(out, units.size() * 2, 2);
  for (const uint16_t unit : units) appendLittle(out, unit, 2);
}

void appendColumn(std::vector<uint8_t>& out, const ColumnDef& column) {
  out.push_back(column.type);
  appendLittle(out, kDefinitionMark, 4);
  appendLittle(out, column.number, 2);
  appendLittle(out, column.varIndex, 2);
  appendLittle(out, column.ordinal, 2);
  if (column.type == ColumnType::Numeric) {
    out.push_back(column.precision);
    out.push_back(column.scale);
  } else {
    appendLittle(out, column.sortOrder, 2);
  }
  appendLittle(out, 0, 2);
  out.push_back(column.flags);
  out.push_back(column.extraFlags);
  appendLittle(out, 0, 4);
  appendLittle(out, column.fixedOffset, 2);
  appendLittle(out, column.length, 2);
}

void appendIndexTree(std::vector<uint8_t>& out, const PhysicalIndex& index) {
  appendLittle(out, kIndexTreeMark, 4);
  for (size_t slot = 0; slot < kIndexColumnSlots; ++slot) {
    if (slot < index.columns.size()) {
      appendLittle(out, index.columns[slot].number, 2);
      out.push_back(index.columns[slot].descending ? kDescending : kAscending);
    } else {
      appendLittle(out, kNoColumn, 2);
      out.push_back(0);
    }
  }
  appendLittle(out, index.usageMap, 4);
  appendLittle(out, index.rootPage, 4);
  appendLittle(out, 0, 4);
  out.push_back(index.flags);
  appendLittle(out, 0, 5);
}

void appendLogicalIndex(std::vector<uint8_t>& out, const LogicalIndex& index) {
  appendLittle(out, kDefinitionMark, 4);
  appendLittle(out, static_cast<uint32_t>(index.number), 4);
  appendLittle(out, static_cast<uint32_t>(index.physical), 4);
  out.push_back(index.relatedTableKind);
  appendLittle(out, static_cast<uint32_t>(index.relatedIndex), 4);
  appendLittle(out, index.relatedTablePage, 4);
  out.push_back(index.foreign() ? index.cascadeUpdates : kNoCascadeFlags);
  out.push_back(index.foreign() ? index.cascadeDeletes : kNoCascadeFlags);
  out.push_back(index.kind);
  appendLittle(out, 0, 4);
}

Page definitionPage(uint32_t pageSize) {
  Page page(pageSize, 0);
  page[0] = PageType::TableDefinition;
  page[1] = 0x01;
  return page;
}

}  // namespace

std::vector<LogicalIndex> logicalIndexesInStoredOrder(std::vector<LogicalIndex> indexes) {
  std::stable_sort(indexes.begin(), indexes.end(),
                   [](const LogicalIndex& a, const LogicalIndex& b) {
                     return compareGeneral(a.name, b.name) < 0;
                   });
  return indexes;
}

std::vector<uint8_t> encodeTableDefinition(const TableDefinition& table) {
  std::vector<uint8_t> out(kHeaderLength, 0);
  out[0] = PageType::TableDefinition;
  out[1] = 0x01;
  appendLittle(out, 0, 4);  // the length, known at the end
  appendLittle(out, kDefinitionMark, 4);
  appendLittle(out, table.rowCount, 4);
  appendLittle(out, table.lastAutoNumber, 4);
  appendLittle(out, static_cast<uint32_t>(table.autoNumberIncrement), 4);
  out.insert(out.end(), 12, 0);
  out.push_back(table.system ? kSystemTable : kUserTable);
  appendLittle(out, table.maxColumns, 2);
  appendLittle(out, table.varColumns, 2);
  appendLittle(out, table.columns.size(), 2);
  appendLittle(out, table.logicalIndexes.size(), 4);
  appendLittle(out, table.physicalIndexes.size(), 4);
  appendLittle(out, table.usedPages, 4);
  appendLittle(out, table.freePages, 4);
  for (const PhysicalIndex& index : table.physicalIndexes) {
    appendLittle(out, 0, 4);
    appendLittle(out, index.entryCount, 4);
    appendLittle(out, 0, 4);
  }
  for (const ColumnDef& column : table.columns) appendColumn(out, column);
  for (const ColumnDef& column : table.columns) appendName(out, column.name);
  for (const PhysicalIndex& index : table.physicalIndexes) appendIndexTree(out, index);
  const std::vector<LogicalIndex> logical = logicalIndexesInStoredOrder(table.logicalIndexes);
  for (const LogicalIndex& index : logical) appendLogicalIndex(out, index);
  for (const LogicalIndex& index : logical) appendName(out, index.name);
  for (const LongValueMaps& maps : table.longValueMaps) {
    appendLittle(out, maps.column, 2);
    appendLittle(out, maps.usedPages, 4);
    appendLittle(out, maps.freePages, 4);
  }
  appendLittle(out, kNoColumn, 2);
  appendLittle(out, 0, 8);
  putLittle(out.data() + kLengthAt, out.size() - kHeaderLength, 4);
  return out;
}

void writeTableDefinition(PageFile& file, TableDefinition& table) {
  const std::vector<uint8_t> bytes = encodeTableDefinition(table);
  const size_t pageSize = file.pageSize();
  const size_t perPage = pageSize - kHeaderLength;
  const size_t pagesNeeded =
      bytes.size() <= pageSize ? 1 : 1 + (bytes.size() - pageSize + perPage - 1) / perPage;
  if (pagesNeeded > kMaxDefinitionPages) damaged("a table definition that never ends");
  std::vector<uint32_t>& chain = table.definitionPages;
  if (chain.empty()) chain.push_back(table.page != 0 ? table.page : allocatePage(file));
  while (chain.size() < pagesNeeded) chain.push_back(allocatePage(file));
  while (chain.size() > pagesNeeded) {
    releasePage(file, chain.back());
    chain.pop_back();
  }
  table.page = chain.front();
  table.definitionLength = static_cast<uint32_t>(bytes.size() - kHeaderLength);
  // The first page takes the bytes up to its end (its header among them),
  // each next page its share after a header of its own.
  size_t at = kHeaderLength;
  for (size_t i = 0; i < chain.size(); ++i) {
    Page page = definitionPage(static_cast<uint32_t>(pageSize));
    const size_t room = i == 0 ? pageSize - kHeaderLength : perPage;
    const size_t length = std::min(bytes.size() - at, room);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), length,
                page.begin() + static_cast<std::ptrdiff_t>(kHeaderLength));
    at += length;
    putLittle(page.data() + kFreeSpaceAt, pageSize - kHeaderLength - length, 2);
    putLittle(page.data() + kNextPageAt, i + 1 < chain.size() ? chain[i + 1] : 0, 4);
    file.writePage(chain[i], std::move(page));
  }
}

}  // namespace telvarn::mdb
