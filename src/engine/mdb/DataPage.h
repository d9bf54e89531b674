// Pages that hold records (type 0x01): table rows, long-value pieces and
// usage maps alike. A record is found by a row pointer: the page number in
// the upper three bytes, the record's number on the page in the lowest one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

namespace PageType {
enum : uint8_t {
  Header = 0x00,
  Data = 0x01,
  TableDefinition = 0x02,
  IndexNode = 0x03,
  IndexLeaf = 0x04,
  UsageMap = 0x05,
};
}  // namespace PageType

constexpr uint32_t pageOf(uint32_t rowPointer) {
  return rowPointer >> 8;
}
constexpr uint8_t rowOf(uint32_t rowPointer) {
  return static_cast<uint8_t>(rowPointer & 0xFF);
}
constexpr uint32_t rowPointer(uint32_t page, uint8_t row) {
  return (page << 8) | row;
}
// A row pointer's one byte reaches this many records of a page.
inline constexpr size_t kRecordsAPageHolds = 256;

struct RecordSlot {
  ByteView bytes;
  bool deleted = false;
  // The record is only a row pointer to where the row now lives.
  bool moved = false;
};

// The number of records on a data page and the table definition that owns
// it (or the "LVAL" mark of long-value pages).
uint16_t recordCount(ByteView page);
uint32_t owner(ByteView page);
inline constexpr uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"

// What is wrong with the page's record offsets, or "": no more records than
// a row pointer reaches, each starting after the offset table and no higher
// than the record before it (records fill the page from its end down), and
// the free-space count the gap between the offset table and the lowest
// record.
std::string recordLayoutFault(ByteView page);

// Record `row` of a data page: 3049 when the page has no such record.
RecordSlot recordAt(ByteView page, uint16_t row);

// The live bytes a row pointer leads to, following a moved record to its new
// place; 3049 when the record is deleted or missing. `page` receives the
// page the bytes lie in (in its own room, used again).
ByteView followRecord(PageSource& pages, uint32_t pointer, Page& page);
// The same, valid until the next read of `pages`.
ByteView followRecord(PageSource& pages, uint32_t pointer);

}  // namespace telvarn::mdb
