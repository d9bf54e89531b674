#include "engine/mdb/SchemaWriter.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/mdb/CatalogWriter.h"
#include "engine/mdb/ColumnLayout.h"
#include "engine/mdb/IndexBuild.h"
#include "engine/mdb/QueryWriter.h"
#include "engine/mdb/RecordMapping.h"
#include "engine/mdb/RelationshipWriter.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/SchemaTable.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableStorage.h"
#include "engine/mdb/TableWriter.h"
#include "engine/mdb/TypeChange.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kMostColumns = 255;
constexpr const char* kDatabaseWord = ";DATABASE=";
// A relationship's index on the table whose keys are referred to names
// the referring table with this kind.
constexpr uint8_t kReferredTo = 1;

// A new table's maps go beside the maps of the table made last (the one
// whose definition has the highest page), else beside the catalog's.
std::vector<uint32_t> nearMaps(PageFile& file, const std::vector<CatalogEntry>& catalog) {
  uint32_t newest = kCatalogDefinitionPage;
  for (const CatalogEntry& entry : catalog) {
    if (entry.type == ObjectType::Table) newest = std::max(newest, entry.definitionPage());
  }
  return {readTableDefinition(file, newest).usedPages,
          readTableDefinition(file, kCatalogDefinitionPage).usedPages};
}

// The column's property set takes `properties`; a set left empty goes.
void setColumnProperties(SchemaTable& table, const std::string& column,
                         std::vector<StoredProperty> properties) {
  PropertySet* set = table.columnProperties(column);
  if (set == nullptr) {
    if (properties.empty()) return;
    table.properties.push_back({column, false, {}});
    set = &table.properties.back();
  }
  set->properties = std::move(properties);
  if (set->properties.empty()) {
    std::erase_if(table.properties, [&](const PropertySet& s) { return &s == set; });
  }
}

bool hasRows(PageFile& file, const TableDefinition& table) {
  bool found = false;
  forEachStoredRow(file, table, [&](uint32_t, ByteView) {
    found = true;
    return false;
  });
  return found;
}

// The rows of system table `name` whose ObjectId is `object` go: the
// permissions on an object in MSysACEs, a query's parts in MSysQueries.
// COUNTER(seed, increment): the table's next new row takes `seed`.
void startNumbering(TableDefinition& table, const FieldRecord& field) {
  table.autoNumberIncrement = static_cast<int32_t>(field.increment);
  table.lastAutoNumber = static_cast<uint32_t>(field.seed - field.increment);
}

bool numbered(const FieldRecord& field) {
  return field.autoNumber() && field.type == DataType::Long;
}

void removeRowsOf(PageFile& file, const std::vector<CatalogEntry>& catalog, const char* name,
                  int32_t object) {
  const CatalogEntry* table = nullptr;
  for (const CatalogEntry& entry : catalog) {
    if (entry.type == ObjectType::Table && entry.name == name) table = &entry;
  }
  if (table == nullptr) return;
  TableWriter writer(file, table->definitionPage());
  const ColumnDef* objectId = findColumn(writer.definition(), "ObjectId");
  if (objectId == nullptr) return;
  const RowDecoder decoder(file, writer.definition());
  std::vector<uint32_t> rows;
  forEachStoredRow(file, writer.definition(), [&](uint32_t row, ByteView bytes) {
    const Variant id = decoder.value(bytes, *objectId);
    if (!id.isNull() && id.toInteger() == object) rows.push_back(row);
    return true;
  });
  for (const uint32_t row : rows) writer.remove(row);
}

void createLink(PageFile& file, const TableRecord& link) {
  CatalogRow row;
  row.name = link.name;
  row.type = ObjectType::FileLink;
  row.flags = ObjectFlag::FileLink;
  row.foreignName = link.sourceTableName;
  const auto at = std::search(link.connect.begin(), link.connect.end(), kDatabaseWord,
                              kDatabaseWord + std::char_traits<char>::length(kDatabaseWord),
                              [](char a, char b) { return std::toupper(a) == std::toupper(b); });
  if (at == link.connect.end()) throw engineError(3251);
  row.connect = std::string(link.connect.begin(), at);
  row.database =
      std::string(at + static_cast<std::ptrdiff_t>(std::strlen(kDatabaseWord)), link.connect.end());
  CatalogWriter(file).add(row);
}

}  // namespace

