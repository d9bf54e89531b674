// telvarn-createdb [--format sqlite|mdb] FILE...: makes each FILE a new,
// empty database, as the demo and the benchmarks need them: our own SQLite
// file (the default), or a file of the desktop program's format (version
// 4). A file that exists is left alone and reported.
#include <cstring>
#include <iostream>

#include "engine/AppError.h"
#include "engine/open/DBEngine.h"

int main(int argc, char** argv) {
  int first = 1;
  bool mdb = false;
  if (argc > 2 && std::strcmp(argv[1], "--format") == 0) {
    mdb = std::strcmp(argv[2], "mdb") == 0;
    if (!mdb && std::strcmp(argv[2], "sqlite") != 0)
      first = argc;
    else
      first = 3;
  }
  if (first >= argc) {
    std::cerr << "usage: telvarn-createdb [--format sqlite|mdb] FILE...\n";
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
