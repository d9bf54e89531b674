#include "engine/mdb/DataPageWriter.h"

#include <algorithm>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kFreeSpaceAt = 2;
constexpr size_t kOwnerAt = 4;
constexpr size_t kRecordCountAt = 0x0C;
constexpr size_t kOffsetsAt = 0x0E;
constexpr uint16_t kOffsetMask = 0x1FFF;

// A record's bytes where they lie (in the old page or a new value).
struct Record {
  const uint8_t* data = nullptr;
  size_t length = 0;
  uint16_t flags = 0;
};

void put16(Page& page, size_t at, uint16_t value) {
  page[at] = static_cast<uint8_t>(value);
  page[at + 1] = static_cast<uint8_t>(value >> 8);
}

std::vector<Record> recordsOf(const Page& page) {
  const ByteView view(page);
  const uint16_t count = recordCount(view);
  std::vector<Record> records(count);
  for (uint16_t row = 0; row < count; ++row) {
    const RecordSlot slot = recordAt(view, row);
    records[row].flags = view.u16(kOffsetsAt + 2 * row) & ~kOffsetMask;
    if (!(slot.deleted && slot.moved)) {
      records[row].data = slot.bytes.data();
      records[row].length = slot.bytes.size();
    }
  }
  return records;
}

// Lays the records out afresh from the end of the page; false when they
// do not fit, leaving the page as it was.
bool layOut(Page& page, const std::vector<Record>& records) {
  size_t used = kOffsetsAt + 2 * records.size();
  for (const Record& record : records) used += record.length;
  if (used > page.size() || records.size() > kMaxRecordsPerPage) return false;
  Page fresh(page.size(), 0);
  std::copy_n(page.begin(), kOffsetsAt, fresh.begin());
  size_t end = fresh.size();
  for (size_t row = 0; row < records.size(); ++row) {
    end -= records[row].length;
    if (records[row].length > 0)
      std::copy_n(records[row].data, records[row].length, fresh.begin() + static_cast<long>(end));
    put16(fresh, kOffsetsAt + 2 * row, static_cast<uint16_t>(end | records[row].flags));
  }
  put16(fresh, kRecordCountAt, static_cast<uint16_t>(records.size()));
  put16(fresh, kFreeSpaceAt, static_cast<uint16_t>(fresh.size() - used));
  page = std::move(fresh);
  return true;
}

// Where the records begin: the lowest start among them.
size_t lowestStart(const Page& page) {
  const size_t count = recordCount(ByteView(page));
  // The offset table is checked as a whole, then read straight: a page
  // takes a record after looking through all of them.
  const uint8_t* offsets = ByteView(page).sub(kOffsetsAt, 2 * count).data();
  size_t lowest = page.size();
  for (size_t row = 0; row < count; ++row) {
    const size_t offset = offsets[2 * row] | size_t{offsets[2 * row + 1]} << 8;
    lowest = std::min(lowest, offset & kOffsetMask);
  }
  return lowest;
}

// Every record spans from its start to the start of the one before it (the
// page's end for the first), so the records take the page from the lowest
// start on.
size_t freeSpace(const Page& page) {
  const size_t used = kOffsetsAt + 2 * recordCount(ByteView(page));
  const size_t lowest = lowestStart(page);
  return lowest > used ? lowest - used : 0;
}

}  // namespace

Page newRecordPage(uint32_t pageSize, uint32_t owner) {
  Page page(pageSize, 0);
  page[0] = PageType::Data;
  page[1] = 0x01;
  for (int i = 0; i < 4; ++i) page[kOwnerAt + i] = static_cast<uint8_t>(owner >> (8 * i));
  put16(page, kFreeSpaceAt, static_cast<uint16_t>(pageSize - kOffsetsAt));
  return page;
}

bool recordFits(const Page& page, size_t length) {
  return recordCount(ByteView(page)) < kMaxRecordsPerPage && freeSpace(page) >= length + 2;
}

std::optional<uint8_t> addRecord(Page& page, const std::vector<uint8_t>& bytes, uint16_t flags) {
  const ByteView view(page);
  const uint16_t count = recordCount(view);
  if (count >= kMaxRecordsPerPage) return std::nullopt;
  const size_t lowest = lowestStart(page);
  const size_t last =
      count == 0 ? page.size() : view.u16(kOffsetsAt + 2 * (count - 1)) & kOffsetMask;
  const size_t offsetsEnd = kOffsetsAt + 2 * (count + 1u);
  if (last == lowest && lowest >= offsetsEnd + bytes.size()) {
    // The new record goes right below the others.
    const size_t start = lowest - bytes.size();
    std::copy(bytes.begin(), bytes.end(), page.begin() + static_cast<long>(start));
    put16(page, kOffsetsAt + 2 * count, static_cast<uint16_t>(start | flags));
    put16(page, kRecordCountAt, static_cast<uint16_t>(count + 1));
    put16(page, kFreeSpaceAt, static_cast<uint16_t>(start - offsetsEnd));
    return static_cast<uint8_t>(count);
  }
  const Page old = page;
  std::vector<Record> records = recordsOf(old);
  records.push_back({bytes.data(), bytes.size(), flags});
  if (!layOut(page, records)) return std::nullopt;
  return static_cast<uint8_t>(count);
}

bool replaceRecord(Page& page, uint8_t row, const std::vector<uint8_t>& bytes, uint16_t flags) {
  // A record of the same length and flags is written over where it lies.
  const ByteView view(page);
  if (row < recordCount(view)) {
    const uint16_t offset = view.u16(kOffsetsAt + 2 * row);
    const RecordSlot slot = recordAt(view, row);
    if ((offset & ~kOffsetMask) == flags && !(slot.deleted && slot.moved) &&
        slot.bytes.size() == bytes.size()) {
      std::copy(bytes.begin(), bytes.end(), page.begin() + (offset & kOffsetMask));
      return true;
    }
  }
  const Page old = page;
  std::vector<Record> records = recordsOf(old);
  if (row >= records.size()) damaged("a row pointer to a record that does not exist");
  records[row] = {bytes.data(), bytes.size(), flags};
  return layOut(page, records);
}

size_t spaceLeft(const Page& page) {
  const std::vector<Record> records = recordsOf(page);
  size_t used = kOffsetsAt + 2 * records.size();
  for (const Record& record : records) used += record.length;
  return used > page.size() ? 0 : page.size() - used;
}

bool replaceRecords(Page& page, const std::vector<RecordChange>& changes) {
  const Page old = page;
  std::vector<Record> records = recordsOf(old);
  for (const RecordChange& change : changes) {
    if (change.row >= records.size()) damaged("a row pointer to a record that does not exist");
    records[change.row] = {change.bytes->data(), change.bytes->size(), change.flags};
  }
  return layOut(page, records);
}

void removeRecord(Page& page, uint8_t row) {
  const Page old = page;
  std::vector<Record> records = recordsOf(old);
  if (row >= records.size()) damaged("a row pointer to a record that does not exist");
  records[row] = {nullptr, 0, RecordFlag::Removed};
  layOut(page, records);
}

}  // namespace telvarn::mdb
