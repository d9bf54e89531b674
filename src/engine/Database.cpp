#include "engine/Database.h"

#include "engine/AppError.h"
#include "engine/Field.h"
#include "engine/OpenStorage.h"
#include "engine/QueryDef.h"
#include "engine/Storage.h"
#include "engine/TableDef.h"
#include "engine/jetsql/Execute.h"

namespace telvarn {
namespace {

// The fields of a link's source table: a link must name a file that exists
// and a table that file has.
std::vector<FieldRecord> linkSourceFields(const TableRecord& link) {
  const std::shared_ptr<Storage> source = openLinkSource(link.connect);
  const std::optional<TableRecord> table = source->findTable(link.sourceTableName);
  if (!table) throw engineError(3011, {link.sourceTableName});
  return table->fields;
}

}  // namespace

Database::Database(std::shared_ptr<Storage> storage) : storage_(std::move(storage)) {}

Database::~Database() = default;

const std::string& Database::name() const {
  return storage_->path();
}

void Database::execute(const std::string& sql) {
  jetsql::execute(*this, sql);
}

std::shared_ptr<TableDef> Database::tableDef(const std::string& name) const {
  const std::optional<TableRecord> table = storage_->findTable(name);
  if (!table) throw engineError(3265);
  return std::make_shared<TableDef>(storage_, *table);
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
    if (storage_->findTable(record.name) || storage_->findQuery(record.name)) {
      throw engineError(3012, {record.name});
    }
    // A link keeps its source's fields as they are when it is made, with
    // properties of its own (a Caption, say); its rows and indexes stay in
    // the source.
    record.fields = linkSourceFields(record);
    record.indexes.clear();
  } else {
    for (FieldRecord& field : record.fields) field = fieldToSave(field);
  }
  storage_->createTable(record);
  table->attach(storage_);
}

std::shared_ptr<QueryDef> Database::createQueryDef(const std::string& name,
                                                   const std::string& sql) {
  checkName(name);
  jetsql::checkQueryText(sql);
  storage_->createQuery({name, sql});
  return std::make_shared<QueryDef>(name, sql);
}

std::shared_ptr<QueryDef> Database::queryDef(const std::string& name) const {
  const std::optional<QueryRecord> query = storage_->findQuery(name);
  if (!query) throw engineError(3265);
  return std::make_shared<QueryDef>(query->name, query->sql);
}

void Database::deleteQueryDef(const std::string& name) {
  storage_->deleteQuery(name);
}

std::vector<std::string> Database::queryDefNames() const {
  return storage_->queryNames();
}

}  // namespace telvarn
