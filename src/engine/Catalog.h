// The records a storage backend keeps for each object of a database: what
// the object model reads when it looks an object up and writes when it
// appends or changes one.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/Variant.h"

namespace telvarn {

// A property that exists only once something created it (Caption,
// DisplayControl, Description, ...), as opposed to the built-in ones.
struct UserProperty {
  std::string name;
  int type = 10;
  Variant value;
};

// The bit of a field's Attributes that makes a Long an AutoNumber (the
// engine's dbAutoIncrField).
constexpr int kAutoIncrementAttribute = 16;
// Whether the field's values take a fixed or a varying width; a Text field
// with kFixedAttribute is a fixed-length CHAR(n).
constexpr int kFixedAttribute = 1;
constexpr int kVariableAttribute = 2;

struct FieldRecord {
  std::string name;
  int type = 0;
  int size = 0;
  int attributes = 0;
  std::string defaultValue;
  bool allowZeroLength = false;
  bool required = false;
  std::vector<UserProperty> properties;
  // An AutoNumber numbers new rows from `seed` on, `increment` apart.
  int64_t seed = 1;
  int64_t increment = 1;

  bool autoNumber() const { return attributes & kAutoIncrementAttribute; }
};

struct IndexColumn {
  std::string field;
  bool descending = false;
};

struct IndexRecord {
  std::string name;
  bool primary = false;
  bool unique = false;
  bool required = false;
  bool ignoreNulls = false;
  std::vector<IndexColumn> columns;
};

// Kinds of table entries, numbered as the desktop engine numbers them.
// Linked is a link to a table of another database file; LinkedOdbc one to
// an ODBC data source (read from files of the desktop program, never made).
enum class TableKind { Local = 1, LinkedOdbc = 4, Linked = 6 };

struct TableRecord {
  std::string name;
  TableKind kind = TableKind::Local;
  std::string connect;
  std::string sourceTableName;
  std::vector<FieldRecord> fields;
  std::vector<IndexRecord> indexes;
};

// A relationship the engine enforces: every row of `table` whose `columns`
// are all filled must match a row of `referencedTable` on
// `referencedColumns`, and such a row cannot go while rows refer to it.
struct RelationRecord {
  std::string name;
  std::string table;
  std::vector<std::string> columns;
  std::string referencedTable;
  std::vector<std::string> referencedColumns;
};

struct QueryRecord {
  std::string name;
  std::string sql;
};

// Names are the same when the General sort order finds them equal: letter
// case does not count, accents do ("Ärger" is "ärger", not "Arger").
bool sameName(const std::string& a, const std::string& b);

}  // namespace telvarn

namespace telvarn {
// 3125 for a name the engine does not allow: empty, longer than 64
// characters, beginning with a blank, or holding . ! ` [ ] or a control
// character.
void checkName(const std::string& name);
}  // namespace telvarn
