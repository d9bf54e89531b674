#include "engine/mdb/TableStorage.h"

#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/DataPageWriter.h"
#include "engine/mdb/DefinitionWriter.h"
#include "engine/mdb/IndexPages.h"
#include "engine/mdb/PageAllocator.h"
#include "engine/mdb/UsageMap.h"
#include "engine/mdb/UsageMapWriter.h"

namespace telvarn::mdb {
namespace {

// An inline map (kind 0) starting at page 0, with 64 bytes of bits.
constexpr size_t kNewMapLength = 69;
constexpr uint32_t kMapPageOwner = 0;

std::vector<uint32_t> pagesListed(PageFile& file, uint32_t map) {
  std::vector<uint32_t> pages;
  UsageMap::read(file, map).forEachPage(file, [&](uint32_t page) {
    if (page < file.pageCount()) pages.push_back(page);
    return true;
  });
  return pages;
}

Page emptyLeaf(uint32_t pageSize, uint32_t tablePage) {
  Page page(pageSize, 0);
  page[0] = PageType::IndexLeaf;
  page[1] = 0x01;
  putLittle(page.data() + IndexPageAt::FreeSpace, pageSize - IndexPageAt::Entries, 2);
  putLittle(page.data() + IndexPageAt::Table, tablePage, 4);
  return page;
}

}  // namespace

uint32_t newUsageMap(PageFile& file, const std::vector<uint32_t>& nearMaps) {
  const std::vector<uint8_t> record(kNewMapLength, 0);
  for (const uint32_t near : nearMaps) {
    if (near == 0) continue;
    Page page = file.readPage(pageOf(near));
    if (page[0] != PageType::Data || owner(ByteView(page)) != kMapPageOwner) continue;
    if (!recordFits(page, record.size())) continue;
    const std::optional<uint8_t> row = addRecord(page, record);
    file.writePage(pageOf(near), std::move(page));
    return rowPointer(pageOf(near), *row);
  }
  const uint32_t number = allocatePage(file);
  Page page = newRecordPage(file.pageSize(), kMapPageOwner);
  const std::optional<uint8_t> row = addRecord(page, record);
  file.writePage(number, std::move(page));
  return rowPointer(number, *row);
}

void removeUsageMap(PageFile& file, uint32_t map, bool releaseListed) {
  const UsageMap usage = UsageMap::read(file, map);
  if (releaseListed) {
    for (const uint32_t page : pagesListed(file, map)) releasePage(file, page);
  }
  for (const uint32_t page : usage.bitmapPages()) releasePage(file, page);
  Page holder = file.readPage(pageOf(map));
  removeRecord(holder, rowOf(map));
  file.writePage(pageOf(map), std::move(holder));
}

void newIndexTree(PageFile& file, uint32_t tablePage, PhysicalIndex& index,
                  const std::vector<uint32_t>& nearMaps) {
  index.usageMap = newUsageMap(file, nearMaps);
  index.rootPage = allocatePage(file);
  index.entryCount = 0;
  file.writePage(index.rootPage, emptyLeaf(file.pageSize(), tablePage));
  setUsageBit(file, index.usageMap, index.rootPage, true);
}

void removeIndexTree(PageFile& file, const PhysicalIndex& index) {
  removeUsageMap(file, index.usageMap, true);
}

LongValueMaps newLongValueMaps(PageFile& file, uint16_t column,
                               const std::vector<uint32_t>& nearMaps) {
  LongValueMaps maps;
  maps.column = column;
  maps.usedPages = newUsageMap(file, nearMaps);
  maps.freePages = newUsageMap(file, {maps.usedPages});
  return maps;
}

void newTableStorage(PageFile& file, TableDefinition& table,
                     const std::vector<uint32_t>& nearMaps) {
  // The definition's first page comes first: the index pages name it.
  if (table.page == 0) table.page = allocatePage(file);
  table.definitionPages = {table.page};
  table.usedPages = newUsageMap(file, nearMaps);
  table.freePages = newUsageMap(file, {table.usedPages});
  table.longValueMaps.clear();
  for (const ColumnDef& column : table.columns) {
    if (column.longValue())
      table.longValueMaps.push_back(newLongValueMaps(file, column.number, {table.usedPages}));
  }
  for (PhysicalIndex& index : table.physicalIndexes)
    newIndexTree(file, table.page, index, {table.usedPages});
  writeTableDefinition(file, table);
}

void removeTableStorage(PageFile& file, const TableDefinition& table) {
  for (const PhysicalIndex& index : table.physicalIndexes) removeIndexTree(file, index);
  for (const LongValueMaps& maps : table.longValueMaps) {
    removeUsageMap(file, maps.freePages, false);
    removeUsageMap(file, maps.usedPages, true);
  }
  removeUsageMap(file, table.freePages, false);
  removeUsageMap(file, table.usedPages, true);
  for (const uint32_t page : table.definitionPages) releasePage(file, page);
}

}  // namespace telvarn::mdb
