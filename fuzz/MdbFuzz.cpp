// Fuzzes the reader of the desktop program's files with damaged files: the
// input is a whole file, handed over page by page from memory. Opening it,
// listing its tables and queries, reading every row and checking every
// structure of the file must end in a result or a numbered error: no crash,
// no sanitizer report, no hang.
#include <cstdint>
#include <string>

#include "engine/AppError.h"
#include "engine/mdb/FileCheck.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/PageSource.h"

namespace {

using namespace telvarn;

constexpr uint32_t kPageSize = 4096;

class MemoryPages : public mdb::PageSource {
 public:
  MemoryPages(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
  uint32_t pageSize() const override { return kPageSize; }
  uint32_t pageCount() const override {
    return static_cast<uint32_t>((bytes_.size() + kPageSize - 1) / kPageSize);
  }
  mdb::Page readPage(uint32_t number) override {
    if (number >= pageCount()) throw engineError(3049, {"page past the end"});
    mdb::Page page(kPageSize, 0);
    const size_t begin = size_t{number} * kPageSize;
    const size_t end = std::min(bytes_.size(), begin + kPageSize);
    std::copy(bytes_.begin() + static_cast<long>(begin), bytes_.begin() + static_cast<long>(end),
              page.begin());
    return page;
  }

 private:
  std::vector<uint8_t> bytes_;
};

void readEverything(mdb::MdbStorage& storage) {
  for (const std::string& name : storage.tableNames()) {
    try {
      storage.findTable(name);
      long rows = 0;
      storage.forEachRow(name, [&](const std::vector<Variant>&) { return ++rows < 5000; });
    } catch (const AppError&) {
    }
  }
  for (const std::string& name : storage.queryNames()) {
    try {
      storage.findQuery(name);
    } catch (const AppError&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    mdb::MdbStorage storage("fuzz.mdb", std::make_unique<MemoryPages>(data, size));
    readEverything(storage);
  } catch (const AppError& error) {
    if (error.number() <= 0) __builtin_trap();
  }
  // The check reads every page itself, a damaged catalog included: whatever
  // it meets is a fault in its list, never an error.
  MemoryPages pages(data, size);
  for (const std::string& fault : mdb::checkFile(pages)) {
    if (fault.empty() || fault.back() != '.') __builtin_trap();
  }
  return 0;
}
