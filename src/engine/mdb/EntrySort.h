// Index entries put in byte order without holding them all at once: they
// are gathered up to a bound, and each time the bound is passed the
// gathered ones are sorted and written to a temporary file as a run; the
// runs are then merged. Entries within the bound never reach the disk.
// 3026 when the temporary file cannot be made or written, 3049 when it does
// not read back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace telvarn::mdb {

class EntrySort {
 public:
  struct Item {
    std::vector<uint8_t> bytes;
    bool mark = false;  // the caller's, carried along
  };

  // `runBytes`: how much the gathered entries may take before they go to
  // the file as a run.
  explicit EntrySort(size_t runBytes = kRunBytes);
  ~EntrySort();
  EntrySort(const EntrySort&) = delete;
  EntrySort& operator=(const EntrySort&) = delete;

  void add(Item item);
  // After the last add: the next entry in order; false when none is left.
  bool next(Item& item);

  static constexpr size_t kRunBytes = 16 << 20;

 private:
  class Run;
  void spill();
  void startMerge();

  size_t runBytes_;
  size_t held_ = 0;  // what the gathered entries take
  std::vector<Item> items_;
  std::FILE* file_ = nullptr;
  std::vector<std::unique_ptr<Run>> runs_;
  bool merging_ = false;
  size_t at_ = 0;  // the next gathered entry when no run was written
  // While merging, items_ holds the first entry of each run not yet done,
  // and heads_ the run each comes from.
  std::vector<size_t> heads_;
};

}  // namespace telvarn::mdb
