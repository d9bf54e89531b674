#include "engine/mdb/PageFile.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/DesktopLock.h"

namespace telvarn::mdb {
namespace {

// How long a writer waits for another one before giving up with 3045, as
// on the engine's own files.
constexpr auto kLockWait = std::chrono::milliseconds(3000);
constexpr auto kLockPoll = std::chrono::milliseconds(20);
constexpr size_t kPagesTogether = 64;  // 256 KB of 4 KB pages

// Calls `run(first, end)` for each stretch [first, end) of the sorted page
// numbers that follow one another, at most `most` long: such pages are read
// or written together, since a read or a write each costs more than
// copying them.
template <typename Run>
void forEachStretch(const std::vector<uint32_t>& numbers, size_t most, Run run) {
  for (size_t first = 0; first < numbers.size();) {
    size_t end = first + 1;
    while (end < numbers.size() && end - first < most && numbers[end] == numbers[end - 1] + 1)
      ++end;
    run(first, end);
    first = end;
  }
}
}  // namespace

PageFile::PageFile(std::string path, uint32_t pageSize, Disk& disk, size_t pagesHeld)
    : path_(std::move(path)), pageSize_(pageSize), disk_(disk), pagesHeld_(pagesHeld) {
  reader_ = disk_.open(path_, OpenMode::Read);
  if (!reader_) throw engineError(3024, {path_});
  if (disk_.exists(journalPath(path_))) recover();
  count_ = fileCount_ = static_cast<uint32_t>(reader_->size() / pageSize_);
}

PageFile::~PageFile() {
  try {
    while (depth() > 0) rollback();
  } catch (const AppError&) {
    // The journal stays and the next open rolls it back.
  }
}

DiskFile& PageFile::current() {
  return writer_ ? *writer_ : *reader_;
}

Page PageFile::readPage(uint32_t number) {
  return page(number);
}

const Page& PageFile::page(uint32_t number) {
  if (broken_) recover();
  if (number >= count_) damaged("a page past the end of the file");
  writeHeldPage(number);
  const auto found = dirty_.find(number);
  if (found != dirty_.end()) return found->second;
  if (!writer_) return readFromFile(number, lastRead_);
  const auto kept = read_.find(number);
  if (kept != read_.end()) return kept->second;
  if (read_.size() >= kPagesKeptRead) read_.clear();
  return readFromFile(number, read_[number]);
}

Page& PageFile::readFromFile(uint32_t number, Page& into) {
  into.assign(pageSize_, 0);
  if (number < fileCount_) current().read(uint64_t{number} * pageSize_, into.data(), into.size());
  return into;
}

void PageFile::lockForWriting() {
  writer_ = disk_.open(path_, OpenMode::ReadWrite);
  if (!writer_) throw engineError(3024, {path_});
  try {
    refuseWhileOpenInDesktopProgram(disk_, path_);
    const auto giveUp = std::chrono::steady_clock::now() + kLockWait;
    while (!writer_->tryLock()) {
      if (std::chrono::steady_clock::now() >= giveUp) throw engineError(3045, {path_});
      std::this_thread::sleep_for(kLockPoll);
    }
  } catch (const AppError&) {
    writer_.reset();
    throw;
  }
}

// Rolls back a journal no writer holds: one a stopped run left, or one a
// failed rollback of this PageFile could not finish.
void PageFile::recover() {
  lockForWriting();
  try {
    rollBackJournal(disk_, *writer_, journalPath(path_), pageSize_);
  } catch (const AppError&) {
    endTransaction();
    throw;
  }
  endTransaction();
  broken_ = false;
  ++generation_;
  count_ = fileCount_ = static_cast<uint32_t>(reader_->size() / pageSize_);
}

void PageFile::begin() {
  if (writer_) {
    // What the savepoint goes back to includes the pages held back.
    writeHeld();
    const bool nothingWritten = dirty_.empty() && !spilled_ && count_ == countBefore_;
    savepoints_.push_back({{}, count_, nothingWritten});
    return;
  }
  if (broken_) recover();
  ++generation_;
  stamps_.clear();
  lockForWriting();
  try {
    rollBackJournal(disk_, *writer_, journalPath(path_), pageSize_);
  } catch (const AppError&) {
    endTransaction();
    throw;
  }
  count_ = fileCount_ = countBefore_ = static_cast<uint32_t>(writer_->size() / pageSize_);
}

// The savepoint open keeps page `number` as it was before its first change
// since the savepoint began: moved aside when the transaction wrote it
// already (`written`), since it is about to be replaced, otherwise read.
void PageFile::keepBefore(uint32_t number, std::unordered_map<uint32_t, Page>::iterator written) {
  if (savepoints_.empty()) return;
  Savepoint& top = savepoints_.back();
  if (top.atStart || number >= top.pageCount || top.before.count(number)) return;
  top.before[number] = written != dirty_.end() ? std::move(written->second) : readPage(number);
}

void PageFile::writePage(uint32_t number, Page page) {
  if (!writer_) throw engineError(3219);
  if (number >= count_) damaged("a page past the end of the file");
  held_.erase(number);
  page.resize(pageSize_);
  const auto found = dirty_.find(number);
  keepBefore(number, found);
  if (found != dirty_.end()) {
    found->second = std::move(page);
  } else {
    dirty_[number] = std::move(page);
  }
  stamps_[number] = ++lastStamp_;
  read_.erase(number);
  if (dirty_.size() > pagesHeld_) spill();
}

Page& PageFile::changePage(uint32_t number) {
  if (!writer_) throw engineError(3219);
  if (number >= count_) damaged("a page past the end of the file");
  writeHeldPage(number);
  // The savepoint's copy is read, not moved: the page changes in place.
  keepBefore(number, dirty_.end());
  auto found = dirty_.find(number);
  if (found == dirty_.end()) {
    if (dirty_.size() >= pagesHeld_) spill();
    const auto kept = read_.find(number);
    Page page;
    if (kept != read_.end()) {
      page = std::move(kept->second);
    } else {
      readFromFile(number, page);
    }
    found = dirty_.emplace(number, std::move(page)).first;
  }
  read_.erase(number);
  stamps_[number] = ++lastStamp_;
  return found->second;
}

uint32_t PageFile::appendPage() {
  if (!writer_) throw engineError(3219);
  const uint32_t number = count_++;
  read_.erase(number);
  dirty_[number] = Page(pageSize_, 0);
  stamps_[number] = ++lastStamp_;
  return number;
}

// The earlier contents of every written page that the file held before the
// transaction, unless the journal has them already.
void PageFile::journalEarlierPages() {
  if (!journal_) journal_.emplace(disk_, journalPath(path_), pageSize_, countBefore_);
  std::vector<uint32_t> numbers;
  for (const auto& [number, page] : dirty_) {
    if (number < countBefore_ && !journaled_.count(number)) numbers.push_back(number);
  }
  std::sort(numbers.begin(), numbers.end());
  std::vector<uint8_t> before;
  forEachStretch(numbers, kPagesTogether, [&](size_t first, size_t end) {
    before.resize((end - first) * pageSize_);
    writer_->read(uint64_t{numbers[first]} * pageSize_, before.data(), before.size());
    for (size_t i = first; i < end; ++i) {
      journal_->append(numbers[i], before.data() + (i - first) * pageSize_);
      journaled_.insert(numbers[i]);
    }
  });
}

// A large change adds thousands of pages at the file's end: they go in
// writes of many pages each.
void PageFile::writeDirtyPages() {
  read_.clear();
  std::vector<uint32_t> numbers;
  numbers.reserve(dirty_.size());
  for (const auto& entry : dirty_) numbers.push_back(entry.first);
  std::sort(numbers.begin(), numbers.end());
  std::vector<uint8_t> stretch;
  forEachStretch(numbers, kPagesTogether, [&](size_t first, size_t end) {
    const uint64_t at = uint64_t{numbers[first]} * pageSize_;
    if (end - first == 1) {
      writer_->write(at, dirty_[numbers[first]].data(), pageSize_);
    } else {
      stretch.clear();
      for (size_t i = first; i < end; ++i) {
        const Page& page = dirty_[numbers[i]];
        stretch.insert(stretch.end(), page.begin(), page.end());
      }
      writer_->write(at, stretch.data(), stretch.size());
    }
    fileCount_ = std::max(fileCount_, numbers[end - 1] + 1);
  });
  dirty_.clear();
}

void PageFile::spill() {
  try {
    journalEarlierPages();
    journal_->sync();
    spilled_ = true;
    writeDirtyPages();
  } catch (const AppError&) {
    undoOnDisk();
    throw;
  }
}

void PageFile::commit() {
  if (!writer_) throw engineError(3219);
  if (!savepoints_.empty()) {
    Savepoint done = std::move(savepoints_.back());
    savepoints_.pop_back();
    if (!savepoints_.empty() && !savepoints_.back().atStart) {
      Savepoint& parent = savepoints_.back();
      for (auto& [number, page] : done.before) {
        if (number < parent.pageCount) parent.before.emplace(number, std::move(page));
      }
    }
    return;
  }
  writeHeld();
  try {
    if (!dirty_.empty() || spilled_ || fileCount_ != count_) {
      journalEarlierPages();
      journal_->sync();
      spilled_ = true;
      writeDirtyPages();
      if (fileCount_ > count_) writer_->truncate(uint64_t{count_} * pageSize_);
      fileCount_ = count_;
      writer_->sync();
      journal_->remove();
    }
  } catch (const AppError&) {
    undoOnDisk();
    throw;
  }
  endTransaction();
}

void PageFile::rollback() {
  // A transaction that failed in the file has ended already.
  if (!writer_) return;
  ++generation_;
  dropHeld();
  read_.clear();
  if (!savepoints_.empty()) {
    Savepoint& top = savepoints_.back();
    if (top.atStart) {
      savepoints_.pop_back();
      backToStart();
      return;
    }
    for (auto& [number, page] : top.before) dirty_[number] = std::move(page);
    count_ = top.pageCount;
    std::erase_if(dirty_, [&](const auto& entry) { return entry.first >= count_; });
    savepoints_.pop_back();
    return;
  }
  undoOnDisk();
}

// Ends the outermost transaction with the file as it was before it: pages
// that reached the file are put back from the journal. When even that
// fails, the journal stays for the next read or open to roll back.
void PageFile::undoOnDisk() {
  ++generation_;
  dropHeld();
  dirty_.clear();
  savepoints_.clear();
  try {
    if (spilled_) {
      rollBackJournal(disk_, *writer_, journalPath(path_), pageSize_);
    } else if (journal_) {
      journal_->remove();
    }
  } catch (const AppError&) {
    broken_ = spilled_;
  }
  endTransaction();
  count_ = fileCount_ = static_cast<uint32_t>(reader_->size() / pageSize_);
}

// The outermost transaction, still open, back at its start: pages that
// reached the file are put back from the journal. When that fails, the
// transaction ends as undoOnDisk ends it.
void PageFile::backToStart() {
  dropHeld();
  dirty_.clear();
  read_.clear();
  if (spilled_) {
    try {
      rollBackJournal(disk_, *writer_, journalPath(path_), pageSize_);
    } catch (const AppError&) {
      undoOnDisk();
      return;
    }
  }
  journal_.reset();
  journaled_.clear();
  spilled_ = false;
  count_ = fileCount_ = countBefore_;
}

void PageFile::holdBack(uint32_t number, HeldPages& writer, uint32_t group) {
  if (!writer_) throw engineError(3219);
  const auto same = std::find_if(holders_.begin(), holders_.end(),
                                 [&](const auto& holder) { return holder.first == group; });
  if (same == holders_.end()) {
    holders_.emplace_back(group, &writer);
  } else if (same->second != &writer) {
    writeHeldBy(same->second);
    holders_.emplace_back(group, &writer);
  }
  held_[number] = &writer;
}

void PageFile::writeHeldPage(uint32_t number) {
  if (held_.empty()) return;
  const auto found = held_.find(number);
  if (found != held_.end()) writeHeldBy(found->second);
}

// The writer's pages are no longer held before it writes them, so that
// what it reads on the way is the file's.
void PageFile::writeHeldBy(HeldPages* writer) {
  forget(*writer);
  writer->writeHeldPages();
}

void PageFile::writeHeld() {
  while (!holders_.empty()) writeHeldBy(holders_.back().second);
}

void PageFile::dropHeld() {
  const auto holders = std::move(holders_);
  holders_.clear();
  held_.clear();
  for (const auto& [group, writer] : holders) writer->dropHeldPages();
}

void PageFile::forget(const HeldPages& writer) {
  std::erase_if(holders_, [&](const auto& holder) { return holder.second == &writer; });
  std::erase_if(held_, [&](const auto& entry) { return entry.second == &writer; });
}

void PageFile::release(HeldPages& writer) {
  try {
    writeHeldBy(&writer);
  } catch (const AppError&) {
    abandon();
  }
  forget(writer);
}

void PageFile::abandon() {
  if (writer_) undoOnDisk();
}

void PageFile::endTransaction() {
  read_.clear();
  journal_.reset();
  journaled_.clear();
  spilled_ = false;
  if (writer_) writer_->unlock();
  writer_.reset();
}

}  // namespace telvarn::mdb
