#include "engine/mdb/TypeChange.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "engine/AppError.h"
#include "engine/mdb/ColumnConversion.h"
#include "engine/mdb/ColumnLayout.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/DefinitionWriter.h"
#include "engine/mdb/FixedValue.h"
#include "engine/mdb/IndexBuild.h"
#include "engine/mdb/LongValueWriter.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/RowEncoder.h"
#include "engine/mdb/StoredValue.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableStorage.h"
#include "engine/mdb/TableWriter.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kMaxRowSize = 4060;
constexpr size_t kReferenceLength = 12;

bool indexes(const PhysicalIndex& index, uint16_t number) {
  return std::any_of(index.columns.begin(), index.columns.end(),
                     [&](const PhysicalIndexColumn& c) { return c.number == number; });
}

// The new column in the old one's place: the table's next number and a
// slot of its kind, the old one's staying taken, as the engine's own type
// changes leave them (a row's column count is always its fixed slots and
// its variable ones). The fixed area's end is found among the other
// columns: every row is rewritten, so the old column's space is free.
// Unicode compression is the field's own setting: it stays while the field
// holds text (Text or Memo).
ColumnDef replacement(TableDefinition& table, const ColumnDef& old, const FieldRecord& changed) {
  ColumnDef column = columnOf(changed);
  const auto holdsText = [](const ColumnDef& c) {
    return c.type == ColumnType::Text || c.type == ColumnType::Memo;
  };
  if (holdsText(old) && holdsText(column)) column.extraFlags |= old.extraFlags & kCompressedUnicode;
  column.name = old.name;
  column.ordinal = old.ordinal;
  column.number = table.maxColumns++;
  column.fixedOffset = 0;
  column.varIndex = 0;
  if (!column.fixed()) {
    column.varIndex = table.varColumns++;
    return column;
  }
  for (const ColumnDef& other : table.columns) {
    if (other.number == old.number) continue;
    if (!other.fixed()) ++column.varIndex;
    if (other.fixed() && other.type != ColumnType::Boolean && column.type != ColumnType::Boolean)
      column.fixedOffset =
          std::max<uint16_t>(column.fixedOffset, other.fixedOffset + fixedLength(other));
  }
  return column;
}

// Rewrites rows with a new value of one column and the others as they
// were stored.
class RowRewriter {
 public:
  // The column's new value of a row: from the row as `before` stores it.
  using NewValue = std::function<Variant(const RowDecoder& before, ByteView row)>;

  RowRewriter(PageFile& file, const TableDefinition& before, const TableDefinition& after,
              const ColumnDef& column, NewValue newValue)
      : file_(file),
        before_(before),
        after_(after),
        column_(column),
        newValue_(std::move(newValue)),
        decoder_(file, before),
        writer_(file, after.page) {}

  // Every row of `rows` (ids in page order), a page at a time, each page
  // read once.
  void rewriteAll(const std::vector<uint32_t>& rows) {
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> onePage;
    Page page;
    for (const uint32_t row : rows) {
      if (onePage.empty() || pageOf(onePage.front().first) != pageOf(row)) {
        if (!onePage.empty()) writer_.rewriteRows(onePage);
        onePage.clear();
        page = file_.readPage(pageOf(row));
      }
      onePage.emplace_back(row, rewritten(storedRow(row, page)));
    }
    if (!onePage.empty()) writer_.rewriteRows(onePage);
  }

 private:
  // The row's stored bytes: from `page`, its own, where it lies there
  // unmoved; else from wherever it moved.
  std::vector<uint8_t> storedRow(uint32_t row, const Page& page) {
    const ByteView view(page);
    if (view.u8(0) == PageType::Data && owner(view) == after_.page &&
        rowOf(row) < recordCount(view)) {
      const RecordSlot slot = recordAt(view, rowOf(row));
      if (!slot.deleted && !slot.moved) return slot.bytes.bytes();
    }
    return writer_.storedRow(row);
  }

