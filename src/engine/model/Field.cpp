#include "engine/model/Field.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Storage.h"
#include "engine/model/FieldValue.h"
#include "engine/model/TableDef.h"
#include "engine/values/Convert.h"

namespace telvarn {
namespace {

Variant convertTo(int type, const Variant& value) {
  if (value.isNull()) throw engineError(3385);
  switch (type) {
    case DataType::Boolean:
      return Variant(values::toFieldBool(value));
    case DataType::Byte:
    case DataType::Integer:
    case DataType::Long: {
      int64_t number;
      try {
        number = value.toInteger();
      } catch (const AppError&) {
        throw engineError(3421);
      }
      const int64_t low = type == DataType::Byte      ? 0
                          : type == DataType::Integer ? -32768
                                                      : INT32_MIN;
      const int64_t high = type == DataType::Byte      ? 255
                           : type == DataType::Integer ? 32767
                                                       : INT32_MAX;
      if (number < low || number > high) throw engineError(3349);
      return Variant(number);
    }
    default:
      return Variant(value.toText());
  }
}

}  // namespace

void checkUpdatable(const FieldRecord& field) {
  if (field.autoNumber()) throw engineError(3113, {field.name});
}

Field::Field(std::shared_ptr<Storage> storage, std::string table, FieldRecord record)
    : storage_(std::move(storage)), table_(std::move(table)), record_(std::move(record)) {}

void Field::attach(std::shared_ptr<Storage> storage, std::string table, FieldRecord saved) {
  storage_ = std::move(storage);
  table_ = std::move(table);
  record_ = std::move(saved);
}

void Field::setType(int type) {
  if (appended()) throw engineError(3219);
  record_.type = type;
}

void Field::setDefaultValue(const std::string& value) {
  setProperty("DefaultValue", value);
}

void Field::setAllowZeroLength(bool allow) {
  setProperty("AllowZeroLength", allow);
}

Variant Field::property(const std::string& name) const {
  for (const auto& [propertyName, value] : properties()) {
    if (sameName(propertyName, name)) return value;
  }
  throw engineError(3270);
}

std::vector<std::pair<std::string, Variant>> Field::properties() const {
  std::vector<std::pair<std::string, Variant>> all = {
      {"Name", record_.name},
      {"Type", record_.type},
      {"Size", record_.size},
      {"Attributes", record_.attributes},
      {"DefaultValue", record_.defaultValue},
      {"AllowZeroLength", record_.allowZeroLength},
      {"Required", record_.required},
  };
  for (const UserProperty& property : record_.properties) {
    all.emplace_back(property.name, property.value);
  }
  return all;
}

void Field::setProperty(const std::string& name, const Variant& value) {
  FieldRecord changed = record_;
  if (sameName(name, "Name")) {
    changed.name = value.toText();
    checkName(changed.name);
  } else if (sameName(name, "Type") || sameName(name, "Size")) {
    if (appended()) throw engineError(3219);
    (sameName(name, "Type") ? changed.type : changed.size) =
        static_cast<int>(convertTo(DataType::Integer, value).toInteger());
  } else if (sameName(name, "Attributes")) {
    changed.attributes = static_cast<int>(convertTo(DataType::Long, value).toInteger());
  } else if (sameName(name, "DefaultValue")) {
    changed.defaultValue = value.toText();
    // A default that does not fit its field is refused when it is set,
    // not at every later INSERT.
    if (changed.type != 0) defaultValue(changed);
  } else if (sameName(name, "AllowZeroLength")) {
    changed.allowZeroLength = values::toFieldBool(value);
    // Only text can be of zero length; a number or a date cannot allow it.
    if (changed.allowZeroLength && changed.type != 0 && !isTextType(changed.type)) {
      throw engineError(3219);
    }
  } else if (sameName(name, "Required")) {
    changed.required = values::toFieldBool(value);
  } else {
    auto property = std::find_if(changed.properties.begin(), changed.properties.end(),
                                 [&](const UserProperty& p) { return sameName(p.name, name); });
    if (property == changed.properties.end()) throw engineError(3270);
    property->value = convertTo(property->type, value);
  }
  save(changed);
}

void Field::save(const FieldRecord& changed) {
  if (appended()) changeSavedField(*storage_, table_, record_.name, changed);
  record_ = changed;
}

}  // namespace telvarn
