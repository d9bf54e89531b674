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
  Database = 2,
  Container = 3,
  OdbcLink = 4,
  Query = 5,
  FileLink = 6,
  Relationship = 8,
};
}  // namespace ObjectType

namespace ObjectFlag {
enum : uint32_t { System = 0x80000000, Hidden = 0x00000002, FileLink = 0x00200000 };
}

// The ids of the containers and of the database object every file has.
namespace CatalogId {
enum : int32_t {
  Root = 0x0F000000,
  Tables = 0x0F000001,
  Databases = 0x0F000002,
  Relationships = 0x0F000003,
  Database = 0x10000000,
};
}  // namespace CatalogId

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
