// The pages of an index tree: leaves (type 0x04) hold one entry per row, the
// key bytes then the row's pointer; nodes (type 0x03) hold the last entry of
// each child followed by the child's page, except for the last child of a
// node with more than one, which the header names as its tail. Pages of one
// level are chained both ways. Entry boundaries are marked in a bitmap in
// the page header, and every entry after a page's first shares that first
// entry's leading bytes (the page's prefix length), stored once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

// Where an index page keeps what: its header's fields, the bitmap of where
// entries end, and the entries.
namespace IndexPageAt {
constexpr size_t FreeSpace = 0x02;
constexpr size_t Table = 0x04;
constexpr size_t Previous = 0x0C;
constexpr size_t Next = 0x10;
constexpr size_t Tail = 0x14;
constexpr size_t PrefixLength = 0x18;
constexpr size_t NodeMark = 0x1A;
constexpr size_t EntryMap = 0x1B;
constexpr size_t Entries = 0x1E0;
}  // namespace IndexPageAt

// No tree of a file is deeper: one so deep is damaged.
constexpr size_t kMostIndexLevels = 16;

// The bytes two entries share at their start: what a page stores once.
size_t sharedPrefix(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

struct IndexEntry {
  std::vector<uint8_t> key;
  uint32_t rowPointer = 0;  // page << 8 | row, as elsewhere
  uint32_t childPage = 0;   // nodes only
};

// What an index page's header says about it.
struct IndexPageHeader {
  bool leaf = false;
  uint32_t table = 0;     // the first page of the indexed table's definition
  uint32_t previous = 0;  // the pages before and after on the same level
  uint32_t next = 0;
  uint32_t tail = 0;  // nodes: the last child, when not among the entries
  // The free-space count the page keeps, and the space its entries leave.
  uint16_t storedFreeSpace = 0;
  size_t freeSpace = 0;
};

struct IndexPage : IndexPageHeader {
  std::vector<IndexEntry> entries;
};

// One page of an index, its entries with their prefixes restored: 3049 when
// the page is not an index page or its entries do not fit.
IndexPage readIndexPage(PageSource& pages, uint32_t number);

// The same with each entry's bytes whole, as they sort: the key, the row
// pointer and, in nodes, the child's page.
struct StoredIndexPage : IndexPageHeader {
  std::vector<std::vector<uint8_t>> entries;
};
StoredIndexPage readStoredIndexPage(PageSource& pages, uint32_t number);

// Every leaf entry of the tree whose root is `root`, in key order; `visit`
// returns false to stop.
void forEachIndexEntry(PageSource& pages, uint32_t root,
                       const std::function<bool(const IndexEntry&)>& visit);
// The same from the first entry whose key is not below `from`, reached by
// descending the tree rather than walking the leaves before it.
void forEachIndexEntryFrom(PageSource& pages, uint32_t root, const std::vector<uint8_t>& from,
                           const std::function<bool(const IndexEntry&)>& visit);

}  // namespace telvarn::mdb
