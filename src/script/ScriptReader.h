// ScriptReader: the maintenance script, one line at a time. A line ends at
// CR or CR LF; a LF alone stays in the line; the file's last line end makes
// no further empty line. A file that holds no CR at all was written on
// Linux: its lines end at LF. A UTF-8 byte-order mark at the start belongs
// to the encoding, not to the first line, and is skipped. Each line is read
// as UTF-8 when it is valid UTF-8 and as Windows-1252 otherwise, so scripts
// written on Windows keep their accented letters.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace telvarn {

class ScriptReader {
 public:
  // 53 when the file is missing, 76 when its folder is, 75 when it cannot
  // be read or is not a regular file (a folder, a FIFO, a device); 57 on a
  // read error.
  explicit ScriptReader(const std::string& path);

  // The next line, or nullopt at the end of the file; 57 on a read error.
  std::optional<std::string> next();

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  // Reads the whole file once to learn its line end, then places the
  // reading after the byte-order mark, if there is one.
  void learnLineEnd();

  std::unique_ptr<std::FILE, Closer> file_;
  bool lineFeedEnds_ = false;
};

// The line as UTF-8: unchanged when it already is, else from Windows-1252.
std::string decodeLine(const std::string& bytes);

}  // namespace telvarn
