#include "engine/sqlite/RelationCatalog.h"

#include <algorithm>
#include <map>

#include "engine/sqlite/TextOrder.h"

namespace telvarn::sqlite::relations {
namespace {

bool exists(Connection& db) {
  return db.hasTable("MSysRelationships");
}

std::string quote(const std::string& name) {
  return Connection::quote(name);
}

// How each key column of the referenced table compares: text in the
// General sort order, as the key's index holds it.
std::vector<std::string> keyCollations(Connection& db, const RelationRecord& relation) {
  std::vector<std::string> out;
  for (const std::string& column : relation.referencedColumns) {
    Statement type(db,
                   "SELECT Type FROM MSysFields WHERE TableName = ? COLLATE JETGENERAL AND "
                   "Name = ? COLLATE JETGENERAL");
    type.bind(1, relation.referencedTable).bind(2, column);
    out.push_back(type.step() ? collateText(static_cast<int>(type.integer(0))) : "");
  }
  return out;
}

// "a.x = b.y AND ..." over the column pairs.
std::string matching(const std::string& left, const std::vector<std::string>& leftColumns,
                     const std::string& right, const std::vector<std::string>& rightColumns,
                     const std::vector<std::string>& collations) {
  std::string out;
  for (size_t i = 0; i < leftColumns.size(); ++i) {
    if (!out.empty()) out += " AND ";
    out += left + "." + quote(leftColumns[i]) + " = " + right + "." + quote(rightColumns[i]) +
           collations[i];
  }
  return out;
}

std::string allFilled(const std::string& row, const std::vector<std::string>& columns) {
  std::string out;
  for (const std::string& column : columns) {
    if (!out.empty()) out += " AND ";
    out += row + "." + quote(column) + " IS NOT NULL";
  }
  return out;
}

std::string columnList(const std::vector<std::string>& columns) {
  std::string out;
  for (const std::string& column : columns) out += (out.empty() ? "" : ", ") + quote(column);
  return out;
}

std::string raise(int number, const std::string& table) {
  return " BEGIN SELECT RAISE(ABORT, " +
         Connection::literal("telvarn:" + std::to_string(number) + ":" + table) + "); END";
}

}  // namespace

std::vector<RelationRecord> readAll(Connection& db) {
  if (!exists(db)) return {};
  Statement row(db,
                "SELECT szRelationship, szObject, szColumn, szReferencedObject, "
                "szReferencedColumn FROM MSysRelationships ORDER BY rowid");
  std::vector<RelationRecord> out;
  std::map<std::string, size_t> seen;
  while (row.step()) {
    const std::string name = row.text(0);
    auto [at, added] = seen.emplace(name, out.size());
    if (added) out.push_back({name, row.text(1), {}, row.text(3), {}});
    out[at->second].columns.push_back(row.text(2));
    out[at->second].referencedColumns.push_back(row.text(4));
  }
  return out;
}

void insert(Connection& db, const RelationRecord& relation) {
  db.noteCatalogChange();
  db.exec(
      "CREATE TABLE IF NOT EXISTS MSysRelationships(ccolumn INTEGER NOT NULL, "
      "grbit INTEGER NOT NULL, icolumn INTEGER NOT NULL, szColumn TEXT NOT NULL COLLATE NOCASE, "
      "szObject TEXT NOT NULL COLLATE NOCASE, szReferencedColumn TEXT NOT NULL COLLATE NOCASE, "
      "szReferencedObject TEXT NOT NULL COLLATE NOCASE, "
      "szRelationship TEXT NOT NULL COLLATE NOCASE)");
  for (size_t i = 0; i < relation.columns.size(); ++i) {
    Statement(db,
              "INSERT INTO MSysRelationships(ccolumn, grbit, icolumn, szColumn, szObject, "
              "szReferencedColumn, szReferencedObject, szRelationship) VALUES (?,0,?,?,?,?,?,?)")
        .bind(1, static_cast<int64_t>(relation.columns.size()))
        .bind(2, static_cast<int64_t>(i))
        .bind(3, relation.columns[i])
        .bind(4, relation.table)
        .bind(5, relation.referencedColumns[i])
        .bind(6, relation.referencedTable)
        .bind(7, relation.name)
        .run();
  }
}

void remove(Connection& db, const std::string& name) {
  db.noteCatalogChange();
  if (!exists(db)) return;
  Statement(db, "DELETE FROM MSysRelationships WHERE szRelationship = ?").bind(1, name).run();
}

void renameField(Connection& db, const std::string& table, const std::string& from,
                 const std::string& to) {
  db.noteCatalogChange();
  if (!exists(db)) return;
  Statement(db, "UPDATE MSysRelationships SET szColumn = ? WHERE szObject = ? AND szColumn = ?")
      .bind(1, to)
      .bind(2, table)
      .bind(3, from)
      .run();
  Statement(db,
            "UPDATE MSysRelationships SET szReferencedColumn = ? WHERE szReferencedObject = ? "
            "AND szReferencedColumn = ?")
      .bind(1, to)
      .bind(2, table)
      .bind(3, from)
      .run();
}

bool uses(const RelationRecord& relation, const std::string& table, const std::string& field) {
  const auto holds = [&](const std::string& side, const std::vector<std::string>& columns) {
    if (!sameName(side, table)) return false;
    return field.empty() || std::any_of(columns.begin(), columns.end(),
                                        [&](const auto& c) { return sameName(c, field); });
  };
  return holds(relation.table, relation.columns) ||
         holds(relation.referencedTable, relation.referencedColumns);
}

void createTriggers(Connection& db, const RelationRecord& r) {
  const std::string child = quote(r.table);
  const std::string parent = quote(r.referencedTable);
  const std::string prefix = "telvarn." + r.name + ".";
  const std::vector<std::string> collations = keyCollations(db, r);
  const std::string orphan =
      allFilled("NEW", r.columns) + " AND NOT EXISTS (SELECT 1 FROM " + parent + " WHERE " +
      matching(parent, r.referencedColumns, "NEW", r.columns, collations) + ")";
  const std::string children = "EXISTS (SELECT 1 FROM " + child + " WHERE " +
                               matching(child, r.columns, "OLD", r.referencedColumns, collations) +
                               ")";
  std::string keyChanged;
  for (size_t i = 0; i < r.referencedColumns.size(); ++i) {
    const std::string column = quote(r.referencedColumns[i]);
    keyChanged += (keyChanged.empty() ? "" : " OR ") + std::string("OLD.") + column +
                  " IS NOT NEW." + column + collations[i];
  }
  db.exec("CREATE TRIGGER " + quote(prefix + "insert") + " AFTER INSERT ON " + child + " WHEN " +
          orphan + raise(3201, r.referencedTable));
  db.exec("CREATE TRIGGER " + quote(prefix + "update") + " AFTER UPDATE OF " +
          columnList(r.columns) + " ON " + child + " WHEN " + orphan +
          raise(3201, r.referencedTable));
  db.exec("CREATE TRIGGER " + quote(prefix + "delete") + " BEFORE DELETE ON " + parent + " WHEN " +
          children + raise(3200, r.table));
  db.exec("CREATE TRIGGER " + quote(prefix + "rekey") + " AFTER UPDATE OF " +
          columnList(r.referencedColumns) + " ON " + parent + " WHEN (" + keyChanged + ") AND " +
          children + raise(3200, r.table));
}

bool anyOrphan(Connection& db, const RelationRecord& r) {
  const std::string child = quote(r.table);
  const std::string parent = quote(r.referencedTable);
  return db
      .queryInteger("SELECT 1 FROM " + child + " WHERE " + allFilled(child, r.columns) +
                    " AND NOT EXISTS (SELECT 1 FROM " + parent + " WHERE " +
                    matching(parent, r.referencedColumns, child, r.columns, keyCollations(db, r)) +
                    ") LIMIT 1")
      .has_value();
}

}  // namespace telvarn::sqlite::relations
