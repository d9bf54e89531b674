#include "engine/DBEngine.h"

#include <sys/stat.h>

#include "engine/AppError.h"
#include "engine/Database.h"
#include "engine/OpenStorage.h"
#include "engine/sqlite/SqliteStorage.h"

namespace telvarn {
namespace {

// Identifies the file itself, so that a file replaced or deleted since it
// was opened is opened anew instead of through the old connection.
std::string fileIdentity(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return "";
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

}  // namespace

std::shared_ptr<Database> Workspace::openDatabase(const std::string& path) {
  return engine_.openDatabase(path);
}

DBEngine::DBEngine() = default;
DBEngine::~DBEngine() = default;

std::shared_ptr<Workspace> DBEngine::workspace(int index) {
  if (index != 0) throw engineError(3265);
  if (!workspace_) workspace_ = std::make_shared<Workspace>(*this);
  return workspace_;
}

std::shared_ptr<Database> DBEngine::openDatabase(const std::string& path) {
  const std::string identity = fileIdentity(path);
  const auto cached = open_.find(path);
  if (cached != open_.end() && !identity.empty() && cached->second.identity == identity) {
    return std::make_shared<Database>(cached->second.storage);
  }
  open_.erase(path);
  std::shared_ptr<Storage> storage = openStorage(path);
  open_[path] = {storage, fileIdentity(path)};
  return std::make_shared<Database>(storage);
}

void DBEngine::createDatabase(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) throw engineError(3204);
  sqlite::SqliteStorage::create(path);
}

}  // namespace telvarn
