// An "exe" child inherits nothing of the run: none of the files the run has
// open (log, script, databases, report), and SIGPIPE at its default though
// the program ignores it.
#include <sys/wait.h>

#include <csignal>

#include "commands/ChildProcess.h"
#include "report/RunReport.h"
#include "script/ScriptReader.h"
#include "support/RunFixture.h"

namespace telvarn::test {
namespace {

using ChildProcesses = RunFixture;

TEST_F(ChildProcesses, AChildInheritsNoFileAndNoIgnoredSignal) {
  writeFile(paths.strScriptPath, "exe;x\r\n");
  ScriptReader script(paths.strScriptPath);
  RunReport report(dir.file("report.json"));
  auto data = run.dbEngine().openDatabase(paths.strDataPath);
  data->execute("CREATE TABLE T (A LONG)");
  const auto oldHandler = std::signal(SIGPIPE, SIG_IGN);

  const std::string seen = dir.file("seen.txt");
  ChildProcess child = startProgram("sh -c \"ls -l /proc/$$/fd > '" + seen +
                                    "'; grep SigIgn /proc/$$/status >> '" + seen + "'\"");
  std::signal(SIGPIPE, oldHandler);
  ASSERT_GT(child.pid, 0);
  ASSERT_EQ(::waitpid(child.pid, nullptr, 0), child.pid);
  child.pid = 0;
  closeHandle(child.processHandle);
  closeHandle(child.threadHandle);

  const std::string descriptors = readFile(seen);
  for (const char* ours : {"ErrorLog.txt", "TELVARN.ini", "report.json", "ZulData.mdb"}) {
    EXPECT_EQ(descriptors.find(ours), std::string::npos) << ours << "\n" << descriptors;
  }
  const size_t mask = descriptors.find("SigIgn:");
  ASSERT_NE(mask, std::string::npos) << descriptors;
  const unsigned long ignored = std::stoul(descriptors.substr(mask + 7), nullptr, 16);
  EXPECT_EQ(ignored & (1ul << (SIGPIPE - 1)), 0ul) << descriptors;
}

}  // namespace
}  // namespace telvarn::test
