#include "engine/sqlite/SqliteStorage.h"

#include <algorithm>
#include <cctype>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/sqlite/CatalogTables.h"
#include "engine/sqlite/Dependents.h"
#include "engine/sqlite/FileLayout.h"
#include "engine/sqlite/DialectFunctions.h"
#include "engine/sqlite/ForeignObjects.h"
#include "engine/sqlite/PhysicalSchema.h"
#include "engine/sqlite/RelationCatalog.h"
#include "engine/sqlite/TextOrder.h"

namespace telvarn::sqlite {
namespace {

// Whether `changed` differs from `field` in its user-defined properties
// (Caption, say) alone, the only part of a link's field that is its own.
bool onlyPropertiesDiffer(const FieldRecord& field, const FieldRecord& changed) {
  return field.name == changed.name && field.type == changed.type &&
         field.size == changed.size && field.attributes == changed.attributes &&
         field.defaultValue == changed.defaultValue &&
         field.allowZeroLength == changed.allowZeroLength && field.required == changed.required;
}

// The stored record of a local table, or 3265 when there is none.
TableRecord requireTable(SqliteStorage& storage, const std::string& name) {
  std::optional<TableRecord> table = storage.findTable(name);
  if (!table || table->kind != TableKind::Local) throw engineError(3265);
  return *table;
}

std::vector<FieldRecord>::const_iterator findField(const TableRecord& table,
                                                   const std::string& name) {
  return std::find_if(table.fields.begin(), table.fields.end(),
                      [&](const FieldRecord& f) { return sameName(f.name, name); });
}

bool indexUses(const IndexRecord& index, const std::string& field) {
  return std::any_of(index.columns.begin(), index.columns.end(),
                     [&](const IndexColumn& c) { return sameName(c.field, field); });
}

// A change of the catalog, in one transaction, with the triggers other
// tools put on the catalog tables set aside while it runs.
class CatalogChange {
 public:
  explicit CatalogChange(Connection& connection)
      : transaction_(connection), triggers_(connection) {}
  void commit() {
    triggers_.restore();
    transaction_.commit();
  }

 private:
  Transaction transaction_;
  foreign::CatalogTriggersAside triggers_;
};

// A change of a table, with the views and triggers the engine made on
// tables set aside too and made again before it commits.
class TableChange {
 public:
  explicit TableChange(SqliteStorage& storage) : storage_(storage), change_(storage.connection()) {
    dependents::dropAll(storage.connection());
  }
  void commit() {
    dependents::createAll(storage_);
    change_.commit();
  }

