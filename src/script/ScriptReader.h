// ScriptReader: the maintenance script, one line at a time. A line ends at
// CR or CR LF; a LF alone stays in the line; the file's last line end makes
// no further empty line. Each line is read as UTF-8 when it is valid UTF-8
// and as Windows-1252 otherwise, so scripts written on the original
// platform keep their accented letters.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace telvarn {

class ScriptReader {
 public:
  // 53 when the file is missing, 76 when its folder is, 75 when it cannot
  // be read or is not a regular file (a folder, a FIFO, a device).
  explicit ScriptReader(const std::string& path);

  // The next line, or nullopt at the end of the file; 57 on a read error.
  std::optional<std::string> next();

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
};

// The line as UTF-8: unchanged when it already is, else from Windows-1252.
std::string decodeLine(const std::string& bytes);

}  // namespace telvarn
