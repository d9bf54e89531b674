#include "engine/mdb/EntrySort.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"

namespace telvarn::mdb {
namespace {

// What an entry takes while gathered, besides its bytes: the vector and
// the allocator's own share.
constexpr size_t kItemCost = sizeof(EntrySort::Item) + 16;
constexpr size_t kReadAhead = 64 << 10;

bool before(const EntrySort::Item& a, const EntrySort::Item& b) {
  return a.bytes < b.bytes;
}

}  // namespace

// A run on the file: a mark byte, two bytes of length (little-endian) and
// the entry, one after another, read back a buffer at a time.
class EntrySort::Run {
 public:
  Run(int fd, off_t begin, off_t end) : fd_(fd), at_(begin), end_(end) {}

  bool next(Item& item) {
    uint8_t head[3];
    if (!read(head, sizeof head)) return false;
    item.mark = head[0] != 0;
    item.bytes.resize(static_cast<size_t>(head[1] | head[2] << 8));
    if (!read(item.bytes.data(), item.bytes.size())) damaged("a sorted run cut short");
    return true;
  }

 private:
  bool read(uint8_t* out, size_t length) {
    for (size_t done = 0; done < length;) {
      if (from_ == buffer_.size()) {
        if (at_ == end_) {
          if (done != 0) damaged("a sorted run cut short");
          return false;
        }
        buffer_.resize(static_cast<size_t>(std::min<off_t>(kReadAhead, end_ - at_)));
        if (pread(fd_, buffer_.data(), buffer_.size(), at_) != static_cast<ssize_t>(buffer_.size()))
          damaged("a sorted run that does not read back");
        at_ += static_cast<off_t>(buffer_.size());
        from_ = 0;
      }
      const size_t take = std::min(length - done, buffer_.size() - from_);
      std::copy_n(buffer_.begin() + static_cast<long>(from_), take, out + done);
      from_ += take;
      done += take;
    }
    return true;
  }

  int fd_;
  off_t at_;
  off_t end_;
  std::vector<uint8_t> buffer_;
  size_t from_ = 0;
};

EntrySort::EntrySort(size_t runBytes) : runBytes_(runBytes) {}

EntrySort::~EntrySort() {
  if (file_ != nullptr) std::fclose(file_);
}

void EntrySort::add(Item item) {
  held_ += item.bytes.size() + kItemCost;
  items_.push_back(std::move(item));
  if (held_ > runBytes_) spill();
}

// Entries often come in their order or against it (a descending index over
// rows added in order): a merge sort takes such runs in its stride, where a
// quicksort's pivots go wrong.
void EntrySort::spill() {
  std::stable_sort(items_.begin(), items_.end(), before);
  if (file_ == nullptr) {
    file_ = std::tmpfile();
    if (file_ == nullptr || fcntl(fileno(file_), F_SETFD, FD_CLOEXEC) != 0) throw engineError(3026);
  }
  const off_t begin = ftello(file_);
  for (const Item& item : items_) {
    const uint8_t head[3] = {item.mark, static_cast<uint8_t>(item.bytes.size()),
                             static_cast<uint8_t>(item.bytes.size() >> 8)};
    if (std::fwrite(head, 1, sizeof head, file_) != sizeof head ||
        std::fwrite(item.bytes.data(), 1, item.bytes.size(), file_) != item.bytes.size())
      throw engineError(3026);
  }
  if (std::fflush(file_) != 0) throw engineError(3026);
  runs_.push_back(std::make_unique<Run>(fileno(file_), begin, ftello(file_)));
  items_.clear();
  items_.shrink_to_fit();
  held_ = 0;
}

void EntrySort::startMerge() {
  merging_ = true;
  if (runs_.empty()) {
    std::stable_sort(items_.begin(), items_.end(), before);
    return;
  }
  if (!items_.empty()) spill();
  // The first entry of each run, beside the run it came from.
  for (size_t i = 0; i < runs_.size(); ++i) {
    Item first;
    if (runs_[i]->next(first)) {
      items_.push_back(std::move(first));
      heads_.push_back(i);
    }
  }
}

bool EntrySort::next(Item& item) {
  if (!merging_) startMerge();
  if (runs_.empty()) {
    if (at_ == items_.size()) return false;
    item = std::move(items_[at_++]);
    return true;
  }
  if (items_.empty()) return false;
  // The least head: runs are few, so a look at each costs less than a heap
  // of entries would.
  size_t least = 0;
  for (size_t i = 1; i < items_.size(); ++i) {
    if (before(items_[i], items_[least])) least = i;
  }
  item = std::move(items_[least]);
  if (!runs_[heads_[least]]->next(items_[least])) {
    items_.erase(items_.begin() + static_cast<long>(least));
    heads_.erase(heads_.begin() + static_cast<long>(least));
  }
  return true;
}

}  // namespace telvarn::mdb
