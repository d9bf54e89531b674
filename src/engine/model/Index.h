// Index: a named index of a table definition with its flags and fields. It
// takes its flags as variants, so that a text such as "True" or "-1" is
// converted by the engine and "Yes" is refused with 13.
#pragma once

#include <memory>
#include <string>

#include "engine/Catalog.h"

namespace telvarn {

class Field;

class Index {
 public:
  explicit Index(IndexRecord record, bool appended = false)
      : record_(std::move(record)), appended_(appended) {}

  const std::string& name() const { return record_.name; }
  const IndexRecord& record() const { return record_; }
  bool appended() const { return appended_; }

  // Flags and fields can change only before the append (3219 after it).
  void setPrimary(const Variant& value);
  void setUnique(const Variant& value);
  void setRequired(const Variant& value);

  // The index's own CreateField and Fields.Append: a field by name only.
  std::shared_ptr<Field> createField(const std::string& name) const;
  void appendField(const Field& field);

  void markAppended() { appended_ = true; }

 private:
  void checkChangeable() const;

  IndexRecord record_;
  bool appended_;
};

}  // namespace telvarn
