// The stored rows of a table, page by page as its usage map lists them:
// deleted records are passed over, and a record that only points to where
// its row moved is followed there (the moved row itself is marked deleted in
// its new place, so it is met once).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/PageSource.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// The rows one at a time; only the page of the current row is held.
class StoredRows {
 public:
  StoredRows(PageSource& pages, const TableDefinition& table);

  // Moves to the next live row; false when there is none left.
  bool next();
  // The row pointer of the record the scan met, and the row's bytes.
  uint32_t pointer() const { return pointer_; }
  ByteView row() const { return row_; }

 private:
  PageSource& pages_;
  uint32_t table_;
  std::vector<uint32_t> pageNumbers_;
  size_t pageAt_ = 0;
  Page page_;
  uint16_t records_ = 0;
  uint16_t recordAt_ = 0;
  Page moved_;
  uint32_t pointer_ = 0;
  ByteView row_;
};

// `visit` gets the row pointer of the record the scan met and the row's
// bytes; returning false ends the scan.
using StoredRowVisitor = std::function<bool(uint32_t pointer, ByteView row)>;

void forEachStoredRow(PageSource& pages, const TableDefinition& table,
                      const StoredRowVisitor& visit);

}  // namespace telvarn::mdb
