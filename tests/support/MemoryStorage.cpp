#include "support/MemoryStorage.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/GeneralSortOrder.h"
#include "engine/executor/StorageExecutor.h"
#include "engine/model/FieldValue.h"
#include "engine/values/Comparison.h"

namespace telvarn::test {
namespace {

using Row = MemoryStorage::Row;

bool isEmpty(const Variant& value) {
  return value.kind() == Variant::Kind::Empty;
}

// Two stored values as an index compares them: Null matches Null only,
// text in the General sort order, values of unlike kinds never.
bool sameValue(const Variant& a, const Variant& b) {
  if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
  try {
    return values::order(a, b) == 0;
  } catch (const AppError&) {
    return false;
  }
}

size_t position(const TableRecord& table, const std::string& field) {
  for (size_t i = 0; i < table.fields.size(); ++i) {
    if (sameName(table.fields[i].name, field)) return i;
  }
  throw engineError(3000, {"no field " + field + " in " + table.name});
}

std::vector<size_t> positions(const TableRecord& table, const std::vector<std::string>& fields) {
  std::vector<size_t> out;
  for (const std::string& field : fields) out.push_back(position(table, field));
  return out;
}

std::vector<size_t> positions(const TableRecord& table, const IndexRecord& index) {
  std::vector<size_t> out;
  for (const IndexColumn& column : index.columns) out.push_back(position(table, column.field));
  return out;
}

// The values of `row` at `at`, and whether any of them is Null.
struct Key {
  std::vector<Variant> values;
  bool anyNull = false;
};

Key keyOf(const Row& row, const std::vector<size_t>& at) {
  Key key;
  for (const size_t i : at) {
    key.values.push_back(row[i]);
    key.anyNull = key.anyNull || row[i].isNull();
  }
  return key;
}

bool sameKey(const std::vector<Variant>& a, const std::vector<Variant>& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (!sameValue(a[i], b[i])) return false;
  }
  return true;
}

// Whether any row of `table` holds `key` in the fields at `at`.
bool anyRowWith(const MemoryStorage::Table& table, const std::vector<size_t>& at,
                const std::vector<Variant>& key) {
  for (const auto& [id, row] : table.rows) {
    if (sameKey(keyOf(row, at).values, key)) return true;
  }
  return false;
}

// The numbering goes on past a number a row takes, given or handed out.
void numberTaken(const FieldRecord& field, const Variant& value, int64_t& next) {
  if (value.isNull()) return;
  const int64_t taken = value.toInteger();
  if (field.increment > 0 ? taken >= next : taken <= next) next = taken + field.increment;
}

class RowsCursor : public RowCursor {
 public:
  explicit RowsCursor(std::vector<std::pair<RowId, Row>> rows) : rows_(std::move(rows)) {}

  bool next() override { return ++at_ <= rows_.size(); }
  RowId id() const override { return rows_[at_ - 1].first; }
  const std::vector<Variant>& values() const override { return rows_[at_ - 1].second; }

 private:
  std::vector<std::pair<RowId, Row>> rows_;
  size_t at_ = 0;
};

template <typename Named>
std::vector<std::string> sortedNames(const std::vector<Named>& objects) {
  std::vector<std::string> names;
  for (const Named& object : objects) names.push_back(object.name);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return compareGeneral(a, b) < 0; });
  return names;
}

}  // namespace

MemoryStorage::MemoryStorage(std::string path) : path_(std::move(path)) {}

template <typename Change>
void MemoryStorage::whole(Change&& change) {
  State before = state_;
  try {
    change();
  } catch (...) {
    state_ = std::move(before);
    throw;
  }
}

MemoryStorage::Table* MemoryStorage::find(const std::string& name) {
  for (Table& table : state_.tables) {
    if (sameName(table.record.name, name)) return &table;
  }
  return nullptr;
}

MemoryStorage::Table& MemoryStorage::local(const std::string& name) {
  Table* table = find(name);
  if (table == nullptr) throw engineError(3078, {name});
  if (table->record.kind != TableKind::Local) throw engineError(3251);
  return *table;
}

