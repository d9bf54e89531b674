#include "support/ProgramRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "support/TempDir.h"
#include "support/TestLocale.h"

extern char** environ;

namespace telvarn::test {

void installProgram(const std::string& folder) {
  const std::filesystem::path target = folder + "/TELVARN";
  if (!std::filesystem::exists(target)) std::filesystem::copy_file(TELVARN_PROGRAM, target);
}

int startProgram(const std::string& folder, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, Output output) {
  installProgram(folder);
  std::vector<std::string> env = {"XDG_CONFIG_HOME=" + folder + "/config",
                                  "XDG_STATE_HOME=" + folder + "/state", "HOME=" + folder,
                                  "LANG=C.UTF-8", "PATH=/usr/bin:/bin"};
  if (const std::optional<std::string> locale = programLocale()) {
    env.push_back("LANG=" + *locale);
    if (const std::optional<std::string> locales = localeFolder(*locale)) {
      env.push_back("LOCPATH=" + *locales);
    }
    std::erase(env, "LANG=C.UTF-8");
  }
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("ASAN_", 0) == 0 || entry.rfind("LSAN_", 0) == 0 ||
        entry.rfind("UBSAN_", 0) == 0) {
      env.push_back(entry);
    }
  }
  for (const std::string& entry : environment) {
    const std::string key = entry.substr(0, entry.find('=') + 1);
    std::erase_if(env, [&](const std::string& e) { return e.rfind(key, 0) == 0; });
    env.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);

  std::string program = folder + "/TELVARN";
  std::vector<std::string> args = {program};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  // Beside the folder, not in it: the folder may be a file system that fills.
  const std::string outPath = folder + ".stdout";
  const std::string errPath = folder + ".stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  int pipeEnds[2] = {-1, -1};
  if (output == Output::ClosedPipe && ::pipe2(pipeEnds, O_CLOEXEC) == 0) {
    ::close(pipeEnds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    writeFile(outPath, "");
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (pipeEnds[1] >= 0) ::close(pipeEnds[1]);
  return rc == 0 ? pid : -1;
}

ProgramResult finishProgram(const std::string& folder, int pid, int limitSeconds) {
  ProgramResult result;
  if (pid > 0) {
    int status = 0;
    if (limitSeconds > 0) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
      while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    } else {
      waitpid(pid, &status, 0);
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  result.out = readFile(folder + ".stdout");
  result.err = readFile(folder + ".stderr");
  return result;
}

ProgramResult runProgram(const std::string& folder, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, Output output) {
  return finishProgram(folder, startProgram(folder, arguments, environment, output));
}

std::vector<std::string> splitLines(const std::string& text, const std::string& end) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t found; (found = text.find(end, start)) != std::string::npos;
       start = found + end.size()) {
    lines.push_back(text.substr(start, found - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace telvarn::test
