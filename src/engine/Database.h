// Database: an open database file, as the handlers see it. Every call that
// changes the file is atomic (see Storage).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace telvarn {

class QueryDef;
class Storage;
class TableDef;

class Database {
 public:
  explicit Database(std::shared_ptr<Storage> storage);
  ~Database();

  const std::string& name() const;

  // Execute: one statement of the engine's SQL dialect, data definition or
  // an action query. A SELECT is refused with 3065.
  void execute(const std::string& sql);

  // TableDefs(name): 3265 when there is no table or link of that name.
  std::shared_ptr<TableDef> tableDef(const std::string& name) const;
  std::vector<std::string> tableDefNames() const;
  std::shared_ptr<TableDef> createTableDef(const std::string& name) const;
  // TableDefs.Append: a table (3010 when the name is taken; a table with no
  // field yet is allowed) or a link (3012 when the name is taken, then 3024
  // or 3011 when the source file or table is missing). A link takes the
  // source table's fields as they are then.
  void appendTableDef(const std::shared_ptr<TableDef>& table);

  // CreateQueryDef with a name stores the query at once: 3012 when the name
  // is taken; a statement the dialect cannot parse is refused first.
  std::shared_ptr<QueryDef> createQueryDef(const std::string& name, const std::string& sql);
  std::shared_ptr<QueryDef> queryDef(const std::string& name) const;
  // QueryDefs.Delete: 3265 when there is no query of that name.
  void deleteQueryDef(const std::string& name);
  std::vector<std::string> queryDefNames() const;

  Storage& storage() const { return *storage_; }

 private:
  std::shared_ptr<Storage> storage_;
};

}  // namespace telvarn
