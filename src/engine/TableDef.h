// TableDef: a table or link of a database. A new one is built in memory and
// saved by Database::appendTableDef; a saved one is a snapshot of the table,
// and every append or deletion through it changes the file at once.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/Catalog.h"

namespace telvarn {

class Field;
class Index;
class Storage;

class TableDef {
 public:
  explicit TableDef(std::string name);
  TableDef(std::shared_ptr<Storage> storage, const TableRecord& saved);
  ~TableDef();

  const std::string& name() const { return name_; }
  bool appended() const { return storage_ != nullptr; }
  const std::string& connect() const { return connect_; }
  const std::string& sourceTableName() const { return sourceTableName_; }
  // Only before the append (3219 after it).
  void setConnect(const std::string& connect);
  void setSourceTableName(const std::string& name);

  // CreateField: nothing is checked until the field is appended.
  std::shared_ptr<Field> createField(const std::string& name, std::optional<int> type = {},
                                     std::optional<int> size = {}) const;
  // Fields(name): 3265 when missing.
  std::shared_ptr<Field> field(const std::string& name) const;
  const std::vector<std::shared_ptr<Field>>& fields() const { return fields_; }
  // Fields.Append: 3259 for a type the engine does not have, 3191 (saved
  // table) or 3367 (new table) for a name in use, 3219 on a link.
  void appendField(const std::shared_ptr<Field>& field);
  // Fields.Delete: 3265 when missing, 3280 when an index needs the field,
  // 3219 on a link.
  void deleteField(const std::string& name);

  std::shared_ptr<Index> createIndex(const std::string& name) const;
  const std::vector<std::shared_ptr<Index>>& indexes() const { return indexes_; }
  // Indexes.Append: 3367 for a name the table's indexes have, 3264 for an
  // index with no field, 3219 on a link, else see Storage::addIndex.
  void appendIndex(const std::shared_ptr<Index>& index);
  // Indexes.Refresh: reads the indexes back from the file.
  void refreshIndexes();

  // The definition as a record, for saving a new table.
  TableRecord record() const;
  // Called by the database when it saves this table definition.
  void attach(std::shared_ptr<Storage> storage);

 private:
  void load(const TableRecord& saved);
  std::shared_ptr<Storage> storage_;
  std::string name_;
  std::string connect_;
  std::string sourceTableName_;
  std::vector<std::shared_ptr<Field>> fields_;
  std::vector<std::shared_ptr<Index>> indexes_;
};

}  // namespace telvarn

namespace telvarn {
// The definition a new field is saved with: its name and type checked
// (3125, 3259, 3017), its size as the type gives it, and the properties
// every field the engine makes carries (Caption, and DisplayControl on
// Yes/No fields).
FieldRecord fieldToSave(const FieldRecord& field);
}  // namespace telvarn