std::optional<TableRecord> MemoryStorage::findTable(const std::string& name) {
  const Table* table = find(name);
  if (table == nullptr) return std::nullopt;
  return table->record;
}

std::vector<std::string> MemoryStorage::tableNames() {
  std::vector<TableRecord> records;
  for (const Table& table : state_.tables) records.push_back(table.record);
  return sortedNames(records);
}

void MemoryStorage::createTable(const TableRecord& record) {
  Table table;
  table.record = record;
  for (const FieldRecord& field : record.fields) {
    if (field.autoNumber()) table.nextNumber = field.seed;
  }
  state_.tables.push_back(std::move(table));
}

void MemoryStorage::dropTable(const std::string& name) {
  const Table* table = find(name);
  if (table == nullptr) throw engineError(3000, {"no table " + name});
  state_.tables.erase(state_.tables.begin() + (table - state_.tables.data()));
}

void MemoryStorage::addField(const std::string& name, const FieldRecord& field) {
  Table& table = local(name);
  table.record.fields.push_back(field);
  if (field.autoNumber()) table.nextNumber = field.seed;
  for (auto& [id, row] : table.rows) {
    if (field.autoNumber()) {
      row.push_back(fieldValue(Variant(table.nextNumber), field.type, field.size));
      table.nextNumber += field.increment;
    } else {
      row.push_back(fieldValue(Variant::null(), field.type, field.size));
    }
  }
}

void MemoryStorage::deleteField(const std::string& name, const std::string& field) {
  Table& table = local(name);
  const size_t at = position(table.record, field);
  table.record.fields.erase(table.record.fields.begin() + static_cast<ptrdiff_t>(at));
  for (auto& [id, row] : table.rows) row.erase(row.begin() + static_cast<ptrdiff_t>(at));
}

void MemoryStorage::changeField(const std::string& name, const std::string& field,
                                const FieldRecord& changed) {
  whole([&] {
    Table* table = find(name);
    if (table == nullptr) throw engineError(3000, {"no table " + name});
    const size_t at = position(table->record, field);
    FieldRecord& before = table->record.fields[at];
    if (before.name != changed.name) {
      for (IndexRecord& index : table->record.indexes) {
        for (IndexColumn& column : index.columns) {
          if (sameName(column.field, before.name)) column.field = changed.name;
        }
      }
      for (RelationRecord& relation : state_.relations) {
        const auto rename = [&](const std::string& side, std::vector<std::string>& columns) {
          if (!sameName(side, table->record.name)) return;
          for (std::string& column : columns) {
            if (sameName(column, before.name)) column = changed.name;
          }
        };
        rename(relation.table, relation.columns);
        rename(relation.referencedTable, relation.referencedColumns);
      }
    }
    const bool converts = before.type != changed.type || before.size != changed.size;
    const bool numbers = changed.autoNumber() && !before.autoNumber();
    before = changed;
    if (table->record.kind != TableKind::Local) return;
    if (converts) {
      for (auto& [id, row] : table->rows) row[at] = fieldValue(row[at], changed.type, changed.size);
      for (auto& [id, row] : table->rows) checkKeys(*table, id, row);
    }
    if (numbers) {
      table->nextNumber = changed.seed;
      for (const auto& [id, row] : table->rows) numberTaken(changed, row[at], table->nextNumber);
    }
  });
}

void MemoryStorage::addIndex(const std::string& name, const IndexRecord& index) {
  whole([&] {
    Table& table = local(name);
    table.record.indexes.push_back(index);
    for (const auto& [id, row] : table.rows) checkKeys(table, id, row);
  });
}

void MemoryStorage::dropIndex(const std::string& name, const std::string& index) {
  std::vector<IndexRecord>& indexes = local(name).record.indexes;
  indexes.erase(std::remove_if(indexes.begin(), indexes.end(),
                               [&](const IndexRecord& i) { return sameName(i.name, index); }),
                indexes.end());
}

