#include "engine/model/Database.h"

#include <algorithm>
#include <utility>

#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/model/Execute.h"
#include "engine/model/QueryDef.h"
#include "engine/model/TableDef.h"

namespace telvarn {
namespace {

bool nameTaken(Storage& storage, const std::string& name) {
  return storage.findTable(name) || storage.findQuery(name);
}

bool hasField(const TableRecord& table, const std::string& name) {
  return std::any_of(table.fields.begin(), table.fields.end(),
                     [&](const FieldRecord& field) { return sameName(field.name, name); });
}

// A new table's own fields and indexes.
void checkNewTable(const TableRecord& table) {
  checkOneAutoNumber(table.fields);
  bool primary = false;
  for (const IndexRecord& index : table.indexes) {
    if (index.primary && std::exchange(primary, true)) throw engineError(3283);
    for (const IndexColumn& column : index.columns) {
      if (!hasField(table, column.field)) throw engineError(3265);
    }
  }
}

// The columns of one side of a relationship, as that table spells them.
std::vector<std::string> relatedFields(Storage& storage, const std::string& tableName,
                                       const std::vector<std::string>& names, std::string& stored) {
  const std::optional<TableRecord> table = storage.findTable(tableName);
  if (!table || table->kind != TableKind::Local) throw engineError(3265);
  stored = table->name;
  std::vector<std::string> fields;
  for (const std::string& name : names) {
    const auto found = std::find_if(table->fields.begin(), table->fields.end(),
                                    [&](const FieldRecord& f) { return sameName(f.name, name); });
    if (found == table->fields.end()) throw engineError(3265);
    fields.push_back(found->name);
  }
  return fields;
}

// The fields of `table` named `names` (spelled as it spells them).
std::vector<const FieldRecord*> fieldsNamed(const TableRecord& table,
                                            const std::vector<std::string>& names) {
  std::vector<const FieldRecord*> fields;
  for (const std::string& name : names) {
    fields.push_back(&*std::find_if(table.fields.begin(), table.fields.end(),
                                    [&](const FieldRecord& f) { return f.name == name; }));
  }
  return fields;
}

// A relationship joins fields of the same types (3368), and finds its keys
// through a unique index of the referenced table over exactly the
// referenced fields, in their order (3173 when there is none).
void checkRelatedFields(Storage& storage, const RelationRecord& relation) {
  const TableRecord child = *storage.findTable(relation.table);
  const TableRecord parent = *storage.findTable(relation.referencedTable);
  const auto from = fieldsNamed(child, relation.columns);
  const auto to = fieldsNamed(parent, relation.referencedColumns);
  for (size_t i = 0; i < from.size(); ++i) {
    if (from[i]->type != to[i]->type) throw engineError(3368);
  }
  for (const IndexRecord& index : parent.indexes) {
    if ((index.primary || index.unique) &&
        std::equal(relation.referencedColumns.begin(), relation.referencedColumns.end(),
                   index.columns.begin(), index.columns.end(),
                   [](const std::string& name, const IndexColumn& column) {
                     return sameName(name, column.field);
                   }))
      return;
  }
  throw engineError(3173);
}

}  // namespace

Database::Database(std::shared_ptr<Storage> storage, std::shared_ptr<jetsql::Executor> executor,
                   SourceOpener sources)
    : storage_(std::move(storage)), executor_(std::move(executor)), sources_(std::move(sources)) {}

Database::~Database() = default;

const std::string& Database::name() const {
  return storage_->path();
}

RowsAffected Database::execute(const std::string& sql) {
  return jetsql::execute(*this, sql);
}

std::shared_ptr<TableDef> Database::tableDef(const std::string& name) const {
  std::shared_ptr<TableDef> table = findTableDef(name);
  if (!table) throw engineError(3265);
  return table;
}

std::shared_ptr<TableDef> Database::findTableDef(const std::string& name) const {
  const std::optional<TableRecord> table = storage_->findTable(name);
  if (!table) return nullptr;
  // A link is found by its name whether or not its source can be read now:
  // a file made on another machine names sources by that machine's paths.
  // Its fields are then none.
  try {
    return std::make_shared<TableDef>(storage_, withLinkFields(*table));
  } catch (const AppError&) {
    return std::make_shared<TableDef>(storage_, *table);
  }
}

TableRecord Database::withLinkFields(TableRecord table) const {
  if (table.kind != TableKind::Linked || !table.fields.empty()) return table;
  // The storage keeps no copy of this link's fields: they are read from the
  // source as it is now. Their properties stay in the source; the link's
  // own (kept with the link, not read here) are none.
  const std::shared_ptr<TableDef> source =
      openSource(table.connect)->findTableDef(table.sourceTableName);
  if (!source) throw engineError(3011, {table.sourceTableName});
  table.fields = source->record().fields;
  for (FieldRecord& field : table.fields) field.properties.clear();
  return table;
}

std::vector<std::string> Database::tableDefNames() const {
  return storage_->tableNames();
}

std::shared_ptr<TableDef> Database::createTableDef(const std::string& name) const {
  return std::make_shared<TableDef>(name);
}

void Database::appendTableDef(const std::shared_ptr<TableDef>& table) {
  if (!table) throw engineError(91);
  if (table->appended()) throw engineError(3367);
  checkName(table->name());
  TableRecord record = table->record();
  if (record.kind == TableKind::Linked) {
    if (nameTaken(*storage_, record.name)) throw engineError(3012, {record.name});
    // A link must name a file that exists and a table that file has. It
    // keeps the source's fields as they are when it is made, with properties
    // of its own (a Caption, say); its rows and indexes stay in the source.
    const std::shared_ptr<TableDef> source =
        openSource(record.connect)->findTableDef(record.sourceTableName);
    if (!source) throw engineError(3011, {record.sourceTableName});
    record.fields = source->record().fields;
    record.indexes.clear();
  } else {
    for (FieldRecord& field : record.fields) field = fieldToSave(*storage_, field);
    checkNewTable(record);
  }
  telvarn::atomically(*storage_, [&] {
    if (nameTaken(*storage_, record.name)) throw engineError(3010, {record.name});
    storage_->createTable(record);
  });
  table->attach(storage_, withLinkFields(savedTable(*storage_, record.name)));
}

void Database::deleteTableDef(const std::string& name) {
  telvarn::atomically(*storage_, [&] {
    const TableRecord table = savedTable(*storage_, name);
    const std::vector<RelationRecord> all = storage_->relations();
    if (std::any_of(all.begin(), all.end(), [&](const RelationRecord& r) {
          return sameName(r.table, table.name) || sameName(r.referencedTable, table.name);
        }))
      throw engineError(3281);
    storage_->dropTable(table.name);
  });
}

std::shared_ptr<QueryDef> Database::createQueryDef(const std::string& name,
                                                   const std::string& sql) {
  checkName(name);
  jetsql::checkQueryText(sql);
  telvarn::atomically(*storage_, [&] {
    if (nameTaken(*storage_, name)) throw engineError(3012, {name});
    storage_->createQuery({name, sql});
  });
  return std::make_shared<QueryDef>(name, sql);
}

std::shared_ptr<QueryDef> Database::queryDef(const std::string& name) const {
  const std::optional<QueryRecord> query = storage_->findQuery(name);
  if (!query) throw engineError(3265);
  return std::make_shared<QueryDef>(query->name, query->sql);
}

void Database::deleteQueryDef(const std::string& name) {
  telvarn::atomically(*storage_, [&] {
    const std::optional<QueryRecord> query = storage_->findQuery(name);
    if (!query) throw engineError(3265);
    storage_->deleteQuery(query->name);
  });
}

std::vector<std::string> Database::queryDefNames() const {
  return storage_->queryNames();
}

std::vector<RelationRecord> Database::relations() const {
  return storage_->relations();
}

void Database::appendRelation(const RelationRecord& relation) {
  checkName(relation.name);
  if (relation.columns.empty() || relation.columns.size() != relation.referencedColumns.size())
    throw engineError(3264);
  telvarn::atomically(*storage_, [&] {
    for (const RelationRecord& other : storage_->relations()) {
      if (sameName(other.name, relation.name)) throw engineError(3012, {relation.name});
    }
    RelationRecord stored = relation;
    stored.columns = relatedFields(*storage_, relation.table, relation.columns, stored.table);
    stored.referencedColumns = relatedFields(*storage_, relation.referencedTable,
                                             relation.referencedColumns, stored.referencedTable);
    checkRelatedFields(*storage_, stored);
    storage_->addRelation(stored);
  });
}

void Database::deleteRelation(const std::string& name) {
  telvarn::atomically(*storage_, [&] {
    const std::vector<RelationRecord> all = storage_->relations();
    const auto found = std::find_if(
        all.begin(), all.end(), [&](const RelationRecord& r) { return sameName(r.name, name); });
    if (found == all.end()) throw engineError(3265);
    storage_->dropRelation(found->name);
  });
}

void Database::atomically(const std::function<void()>& work) {
  telvarn::atomically(*storage_, work);
}

std::shared_ptr<Database> Database::openSource(const std::string& connect) const {
  return sources_(connect);
}

}  // namespace telvarn
