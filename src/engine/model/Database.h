// Database: an open database file, as the handlers see it. It checks the
// engine's rules for the file's tables, queries and relationships before
// its storage changes anything; every call that changes the file is atomic
// (see Storage).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/RowsAffected.h"

namespace telvarn {

class QueryDef;
class Storage;
class TableDef;

namespace jetsql {
class Executor;
}

class Database {
 public:
  // How the database opens the file a link's connect string names.
  using SourceOpener = std::function<std::shared_ptr<Database>(const std::string& connect)>;

  Database(std::shared_ptr<Storage> storage, std::shared_ptr<jetsql::Executor> executor,
           SourceOpener sources);
  ~Database();

  const std::string& name() const;

  // Execute: one statement of the engine's SQL dialect, data definition or
  // an action query, which leaves out the rows that break a rule of their
  // table and says so in what it returns (RowsAffected.h). A SELECT is
  // refused with 3065.
  RowsAffected execute(const std::string& sql);

  // TableDefs(name): 3265 when there is no table or link of that name.
  std::shared_ptr<TableDef> tableDef(const std::string& name) const;
  // The same, nullptr when there is none. A link whose source cannot be
  // read now is found all the same, with no fields.
  std::shared_ptr<TableDef> findTableDef(const std::string& name) const;
  std::vector<std::string> tableDefNames() const;
  std::shared_ptr<TableDef> createTableDef(const std::string& name) const;
  // TableDefs.Append: 91 for no object, 3367 when it is appended already,
  // 3125 for a name the engine does not allow. A table (one with no field
  // yet is allowed): 3010 when a table, link or query has the name, 3125,
  // 3259 or 3017 for a field (see fieldToSave), 3090 for a second
  // AutoNumber, 3283 for a second primary key, 3265 for an index on a
  // field the table does not have. A link: 3012 when the name is taken,
  // 3001 for a connect string that names no database file, the errors of
  // opening it (3024, ...), 3011 when the source table is missing; a link
  // takes the source table's fields as they are then.
  void appendTableDef(const std::shared_ptr<TableDef>& table);
  // TableDefs.Delete: 3265 when there is no table or link of that name,
  // 3281 when a relationship needs the table.
  void deleteTableDef(const std::string& name);

  // CreateQueryDef with a name stores the query at once: 3125 for a name
  // the engine does not allow, 3129 or the parser's error for text that is
  // no statement, 3012 when a query, table or link has the name.
  std::shared_ptr<QueryDef> createQueryDef(const std::string& name, const std::string& sql);
  // QueryDefs(name): 3265 when there is none.
  std::shared_ptr<QueryDef> queryDef(const std::string& name) const;
  // QueryDefs.Delete: 3265 when there is no query of that name.
  void deleteQueryDef(const std::string& name);
  std::vector<std::string> queryDefNames() const;

  // Relations: the relationships the rows keep.
  std::vector<RelationRecord> relations() const;
  // Relations.Append: 3125 for a name the engine does not allow, 3012 for
  // a name a relationship has, 3265 for a table or field that does not
  // exist (or a link), 3264 without fields (or with lists of unequal
  // length), 3368 for fields of different types, 3173 when no unique index
  // of the referenced table covers exactly the referenced fields, 3201
  // when rows already refer to nothing.
  void appendRelation(const RelationRecord& relation);
  // Relations.Delete: 3265 when there is no relationship of that name.
  void deleteRelation(const std::string& name);

  // Runs `work` (any of the calls above) as one change of the file.
  void atomically(const std::function<void()>& work);

  // The database the connect string of a link names, opened by the engine
  // that opened this one: 3001 for one that names no database file, the
  // errors of opening it (3024, ...), 3420 once that engine is gone.
  std::shared_ptr<Database> openSource(const std::string& connect) const;

  Storage& storage() const { return *storage_; }
  jetsql::Executor& executor() const { return *executor_; }

 private:
  // `table` as the object model shows it: a link's fields are its source's
  // (3011 when the source table is gone, the errors of openSource).
  TableRecord withLinkFields(TableRecord table) const;

  std::shared_ptr<Storage> storage_;
  std::shared_ptr<jetsql::Executor> executor_;
  SourceOpener sources_;
};

}  // namespace telvarn
