#include "engine/OpenStorage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "engine/AppError.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/sqlite/SqliteStorage.h"

namespace telvarn {
namespace {

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

// Files of the desktop program: the backend reads the rest of the header and
// refuses the editions and kinds it cannot read.
bool isDesktopEngineFile(const std::string& head) {
  return head.size() >= 19 && (head.compare(4, 15, "Standard Jet DB") == 0 ||
                               head.compare(4, 15, "Standard ACE DB") == 0);
}

}  // namespace

std::shared_ptr<Storage> openStorage(const std::string& path) {
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
  static constexpr std::string_view kSqlite("SQLite format 3\0", 16);
  if (head.size() >= kSqlite.size() && head.compare(0, kSqlite.size(), kSqlite) == 0) {
    return std::make_shared<sqlite::SqliteStorage>(path);
  }
  if (isDesktopEngineFile(head)) return std::make_shared<mdb::MdbStorage>(path);
  throw engineError(3343, {path});
}

std::shared_ptr<Storage> openLinkSource(const std::string& connect) {
  static constexpr std::string_view kDatabasePrefix = ";DATABASE=";
  if (connect.rfind(kDatabasePrefix, 0) != 0) throw engineError(3001);
  return openStorage(connect.substr(kDatabasePrefix.size()));
}

}  // namespace telvarn
