// The SQLite tables and indexes that hold a database's rows. A table that has
// no field yet has no SQLite table; it gets one with its first field.
// Callers hold the write transaction.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/sqlite/Connection.h"

namespace telvarn::sqlite::physical {

void createTable(Connection& db, const std::string& table, const std::vector<FieldRecord>& fields);
void dropTable(Connection& db, const std::string& table);
void addColumn(Connection& db, const std::string& table, const FieldRecord& field);

// SQLite keeps the views, triggers and indexes other tools made consistent
// with these, renaming the column in them; both are false, changing
// nothing, when one of those objects would not survive the change (it uses
// the column, or it no longer works at all).
bool dropColumn(Connection& db, const std::string& table, const std::string& column);
bool renameColumn(Connection& db, const std::string& table, const std::string& from,
                  const std::string& to);

// Gives the column `changed` names (already renamed, if it was) the type of
// `changed` by copying the table into a new one, every value converted
// from `typeBefore` on the way. The table's indexes are made again on the copy, and the indexes
// and triggers other tools made on it again from their SQL; views and
// triggers elsewhere name the table, which keeps its name.
void changeColumnType(Connection& db, const std::string& table,
                      const std::vector<FieldRecord>& fieldsAfter, const FieldRecord& changed,
                      int typeBefore, const std::vector<IndexRecord>& indexes);

bool hasRows(Connection& db, const std::string& table);

// Whether any row has Null in one of `columns`: such rows cannot be in a
// primary key or an index that requires its fields.
bool anyNull(Connection& db, const std::string& table, const std::vector<IndexColumn>& columns);

// An index over `fields` of the table; its text columns in the General
// sort order, so that a unique one refuses "Äpfel" beside "äpfel".
void createIndex(Connection& db, const std::string& table, const std::vector<FieldRecord>& fields,
                 const IndexRecord& index);
void dropIndex(Connection& db, const std::string& table, const std::string& index);

}  // namespace telvarn::sqlite::physical
