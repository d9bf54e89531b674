#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/AppError.h"
#include "engine/mdb/Disk.h"

namespace telvarn::mdb {
namespace {

// The byte a writer locks: far beyond the 2 GB a file of the format can
// reach, so that it never meets the locks the desktop program takes on
// the file's pages. An open-file-description lock belongs to the open
// file, so closing another descriptor of the same file does not drop it.
constexpr off_t kWriterLockByte = off_t{1} << 40;

[[noreturn]] void fail(int error) {
  throw engineError(diskErrorNumber(error));
}

class SystemFile : public DiskFile {
 public:
  explicit SystemFile(int fd) : fd_(fd) {}
  ~SystemFile() override { ::close(fd_); }
  SystemFile(const SystemFile&) = delete;
  SystemFile& operator=(const SystemFile&) = delete;

  void read(uint64_t offset, uint8_t* data, size_t length) override {
    size_t done = 0;
    while (done < length) {
      const ssize_t got = ::pread(fd_, data + done, length - done,
                                  static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) throw engineError(3043);
      done += static_cast<size_t>(got);
    }
  }

  void write(uint64_t offset, const uint8_t* data, size_t length) override {
    size_t done = 0;
    while (done < length) {
      const ssize_t put = ::pwrite(fd_, data + done, length - done,
                                   static_cast<off_t>(offset + done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) fail(errno);
      if (put == 0) fail(ENOSPC);
      done += static_cast<size_t>(put);
    }
  }

  void sync() override {
    if (::fsync(fd_) != 0) fail(errno);
  }

  void truncate(uint64_t size) override {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) fail(errno);
  }

  uint64_t size() override {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) throw engineError(3043);
    return static_cast<uint64_t>(info.st_size);
  }

  bool tryLock() override { return setLock(F_WRLCK); }
  void unlock() override { setLock(F_UNLCK); }

 private:
  bool setLock(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kWriterLockByte;
    lock.l_len = 1;
    while (::fcntl(fd_, F_OFD_SETLK, &lock) != 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EACCES) return false;
      throw engineError(3043);
    }
    return true;
  }

  int fd_;
};

class SystemDisk : public Disk {
 public:
  std::unique_ptr<DiskFile> open(const std::string& path, OpenMode mode) override {
    const int flags = mode == OpenMode::Read        ? O_RDONLY
                      : mode == OpenMode::ReadWrite ? O_RDWR
                                                    : O_RDWR | O_CREAT | O_TRUNC;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd >= 0) return std::make_unique<SystemFile>(fd);
    if (errno == ENOENT && mode != OpenMode::Create) return nullptr;
    if (mode == OpenMode::Read && (errno == EACCES || errno == EPERM)) {
      throw engineError(3051, {path});
    }
    fail(errno);
  }

  bool exists(const std::string& path) override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
  }

  void remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail(errno);
  }

  void syncFolder(const std::string& path) override {
    const size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) fail(errno);
    const int synced = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder; their entries are durable
    // with the files themselves.
    if (synced != 0 && error != EINVAL) fail(error);
  }
};

}  // namespace

Disk& systemDisk() {
  static SystemDisk disk;
  return disk;
}

int diskErrorNumber(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return 3026;
    case EROFS:
    case EACCES:
    case EPERM:
    case EBADF:
      return 3027;
    default:
      return 3043;
  }
}

}  // namespace telvarn::mdb
