// The files written by the desktop program (../shared/mdb-corpus beside the
// repository), and mdbtools, the independent reader our results are held
// against. Tests skip when either is missing.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace telvarn::test {

// The corpus folder, or "" when it is not there. TELVARN_MDB_CORPUS
// overrides the place.
std::string corpusFolder();
// A fresh copy of the corpus file `name` in a temporary folder, under the
// same name: the engine may write the files it opens, and the originals must
// never change (permissions do not keep a test run as root out).
std::string corpusFile(const std::string& name);
// Every .mdb file of the corpus, by name.
std::vector<std::string> corpusFiles();
bool haveMdbTools();

// Standard output of a command run through the shell; arguments are quoted
// with shellQuote.
std::string commandOutput(const std::string& command);
std::string shellQuote(const std::string& text);

}  // namespace telvarn::test

#define SKIP_WITHOUT_CORPUS()                                                 \
  if (telvarn::test::corpusFolder().empty()) {                                \
    GTEST_SKIP() << "no corpus at ../shared/mdb-corpus (TELVARN_MDB_CORPUS)"; \
  }

#define SKIP_WITHOUT_MDBTOOLS() \
  SKIP_WITHOUT_CORPUS();        \
  if (!telvarn::test::haveMdbTools()) GTEST_SKIP() << "mdbtools is not installed";
