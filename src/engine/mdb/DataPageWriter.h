// Changes to pages that hold records (see DataPage.h). A record keeps its
// number for good, since row pointers name it; what moves is its bytes:
// after every change the page is laid out afresh, record 0 at the end of
// the page and each next one below it, so a removed record (marked deleted,
// with no bytes) gives its space back at once, as the desktop program does;
// only a record given bytes of its own length is written over in place.
// The header keeps the free space: the page size less the header, the
// offset table and the records.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

namespace RecordFlag {
enum : uint16_t { Deleted = 0x8000, Moved = 0x4000, Removed = Deleted | Moved };
}

// A page as many records a page may hold (their number is one byte).
constexpr uint16_t kMaxRecordsPerPage = 255;

Page newRecordPage(uint32_t pageSize, uint32_t owner);

// Whether a new record of `length` bytes fits (with its offset entry).
bool recordFits(const Page& page, size_t length);

// Adds a record; its number, or nullopt when it does not fit.
std::optional<uint8_t> addRecord(Page& page, const std::vector<uint8_t>& bytes, uint16_t flags = 0);

// Gives record `row` new bytes and flags; false (and the page unchanged)
// when they do not fit. 3049 for a record the page does not have.
bool replaceRecord(Page& page, uint8_t row, const std::vector<uint8_t>& bytes, uint16_t flags);

// The bytes a fresh layout of the page leaves free.
size_t spaceLeft(const Page& page);

// Gives several records new bytes and flags at once; false (and the page
// unchanged) when they do not fit together. 3049 for a record the page does
// not have.
struct RecordChange {
  uint8_t row = 0;
  const std::vector<uint8_t>* bytes = nullptr;
  uint16_t flags = 0;
};
bool replaceRecords(Page& page, const std::vector<RecordChange>& changes);

// Marks record `row` removed and gives its space back.
void removeRecord(Page& page, uint8_t row);

}  // namespace telvarn::mdb
