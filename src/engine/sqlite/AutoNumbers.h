// AutoNumbers: the numbering of each AutoNumber field, kept in the catalog
// table MSysAutoNumbers (made with the first one): its seed, its increment
// and the next number. A number is never handed out twice: the next number
// only moves on, past every number a row takes (one given by a statement
// too), also when the rows that took the last ones are deleted. A trigger
// on each such table moves it on whoever inserts the row. Callers hold the
// write transaction for changes.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/sqlite/Connection.h"

namespace telvarn::sqlite::autonumbers {

// The numbering of a new AutoNumber `field` of `table`: the rows the table
// already has take the first numbers, in the order they were stored.
void add(Connection& db, const std::string& table, const FieldRecord& field);
// The numbering of a field that becomes an AutoNumber: the next number
// follows the highest the rows hold (the seed when they hold none).
void adopt(Connection& db, const std::string& table, const FieldRecord& field);
void remove(Connection& db, const std::string& table, const std::string& field);
void removeTable(Connection& db, const std::string& table);
void renameField(Connection& db, const std::string& table, const std::string& from,
                 const std::string& to);

// Fills the seed and increment of `table`'s AutoNumber fields.
void read(Connection& db, const std::string& table, std::vector<FieldRecord>& fields);

// The triggers that move each next number on, those missing
// ("telvarn.<table>.<field>.number"): every table's, or one table's.
void createTriggers(Connection& db);
void createTrigger(Connection& db, const std::string& table);

// SQLite text for the number a new row of `table` takes in its AutoNumber
// field; with `manyRows`, the rows of one INSERT ... SELECT take one each,
// in order.
std::string next(const std::string& table, bool manyRows);

// Files made before the catalog kept the next numbers: each AutoNumber
// field without one gets it, following the highest number its rows hold.
bool anyMissing(Connection& db);
void addMissing(Connection& db);

}  // namespace telvarn::sqlite::autonumbers
