#include "script/ScriptReader.h"

#include <sys/stat.h>

#include <cerrno>

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
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) throw engineError(75);
  file_.reset(std::fopen(path.c_str(), "rb"));
  if (file_) return;
  if (errno == ENOENT) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    throw engineError(::stat(folder.c_str(), &info) == 0 ? 53 : 76);
  }
  throw engineError(75);
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
