#include "engine/mdb/TableScan.h"

#include "engine/mdb/DataPage.h"
#include "engine/mdb/UsageMap.h"

namespace telvarn::mdb {

StoredRows::StoredRows(PageSource& pages, const TableDefinition& table)
    : pages_(pages), table_(table.page) {
  UsageMap::read(pages, table.usedPages).forEachPage(pages, [&](uint32_t number) {
    if (number != 0 && number < pages.pageCount()) pageNumbers_.push_back(number);
    return true;
  });
}

bool StoredRows::next() {
  for (;;) {
    while (recordAt_ < records_) {
      const RecordSlot slot = recordAt(ByteView(page_), recordAt_);
      pointer_ = rowPointer(pageNumbers_[pageAt_ - 1], static_cast<uint8_t>(recordAt_));
      ++recordAt_;
      if (slot.deleted) continue;
      row_ = slot.moved ? followRecord(pages_, slot.bytes.u32(0), moved_) : slot.bytes;
      return true;
    }
    if (pageAt_ == pageNumbers_.size()) return false;
    const Page& read = pages_.page(pageNumbers_[pageAt_++]);
    page_.assign(read.begin(), read.end());
    const ByteView view(page_);
    const bool ours = view.u8(0) == PageType::Data && owner(view) == table_;
    records_ = ours ? recordCount(view) : 0;
    recordAt_ = 0;
  }
}

void forEachStoredRow(PageSource& pages, const TableDefinition& table,
                      const StoredRowVisitor& visit) {
  StoredRows rows(pages, table);
  while (rows.next()) {
    if (!visit(rows.pointer(), rows.row())) return;
  }
}

}  // namespace telvarn::mdb
