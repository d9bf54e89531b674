// The program's options. With none, it runs exactly as it always has: the
// window, or the console when there is no display.
#pragma once

#include <string>
#include <vector>

namespace telvarn {

struct CommandLine {
  enum class Action { Run, Help, Version, Schema, Check, Export, Refused };
  Action action = Action::Run;
  bool batch = false;
  // The run works on copies of the databases (--dry-run).
  bool dryRun = false;
  // The database file of --schema, --check or --export, and the table of
  // --export.
  std::string file;
  std::string table;
  // Where --report writes the run's machine-readable report, if anywhere.
  std::string reportFile;
  std::string refusal;
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string usageText();

}  // namespace telvarn
