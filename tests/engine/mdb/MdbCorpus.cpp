#include "engine/mdb/MdbCorpus.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace telvarn::test {
namespace {

bool isFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The copies this process handed out, removed when it ends.
class Copies {
 public:
  Copies() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "telvarn-corpus-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
  }
  ~Copies() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  std::string copyOf(const std::string& original, const std::string& name) {
    const std::filesystem::path into = folder_ / std::to_string(++made_);
    std::filesystem::create_directories(into);
    std::filesystem::copy_file(original, into / name);
    return (into / name).string();
  }

 private:
  std::filesystem::path folder_;
  int made_ = 0;
};

}  // namespace

std::string corpusFolder() {
  if (const char* given = std::getenv("TELVARN_MDB_CORPUS")) return isFolder(given) ? given : "";
  const std::string folder = TELVARN_SOURCE_DIR "/../shared/mdb-corpus";
  return isFolder(folder) ? folder : "";
}

std::string corpusFile(const std::string& name) {
  static Copies copies;
  return copies.copyOf(corpusFolder() + "/" + name, name);
}

std::vector<std::string> corpusFiles() {
  std::vector<std::string> names;
  DIR* folder = ::opendir(corpusFolder().c_str());
  if (folder == nullptr) return names;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mdb") == 0) names.push_back(name);
  }
  ::closedir(folder);
  std::sort(names.begin(), names.end());
  return names;
}

bool haveMdbTools() {
  static const bool found = std::system("command -v mdb-export >/dev/null 2>&1") == 0 &&
                            std::system("command -v mdb-schema >/dev/null 2>&1") == 0;
  return found;
}

std::string commandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  ::pclose(pipe);
  return out;
}

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace telvarn::test
