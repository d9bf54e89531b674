// MdbStorage's rows: scans in storage order, seeks through the index
// trees, row ids as row pointers. Writing waits for the writer (3027).
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

namespace telvarn::mdb {
namespace {

class ScanCursor : public RowCursor {
 public:
  ScanCursor(PageSource& pages, const TableDefinition& table)
      : rows_(pages, table), decoder_(pages, table) {}

  bool next() override {
    if (!rows_.next()) return false;
    values_ = decoder_.decode(rows_.row());
    return true;
  }
  RowId id() const override { return rows_.pointer(); }
  const std::vector<Variant>& values() const override { return values_; }

 private:
  StoredRows rows_;
  RowDecoder decoder_;
  std::vector<Variant> values_;
};

// The rows an index lists under one key, in the index's order.
class SeekCursor : public RowCursor {
 public:
  SeekCursor(PageSource& pages, const TableDefinition& table, std::vector<uint32_t> pointers)
      : pages_(pages), decoder_(pages, table), pointers_(std::move(pointers)) {}

  bool next() override {
    if (at_ == pointers_.size()) return false;
    Page page;
    values_ = decoder_.decode(followRecord(pages_, pointers_[at_++], page));
    return true;
  }
  RowId id() const override { return pointers_[at_ - 1]; }
  const std::vector<Variant>& values() const override { return values_; }

 private:
  PageSource& pages_;
  RowDecoder decoder_;
  std::vector<uint32_t> pointers_;
  size_t at_ = 0;
  std::vector<Variant> values_;
};

// The key `values` make in `index`: a row holding them in the index's
// columns (Null elsewhere), keyed as a stored row is.
std::vector<uint8_t> keyOf(PageSource& pages, const TableDefinition& table,
                           const PhysicalIndex& index, const std::vector<Variant>& values) {
  std::vector<ColumnBytes> columns(table.columns.size());
  for (size_t i = 0; i < index.columns.size(); ++i) {
    const auto column = std::find_if(table.columns.begin(), table.columns.end(),
                                     [&](const ColumnDef& c) {
                                       return c.number == index.columns[i].number;
                                     });
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

[[noreturn]] void readOnly() {
  throw engineError(3027);
}

}  // namespace

std::unique_ptr<RowCursor> MdbStorage::scan(const std::string& table) {
  return std::make_unique<ScanCursor>(*pages_, definition(table));
}

std::unique_ptr<RowCursor> MdbStorage::seek(const std::string& table, const std::string& index,
                                            const std::vector<Variant>& key) {
  const TableDefinition& def = definition(table);
  const auto logical =
      std::find_if(def.logicalIndexes.begin(), def.logicalIndexes.end(),
                   [&](const LogicalIndex& i) { return sameName(i.name, index); });
  if (logical == def.logicalIndexes.end() || logical->physical < 0 ||
      static_cast<size_t>(logical->physical) >= def.physicalIndexes.size())
    throw engineError(3000, {"no index " + index});
  const PhysicalIndex& physical = def.physicalIndexes[static_cast<size_t>(logical->physical)];
  if (key.size() != physical.columns.size())
    throw engineError(3000, {"a key of " + std::to_string(key.size()) + " values for " + index});
  const std::vector<uint8_t> wanted = keyOf(*pages_, def, physical, key);
  std::vector<uint32_t> pointers;
  forEachIndexEntry(*pages_, physical.rootPage, [&](const IndexEntry& entry) {
    if (entry.key == wanted) pointers.push_back(entry.rowPointer);
    return entry.key <= wanted;
  });
  return std::make_unique<SeekCursor>(*pages_, def, std::move(pointers));
}

uint64_t MdbStorage::rowCount(const std::string& table) {
  return definition(table).rowCount;
}

RowId MdbStorage::insertRow(const std::string&, const std::vector<Variant>&) {
  readOnly();
}
void MdbStorage::updateRow(const std::string&, RowId, const std::vector<Variant>&) {
  readOnly();
}
void MdbStorage::deleteRow(const std::string&, RowId) {
  readOnly();
}

}  // namespace telvarn::mdb
