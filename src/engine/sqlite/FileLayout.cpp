#include "engine/sqlite/FileLayout.h"

#include <string>
#include <utility>
#include <vector>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/sqlite/AutoNumbers.h"
#include "engine/sqlite/CatalogTables.h"
#include "engine/sqlite/Dependents.h"
#include "engine/sqlite/ForeignObjects.h"
#include "engine/sqlite/FunctionSupport.h"
#include "engine/sqlite/PhysicalSchema.h"
#include "engine/sqlite/SqliteStorage.h"
#include "engine/sqlite/TextOrder.h"
#include "engine/values/Calendar.h"
#include "engine/values/DateText.h"
#include "engine/values/NumberForms.h"

namespace telvarn::sqlite {
namespace {

std::string textOf(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return text ? std::string(text, static_cast<size_t>(sqlite3_value_bytes(value))) : "";
}

// The earlier layout's value, nullopt when that layout cannot hold it.
std::optional<Variant> earlier(sqlite3_value* value, int type) {
  const int storage = sqlite3_value_type(value);
  const bool number = storage == SQLITE_INTEGER || storage == SQLITE_FLOAT;
  switch (type) {
    case DataType::Boolean:
      return Variant(storage != SQLITE_NULL && sqlite3_value_double(value) != 0);
    case DataType::Date: {
      if (storage == SQLITE_NULL) return Variant::null();
      const std::optional<double> day =
          number ? sqlite3_value_double(value) : serialFromDate(textOf(value));
      if (!day || !values::momentOf(*day)) return std::nullopt;
      return Variant::fromDate(*day);
    }
    case DataType::Currency:
      if (storage == SQLITE_NULL) return Variant::null();
      if (!number) return std::nullopt;
      return Variant::fromCurrency(values::currencyFromDouble(sqlite3_value_double(value)));
    case DataType::Single:
      if (storage == SQLITE_NULL) return Variant::null();
      if (!number) return std::nullopt;
      return Variant::fromSingle(static_cast<float>(sqlite3_value_double(value)));
    default:
      return readValue(value, kindLetter(kindOfField(type)));
  }
}

// telvarn_earlier(value, type): the stored form of an earlier layout's
// value, for the file the connection (the function's data) has open.
void earlierValue(sqlite3_context* context, int, sqlite3_value** argv) {
  reporting(context, [&] {
    const auto& db = *static_cast<const Connection*>(sqlite3_user_data(context));
    setResult(context, earlierLayoutValue(argv[0], sqlite3_value_int(argv[1]), db.path()));
  });
}

bool changesForm(int type) {
  return type == DataType::Boolean || type == DataType::Date || type == DataType::Currency ||
         type == DataType::Single;
}

// Every value of a table in the current layout, with the triggers other
// tools put on the table set aside meanwhile, so that none fires.
void convertValues(Connection& db, const TableRecord& table) {
  std::string sets;
  for (const FieldRecord& field : table.fields) {
    if (!changesForm(field.type)) continue;
    const std::string column = Connection::quote(field.name);
    sets += (sets.empty() ? "" : ", ") + column + " = telvarn_earlier(" + column + ", " +
            std::to_string(field.type) + ")";
  }
  if (sets.empty()) return;
  std::vector<foreign::Object> triggers;
  for (foreign::Object& object : foreign::on(db, table.name)) {
    if (object.type != "trigger") continue;
    db.exec("DROP TRIGGER " + Connection::quote(object.name));
    triggers.push_back(std::move(object));
  }
  db.exec("UPDATE " + Connection::quote(table.name) + " SET " + sets);
  foreign::makeAgain(db, triggers);
}

// Indexes made before text had the General sort order, whose text columns
// still compare as their NOCASE declaration says: table and index names.
std::vector<std::pair<std::string, std::string>> indexesToCollate(Connection& db) {
  Statement row(db,
                "SELECT DISTINCT c.TableName, c.IndexName FROM MSysIndexColumns c "
                "JOIN MSysFields f ON f.TableName = c.TableName AND f.Name = c.FieldName "
                "WHERE f.Type IN (" +
                    std::to_string(DataType::Text) + ", " + std::to_string(DataType::Memo) +
                    ") AND NOT EXISTS (SELECT 1 FROM "
                    "pragma_index_xinfo(c.TableName || '.' || c.IndexName) x "
                    "WHERE x.name = c.FieldName AND x.coll = '" +
                    kTextCollation + "')");
  std::vector<std::pair<std::string, std::string>> found;
  while (row.step()) found.emplace_back(row.text(0), row.text(1));
  return found;
}

// Each such index made again in the General sort order. A unique index
// whose values that order finds equal ("Äpfel", "äpfel") keeps the order it
// had, and every row; it is tried again when the file is next opened.
void collateTextIndexes(SqliteStorage& storage) {
  Connection& db = storage.connection();
  for (const auto& [tableName, indexName] : indexesToCollate(db)) {
    const std::optional<TableRecord> table = storage.findTable(tableName);
    if (!table) continue;
    for (const IndexRecord& index : table->indexes) {
      if (index.name != indexName) continue;
      try {
        Transaction attempt(db);
        physical::dropIndex(db, table->name, index.name);
        physical::createIndex(db, table->name, table->fields, index);
        attempt.commit();
      } catch (const AppError& error) {
        if (error.number() != 3022) throw;
      }
    }
  }
}

void bringUpToDate(SqliteStorage& storage) {
  Connection& db = storage.connection();
  if (catalog::formatVersion(db) < kFormatVersion) {
    storage.dependents().dropAll();
    for (const std::string& name : catalog::objectNames(db, catalog::kTable, catalog::kTable)) {
      if (const std::optional<TableRecord> table = storage.findTable(name))
        convertValues(db, *table);
    }
    catalog::setFormatVersion(db, kFormatVersion);
    storage.dependents().createAll();
  }
  collateTextIndexes(storage);
  if (autonumbers::anyMissing(db)) autonumbers::addMissing(db);
}

}  // namespace

Variant earlierLayoutValue(sqlite3_value* value, int type, const std::string& path) {
  const std::optional<Variant> found = earlier(value, type);
  if (!found) throw engineError(3343, {path});
  return *found;
}

void updateLayoutAtFirstWrite(SqliteStorage& storage) {
  Connection& db = storage.connection();
  if (catalog::formatVersion(db) >= kFormatVersion && indexesToCollate(db).empty() &&
      !autonumbers::anyMissing(db))
    return;
  sqlite3_create_function(db.handle(), "telvarn_earlier", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                          &db, earlierValue, nullptr, nullptr);
  db.beforeFirstWrite([&storage] { bringUpToDate(storage); });
}

}  // namespace telvarn::sqlite
