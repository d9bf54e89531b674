// The program's options. With none, it runs exactly as it always has: the
// window, or the console when there is no display.
#pragma once

#include <string>
#include <vector>

namespace telvarn {

struct CommandLine {
  enum class Action { Run, Help, Version, Schema, Check, Refused };
  Action action = Action::Run;
  bool batch = false;
  // The database file of --schema or --check.
  std::string file;
  // Where --report writes the run's machine-readable report, if anywhere.
  std::string reportFile;
  std::string refusal;
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string usageText();

}  // namespace telvarn
