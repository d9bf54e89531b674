#include "commands/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <QStringList>
#include <vector>

extern char** environ;

namespace telvarn {
namespace {

int openProcessHandle(pid_t pid) {
  const long fd = ::syscall(SYS_pidfd_open, pid, 0);
  if (fd >= 0) return static_cast<int>(fd);
  const std::string folder = "/proc/" + std::to_string(pid);
  return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int openThreadHandle(pid_t pid) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid);
  return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

ChildProcess startProgram(const std::string& commandLine) {
  const QStringList words = QProcess::splitCommand(QString::fromStdString(commandLine));
  if (words.isEmpty()) return {};
  std::vector<std::string> arguments;
  for (const QString& word : words) arguments.push_back(word.toStdString());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int stream : {0, 1, 2}) {
    posix_spawn_file_actions_addopen(&actions, stream, "/dev/null",
                                     stream == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  // The program ignores SIGPIPE; the child starts with the default.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return {};
  return {pid, openProcessHandle(pid), openThreadHandle(pid)};
}

int terminateProcess(ChildProcess& child) {
  if (child.pid <= 0 || ::kill(child.pid, SIGKILL) != 0) return 0;
  int status = 0;
  while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
  }
  child.pid = 0;
  return 1;
}

int closeHandle(int& handle) {
  if (handle < 0) return 0;
  const int rc = ::close(handle);
  handle = -1;
  return rc == 0 ? 1 : 0;
}

}  // namespace telvarn
