#include "support/RunFixture.h"

#include "engine/open/DBEngine.h"
#include "script/SplitText.h"

namespace telvarn::test {

RunFixture::RunFixture() {
  paths.strDataPath = dir.file("ZulData.mdb");
  paths.strSupportPath = dir.file("ZulSupt.mdb");
  paths.strScriptPath = dir.file("TELVARN.ini");
  DBEngine::createDatabase(paths.strDataPath);
  DBEngine::createDatabase(paths.strSupportPath);
  log.open(dir.file("ErrorLog.txt"));
  view.logPath = dir.file("ErrorLog.txt");
}

void RunFixture::runScript(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  runScriptBytes(bytes);
}

void RunFixture::runScriptBytes(const std::string& bytes) {
  writeFile(paths.strScriptPath, bytes);
  SplitText(run);
}

std::vector<std::string> RunFixture::logLines() const {
  const std::string text = readFile(dir.file("ErrorLog.txt"));
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

}  // namespace telvarn::test
