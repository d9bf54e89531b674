#include "commands/ChildProcess.h"
#include "commands/Commands.h"
#include "db/HandlerFrame.h"

namespace telvarn {
namespace {

void listThenLog(Reporter& report, const std::string& text) {
  report.setStatus(text);
  report.list();
  report.log();
}

}  // namespace

// An "exe" line: starts a program, ends it again at once and closes its two
// handles, reporting each call's result (1 or 0).
void ExecuteUtility(Run& run) {
  const std::string& line = run.rec.strCommandLine;
  HandlerFrame frame(
      run, {.title = "Utility Execute", .ignore = {}, .opens = FrameOptions::Opens::Nothing});
  ChildProcess child;
  frame.step([&] { child = startProgram(line); });
  frame.step([&] { listThenLog(run.report, "Opening Application.. " + line); });
  frame.step([&] {
    const int result = terminateProcess(child);
    listThenLog(run.report, "Terminating Process.. " + line + " " + std::to_string(result));
  });
  frame.step([&] {
    const int result = closeHandle(child.threadHandle);
    listThenLog(run.report, "Closing Handle Thread.. " + line + " " + std::to_string(result));
  });
  frame.step([&] {
    const int result = closeHandle(child.processHandle);
    listThenLog(run.report, "Closing Handle Process.. " + line + " " + std::to_string(result));
  });
  // A report that failed above left the process running: it must not
  // outlive the line.
  terminateProcess(child);
}

}  // namespace telvarn
