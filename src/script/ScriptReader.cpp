#include "script/ScriptReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/AppError.h"
#include "engine/Utf8.h"

namespace telvarn {
namespace {

bool isValidUtf8(const std::string& bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    size_t length;
    uint32_t code;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4, code = c & 0x07;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

std::string decodeLine(const std::string& bytes) {
  if (isValidUtf8(bytes)) return bytes;
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (unsigned char c : bytes) {
    appendUtf8(out, fromWindows1252(c));
  }
  return out;
}

ScriptReader::ScriptReader(const std::string& path) {
  // Opened without waiting, as a FIFO would wait for a writer, and kept only
  // when it is a regular file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 && errno == ENOENT) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    throw engineError(::stat(folder.c_str(), &info) == 0 ? 53 : 76);
  }
  if (fd < 0) throw engineError(75);
  file_.reset(::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::fcntl(fd, F_SETFL, 0) == 0
                  ? ::fdopen(fd, "rb")
                  : nullptr);
  if (!file_) {
    ::close(fd);
    throw engineError(75);
  }
  learnLineEnd();
}

void ScriptReader::learnLineEnd() {
  std::FILE* file = file_.get();
  char buffer[65536];
  bool carriageReturn = false;
  while (const size_t got = std::fread(buffer, 1, sizeof buffer, file)) {
    carriageReturn = carriageReturn || std::memchr(buffer, '\r', got) != nullptr;
  }
  if (std::ferror(file)) throw engineError(57);
  lineFeedEnds_ = !carriageReturn;
  static constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
  char start[3] = {};
  if (std::fseek(file, 0, SEEK_SET) != 0) throw engineError(57);
  if (std::fread(start, 1, 3, file) == 3 && std::memcmp(start, kByteOrderMark, 3) == 0) return;
  if (std::fseek(file, 0, SEEK_SET) != 0) throw engineError(57);
}

std::optional<std::string> ScriptReader::next() {
  std::string bytes;
  while (true) {
    const int c = std::getc(file_.get());
    if (c == EOF) {
      if (std::ferror(file_.get())) throw engineError(57);
      if (bytes.empty()) return std::nullopt;
      break;
    }
    if (lineFeedEnds_ && c == '\n') break;
    if (c == '\r') {
      const int after = std::getc(file_.get());
      if (after != '\n' && after != EOF) std::ungetc(after, file_.get());
      break;
    }
    bytes += static_cast<char>(c);
  }
  return decodeLine(bytes);
}

}  // namespace telvarn
