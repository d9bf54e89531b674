#include "engine/model/DefinitionExecution.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/model/Database.h"
#include "engine/model/Field.h"
#include "engine/model/Index.h"
#include "engine/model/MadeUpName.h"
#include "engine/model/RelationDefinition.h"
#include "engine/model/TableDef.h"

namespace telvarn::jetsql {
namespace {

// The local table a statement changes: 3376 when there is none, 3611 for a
// link, whose definition belongs to the file it points to.
std::shared_ptr<TableDef> requireTable(Database& db, const std::string& name) {
  std::shared_ptr<TableDef> table = db.findTableDef(name);
  if (!table) throw engineError(3376, {name});
  if (!table->connect().empty()) throw engineError(3611);
  return table;
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
  if (type.autoIncrement) {
    record.attributes |= kAutoIncrementAttribute;
    record.seed = type.seed;
    record.increment = type.increment;
  }
  return std::make_shared<Field>(record);
}

IndexRecord indexFor(const ConstraintDef& constraint, const std::vector<std::string>& columns) {
  IndexRecord index;
  index.name = constraint.name.empty() ? madeUpName("Index_") : constraint.name;
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

// The column and its constraint's index are one change.
void addPlainColumn(Database& db, TableDef& tableDef, const ColumnDef& column) {
  const TableRecord table = tableDef.record();
  if (hasNamed(table.fields, column.name)) throw engineError(3380, {table.name, column.name});
  std::optional<IndexRecord> index;
  if (column.constraint) {
    index = indexFor(*column.constraint, {column.name});
    if (hasNamed(table.indexes, index->name)) throw engineError(3375, {table.name, index->name});
  }
  db.atomically([&] {
    tableDef.appendField(makeField(tableDef, column));
    if (index) tableDef.appendIndex(std::make_shared<Index>(*index));
  });
}

// A column with a REFERENCES clause brings its relationship along, in the
// same change.
void addColumn(Database& db, TableDef& table, const ColumnDef& column) {
  if (!column.references) return addPlainColumn(db, table, column);
  db.atomically([&] {
    addPlainColumn(db, table, column);
    addForeignKey(db, table.name(), *column.references, {column.name});
  });
}

// A new type and size for an existing field; every other property stays.
void alterColumn(TableDef& table, const ColumnDef& column) {
  const TableRecord record = table.record();
  const auto field = findNamed(record.fields, column.name);
  if (field == record.fields.end()) throw engineError(3381, {record.name, column.name});
  FieldRecord changed = *field;
  changed.type = column.type.type;
  changed.size = storedSize(column.type.type, column.type.size);
  // The width follows the new type (a fixed Currency becomes a varying
  // Text, not a CHAR(n)), as does the numbering.
  changed.attributes &= ~(kAutoIncrementAttribute | kFixedAttribute | kVariableAttribute);
  if (column.type.autoIncrement) {
    changed.attributes |= kAutoIncrementAttribute;
    changed.seed = column.type.seed;
    changed.increment = column.type.increment;
  }
  table.changeField(field->name, changed);
}

void addConstraint(Database& db, TableDef& table, const ConstraintDef& constraint) {
  if (constraint.kind == ConstraintDef::Kind::ForeignKey) {
    return addForeignKey(db, table.name(), constraint, constraint.columns);
  }
  const IndexRecord index = indexFor(constraint, constraint.columns);
  checkIndexColumns(table.record(), index);
  table.appendIndex(std::make_shared<Index>(index));
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
  db.atomically([&] {
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
    if (db.findTableDef(name)) continue;
    if (drop.tables.size() > 1) throw engineError(3371);
    throw engineError(3376, {name});
  }
  db.atomically([&] {
    for (const auto& name : drop.tables) db.deleteTableDef(name);
  });
}

void executeDefinition(Database& db, const AlterTable& alter) {
  const std::shared_ptr<TableDef> table = requireTable(db, alter.table);
  const TableRecord record = table->record();
  switch (alter.action) {
    case AlterTable::Action::AddColumn:
      return addColumn(db, *table, alter.column);
    case AlterTable::Action::AlterColumn:
      return alterColumn(*table, alter.column);
    case AlterTable::Action::DropColumn:
      if (!hasNamed(record.fields, alter.name)) throw engineError(3381, {record.name, alter.name});
      return table->deleteField(alter.name);
    case AlterTable::Action::AddConstraint:
      return addConstraint(db, *table, alter.constraint);
    case AlterTable::Action::DropConstraint:
      if (dropForeignKey(db, record.name, alter.name)) return;
      if (!hasNamed(record.indexes, alter.name)) throw engineError(3371);
      return table->deleteIndex(alter.name);
  }
}

void executeDefinition(Database& db, const CreateIndex& create) {
  const std::shared_ptr<TableDef> tableDef = requireTable(db, create.table);
  const TableRecord table = tableDef->record();
  IndexRecord index;
  index.name = create.name;
  index.primary = create.primary;
  index.unique = create.unique || create.primary;
  index.required = create.disallowNull || create.primary;
  index.ignoreNulls = create.ignoreNull;
  index.columns = create.columns;
  checkIndexColumns(table, index);
  tableDef->appendIndex(std::make_shared<Index>(index));
}

void executeDefinition(Database& db, const DropIndex& drop) {
  const std::shared_ptr<TableDef> table = requireTable(db, drop.table);
  const TableRecord record = table->record();
  if (!hasNamed(record.indexes, drop.name)) throw engineError(3372, {record.name, drop.name});
  table->deleteIndex(drop.name);
}

}  // namespace telvarn::jetsql
