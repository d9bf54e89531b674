// Field: one column of a table definition, or one column of an index. A new
// field keeps its definition in memory until it is appended; an appended one
// writes every change straight to its database.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/Catalog.h"

namespace telvarn {

class Storage;

class Field {
 public:
  // A field not yet appended to anything.
  explicit Field(FieldRecord record) : record_(std::move(record)) {}
  // A field of a table saved in `storage`.
  Field(std::shared_ptr<Storage> storage, std::string table, FieldRecord record);

  const std::string& name() const { return record_.name; }
  int type() const { return record_.type; }
  int size() const { return record_.size; }
  const FieldRecord& record() const { return record_; }
  bool appended() const { return storage_ != nullptr; }

  // Type can change only before the append (3219 after it).
  void setType(int type);
  // A default that does not fit the field's type is refused with 3421,
  // 3349 beyond its range, 3163 longer than its size.
  void setDefaultValue(const std::string& value);
  void setAllowZeroLength(bool allow);

  // Properties(name).Value. Built-in properties always exist; user-defined
  // ones only where something created them: a missing one is 3270.
  Variant property(const std::string& name) const;
  void setProperty(const std::string& name, const Variant& value);
  // Every property with its value: the built-in ones first.
  std::vector<std::pair<std::string, Variant>> properties() const;

  // Called by the table definition when it saves this field.
  void attach(std::shared_ptr<Storage> storage, std::string table, FieldRecord saved);

 private:
  void save(const FieldRecord& changed);

  std::shared_ptr<Storage> storage_;
  std::string table_;
  FieldRecord record_;
};

// 3113, naming the field, when a statement may not set its values: an
// AutoNumber numbers its rows itself.
void checkUpdatable(const FieldRecord& field);

}  // namespace telvarn
