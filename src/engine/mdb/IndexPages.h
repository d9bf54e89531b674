// The pages of an index tree: leaves (type 0x04) hold one entry per row, the
// key bytes then the row's pointer, and are chained in key order; nodes
// (type 0x03) hold the last entry of each child followed by the child's
// page, and may name one more child after those, the tail (where new
// entries at the end of the index go until the node takes it in). Entry
// boundaries are marked in a bitmap in the page header, and every entry
// after a page's first shares that first entry's leading bytes (the page's
// prefix length), stored once.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

struct IndexEntry {
  std::vector<uint8_t> key;
  uint32_t rowPointer = 0;  // page << 8 | row, as elsewhere
  uint32_t childPage = 0;   // nodes only
};

struct IndexPage {
  bool leaf = false;
  uint32_t table = 0;     // the first page of the indexed table's definition
  uint32_t previous = 0;  // the pages before and after on the same level
  uint32_t next = 0;
  uint32_t childTail = 0;  // nodes: the child after those the entries name
  std::vector<IndexEntry> entries;
  // The free-space count the page keeps, and the space its entries leave.
  uint16_t storedFreeSpace = 0;
  size_t freeSpace = 0;
};

// One page of an index, its entries with their prefixes restored: 3049 when
// the page is not an index page or its entries do not fit.
IndexPage readIndexPage(PageSource& pages, uint32_t number);

// Every leaf entry of the tree whose root is `root`, in key order; `visit`
// returns false to stop.
void forEachIndexEntry(PageSource& pages, uint32_t root,
                       const std::function<bool(const IndexEntry&)>& visit);

}  // namespace telvarn::mdb
