#include "engine/jetsql/RelationDefinition.h"

#include <algorithm>
#include <random>

#include "engine/AppError.h"
#include "engine/Database.h"
#include "engine/Index.h"
#include "engine/Storage.h"
#include "engine/TableDef.h"

namespace telvarn::jetsql {
namespace {

// A relationship written without a name gets a made-up one, as the
// original does.
std::string generatedName() {
  static std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name = "Relation_";
  uint64_t bits = generator();
  for (int i = 0; i < 16; ++i, bits >>= 4) name += kHex[bits & 0xF];
  return name;
}

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
  const auto parent = db.storage().findTable(constraint.referencedTable);
  if (!parent || parent->kind != TableKind::Local)
    throw engineError(3376, {constraint.referencedTable});
  RelationRecord relation;
  relation.name = constraint.name.empty() ? generatedName() : constraint.name;
  relation.table = child.name;
  relation.columns = fieldNames(child, columns);
  relation.referencedTable = parent->name;
  relation.referencedColumns =
      fieldNames(*parent, constraint.referencedColumns.empty() ? primaryKey(*parent)
                                                               : constraint.referencedColumns);
  if (relation.columns.size() != relation.referencedColumns.size())
    throw engineError(3409, {relation.columns.front()});
  return relation;
}

}  // namespace

void addForeignKey(Database& db, const std::string& table, const ConstraintDef& constraint,
                   const std::vector<std::string>& columns) {
  const auto child = db.storage().findTable(table);
  if (!child) throw engineError(3376, {table});
  const RelationRecord relation = relationFor(db, *child, constraint, columns);
  db.storage().atomically([&] {
    if (!constraint.noIndex) {
      IndexRecord index;
      index.name = relation.name;
      for (const std::string& column : relation.columns) index.columns.push_back({column});
      db.tableDef(table)->appendIndex(std::make_shared<Index>(index));
    }
    db.storage().addRelation(relation);
  });
}

bool dropForeignKey(Database& db, const std::string& table, const std::string& name) {
  const auto all = db.storage().relations();
  const auto found = std::find_if(all.begin(), all.end(), [&](const RelationRecord& r) {
    return sameName(r.name, name) && sameName(r.table, table);
  });
  if (found == all.end()) return false;
  db.storage().atomically([&] {
    db.storage().dropRelation(found->name);
    const auto saved = db.storage().findTable(table);
    const bool indexed = std::any_of(saved->indexes.begin(), saved->indexes.end(),
                                     [&](const IndexRecord& i) { return sameName(i.name, name); });
    if (indexed) db.storage().dropIndex(table, name);
  });
  return true;
}

}  // namespace telvarn::jetsql
