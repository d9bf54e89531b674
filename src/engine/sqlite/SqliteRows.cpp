// SqliteStorage's rows: a table's rows by rowid, each value converted to
// its field's type on the way in as every statement converts it.
#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/sqlite/AutoNumbers.h"
#include "engine/sqlite/CatalogTables.h"
#include "engine/sqlite/FileLayout.h"
#include "engine/sqlite/SqliteStorage.h"
#include "engine/sqlite/TextOrder.h"
#include "engine/sqlite/ValueCodec.h"

namespace telvarn::sqlite {
namespace {

std::string quote(const std::string& name) {
  return Connection::quote(name);
}

// A value on its way into `field`: two placeholders, the value and the
// letter of its kind (see bound).
std::string converted(const FieldRecord& field) {
  return "telvarn_convert(?, ?, " + std::to_string(field.type) + ", " +
         std::to_string(field.size) + ")";
}

// What the placeholders of converted() take: each value and its kind's
// letter, which SQLite cannot tell from a bound value (a Currency and a
// Long are both whole numbers).
std::vector<Variant> bound(const std::vector<Variant>& values) {
  std::vector<Variant> out;
  for (const Variant& value : values) {
    out.push_back(value);
    out.push_back(Variant(std::string(1, kindLetter(value.kind()))));
  }
  return out;
}

bool absent(const Variant& value) {
  return value.kind() == Variant::Kind::Empty || value.isNull();
}

// The rows of one SELECT whose first column is the rowid, read under one
// read lock for as long as the cursor lives.
// A file of an earlier layout is read as that layout keeps its values.
class StatementCursor : public RowCursor {
 public:
  StatementCursor(Connection& connection, const std::string& sql,
                  const std::vector<Variant>& parameters, const TableRecord& table)
      : read_(connection),
        statement_(connection, sql),
        earlierLayout_(catalog::formatVersion(connection) < kFormatVersion),
        path_(connection.path()),
        values_(table.fields.size()) {
    for (const FieldRecord& field : table.fields) types_.push_back(field.type);
    for (size_t i = 0; i < parameters.size(); ++i)
      statement_.bind(static_cast<int>(i + 1), parameters[i]);
  }

  bool next() override {
    if (!statement_.step()) return false;
    id_ = statement_.integer(0);
    for (size_t i = 0; i < values_.size(); ++i) {
      const auto column = static_cast<int>(i + 1);
      values_[i] = earlierLayout_
                       ? earlierLayoutValue(statement_.rawValue(column), types_[i], path_)
                       : statement_.fieldValue(column, types_[i]);
    }
    return true;
  }
  RowId id() const override { return id_; }
  const std::vector<Variant>& values() const override { return values_; }

 private:
  ReadTransaction read_;
  Statement statement_;
  bool earlierLayout_;
  std::string path_;
  std::vector<int> types_;
  RowId id_ = 0;
  std::vector<Variant> values_;
};

// A table with no field yet has no SQLite table, and no rows.
class NoRows : public RowCursor {
 public:
  bool next() override { return false; }
  RowId id() const override { return 0; }
  const std::vector<Variant>& values() const override { return values_; }