std::optional<QueryRecord> MemoryStorage::findQuery(const std::string& name) {
  for (const QueryRecord& query : state_.queries) {
    if (sameName(query.name, name)) return query;
  }
  return std::nullopt;
}

std::vector<std::string> MemoryStorage::queryNames() {
  return sortedNames(state_.queries);
}

void MemoryStorage::createQuery(const QueryRecord& query) {
  state_.queries.push_back(query);
}

void MemoryStorage::deleteQuery(const std::string& name) {
  std::erase_if(state_.queries, [&](const QueryRecord& q) { return sameName(q.name, name); });
}

std::vector<RelationRecord> MemoryStorage::relations() {
  return state_.relations;
}

void MemoryStorage::addRelation(const RelationRecord& relation) {
  const Table& referring = local(relation.table);
  const Table& referred = local(relation.referencedTable);
  const std::vector<size_t> from = positions(referring.record, relation.columns);
  const std::vector<size_t> to = positions(referred.record, relation.referencedColumns);
  for (const auto& [id, row] : referring.rows) {
    const Key key = keyOf(row, from);
    if (!key.anyNull && !anyRowWith(referred, to, key.values))
      throw engineError(3201, {referred.record.name});
  }
  state_.relations.push_back(relation);
}

void MemoryStorage::dropRelation(const std::string& name) {
  std::erase_if(state_.relations, [&](const RelationRecord& r) { return sameName(r.name, name); });
}

std::unique_ptr<RowCursor> MemoryStorage::scan(const std::string& name) {
  const Table& table = local(name);
  return std::make_unique<RowsCursor>(
      std::vector<std::pair<RowId, Row>>(table.rows.begin(), table.rows.end()));
}

std::unique_ptr<RowCursor> MemoryStorage::seek(const std::string& name, const std::string& index,
                                               const std::vector<Variant>& key) {
  const Table& table = local(name);
  const auto found = std::find_if(table.record.indexes.begin(), table.record.indexes.end(),
                                  [&](const IndexRecord& i) { return sameName(i.name, index); });
  if (found == table.record.indexes.end() || found->columns.size() != key.size())
    throw engineError(3000,
                      {"no index " + index + " of " + std::to_string(key.size()) + " columns"});
  const std::vector<size_t> at = positions(table.record, *found);
  // The key as the fields hold their values (a Text key of any length).
  std::vector<Variant> wanted;
  for (size_t i = 0; i < at.size(); ++i)
    wanted.push_back(fieldValue(key[i], table.record.fields[at[i]].type, 0));
  std::vector<std::pair<RowId, Row>> rows;
  for (const auto& [id, row] : table.rows) {
    if (sameKey(keyOf(row, at).values, wanted)) rows.emplace_back(id, row);
  }
  return std::make_unique<RowsCursor>(std::move(rows));
}

uint64_t MemoryStorage::rowCount(const std::string& name) {
  return local(name).rows.size();
}

void MemoryStorage::checkKeys(const Table& table, RowId id, const Row& row) const {
  for (const IndexRecord& index : table.record.indexes) {
    const Key key = keyOf(row, positions(table.record, index));
    if ((index.primary || index.required) && key.anyNull) throw engineError(3058);
    if (!(index.primary || index.unique) || key.anyNull) continue;
    for (const auto& [other, values] : table.rows) {
      if (other != id && sameKey(keyOf(values, positions(table.record, index)).values, key.values))
        throw engineError(3022);
    }
  }
}

