#include "engine/open/DBEngine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string_view>

#include "engine/AppError.h"
#include "engine/GeneralSortOrder.h"
#include "engine/executor/SqliteExecutor.h"
#include "engine/executor/StorageExecutor.h"
#include "engine/mdb/EmptyFile.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/model/Database.h"
#include "engine/sqlite/SqliteStorage.h"

namespace telvarn {
namespace {

// A storage with the executor that runs data statements on it.
struct Opened {
  std::shared_ptr<Storage> storage;
  std::shared_ptr<jetsql::Executor> executor;
};

// One kind of database file: how its first bytes look, how it is opened
// and how a new one is made (null: not yet). A new storage plugs in here.
struct StorageKind {
  FileFormat format;
  bool (*recognises)(std::string_view head);
  Opened (*open)(const std::string& path, const std::weak_ptr<DBEngine::Files>& files);
  void (*create)(const std::string& path);
};

std::shared_ptr<DBEngine::Files> engineOf(const std::weak_ptr<DBEngine::Files>& files);
executor::ShownLinks::Sources linkSources(const std::weak_ptr<DBEngine::Files>& files);
const StorageKind& kindOf(const std::string& path);
std::string fileIdentity(const std::string& path);

}  // namespace

class DBEngine::Files : public std::enable_shared_from_this<Files> {
 public:
  // The storage of the file at `path`, opened afresh when it is not open
  // yet or was replaced since.
  const Opened& file(const std::string& path) {
    const std::string identity = fileIdentity(path);
    const auto cached = open_.find(path);
    if (cached != open_.end() && !identity.empty() && cached->second.identity == identity)
      return cached->second.opened;
    open_.erase(path);
    const Opened opened = kindOf(path).open(path, weak_from_this());
    OpenFile& made = open_[path];
    made = {opened, fileIdentity(path)};
    return made.opened;
  }

  std::shared_ptr<Database> open(const std::string& path) {
    const Opened& opened = file(path);
    const std::weak_ptr<Files> self = weak_from_this();
    return std::make_shared<Database>(
        opened.storage, opened.executor,
        [self](const std::string& connect) { return engineOf(self)->open(connectPath(connect)); });
  }

 private:
  struct OpenFile {
    Opened opened;
    std::string identity;
  };
  std::map<std::string, OpenFile> open_;
};

namespace {

const StorageKind kKinds[] = {
    {FileFormat::Sqlite,
     [](std::string_view head) {
       static constexpr std::string_view kSqlite("SQLite format 3\0", 16);
       return head.substr(0, kSqlite.size()) == kSqlite;
     },
     [](const std::string& path, const std::weak_ptr<DBEngine::Files>& files) {
       auto storage = std::make_shared<sqlite::SqliteStorage>(path);
       return Opened{storage,
                     std::make_shared<executor::SqliteExecutor>(storage, linkSources(files))};
     },
     sqlite::SqliteStorage::create},
    // The storage reads the rest of the header and refuses the editions and
    // kinds it cannot read.
    {FileFormat::Mdb,
     [](std::string_view head) {
       return head.size() >= 19 &&
              (head.substr(4, 15) == "Standard Jet DB" || head.substr(4, 15) == "Standard ACE DB");
     },
     [](const std::string& path, const std::weak_ptr<DBEngine::Files>& files) {
       auto storage = std::make_shared<mdb::MdbStorage>(path);
       return Opened{storage,
                     std::make_shared<executor::StorageExecutor>(storage, linkSources(files))};
     },
     [](const std::string& path) { mdb::createEmptyFile(path); }},
};

std::string parentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The first bytes of the file, which tell what kind of file it is.
std::string signature(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) throw engineError(3051, {path});
    throw engineError(3024, {path});
  }
  char bytes[32] = {};
  const ssize_t got = ::read(fd, bytes, sizeof bytes);
  ::close(fd);
  return got > 0 ? std::string(bytes, static_cast<size_t>(got)) : std::string();
}

// The kind of the existing file at `path`: 3024 / 3044 when it is missing,
// 3343 when it is no database this engine can open.
const StorageKind& kindOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) {
    struct stat folder {};
    const bool folderExists = !path.empty() && ::stat(parentFolder(path).c_str(), &folder) == 0 &&
                              S_ISDIR(folder.st_mode);
    if (!path.empty() && !folderExists) throw engineError(3044, {parentFolder(path)});
    throw engineError(3024, {path});
  }
  if (!S_ISREG(info.st_mode)) throw engineError(3343, {path});
  const std::string head = signature(path);
  for (const StorageKind& kind : kKinds) {
    if (kind.recognises(head)) return kind;
  }
  throw engineError(3343, {path});
}

// Identifies the file itself, so that a file replaced or deleted since it
// was opened is opened anew instead of through the old connection.
std::string fileIdentity(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return "";
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

// The engine that opened a database, for the files its links name; 3420
// once that engine is gone.
std::shared_ptr<DBEngine::Files> engineOf(const std::weak_ptr<DBEngine::Files>& files) {
  std::shared_ptr<DBEngine::Files> engine = files.lock();
  if (!engine) throw engineError(3420);
  return engine;
}

// How the statements on a file of `files` reach a link's source: the
// storage the same engine keeps for the file its connect string names.
executor::ShownLinks::Sources linkSources(const std::weak_ptr<DBEngine::Files>& files) {
  return [files](const std::string& connect) {
    return engineOf(files)->file(connectPath(connect)).storage;
  };
}

}  // namespace

std::string connectPath(const std::string& connect) {
  const size_t semicolon = connect.find(';');
  const std::string type = connect.substr(0, std::min(semicolon, connect.size()));
  if (semicolon == std::string::npos || !(type.empty() || sameName(type, "MS Access")))
    throw engineError(3001);
  static const std::string kDatabase = "DATABASE=";
  for (size_t start = semicolon + 1; start <= connect.size();) {
    const size_t end = std::min(connect.find(';', start), connect.size());
    const std::string parameter = connect.substr(start, end - start);
    if (parameter.size() >= kDatabase.size() &&
        sameName(parameter.substr(0, kDatabase.size()), kDatabase))
      return parameter.substr(kDatabase.size());
    start = end + 1;
  }
  throw engineError(3001);
}

std::shared_ptr<Database> Workspace::openDatabase(const std::string& path) {
  return engine_.openDatabase(path);
}

DBEngine::DBEngine() : files_(std::make_shared<Files>()) {}
DBEngine::~DBEngine() = default;

std::shared_ptr<Workspace> DBEngine::workspace(int index) {
  if (index != 0) throw engineError(3265);
  if (!workspace_) workspace_ = std::make_shared<Workspace>(*this);
  return workspace_;
}

std::shared_ptr<Database> DBEngine::openDatabase(const std::string& path) {
  return files_->open(path);
}

std::shared_ptr<Database> DBEngine::openConnect(const std::string& connect) {
  return files_->open(connectPath(connect));
}

void DBEngine::createDatabase(const std::string& path, FileFormat format) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) throw engineError(3204);
  for (const StorageKind& kind : kKinds) {
    if (kind.format != format) continue;
    if (!kind.create) throw engineError(3027);
    return kind.create(path);
  }
}

}  // namespace telvarn
