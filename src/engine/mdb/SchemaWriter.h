// SchemaWriter: the changes of a file's schema, in place: tables and links
// made and dropped, fields added, deleted, renamed, retyped and given
// properties, indexes built and dropped, relationships made and deleted,
// stored queries made and deleted. The calls take and give the object model's
// records (engine/Catalog.h), so that the storage hands them on as they
// are.
//
// Each call is one transaction of the file (a savepoint when one is open):
// whole or not at all. The catalog (MSysObjects and its indexes), the
// definitions, the property blocks, the usage maps and the file's map of
// free pages follow every change. The calls check what the file itself
// must hold true (a name taken, a field an index needs); the object
// model's rules are its own.
#pragma once

#include <string>

#include "engine/Catalog.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/PropertyBlock.h"

namespace telvarn::mdb {

class SchemaWriter {
 public:
  explicit SchemaWriter(PageFile& file) : file_(file) {}

  // A local table with its fields (possibly none) and indexes, or a link
  // (TableKind::Linked: ";DATABASE=<path>" and the foreign name; 3251 for
  // a connect string without a database). 3010 when a table, link or query
  // has the name; 3191 for two fields of one name; 3190 for more than 255;
  // 3259 for a type no field has; index errors as addIndex.
  void createTable(const TableRecord& table);
  // The table or link with every page it has. 3376 when there is none;
  // 3281 when a relationship needs it.
  void dropTable(const std::string& name);

  // 3265 for no such table; 3191 when it has a field of that name.
  void addField(const std::string& table, const FieldRecord& field);
  // The field leaves the table (its number and slot stay taken; rows keep
  // its old value unread). 3265 for no such table or field; 3280 when an
  // index needs it.
  void deleteField(const std::string& table, const std::string& field);
  // Replaces the field's definition: a new name renames it (3191 when the
  // table has another field of that name), a new type or size converts
  // every row's value (3421 for one that does not convert, 3349 for one
  // out of range, 3163 for text too long: then nothing changes), and its
  // properties become `changed`'s. 3265 for no such table or field.
  void changeField(const std::string& table, const std::string& field, const FieldRecord& changed);

  // An index with a tree of its own built from the rows (IndexBuild.h).
  // 3265 for no such table or a column it does not have; 3283 for a second
  // primary key; 3284 for a name the table's indexes have; 3277 for more
  // than 10 columns; 3022 when two rows have one key in a unique index,
  // 3058 for a Null the index refuses: then nothing changes.
  void addIndex(const std::string& table, const IndexRecord& index);
  // The index, and its tree when no other index shares it. 3265 for no
  // such table or index; 3281 when a relationship uses it.
  void dropIndex(const std::string& table, const std::string& index);

  // A stored query made from its SQL text, with its rows in MSysQueries
  // (QueryWriter.h has the numbers for text it refuses). 3012 when a
  // table, link or query has the name.
  void createQuery(const std::string& name, const std::string& sql);
  // The stored query with its rows in MSysQueries. 3265 when there is no
  // query of that name.
  void deleteQuery(const std::string& name);

  // An enforced relationship, and its removal (RelationshipWriter.h has
  // their rules and numbers).
  void addRelation(const RelationRecord& relation);
  void dropRelation(const std::string& name);

  // The table's own properties (Description, ...), replacing those it has.
  // 3265 for no such table.
  void setTableProperties(const std::string& table, const std::vector<StoredProperty>& properties);

 private:
  PageFile& file_;
};

}  // namespace telvarn::mdb
