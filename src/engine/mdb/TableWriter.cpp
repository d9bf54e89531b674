#include "engine/mdb/TableWriter.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/DataPageWriter.h"
#include "engine/mdb/LongValueWriter.h"
#include "engine/mdb/RecordSpace.h"
#include "engine/mdb/RowChange.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/StoredValue.h"
#include "engine/mdb/UsageMapWriter.h"
#include "engine/values/Convert.h"

namespace telvarn::mdb {
namespace {

bool hasLongValues(const TableDefinition& table) {
  return std::any_of(table.columns.begin(), table.columns.end(),
                     [](const ColumnDef& column) { return column.longValue(); });
}

constexpr size_t kMaxRowSize = 4060;
constexpr size_t kRowCountAt = 0x10;
constexpr size_t kLastAutoNumberAt = 0x14;
constexpr size_t kReferenceLength = 12;
constexpr int kMaxMoves = 8;

bool isEmpty(const Variant& value) {
  return value.kind() == Variant::Kind::Empty;
}
bool isMissing(const Variant& value) {
  return isEmpty(value) || value.isNull();
}

void put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string newGuid() {
  std::random_device random;
  uint8_t bytes[16];
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
  char text[40];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

}  // namespace

TableWriter::TableWriter(PageFile& file, uint32_t definitionPage)
    : file_(file),
      table_(readTableDefinition(file, definitionPage)),
      longValues_(hasLongValues(table_)),
      relationships_(file, table_) {
  for (size_t i = 0; i < table_.physicalIndexes.size(); ++i) {
    indexes_.emplace_back(file_, table_.page, table_.physicalIndexes[i]);
    rules_.push_back(indexRules(table_, i));
  }
}

TableWriter::~TableWriter() {
  file_.release(*this);
}

TableWriter::Located TableWriter::locate(uint32_t row) {
  if (pageOf(row) >= file_.pageCount()) throw engineError(3167);
  ByteView view(file_.page(pageOf(row)));
  if (view.u8(0) != PageType::Data || owner(view) != table_.page || rowOf(row) >= recordCount(view))
    throw engineError(3167);
  RecordSlot slot = recordAt(view, rowOf(row));
  // Removed rows, and the new places of moved ones, name no row.
  if (slot.deleted) throw engineError(3167);
  Located found;
  found.at = row;
  for (int moves = 0; slot.moved; ++moves) {
    if (moves == kMaxMoves) damaged("a row moved too many times");
    found.moved = true;
    found.at = slot.bytes.u32(0);
    view = ByteView(file_.page(pageOf(found.at)));
    if (view.u8(0) != PageType::Data || owner(view) != table_.page)
      damaged("a moved row outside its table");
    slot = recordAt(view, rowOf(found.at));
  }
  found.bytes = slot.bytes.bytes();
  return found;
}

std::vector<Variant> TableWriter::read(uint32_t row) {
  const Located found = locate(row);
  return RowDecoder(file_, table_).decode(ByteView(found.bytes));
}

std::vector<uint8_t> TableWriter::storedRow(uint32_t row) {
  return locate(row).bytes;
}

void TableWriter::rewrite(uint32_t row, const std::vector<uint8_t>& bytes) {
  if (bytes.size() > kMaxRowSize) throw engineError(3047);
  place(row, locate(row), bytes);
}

void TableWriter::rewriteRows(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& rows) {
  for (size_t begin = 0; begin < rows.size();) {
    size_t end = begin + 1;
    while (end < rows.size() && pageOf(rows[end].first) == pageOf(rows[begin].first)) ++end;
    for (size_t i = begin + rewriteTogether(rows, begin, end); i < end; ++i)
      rewrite(rows[i].first, rows[i].second);
    begin = end;
  }
}

// Rows [begin, end), all on one page: as many of the first as lie there
// unmoved are laid out together, and those that no longer fit beside the
// others (the last ones) move to other pages, each leaving a pointer of
// four bytes; their number. The page is written before the moving rows are
// placed, since one of them may go back onto it.
size_t TableWriter::rewriteTogether(
    const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& rows, size_t begin, size_t end) {
  constexpr size_t kPointerBytes = 4;
  const uint32_t number = pageOf(rows[begin].first);
  if (number >= file_.pageCount()) return 0;
  Page page = file_.readPage(number);
  const ByteView view(page);
  if (view.u8(0) != PageType::Data || owner(view) != table_.page) return 0;
  const size_t room = spaceLeft(page);
  std::vector<RecordChange> changes;
  size_t before = 0;
  size_t after = 0;
  for (size_t i = begin; i < end; ++i) {
    const auto& [row, bytes] = rows[i];
    if (bytes.size() > kMaxRowSize) throw engineError(3047);
    if (rowOf(row) >= recordCount(view)) break;
    const RecordSlot slot = recordAt(view, rowOf(row));
    if (slot.deleted || slot.moved) break;
    before += slot.bytes.size();
    after += bytes.size();
    changes.push_back({rowOf(row), &bytes, 0});
  }
  size_t staying = changes.size();
  while (staying > 0 && after > before + room) {
    --staying;
    after = after - changes[staying].bytes->size() + kPointerBytes;
  }
  const std::vector<uint8_t> placeholder(kPointerBytes, 0);
  for (size_t i = staying; i < changes.size(); ++i)
    changes[i] = {changes[i].row, &placeholder, RecordFlag::Moved};
  if (changes.empty() || !replaceRecords(page, changes)) return 0;
  file_.writePage(number, page);
  if (after < before || staying < changes.size())
    setUsageBit(file_, table_.freePages, number, true);
  if (staying == changes.size()) return changes.size();
  std::vector<std::vector<uint8_t>> pointers;
  pointers.reserve(changes.size() - staying);
  for (size_t i = staying; i < changes.size(); ++i) {
    pointers.emplace_back(kPointerBytes);
    put32(pointers.back().data(), placeNew(rows[begin + i].second, RecordFlag::Deleted));
    changes[i].bytes = &pointers.back();
  }
  page = file_.readPage(number);
  changes.erase(changes.begin(), changes.begin() + static_cast<long>(staying));
  if (!replaceRecords(page, changes)) damaged("a moved row's pointer that no longer fits");
  file_.writePage(number, page);
  return staying + changes.size();
}

ColumnBytes TableWriter::columnOf(const ColumnDef& column, const Variant& value) {
  ColumnBytes stored;
  if (column.type == ColumnType::Boolean) {
    stored.present = !isMissing(value) && values::toFieldBool(value);
    return stored;
  }
  if (isMissing(value)) return stored;
  stored.present = true;
  // A long value's reference is made once its records are written.
  stored.bytes =
      column.longValue() ? std::vector<uint8_t>(kReferenceLength, 0) : storedBytes(column, value);
  return stored;
}

std::vector<ColumnBytes> TableWriter::columnsOf(const std::vector<Variant>& values) {
  std::vector<ColumnBytes> columns;
  columns.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i) columns.push_back(columnOf(table_.columns[i], values[i]));
  return columns;
}

std::vector<RowKey> TableWriter::keysOf(const std::vector<uint8_t>& row, bool check) {
  const RowDecoder decoder(file_, table_);
  std::vector<RowKey> keys;
  for (size_t i = 0; i < table_.physicalIndexes.size(); ++i)
    keys.push_back(rowKey(table_, i, rules_[i], ByteView(row), decoder, check));
  return keys;
}

// Unique indexes refuse a key another row has; a key with a Null in any
// column is no duplicate.
void TableWriter::checkKeys(const std::vector<RowKey>& keys, const std::vector<RowKey>& old,
                            uint32_t row) {
  for (size_t i = 0; i < keys.size(); ++i) {
    if (!keys[i].stored || !rules_[i].unique || keys[i].anyNull) continue;
    if (!old.empty() && old[i].stored && old[i].bytes == keys[i].bytes) continue;
    if (indexes_[i].hasKey(keys[i].bytes, row)) throw engineError(3022);
  }
}

std::vector<uint8_t> TableWriter::withLongValues(std::vector<ColumnBytes>& columns,
                                                 const std::vector<Variant>& values) {
  size_t room = kMaxRowSize - std::min(kMaxRowSize, encodeRow(table_, columns).size());
  for (size_t i = 0; i < columns.size(); ++i) {
    const ColumnDef& column = table_.columns[i];
    if (!column.longValue() || !columns[i].present) continue;
    columns[i].bytes = writeLongValue(file_, table_, column, longValueData(column, values[i]),
                                      room + kReferenceLength);
    room -= columns[i].bytes.size() - kReferenceLength;
  }
  std::vector<uint8_t> row = encodeRow(table_, columns);
  if (row.size() > kMaxRowSize) throw engineError(3047);
  return row;
}

void TableWriter::removeLongValues(const std::vector<uint8_t>& row) {
  const RowDecoder decoder(file_, table_);
  for (const ColumnDef& column : table_.columns) {
    if (!column.longValue()) continue;
    bool present = false;
    const ByteView reference = decoder.columnBytes(ByteView(row), column, present);
    if (present) removeLongValue(file_, table_, column, reference);
  }
}

uint32_t TableWriter::placeNew(const std::vector<uint8_t>& row, uint16_t flags) {
  // The page the last row went to takes the next while it has room, and a
  // new page follows it when it is full.
  const PageMaps maps{table_.usedPages, table_.freePages};
  if (insertPage_ == 0 || insertGeneration_ != file_.generation()) {
    insertPage_ = pageWithRoom(file_, maps, table_.page, row.size());
    insertGeneration_ = file_.generation();
  } else if (!recordFits(file_.page(insertPage_), row.size())) {
    insertPage_ = newPageAfter(file_, maps, table_.page, insertPage_);
  }
  const std::optional<uint8_t> record = addRecord(file_.changePage(insertPage_), row, flags);
  if (!record) damaged("a data page without the room it showed");
  return rowPointer(insertPage_, *record);
}

// The row's new bytes where the old ones were, or else on another page
// with the row's record pointing there.
void TableWriter::place(uint32_t row, const Located& old, const std::vector<uint8_t>& bytes) {
  if (replaceRecord(file_.changePage(pageOf(old.at)), rowOf(old.at), bytes,
                    old.moved ? RecordFlag::Deleted : 0)) {
    if (bytes.size() < old.bytes.size()) setUsageBit(file_, table_.freePages, pageOf(old.at), true);
    return;
  }
  const uint32_t target = placeNew(bytes, RecordFlag::Deleted);
  if (old.moved) removeRecordAt(old.at);
  std::vector<uint8_t> pointer(4);
  put32(pointer.data(), target);
  if (!replaceRecord(file_.changePage(pageOf(row)), rowOf(row), pointer, RecordFlag::Moved))
    throw engineError(3047);
  setUsageBit(file_, table_.freePages, pageOf(row), true);
}

void TableWriter::removeRecordAt(uint32_t pointer) {
  removeRecord(file_.changePage(pageOf(pointer)), rowOf(pointer));
  setUsageBit(file_, table_.freePages, pageOf(pointer), true);
}

uint32_t TableWriter::lastAutoNumber() {
  if (counts_.held) return counts_.lastAutoNumber;
  return ByteView(file_.page(table_.page)).u32(kLastAutoNumberAt);
}

void TableWriter::changeDefinition(int rowCountChange, uint32_t lastAutoNumber) {
  if (!counts_.held) counts_ = {true, 0, 0};
  counts_.rowCountChange += rowCountChange;
  counts_.lastAutoNumber = lastAutoNumber;
  file_.holdBack(table_.page, *this, table_.page);
}

void TableWriter::writeHeldPages() {
  if (!counts_.held) return;
  const HeldCounts counts = counts_;
  counts_.held = false;
  Page& page = file_.changePage(table_.page);
  const uint32_t rows = ByteView(page).u32(kRowCountAt);
  put32(page.data() + kRowCountAt, static_cast<uint32_t>(rows + counts.rowCountChange));
  put32(page.data() + kLastAutoNumberAt, counts.lastAutoNumber);
}

void TableWriter::dropHeldPages() {
  counts_.held = false;
}

uint32_t TableWriter::insert(std::vector<Variant> values) {
  if (values.size() != table_.columns.size()) throw engineError(3219);
  RowChange change(file_, longValues_);
  uint32_t last = lastAutoNumber();
  const int32_t step = table_.autoNumberIncrement;
  for (size_t i = 0; i < values.size(); ++i) {
    const ColumnDef& column = table_.columns[i];
    if ((column.flags & ColumnFlag::AutoNumber) && column.type == ColumnType::Long) {
      if (isMissing(values[i])) {
        last += static_cast<uint32_t>(step);
        values[i] = Variant(int64_t{static_cast<int32_t>(last)});
      } else {
        // A number given moves the numbering past it, in the direction of
        // the step; one the column cannot hold is refused when it is stored.
        const int64_t given = values[i].toInteger();
        const int64_t now = static_cast<int32_t>(last);
        if (given >= INT32_MIN && given <= INT32_MAX && (step > 0 ? given > now : given < now))
          last = static_cast<uint32_t>(static_cast<int32_t>(given));
      }
    } else if ((column.flags & ColumnFlag::AutoGuid) && isMissing(values[i])) {
      values[i] = Variant(newGuid());
    }
  }
  std::vector<ColumnBytes> columns = columnsOf(values);
  std::vector<uint8_t> encoded = encodeRow(table_, columns);
  if (encoded.size() > kMaxRowSize) throw engineError(3047);
  const std::vector<RowKey> keys = keysOf(encoded, true);
  checkKeys(keys, {}, 0);
  relationships_.check(keys, {});
  change.writing();
  const uint32_t row =
      placeNew(longValues_ ? withLongValues(columns, values) : std::move(encoded), 0);
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].stored) indexes_[i].insert(keys[i].bytes, row);
  }
  changeDefinition(+1, last);
  change.commit();
  return row;
}

