#include "app/core/DatabaseCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "engine/AppError.h"
#include "engine/mdb/DesktopLock.h"

namespace telvarn {
namespace {

// SQLite's lock bytes: a reader takes the pending byte for a moment, then
// holds the shared range; a writer needs both for itself to write.
constexpr off_t kSqlitePendingByte = 0x40000000;
constexpr off_t kSqliteSharedFirst = kSqlitePendingByte + 2;
constexpr off_t kSqliteSharedSize = 510;
// The byte the engine's .mdb writer holds while it writes.
constexpr off_t kMdbWriterByte = off_t{1} << 40;

// The engine's wait for another process's lock.
constexpr std::chrono::seconds kLockWait(3);

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// An open-file-description lock, which no other descriptor's close drops.
// False when another process holds a conflicting lock.
bool setLock(int fd, short type, off_t start, off_t length) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return false;
    throw engineError(75);
  }
  return true;
}

bool tryReadLocks(int fd) {
  if (!setLock(fd, F_RDLCK, kSqlitePendingByte, 1)) return false;
  const bool held = setLock(fd, F_RDLCK, kSqliteSharedFirst, kSqliteSharedSize) &&
                    setLock(fd, F_RDLCK, kMdbWriterByte, 1);
  setLock(fd, F_UNLCK, kSqlitePendingByte, 1);
  if (!held) setLock(fd, F_UNLCK, 0, 0);
  return held;
}

void holdReadLocks(int fd, const std::string& path) {
  const auto deadline = std::chrono::steady_clock::now() + kLockWait;
  while (!tryReadLocks(fd)) {
    if (std::chrono::steady_clock::now() >= deadline) throw engineError(3045, {path});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void writeAll(int fd, const char* data, size_t length) {
  while (length > 0) {
    const ssize_t put = ::write(fd, data, length);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      const int error = put < 0 ? errno : ENOSPC;
      throw engineError(error == ENOSPC || error == EDQUOT || error == EFBIG ? 61 : 75);
    }
    data += put;
    length -= static_cast<size_t>(put);
  }
}

void copyBytes(int from, int to) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw engineError(57);
    if (got == 0) return;
    writeAll(to, buffer.data(), static_cast<size_t>(got));
  }
}

// The file at `path` when it is a regular file that can be read; else
// none (a negative descriptor).
Descriptor openRegular(const std::string& path) {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (file.get() >= 0 && (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))) {
    return Descriptor(-1);
  }
  return file;
}

void copyInto(const Descriptor& source, const std::string& to) {
  const Descriptor target(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (target.get() < 0) throw engineError(75);
  copyBytes(source.get(), target.get());
}

void copyIfThere(const std::string& from, const std::string& to) {
  const Descriptor source = openRegular(from);
  if (source.get() >= 0) copyInto(source, to);
}

}  // namespace

bool copyDatabaseFile(const std::string& from, const std::string& to) {
  const Descriptor database = openRegular(from);
  if (database.get() < 0) return false;
  holdReadLocks(database.get(), from);
  copyInto(database, to);
  for (const char* suffix : {"-journal", "-wal"}) copyIfThere(from + suffix, to + suffix);
  copyIfThere(mdb::desktopLockPath(from), mdb::desktopLockPath(to));
  return true;
}

}  // namespace telvarn
