// IndexWriter: the entries of one physical index (see IndexPages.h) added
// and removed in place. An entry is the row's key (IndexKey.h) then its row
// pointer (page big-endian, then the record number), and entries sort by
// their bytes. A page that no longer fits its entries splits: a new page
// before it takes the first part (all but the new last entry when it grew
// at the end of the index, half otherwise), the old page keeps the rest and
// its place in its parent, and the parent gains an entry for the new page;
// the root keeps its page number, moving its entries down a level when it
// splits. A page left empty leaves the tree and is given back. Pages are
// written with the longest prefix their first and last entries share.
//
// Changed pages are held back (see PageFile's HeldPages): a leaf that takes
// one row after another is written once, not once a row. They are written
// when the file asks, when more are decoded than a bound, and when the
// writer goes away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

using Bytes = std::vector<uint8_t>;

// A row's key in one physical index.
struct RowKey {
  Bytes bytes;
  bool stored = false;  // false: all Null in an index that leaves such rows out
  bool anyNull = false;
  bool allNull = false;
};

// What a physical index refuses: a key another row has (unique; a primary
// key is unique), a Null in any of its columns (Required; a primary key
// too); and whether it leaves out rows whose columns are all Null.
struct IndexRules {
  bool unique = false;
  bool noNulls = false;
  bool ignoreNulls = false;
};
IndexRules indexRules(const TableDefinition& table, size_t physical);

// The stored row's key in physical index `physical`. With `check`, 3058
// for a Null the index refuses; 3027 for a key this engine cannot make.
RowKey rowKey(const TableDefinition& table, size_t physical, const IndexRules& rules, ByteView row,
              const class RowDecoder& decoder, bool check);

// An index entry is its key followed by its row's page (three bytes,
// big-endian) and the row's number on that page, so entries in byte order
// are in key order, then row order.
constexpr size_t kRowPointerBytes = 4;
void appendRowPointer(Bytes& key, uint32_t row);
uint32_t rowOfEntry(const Bytes& entry);

class IndexWriter final : private HeldPages {
 public:
  // The index of the table whose definition starts on `tablePage`.
  IndexWriter(PageFile& file, uint32_t tablePage, const PhysicalIndex& index);
  // Writes the pages held back; should that fail, the file's transaction
  // ends (see PageFile::abandon) rather than keep part of a change.
  ~IndexWriter();
  // The file knows the writer by its address.
  IndexWriter(const IndexWriter&) = delete;
  IndexWriter& operator=(const IndexWriter&) = delete;

  // Whether an entry with exactly `key` exists for a row other than `row`.
  bool hasKey(const Bytes& key, uint32_t row);
  // The rows whose entries have exactly `key`, up to `most` of them.
  std::vector<uint32_t> rowsWithKey(const Bytes& key, size_t most = SIZE_MAX);
  // Within a transaction. insert: 3049 when the entry is there already;
  // remove: 3049 when it is missing.
  void insert(const Bytes& key, uint32_t row);
  void remove(const Bytes& key, uint32_t row);
  // An empty tree given all its entries, in order, one by each call of
  // `next` (false when none is left; each entry a key followed by its row,
  // see appendRowPointer): each page is filled in turn and written when the
  // next one begins, the level above growing as its children are written,
  // so that no more than two pages a level are held. The number of entries.
  // Within a transaction.
  using EntrySource = std::function<bool(Bytes& entry)>;
  size_t fill(const EntrySource& next);

 private:
  struct Node {
    uint32_t page = 0;
    bool leaf = true;
    uint32_t previous = 0;
    uint32_t next = 0;
    // Leaves: the entries. Nodes: each child's last entry (empty while not
    // known, for a tail child read from the file) and its page.
    std::vector<Bytes> entries;
    std::vector<uint32_t> children;
    bool dirty = false;
    bool released = false;
    // A leaf's entries' sizes summed, while known: a change forgets the
    // sum (see touch) but for a new entry, which adds to it.
    size_t entryBytes = 0;
    bool bytesKnown = false;
    uint64_t stamp = 0;  // the page's stamp when it was read or written
  };
  struct Step {
    uint32_t page;
    size_t child;  // the child taken at this node (nodes only)
  };

  Node& node(uint32_t page);
  std::vector<Step> descend(const Bytes& target);
  const Bytes& lastEntryOf(uint32_t page);
  void newLastEntry(std::vector<Step>& path, size_t level);
  void splitIfFull(std::vector<Step>& path, size_t level);
  size_t splitPoint(Node& full);
  void dropEmpty(std::vector<Step>& path, size_t level);
  struct FillLevel;
  void fillAdd(std::vector<FillLevel>& levels, size_t level, Bytes entry, uint32_t child);
  void fillComplete(std::vector<FillLevel>& levels, size_t level);
  void fillWrite(std::vector<FillLevel>& levels, size_t level, Node& done);
  void unlink(const Node& gone);
  uint32_t newPage();
  size_t writtenCount(const Node& node) const;
  const Bytes& writtenKey(Node& node, size_t i);
  bool fits(Node& node);
  Page encode(Node& node);
  // Marks the node to be written at the next flush, holding its page back.
  void touch(Node& changed);
  void flush();
  void changed();
  void writeHeldPages() override;
  void dropHeldPages() override;

  PageFile& file_;
  uint32_t tablePage_;
  uint32_t root_;
  uint32_t usageMap_;
  // Pages decoded, kept while the file's generation stays the same.
  std::unordered_map<uint32_t, Node> nodes_;
  std::vector<uint32_t> touched_;  // pages changed since the last flush
  uint64_t generation_ = 0;
};

}  // namespace telvarn::mdb
