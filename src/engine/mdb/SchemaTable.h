// SchemaTable: a table of the file as a schema change sees it: its catalog
// entry, its definition and the property sets of its block, read inside the
// change's transaction and written back when the change is made.
#pragma once

#include <string>
#include <vector>

#include "engine/mdb/PageFile.h"
#include "engine/mdb/PropertyBlock.h"
#include "engine/mdb/SystemCatalog.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

struct SchemaTable {
  CatalogEntry entry;
  TableDefinition definition;
  std::vector<PropertySet> properties;
  std::vector<std::string> propertyNames;  // the block's list, kept when it is written back

  // The set of the column named `name`; nullptr when it has none.
  PropertySet* columnProperties(const std::string& name);
};

// The catalog entry of the table, link or query named `name`; nullptr when
// there is none.
const CatalogEntry* findObject(const std::vector<CatalogEntry>& catalog, const std::string& name);

// The local table named `name`: 3265 when the file has none (a link is
// none either).
SchemaTable openTable(PageFile& file, const std::string& name);

// Writes the definition back (see DefinitionWriter.h).
void saveDefinition(PageFile& file, SchemaTable& table);
// Writes the property block back into the table's catalog row.
void saveProperties(PageFile& file, const SchemaTable& table);

}  // namespace telvarn::mdb
