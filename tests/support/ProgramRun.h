// Runs the built program the way a user does: copied into a folder of its
// own with its databases and script beside it, settings in that folder's
// config/, standard output and error captured.
#pragma once

#include <string>
#include <vector>

namespace telvarn::test {

struct ProgramResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Where the program's standard output goes: a file beside the folder, or a
// pipe nobody reads, closed before the program starts.
enum class Output { File, ClosedPipe };

// Copies the program into `folder` (as "TELVARN") unless it is there.
void installProgram(const std::string& folder);

// Runs `folder`/TELVARN with `arguments`; XDG_CONFIG_HOME and XDG_STATE_HOME
// point into the folder and no display is set. The language is C.UTF-8, or
// in the second pass of the end-to-end tests the one that pass names.
ProgramResult runProgram(const std::string& folder, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {},
                         Output output = Output::File);

// Starts the program like runProgram without waiting for it; its output goes
// to the folder's .stdout and .stderr. Returns the process id.
int startProgram(const std::string& folder, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment = {}, Output output = Output::File);
// Waits for a started program and returns its result; with a time limit, a
// program still running after that many seconds is killed (status 137).
ProgramResult finishProgram(const std::string& folder, int pid, int limitSeconds = 0);

// The text split at LF (for standard output) or CR LF (for the log).
std::vector<std::string> splitLines(const std::string& text, const std::string& end);

}  // namespace telvarn::test
