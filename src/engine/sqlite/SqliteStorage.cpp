#include "engine/sqlite/SqliteStorage.h"

#include <algorithm>
#include <cctype>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/sqlite/AutoNumbers.h"
#include "engine/sqlite/CatalogTables.h"
#include "engine/sqlite/Dependents.h"
#include "engine/sqlite/DialectFunctions.h"
#include "engine/sqlite/FileLayout.h"
#include "engine/sqlite/ForeignObjects.h"
#include "engine/sqlite/PhysicalSchema.h"
#include "engine/sqlite/RelationCatalog.h"
#include "engine/sqlite/TextOrder.h"

namespace telvarn::sqlite {
namespace {

void prepareConnection(Connection& connection) {
  registerDialectFunctions(connection.handle());
}

}  // namespace

// The triggers other tools put on the catalog tables are set aside while
// the change runs.
class SqliteStorage::CatalogChange {
 public:
  explicit CatalogChange(SqliteStorage& storage)
      : storage_(storage), transaction_(storage.connection_) {
    storage.catalogTriggers_.setAside();
  }
  void commit() {
    storage_.catalogTriggers_.restore();
    transaction_.commit();
    storage_.catalogTriggers_.committed();
  }

 private:
  SqliteStorage& storage_;
  Transaction transaction_;
};

// The views and triggers the engine made on tables are set aside too and
// made again before the change commits; a change that only adds to
// `grown` (the table, or a field of it) leaves them standing when they are
// known.
class SqliteStorage::TableChange {
 public:
  explicit TableChange(SqliteStorage& storage, std::string grown = "")
      : storage_(storage),
        grown_(storage.dependents_.known() ? std::move(grown) : ""),
        change_(storage) {
    if (grown_.empty()) storage.dependents_.dropAll();
  }
  void commit() {
    if (grown_.empty()) {
      storage_.dependents_.createAll();
    } else {
      storage_.dependents_.createFor(grown_);
    }
    change_.commit();
    storage_.dependents_.committed();
  }

 private:
  SqliteStorage& storage_;
  std::string grown_;
  CatalogChange change_;
};

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
  const std::optional<catalog::ObjectEntry> entry = findObject(name);
  if (!entry || (entry->type != catalog::kTable && entry->type != catalog::kLink)) {
    return std::nullopt;
  }
  TableRecord table;
  table.name = entry->name;
  table.kind = entry->type == catalog::kLink ? TableKind::Linked : TableKind::Local;
  table.connect = entry->connect;
  table.sourceTableName = entry->foreignName;
  table.fields = catalog::readFields(connection_, table.name);
  autonumbers::read(connection_, table.name, table.fields);
  table.indexes = catalog::readIndexes(connection_, table.name);
  return table;
}

std::optional<catalog::ObjectEntry> SqliteStorage::findObject(const std::string& name) {
  const Connection::Stamp now = connection_.stamp();
  if (absent_ && absent_->first == name && absent_->second == now) return std::nullopt;
  std::optional<catalog::ObjectEntry> entry = catalog::findObject(connection_, name);
  if (entry) {
    absent_.reset();
  } else {
    absent_.emplace(name, now);
  }
  return entry;
}

std::vector<std::string> SqliteStorage::tableNames() {
  return catalog::objectNames(connection_, catalog::kTable, catalog::kLink);
}

TableRecord SqliteStorage::existingTable(const std::string& name) {
  std::optional<TableRecord> table = findTable(name);
  if (!table || table->kind != TableKind::Local) throw engineError(3000, {"no table " + name});
  return *table;
}

void SqliteStorage::createTable(const TableRecord& table) {
  TableChange transaction(*this, table.name);
  const bool linked = table.kind == TableKind::Linked;
  catalog::insertObject(connection_, {table.name, linked ? catalog::kLink : catalog::kTable,
                                      table.connect, table.sourceTableName, ""});
  if (!linked && !table.fields.empty())
    physical::createTable(connection_, table.name, table.fields);
  for (const FieldRecord& field : table.fields) {
    catalog::insertField(connection_, table.name, field);
    if (!linked && field.autoNumber()) autonumbers::add(connection_, table.name, field);
  }
  for (const IndexRecord& index : table.indexes) {
    physical::createIndex(connection_, table.name, table.fields, index);
    catalog::insertIndex(connection_, table.name, index);
  }
  transaction.commit();
}

void SqliteStorage::dropTable(const std::string& name) {
  TableChange transaction(*this);
  physical::dropTable(connection_, name);
  catalog::deleteObject(connection_, name);
  autonumbers::removeTable(connection_, name);
  transaction.commit();
}

void SqliteStorage::addField(const std::string& tableName, const FieldRecord& field) {
  TableChange transaction(*this, tableName);
  const TableRecord table = existingTable(tableName);
  if (table.fields.empty()) {
    physical::createTable(connection_, table.name, {field});
  } else {
    physical::addColumn(connection_, table.name, field);
  }
  catalog::insertField(connection_, table.name, field);
  if (field.autoNumber()) autonumbers::add(connection_, table.name, field);
  transaction.commit();
}

