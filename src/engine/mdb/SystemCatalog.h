// SystemCatalog: the rows of MSysObjects, the table of every object in the
// file (its definition always starts on page 2). Only what the catalog needs
// to find objects is kept; property blocks are read again when asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

namespace ObjectType {
enum : int {
  Table = 1,
  OdbcLink = 4,
  Query = 5,
  FileLink = 6,
};
}  // namespace ObjectType

namespace ObjectFlag {
enum : uint32_t { System = 0x80000000, Hidden = 0x00000002 };
}

struct CatalogEntry {
  int32_t id = 0;
  int32_t parentId = 0;
  std::string name;
  int type = 0;
  uint32_t flags = 0;
  std::string database;
  std::string connect;
  std::string foreignName;
  uint32_t row = 0;  // where the entry's row is, to read its properties

  // A local table's definition starts on the page in the id's low bytes.
  uint32_t definitionPage() const { return static_cast<uint32_t>(id) & 0x00FFFFFF; }
  bool system() const { return (flags & (ObjectFlag::System | ObjectFlag::Hidden)) != 0; }
  bool table() const {
    return type == ObjectType::Table || type == ObjectType::FileLink ||
           type == ObjectType::OdbcLink;
  }
};

constexpr uint32_t kCatalogDefinitionPage = 2;

std::vector<CatalogEntry> readSystemCatalog(PageSource& pages);

// The LvProp bytes of the entry whose row is at `row` (empty when none).
std::vector<uint8_t> readPropertyBytes(PageSource& pages, uint32_t row);

}  // namespace telvarn::mdb
