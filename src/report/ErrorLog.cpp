#include "report/ErrorLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "engine/AppError.h"

namespace telvarn {

ErrorLog::~ErrorLog() {
  close();
}

void ErrorLog::open(const std::string& path) {
  close();
  // Opened without waiting, as a FIFO would wait for a reader, and kept
  // only when it is a regular file.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) throw engineError(errno == ENOENT ? 76 : 75);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, O_APPEND) != 0) {
    ::close(fd);
    throw engineError(75);
  }
  fd_ = fd;
  path_ = path;
}

void checkAppendable(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode) || ::access(path.c_str(), W_OK) != 0) throw engineError(75);
    return;
  }
  if (errno != ENOENT) throw engineError(75);
  const size_t slash = path.find_last_of('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  if (::stat(folder.c_str(), &info) != 0) throw engineError(76);
  if (!S_ISDIR(info.st_mode) || ::access(folder.c_str(), W_OK | X_OK) != 0) {
    throw engineError(75);
  }
}

void ErrorLog::writeLine(const std::string& text) {
  if (fd_ < 0) throw engineError(52);
  const std::string line = text + "\r\n";
  size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = ::write(fd_, line.data() + written, line.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : EIO;
      takeBack(written);
      throw engineError(error == ENOSPC ? 61 : 57);
    }
    written += static_cast<size_t>(n);
  }
}

// The file's end is where this write left it unless another run has
// appended since; only then is the part cut off, never another run's line.
void ErrorLog::takeBack(size_t bytes) {
  struct stat info {};
  const off_t end = ::lseek(fd_, 0, SEEK_CUR);
  const off_t start = end - static_cast<off_t>(bytes);
  if (bytes == 0 || start < 0 || ::fstat(fd_, &info) != 0 || info.st_size != end) return;
  // Should the cut fail too, the error the caller raises still says so.
  [[maybe_unused]] const int cut = ::ftruncate(fd_, start);
}

void ErrorLog::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::string fallbackLogPath() {
  std::string base;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
    base = state;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.local/state";
  } else {
    return "";
  }
  std::string folder;
  for (const std::string& part : {base, base + "/TELVARN"}) {
    ::mkdir(part.c_str(), 0755);
    folder = part;
  }
  return folder + "/ErrorLog.txt";
}

}  // namespace telvarn
