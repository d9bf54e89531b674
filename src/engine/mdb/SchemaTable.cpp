#include "engine/mdb/SchemaTable.h"

#include "engine/AppError.h"
#include "engine/Catalog.h"
#include "engine/mdb/CatalogWriter.h"
#include "engine/mdb/DefinitionWriter.h"

namespace telvarn::mdb {

PropertySet* SchemaTable::columnProperties(const std::string& name) {
  for (PropertySet& set : properties) {
    if (!set.forObject && sameName(set.objectName, name)) return &set;
  }
  return nullptr;
}

const CatalogEntry* findObject(const std::vector<CatalogEntry>& catalog, const std::string& name) {
  for (const CatalogEntry& entry : catalog) {
    if ((entry.table() || entry.type == ObjectType::Query) && entry.parentId == CatalogId::Tables &&
        sameName(entry.name, name))
      return &entry;
  }
  return nullptr;
}

SchemaTable openTable(PageFile& file, const std::string& name) {
  const std::vector<CatalogEntry> catalog = readSystemCatalog(file);
  const CatalogEntry* entry = findObject(catalog, name);
  if (entry == nullptr || entry->type != ObjectType::Table) throw engineError(3265);
  SchemaTable table{*entry, readTableDefinition(file, entry->definitionPage()), {}, {}};
  const std::vector<uint8_t> block = readPropertyBytes(file, entry->row);
  table.properties = readPropertyBlock(ByteView(block));
  table.propertyNames = propertyNames(ByteView(block));
  return table;
}

void saveDefinition(PageFile& file, SchemaTable& table) {
  writeTableDefinition(file, table.definition);
}

void saveProperties(PageFile& file, const SchemaTable& table) {
  CatalogWriter(file).setProperties(table.entry,
                                    encodePropertyBlock(table.properties, table.propertyNames));
}

}  // namespace telvarn::mdb