void SchemaWriter::createTable(const TableRecord& record) {
  PageTransaction change(file_);
  const std::vector<CatalogEntry> catalog = readSystemCatalog(file_);
  if (findObject(catalog, record.name) != nullptr) throw engineError(3010, {record.name});
  if (record.kind != TableKind::Local) {
    createLink(file_, record);
    change.commit();
    return;
  }
  if (record.fields.size() > kMostColumns) throw engineError(3190);
  TableDefinition table;
  std::vector<PropertySet> properties;
  for (const FieldRecord& field : record.fields) {
    if (findColumn(table, field.name) != nullptr) throw engineError(3191);
    placeColumn(table, columnOf(field));
    if (numbered(field)) startNumbering(table, field);
    const std::vector<StoredProperty> stored = storedProperties(field);
    if (!stored.empty()) properties.push_back({field.name, false, stored});
  }
  for (const IndexRecord& index : record.indexes) addIndexDefinition(file_, table, index);
  newTableStorage(file_, table, nearMaps(file_, catalog));
  CatalogRow row;
  row.id = static_cast<int32_t>(table.page);
  row.name = record.name;
  row.type = ObjectType::Table;
  row.properties = encodePropertyBlock(properties);
  CatalogWriter(file_).add(row);
  change.commit();
}

void SchemaWriter::dropTable(const std::string& name) {
  PageTransaction change(file_);
  const std::vector<CatalogEntry> catalog = readSystemCatalog(file_);
  const CatalogEntry* entry = findObject(catalog, name);
  if (entry == nullptr || !entry->table()) throw engineError(3376, {name});
  if (entry->type == ObjectType::Table) {
    const TableDefinition table = readTableDefinition(file_, entry->definitionPage());
    if (std::any_of(table.logicalIndexes.begin(), table.logicalIndexes.end(),
                    [](const LogicalIndex& index) { return index.foreign(); }))
      throw engineError(3281);
    removeTableStorage(file_, table);
  }
  removeRowsOf(file_, catalog, "MSysACEs", entry->id);
  CatalogWriter(file_).remove(*entry);
  change.commit();
}

void SchemaWriter::addField(const std::string& name, const FieldRecord& field) {
  PageTransaction change(file_);
  SchemaTable table = openTable(file_, name);
  if (findColumn(table.definition, field.name) != nullptr) throw engineError(3191);
  if (table.definition.columns.size() >= kMostColumns) throw engineError(3190);
  const TableDefinition before = table.definition;
  ColumnDef column = columnOf(field);
  placeColumn(table.definition, column);
  const ColumnDef& placed = table.definition.columns.back();
  if (placed.longValue())
    table.definition.longValueMaps.push_back(
        newLongValueMaps(file_, placed.number, {table.definition.usedPages}));
  if (numbered(field)) startNumbering(table.definition, field);
  saveDefinition(file_, table);
  // The rows there are take the first numbers.
  if (numbered(field) && hasRows(file_, before)) numberRows(file_, table, before, placed);
  const std::vector<StoredProperty> stored = storedProperties(field);
  if (!stored.empty()) {
    setColumnProperties(table, field.name, stored);
    saveProperties(file_, table);
  }
  change.commit();
}

void SchemaWriter::deleteField(const std::string& name, const std::string& field) {
  PageTransaction change(file_);
  SchemaTable table = openTable(file_, name);
  const ColumnDef* column = findColumn(table.definition, field);
  if (column == nullptr) throw engineError(3265);
  for (const PhysicalIndex& index : table.definition.physicalIndexes) {
    for (const PhysicalIndexColumn& part : index.columns) {
      if (part.number == column->number) throw engineError(3280);
    }
  }
  if (table.definition.columns.size() == 1 && hasRows(file_, table.definition))
    throw engineError(3282);
  if (const LongValueMaps* maps = table.definition.longValueMapsOf(column->number)) {
    removeUsageMap(file_, maps->freePages, false);
    removeUsageMap(file_, maps->usedPages, true);
    const uint16_t number = column->number;
    std::erase_if(table.definition.longValueMaps,
                  [&](const LongValueMaps& m) { return m.column == number; });
  }
  const std::string stored = findColumn(table.definition, field)->name;
  removeColumn(table.definition, stored);
  saveDefinition(file_, table);
  if (table.columnProperties(stored) != nullptr) {
    setColumnProperties(table, stored, {});
    saveProperties(file_, table);
  }
  change.commit();
}

