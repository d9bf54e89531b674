#include "engine/mdb/PageAllocator.h"

#include "engine/mdb/UsageMap.h"
#include "engine/mdb/UsageMapWriter.h"

namespace telvarn::mdb {
namespace {

// The first pages (the header, the free-pages map, the catalog's
// definition) are never free, whatever a map says.
constexpr uint32_t kFirstFreeable = 3;

}  // namespace

uint32_t allocatePage(PageFile& file) {
  uint32_t found = 0;
  UsageMap::read(file, kFreePagesMap).forEachPage(file, [&](uint32_t page) {
    if (page >= file.pageCount()) return false;
    if (page >= kFirstFreeable) found = page;
    return found == 0;
  });
  const uint32_t page = found != 0 ? found : file.appendPage();
  setUsageBit(file, kFreePagesMap, page, false, MapKind::Free);
  return page;
}

void releasePage(PageFile& file, uint32_t page) {
  file.writePage(page, Page(file.pageSize(), 0));
  setUsageBit(file, kFreePagesMap, page, true, MapKind::Free);
}

}  // namespace telvarn::mdb
