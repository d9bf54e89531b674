// ErrorLog: the run's log file, ErrorLog.txt. Lines are appended with CR LF
// and each reaches the file in one write, so nothing already reported is
// lost when the program is killed and two runs never mix inside a line. A
// line that cannot be written whole (a full disk) is taken back: the log
// holds whole lines only.
#pragma once

#include <string>

namespace telvarn {

class ErrorLog {
 public:
  ErrorLog() = default;
  ~ErrorLog();
  ErrorLog(const ErrorLog&) = delete;
  ErrorLog& operator=(const ErrorLog&) = delete;

  // Opens `path` for appending, creating it when absent: 75 when that is
  // not possible or `path` is no regular file (a folder, a FIFO, a
  // device), 76 when the folder is missing.
  void open(const std::string& path);
  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

  // 57 (61 on a full disk) when the line cannot be written whole; then
  // none of it stays.
  void writeLine(const std::string& text);
  void close();

 private:
  void takeBack(size_t bytes);

  int fd_ = -1;
  std::string path_;
};

// Raises what ErrorLog::open(path) would raise, creating and changing
// nothing: a missing file counts as made when its folder takes new files.
void checkAppendable(const std::string& path);

// Where the log goes when the program's folder cannot take it: the user's
// state folder ($XDG_STATE_HOME, by default ~/.local/state), TELVARN/.
std::string fallbackLogPath();

}  // namespace telvarn
