// Fuzzes the script reader and the dispatcher with every handler behind it,
// on two fresh databases in memory-backed files. Whatever the script, the run
// must end normally: every failure is a numbered error that some trap
// reports. "exe" lines are made comments: the fuzzer must not start programs.
// A line may start after a CR, a LF (in a file without CR) or a byte-order
// mark at the start of the file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "db/Run.h"
#include "engine/open/DBEngine.h"
#include "report/ErrorLog.h"
#include "report/Reporter.h"
#include "report/View.h"
#include "script/SplitText.h"

namespace {

using namespace telvarn;

class SilentView : public View {
 public:
  void addListLine(const std::string&) override {}
  bool hasWindow() const override { return false; }
  void moveTwips(double, double, double, double) override {}
  std::array<int, 4> geometryTwips() const override { return {}; }
  bool isMaximizedOrMinimized() const override { return false; }

 protected:
  void showMessageBox(const std::string&, const std::string&, BoxIcon) override {}
};

std::string withoutPrograms(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const size_t start = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  std::string script = bytes.substr(0, start);
  bool lineStart = true;
  for (size_t i = start; i < size; ++i) {
    if (lineStart && bytes.compare(i, 3, "exe") == 0) script += '\'';
    script += bytes[i];
    lineStart = bytes[i] == '\r' || bytes[i] == '\n';
  }
  return script;
}

const std::string& folder() {
  static const std::string path = [] {
    std::string pattern = (std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp") +
                          std::string("/telvarn-fuzz-XXXXXX");
    if (!::mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string dir = folder();
  ModuleSettings paths{dir + "/ZulData.mdb", dir + "/ZulSupt.mdb", dir + "/TELVARN.ini"};
  for (const std::string* path : {&paths.strDataPath, &paths.strSupportPath}) {
    std::filesystem::remove(*path);
    DBEngine::createDatabase(*path);
  }
  std::ofstream(paths.strScriptPath, std::ios::binary | std::ios::trunc)
      << withoutPrograms(data, size);
  SilentView view;
  ErrorLog log;
  log.open(dir + "/ErrorLog.txt");
  Reporter reporter(view, log);
  Run run(reporter, paths);
  try {
    SplitText(run);
  } catch (const EscapedError&) {
    // The load step's trap would report it: a numbered error, as it must be.
  }
  log.close();
  std::filesystem::remove(dir + "/ErrorLog.txt");
  return 0;
}
