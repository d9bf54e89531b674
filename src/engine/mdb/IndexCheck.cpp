// checkIndexes: each index tree of a table against the table's rows (see
// FileCheck.h). The keys are made again from the rows by IndexKey, so an
// entry is right only when it is exactly what the desktop program stores.
#include <algorithm>
#include <optional>
#include <set>

#include "engine/AppError.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/FileCheckSteps.h"
#include "engine/mdb/IndexKey.h"
#include "engine/mdb/IndexPages.h"
#include "engine/mdb/RowDecoder.h"

namespace telvarn::mdb {
namespace {

constexpr uint32_t kDeepestTree = 16;

// A live row as an index must hold it: its key (none when it cannot be
// made here) and whether every column, or any, of the key is Null.
struct RowKey {
  uint32_t pointer = 0;
  std::optional<std::vector<uint8_t>> key;
  bool allNull = false;
  bool anyNull = false;
};

std::string place(uint32_t pointer) {
  return "row " + std::to_string(rowOf(pointer)) + " of page " + std::to_string(pageOf(pointer));
}

bool entryBefore(const IndexEntry& a, const IndexEntry& b) {
  return a.key != b.key ? a.key < b.key : a.rowPointer < b.rowPointer;
}

class IndexChecker {
 public:
  IndexChecker(FileCheck& check, const TableDefinition& table, const PhysicalIndex& index,
               std::string label)
      : check_(check), table_(table), index_(index), label_(std::move(label)) {}

  void run(const std::vector<uint32_t>& liveRows);

 private:
  void add(const std::string& what) { check_.faults.add(label_ + ": " + what); }
  bool page(uint32_t number, const IndexPage& page);
  void descend(uint32_t number, uint32_t depth, uint32_t& firstLeaf);
  std::vector<IndexEntry> leafEntries(uint32_t firstLeaf);
  std::vector<RowKey> rowKeys(const std::vector<uint32_t>& liveRows);
  void compare(std::vector<IndexEntry> entries, const std::vector<RowKey>& rows);
  void uniqueKeys(std::vector<RowKey> rows);

