// Index entries sorted for a new index: the same entries come out in byte
// order with their marks, whether they stayed in memory or went to the
// temporary file in runs, and an entry of any length up to an index
// entry's survives the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine/mdb/EntrySort.h"

namespace telvarn::test {
namespace {

using mdb::EntrySort;

std::vector<EntrySort::Item> randomItems(size_t count) {
  std::mt19937 random(7);
  std::vector<EntrySort::Item> items(count);
  for (size_t i = 0; i < count; ++i) {
    // Short entries share their beginnings, so that ties run deep.
    items[i].bytes.resize(random() % 3 == 0 ? 1 + random() % 4 : 1 + random() % 600);
    for (uint8_t& byte : items[i].bytes) byte = static_cast<uint8_t>(random() % 3);
    items[i].bytes.push_back(static_cast<uint8_t>(i));  // each unique, as row pointers make them
    items[i].bytes.push_back(static_cast<uint8_t>(i >> 8));
    items[i].mark = random() % 5 == 0;
  }
  return items;
}

std::vector<EntrySort::Item> sortedBy(size_t runBytes, const std::vector<EntrySort::Item>& items) {
  EntrySort sort(runBytes);
  for (const EntrySort::Item& item : items) sort.add(item);
  std::vector<EntrySort::Item> out;
  for (EntrySort::Item item; sort.next(item);) out.push_back(item);
  return out;
}

TEST(MdbEntrySort, InMemoryOrInRunsTheEntriesComeOutInOrderWithTheirMarks) {
  const std::vector<EntrySort::Item> items = randomItems(5000);
  std::vector<EntrySort::Item> expected = items;
  std::sort(expected.begin(), expected.end(),
            [](const auto& a, const auto& b) { return a.bytes < b.bytes; });
  // All in memory; about 40 runs; a run for every entry.
  for (const size_t runBytes : {size_t{1} << 30, size_t{40000}, size_t{1}}) {
    const std::vector<EntrySort::Item> out = sortedBy(runBytes, items);
    ASSERT_EQ(out.size(), expected.size()) << runBytes;
    for (size_t i = 0; i < out.size(); ++i) {
      ASSERT_EQ(out[i].bytes, expected[i].bytes) << runBytes << " at " << i;
      ASSERT_EQ(out[i].mark, expected[i].mark) << runBytes << " at " << i;
    }
  }
  EXPECT_TRUE(sortedBy(1, {}).empty());
}

}  // namespace
}  // namespace telvarn::test
