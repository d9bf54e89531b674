// TableDef: a table or link of a database. A new one is built in memory and
// saved by Database::appendTableDef; a saved one is a snapshot of the table,
// and every append or deletion through it changes the file at once. Its
// rules are held against the table as the file has it when the change is
// made, not against the snapshot alone.
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
  // Fields.Append: 91 for no object, 3266 when it is appended already; on
  // a new table 3125 for a name the engine does not allow and 3367 for a
  // name in use. On a saved table: 3219 for a link, the checks of
  // fieldToSave (3125, 3259, 3017), 3191 for a name in use, 3090 for a
  // second AutoNumber.
  void appendField(const std::shared_ptr<Field>& field);
  // Fields.Delete: 3265 when missing, 3219 on a link, 3303 when a
  // relationship needs the field, 3280 when an index does (or another
  // object of the file), 3282 when it is the last field and the table has
  // rows: a row never goes as a side effect.
  void deleteField(const std::string& name);
  // A saved field's new definition, in one change (see changeSavedField).
  void changeField(const std::string& name, const FieldRecord& changed);

  std::shared_ptr<Index> createIndex(const std::string& name) const;
  const std::vector<std::shared_ptr<Index>>& indexes() const { return indexes_; }
  // Indexes.Append: 91 for no object, 3269 when it is appended already,
  // 3125 for a name the engine does not allow, 3264 for an index with no
  // field, 3367 for a name the collection has. On a saved table: 3219 for
  // a link, 3283 for a second primary key, 3284 for a name in use, 3265
  // for a field the table does not have; 3022 and 3058 when the rows break
  // the index.
  void appendIndex(const std::shared_ptr<Index>& index);
  // Indexes.Delete: 3265 when missing, 3281 when it is a relationship's.
  void deleteIndex(const std::string& name);
  // Indexes.Refresh: reads the indexes back from the file.
  void refreshIndexes();

  // The definition as a record, for saving a new table.
  TableRecord record() const;
  // Called by the database when it has saved this table definition as
  // `saved`.
  void attach(std::shared_ptr<Storage> storage, const TableRecord& saved);

 private:
  void load(const TableRecord& saved);
  std::shared_ptr<Storage> storage_;
  std::string name_;
  std::string connect_;
  std::string sourceTableName_;
  std::vector<std::shared_ptr<Field>> fields_;
  std::vector<std::shared_ptr<Index>> indexes_;
};

// The definition a new field is saved in `storage` with: its name and type
// checked (3125, 3259, 3017), its size as the type gives it, and the
// properties the storage's files give every new field (see
// Storage::newFieldsCarryDisplayProperties).
FieldRecord fieldToSave(const Storage& storage, const FieldRecord& field);

// 3090 when more than one of `fields` is an AutoNumber.
void checkOneAutoNumber(const std::vector<FieldRecord>& fields);

// Replaces the definition of the saved field `field` of `table` by
// `changed`, as Field properties and ALTER COLUMN change it: 3265 when the
// table or field is gone, 3191 for a name another field has, 3259 for a
// new type the engine does not have, 3090 for a second AutoNumber; then
// what the storage finds (3211, 3421, 3349, 3163).
void changeSavedField(Storage& storage, const std::string& table, const std::string& field,
                      const FieldRecord& changed);

// The table or link `name` as the file has it now: 3265 when there is none.
TableRecord savedTable(Storage& storage, const std::string& name);

}  // namespace telvarn
