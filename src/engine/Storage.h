// Storage: what a database file must do for the object model. Every call is
// one atomic change of the file: it happens whole or not at all. The SQLite
// file is today's backend; a native .mdb backend can stand behind the same
// calls.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/AppError.h"
#include "engine/Catalog.h"

namespace telvarn {

namespace jetsql {
struct DataStatement;
struct SelectStatement;
}  // namespace jetsql

class Storage {
 public:
  virtual ~Storage() = default;

  // The file's full path, as it was opened.
  virtual const std::string& path() const = 0;

  // Tables and links; nullopt when there is none of that name.
  virtual std::optional<TableRecord> findTable(const std::string& name) = 0;
  virtual std::vector<std::string> tableNames() = 0;
  // A new table (with its fields and indexes, possibly none) or link.
  // 3010 when a table, link or query of that name exists.
  virtual void createTable(const TableRecord& table) = 0;
  // 3376 when there is no such table.
  virtual void dropTable(const std::string& name) = 0;

  // 3191 when the table has a field of that name.
  virtual void addField(const std::string& table, const FieldRecord& field) = 0;
  // 3265 when the field is missing; 3280 when an index (or another object of
  // the file) needs it; 3282 when it is the last field and the table has
  // rows.
  virtual void deleteField(const std::string& table, const std::string& field) = 0;
  // Replaces the definition of `field` by `changed`: a new name renames the
  // column, a new type converts its values in place, keeping the rows. 3211
  // when another object of the file would not survive the rename; 3219
  // when anything but user-defined properties changes on a link's field.
  virtual void changeField(const std::string& table, const std::string& field,
                           const FieldRecord& changed) = 0;

  // 3283 for a second primary key, 3284 for a name in use, 3022 when the rows
  // break a unique index, 3265 for a column the table does not have.
  virtual void addIndex(const std::string& table, const IndexRecord& index) = 0;
  // 3265 when the table has no index of that name.
  virtual void dropIndex(const std::string& table, const std::string& index) = 0;

  virtual std::optional<QueryRecord> findQuery(const std::string& name) = 0;
  virtual std::vector<std::string> queryNames() = 0;
  // 3012 when a query, table or link of that name exists.
  virtual void createQuery(const QueryRecord& query) = 0;
  // 3265 when there is no query of that name.
  virtual void deleteQuery(const std::string& name);

  // Relationships between tables. addRelation: 3012 for a name in use,
  // 3201 when rows already lack the row they refer to.
  virtual std::vector<RelationRecord> relations() { return {}; }
  virtual void addRelation(const RelationRecord& relation);
  // 3265 when there is no relationship of that name.
  virtual void dropRelation(const std::string& name);

  // Every row of a local table, one value per field in the order of
  // findTable's fields; `visit` returns false to stop. 3078 for a name that
  // is no table, 3251 for a link (its rows are in another file).
  using RowVisitor = std::function<bool(const std::vector<Variant>& values)>;
  virtual void forEachRow(const std::string& table, const RowVisitor& visit) = 0;

  // Runs one data statement (INSERT, UPDATE, DELETE, SELECT ... INTO) whole:
  // either every row it touches is changed or none is.
  virtual void executeData(const jetsql::DataStatement& statement) = 0;

  // What is wrong with the file, one sentence per fault: the storage's own
  // integrity, whether the catalog agrees with what holds the rows, and each
  // object in the file the catalog does not know. Empty when the file is
  // consistent.
  virtual std::vector<std::string> check() { return {}; }

  // The columns a SELECT yields (name, type, size), its names checked as
  // executeData checks them; nothing is run.
  virtual std::vector<FieldRecord> describeQuery(const jetsql::SelectStatement& select);

  // Runs `work`, any number of the calls above, as one change of the file.
  // A backend that cannot nest its changes runs them one by one.
  virtual void atomically(const std::function<void()>& work) { work(); }
};

// What a backend without queries answers.
inline void Storage::deleteQuery(const std::string&) {
  throw engineError(3251);
}
inline void Storage::addRelation(const RelationRecord&) {
  throw engineError(3251);
}
inline void Storage::dropRelation(const std::string&) {
  throw engineError(3251);
}
inline std::vector<FieldRecord> Storage::describeQuery(const jetsql::SelectStatement&) {
  throw engineError(3251);
}

}  // namespace telvarn
