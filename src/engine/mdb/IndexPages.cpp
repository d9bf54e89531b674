#include "engine/mdb/IndexPages.h"

#include <algorithm>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kRowPointerLength = 4;
constexpr size_t kChildLength = 4;

uint32_t bigEndian(const std::vector<uint8_t>& bytes, size_t at, size_t length) {
  uint32_t value = 0;
  for (size_t i = 0; i < length; ++i) value = (value << 8) | bytes[at + i];
  return value;
}

// Where each entry ends, from the bitmap: bit i set means an entry ends
// (and the next begins) i bytes after the first entry's start.
std::vector<size_t> entryEnds(ByteView page) {
  std::vector<size_t> ends;
  for (size_t byte = IndexPageAt::EntryMap; byte < IndexPageAt::Entries; ++byte) {
    const uint8_t bits = page.u8(byte);
    for (int bit = 0; bits != 0 && bit < 8; ++bit) {
      if (bits & (1u << bit))
        ends.push_back(IndexPageAt::Entries + (byte - IndexPageAt::EntryMap) * 8 + bit);
    }
  }
  return ends;
}

IndexEntry splitEntry(std::vector<uint8_t> bytes, bool leaf) {
  const size_t tail = kRowPointerLength + (leaf ? 0 : kChildLength);
  IndexEntry entry;
  const size_t keyLength = bytes.size() - tail;
  entry.rowPointer = rowPointer(bigEndian(bytes, keyLength, 3), bytes[keyLength + 3]);
  if (!leaf) entry.childPage = bigEndian(bytes, keyLength + 4, 4);
  bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(keyLength), bytes.end());
  entry.key = std::move(bytes);
  return entry;
}

}  // namespace

size_t sharedPrefix(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  size_t length = 0;
  while (length < a.size() && length < b.size() && a[length] == b[length]) ++length;
  return length;
}

StoredIndexPage readStoredIndexPage(PageSource& pages, uint32_t number) {
  const Page page = pages.readPage(number);
  const ByteView view(page);
  if (page[0] != PageType::IndexLeaf && page[0] != PageType::IndexNode) {
    damaged("an index page of another kind");
  }
  StoredIndexPage index;
  index.leaf = page[0] == PageType::IndexLeaf;
  index.table = view.u32(IndexPageAt::Table);
  index.storedFreeSpace = view.u16(IndexPageAt::FreeSpace);
  index.previous = view.u32(IndexPageAt::Previous);
  index.next = view.u32(IndexPageAt::Next);
  index.tail = view.u32(IndexPageAt::Tail);
  const size_t prefixLength = view.u16(IndexPageAt::PrefixLength);
  const size_t tail = kRowPointerLength + (index.leaf ? 0 : kChildLength);
  size_t prefix = 0;
  size_t start = IndexPageAt::Entries;
  for (const size_t end : entryEnds(view)) {
    const ByteView stored = view.sub(start, end - start);
    std::vector<uint8_t> bytes;
    bytes.reserve(prefix + stored.size());
    if (prefix > 0)
      bytes.assign(index.entries.front().begin(),
                   index.entries.front().begin() + static_cast<std::ptrdiff_t>(prefix));
    bytes.insert(bytes.end(), stored.data(), stored.data() + stored.size());
    if (index.entries.empty()) {
      if (bytes.size() < prefixLength) damaged("an index prefix longer than its entry");
      prefix = prefixLength;
    }
    if (bytes.size() < tail) damaged("an index entry too short");
    index.entries.push_back(std::move(bytes));
    start = end;
  }
  index.freeSpace = page.size() - start;
  return index;
}

IndexPage readIndexPage(PageSource& pages, uint32_t number) {
  StoredIndexPage stored = readStoredIndexPage(pages, number);
  IndexPage index;
  static_cast<IndexPageHeader&>(index) = stored;
  for (std::vector<uint8_t>& bytes : stored.entries)
    index.entries.push_back(splitEntry(std::move(bytes), index.leaf));
  return index;
}

void forEachIndexEntry(PageSource& pages, uint32_t root,
                       const std::function<bool(const IndexEntry&)>& visit) {
  forEachIndexEntryFrom(pages, root, {}, visit);
}

void forEachIndexEntryFrom(PageSource& pages, uint32_t root, const std::vector<uint8_t>& from,
                           const std::function<bool(const IndexEntry&)>& visit) {
  uint32_t number = root;
  for (uint32_t depth = 0;; ++depth) {
    if (depth > kMostIndexLevels) damaged("an index tree too deep");
    const IndexPage page = readIndexPage(pages, number);
    if (page.leaf) break;
    // The first child whose last key is not below `from`; else the tail.
    const auto child = std::find_if(page.entries.begin(), page.entries.end(),
                                    [&](const IndexEntry& entry) { return entry.key >= from; });
    number = child != page.entries.end() ? child->childPage
             : page.tail != 0            ? page.tail
             : page.entries.empty()      ? 0
                                         : page.entries.back().childPage;
    if (number == 0) return;
  }
  for (uint32_t count = 0; number != 0; ++count) {
    if (count > pages.pageCount()) damaged("an index whose leaves loop");
    const IndexPage page = readIndexPage(pages, number);
    for (const IndexEntry& entry : page.entries) {
      if (entry.key < from) continue;
      if (!visit(entry)) return;
    }
    number = page.next;
  }
}

}  // namespace telvarn::mdb
