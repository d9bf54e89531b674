#include "engine/mdb/ColumnLayout.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/mdb/FixedValue.h"
#include "engine/mdb/RecordMapping.h"

namespace telvarn::mdb {
namespace {

constexpr uint16_t kGeneralSortOrder = 0x0409;

bool variableType(int type) {
  return type == DataType::Text || type == DataType::Binary || type == DataType::Memo ||
         type == DataType::LongBinary;
}

}  // namespace

ColumnDef columnOf(const FieldRecord& field) {
  if (!isFieldType(field.type)) throw engineError(3259);
  ColumnDef column;
  column.name = field.name;
  column.type = static_cast<uint8_t>(field.type);
  column.sortOrder = kGeneralSortOrder;
  column.flags = ColumnFlag::Nullable;
  const bool fixedText = field.type == DataType::Text && (field.attributes & FieldAttribute::Fixed);
  if (!variableType(field.type) || fixedText) column.flags |= ColumnFlag::Fixed;
  if (field.type == DataType::Long && (field.attributes & FieldAttribute::AutoIncrement))
    column.flags |= ColumnFlag::AutoNumber;
  if (field.type == DataType::Memo && (field.attributes & FieldAttribute::Hyperlink))
    column.flags |= ColumnFlag::Hyperlink;
  const int size = storedSize(field.type, field.size);
  column.length = static_cast<uint16_t>(field.type == DataType::Text ? 2 * size : size);
  return column;
}

void placeColumn(TableDefinition& table, ColumnDef column) {
  column.number = table.maxColumns++;
  column.ordinal = 0;
  for (const ColumnDef& other : table.columns)
    column.ordinal = std::max<uint16_t>(column.ordinal, other.ordinal + 1);
  if (column.fixed()) {
    // The fixed columns keep the count of variable ones numbered before them.
    column.varIndex = static_cast<uint16_t>(std::count_if(
        table.columns.begin(), table.columns.end(), [](const ColumnDef& c) { return !c.fixed(); }));
    column.fixedOffset = 0;
    if (column.type != ColumnType::Boolean) {
      for (const ColumnDef& other : table.columns) {
        if (other.fixed() && other.type != ColumnType::Boolean)
          column.fixedOffset = std::max<uint16_t>(column.fixedOffset,
                                                  other.fixedOffset + fixedLength(other));
      }
    }
  } else {
    column.varIndex = table.varColumns++;
    column.fixedOffset = 0;
  }
  table.columns.push_back(std::move(column));
}

void removeColumn(TableDefinition& table, const std::string& name) {
  const ColumnDef* found = findColumn(table, name);
  if (found == nullptr) throw engineError(3265);
  const uint16_t ordinal = found->ordinal;
  table.columns.erase(table.columns.begin() + (found - table.columns.data()));
  for (ColumnDef& column : table.columns) {
    if (column.ordinal > ordinal) --column.ordinal;
  }
}

const ColumnDef* findColumn(const TableDefinition& table, const std::string& name) {
  for (const ColumnDef& column : table.columns) {
    if (sameName(column.name, name)) return &column;
  }
  return nullptr;
}

}  // namespace telvarn::mdb
