#include "engine/mdb/RecordSpace.h"

#include <algorithm>
#include <vector>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/DataPageWriter.h"
#include "engine/mdb/PageAllocator.h"
#include "engine/mdb/UsageMap.h"
#include "engine/mdb/UsageMapWriter.h"

namespace telvarn::mdb {
namespace {

std::vector<uint32_t> pagesOf(PageFile& file, uint32_t map) {
  std::vector<uint32_t> pages;
  UsageMap::read(file, map).forEachPage(file, [&](uint32_t page) {
    if (page < file.pageCount()) pages.push_back(page);
    return true;
  });
  return pages;
}

}  // namespace

uint32_t pageWithRoom(PageFile& file, const PageMaps& maps, uint32_t owner, size_t length) {
  const std::vector<uint32_t> owned = pagesOf(file, maps.used);
  const std::vector<uint32_t> withRoom = pagesOf(file, maps.free);
  for (auto page = owned.rbegin(); page != owned.rend(); ++page) {
    if (!std::binary_search(withRoom.begin(), withRoom.end(), *page)) continue;
    const Page bytes = file.readPage(*page);
    if (bytes[0] != PageType::Data || ByteView(bytes).u32(4) != owner) continue;
    if (recordFits(bytes, length)) return *page;
    return newPageAfter(file, maps, owner, *page);
  }
  return newPageAfter(file, maps, owner, 0);
}

uint32_t newPageAfter(PageFile& file, const PageMaps& maps, uint32_t owner, uint32_t full) {
  if (full != 0) setUsageBit(file, maps.free, full, false);
  const uint32_t page = allocatePage(file);
  file.writePage(page, newRecordPage(file.pageSize(), owner));
  setUsageBit(file, maps.used, page, true);
  setUsageBit(file, maps.free, page, true);
  return page;
}

}  // namespace telvarn::mdb
