// The program shows its window through a module it loads at run time: with
// the module beside it the run happens behind a window (nothing on standard
// output); without it, the run still happens, on the console, and says why.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/open/DBEngine.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

TEST(WindowModule, TheWindowComesFromTheModuleAndTheConsoleStandsInWithoutIt) {
  TempDir dir;
  DBEngine::createDatabase(dir.file("ZulData.mdb"));
  DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
  writeFile(dir.file("TELVARN.ini"), "add;ZulData.mdb;T;\r\n");

  ProgramResult alone = runProgram(dir.path(), {}, {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_NE(alone.err.find("libtelvarn-window.so is missing"), std::string::npos) << alone.err;
  EXPECT_NE(alone.out.find("Finished Press OK to Continue"), std::string::npos);

  const std::filesystem::path module =
      std::filesystem::path(TELVARN_PROGRAM).parent_path() / "libtelvarn-window.so";
  std::filesystem::copy_file(module, dir.file("libtelvarn-window.so"));
  const int pid = startProgram(dir.path(), {}, {"QT_QPA_PLATFORM=offscreen"});
  // The window waits for OK; the run is over when the log has its lines.
  for (int wait = 0; wait < 100; ++wait) {
    if (readFile(dir.file("ErrorLog.txt")).find("Creating Table T\r\n") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ::kill(pid, SIGTERM);
  const ProgramResult shown = finishProgram(dir.path(), pid);
  EXPECT_EQ(shown.out, "");
  EXPECT_EQ(shown.err.find("missing"), std::string::npos) << shown.err;
  EXPECT_NE(readFile(dir.file("ErrorLog.txt")).find("Creating Table T\r\n"), std::string::npos);
}

}  // namespace
}  // namespace telvarn::test
