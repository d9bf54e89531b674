// telvarn-createdb [--format sqlite|mdb] FILE...: makes each FILE a new,
// empty database, as the demo and the benchmarks need them: our own SQLite
// file (the default), or a file of the desktop program's format (version
// 4). A file that exists is left alone and reported. An argument that
// starts with "-" is an option, never a file (give such a file as ./-name):
// --help prints the usage, any other is refused with it.
#include <cstring>
#include <iostream>

#include "engine/AppError.h"
#include "engine/open/DBEngine.h"

namespace {

constexpr const char* kUsage = "usage: telvarn-createdb [--format sqlite|mdb] FILE...\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::cout << kUsage;
    return 0;
  }
  int first = 1;
  bool mdb = false;
  if (argc > 2 && std::strcmp(argv[1], "--format") == 0) {
    mdb = std::strcmp(argv[2], "mdb") == 0;
    if (!mdb && std::strcmp(argv[2], "sqlite") != 0)
      first = argc;
    else
      first = 3;
  }
  const auto option = [&](int i) { return argv[i][0] == '-'; };
  bool files = first < argc;
  for (int i = first; i < argc; ++i) files = files && !option(i);
  if (!files) {
    std::cerr << kUsage;
    return 2;
  }
  int status = 0;
  for (int i = first; i < argc; ++i) {
    try {
      telvarn::DBEngine::createDatabase(
          argv[i], mdb ? telvarn::FileFormat::Mdb : telvarn::FileFormat::Sqlite);
    } catch (const telvarn::AppError& error) {
      std::cerr << argv[i] << ": " << error.number() << " - " << error.description() << "\n";
      status = 1;
    }
  }
  return status;
}
