// IndexWriter's fill: a new tree made whole from entries in order.
#include <optional>

#include "engine/mdb/IndexPages.h"
#include "engine/mdb/IndexWriter.h"

namespace telvarn::mdb {

// One level of a tree being filled: the page being filled, what its written
// entries take (as fits() counts it, kept as it grows), and the page before
// it, held until the page after it has a number.
struct IndexWriter::FillLevel {
  Node current;
  size_t bytes = 0;
  std::optional<Node> held;
};

size_t IndexWriter::fill(const EntrySource& next) {
  Node& root = node(root_);
  if (!root.leaf || !root.entries.empty()) damaged("an index filled that has entries");
  std::vector<FillLevel> levels;
  levels.reserve(kMostIndexLevels);  // references to a level stay good while the tree grows
  levels.emplace_back();
  size_t count = 0;
  for (Bytes entry; next(entry); ++count) fillAdd(levels, 0, std::move(entry), 0);
  if (count == 0) return 0;
  // Up from the leaves, each level's last pages are written; the one page
  // of the top level is the root.
  for (size_t level = 0;; ++level) {
    fillComplete(levels, level);
    Node last = std::move(*levels[level].held);
    if (last.page == 0) {
      last.page = root_;
      file_.writePage(root_, encode(last));
      return count;
    }
    fillWrite(levels, level, last);
  }
}

void IndexWriter::fillAdd(std::vector<FillLevel>& levels, size_t level, Bytes entry,
                          uint32_t child) {
  FillLevel& at = levels[level];
  Node& current = at.current;
  const bool leaf = level == 0;
  const size_t pointer = leaf ? 0 : 4;
  current.leaf = leaf;
  current.entries.push_back(std::move(entry));
  if (!leaf) current.children.push_back(child);
  // A node writes the entry of every child but the last of two or more.
  const size_t n = current.entries.size() - 1;
  if (leaf || n == 0) {
    at.bytes += current.entries[n].size() + pointer;
  } else if (n >= 2) {
    at.bytes += current.entries[n - 1].size() + pointer;
  }
  const size_t count = writtenCount(current);
  const size_t shared =
      count >= 2 ? sharedPrefix(current.entries[0], current.entries[count - 1]) * (count - 1) : 0;
  if (IndexPageAt::Entries + at.bytes - shared <= file_.pageSize()) return;
  Bytes moved = std::move(current.entries.back());
  current.entries.pop_back();
  if (!leaf) current.children.pop_back();
  if (current.entries.empty()) damaged("an index entry too large for a page");
  fillComplete(levels, level);
  fillAdd(levels, level, std::move(moved), child);
}

// The page being filled is done: it is held, and the one held before it,
// now that the two have their numbers, is written.
void IndexWriter::fillComplete(std::vector<FillLevel>& levels, size_t level) {
  FillLevel& at = levels[level];
  Node done = std::move(at.current);
  at.current = Node{};
  at.bytes = 0;
  if (!at.held) {
    at.held = std::move(done);
    return;
  }
  Node& before = *at.held;
  if (before.page == 0) before.page = newPage();
  done.page = newPage();
  before.next = done.page;
  done.previous = before.page;
  fillWrite(levels, level, before);
  at.held = std::move(done);
}

// Writes a page of the level below the top and gives its last entry to
// the level above.
void IndexWriter::fillWrite(std::vector<FillLevel>& levels, size_t level, Node& done) {
  file_.writePage(done.page, encode(done));
  if (levels.size() == level + 1) {
    if (levels.size() == kMostIndexLevels) damaged("an index tree too deep");
    levels.emplace_back();
  }
  fillAdd(levels, level + 1, done.entries.back(), done.page);
}

}  // namespace telvarn::mdb
