#include "engine/model/Index.h"

#include "engine/AppError.h"
#include "engine/model/Field.h"

namespace telvarn {

void Index::checkChangeable() const {
  if (appended_) throw engineError(3219);
}

void Index::setPrimary(const Variant& value) {
  checkChangeable();
  record_.primary = value.toBoolean();
}

void Index::setUnique(const Variant& value) {
  checkChangeable();
  record_.unique = value.toBoolean();
}

void Index::setRequired(const Variant& value) {
  checkChangeable();
  record_.required = value.toBoolean();
}

std::shared_ptr<Field> Index::createField(const std::string& name) const {
  FieldRecord record;
  record.name = name;
  return std::make_shared<Field>(record);
}

void Index::appendField(const Field& field) {
  checkChangeable();
  for (const IndexColumn& column : record_.columns) {
    if (sameName(column.field, field.name())) throw engineError(3367);
  }
  if (record_.columns.size() >= 10) throw engineError(3277);
  record_.columns.push_back({field.name(), false});
}

}  // namespace telvarn
