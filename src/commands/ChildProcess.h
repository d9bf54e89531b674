// Stand-ins on Linux for the process calls of an "exe" line. The program is
// started without waiting for it; its "process handle" is a pidfd (a
// descriptor of the process) and its "thread handle" a descriptor of its
// main thread's /proc entry, so each of the four calls has a real success
// or failure to report. Ending the process also reaps it: nothing is left
// running and no zombie remains.
#pragma once

#include <sys/types.h>

#include <string>

namespace telvarn {

struct ChildProcess {
  pid_t pid = 0;
  int processHandle = -1;
  int threadHandle = -1;
};

// Splits the command line into words as a shell would (quotes and
// backslashes; no shell is run) and starts the program found on PATH, its
// standard streams on /dev/null, SIGPIPE at its default, and no other file
// of ours open (every file the program opens is close-on-exec). A program
// that cannot be started leaves every field at zero or -1.
ChildProcess startProgram(const std::string& commandLine);

// Kills the process with exit code 0's stand-in SIGKILL and reaps it: 1 when
// that was done, 0 when there was no process.
int terminateProcess(ChildProcess& child);

// Closes a handle: 1 when it was open, 0 otherwise.
int closeHandle(int& handle);

}  // namespace telvarn
