#include "engine/mdb/MdbStorage.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/mdb/FileCheck.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/QueryText.h"
#include "engine/mdb/RecordMapping.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/SchemaWriter.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableWriter.h"

namespace telvarn::mdb {
namespace {

bool isTable(const CatalogEntry& entry) {
  return entry.table();
}
bool isQuery(const CatalogEntry& entry) {
  return entry.type == ObjectType::Query;
}

// More columns than any index may have.
constexpr size_t kMaxRelationColumns = 32;

// Nothing is written without a file.
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
  file_ = dynamic_cast<PageFile*>(pages_.get());
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
  const auto held = properties_.find(entry.row);
  if (held != properties_.end()) return held->second;
  const std::vector<uint8_t> bytes = readPropertyBytes(*pages_, entry.row);
  return properties_[entry.row] = readPropertyBlock(ByteView(bytes));
}

std::shared_ptr<const TableDefinition> MdbStorage::sharedDefinition(const std::string& table) {
  const CatalogEntry& entry = localTable(table);
  std::shared_ptr<const TableDefinition>& held = definitions_[entry.definitionPage()];
  if (!held)
    held = std::make_shared<const TableDefinition>(
        readTableDefinition(*pages_, entry.definitionPage()));
  return held;
}

const TableDefinition& MdbStorage::definition(const std::string& table) {
  return *sharedDefinition(table);
}

MdbStorage::~MdbStorage() = default;

TableWriter& MdbStorage::writer(const std::string& table) {
  if (file_ == nullptr) readOnly();
  // A statement writes one table row after row: the name it gave last time
  // needs no look-up (a change of the catalog lets the writer go).
  if (writer_ && writerGeneration_ == file_->generation() && table == writerTable_) return *writer_;
  const uint32_t page = localTable(table).definitionPage();
  writerTable_ = table;
  if (!writer_ || writer_->definition().page != page || writerGeneration_ != file_->generation()) {
    writer_.reset();
    writer_ = std::make_unique<TableWriter>(*file_, page);
    writerGeneration_ = file_->generation();
  }
  return *writer_;
}

void MdbStorage::rowsChanged() {
  definitions_.clear();
}

void MdbStorage::begin() {
  if (file_ == nullptr) readOnly();
  file_->begin();
}

void MdbStorage::commit() {
  if (file_ == nullptr) readOnly();
  file_->commit();
  // The writer serves one transaction (the next begins a new generation):
  // what it keeps decoded goes now rather than at the next write.
  if (file_->depth() == 0) writer_.reset();
}

void MdbStorage::rollBack() {
  if (file_ == nullptr) readOnly();
  file_->rollback();
  catalogChanged();
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

std::vector<std::string> MdbStorage::check() {
  return checkFile(*pages_);
}

std::vector<RelationRecord> MdbStorage::relations() {
  std::vector<RelationRecord> out;
  if (!findTable("MSysRelationships")) return out;
  // One row per pair of columns; icolumn orders a relationship's pairs.
  const auto text = [](const Variant& value) { return value.isNull() ? "" : value.toText(); };
  const std::unique_ptr<RowCursor> rows = scan("MSysRelationships");
  const TableDefinition& table = definition("MSysRelationships");
  const auto column = [&](const char* name) {
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (sameName(table.columns[i].name, name)) return i;
    }
    damaged(std::string("MSysRelationships without its column ") + name);
  };
  const size_t name = column("szRelationship"), object = column("szObject"),
               field = column("szColumn"), referenced = column("szReferencedObject"),
               referencedField = column("szReferencedColumn"), position = column("icolumn");
  while (rows->next()) {
    const std::vector<Variant>& row = rows->values();
    RelationRecord* relation = nullptr;
    for (RelationRecord& seen : out) {
      if (seen.name == text(row[name])) relation = &seen;
    }
    if (!relation) {
      out.push_back({text(row[name]), text(row[object]), {}, text(row[referenced]), {}});
      relation = &out.back();
    }
    const size_t at = row[position].isNull() ? relation->columns.size()
                                             : static_cast<size_t>(row[position].toInteger());
    if (at >= kMaxRelationColumns) damaged("a relationship column numbered " + std::to_string(at));
    if (relation->columns.size() <= at) {
      relation->columns.resize(at + 1);
      relation->referencedColumns.resize(at + 1);
    }
    relation->columns[at] = text(row[field]);
    relation->referencedColumns[at] = text(row[referencedField]);
  }
  return out;
}

std::vector<StoredProperty> MdbStorage::tableProperties(const std::string& table) {
  for (PropertySet& set : propertySets(localTable(table))) {
    if (set.forObject) return std::move(set.properties);
  }
  return {};
}

SchemaWriter MdbStorage::schema() {
  if (file_ == nullptr) readOnly();
  return SchemaWriter(*file_);
}

void MdbStorage::catalogChanged() {
  catalog_ = readSystemCatalog(*pages_);
  definitions_.clear();
  properties_.clear();
  writer_.reset();
}

template <typename Change>
void MdbStorage::changeSchema(Change&& change) {
  try {
    change(schema());
  } catch (...) {
    catalogChanged();
    throw;
  }
  catalogChanged();
}

void MdbStorage::createTable(const TableRecord& table) {
  changeSchema([&](SchemaWriter writer) { writer.createTable(table); });
}
void MdbStorage::dropTable(const std::string& name) {
  changeSchema([&](SchemaWriter writer) { writer.dropTable(name); });
}
void MdbStorage::addField(const std::string& table, const FieldRecord& field) {
  changeSchema([&](SchemaWriter writer) { writer.addField(table, field); });
}
void MdbStorage::deleteField(const std::string& table, const std::string& field) {
  changeSchema([&](SchemaWriter writer) { writer.deleteField(table, field); });
}
void MdbStorage::changeField(const std::string& table, const std::string& field,
                             const FieldRecord& changed) {
  changeSchema([&](SchemaWriter writer) { writer.changeField(table, field, changed); });
}
void MdbStorage::addIndex(const std::string& table, const IndexRecord& index) {
  changeSchema([&](SchemaWriter writer) { writer.addIndex(table, index); });
}
void MdbStorage::dropIndex(const std::string& table, const std::string& index) {
  changeSchema([&](SchemaWriter writer) { writer.dropIndex(table, index); });
}
void MdbStorage::createQuery(const QueryRecord& query) {
  changeSchema([&](SchemaWriter writer) { writer.createQuery(query.name, query.sql); });
}
void MdbStorage::deleteQuery(const std::string& name) {
  changeSchema([&](SchemaWriter writer) { writer.deleteQuery(name); });
}
void MdbStorage::addRelation(const RelationRecord& relation) {
  changeSchema([&](SchemaWriter writer) { writer.addRelation(relation); });
}
void MdbStorage::dropRelation(const std::string& name) {
  changeSchema([&](SchemaWriter writer) { writer.dropRelation(name); });
}

}  // namespace telvarn::mdb