void TableWriter::update(uint32_t row, std::vector<Variant> values) {
  if (values.size() != table_.columns.size()) throw engineError(3219);
  RowChange change(file_, longValues_ || relationships_.mayCascade());
  const Located old = locate(row);
  const RowDecoder decoder(file_, table_);
  const ByteView oldRow(old.bytes);
  // A column left as it is keeps its stored bytes. Its value is needed only
  // where it is written afresh: a long value (its records are rewritten)
  // and a column a cascade may copy into the rows that refer to this one.
  const bool mayCascade = relationships_.mayCascade();
  std::vector<uint16_t> given;  // the numbers of the columns given a value
  std::vector<ColumnBytes> columns(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const ColumnDef& column = table_.columns[i];
    if (!isEmpty(values[i])) {
      const bool automatic = column.flags & (ColumnFlag::AutoNumber | ColumnFlag::AutoGuid);
      if (automatic && !(values[i] == decoder.value(oldRow, column))) throw engineError(3164);
      given.push_back(column.number);
    } else if (column.longValue() || mayCascade) {
      values[i] = decoder.value(oldRow, column);
    } else {
      const ByteView bytes = decoder.columnBytes(oldRow, column, columns[i].present);
      columns[i].bytes.assign(bytes.data(), bytes.data() + bytes.size());
      continue;
    }
    columns[i] = columnOf(column, values[i]);
  }
  const std::vector<uint8_t> encoded = encodeRow(table_, columns);
  if (encoded.size() > kMaxRowSize) throw engineError(3047);
  // Only the keys of indexes over a column given a value can change; the
  // others stay alike (and empty) on both sides.
  std::vector<RowKey> keys(table_.physicalIndexes.size());
  std::vector<RowKey> oldKeys(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    const std::vector<PhysicalIndexColumn>& parts = table_.physicalIndexes[i].columns;
    if (std::none_of(parts.begin(), parts.end(), [&](const PhysicalIndexColumn& part) {
          return std::find(given.begin(), given.end(), part.number) != given.end();
        }))
      continue;
    keys[i] = rowKey(table_, i, rules_[i], ByteView(encoded), decoder, true);
    oldKeys[i] = rowKey(table_, i, rules_[i], ByteView(old.bytes), decoder, false);
  }
  checkKeys(keys, oldKeys, row);
  relationships_.check(keys, oldKeys);
  change.writing();
  if (longValues_) removeLongValues(old.bytes);
  place(row, old, longValues_ ? withLongValues(columns, values) : encoded);
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].stored == oldKeys[i].stored && keys[i].bytes == oldKeys[i].bytes) continue;
    if (oldKeys[i].stored) indexes_[i].remove(oldKeys[i].bytes, row);
    if (keys[i].stored) indexes_[i].insert(keys[i].bytes, row);
  }
  relationships_.cascade(keys, oldKeys, values);
  change.commit();
}

void TableWriter::remove(uint32_t row) {
  RowChange change(file_, relationships_.mayCascade());
  const Located old = locate(row);
  const std::vector<RowKey> keys = keysOf(old.bytes, false);
  relationships_.check({}, keys);
  change.writing();
  if (longValues_) removeLongValues(old.bytes);
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].stored) indexes_[i].remove(keys[i].bytes, row);
  }
  if (old.moved) removeRecordAt(old.at);
  removeRecordAt(row);
  changeDefinition(-1, lastAutoNumber());
  relationships_.cascade({}, keys, {});
  change.commit();
}

}  // namespace telvarn::mdb
