// DBEngine: the engine object of a run, with its one workspace, and the one
// place that opens database files. It chooses the storage by what the file
// is (its first bytes) or what a connect string names, makes new files of
// a chosen kind, and keeps one connection per file so that opening a
// database afresh for every command stays cheap. Links open their source
// files through the engine that opened the database they are in.
#pragma once

#include <memory>
#include <string>

namespace telvarn {

class Database;
class DBEngine;

class Workspace {
 public:
  explicit Workspace(DBEngine& engine) : engine_(engine) {}
  // OpenDatabase with the path only: shared, read/write.
  std::shared_ptr<Database> openDatabase(const std::string& path);

 private:
  DBEngine& engine_;
};

// The kinds of database file the engine makes.
enum class FileFormat {
  Sqlite,  // a SQLite file with the engine's catalog tables
  Mdb,     // the desktop program's own format (version 4)
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
  // The database a connect string names: ";DATABASE=<path>" (as links keep
  // it, with any other parameters), optionally after "MS Access". 3001 for
  // one that names no database file; then as openDatabase.
  std::shared_ptr<Database> openConnect(const std::string& connect);

  // CreateDatabase: a new, empty database file; 3204 when the file exists,
  // 3027 for a kind the engine cannot write yet.
  static void createDatabase(const std::string& path, FileFormat format = FileFormat::Sqlite);

  // The files the engine has open, shared with the databases it hands out.
  class Files;

 private:
  std::shared_ptr<Workspace> workspace_;
  std::shared_ptr<Files> files_;
};

// The path of the database file a connect string names (see openConnect).
std::string connectPath(const std::string& connect);

}  // namespace telvarn
