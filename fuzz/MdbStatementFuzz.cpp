// Fuzzes data statements on a copy of a file of the desktop program: each
// input is one statement, run through the engine on a fresh copy of the
// file named by TELVARN_FUZZ_MDB. It must end in a result or a numbered
// error, and the file must then pass the structural check: no crash, no
// sanitizer report, no hang, and never a damaged file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/AppError.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"

namespace {

namespace fs = std::filesystem;

// The file every input starts from, and the copy it runs on.
struct Files {
  Files() {
    const char* given = std::getenv("TELVARN_FUZZ_MDB");
    if (given == nullptr || !fs::exists(given)) {
      std::fprintf(stderr, "MdbStatementFuzz: TELVARN_FUZZ_MDB names no file\n");
      std::exit(1);
    }
    original = given;
    copy = fs::temp_directory_path() / ("telvarn-statement-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(copy);
    folder = copy;
    copy /= original.filename();
  }
  ~Files() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  fs::path original;
  fs::path folder;
  fs::path copy;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Files files;
  fs::copy_file(files.original, files.copy, fs::copy_options::overwrite_existing);
  const std::string statement(reinterpret_cast<const char*>(data), size);
  try {
    telvarn::DBEngine engine;
    engine.openDatabase(files.copy.string())->execute(statement);
  } catch (const telvarn::AppError&) {
  }
  const auto faults = telvarn::mdb::MdbStorage(files.copy.string()).check();
  if (!faults.empty()) {
    std::fprintf(stderr, "damaged after \"%s\": %s\n", statement.c_str(), faults.front().c_str());
    std::abort();
  }
  return 0;
}
