// IndexWriter's pages: how its decoded nodes become pages of the file again
// (the entries a page holds, whether they fit, their encoding) and the
// changed ones held back until the file asks for them.
#include <algorithm>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/IndexPages.h"
#include "engine/mdb/IndexWriter.h"

namespace telvarn::mdb {
namespace {

// Decoded pages kept an index; beyond, the changed ones are written and
// the writer starts afresh.
constexpr size_t kCachedPages = 512;

void putLittle(Page& page, size_t at, uint32_t value, int length) {
  for (int i = 0; i < length; ++i) page[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

IndexWriter::~IndexWriter() {
  file_.release(*this);
}

// A page holds every entry of a leaf; a node holds an entry for each child,
// the child's page after it, but for the last of two or more, which the
// header names as the tail.
size_t IndexWriter::writtenCount(const Node& current) const {
  if (current.leaf || current.children.size() < 2) return current.entries.size();
  return current.children.size() - 1;
}

const Bytes& IndexWriter::writtenKey(Node& current, size_t i) {
  if (current.entries[i].empty()) current.entries[i] = lastEntryOf(current.children[i]);
  return current.entries[i];
}

bool IndexWriter::fits(Node& current) {
  const size_t count = writtenCount(current);
  if (count == 0) return true;
  size_t total = 0;
  if (current.leaf && current.bytesKnown) {
    total = current.entryBytes;
  } else {
    const size_t child = current.leaf ? 0 : 4;
    for (size_t i = 0; i < count; ++i) total += writtenKey(current, i).size() + child;
    current.entryBytes = total;
    current.bytesKnown = current.leaf;
  }
  if (count >= 2)
    total -= sharedPrefix(current.entries[0], current.entries[count - 1]) * (count - 1);
  return IndexPageAt::Entries + total <= file_.pageSize();
}

Page IndexWriter::encode(Node& current) {
  Page page(file_.pageSize(), 0);
  page[0] = current.leaf ? PageType::IndexLeaf : PageType::IndexNode;
  page[1] = 0x01;
  putLittle(page, IndexPageAt::Table, tablePage_, 4);
  putLittle(page, IndexPageAt::Previous, current.previous, 4);
  putLittle(page, IndexPageAt::Next, current.next, 4);
  const bool tail = !current.leaf && current.children.size() >= 2;
  putLittle(page, IndexPageAt::Tail, tail ? current.children.back() : 0, 4);
  page[IndexPageAt::NodeMark] = current.leaf ? 0 : 1;
  const size_t count = writtenCount(current);
  for (size_t i = 0; i < count; ++i) writtenKey(current, i);
  // Entries differ before their child pages, so the child pages never
  // lengthen the shared prefix.
  const size_t prefix =
      count >= 2 ? sharedPrefix(current.entries[0], current.entries[count - 1]) : 0;
  putLittle(page, IndexPageAt::PrefixLength, static_cast<uint32_t>(prefix), 2);
  size_t end = IndexPageAt::Entries;
  for (size_t i = 0; i < count; ++i) {
    const Bytes& entry = current.entries[i];
    const size_t skip = i == 0 ? 0 : prefix;
    const size_t length = entry.size() - skip + (current.leaf ? 0 : 4);
    if (end + length > page.size()) damaged("index entries that overflow their page");
    std::copy(entry.begin() + static_cast<long>(skip), entry.end(),
              page.begin() + static_cast<long>(end));
    if (!current.leaf) {
      const uint32_t child = current.children[i];
      for (int b = 0; b < 4; ++b)
        page[end + length - 4 + b] = static_cast<uint8_t>(child >> (24 - 8 * b));
    }
    end += length;
    const size_t bit = end - IndexPageAt::Entries;
    page[IndexPageAt::EntryMap + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
  }
  putLittle(page, IndexPageAt::FreeSpace, static_cast<uint32_t>(page.size() - end), 2);
  return page;
}

// A page already changed is held back already: the file forgets a page
// only as it has it written, which leaves its node clean.
void IndexWriter::touch(Node& changed) {
  changed.bytesKnown = false;
  if (changed.dirty) return;
  changed.dirty = true;
  touched_.push_back(changed.page);
  if (!changed.released) file_.holdBack(changed.page, *this, root_);
}

// Writes the changed pages; the decoded ones stay for the next change, up
// to a bound. Only the pages changes touched are looked at, so that
// writing costs the same however many pages are kept decoded.
void IndexWriter::flush() {
  // What a transaction that went back left decoded is not written.
  if (generation_ != file_.generation()) {
    nodes_.clear();
    touched_.clear();
    generation_ = file_.generation();
    return;
  }
  while (!touched_.empty()) {
    const uint32_t page = touched_.back();
    const auto found = nodes_.find(page);
    if (found == nodes_.end()) {
      touched_.pop_back();
      continue;
    }
    Node& current = found->second;
    if (current.released) {
      nodes_.erase(found);
    } else if (current.dirty) {
      file_.writePage(page, encode(current));
      current.dirty = false;
      current.stamp = file_.pageStamp(page);
    }
    touched_.pop_back();
  }
  // A tail's last entry is not on its parent's page, so a writer of the
  // child alone would not show in the parent's stamp: it is found anew.
  // Every decoded node below the root hangs from a decoded parent (a
  // damaged tree whose children loop is walked no further than there are
  // nodes).
  std::vector<uint32_t> inner{root_};
  for (size_t steps = 0; !inner.empty() && steps <= nodes_.size(); ++steps) {
    const auto found = nodes_.find(inner.back());
    inner.pop_back();
    if (found == nodes_.end() || found->second.leaf) continue;
    Node& current = found->second;
    if (current.children.size() >= 2) current.entries.back().clear();
    // Leaves are all at one depth: children of a node above leaves need
    // no look.
    const auto first = nodes_.find(current.children.front());
    if (first == nodes_.end() || !first->second.leaf)
      inner.insert(inner.end(), current.children.begin(), current.children.end());
  }
  if (nodes_.size() > kCachedPages) nodes_.clear();
  generation_ = file_.generation();
}

void IndexWriter::writeHeldPages() {
  flush();
}

void IndexWriter::dropHeldPages() {
  nodes_.clear();
  touched_.clear();
}

// After a change, the pages it changed stay held back unless the decoded
// ones are too many.
void IndexWriter::changed() {
  if (nodes_.size() > kCachedPages) flush();
}

}  // namespace telvarn::mdb
