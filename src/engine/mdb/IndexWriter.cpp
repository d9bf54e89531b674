#include "engine/mdb/IndexWriter.h"

#include <algorithm>
#include <iterator>

#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/IndexKey.h"
#include "engine/mdb/IndexPages.h"
#include "engine/mdb/PageAllocator.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/UsageMapWriter.h"

namespace telvarn::mdb {
namespace {

void putBig(Bytes& bytes, uint32_t value, int length) {
  for (int i = length - 1; i >= 0; --i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Bytes entryOf(const Bytes& key, uint32_t row) {
  Bytes entry;
  entry.reserve(key.size() + kRowPointerBytes);
  entry = key;
  appendRowPointer(entry, row);
  return entry;
}

}  // namespace

IndexRules indexRules(const TableDefinition& table, size_t physical) {
  const PhysicalIndex& index = table.physicalIndexes[physical];
  IndexRules rules;
  rules.unique = index.flags & IndexFlag::Unique;
  rules.noNulls = index.flags & IndexFlag::Required;
  rules.ignoreNulls = index.flags & IndexFlag::IgnoreNulls;
  for (const LogicalIndex& logical : table.logicalIndexes) {
    if (logical.primary() && logical.physical == static_cast<int32_t>(physical))
      rules.unique = rules.noNulls = true;
  }
  return rules;
}

void appendRowPointer(Bytes& key, uint32_t row) {
  putBig(key, pageOf(row), 3);
  key.push_back(rowOf(row));
}

uint32_t rowOfEntry(const Bytes& entry) {
  const size_t at = entry.size() - kRowPointerBytes;
  return rowPointer((uint32_t{entry[at]} << 16) | (uint32_t{entry[at + 1]} << 8) | entry[at + 2],
                    entry[at + 3]);
}

RowKey rowKey(const TableDefinition& table, size_t physical, const IndexRules& rules, ByteView row,
              const RowDecoder& decoder, bool check) {
  const PhysicalIndex& index = table.physicalIndexes[physical];
  KeyResult made = indexKey(table, index, row, decoder);
  if (!made.key) throw AppError(3027, errorDescription(3027) + "  (" + made.unsupported + ")");
  size_t nulls = 0;
  for (const PhysicalIndexColumn& part : index.columns) {
    const ColumnDef* column = table.columnByNumber(part.number);
    bool present = false;
    decoder.columnBytes(row, *column, present);
    if (!present && column->type != ColumnType::Boolean) ++nulls;
  }
  if (check && nulls > 0 && rules.noNulls) throw engineError(3058);
  RowKey key;
  key.anyNull = nulls > 0;
  key.allNull = nulls == index.columns.size();
  key.stored = !(key.allNull && rules.ignoreNulls);
  key.bytes = std::move(*made.key);
  return key;
}

IndexWriter::IndexWriter(PageFile& file, uint32_t tablePage, const PhysicalIndex& index)
    : file_(file), tablePage_(tablePage), root_(index.rootPage), usageMap_(index.usageMap) {
  if (root_ == 0) damaged("an index without its root page");
}

IndexWriter::Node& IndexWriter::node(uint32_t page) {
  if (generation_ != file_.generation()) {
    nodes_.clear();
    touched_.clear();
    generation_ = file_.generation();
  }
  const auto found = nodes_.find(page);
  if (found != nodes_.end()) {
    if (found->second.dirty) return found->second;
    // Another writer of the same index (a cascade's, say) holds the page
    // back, or wrote it.
    file_.writeHeldPage(page);
    if (found->second.stamp == file_.pageStamp(page)) return found->second;
    nodes_.erase(found);
  }
  StoredIndexPage read = readStoredIndexPage(file_, page);
  Node loaded;
  loaded.page = page;
  loaded.stamp = file_.pageStamp(page);
  loaded.leaf = read.leaf;
  loaded.previous = read.previous;
  loaded.next = read.next;
  loaded.entries = std::move(read.entries);
  if (!read.leaf) {
    for (Bytes& entry : loaded.entries) {
      const size_t at = entry.size() - 4;
      loaded.children.push_back((uint32_t{entry[at]} << 24) | (uint32_t{entry[at + 1]} << 16) |
                                (uint32_t{entry[at + 2]} << 8) | entry[at + 3]);
      entry.resize(at);
    }
    if (read.tail != 0) {
      loaded.entries.emplace_back();
      loaded.children.push_back(read.tail);
    }
    if (loaded.children.empty()) damaged("an index node without children");
  }
  return nodes_.emplace(page, std::move(loaded)).first->second;
}

// The path from the root to the leaf where `target` belongs: at each node
// the first child whose last entry is not below it, or else the last.
std::vector<IndexWriter::Step> IndexWriter::descend(const Bytes& target) {
  std::vector<Step> path;
  path.reserve(4);  // enough for an index of millions of entries
  uint32_t page = root_;
  while (true) {
    if (path.size() > kMostIndexLevels) damaged("an index tree too deep");
    const Node& current = node(page);
    if (current.leaf) {
      path.push_back({page, 0});
      return path;
    }
    // Entries are in order, but for the last child's, which may not be known.
    const auto entries = current.entries.begin();
    const auto known = entries + static_cast<long>(current.children.size() - 1);
    const size_t child = static_cast<size_t>(std::lower_bound(entries, known, target) - entries);
    path.push_back({page, child});
    page = current.children[child];
  }
}

const Bytes& IndexWriter::lastEntryOf(uint32_t page) {
  Node& current = node(page);
  if (current.entries.empty()) damaged("an empty index page inside the tree");
  if (!current.leaf && current.entries.back().empty())
    current.entries.back() = lastEntryOf(current.children.back());
  return current.entries.back();
}

// The node at `level` of the path has a new last entry: its parent's entry
// for it follows, and so on up while it is the parent's last child.
void IndexWriter::newLastEntry(std::vector<Step>& path, size_t level) {
  for (size_t at = level; at > 0; --at) {
    // The child stays decoded while its parent is found (nodes_ keeps
    // its elements in place).
    const Bytes& last = lastEntryOf(path[at].page);
    Node& parent = node(path[at - 1].page);
    const size_t child = path[at - 1].child;
    parent.entries[child] = last;
    touch(parent);
    if (child + 1 != parent.children.size()) return;
  }
}

uint32_t IndexWriter::newPage() {
  const uint32_t page = allocatePage(file_);
  setUsageBit(file_, usageMap_, page, true);
  return page;
}

// How many entries (or children) of a full page go to the new page before
// it: all but the last when the last leaf grew, otherwise half the bytes;
// then moved until both parts fit.
size_t IndexWriter::splitPoint(Node& full) {
  const size_t count = full.entries.size();
  if (count < 2) damaged("an index entry too large for a page");
  size_t split = count - 1;
  if (!full.leaf || full.next != 0) {
    size_t total = 0;
    for (const Bytes& entry : full.entries) total += entry.size();
    size_t sum = 0;
    for (split = 0; split + 1 < count && sum + full.entries[split].size() <= total / 2; ++split)
      sum += full.entries[split].size();
    split = std::max<size_t>(split, 1);
  }
  // As fits, for a page holding only entries [from, to).
  const auto fitsPart = [&](size_t from, size_t to) {
    const size_t all = to - from;
    const size_t count = full.leaf || all < 2 ? all : all - 1;
    if (count == 0) return true;
    size_t total = 0;
    for (size_t i = from; i < from + count; ++i)
      total += writtenKey(full, i).size() + (full.leaf ? 0 : 4);
    if (count >= 2)
      total -= sharedPrefix(full.entries[from], full.entries[from + count - 1]) * (count - 1);
    return IndexPageAt::Entries + total <= file_.pageSize();
  };
  while (split > 1 && !fitsPart(0, split)) --split;
  while (split + 1 < count && !fitsPart(split, count)) ++split;
  if (!fitsPart(0, split) || !fitsPart(split, count)) damaged("index entries too large to split");
  return split;
}

void IndexWriter::splitIfFull(std::vector<Step>& path, size_t level) {
  size_t at = level;
  while (!fits(node(path[at].page))) {
    if (at == 0) {
      // The root keeps its page: its entries move down to a new child.
      Node& root = node(path[0].page);
      const uint32_t page = newPage();
      Node child = root;
      child.page = page;
      child.previous = child.next = 0;
      child.dirty = false;
      touch(child);
      nodes_.emplace(page, std::move(child));
      root.leaf = false;
      root.entries = {lastEntryOf(page)};
      root.children = {page};
      touch(root);
      path.insert(path.begin() + 1, Step{page, path[0].child});
      path[0].child = 0;
      at = 1;
      continue;
    }
    Node& full = node(path[at].page);
    const size_t split = splitPoint(full);
    Node before;
    before.page = newPage();
    before.leaf = full.leaf;
    touch(before);
    before.entries.assign(std::make_move_iterator(full.entries.begin()),
                          std::make_move_iterator(full.entries.begin() + static_cast<long>(split)));
    full.entries.erase(full.entries.begin(), full.entries.begin() + static_cast<long>(split));
    if (!full.leaf) {
      before.children.assign(full.children.begin(),
                             full.children.begin() + static_cast<long>(split));
      full.children.erase(full.children.begin(), full.children.begin() + static_cast<long>(split));
    }
    before.previous = full.previous;
    before.next = full.page;
    if (full.previous != 0) {
      Node& previous = node(full.previous);
      previous.next = before.page;
      touch(previous);
    }
    full.previous = before.page;
    touch(full);
    const Bytes beforeLast = before.entries.back();
    const uint32_t beforePage = before.page;
    nodes_.emplace(beforePage, std::move(before));
    Node& parent = node(path[at - 1].page);
    const size_t child = path[at - 1].child;
    parent.entries.insert(parent.entries.begin() + static_cast<long>(child), beforeLast);
    parent.children.insert(parent.children.begin() + static_cast<long>(child), beforePage);
    touch(parent);
    path[at - 1].child = child + 1;
    --at;
  }
}

// The node at `level` of the path is empty: it leaves its level and its
// parent, which may empty in turn; an empty root becomes an empty leaf.
void IndexWriter::dropEmpty(std::vector<Step>& path, size_t level) {
  for (size_t at = level;; --at) {
    Node& gone = node(path[at].page);
    if (at == 0) {
      gone.leaf = true;
      gone.entries.clear();
      gone.children.clear();
      touch(gone);
      return;
    }
    unlink(gone);
    gone.released = true;
    touch(gone);  // the next flush lets the node go
    gone.dirty = false;
    releasePage(file_, gone.page);
    setUsageBit(file_, usageMap_, gone.page, false);
    Node& parent = node(path[at - 1].page);
    const size_t child = path[at - 1].child;
    const bool wasLast = child + 1 == parent.children.size();
    parent.entries.erase(parent.entries.begin() + static_cast<long>(child));
    parent.children.erase(parent.children.begin() + static_cast<long>(child));
    touch(parent);
    if (!parent.children.empty()) {
      if (wasLast) newLastEntry(path, at - 1);
      return;
    }
  }
}

void IndexWriter::unlink(const Node& gone) {
  if (gone.previous != 0) {
    Node& previous = node(gone.previous);
    previous.next = gone.next;
    touch(previous);
  }
  if (gone.next != 0) {
    Node& next = node(gone.next);
    next.previous = gone.previous;
    touch(next);
  }
}

std::vector<uint32_t> IndexWriter::rowsWithKey(const Bytes& key, size_t most) {
  Bytes lowest = key;
  lowest.insert(lowest.end(), 4, 0);
  std::vector<uint32_t> rows;
  uint32_t page = descend(lowest).back().page;
  for (size_t count = 0; page != 0 && rows.size() < most; ++count) {
    if (count > file_.pageCount()) damaged("an index whose leaves loop");
    const Node& leaf = node(page);
    for (auto at = std::lower_bound(leaf.entries.begin(), leaf.entries.end(), lowest);
         at != leaf.entries.end(); ++at) {
      if (at->size() != key.size() + 4 || !std::equal(key.begin(), key.end(), at->begin()))
        return rows;
      rows.push_back(rowOfEntry(*at));
      if (rows.size() == most) return rows;
    }
    page = leaf.next;
  }
  return rows;
}

bool IndexWriter::hasKey(const Bytes& key, uint32_t row) {
  for (const uint32_t found : rowsWithKey(key, 2)) {
    if (found != row) return true;
  }
  return false;
}

void IndexWriter::insert(const Bytes& key, uint32_t row) {
  Bytes entry = entryOf(key, row);
  std::vector<Step> path = descend(entry);
  Node& leaf = node(path.back().page);
  // Rows added in key order go to the end: one comparison finds it.
  const auto at = !leaf.entries.empty() && leaf.entries.back() < entry
                      ? leaf.entries.end()
                      : std::lower_bound(leaf.entries.begin(), leaf.entries.end(), entry);
  if (at != leaf.entries.end() && *at == entry) damaged("an index entry made twice");
  const bool last = at == leaf.entries.end();
  const bool bytesKnown = leaf.bytesKnown;
  const size_t entrySize = entry.size();
  leaf.entries.insert(at, std::move(entry));
  touch(leaf);
  leaf.entryBytes += entrySize;
  leaf.bytesKnown = bytesKnown;
  if (last) newLastEntry(path, path.size() - 1);
  splitIfFull(path, path.size() - 1);
  changed();
}

void IndexWriter::remove(const Bytes& key, uint32_t row) {
  const Bytes entry = entryOf(key, row);
  std::vector<Step> path = descend(entry);
  Node& leaf = node(path.back().page);
  const auto at = std::lower_bound(leaf.entries.begin(), leaf.entries.end(), entry);
  if (at == leaf.entries.end() || *at != entry) damaged("an index without the entry of a row");
  const bool last = at + 1 == leaf.entries.end();
  leaf.entries.erase(at);
  touch(leaf);
  if (leaf.entries.empty()) {
    if (path.size() > 1) dropEmpty(path, path.size() - 1);
  } else if (last) {
    newLastEntry(path, path.size() - 1);
  }
  changed();
}

}  // namespace telvarn::mdb
