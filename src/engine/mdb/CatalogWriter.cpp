#include "engine/mdb/CatalogWriter.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/Catalog.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/ColumnLayout.h"
#include "engine/values/Clock.h"

namespace telvarn::mdb {
namespace {

constexpr uint32_t kFirstObjectId = 0x80000000u;

Variant textOrNull(const std::string& text) {
  return text.empty() ? Variant::null() : Variant(text);
}

Variant bytesOrNull(const std::vector<uint8_t>& bytes) {
  return bytes.empty() ? Variant::null() : Variant(std::string(bytes.begin(), bytes.end()));
}

int32_t nextObjectId(const std::vector<CatalogEntry>& catalog) {
  uint32_t next = kFirstObjectId;
  for (const CatalogEntry& entry : catalog) {
    const auto id = static_cast<uint32_t>(entry.id);
    if (id >= kFirstObjectId) next = std::max(next, id + 1);
  }
  return static_cast<int32_t>(next);
}

}  // namespace

CatalogWriter::CatalogWriter(PageFile& file) : file_(file), table_(file, kCatalogDefinitionPage) {}

size_t CatalogWriter::column(const char* name) const {
  const TableDefinition& table = table_.definition();
  const ColumnDef* found = findColumn(table, name);
  if (found == nullptr) damaged(std::string("a catalog without its column ") + name);
  return static_cast<size_t>(found - table.columns.data());
}

void CatalogWriter::touch(std::vector<Variant>& values) {
  values[column("DateUpdate")] = Variant(values::systemClock().now());
}

int32_t CatalogWriter::add(CatalogRow row) {
  const std::vector<CatalogEntry> catalog = readSystemCatalog(file_);
  for (const CatalogEntry& entry : catalog) {
    if (entry.parentId == row.parentId && sameName(entry.name, row.name))
      throw engineError(3022);
  }
  if (row.id == 0) row.id = nextObjectId(catalog);
  if (row.owner.empty()) {
    for (const CatalogEntry& entry : catalog) {
      if (entry.id == CatalogId::Tables) {
        const Variant owner = table_.read(entry.row)[column("Owner")];
        if (!owner.isNull()) row.owner = owner.toText();
      }
    }
  }
  std::vector<Variant> values(table_.definition().columns.size(), Variant::null());
  values[column("Id")] = Variant(int64_t{row.id});
  values[column("ParentId")] = Variant(int64_t{row.parentId});
  values[column("Name")] = Variant(row.name);
  values[column("Type")] = Variant(row.type);
  values[column("DateCreate")] = Variant(values::systemClock().now());
  touch(values);
  values[column("Owner")] = textOrNull(row.owner);
  values[column("Flags")] = Variant(static_cast<int64_t>(static_cast<int32_t>(row.flags)));
  values[column("Database")] = textOrNull(row.database);
  values[column("Connect")] = textOrNull(row.connect);
  values[column("ForeignName")] = textOrNull(row.foreignName);
  values[column("LvProp")] = bytesOrNull(row.properties);
  table_.insert(std::move(values));
  return row.id;
}

void CatalogWriter::rename(const CatalogEntry& entry, const std::string& name) {
  std::vector<Variant> values(table_.definition().columns.size());
  values[column("Name")] = Variant(name);
  touch(values);
  table_.update(entry.row, std::move(values));
}

void CatalogWriter::setProperties(const CatalogEntry& entry, const std::vector<uint8_t>& block) {
  std::vector<Variant> values(table_.definition().columns.size());
  values[column("LvProp")] = bytesOrNull(block);
  touch(values);
  table_.update(entry.row, std::move(values));
}

void CatalogWriter::remove(const CatalogEntry& entry) {
  table_.remove(entry.row);
}

}  // namespace telvarn::mdb
