#include "engine/mdb/MdbStorage.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/mdb/FileCheck.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/QueryText.h"
#include "engine/mdb/RecordMapping.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/TableScan.h"

namespace telvarn::mdb {
namespace {

bool isTable(const CatalogEntry& entry) {
  return entry.table();
}
bool isQuery(const CatalogEntry& entry) {
  return entry.type == ObjectType::Query;
}

[[noreturn]] void readOnly() {
  throw engineError(3027);
}

std::string linkConnect(const CatalogEntry& entry) {
  if (entry.type == ObjectType::FileLink) return entry.connect + ";DATABASE=" + entry.database;
  return entry.connect;
}

}  // namespace

MdbStorage::MdbStorage(const std::string& path)
    : MdbStorage(path, std::make_unique<PageFile>(path, kPageSize)) {}

MdbStorage::MdbStorage(std::string path, std::unique_ptr<PageSource> pages)
    : path_(std::move(path)), pages_(std::move(pages)) {
  header_ = readFileHeader(*pages_, path_);
  catalog_ = readSystemCatalog(*pages_);
}

const CatalogEntry* MdbStorage::find(const std::string& name,
                                     bool (*kind)(const CatalogEntry&)) const {
  for (const CatalogEntry& entry : catalog_) {
    if (kind(entry) && sameName(entry.name, name)) return &entry;
  }
  return nullptr;
}

const CatalogEntry& MdbStorage::localTable(const std::string& name) {
  const CatalogEntry* entry = find(name, isTable);
  if (entry == nullptr) throw engineError(3078, {name});
  if (entry->type != ObjectType::Table) throw engineError(3251);
  return *entry;
}

std::vector<PropertySet> MdbStorage::propertySets(const CatalogEntry& entry) {
  const std::vector<uint8_t> bytes = readPropertyBytes(*pages_, entry.row);
  return readPropertyBlock(ByteView(bytes));
}

const TableDefinition& MdbStorage::definition(const std::string& table) {
  const CatalogEntry& entry = localTable(table);
  auto found = definitions_.find(entry.definitionPage());
  if (found == definitions_.end()) {
    found =
        definitions_
            .emplace(entry.definitionPage(), readTableDefinition(*pages_, entry.definitionPage()))
            .first;
  }
  return found->second;
}

std::optional<TableRecord> MdbStorage::findTable(const std::string& name) {
  const CatalogEntry* entry = find(name, isTable);
  if (entry == nullptr) return std::nullopt;
  TableRecord record;
  record.name = entry->name;
  if (entry->type != ObjectType::Table) {
    record.kind = entry->type == ObjectType::FileLink ? TableKind::Linked : TableKind::LinkedOdbc;
    record.connect = linkConnect(*entry);
    record.sourceTableName = entry->foreignName;
    return record;
  }
  describeTable(definition(entry->name), propertySets(*entry), record);
  return record;
}

std::vector<std::string> MdbStorage::tableNames() {
  std::vector<std::string> names;
  for (const CatalogEntry& entry : catalog_) {
    if (entry.table() && !entry.system()) names.push_back(entry.name);
  }
  return names;
}

std::optional<QueryRecord> MdbStorage::findQuery(const std::string& name) {
  const CatalogEntry* entry = find(name, isQuery);
  if (entry == nullptr) return std::nullopt;
  return QueryRecord{entry->name, storedQuerySql(*pages_, catalog_, entry->id)};
}

std::vector<std::string> MdbStorage::queryNames() {
  std::vector<std::string> names;
  for (const CatalogEntry& entry : catalog_) {
    if (isQuery(entry)) names.push_back(entry.name);
  }
  return names;
}

void MdbStorage::forEachRow(const std::string& table, const RowVisitor& visit) {
  const TableDefinition& def = definition(table);
  const RowDecoder decoder(*pages_, def);
  forEachStoredRow(*pages_, def,
                   [&](uint32_t, ByteView row) { return visit(decoder.decode(row)); });
}

std::vector<std::string> MdbStorage::check() {
  return checkFile(*pages_);
}

uint32_t MdbStorage::rowCount(const std::string& table) {
  return definition(table).rowCount;
}

std::vector<StoredProperty> MdbStorage::tableProperties(const std::string& table) {
  for (PropertySet& set : propertySets(localTable(table))) {
    if (set.forObject) return std::move(set.properties);
  }
  return {};
}

// A change the file would refuse for what it holds is refused for that
// first, as on any database, so that a script line applied before stays
// quiet; every other change is refused because nothing writes yet.
void MdbStorage::createTable(const TableRecord& table) {
  if (findTable(table.name) || findQuery(table.name)) throw engineError(3010, {table.name});
  readOnly();
}
void MdbStorage::dropTable(const std::string& name) {
  if (!findTable(name)) throw engineError(3376, {name});
  readOnly();
}
void MdbStorage::addField(const std::string& table, const FieldRecord& field) {
  const std::optional<TableRecord> found = findTable(table);
  if (!found) throw engineError(3265);
  for (const FieldRecord& existing : found->fields) {
    if (sameName(existing.name, field.name)) throw engineError(3191);
  }
  readOnly();
}
void MdbStorage::deleteField(const std::string& table, const std::string& field) {
  const std::optional<TableRecord> found = findTable(table);
  if (!found) throw engineError(3265);
  if (std::none_of(found->fields.begin(), found->fields.end(),
                   [&](const FieldRecord& f) { return sameName(f.name, field); })) {
    throw engineError(3265);
  }
  readOnly();
}
void MdbStorage::changeField(const std::string&, const std::string&, const FieldRecord&) {
  readOnly();
}
void MdbStorage::addIndex(const std::string&, const IndexRecord&) {
  readOnly();
}
void MdbStorage::dropIndex(const std::string&, const std::string&) {
  readOnly();
}
void MdbStorage::createQuery(const QueryRecord& query) {
  if (findQuery(query.name) || findTable(query.name)) throw engineError(3012, {query.name});
  readOnly();
}
void MdbStorage::deleteQuery(const std::string&) {
  readOnly();
}
void MdbStorage::executeData(const jetsql::DataStatement&) {
  readOnly();
}

}  // namespace telvarn::mdb