  std::vector<uint8_t> rewritten(const std::vector<uint8_t>& stored) {
    const ByteView view(stored);
    std::vector<ColumnBytes> columns(after_.columns.size());
    size_t changed = 0;
    for (size_t i = 0; i < after_.columns.size(); ++i) {
      const ColumnDef& column = after_.columns[i];
      if (column.number == column_.number) {
        changed = i;
        continue;
      }
      // The value as it was stored: for Yes/No its bit, for long values
      // the reference to records that stay.
      const ByteView bytes =
          decoder_.columnBytes(view, *before_.columnByNumber(column.number), columns[i].present);
      columns[i].bytes = bytes.bytes();
    }
    const Variant value = newValue_(decoder_, view);
    ColumnBytes& target = columns[changed];
    if (column_.type == ColumnType::Boolean) {
      target.present = value.toBoolean();
    } else if (!value.isNull()) {
      target.present = true;
      if (!column_.longValue()) {
        target.bytes = storedBytes(column_, value);
      } else {
        target.bytes.assign(kReferenceLength, 0);
        const size_t size = encodeRow(after_, columns).size();
        const size_t room = kMaxRowSize - std::min(kMaxRowSize, size) + kReferenceLength;
        target.bytes = writeLongValue(file_, after_, column_, longValueData(column_, value), room);
      }
    }
    return encodeRow(after_, columns);
  }

  PageFile& file_;
  const TableDefinition& before_;
  const TableDefinition& after_;
  const ColumnDef& column_;
  NewValue newValue_;
  const RowDecoder decoder_;
  TableWriter writer_;
};

}  // namespace

void changeColumnType(PageFile& file, SchemaTable& table, const std::string& name,
                      const FieldRecord& changed) {
  const TableDefinition before = table.definition;
  const ColumnDef* found = findColumn(before, name);
  if (found == nullptr) throw engineError(3265);
  const ColumnDef old = *found;
  TableDefinition& after = table.definition;
  std::vector<size_t> rebuilt;
  for (size_t i = 0; i < after.physicalIndexes.size(); ++i) {
    if (indexes(after.physicalIndexes[i], old.number)) rebuilt.push_back(i);
  }
  for (const LogicalIndex& logical : after.logicalIndexes) {
    if (logical.foreign() && std::find(rebuilt.begin(), rebuilt.end(),
                                       static_cast<size_t>(logical.physical)) != rebuilt.end())
      throw engineError(3303);
  }

  const ColumnDef column = replacement(after, old, changed);
  *std::find_if(after.columns.begin(), after.columns.end(),
                [&](const ColumnDef& c) { return c.number == old.number; }) = column;
  // The old column's long values stay readable until every row is
  // rewritten.
  const LongValueMaps* oldMaps = before.longValueMapsOf(old.number);
  std::erase_if(after.longValueMaps,
                [&](const LongValueMaps& m) { return m.column == old.number; });
  if (column.longValue())
    after.longValueMaps.push_back(newLongValueMaps(file, column.number, {after.usedPages}));
  for (const size_t i : rebuilt) {
    PhysicalIndex& index = after.physicalIndexes[i];
    removeIndexTree(file, index);
    for (PhysicalIndexColumn& part : index.columns) {
      if (part.number == old.number) part.number = column.number;
    }
    newIndexTree(file, after.page, index, {after.usedPages});
  }
  writeTableDefinition(file, after);

  std::vector<uint32_t> rows;
  forEachStoredRow(file, before, [&](uint32_t row, ByteView) {
    rows.push_back(row);
    return true;
  });
  RowRewriter rewriter(file, before, after, column, [&](const RowDecoder& decoder, ByteView row) {
    return convertedValue(old, decoder.value(row, old), column);
  });
  rewriter.rewriteAll(rows);

  if (oldMaps != nullptr) {
    removeUsageMap(file, oldMaps->freePages, false);
    removeUsageMap(file, oldMaps->usedPages, true);
  }
  for (const size_t i : rebuilt) buildIndex(file, after, i);
  writeTableDefinition(file, after);
}

void numberRows(PageFile& file, SchemaTable& table, const TableDefinition& before,
                const ColumnDef& column) {
  TableDefinition& after = table.definition;
  std::vector<uint32_t> rows;
  forEachStoredRow(file, before, [&](uint32_t row, ByteView) {
    rows.push_back(row);
    return true;
  });
  RowRewriter rewriter(file, before, after, column, [&](const RowDecoder&, ByteView) {
    after.lastAutoNumber += static_cast<uint32_t>(after.autoNumberIncrement);
    return Variant(int64_t{static_cast<int32_t>(after.lastAutoNumber)});
  });
  rewriter.rewriteAll(rows);
  writeTableDefinition(file, after);
}

}  // namespace telvarn::mdb
