#include "app/core/ErrorLog.h"

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
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) throw engineError(errno == ENOENT ? 76 : 75);
  path_ = path;
}

void ErrorLog::writeLine(const std::string& text) {
  if (fd_ < 0) throw engineError(52);
  const std::string line = text + "\r\n";
  size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = ::write(fd_, line.data() + written, line.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw engineError(errno == ENOSPC ? 61 : 57);
    written += static_cast<size_t>(n);
  }
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