void MemoryStorage::checkReferences(const Table& table, const Row* before, const Row* after) {
  for (const RelationRecord& relation : state_.relations) {
    if (after && sameName(relation.table, table.record.name)) {
      const Key key = keyOf(*after, positions(table.record, relation.columns));
      const bool changed =
          !before ||
          !sameKey(keyOf(*before, positions(table.record, relation.columns)).values, key.values);
      const Table& referred = local(relation.referencedTable);
      if (changed && !key.anyNull &&
          !anyRowWith(referred, positions(referred.record, relation.referencedColumns), key.values))
        throw engineError(3201, {referred.record.name});
    }
    if (before && sameName(relation.referencedTable, table.record.name)) {
      const std::vector<size_t> at = positions(table.record, relation.referencedColumns);
      const Key key = keyOf(*before, at);
      if (key.anyNull || (after && sameKey(keyOf(*after, at).values, key.values))) continue;
      const Table& referring = local(relation.table);
      if (anyRowWith(referring, positions(referring.record, relation.columns), key.values))
        throw engineError(3200, {referring.record.name});
    }
  }
}

RowId MemoryStorage::insertRow(const std::string& name, const std::vector<Variant>& values) {
  Table& table = local(name);
  const std::vector<FieldRecord>& fields = table.record.fields;
  if (fields.empty() || values.size() != fields.size())
    throw engineError(3000, {"a row of " + std::to_string(values.size()) + " values for " + name});
  int64_t next = table.nextNumber;
  Row row;
  for (size_t i = 0; i < fields.size(); ++i) {
    const bool missing = isEmpty(values[i]) || values[i].isNull();
    if (fields[i].autoNumber() && missing) {
      row.push_back(fieldValue(Variant(next), fields[i].type, fields[i].size));
    } else {
      row.push_back(
          fieldValue(missing ? Variant::null() : values[i], fields[i].type, fields[i].size));
    }
    if (fields[i].autoNumber()) numberTaken(fields[i], row.back(), next);
  }
  const RowId id = table.lastId + 1;
  checkKeys(table, id, row);
  table.rows.emplace(id, row);
  try {
    checkReferences(table, nullptr, &row);
  } catch (...) {
    table.rows.erase(id);
    throw;
  }
  table.lastId = id;
  table.nextNumber = next;
  return id;
}

void MemoryStorage::updateRow(const std::string& name, RowId id,
                              const std::vector<Variant>& values) {
  Table& table = local(name);
  const std::vector<FieldRecord>& fields = table.record.fields;
  if (values.size() != fields.size())
    throw engineError(3000, {"a row of " + std::to_string(values.size()) + " values for " + name});
  const auto found = table.rows.find(id);
  if (found == table.rows.end()) throw engineError(3167);
  const Row before = found->second;
  Row row = before;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (isEmpty(values[i])) continue;
    row[i] = fieldValue(values[i], fields[i].type, fields[i].size);
    if (fields[i].autoNumber() && !sameValue(row[i], before[i])) throw engineError(3164);
  }
  checkKeys(table, id, row);
  found->second = row;
  try {
    checkReferences(table, &before, &row);
  } catch (...) {
    table.rows[id] = before;
    throw;
  }
}

void MemoryStorage::deleteRow(const std::string& name, RowId id) {
  Table& table = local(name);
  const auto found = table.rows.find(id);
  if (found == table.rows.end()) throw engineError(3167);
  checkReferences(table, &found->second, nullptr);
  table.rows.erase(found);
}

void MemoryStorage::begin() {
  savepoints_.push_back(state_);
}

void MemoryStorage::commit() {
  if (savepoints_.empty()) throw engineError(3000, {"no transaction to end"});
  savepoints_.pop_back();
}

void MemoryStorage::rollBack() {
  if (savepoints_.empty()) throw engineError(3000, {"no transaction to end"});
  state_ = std::move(savepoints_.back());
  savepoints_.pop_back();
}

std::shared_ptr<Database> memoryDatabase(const std::string& path, Database::SourceOpener sources) {
  auto storage = std::make_shared<MemoryStorage>(path);
  // A link's source storage, kept alive with the database that holds it.
  auto linkSources = [sources](const std::string& connect) {
    const std::shared_ptr<Database> source = sources(connect);
    return std::shared_ptr<Storage>(source, &source->storage());
  };
  return std::make_shared<Database>(
      storage, std::make_shared<executor::StorageExecutor>(storage, linkSources),
      std::move(sources));
}

}  // namespace telvarn::test
