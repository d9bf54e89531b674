// Folders include one way: no folder of src/ reaches, through the includes
// of its files, a folder that reaches it back. A failure names each pair of
// folders that reach each other, with one include of each direction.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace telvarn::test {
namespace {

namespace fs = std::filesystem;

// folder -> folder it includes -> one include that shows it
using Includes = std::map<std::string, std::map<std::string, std::string>>;

Includes folderIncludes(const fs::path& root) {
  Includes includes;
  const std::regex include(R"(^\s*#\s*include\s+"([^"]+)\")");
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".h" && extension != ".cpp" && extension != ".inc") continue;
    const std::string file = fs::relative(entry.path(), root).generic_string();
    const std::string from = fs::path(file).parent_path().generic_string();
    std::ifstream in(entry.path());
    std::smatch match;
    for (std::string line; std::getline(in, line);) {
      if (!std::regex_search(line, match, include)) continue;
      const std::string target = match[1];
      if (!fs::exists(root / target)) continue;  // a system or generated header
      const std::string to = fs::path(target).parent_path().generic_string();
      if (to != from) includes[from].emplace(to, file + " -> " + target);
    }
  }
  return includes;
}

TEST(FolderIncludes, NoFolderReachesOneThatReachesItBack) {
  const Includes includes = folderIncludes(fs::path(TELVARN_SOURCE_DIR) / "src");
  std::set<std::string> folders;
  for (const auto& [from, targets] : includes) {
    folders.insert(from);
    for (const auto& target : targets) folders.insert(target.first);
  }
  // Which folders each folder reaches, through any number of includes.
  std::map<std::string, std::set<std::string>> reaches;
  for (const auto& [from, targets] : includes) {
    for (const auto& target : targets) reaches[from].insert(target.first);
  }
  for (const std::string& via : folders) {
    for (const std::string& from : folders) {
      if (!reaches[from].count(via)) continue;
      reaches[from].insert(reaches[via].begin(), reaches[via].end());
    }
  }
  for (const std::string& a : folders) {
    for (const std::string& b : folders) {
      if (a < b && reaches[a].count(b) && reaches[b].count(a)) {
        const auto one = includes.count(a) && includes.at(a).count(b) ? includes.at(a).at(b) : "";
        const auto other = includes.count(b) && includes.at(b).count(a) ? includes.at(b).at(a) : "";
        ADD_FAILURE() << a << " and " << b << " reach each other (" << one << "; " << other << ")";
      }
    }
  }
  EXPECT_GT(folders.size(), 5u) << "the sources were not found";
}

}  // namespace
}  // namespace telvarn::test
