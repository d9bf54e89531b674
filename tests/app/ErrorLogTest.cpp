// The log holds whole lines only, and only a regular file can be the log.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "report/ErrorLog.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

TEST(ErrorLog, OnlyARegularFileIsOpened) {
  TempDir dir;
  ErrorLog log;
  EXPECT_EQ(errorOf([&] { log.open("/dev/null"); }), 75);
  EXPECT_EQ(errorOf([&] { log.open(dir.path()); }), 75);
  EXPECT_EQ(errorOf([&] { log.open(dir.file("no/folder/ErrorLog.txt")); }), 76);
  EXPECT_FALSE(log.isOpen());
}

// A file size limit makes the second line's write stop part-way, as a
// full disk does: what was written of it is taken back.
TEST(ErrorLog, ALineThatDoesNotFitWholeLeavesNothing) {
  TempDir dir;
  ErrorLog log;
  log.open(dir.file("ErrorLog.txt"));
  const std::string line(60, 'x');
  log.writeLine(line);

  rlimit before{};
  ::getrlimit(RLIMIT_FSIZE, &before);
  const rlimit small{100, before.rlim_max};
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &small);
  const int error = errorOf([&] { log.writeLine(line); });
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(error, 57);
  EXPECT_EQ(readFile(dir.file("ErrorLog.txt")), line + "\r\n");
  log.writeLine("after");
  EXPECT_EQ(readFile(dir.file("ErrorLog.txt")), line + "\r\nafter\r\n");
}

}  // namespace
}  // namespace telvarn::test
