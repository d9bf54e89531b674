// The stored rows of a table, page by page as its usage map lists them:
// deleted records are passed over, and a record that only points to where
// its row moved is followed there (the moved row itself is marked deleted in
// its new place, so it is met once).
#pragma once

#include <cstdint>
#include <functional>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/PageSource.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// `visit` gets the row pointer of the record the scan met and the row's
// bytes; returning false ends the scan.
using StoredRowVisitor = std::function<bool(uint32_t pointer, ByteView row)>;

void forEachStoredRow(PageSource& pages, const TableDefinition& table,
                      const StoredRowVisitor& visit);

}  // namespace telvarn::mdb