  FileCheck& check_;
  const TableDefinition& table_;
  const PhysicalIndex& index_;
  const std::string label_;
  std::vector<uint32_t> listed_;      // the pages the index's usage map lists
  std::set<uint32_t> met_;            // the pages of the tree met so far
  std::vector<uint32_t> treeLeaves_;  // the leaves the tree's nodes lead to
};

// One page of the tree: an index page of this table, listed in the index's
// usage map, with a right free-space count. False for a page met before.
bool IndexChecker::page(uint32_t number, const IndexPage& page) {
  if (!met_.insert(number).second) return false;
  const std::string name = "page " + std::to_string(number);
  if (page.table != table_.page) add(name + " belongs to another table");
  if (!std::binary_search(listed_.begin(), listed_.end(), number)) {
    add(name + " is not listed in its usage map");
  }
  check_.claims.claim(number, PageClaims::Kind::Own, label_, check_.faults);
  if (page.storedFreeSpace != page.freeSpace) {
    add(name + " keeps a free-space count of " + std::to_string(page.storedFreeSpace) +
        " where its entries leave " + std::to_string(page.freeSpace));
  }
  return true;
}

// Every node of the tree and the leaves they lead to; `firstLeaf` receives
// the leftmost leaf.
void IndexChecker::descend(uint32_t number, uint32_t depth, uint32_t& firstLeaf) {
  if (depth > kDeepestTree) {
    add("its tree is deeper than " + std::to_string(kDeepestTree) + " levels");
    return;
  }
  const IndexPage node = readIndexPage(check_.pages, number);
  if (!page(number, node)) {
    add("page " + std::to_string(number) + " is reached twice in its tree");
    return;
  }
  if (node.leaf) {
    if (firstLeaf == 0) firstLeaf = number;
    treeLeaves_.push_back(number);
    return;
  }
  for (const IndexEntry& entry : node.entries) descend(entry.childPage, depth + 1, firstLeaf);
  if (node.tail != 0) descend(node.tail, depth + 1, firstLeaf);
}

// The entries of the leaves in the order their chain gives; leaves only the
// chain reaches (the tail the tree has not taken in yet) are checked here.
std::vector<IndexEntry> IndexChecker::leafEntries(uint32_t firstLeaf) {
  std::vector<IndexEntry> entries;
  std::set<uint32_t> chain;
  for (uint32_t number = firstLeaf; number != 0;) {
    if (!chain.insert(number).second) {
      add("its chain of leaves loops at page " + std::to_string(number));
      break;
    }
    IndexPage leaf = readIndexPage(check_.pages, number);
    page(number, leaf);
    if (!leaf.leaf) add("its chain of leaves reaches page " + std::to_string(number) + ", a node");
    std::move(leaf.entries.begin(), leaf.entries.end(), std::back_inserter(entries));
    number = leaf.next;
  }
  for (const uint32_t number : treeLeaves_) {
    if (!chain.count(number)) {
      add("leaf page " + std::to_string(number) + " is not in its chain of leaves");
    }
  }
  return entries;
}

// The live rows, sorted by pointer, read a page at a time. A row that cannot
// be read (its table's check says why) is taken to have its entry.
std::vector<RowKey> IndexChecker::rowKeys(const std::vector<uint32_t>& liveRows) {
  const RowDecoder decoder(check_.pages, table_);
  std::vector<RowKey> rows;
  Page page;
  uint32_t pageNumber = 0;
  for (const uint32_t pointer : liveRows) {
    RowKey made{pointer, std::nullopt, true, false};
    try {
      if (page.empty() || pageOf(pointer) != pageNumber) {
        pageNumber = pageOf(pointer);
        page = check_.pages.readPage(pageNumber);
      }
      const RecordSlot slot = recordAt(ByteView(page), rowOf(pointer));
      Page moved;
      const ByteView row =
          slot.moved ? followRecord(check_.pages, slot.bytes.u32(0), moved) : slot.bytes;
      made.key = indexKey(table_, index_, row, decoder).key;
      for (const PhysicalIndexColumn& part : index_.columns) {
        const ColumnDef* column = table_.columnByNumber(part.number);
        if (column == nullptr) continue;
        bool present = false;
        decoder.columnBytes(row, *column, present);
        const bool null = !present && column->type != ColumnType::Boolean;
        made.allNull = made.allNull && null;
        made.anyNull = made.anyNull || null;
      }
    } catch (const AppError& error) {
      if (error.number() == 3043) throw;
      made = RowKey{pointer, std::nullopt, false, false};
    }
    const bool ignored = (index_.flags & IndexFlag::IgnoreNulls) && made.allNull;
    if (!ignored) rows.push_back(std::move(made));
  }
  return rows;
}

// Entries and rows matched by row pointer: one entry for each row that the
// index holds, with the row's key.
void IndexChecker::compare(std::vector<IndexEntry> entries, const std::vector<RowKey>& rows) {
  std::sort(entries.begin(), entries.end(),
            [](const IndexEntry& a, const IndexEntry& b) { return a.rowPointer < b.rowPointer; });
  auto entry = entries.begin();
  for (const RowKey& row : rows) {
    for (; entry != entries.end() && entry->rowPointer < row.pointer; ++entry) {
      add("an entry leads to " + place(entry->rowPointer) + ", which holds no live row");
    }
    if (entry == entries.end() || entry->rowPointer != row.pointer) {
      add(place(row.pointer) + " has no entry");
      continue;
    }
    if (row.key && *row.key != entry->key)
      add("the entry for " + place(row.pointer) + " is not its key");
    for (++entry; entry != entries.end() && entry->rowPointer == row.pointer; ++entry) {
      add(place(row.pointer) + " has more than one entry");
    }
  }
  for (; entry != entries.end(); ++entry) {
    add("an entry leads to " + place(entry->rowPointer) + ", which holds no live row");
  }
}

// A unique index holds no key twice, but for keys with a Null in any column.
void IndexChecker::uniqueKeys(std::vector<RowKey> rows) {
  if (!(index_.flags & IndexFlag::Unique)) return;
  std::sort(rows.begin(), rows.end(),
            [](const RowKey& a, const RowKey& b) { return a.key < b.key; });
  for (size_t i = 1; i < rows.size(); ++i) {
    if (rows[i].key && rows[i].key == rows[i - 1].key && !rows[i].anyNull) {
      add(place(rows[i - 1].pointer) + " and " + place(rows[i].pointer) +
          " have the same key in a unique index");
    }
  }
}

void IndexChecker::run(const std::vector<uint32_t>& liveRows) {
  listed_ = claimUsageMap(check_, index_.usageMap);
  uint32_t firstLeaf = 0;
  descend(index_.rootPage, 0, firstLeaf);
  const std::vector<IndexEntry> entries = leafEntries(firstLeaf);
  for (size_t i = 1; i < entries.size(); ++i) {
    if (entryBefore(entries[i], entries[i - 1])) {
      add("its entry for " + place(entries[i].rowPointer) + " is out of order");
      break;
    }
  }
  std::vector<RowKey> rows = rowKeys(liveRows);
  compare(entries, rows);
  uniqueKeys(std::move(rows));
}

// The name of an index that uses the tree: one the user made rather than a
// relationship's where there is one.
std::string indexName(const TableDefinition& table, size_t physical) {
  const LogicalIndex* named = nullptr;
  for (const LogicalIndex& index : table.logicalIndexes) {
    if (index.physical != static_cast<int32_t>(physical)) continue;
    if (named == nullptr || (named->foreign() && !index.foreign())) named = &index;
  }
  return named != nullptr ? named->name : "tree " + std::to_string(physical);
}

}  // namespace

void checkIndexes(FileCheck& check, const std::string& name, const TableDefinition& table,
                  const std::vector<uint32_t>& liveRows) {
  for (size_t i = 0; i < table.physicalIndexes.size(); ++i) {
    const std::string label = "Index " + indexName(table, i) + " of table " + name;
    try {
      IndexChecker(check, table, table.physicalIndexes[i], label).run(liveRows);
    } catch (const AppError& error) {
      if (error.number() == 3043) throw;
      check.faults.add(label + ": " + damageOf(error));
    }
  }
}

}  // namespace telvarn::mdb
