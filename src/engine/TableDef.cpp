#include "engine/TableDef.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Field.h"
#include "engine/Index.h"
#include "engine/Storage.h"

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

}  // namespace

FieldRecord fieldToSave(const FieldRecord& field) {
  checkName(field.name);
  if (!isFieldType(field.type)) throw engineError(3259);
  if (field.type == DataType::Text && field.size > 255) throw engineError(3017);
  FieldRecord saved = field;
  saved.size = storedSize(field.type, field.size);
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
  const FieldRecord saved = fieldToSave(field->record());
  storage_->addField(name_, saved);
  field->attach(storage_, name_, saved);
  fields_.push_back(field);
}

void TableDef::deleteField(const std::string& name) {
  const auto found = findNamed(fields_, name);
  if (appended()) {
    // A link's fields are its source's design, changed only there.
    if (!connect_.empty() && found != fields_.end()) throw engineError(3219);
    storage_->deleteField(name_, name);
  } else if (found == fields_.end()) {
    throw engineError(3265);
  }
  if (found != fields_.end()) fields_.erase(found);
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
  if (!connect_.empty()) throw engineError(3219);
  storage_->addIndex(name_, index->record());
  index->markAppended();
  indexes_.push_back(index);
}

void TableDef::refreshIndexes() {
  if (!appended()) return;
  const std::optional<TableRecord> saved = storage_->findTable(name_);
  if (!saved) throw engineError(3265);
  indexes_.clear();
  for (const IndexRecord& index : saved->indexes) {
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

void TableDef::attach(std::shared_ptr<Storage> storage) {
  storage_ = std::move(storage);
  const std::optional<TableRecord> saved = storage_->findTable(name_);
  if (!saved) throw engineError(3265);
  load(*saved);
}

}  // namespace telvarn