void SchemaWriter::changeField(const std::string& name, const std::string& field,
                               const FieldRecord& changed) {
  PageTransaction change(file_);
  SchemaTable table = openTable(file_, name);
  const ColumnDef* column = findColumn(table.definition, field);
  if (column == nullptr) throw engineError(3265);
  const std::string stored = column->name;
  const int oldType = engineType(*column);
  const int oldSize = engineSize(*column);
  const bool fixed = column->fixed();
  if (oldType != changed.type || oldSize != storedSize(changed.type, changed.size) ||
      (changed.type == DataType::Text && fixed != bool(changed.attributes & FieldAttribute::Fixed)))
    changeColumnType(file_, table, stored, changed);
  if (stored != changed.name) {
    const ColumnDef* other = findColumn(table.definition, changed.name);
    if (other != nullptr && other->name != stored) throw engineError(3191);
    for (ColumnDef& c : table.definition.columns) {
      if (c.name == stored) c.name = changed.name;
    }
    if (PropertySet* set = table.columnProperties(stored)) set->objectName = changed.name;
  }
  saveDefinition(file_, table);
  setColumnProperties(table, changed.name,
                      storedProperties(changed, table.columnProperties(changed.name)));
  saveProperties(file_, table);
  change.commit();
}

void SchemaWriter::addIndex(const std::string& name, const IndexRecord& index) {
  PageTransaction change(file_);
  SchemaTable table = openTable(file_, name);
  TableDefinition& definition = table.definition;
  const size_t physical = addIndexDefinition(file_, definition, index);
  newIndexTree(file_, definition.page, definition.physicalIndexes[physical],
               {definition.usedPages});
  buildIndex(file_, definition, physical);
  saveDefinition(file_, table);
  change.commit();
}

void SchemaWriter::dropIndex(const std::string& name, const std::string& index) {
  PageTransaction change(file_);
  SchemaTable table = openTable(file_, name);
  const std::vector<LogicalIndex>& logical = table.definition.logicalIndexes;
  const auto found = std::find_if(logical.begin(), logical.end(),
                                  [&](const LogicalIndex& l) { return sameName(l.name, index); });
  if (found == logical.end()) throw engineError(3265);
  // A relationship's own index cannot go, nor the index of the keys it
  // refers to (the relationship's index on that table shares its tree).
  // An index that only shares its tree with the referring side's can: the
  // tree stays for the relationship.
  if (found->foreign() || std::any_of(logical.begin(), logical.end(), [&](const LogicalIndex& l) {
        return l.foreign() && l.relatedTableKind == kReferredTo && l.physical == found->physical;
      }))
    throw engineError(3281);
  dropIndexDefinition(file_, table.definition, index);
  saveDefinition(file_, table);
  change.commit();
}

void SchemaWriter::createQuery(const std::string& name, const std::string& sql) {
  const QueryDescription query = describeQuery(sql);
  PageTransaction change(file_);
  const std::vector<CatalogEntry> catalog = readSystemCatalog(file_);
  if (findObject(catalog, name) != nullptr) throw engineError(3012, {name});
  CatalogRow row;
  row.name = name;
  row.type = ObjectType::Query;
  row.flags = queryObjectFlags(query.kind);
  const int32_t id = CatalogWriter(file_).add(row);
  storeQueryRows(file_, catalog, id, query.rows);
  change.commit();
}

void SchemaWriter::deleteQuery(const std::string& name) {
  PageTransaction change(file_);
  const std::vector<CatalogEntry> catalog = readSystemCatalog(file_);
  const CatalogEntry* entry = findObject(catalog, name);
  if (entry == nullptr || entry->type != ObjectType::Query) throw engineError(3265);
  removeRowsOf(file_, catalog, "MSysQueries", entry->id);
  removeRowsOf(file_, catalog, "MSysACEs", entry->id);
  CatalogWriter(file_).remove(*entry);
  change.commit();
}

void SchemaWriter::addRelation(const RelationRecord& relation) {
  PageTransaction change(file_);
  addRelationship(file_, relation);
  change.commit();
}

void SchemaWriter::dropRelation(const std::string& name) {
  PageTransaction change(file_);
  dropRelationship(file_, name);
  change.commit();
}

void SchemaWriter::setTableProperties(const std::string& name,
                                      const std::vector<StoredProperty>& properties) {
  PageTransaction change(file_);
  SchemaTable table = openTable(file_, name);
  std::erase_if(table.properties, [](const PropertySet& set) { return set.forObject; });
  if (!properties.empty())
    table.properties.insert(table.properties.begin(), {"", true, properties});
  saveProperties(file_, table);
  change.commit();
}

}  // namespace telvarn::mdb
