#include "engine/mdb/TableScan.h"

#include "engine/mdb/DataPage.h"
#include "engine/mdb/UsageMap.h"

namespace telvarn::mdb {
namespace {

bool visitPage(PageSource& pages, const TableDefinition& table, uint32_t number,
               const StoredRowVisitor& visit) {
  const Page page = pages.readPage(number);
  const ByteView view(page);
  if (view.u8(0) != PageType::Data || owner(view) != table.page) return true;
  const uint16_t count = recordCount(view);
  for (uint16_t row = 0; row < count; ++row) {
    const RecordSlot slot = recordAt(view, row);
    if (slot.deleted) continue;
    const uint32_t pointer = rowPointer(number, static_cast<uint8_t>(row));
    if (!slot.moved) {
      if (!visit(pointer, slot.bytes)) return false;
      continue;
    }
    Page target;
    const ByteView moved = followRecord(pages, slot.bytes.u32(0), target);
    if (!visit(pointer, moved)) return false;
  }
  return true;
}

}  // namespace

void forEachStoredRow(PageSource& pages, const TableDefinition& table,
                      const StoredRowVisitor& visit) {
  const UsageMap map = UsageMap::read(pages, table.usedPages);
  map.forEachPage(pages, [&](uint32_t number) {
    if (number == 0 || number >= pages.pageCount()) return true;
    return visitPage(pages, table, number, visit);
  });
}

}  // namespace telvarn::mdb
