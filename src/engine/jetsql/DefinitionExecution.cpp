#include "engine/jetsql/DefinitionExecution.h"

#include <algorithm>
#include <random>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/Database.h"
#include "engine/Field.h"
#include "engine/Index.h"
#include "engine/Storage.h"
#include "engine/TableDef.h"
#include "engine/jetsql/RelationDefinition.h"

namespace telvarn::jetsql {
namespace {

constexpr int kAutoIncrementAttribute = 16;

// A constraint written without a name gets a made-up name; a random one
// cannot collide with a name a script chose.
std::string generatedIndexName() {
  static std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name = "Index_";
  uint64_t bits = generator();
  for (int i = 0; i < 16; ++i, bits >>= 4) name += kHex[bits & 0xF];
  return name;
}

// The local table a statement changes: 3376 when there is none, 3611 for a
// link, whose definition belongs to the file it points to.
TableRecord requireTable(Database& db, const std::string& name) {
  std::optional<TableRecord> table = db.storage().findTable(name);
  if (!table) throw engineError(3376, {name});
  if (table->kind == TableKind::Linked) throw engineError(3611);
  return *table;
}

template <typename Records>
auto findNamed(const Records& records, const std::string& name) {
  return std::find_if(records.begin(), records.end(),
                      [&](const auto& record) { return sameName(record.name, name); });
}

template <typename Records>
bool hasNamed(const Records& records, const std::string& name) {
  return findNamed(records, name) != records.end();
}

std::shared_ptr<Field> makeField(const TableDef& table, const ColumnDef& column) {
  const FieldType& type = column.type;
  std::optional<int> size;
  if (type.size > 0) size = type.size;
  FieldRecord record = table.createField(column.name, type.type, size)->record();
  record.required = column.notNull;
  record.defaultValue = column.defaultValue;
  if (type.autoIncrement) record.attributes |= kAutoIncrementAttribute;
  return std::make_shared<Field>(record);
}

IndexRecord indexFor(const ConstraintDef& constraint, const std::vector<std::string>& columns) {
  IndexRecord index;
  index.name = constraint.name.empty() ? generatedIndexName() : constraint.name;
  index.primary = constraint.kind == ConstraintDef::Kind::PrimaryKey;
  index.unique = true;
  index.required = index.primary;
  for (const auto& column : columns) index.columns.push_back({column});
  return index;
}

// The indexes a CREATE TABLE asks for, checked against its own columns.
std::vector<IndexRecord> constraintIndexes(const CreateTable& create) {
  std::vector<IndexRecord> indexes;
  for (const ColumnDef& column : create.columns) {
    if (column.constraint) indexes.push_back(indexFor(*column.constraint, {column.name}));
  }
  for (const ConstraintDef& constraint : create.constraints) {
    for (const auto& column : constraint.columns) {
      if (!hasNamed(create.columns, column)) throw engineError(3409, {column});
    }
    if (constraint.kind == ConstraintDef::Kind::ForeignKey) continue;
    indexes.push_back(indexFor(constraint, constraint.columns));
  }
  const auto primaries = std::count_if(indexes.begin(), indexes.end(),
                                       [](const IndexRecord& index) { return index.primary; });
  if (primaries > 1) throw engineError(3283);
  for (size_t i = 0; i < indexes.size(); ++i) {
    if (std::any_of(indexes.begin(), indexes.begin() + i, [&](const IndexRecord& other) {
          return sameName(other.name, indexes[i].name);
        }))
      throw engineError(3375, {create.table, indexes[i].name});
  }
  return indexes;
}

void checkIndexColumns(const TableRecord& table, const IndexRecord& index) {
  for (const IndexColumn& column : index.columns) {
    if (!hasNamed(table.fields, column.field)) throw engineError(3409, {column.field});
  }
  if (hasNamed(table.indexes, index.name)) throw engineError(3375, {table.name, index.name});
}

void addPlainColumn(Database& db, const TableRecord& table, const ColumnDef& column) {
  if (hasNamed(table.fields, column.name)) throw engineError(3380, {table.name, column.name});
  std::optional<IndexRecord> index;
  if (column.constraint) {
    index = indexFor(*column.constraint, {column.name});
    if (hasNamed(table.indexes, index->name)) throw engineError(3375, {table.name, index->name});
  }
  const auto tableDef = db.tableDef(table.name);
  tableDef->appendField(makeField(*tableDef, column));
  if (!index) return;
  try {
    tableDef->appendIndex(std::make_shared<Index>(*index));
  } catch (const AppError&) {
    // The statement is one change: without its index the column goes too.
    db.storage().deleteField(table.name, column.name);
    throw;
  }
}

// A column with a REFERENCES clause brings its relationship along, in the
// same change.
void addColumn(Database& db, const TableRecord& table, const ColumnDef& column) {
  if (!column.references) return addPlainColumn(db, table, column);
  db.storage().atomically([&] {
    addPlainColumn(db, table, column);
    addForeignKey(db, table.name, *column.references, {column.name});
  });
}

// A new type and size for an existing field; every other property stays.
void alterColumn(Database& db, const TableRecord& table, const ColumnDef& column) {
  const auto field = findNamed(table.fields, column.name);
  if (field == table.fields.end()) throw engineError(3381, {table.name, column.name});
  FieldRecord changed = *field;
  changed.type = column.type.type;
  changed.size = storedSize(column.type.type, column.type.size);
  changed.attributes &= ~kAutoIncrementAttribute;
  if (column.type.autoIncrement) changed.attributes |= kAutoIncrementAttribute;
  db.storage().changeField(table.name, field->name, changed);
}

void addConstraint(Database& db, const TableRecord& table, const ConstraintDef& constraint) {
  if (constraint.kind == ConstraintDef::Kind::ForeignKey) {
    return addForeignKey(db, table.name, constraint, constraint.columns);
  }
  const IndexRecord index = indexFor(constraint, constraint.columns);
  checkIndexColumns(table, index);
  db.tableDef(table.name)->appendIndex(std::make_shared<Index>(index));
}

}  // namespace

void executeDefinition(Database& db, const CreateTable& create) {
  for (size_t i = 0; i < create.columns.size(); ++i) {
    if (std::any_of(
            create.columns.begin(), create.columns.begin() + i,
            [&](const ColumnDef& other) { return sameName(other.name, create.columns[i].name); }))
      throw engineError(3191);
  }
  const std::vector<IndexRecord> indexes = constraintIndexes(create);
  const auto table = db.createTableDef(create.table);
  for (const ColumnDef& column : create.columns) table->appendField(makeField(*table, column));
  for (const IndexRecord& index : indexes) table->appendIndex(std::make_shared<Index>(index));
  db.storage().atomically([&] {
    db.appendTableDef(table);
    for (const ColumnDef& column : create.columns) {
      if (column.references) addForeignKey(db, create.table, *column.references, {column.name});
    }
    for (const ConstraintDef& constraint : create.constraints) {
      if (constraint.kind == ConstraintDef::Kind::ForeignKey)
        addForeignKey(db, create.table, constraint, constraint.columns);
    }
  });
}

void executeDefinition(Database& db, const DropTable& drop) {
  for (const auto& name : drop.tables) {
    if (db.storage().findTable(name)) continue;
    if (drop.tables.size() > 1) throw engineError(3371);
    throw engineError(3376, {name});
  }
  for (const auto& name : drop.tables) db.storage().dropTable(name);
}

void executeDefinition(Database& db, const AlterTable& alter) {
  const TableRecord table = requireTable(db, alter.table);
  switch (alter.action) {
    case AlterTable::Action::AddColumn:
      return addColumn(db, table, alter.column);
    case AlterTable::Action::AlterColumn:
      return alterColumn(db, table, alter.column);
    case AlterTable::Action::DropColumn:
      if (!hasNamed(table.fields, alter.name)) throw engineError(3381, {table.name, alter.name});
      return db.tableDef(table.name)->deleteField(alter.name);
    case AlterTable::Action::AddConstraint:
      return addConstraint(db, table, alter.constraint);
    case AlterTable::Action::DropConstraint:
      if (dropForeignKey(db, table.name, alter.name)) return;
      if (!hasNamed(table.indexes, alter.name)) throw engineError(3371);
      return db.storage().dropIndex(table.name, alter.name);
  }
}

void executeDefinition(Database& db, const CreateIndex& create) {
  const TableRecord table = requireTable(db, create.table);
  IndexRecord index;
  index.name = create.name;
  index.primary = create.primary;
  index.unique = create.unique || create.primary;
  index.required = create.disallowNull || create.primary;
  index.ignoreNulls = create.ignoreNull;
  index.columns = create.columns;
  checkIndexColumns(table, index);
  db.tableDef(table.name)->appendIndex(std::make_shared<Index>(index));
}

void executeDefinition(Database& db, const DropIndex& drop) {
  const TableRecord table = requireTable(db, drop.table);
  if (!hasNamed(table.indexes, drop.name)) throw engineError(3372, {table.name, drop.name});
  db.storage().dropIndex(table.name, drop.name);
}

}  // namespace telvarn::jetsql
