// DBEngine: the engine object of a run, with its one workspace. It opens
// database files, choosing the storage by the file's signature, and keeps
// one connection per file so that opening a database afresh for every
// command stays cheap.
#pragma once

#include <map>
#include <memory>
#include <string>

namespace telvarn {

class Database;
class Storage;
class DBEngine;

class Workspace {
 public:
  explicit Workspace(DBEngine& engine) : engine_(engine) {}
  // OpenDatabase with the path only: shared, read/write.
  std::shared_ptr<Database> openDatabase(const std::string& path);

 private:
  DBEngine& engine_;
};

class DBEngine {
 public:
  DBEngine();
  ~DBEngine();

  // Workspaces(0); any other index is 3265.
  std::shared_ptr<Workspace> workspace(int index);

  // 3024 when the file is missing (it is never created), 3044 when its
  // folder is, 3343 when it is not a database, 3045 when another process
  // holds it locked, 3051 when it may not be read.
  std::shared_ptr<Database> openDatabase(const std::string& path);

  // CreateDatabase: a new, empty database file; 3204 when the file exists.
  static void createDatabase(const std::string& path);

 private:
  std::shared_ptr<Workspace> workspace_;
  struct OpenFile {
    std::shared_ptr<Storage> storage;
    std::string identity;
  };
  std::map<std::string, OpenFile> open_;
};

}  // namespace telvarn
