#include "engine/mdb/DataPage.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kFreeSpaceAt = 0x02;
constexpr size_t kRecordCountAt = 0x0C;
constexpr size_t kOffsetsAt = 0x0E;
constexpr uint16_t kOffsetMask = 0x1FFF;
constexpr uint16_t kDeletedFlag = 0x8000;
constexpr uint16_t kMovedFlag = 0x4000;
constexpr int kMaxMoves = 8;

}  // namespace

uint16_t recordCount(ByteView page) {
  return page.u16(kRecordCountAt);
}

uint32_t owner(ByteView page) {
  return page.u32(4);
}

std::string recordLayoutFault(ByteView page) {
  const uint16_t count = recordCount(page);
  const size_t tableEnd = kOffsetsAt + 2u * count;
  if (count > kRecordsAPageHolds || tableEnd > page.size()) {
    return "its record count " + std::to_string(count) + " is more than a page holds";
  }
  size_t lowest = page.size();
  for (uint16_t row = 0; row < count; ++row) {
    const size_t start = page.u16(kOffsetsAt + 2u * row) & kOffsetMask;
    if (start < tableEnd || start > lowest) {
      return "record " + std::to_string(row) + " starts at " + std::to_string(start) +
             ", outside the space between the offset table (ending at " + std::to_string(tableEnd) +
             ") and the record before it (at " + std::to_string(lowest) + ")";
    }
    lowest = start;
  }
  const uint16_t stored = page.u16(kFreeSpaceAt);
  if (stored != lowest - tableEnd) {
    return "its free-space count is " + std::to_string(stored) + " where its records leave " +
           std::to_string(lowest - tableEnd);
  }
  return "";
}

RecordSlot recordAt(ByteView page, uint16_t row) {
  if (row >= recordCount(page)) damaged("a row pointer to a record that does not exist");
  const uint16_t entry = page.u16(kOffsetsAt + 2 * row);
  const size_t start = entry & kOffsetMask;
  const size_t end = row == 0 ? page.size() : page.u16(kOffsetsAt + 2 * (row - 1)) & kOffsetMask;
  RecordSlot slot;
  slot.deleted = entry & kDeletedFlag;
  slot.moved = entry & kMovedFlag;
  if (start > end || end > page.size()) {
    if (slot.deleted) return slot;
    damaged("a record whose bounds overlap");
  }
  slot.bytes = page.sub(start, end - start);
  return slot;
}

namespace {

// The live bytes a row pointer leads to, and the page (as the source holds
// it until its next read) they lie on.
struct Followed {
  const Page* page;
  ByteView bytes;
};

Followed follow(PageSource& pages, uint32_t pointer) {
  for (int moves = 0; moves < kMaxMoves; ++moves) {
    const Page& page = pages.page(pageOf(pointer));
    const ByteView view(page);
    if (view.u8(0) != PageType::Data) damaged("a row pointer to a page without records");
    const RecordSlot slot = recordAt(view, rowOf(pointer));
    if (!slot.moved) return {&page, slot.bytes};
    pointer = slot.bytes.u32(0);
  }
  damaged("a row moved too many times");
}

}  // namespace

ByteView followRecord(PageSource& pages, uint32_t pointer) {
  return follow(pages, pointer).bytes;
}

ByteView followRecord(PageSource& pages, uint32_t pointer, Page& page) {
  const Followed found = follow(pages, pointer);
  page.assign(found.page->begin(), found.page->end());
  return ByteView(page.data() + (found.bytes.data() - found.page->data()), found.bytes.size());
}

}  // namespace telvarn::mdb
