#include "app/core/DryRun.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/core/DatabaseCopy.h"
#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"

namespace telvarn {
namespace {

// How a link to a file names its file.
const std::string kDatabasePrefix = ";DATABASE=";

std::string fileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The failure with what the dry run was doing, so the user sees what to
// change (the folder, the space in it, the link).
AppError withReason(const std::exception& failure, const std::string& reason) {
  const AppError error = asAppError(failure);
  const std::string description = error.description();
  const bool sentence = !description.empty() && description.back() == '.';
  return AppError(error.number(),
                  description + (sentence ? " " : ". ") + "The dry run " + reason + ".");
}

}  // namespace

DryRun::DryRun() {
  const char* variable = std::getenv("TMPDIR");
  const std::string base = variable && *variable ? variable : "/tmp";
  std::string pattern = base + "/telvarn-dry-run-XXXXXX";
  if (!::mkdtemp(pattern.data())) {
    throw withReason(engineError(75), "cannot make its folder in " + base);
  }
  folder_ = pattern;
}

DryRun::~DryRun() {
  // A copy's folder may have been made read-only like the real file's.
  for (const std::string& folder : folders_) ::chmod(folder.c_str(), 0700);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void DryRun::copyDatabases(const std::vector<std::string>& paths, DBEngine& engine) {
  for (const std::string& path : paths) copyOf(path);
  while (!unscanned_.empty()) {
    const Copy copy = unscanned_.back();
    unscanned_.pop_back();
    pointLinksAtCopies(copy, engine);
  }
}

std::string DryRun::copyOf(const std::string& path) {
  for (const Copy& copy : copies_) {
    if (copy.real == path) return copy.path;
  }
  // A file the run may not write (no permission, an immutable file, a
  // read-only file system) is opened where it is: nothing writes it.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      ::access(path.c_str(), W_OK) != 0) {
    return "";
  }
  std::string& made = byIdentity_[{info.st_dev, info.st_ino}];
  if (made.empty()) {
    const std::string folder = folder_ + "/" + std::to_string(folders_.size() + 1);
    if (::mkdir(folder.c_str(), 0700) != 0) {
      throw withReason(engineError(75), "cannot make a folder in " + folder_);
    }
    folders_.push_back(folder);
    const std::string copy = folder + "/" + fileName(path);
    bool copied = false;
    try {
      copied = copyDatabaseFile(path, copy);
    } catch (const AppError& failure) {
      if (failure.number() == 3045) throw;
      throw withReason(failure, "cannot copy " + path + " into " + folderOf(folder_));
    }
    if (!copied) {
      byIdentity_.erase({info.st_dev, info.st_ino});
      return "";
    }
    // A folder that takes no new file takes no journal either.
    if (::access(folderOf(path).c_str(), W_OK | X_OK) != 0) ::chmod(folder.c_str(), 0500);
    made = copy;
    unscanned_.push_back({path, copy});
  }
  copies_.push_back({path, made});
  return made;
}

void DryRun::pointLinksAtCopies(const Copy& copy, DBEngine& engine) {
  std::shared_ptr<Database> database;
  std::vector<std::string> names;
  try {
    database = engine.openDatabase(copy.path);
    names = database->tableDefNames();
  } catch (const std::exception&) {
    return;  // the run meets the same refusal where a real run meets it
  }
  Storage& storage = database->storage();
  for (const std::string& name : names) {
    std::optional<TableRecord> link;
    try {
      link = storage.findTable(name);
    } catch (const std::exception&) {
      continue;  // as above: the run cannot read this link either
    }
    if (!link || link->kind != TableKind::Linked || link->connect.rfind(kDatabasePrefix, 0) != 0) {
      continue;
    }
    const std::string file = link->connect.substr(kDatabasePrefix.size());
    const std::string target = copyOf(file);
    if (target.empty()) continue;
    link->connect = kDatabasePrefix + target;
    link->fields.clear();
    link->indexes.clear();
    try {
      atomically(storage, [&] {
        storage.dropTable(link->name);
        storage.createTable(*link);
      });
    } catch (const std::exception& failure) {
      throw withReason(failure, "cannot point the link " + link->name + " of " + copy.real +
                                    " at a copy of " + file);
    }
  }
}

}  // namespace telvarn
