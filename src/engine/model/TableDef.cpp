#include "engine/model/TableDef.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Storage.h"
#include "engine/model/Field.h"
#include "engine/model/Index.h"

namespace telvarn {
namespace {

// DisplayControl of a Yes/No field the engine makes: a text box, as for any
// field made outside the desktop program, until a script asks for a check
// box (106).
constexpr int kTextBoxControl = 109;

template <typename T>
auto findNamed(const std::vector<std::shared_ptr<T>>& items, const std::string& name) {
  return std::find_if(items.begin(), items.end(),
                      [&](const std::shared_ptr<T>& item) { return sameName(item->name(), name); });
}

// The record of that name among `records` (fields, indexes), or nullptr.
template <typename Record>
const Record* named(const std::vector<Record>& records, const std::string& name) {
  for (const Record& record : records) {
    if (sameName(record.name, name)) return &record;
  }
  return nullptr;
}

bool indexUses(const IndexRecord& index, const std::string& field) {
  return std::any_of(index.columns.begin(), index.columns.end(),
                     [&](const IndexColumn& c) { return sameName(c.field, field); });
}

// Whether a relationship holds `table`'s field `field`.
bool related(Storage& storage, const std::string& table, const std::string& field) {
  const auto holds = [&](const std::string& side, const std::vector<std::string>& columns) {
    return sameName(side, table) &&
           std::any_of(columns.begin(), columns.end(),
                       [&](const std::string& column) { return sameName(column, field); });
  };
  const std::vector<RelationRecord> all = storage.relations();
  return std::any_of(all.begin(), all.end(), [&](const RelationRecord& r) {
    return holds(r.table, r.columns) || holds(r.referencedTable, r.referencedColumns);
  });
}

// Whether `changed` differs from `field` in its user-defined properties
// alone.
bool onlyPropertiesDiffer(const FieldRecord& field, const FieldRecord& changed) {
  return field.name == changed.name && field.type == changed.type && field.size == changed.size &&
         field.attributes == changed.attributes && field.defaultValue == changed.defaultValue &&
         field.allowZeroLength == changed.allowZeroLength && field.required == changed.required;
}

}  // namespace

TableRecord savedTable(Storage& storage, const std::string& name) {
  std::optional<TableRecord> table = storage.findTable(name);
  if (!table) throw engineError(3265);
  return std::move(*table);
}

void checkOneAutoNumber(const std::vector<FieldRecord>& fields) {
  const auto count = std::count_if(fields.begin(), fields.end(),
                                   [](const FieldRecord& field) { return field.autoNumber(); });
  if (count > 1) throw engineError(3090);
}

void changeSavedField(Storage& storage, const std::string& tableName, const std::string& fieldName,
                      const FieldRecord& changed) {
  atomically(storage, [&] {
    const TableRecord table = savedTable(storage, tableName);
    const FieldRecord* field = named(table.fields, fieldName);
    // A link's fields are its source's design: only their own properties
    // (a Caption, say) change here, on a storage that keeps them.
    if (table.kind != TableKind::Local && (!field || !onlyPropertiesDiffer(*field, changed)))
      throw engineError(3219);
    if (!field) throw engineError(3265);
    std::vector<FieldRecord> after = table.fields;
    after[static_cast<size_t>(field - table.fields.data())] = changed;
    const FieldRecord* clash = named(table.fields, changed.name);
    if (clash && clash != field) throw engineError(3191);
    if (changed.type != field->type && !isFieldType(changed.type)) throw engineError(3259);
    checkOneAutoNumber(after);
    storage.changeField(table.name, field->name, changed);
  });
}

FieldRecord fieldToSave(const Storage& storage, const FieldRecord& field) {
  checkName(field.name);
  if (!isFieldType(field.type)) throw engineError(3259);
  if (field.type == DataType::Text && field.size > 255) throw engineError(3017);
  FieldRecord saved = field;
  saved.size = storedSize(field.type, field.size);
  if (!storage.newFieldsCarryDisplayProperties()) return saved;
  const auto has = [&](const char* name) {
    return std::any_of(saved.properties.begin(), saved.properties.end(),
                       [&](const UserProperty& p) { return sameName(p.name, name); });
  };
  if (!has("Caption")) saved.properties.push_back({"Caption", DataType::Text, Variant("")});
  if (field.type == DataType::Boolean && !has("DisplayControl")) {
    saved.properties.push_back({"DisplayControl", DataType::Integer, Variant(kTextBoxControl)});
  }
  return saved;
}

TableDef::TableDef(std::string name) : name_(std::move(name)) {}

TableDef::TableDef(std::shared_ptr<Storage> storage, const TableRecord& saved)
    : storage_(std::move(storage)) {
  load(saved);
}

TableDef::~TableDef() = default;

void TableDef::load(const TableRecord& saved) {
  name_ = saved.name;
  connect_ = saved.connect;
  sourceTableName_ = saved.sourceTableName;
  fields_.clear();
  for (const FieldRecord& field : saved.fields) {
    fields_.push_back(std::make_shared<Field>(storage_, name_, field));
  }
  indexes_.clear();
  for (const IndexRecord& index : saved.indexes) {
    indexes_.push_back(std::make_shared<Index>(index, true));
  }
}

void TableDef::setConnect(const std::string& connect) {
  if (appended()) throw engineError(3219);
  connect_ = connect;
}

void TableDef::setSourceTableName(const std::string& name) {
  if (appended()) throw engineError(3219);
  sourceTableName_ = name;
}

std::shared_ptr<Field> TableDef::createField(const std::string& name, std::optional<int> type,
                                             std::optional<int> size) const {
  FieldRecord record;
  record.name = name;
  record.type = type.value_or(0);
  record.size = size.value_or(0);
  return std::make_shared<Field>(record);
}

std::shared_ptr<Field> TableDef::field(const std::string& name) const {
  const auto found = findNamed(fields_, name);
  if (found == fields_.end()) throw engineError(3265);
  return *found;
}

void TableDef::appendField(const std::shared_ptr<Field>& field) {
  if (!field) throw engineError(91);
  if (field->appended()) throw engineError(3266);
  if (!appended()) {
    checkName(field->name());
    if (findNamed(fields_, field->name()) != fields_.end()) throw engineError(3367);
    fields_.push_back(field);
    return;
  }
  if (!connect_.empty()) throw engineError(3219);
  const FieldRecord saved = fieldToSave(*storage_, field->record());
  atomically(*storage_, [&] {
    TableRecord table = savedTable(*storage_, name_);
    if (named(table.fields, saved.name)) throw engineError(3191);
    table.fields.push_back(saved);
    checkOneAutoNumber(table.fields);
    storage_->addField(table.name, saved);
  });
  field->attach(storage_, name_, saved);
  fields_.push_back(field);
}

void TableDef::deleteField(const std::string& name) {
  const auto found = findNamed(fields_, name);
  if (!appended()) {
    if (found == fields_.end()) throw engineError(3265);
    fields_.erase(found);
    return;
  }
  // A link's fields are its source's design, changed only there.
  if (!connect_.empty() && found != fields_.end()) throw engineError(3219);
  atomically(*storage_, [&] {
    const TableRecord table = savedTable(*storage_, name_);
    const FieldRecord* field = named(table.fields, name);
    if (!field) throw engineError(3265);
    if (related(*storage_, table.name, field->name)) throw engineError(3303);
    for (const IndexRecord& index : table.indexes) {
      if (indexUses(index, field->name)) throw engineError(3280);
    }
    if (table.fields.size() == 1 && storage_->rowCount(table.name) > 0) throw engineError(3282);
    storage_->deleteField(table.name, field->name);
  });
  if (found != fields_.end()) fields_.erase(found);
}

void TableDef::changeField(const std::string& name, const FieldRecord& changed) {
  if (!appended()) throw engineError(3219);
  changeSavedField(*storage_, name_, name, changed);
  const auto found = findNamed(fields_, name);
  if (found != fields_.end()) (*found)->attach(storage_, name_, changed);
}

std::shared_ptr<Index> TableDef::createIndex(const std::string& name) const {
  IndexRecord record;
  record.name = name;
  return std::make_shared<Index>(record);
}

void TableDef::appendIndex(const std::shared_ptr<Index>& index) {
  if (!index) throw engineError(91);
  if (index->appended()) throw engineError(3269);
  checkName(index->name());
  if (index->record().columns.empty()) throw engineError(3264);
  // The collection knows its own names: a second index of a name is refused
  // before the file is asked, so a script line applied twice stays quiet.
  if (findNamed(indexes_, index->name()) != indexes_.end()) throw engineError(3367);
  if (!appended()) {
    indexes_.push_back(index);
    return;
  }
  // A link's indexes are its source's.
  if (!connect_.empty()) throw engineError(3219);
  const IndexRecord& record = index->record();
  atomically(*storage_, [&] {
    const TableRecord table = savedTable(*storage_, name_);
    for (const IndexRecord& existing : table.indexes) {
      if (record.primary && existing.primary) throw engineError(3283);
      if (sameName(existing.name, record.name)) throw engineError(3284);
    }
    for (const IndexColumn& column : record.columns) {
      if (!named(table.fields, column.field)) throw engineError(3265);
    }
    storage_->addIndex(table.name, record);
  });
  index->markAppended();
  indexes_.push_back(index);
}

void TableDef::deleteIndex(const std::string& name) {
  const auto found = findNamed(indexes_, name);
  if (!appended()) {
    if (found == indexes_.end()) throw engineError(3265);
    indexes_.erase(found);
    return;
  }
  atomically(*storage_, [&] {
    const TableRecord table = savedTable(*storage_, name_);
    const IndexRecord* index = named(table.indexes, name);
    if (!index) throw engineError(3265);
    const std::vector<RelationRecord> all = storage_->relations();
    if (std::any_of(all.begin(), all.end(), [&](const RelationRecord& r) {
          return sameName(r.name, index->name) && sameName(r.table, table.name);
        }))
      throw engineError(3281);
    storage_->dropIndex(table.name, index->name);
  });
  if (found != indexes_.end()) indexes_.erase(found);
}

void TableDef::refreshIndexes() {
  if (!appended()) return;
  const TableRecord saved = savedTable(*storage_, name_);
  indexes_.clear();
  for (const IndexRecord& index : saved.indexes) {
    indexes_.push_back(std::make_shared<Index>(index, true));
  }
}

TableRecord TableDef::record() const {
  TableRecord table;
  table.name = name_;
  table.kind = connect_.empty() ? TableKind::Local : TableKind::Linked;
  table.connect = connect_;
  table.sourceTableName = sourceTableName_;
  for (const auto& field : fields_) table.fields.push_back(field->record());
  for (const auto& index : indexes_) table.indexes.push_back(index->record());
  return table;
}

void TableDef::attach(std::shared_ptr<Storage> storage, const TableRecord& saved) {
  storage_ = std::move(storage);
  load(saved);
}

}  // namespace telvarn
