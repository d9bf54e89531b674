// MdbStorage's rows: scans in storage order, seeks through the index
// trees, row ids as row pointers, writes through the table's writer.
#include <algorithm>

#include "engine/AppError.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/IndexKey.h"
#include "engine/mdb/IndexPages.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/RowEncoder.h"
#include "engine/mdb/StoredValue.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableWriter.h"

namespace telvarn::mdb {
namespace {

// Each cursor holds the definition it reads by: a write meanwhile makes
// the storage read the definition again, not change this one.
using Definition = std::shared_ptr<const TableDefinition>;

// A cursor's current row, its values decoded as they are asked for: a
// statement reads few of a table's fields, and a text or a long value
// costs far more to decode than to pass by. The row's bytes stay the
// cursor's own until it moves.
class DecodingCursor : public RowCursor {
 public:
  DecodingCursor(PageSource& pages, Definition table)
      : table_(std::move(table)),
        decoder_(pages, *table_),
        values_(table_->columns.size()),
        decodedAt_(values_.size(), 0) {}

  const std::vector<Variant>& values() const override {
    for (size_t field = 0; field < values_.size(); ++field) value(field);
    return values_;
  }
  const Variant& value(size_t field) const override {
    if (decodedAt_[field] != rowNumber_) {
      values_[field] = decoder_.value(row_, table_->columns[field]);
      decodedAt_[field] = rowNumber_;
    }
    return values_[field];
  }

 protected:
  void moveTo(ByteView row) {
    row_ = row;
    ++rowNumber_;
  }

  Definition table_;

 private:
  RowDecoder decoder_;
  ByteView row_;
  mutable std::vector<Variant> values_;
  // Which row each value was decoded for: the rows are numbered from 1.
  mutable std::vector<uint64_t> decodedAt_;
  uint64_t rowNumber_ = 0;
};

class ScanCursor : public DecodingCursor {
 public:
  ScanCursor(PageSource& pages, Definition table)
      : DecodingCursor(pages, std::move(table)), rows_(pages, *table_) {}

  bool next() override {
    if (!rows_.next()) return false;
    moveTo(rows_.row());
    return true;
  }
  RowId id() const override { return rows_.pointer(); }

 private:
  StoredRows rows_;
};

// The rows an index lists under one key, in the index's order.
class SeekCursor : public DecodingCursor {
 public:
  SeekCursor(PageSource& pages, Definition table, std::vector<uint32_t> pointers)
      : DecodingCursor(pages, std::move(table)), pages_(pages), pointers_(std::move(pointers)) {}

  bool next() override {
    if (at_ == pointers_.size()) return false;
    moveTo(followRecord(pages_, pointers_[at_++], page_));
    return true;
  }
  RowId id() const override { return pointers_[at_ - 1]; }

 private:
  PageSource& pages_;
  std::vector<uint32_t> pointers_;
  size_t at_ = 0;
  Page page_;  // the page the current row lies on
};

// The key `values` make in `index`: a row holding them in the index's
// columns (Null elsewhere), keyed as a stored row is.
std::vector<uint8_t> keyOf(PageSource& pages, const TableDefinition& table,
                           const PhysicalIndex& index, const std::vector<Variant>& values) {
  std::vector<ColumnBytes> columns(table.columns.size());
  for (size_t i = 0; i < index.columns.size(); ++i) {
    const auto column =
        std::find_if(table.columns.begin(), table.columns.end(),
                     [&](const ColumnDef& c) { return c.number == index.columns[i].number; });
    if (column == table.columns.end() || values[i].isNull()) continue;
    ColumnBytes& stored = columns[static_cast<size_t>(column - table.columns.begin())];
    if (column->type == ColumnType::Boolean) {
      stored.present = values[i].toBoolean();
    } else if (!column->longValue()) {
      stored.present = true;
      stored.bytes = storedBytes(*column, values[i]);
    }
  }
  const std::vector<uint8_t> row = encodeRow(table, columns);
  const KeyResult key = indexKey(table, index, ByteView(row), RowDecoder(pages, table));
  if (!key.key) throw AppError(3251, errorDescription(3251) + "  (" + key.unsupported + ")");
  return *key.key;
}

}  // namespace

std::unique_ptr<RowCursor> MdbStorage::scan(const std::string& table) {
  return std::make_unique<ScanCursor>(*pages_, sharedDefinition(table));
}

std::unique_ptr<RowCursor> MdbStorage::seek(const std::string& table, const std::string& index,
                                            const std::vector<Variant>& key) {
  const Definition held = sharedDefinition(table);
  const TableDefinition& def = *held;
  const auto logical = std::find_if(def.logicalIndexes.begin(), def.logicalIndexes.end(),
                                    [&](const LogicalIndex& i) { return sameName(i.name, index); });
  if (logical == def.logicalIndexes.end() || logical->physical < 0 ||
      static_cast<size_t>(logical->physical) >= def.physicalIndexes.size())
    throw engineError(3000, {"no index " + index});
  const PhysicalIndex& physical = def.physicalIndexes[static_cast<size_t>(logical->physical)];
  if (key.size() != physical.columns.size())
    throw engineError(3000, {"a key of " + std::to_string(key.size()) + " values for " + index});
  const std::vector<uint8_t> wanted = keyOf(*pages_, def, physical, key);
  std::vector<uint32_t> pointers;
  forEachIndexEntryFrom(*pages_, physical.rootPage, wanted, [&](const IndexEntry& entry) {
    if (entry.key == wanted) pointers.push_back(entry.rowPointer);
    return entry.key == wanted;
  });
  return std::make_unique<SeekCursor>(*pages_, held, std::move(pointers));
}

std::unique_ptr<RowCursor> MdbStorage::row(const std::string& table, RowId row) {
  const Definition held = sharedDefinition(table);
  std::vector<uint32_t> pointers;
  const auto pointer = static_cast<uint32_t>(row);
  if (row >= 0 && row == pointer && pageOf(pointer) < pages_->pageCount()) {
    const Page page = pages_->readPage(pageOf(pointer));
    const ByteView view(page);
    if (view.u8(0) == PageType::Data && owner(view) == held->page &&
        rowOf(pointer) < recordCount(view) && !recordAt(view, rowOf(pointer)).deleted)
      pointers.push_back(pointer);
  }
  return std::make_unique<SeekCursor>(*pages_, held, std::move(pointers));
}

uint64_t MdbStorage::rowCount(const std::string& table) {
  return definition(table).rowCount;
}

RowId MdbStorage::insertRow(const std::string& table, const std::vector<Variant>& values) {
  const RowId row = writer(table).insert(values);
  rowsChanged();
  return row;
}

void MdbStorage::updateRow(const std::string& table, RowId row,
                           const std::vector<Variant>& values) {
  if (row < 0 || row > UINT32_MAX) throw engineError(3167);
  writer(table).update(static_cast<uint32_t>(row), values);
  rowsChanged();
}

void MdbStorage::deleteRow(const std::string& table, RowId row) {
  if (row < 0 || row > UINT32_MAX) throw engineError(3167);
  writer(table).remove(static_cast<uint32_t>(row));
  rowsChanged();
}

}  // namespace telvarn::mdb
