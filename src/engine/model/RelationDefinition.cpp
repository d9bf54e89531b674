#include "engine/model/RelationDefinition.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/model/Database.h"
#include "engine/model/Index.h"
#include "engine/model/MadeUpName.h"
#include "engine/model/TableDef.h"

namespace telvarn::jetsql {
namespace {

// The stored spelling of each of `names` among `fields`; 3409 for one the
// table lacks.
std::vector<std::string> fieldNames(const TableRecord& table,
                                    const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& name : names) {
    const auto found = std::find_if(table.fields.begin(), table.fields.end(),
                                    [&](const FieldRecord& f) { return sameName(f.name, name); });
    if (found == table.fields.end()) throw engineError(3409, {name});
    out.push_back(found->name);
  }
  return out;
}

std::vector<std::string> primaryKey(const TableRecord& table) {
  for (const IndexRecord& index : table.indexes) {
    if (!index.primary) continue;
    std::vector<std::string> columns;
    for (const IndexColumn& column : index.columns) columns.push_back(column.field);
    return columns;
  }
  throw engineError(3371);
}

RelationRecord relationFor(Database& db, const TableRecord& child, const ConstraintDef& constraint,
                           const std::vector<std::string>& columns) {
  const auto parentDef = db.findTableDef(constraint.referencedTable);
  if (!parentDef || !parentDef->connect().empty())
    throw engineError(3376, {constraint.referencedTable});
  const TableRecord parent = parentDef->record();
  RelationRecord relation;
  relation.name = constraint.name.empty() ? madeUpName("Relation_") : constraint.name;
  relation.table = child.name;
  relation.columns = fieldNames(child, columns);
  relation.referencedTable = parent.name;
  relation.referencedColumns =
      fieldNames(parent, constraint.referencedColumns.empty() ? primaryKey(parent)
                                                              : constraint.referencedColumns);
  if (relation.columns.size() != relation.referencedColumns.size())
    throw engineError(3409, {relation.columns.front()});
  return relation;
}

}  // namespace

void addForeignKey(Database& db, const std::string& table, const ConstraintDef& constraint,
                   const std::vector<std::string>& columns) {
  const auto child = db.findTableDef(table);
  if (!child) throw engineError(3376, {table});
  const RelationRecord relation = relationFor(db, child->record(), constraint, columns);
  // The name is free before the relationship's index is made under it.
  for (const RelationRecord& other : db.relations()) {
    if (sameName(other.name, relation.name)) throw engineError(3012, {relation.name});
  }
  db.atomically([&] {
    if (!constraint.noIndex) {
      IndexRecord index;
      index.name = relation.name;
      for (const std::string& column : relation.columns) index.columns.push_back({column});
      child->appendIndex(std::make_shared<Index>(index));
    }
    db.appendRelation(relation);
  });
}

bool dropForeignKey(Database& db, const std::string& table, const std::string& name) {
  const auto all = db.relations();
  const auto found = std::find_if(all.begin(), all.end(), [&](const RelationRecord& r) {
    return sameName(r.name, name) && sameName(r.table, table);
  });
  if (found == all.end()) return false;
  db.atomically([&] {
    db.deleteRelation(found->name);
    const auto saved = db.tableDef(table);
    const auto& indexes = saved->indexes();
    if (std::any_of(indexes.begin(), indexes.end(),
                    [&](const auto& index) { return sameName(index->name(), name); }))
      saved->deleteIndex(name);
  });
  return true;
}

}  // namespace telvarn::jetsql
