// telvarn-createdb FILE...: makes each FILE a new, empty database, as the
// demo and the benchmarks need them. A file that exists is left alone and
// reported.
#include <iostream>

#include "engine/AppError.h"
#include "engine/DBEngine.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: telvarn-createdb FILE...\n";
    return 2;
  }
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    try {
      telvarn::DBEngine::createDatabase(argv[i]);
    } catch (const telvarn::AppError& error) {
      std::cerr << argv[i] << ": " << error.number() << " - " << error.description() << "\n";
      status = 1;
    }
  }
  return status;
}