 private:
  std::vector<Variant> values_;
};

std::string selectRows(const TableRecord& table) {
  std::string sql = "SELECT rowid";
  for (const FieldRecord& field : table.fields) sql += ", " + quote(field.name);
  return sql + " FROM " + quote(table.name);
}

// 3058 when a value to be written is Null in a field that a primary key or
// a required index covers; `values` one per field, Empty for those left
// alone.
void checkKeyNulls(const TableRecord& table, const std::vector<Variant>& values) {
  for (const IndexRecord& index : table.indexes) {
    if (!index.primary && !index.required) continue;
    for (const IndexColumn& column : index.columns) {
      for (size_t i = 0; i < table.fields.size(); ++i) {
        if (sameName(table.fields[i].name, column.field) && values[i].isNull() &&
            !table.fields[i].autoNumber())
          throw engineError(3058);
      }
    }
  }
}

bool holds(Connection& connection, const TableRecord& table, RowId row) {
  Statement found(connection, "SELECT 1 FROM " + quote(table.name) + " WHERE rowid = ?");
  found.bind(1, int64_t{row});
  return found.step();
}

}  // namespace

std::unique_ptr<RowCursor> SqliteStorage::scan(const std::string& tableName) {
  const std::optional<TableRecord> table = findTable(tableName);
  if (!table) throw engineError(3078, {tableName});
  if (table->kind != TableKind::Local) throw engineError(3251);
  if (table->fields.empty()) return std::make_unique<NoRows>();
  return std::make_unique<StatementCursor>(connection_, selectRows(*table) + " ORDER BY rowid",
                                           std::vector<Variant>{}, *table);
}

std::unique_ptr<RowCursor> SqliteStorage::seek(const std::string& tableName,
                                               const std::string& indexName,
                                               const std::vector<Variant>& key) {
  const std::optional<TableRecord> table = findTable(tableName);
  if (!table) throw engineError(3078, {tableName});
  if (table->kind != TableKind::Local) throw engineError(3251);
  const auto index =
      std::find_if(table->indexes.begin(), table->indexes.end(),
                   [&](const IndexRecord& i) { return sameName(i.name, indexName); });
  if (index == table->indexes.end() || key.size() != index->columns.size())
    throw engineError(3000,
                      {"no index " + indexName + " of " + std::to_string(key.size()) + " columns"});
  std::string where;
  for (const IndexColumn& column : index->columns) {
    const auto field =
        std::find_if(table->fields.begin(), table->fields.end(),
                     [&](const FieldRecord& f) { return sameName(f.name, column.field); });
    where += (where.empty() ? " WHERE " : " AND ") + quote(field->name) + " IS " +
             converted(*field) + collateText(field->type);
  }
  return std::make_unique<StatementCursor>(connection_, selectRows(*table) + where, bound(key),
                                           *table);
}

uint64_t SqliteStorage::rowCount(const std::string& tableName) {
  const std::optional<TableRecord> table = findTable(tableName);
  if (!table) throw engineError(3078, {tableName});
  if (table->kind != TableKind::Local) throw engineError(3251);
  if (table->fields.empty()) return 0;
  return static_cast<uint64_t>(
      connection_.queryInteger("SELECT count(*) FROM " + quote(table->name)).value_or(0));
}

RowId SqliteStorage::insertRow(const std::string& tableName, const std::vector<Variant>& values) {
  Transaction transaction(connection_);
  const TableRecord table = existingTable(tableName);
  if (table.fields.empty() || values.size() != table.fields.size())
    throw engineError(3000,
                      {"a row of " + std::to_string(values.size()) + " values for " + table.name});
  checkKeyNulls(table, values);
  std::string columns;
  std::string placed;
  std::vector<Variant> given;
  for (size_t i = 0; i < values.size(); ++i) {
    const FieldRecord& field = table.fields[i];
    columns += (i ? ", " : "") + quote(field.name);
    placed += i ? ", " : "";
    if (field.autoNumber() && absent(values[i])) {
      placed += autonumbers::next(table.name, false);
    } else {
      placed += converted(field);
      given.push_back(values[i]);
    }
  }
  Statement insert(connection_, "INSERT INTO " + quote(table.name) + " (" + columns + ") VALUES (" +
                                    placed + ")");
  const std::vector<Variant> parameters = bound(given);
  for (size_t i = 0; i < parameters.size(); ++i)
    insert.bind(static_cast<int>(i + 1), parameters[i]);
  insert.run();
  const RowId id = sqlite3_last_insert_rowid(connection_.handle());
  transaction.commit();
  return id;
}

void SqliteStorage::updateRow(const std::string& tableName, RowId row,
                              const std::vector<Variant>& values) {
  Transaction transaction(connection_);
  const TableRecord table = existingTable(tableName);
  if (values.size() != table.fields.size())
    throw engineError(3000,
                      {"a row of " + std::to_string(values.size()) + " values for " + table.name});
  checkKeyNulls(table, values);
  std::string sets;
  std::vector<Variant> given;
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i].kind() == Variant::Kind::Empty) continue;
    if (table.fields[i].autoNumber()) throw engineError(3164);
    sets += (sets.empty() ? "" : ", ") + quote(table.fields[i].name) + " = " +
            converted(table.fields[i]);
    given.push_back(values[i]);
  }
  if (!holds(connection_, table, row)) throw engineError(3167);
  if (!sets.empty()) {
    Statement update(connection_,
                     "UPDATE " + quote(table.name) + " SET " + sets + " WHERE rowid = ?");
    const std::vector<Variant> parameters = bound(given);
    for (size_t i = 0; i < parameters.size(); ++i)
      update.bind(static_cast<int>(i + 1), parameters[i]);
    update.bind(static_cast<int>(parameters.size() + 1), int64_t{row});
    update.run();
  }
  transaction.commit();
}

void SqliteStorage::deleteRow(const std::string& tableName, RowId row) {
  Transaction transaction(connection_);
  const TableRecord table = existingTable(tableName);
  if (table.fields.empty() || !holds(connection_, table, row)) throw engineError(3167);
  Statement(connection_, "DELETE FROM " + quote(table.name) + " WHERE rowid = ?")
      .bind(1, int64_t{row})
      .run();
  transaction.commit();
}

}  // namespace telvarn::sqlite
