// ShownLinks: the links that the statements of one connection read, each
// shown to SQLite as a virtual table (StorageTables) over the storage of its
// source file, in the connection's temp schema under a name of its own
// ("telvarn.link.<the link's stored name>"). The statement reads the
// source's rows where they lie, as they are when it runs; nothing is
// copied.
//
// A link is shown again when its source file was opened anew or its table
// changed shape, and when the transaction that showed it was rolled back. A
// link into the running file itself reads that table where it is, so that
// a statement reading and writing one table sees it as SQLite does.
// Source files are opened through `sources` (the engine that opened the
// running file, and its one storage per file) and kept open for as long as
// the connection may read their virtual tables.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "engine/Storage.h"
#include "engine/executor/StorageTables.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/LinkedTables.h"

namespace telvarn::executor {

class ShownLinks : public sqlite::LinkedTables {
 public:
  // The storage of the file a link's connect string names.
  using Sources = std::function<std::shared_ptr<Storage>(const std::string& connect)>;

  // `own` is the storage whose statements run in `connection`; both and
  // `tables` (registered on `connection`) must outlive this.
  ShownLinks(sqlite::Connection& connection, StorageTables& tables, Storage& own, Sources sources);

  sqlite::LinkedRows rowsOf(const TableRecord& link) override;

 private:
  struct Shown {
    Storage* source;
    std::string shape;  // the table's name and StorageTables::shapeOf
  };

  bool stillShown(const std::string& name);

  sqlite::Connection& connection_;
  StorageTables& tables_;
  Storage& own_;
  Sources sources_;
  std::map<std::string, Shown> shown_;                   // by the virtual table's name
  std::map<Storage*, std::shared_ptr<Storage>> opened_;  // every source shown so far
};

}  // namespace telvarn::executor