 private:
  SqliteStorage& storage_;
  CatalogChange change_;
};

bool related(SqliteStorage& storage, const std::string& table, const std::string& field = "") {
  const auto all = storage.relations();
  return std::any_of(all.begin(), all.end(),
                     [&](const RelationRecord& r) { return relations::uses(r, table, field); });
}

void prepareConnection(Connection& connection) {
  registerDialectFunctions(connection.handle());
}

}  // namespace

SqliteStorage::SqliteStorage(const std::string& path) : connection_(path) {
  prepareConnection(connection_);
  // Reading the schema is the first access to the file: it finds out whether
  // the file is a database at all and whether another process has it locked.
  if (!catalog::exists(connection_)) {
    Transaction transaction(connection_);
    if (!catalog::exists(connection_)) catalog::createTables(connection_);
    transaction.commit();
  }
  // A file of an earlier layout is read as it is and brought up to date
  // with its first change.
  updateLayoutAtFirstWrite(*this);
}

void SqliteStorage::create(const std::string& path) {
  Connection connection(path, true);
  Transaction transaction(connection);
  catalog::createTables(connection);
  transaction.commit();
}

std::optional<TableRecord> SqliteStorage::findTable(const std::string& name) {
  ReadTransaction read(connection_);
  // A record read before is good while neither this connection nor another
  // has changed the file's catalog since; within a transaction that changed
  // it, nothing is taken from or put in the cache.
  const bool trusted = !connection_.catalogChangedInTransaction();
  const int64_t version = connection_.queryInteger("PRAGMA data_version").value_or(-1);
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (trusted) {
    const auto hit = tables_.find(key);
    if (hit != tables_.end() && hit->second.catalogChanges == connection_.catalogChanges() &&
        hit->second.dataVersion == version) {
      return hit->second.record;
    }
  }
  std::optional<TableRecord> table = readTable(name);
  if (trusted && table) tables_[key] = {*table, connection_.catalogChanges(), version};
  return table;
}

std::optional<TableRecord> SqliteStorage::readTable(const std::string& name) {
  const std::optional<catalog::ObjectEntry> entry = catalog::findObject(connection_, name);
  if (!entry || (entry->type != catalog::kTable && entry->type != catalog::kLink)) {
    return std::nullopt;
  }
  TableRecord table;
  table.name = entry->name;
  table.kind = entry->type == catalog::kLink ? TableKind::Linked : TableKind::Local;
  table.connect = entry->connect;
  table.sourceTableName = entry->foreignName;
  table.fields = catalog::readFields(connection_, table.name);
  table.indexes = catalog::readIndexes(connection_, table.name);
  return table;
}

std::vector<std::string> SqliteStorage::tableNames() {
  return catalog::objectNames(connection_, catalog::kTable, catalog::kLink);
}

void SqliteStorage::createTable(const TableRecord& table) {
  TableChange transaction(*this);
  if (catalog::findObject(connection_, table.name)) throw engineError(3010, {table.name});
  const bool linked = table.kind == TableKind::Linked;
  catalog::insertObject(connection_, {table.name, linked ? catalog::kLink : catalog::kTable,
                                      table.connect, table.sourceTableName, ""});
  if (!linked && !table.fields.empty())
    physical::createTable(connection_, table.name, table.fields);
  for (const FieldRecord& field : table.fields)
    catalog::insertField(connection_, table.name, field);
  for (const IndexRecord& index : table.indexes) {
    physical::createIndex(connection_, table.name, table.fields, index);
    catalog::insertIndex(connection_, table.name, index);
  }
  transaction.commit();
}

void SqliteStorage::dropTable(const std::string& name) {
  TableChange transaction(*this);
  const std::optional<TableRecord> table = findTable(name);
  if (!table) throw engineError(3376, {name});
  if (related(*this, table->name)) throw engineError(3281);
  if (table->kind == TableKind::Local) physical::dropTable(connection_, table->name);
  catalog::deleteObject(connection_, table->name);
  transaction.commit();
}

void SqliteStorage::addField(const std::string& tableName, const FieldRecord& field) {
  TableChange transaction(*this);
  const TableRecord table = requireTable(*this, tableName);
  if (findField(table, field.name) != table.fields.end()) throw engineError(3191);
  if (table.fields.empty()) {
    physical::createTable(connection_, table.name, {field});
  } else {
    physical::addColumn(connection_, table.name, field);
  }
  catalog::insertField(connection_, table.name, field);
  transaction.commit();
}

void SqliteStorage::deleteField(const std::string& tableName, const std::string& fieldName) {
  TableChange transaction(*this);
  const TableRecord table = requireTable(*this, tableName);
  const auto field = findField(table, fieldName);
  if (field == table.fields.end()) throw engineError(3265);
  if (related(*this, table.name, field->name)) throw engineError(3303);
  for (const IndexRecord& index : table.indexes) {
    if (indexUses(index, fieldName)) throw engineError(3280);
  }
  // The last field goes with the SQLite table, so only while it holds no
  // row: a row never disappears as a side effect.
  if (table.fields.size() == 1) {
    if (physical::hasRows(connection_, table.name)) throw engineError(3282);
    // Another tool's index or trigger on the table would go with it.
    if (!foreign::on(connection_, table.name).empty()) throw engineError(3280);
    physical::dropTable(connection_, table.name);
  } else if (!physical::dropColumn(connection_, table.name, field->name)) {
    throw engineError(3280);
  }
  catalog::deleteField(connection_, table.name, field->name);
  transaction.commit();
}

void SqliteStorage::changeField(const std::string& tableName, const std::string& fieldName,
                                const FieldRecord& changed) {
  TableChange transaction(*this);
  const std::optional<TableRecord> found = findTable(tableName);
  if (!found) throw engineError(3265);
  const TableRecord& table = *found;
  const auto field = findField(table, fieldName);
  if (field == table.fields.end()) throw engineError(3265);
  if (table.kind != TableKind::Local && !onlyPropertiesDiffer(*field, changed))
    throw engineError(3219);
  if (field->name != changed.name) {
    const auto clash = findField(table, changed.name);
    if (clash != table.fields.end() && clash != field) throw engineError(3191);
    if (!physical::renameColumn(connection_, table.name, field->name, changed.name))
      throw engineError(3211, {table.name});
    relations::renameField(connection_, table.name, field->name, changed.name);
  }
  if (field->type != changed.type || field->size != changed.size) {
    if (!isFieldType(changed.type)) throw engineError(3259);
    std::vector<FieldRecord> after = table.fields;
    after[static_cast<size_t>(field - table.fields.begin())] = changed;
    physical::changeColumnType(connection_, table.name, after, changed, field->type,
                               table.indexes);
  }
  catalog::updateField(connection_, table.name, field->name, changed);
  transaction.commit();
}

void SqliteStorage::addIndex(const std::string& tableName, const IndexRecord& index) {
  CatalogChange transaction(connection_);
  const TableRecord table = requireTable(*this, tableName);
  if (index.columns.empty()) throw engineError(3264);
  for (const IndexRecord& existing : table.indexes) {
    if (index.primary && existing.primary) throw engineError(3283);
    if (sameName(existing.name, index.name)) throw engineError(3284);
  }
  for (const IndexColumn& column : index.columns) {
    if (findField(table, column.field) == table.fields.end()) throw engineError(3265);
  }
  if (index.primary || index.required) {
    if (physical::anyNull(connection_, table.name, index.columns)) throw engineError(3058);
  }
  physical::createIndex(connection_, table.name, table.fields, index);
  catalog::insertIndex(connection_, table.name, index);
  transaction.commit();
}

void SqliteStorage::dropIndex(const std::string& tableName, const std::string& indexName) {
  CatalogChange transaction(connection_);
  const TableRecord table = requireTable(*this, tableName);
  const auto index =
      std::find_if(table.indexes.begin(), table.indexes.end(),
                   [&](const IndexRecord& i) { return sameName(i.name, indexName); });
  if (index == table.indexes.end()) throw engineError(3265);
  const auto all = relations();
  if (std::any_of(all.begin(), all.end(), [&](const RelationRecord& r) {
        return sameName(r.name, index->name) && sameName(r.table, table.name);
      }))
    throw engineError(3281);
  physical::dropIndex(connection_, table.name, index->name);
  catalog::deleteIndex(connection_, table.name, index->name);
  transaction.commit();
}

std::optional<QueryRecord> SqliteStorage::findQuery(const std::string& name) {
  const std::optional<catalog::ObjectEntry> entry = catalog::findObject(connection_, name);
  if (!entry || entry->type != catalog::kQuery) return std::nullopt;
  return QueryRecord{entry->name, entry->sql};
}

std::vector<std::string> SqliteStorage::queryNames() {
  return catalog::objectNames(connection_, catalog::kQuery, catalog::kQuery);
}

void SqliteStorage::createQuery(const QueryRecord& query) {
  CatalogChange transaction(connection_);
  if (catalog::findObject(connection_, query.name)) throw engineError(3012, {query.name});
  catalog::insertObject(connection_, {query.name, catalog::kQuery, "", "", query.sql});
  dependents::createView(*this, query);
  transaction.commit();
}

void SqliteStorage::deleteQuery(const std::string& name) {
  CatalogChange transaction(connection_);
  const std::optional<QueryRecord> query = findQuery(name);
  if (!query) throw engineError(3265);
  connection_.exec("DROP VIEW IF EXISTS " + Connection::quote(query->name));
  catalog::deleteObject(connection_, query->name);
  transaction.commit();
}

std::vector<RelationRecord> SqliteStorage::relations() {
  ReadTransaction read(connection_);
  return relations::readAll(connection_);
}

void SqliteStorage::addRelation(const RelationRecord& relation) {
  CatalogChange transaction(connection_);
  for (const RelationRecord& other : relations()) {
    if (sameName(other.name, relation.name)) throw engineError(3012, {relation.name});
  }
  if (relations::anyOrphan(connection_, relation))
    throw engineError(3201, {relation.referencedTable});
  relations::insert(connection_, relation);
  relations::createTriggers(connection_, relation);
  transaction.commit();
}

void SqliteStorage::dropRelation(const std::string& name) {
  TableChange transaction(*this);
  const auto all = relations();
  if (std::none_of(all.begin(), all.end(),
                   [&](const RelationRecord& r) { return sameName(r.name, name); }))
    throw engineError(3265);
  relations::remove(connection_, name);
  transaction.commit();
}

}  // namespace telvarn::sqlite
