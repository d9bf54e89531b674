// TableDefinition: what a table's definition pages (type 0x02, possibly
// several chained) say about the table: its columns as rows store them, its
// physical indexes (the trees on disk) and its logical ones (what the user
// sees, several of which may share one tree).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

// Column type codes of the file format.
namespace ColumnType {
enum : uint8_t {
  Boolean = 0x01,
  Byte = 0x02,
  Integer = 0x03,
  Long = 0x04,
  Currency = 0x05,
  Single = 0x06,
  Double = 0x07,
  DateTime = 0x08,
  Binary = 0x09,
  Text = 0x0A,
  Ole = 0x0B,
  Memo = 0x0C,
  Guid = 0x0F,
  Numeric = 0x10,
  FixedBinary = 0x11,
};
}  // namespace ColumnType

namespace ColumnFlag {
enum : uint8_t {
  Fixed = 0x01,
  Nullable = 0x02,
  AutoNumber = 0x04,
  Replication = 0x10,
  AutoGuid = 0x40,
  Hyperlink = 0x80,
};
}  // namespace ColumnFlag

// The one flag of a column's second flag byte: text and memo values may be
// stored compressed (the field's Unicode Compression).
constexpr uint8_t kCompressedUnicode = 0x01;

struct ColumnDef {
  std::string name;
  uint8_t type = 0;
  // The column's number: its bit in a row's null mask and what indexes name
  // it by. Numbers of deleted columns are not given again, so there may be
  // gaps. `ordinal` is the column's place in the table's order.
  uint16_t number = 0;
  uint16_t ordinal = 0;
  // Index into a row's variable-length offset table, for variable columns.
  uint16_t varIndex = 0;
  // Offset in a row's fixed area, for fixed columns.
  uint16_t fixedOffset = 0;
  uint16_t length = 0;
  uint8_t flags = 0;
  uint8_t extraFlags = 0;
  // Text: the sort order (0x409 General); Numeric: precision and scale.
  uint16_t sortOrder = 0;
  uint8_t precision = 0;
  uint8_t scale = 0;

  bool operator==(const ColumnDef&) const = default;
  bool fixed() const { return flags & ColumnFlag::Fixed; }
  bool compressedUnicode() const { return extraFlags & kCompressedUnicode; }
  bool longValue() const { return type == ColumnType::Memo || type == ColumnType::Ole; }
};

struct PhysicalIndexColumn {
  uint16_t number = 0;
  bool descending = false;

  bool operator==(const PhysicalIndexColumn&) const = default;
};

namespace IndexFlag {
enum : uint8_t { Unique = 0x01, IgnoreNulls = 0x02, Required = 0x08 };
}

struct PhysicalIndex {
  std::vector<PhysicalIndexColumn> columns;
  uint32_t usageMap = 0;  // row pointer to the index's page usage map
  uint32_t rootPage = 0;
  uint8_t flags = 0;
  uint32_t entryCount = 0;

  bool operator==(const PhysicalIndex&) const = default;
};

struct LogicalIndex {
  std::string name;
  int32_t number = 0;
  int32_t physical = 0;
  uint8_t kind = 0;  // 1 primary key, 2 foreign key (relationship)
  uint8_t relatedTableKind = 0;
  int32_t relatedIndex = -1;
  uint32_t relatedTablePage = 0;
  bool cascadeUpdates = false;
  bool cascadeDeletes = false;

  bool operator==(const LogicalIndex&) const = default;
  bool primary() const { return kind == 1; }
  bool foreign() const { return kind == 2; }
};

// Where a Memo or OLE column keeps its long values: the usage maps of its
// pages and of those with free space (row pointers, as the table's own).
struct LongValueMaps {
  uint16_t column = 0;
  uint32_t usedPages = 0;
  uint32_t freePages = 0;

  bool operator==(const LongValueMaps&) const = default;
};

struct TableDefinition {
  uint32_t page = 0;
  std::vector<uint32_t> definitionPages;  // the chain, `page` first
  uint32_t definitionLength = 0;          // its bytes after the first page's header
  uint32_t rowCount = 0;
  // The last AutoNumber given (modulo 2^32), and the step to the next:
  // COUNTER(seed, increment) starts it at seed - increment.
  uint32_t lastAutoNumber = 0;
  int32_t autoNumberIncrement = 1;
  bool system = false;
  uint16_t maxColumns = 0;
  uint16_t varColumns = 0;
  uint32_t usedPages = 0;  // row pointer to the table's page usage map
  uint32_t freePages = 0;
  std::vector<ColumnDef> columns;  // in the table's order
  std::vector<PhysicalIndex> physicalIndexes;
  std::vector<LogicalIndex> logicalIndexes;
  std::vector<LongValueMaps> longValueMaps;

  bool operator==(const TableDefinition&) const = default;
  const ColumnDef* columnByNumber(uint16_t number) const;
  // nullptr when the definition lists no maps for the column.
  const LongValueMaps* longValueMapsOf(uint16_t column) const;
};

// Reads the definition whose first page is `page`: 3049 when that page is
// not a definition page or the definition is damaged.
TableDefinition readTableDefinition(PageSource& pages, uint32_t page);

// What is wrong with how the definition fills its chain of pages, or "":
// its length needs every page of the chain and no more, and each page's
// free-space count is what the definition leaves of it. 3049 when a page
// of the chain cannot be read.
std::string definitionLayoutFault(PageSource& pages, const TableDefinition& table);

}  // namespace telvarn::mdb
