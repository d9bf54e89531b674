// CatalogWriter: the rows of MSysObjects, the file's catalog, changed
// through the catalog table's row interface, so that its indexes follow:
// an object added (a table, a link, a query, a relationship), renamed,
// given new properties, removed.
//
// A table's id is the page its definition starts on; every other object
// takes the next id after the highest one with the top bit set. Objects
// are owned by the owner of the Tables container (the file's creator) and
// dated now, as day numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/mdb/PageFile.h"
#include "engine/mdb/SystemCatalog.h"
#include "engine/mdb/TableWriter.h"

namespace telvarn::mdb {

struct CatalogRow {
  int32_t id = 0;  // 0: the next id of an object without a definition
  int32_t parentId = CatalogId::Tables;
  std::string name;
  int type = 0;
  uint32_t flags = 0;
  std::string owner;  // empty: the Tables container's owner
  std::string database;
  std::string connect;
  std::string foreignName;
  std::vector<uint8_t> properties;  // LvProp
};

class CatalogWriter {
 public:
  explicit CatalogWriter(PageFile& file);

  // Each within a transaction of the file; 3022 when the id or the name is
  // taken under the same parent.
  int32_t add(CatalogRow row);
  void rename(const CatalogEntry& entry, const std::string& name);
  void setProperties(const CatalogEntry& entry, const std::vector<uint8_t>& block);
  void remove(const CatalogEntry& entry);

 private:
  size_t column(const char* name) const;
  void touch(std::vector<Variant>& values);

  PageFile& file_;
  TableWriter table_;
};

}  // namespace telvarn::mdb
