#include "engine/mdb/IndexBuild.h"

#include <algorithm>
#include <set>

#include "engine/AppError.h"
#include "engine/mdb/ColumnLayout.h"
#include "engine/mdb/DefinitionWriter.h"
#include "engine/mdb/EntrySort.h"
#include "engine/mdb/IndexWriter.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableStorage.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kMostIndexColumns = 10;
// Set in the flags of every tree the engine makes.
constexpr uint8_t kTreeFlag = 0x80;
constexpr uint8_t kPrimaryKey = 1;

uint8_t treeFlags(const IndexRecord& index) {
  uint8_t flags = kTreeFlag;
  if (index.unique || index.primary) flags |= IndexFlag::Unique;
  if (index.required || index.primary) flags |= IndexFlag::Required;
  if (index.ignoreNulls) flags |= IndexFlag::IgnoreNulls;
  return flags;
}

// The relationship indexes of `table` that name logical indexes of the
// table on `tablePage` numbered from `first` on take their numbers moved
// by `by`.
void renumberReferences(TableDefinition& table, uint32_t tablePage, int32_t first, int32_t by) {
  for (LogicalIndex& index : table.logicalIndexes) {
    if (index.foreign() && index.relatedTablePage == tablePage && index.relatedIndex >= first)
      index.relatedIndex += by;
  }
}

// Every table that a relationship index of `table` names follows the
// numbers of `table`'s logical indexes from `first` on moving by `by`.
void renumberRelated(PageFile& file, TableDefinition& table, int32_t first, int32_t by) {
  std::set<uint32_t> others;
  for (const LogicalIndex& index : table.logicalIndexes) {
    if (index.foreign()) others.insert(index.relatedTablePage);
  }
  for (const uint32_t page : others) {
    if (page == table.page) {
      renumberReferences(table, table.page, first, by);
      continue;
    }
    TableDefinition other = readTableDefinition(file, page);
    renumberReferences(other, table.page, first, by);
    writeTableDefinition(file, other);
  }
}

// The trees in the order the format keeps: the tree of the table's own
// index number i (the indexes that are no relationship's come first) is
// tree i; the trees only relationships have follow, in their order.
void orderTrees(TableDefinition& table) {
  std::vector<LogicalIndex*> own;
  for (LogicalIndex& logical : table.logicalIndexes) {
    if (!logical.foreign()) own.push_back(&logical);
  }
  std::sort(own.begin(), own.end(),
            [](const LogicalIndex* a, const LogicalIndex* b) { return a->number < b->number; });
  std::vector<int32_t> order;  // the old places, in the new order
  for (const LogicalIndex* logical : own) order.push_back(logical->physical);
  for (int32_t i = 0; i < static_cast<int32_t>(table.physicalIndexes.size()); ++i) {
    if (std::find(order.begin(), order.end(), i) == order.end()) order.push_back(i);
  }
  std::vector<PhysicalIndex> trees;
  std::vector<int32_t> place(order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    trees.push_back(table.physicalIndexes[static_cast<size_t>(order[i])]);
    place[static_cast<size_t>(order[i])] = static_cast<int32_t>(i);
  }
  table.physicalIndexes = std::move(trees);
  for (LogicalIndex& logical : table.logicalIndexes)
    logical.physical = place[static_cast<size_t>(logical.physical)];
}

}  // namespace

size_t addIndexDefinition(PageFile& file, TableDefinition& table, const IndexRecord& index) {
  int32_t own = 0;
  for (const LogicalIndex& logical : table.logicalIndexes) {
    if (sameName(logical.name, index.name)) throw engineError(3284);
    if (index.primary && logical.primary()) throw engineError(3283);
    if (!logical.foreign()) ++own;
  }
  if (index.columns.size() > kMostIndexColumns) throw engineError(3277);
  PhysicalIndex tree;
  tree.flags = treeFlags(index);
  for (const IndexColumn& column : index.columns) {
    const ColumnDef* found = findColumn(table, column.field);
    if (found == nullptr) throw engineError(3265);
    tree.columns.push_back({found->number, column.descending});
  }
  for (LogicalIndex& logical : table.logicalIndexes) {
    if (logical.foreign()) ++logical.number;
  }
  renumberRelated(file, table, own, 1);
  LogicalIndex logical;
  logical.name = index.name;
  logical.number = own;
  logical.physical = static_cast<int32_t>(table.physicalIndexes.size());
  logical.kind = index.primary ? kPrimaryKey : 0;
  table.physicalIndexes.push_back(tree);
  table.logicalIndexes.push_back(logical);
  orderTrees(table);
  return static_cast<size_t>(own);
}

void buildIndex(PageFile& file, TableDefinition& table, size_t physical) {
  const IndexRules rules = indexRules(table, physical);
  const RowDecoder decoder(file, table);
  EntrySort sorted;
  forEachStoredRow(file, table, [&](uint32_t row, ByteView bytes) {
    RowKey key = rowKey(table, physical, rules, bytes, decoder, true);
    if (!key.stored) return true;
    appendRowPointer(key.bytes, row);
    sorted.add({std::move(key.bytes), key.anyNull});
    return true;
  });
  // A unique index refuses two entries of one key, but for keys with a
  // Null in any column.
  Bytes previous;
  const auto sameKey = [](const Bytes& a, const Bytes& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end() - kRowPointerBytes, b.begin());
  };
  const size_t count =
      IndexWriter(file, table.page, table.physicalIndexes[physical]).fill([&](Bytes& entry) {
        EntrySort::Item item;
        if (!sorted.next(item)) return false;
        if (rules.unique) {
          if (!item.mark && sameKey(item.bytes, previous)) throw engineError(3022);
          previous = item.bytes;
        }
        entry = std::move(item.bytes);
        return true;
      });
  table.physicalIndexes[physical].entryCount = static_cast<uint32_t>(count);
}

void dropIndexDefinition(PageFile& file, TableDefinition& table, const std::string& name) {
  const auto found =
      std::find_if(table.logicalIndexes.begin(), table.logicalIndexes.end(),
                   [&](const LogicalIndex& index) { return sameName(index.name, name); });
  if (found == table.logicalIndexes.end()) throw engineError(3265);
  const LogicalIndex gone = *found;
  table.logicalIndexes.erase(found);
  const bool shared =
      std::any_of(table.logicalIndexes.begin(), table.logicalIndexes.end(),
                  [&](const LogicalIndex& index) { return index.physical == gone.physical; });
  if (!shared) {
    removeIndexTree(file, table.physicalIndexes[static_cast<size_t>(gone.physical)]);
    table.physicalIndexes.erase(table.physicalIndexes.begin() + gone.physical);
    for (LogicalIndex& index : table.logicalIndexes) {
      if (index.physical > gone.physical) --index.physical;
    }
  }
  for (LogicalIndex& index : table.logicalIndexes) {
    if (index.number > gone.number) --index.number;
  }
  renumberRelated(file, table, gone.number + 1, -1);
  orderTrees(table);
}

}  // namespace telvarn::mdb