void SqliteStorage::deleteField(const std::string& tableName, const std::string& fieldName) {
  TableChange transaction(*this);
  const TableRecord table = existingTable(tableName);
  // The last field goes with the SQLite table (the object model keeps
  // rows from going with it), and so would another tool's index or
  // trigger on the table.
  if (table.fields.size() == 1) {
    if (!foreign::on(connection_, table.name).empty()) throw engineError(3280);
    physical::dropTable(connection_, table.name);
  } else if (!physical::dropColumn(connection_, table.name, fieldName)) {
    throw engineError(3280);
  }
  catalog::deleteField(connection_, table.name, fieldName);
  autonumbers::remove(connection_, table.name, fieldName);
  transaction.commit();
}

void SqliteStorage::changeField(const std::string& tableName, const std::string& fieldName,
                                const FieldRecord& changed) {
  TableChange transaction(*this);
  // A link's field changes in its own properties alone (the object model
  // sees to that), kept in the catalog.
  const std::optional<TableRecord> found = findTable(tableName);
  if (!found) throw engineError(3000, {"no table " + tableName});
  const TableRecord& table = *found;
  const auto field =
      std::find_if(table.fields.begin(), table.fields.end(),
                   [&](const FieldRecord& f) { return sameName(f.name, fieldName); });
  if (field == table.fields.end()) throw engineError(3000, {"no field " + fieldName});
  if (field->name != changed.name) {
    if (!physical::renameColumn(connection_, table.name, field->name, changed.name))
      throw engineError(3211, {table.name});
    relations::renameField(connection_, table.name, field->name, changed.name);
    autonumbers::renameField(connection_, table.name, field->name, changed.name);
  }
  if (field->type != changed.type || field->size != changed.size) {
    std::vector<FieldRecord> after = table.fields;
    after[static_cast<size_t>(field - table.fields.begin())] = changed;
    physical::changeColumnType(connection_, table.name, after, changed, field->type, table.indexes);
  }
  if (field->autoNumber() != changed.autoNumber()) {
    if (changed.autoNumber()) {
      autonumbers::adopt(connection_, table.name, changed);
    } else {
      autonumbers::remove(connection_, table.name, changed.name);
    }
  }
  catalog::updateField(connection_, table.name, field->name, changed);
  transaction.commit();
}

void SqliteStorage::addIndex(const std::string& tableName, const IndexRecord& index) {
  CatalogChange transaction(*this);
  const TableRecord table = existingTable(tableName);
  if (index.primary || index.required) {
    if (physical::anyNull(connection_, table.name, index.columns)) throw engineError(3058);
  }
  physical::createIndex(connection_, table.name, table.fields, index);
  catalog::insertIndex(connection_, table.name, index);
  transaction.commit();
}

void SqliteStorage::dropIndex(const std::string& tableName, const std::string& indexName) {
  CatalogChange transaction(*this);
  physical::dropIndex(connection_, tableName, indexName);
  catalog::deleteIndex(connection_, tableName, indexName);
  transaction.commit();
}

std::optional<QueryRecord> SqliteStorage::findQuery(const std::string& name) {
  const std::optional<catalog::ObjectEntry> entry = findObject(name);
  if (!entry || entry->type != catalog::kQuery) return std::nullopt;
  return QueryRecord{entry->name, entry->sql};
}

std::vector<std::string> SqliteStorage::queryNames() {
  return catalog::objectNames(connection_, catalog::kQuery, catalog::kQuery);
}

void SqliteStorage::createQuery(const QueryRecord& query) {
  CatalogChange transaction(*this);
  catalog::insertObject(connection_, {query.name, catalog::kQuery, "", "", query.sql});
  createView(*this, query);
  transaction.commit();
}

void SqliteStorage::deleteQuery(const std::string& name) {
  CatalogChange transaction(*this);
  connection_.exec("DROP VIEW IF EXISTS " + Connection::quote(name));
  catalog::deleteObject(connection_, name);
  transaction.commit();
}

std::vector<RelationRecord> SqliteStorage::relations() {
  ReadTransaction read(connection_);
  return relations::readAll(connection_);
}

void SqliteStorage::addRelation(const RelationRecord& relation) {
  CatalogChange transaction(*this);
  if (relations::anyOrphan(connection_, relation))
    throw engineError(3201, {relation.referencedTable});
  relations::insert(connection_, relation);
  relations::createTriggers(connection_, relation);
  transaction.commit();
}

void SqliteStorage::dropRelation(const std::string& name) {
  TableChange transaction(*this);
  relations::remove(connection_, name);
  transaction.commit();
}

void SqliteStorage::begin() {
  transactions_.push_back(std::make_unique<Transaction>(connection_));
}

void SqliteStorage::commit() {
  const std::unique_ptr<Transaction> transaction = std::move(transactions_.back());
  transactions_.pop_back();
  transaction->commit();
}

void SqliteStorage::rollBack() {
  transactions_.pop_back();
}

}  // namespace telvarn::sqlite
