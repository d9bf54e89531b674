#include "engine/mdb/RecordMapping.h"

#include <algorithm>

#include "engine/DataType.h"

namespace telvarn::mdb {
namespace {

constexpr int kDecimalType = 20;
// The kind of table a relationship's index on the keys' table names.
constexpr uint8_t kPointsBack = 1;

// Properties every field has in the engine even when the file stores none.
const char* const kAlwaysPresent[] = {"ValidationRule", "ValidationText"};

void applyProperty(FieldRecord& field, const StoredProperty& property) {
  if (sameName(property.name, "DefaultValue")) {
    field.defaultValue = property.value.toText();
  } else if (sameName(property.name, "AllowZeroLength")) {
    field.allowZeroLength = property.value.toBoolean();
  } else if (sameName(property.name, "Required")) {
    field.required = property.value.toBoolean();
  } else {
    field.properties.push_back({property.name, property.type, property.value});
  }
}

void addMissingBuiltIns(FieldRecord& field) {
  for (const char* name : kAlwaysPresent) {
    bool found = false;
    for (const UserProperty& property : field.properties)
      found = found || sameName(property.name, name);
    if (!found) field.properties.push_back({name, DataType::Text, Variant(std::string())});
  }
}

IndexRecord indexRecord(const TableDefinition& table, const LogicalIndex& logical) {
  IndexRecord index;
  index.name = logical.name;
  index.primary = logical.primary();
  if (logical.physical < 0 ||
      static_cast<size_t>(logical.physical) >= table.physicalIndexes.size()) {
    damaged("an index without its tree");
  }
  const PhysicalIndex& physical = table.physicalIndexes[static_cast<size_t>(logical.physical)];
  index.unique = physical.flags & IndexFlag::Unique;
  index.ignoreNulls = physical.flags & IndexFlag::IgnoreNulls;
  index.required = physical.flags & IndexFlag::Required;
  for (const PhysicalIndexColumn& column : physical.columns) {
    const ColumnDef* def = table.columnByNumber(column.number);
    if (def == nullptr) damaged("an index over a column the table does not have");
    index.columns.push_back({def->name, column.descending});
  }
  return index;
}

bool alwaysPresent(const std::string& name) {
  for (const char* builtIn : kAlwaysPresent) {
    if (sameName(name, builtIn)) return true;
  }
  return false;
}

bool builtIn(const std::string& name) {
  return sameName(name, "DefaultValue") || sameName(name, "Required") ||
         sameName(name, "AllowZeroLength");
}

}  // namespace

std::vector<StoredProperty> storedProperties(const FieldRecord& field, const PropertySet* before) {
  std::vector<StoredProperty> wanted;
  if (!field.defaultValue.empty())
    wanted.push_back({"DefaultValue", DataType::Memo, kDdlProperty, Variant(field.defaultValue)});
  if (field.required)
    wanted.push_back({"Required", DataType::Boolean, kDdlProperty, Variant(true)});
  if (field.allowZeroLength)
    wanted.push_back({"AllowZeroLength", DataType::Boolean, kDdlProperty, Variant(true)});
  for (const UserProperty& property : field.properties) {
    const bool emptyText =
        property.value.kind() == Variant::Kind::Text && property.value.toText().empty();
    if (alwaysPresent(property.name) && emptyText) continue;
    wanted.push_back({property.name, property.type,
                      alwaysPresent(property.name) ? kDdlProperty : uint8_t{0}, property.value});
  }
  if (before == nullptr) return wanted;

  std::vector<StoredProperty> stored;
  for (const StoredProperty& old : before->properties) {
    const auto found = std::find_if(wanted.begin(), wanted.end(), [&](const StoredProperty& p) {
      return sameName(p.name, old.name);
    });
    if (found == wanted.end()) {
      // A built-in property the set has stays, with the value a new
      // field has.
      if (sameName(old.name, "Required") || sameName(old.name, "AllowZeroLength"))
        stored.push_back({old.name, old.type, old.flags, Variant(false), old.width});
      continue;
    }
    StoredProperty kept = old;
    kept.value = found->value;
    if (!builtIn(old.name) && found->type != old.type) {
      kept.type = found->type;
      kept.width = 0;
    }
    stored.push_back(std::move(kept));
    wanted.erase(found);
  }
  stored.insert(stored.end(), wanted.begin(), wanted.end());
  return stored;
}

int engineType(const ColumnDef& column) {
  switch (column.type) {
    case ColumnType::Numeric:
      return kDecimalType;
    case ColumnType::FixedBinary:
      return DataType::Binary;
    default:
      return column.type;
  }
}

int engineSize(const ColumnDef& column) {
  switch (column.type) {
    case ColumnType::Text:
      return column.length / 2;
    case ColumnType::Binary:
    case ColumnType::FixedBinary:
      return column.length;
    case ColumnType::Numeric:
      return 16;
    case ColumnType::Memo:
    case ColumnType::Ole:
      return 0;
    default:
      return storedSize(column.type, column.length);
  }
}

FieldRecord fieldRecord(const ColumnDef& column, const PropertySet* properties) {
  FieldRecord field;
  field.name = column.name;
  field.type = engineType(column);
  field.size = engineSize(column);
  field.attributes = column.fixed() ? FieldAttribute::Fixed : FieldAttribute::Variable;
  if (column.flags & ColumnFlag::AutoNumber) field.attributes |= FieldAttribute::AutoIncrement;
  if (column.flags & ColumnFlag::Hyperlink) field.attributes |= FieldAttribute::Hyperlink;
  if (properties != nullptr) {
    for (const StoredProperty& property : properties->properties) applyProperty(field, property);
  }
  addMissingBuiltIns(field);
  return field;
}

void describeTable(const TableDefinition& table, const std::vector<PropertySet>& properties,
                   TableRecord& record) {
  for (const ColumnDef& column : table.columns) {
    const PropertySet* set = nullptr;
    for (const PropertySet& candidate : properties) {
      if (!candidate.forObject && sameName(candidate.objectName, column.name)) set = &candidate;
    }
    record.fields.push_back(fieldRecord(column, set));
  }
  // A relationship's index on the table whose keys it refers to is the
  // engine's own way back to the referring rows: no index of the table's
  // design, so the table's indexes leave it out.
  for (const LogicalIndex& logical : table.logicalIndexes) {
    if (logical.foreign() && logical.relatedTableKind == kPointsBack) continue;
    record.indexes.push_back(indexRecord(table, logical));
  }
}

}  // namespace telvarn::mdb
