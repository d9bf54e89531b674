// PageFile: a database file read and written a page at a time, and the
// transactions that make each change whole or nothing.
//
// Reads see the pages the open transaction has written. Written pages stay
// in memory until the transaction commits (or until there are so many that
// some go to the file early); before a page of the file is first
// overwritten, its earlier contents are in the journal (see Journal.h), and
// synced. Commit: the journal synced, the pages written, the file synced,
// the journal removed. Transactions nest: an inner one is a savepoint that
// keeps the contents its pages had when it began, in memory.
//
// While a transaction is open the writer holds a lock that keeps a second
// writer (another run, or another PageFile of the same file) out.
//
// A writer that changes the same pages again and again (an index, row after
// row) may hold them back in its own form and write them once (see
// HeldPages); the file has them written before anyone else reads one,
// before a savepoint begins and before the outermost transaction commits,
// and a rollback drops them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/mdb/Disk.h"
#include "engine/mdb/Journal.h"
#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

// A writer that holds pages back. Of the writers of one group (an index's
// pages), only one holds pages at a time: when a second begins to, the
// first writes its own.
class HeldPages {
 public:
  // Writes every page held back (writePage); it holds none then.
  virtual void writeHeldPages() = 0;
  // Forgets them: the transaction went back to before they changed.
  virtual void dropHeldPages() = 0;

 protected:
  ~HeldPages() = default;
};

class PageFile : public PageSource {
 public:
  // Opens the file at `path` for reading: 3024 when it is missing, 3051
  // when it may not be read. A journal that a stopped run left beside it
  // is rolled back first (3027 when the file may not be written to do so).
  // A transaction holds up to `pagesHeld` written pages in memory (16 MB);
  // more go to the file early.
  PageFile(std::string path, uint32_t pageSize, Disk& disk = systemDisk(), size_t pagesHeld = 4096);
  // An open transaction is rolled back.
  ~PageFile() override;
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  uint32_t pageSize() const override { return pageSize_; }
  uint32_t pageCount() const override { return count_; }
  // 3049 for a page past the end, 3043 when the read fails.
  Page readPage(uint32_t number) override;
  const Page& page(uint32_t number) override;

  // The outermost begin takes the writer's lock: 3024 when the file is
  // gone, 3027 when it may not be written, 3260 when the desktop program
  // has it open, 3045 when another writer still holds it after 3 seconds.
  void begin();
  // The outermost commit makes the transaction durable: 3026 (disk full),
  // 3027 or 3043 when it cannot, and then the file is as it was before and
  // every level of the transaction has ended (rollback does nothing then).
  // A write that fails on the way (pages going early) ends it the same way.
  void commit();
  void rollback();
  // Open transactions, the outermost one included.
  size_t depth() const { return savepoints_.size() + (writer_ ? 1 : 0); }

  // Changes whenever pages may no longer hold what this PageFile last wrote
  // or read: a new outermost transaction (another run may have written in
  // between) and every rollback. Whoever keeps pages decoded starts afresh
  // when it changes.
  uint64_t generation() const { return generation_; }
  // Changes whenever page `number` is written, so that one of several
  // writers of a page sees that another wrote it since.
  uint64_t pageStamp(uint32_t number) const {
    const auto found = stamps_.find(number);
    return found == stamps_.end() ? 0 : found->second;
  }

  // Within a transaction (3219 outside one); 3049 for a page past the end.
  void writePage(uint32_t number, Page page);
  // The page to change in place, as writePage would store it: valid until
  // the next call on this file. Errors as writePage's.
  Page& changePage(uint32_t number);
  // A new page of zeros at the end of the file; its number.
  uint32_t appendPage();

  // Page `number`, changed, is held back by `writer` of `group` (within a
  // transaction).
  void holdBack(uint32_t number, HeldPages& writer, uint32_t group);
  // Has page `number` written if a writer holds it back.
  void writeHeldPage(uint32_t number);
  // `writer` holds nothing back (any longer) and goes away.
  void forget(const HeldPages& writer);
  // `writer` goes away: what it holds back is written; should that fail,
  // the transaction ends (see abandon) rather than keep part of a change.
  void release(HeldPages& writer);
  // Ends the transaction, every level of it, with the file as it was
  // before it began: for a change found to have failed part way.
  void abandon();

 private:
  struct Savepoint {
    std::map<uint32_t, Page> before;  // pages as they were when it began
    uint32_t pageCount = 0;
    // Begun before the transaction wrote anything: going back to it is
    // going back to the transaction's start, which needs no copies of pages
    // (however many pages a large change writes).
    bool atStart = false;
  };

  DiskFile& current();
  Page& readFromFile(uint32_t number, Page& into);
  void keepBefore(uint32_t number, std::unordered_map<uint32_t, Page>::iterator written);
  void lockForWriting();
  void journalEarlierPages();
  void spill();
  void writeDirtyPages();
  void undoOnDisk();
  void backToStart();
  void endTransaction();
  void recover();
  void writeHeldBy(HeldPages* writer);
  void writeHeld();
  void dropHeld();

  std::string path_;
  uint32_t pageSize_;
  Disk& disk_;
  size_t pagesHeld_;
  std::unique_ptr<DiskFile> reader_;
  std::unique_ptr<DiskFile> writer_;  // only while a transaction is open
  uint32_t count_ = 0;
  uint32_t fileCount_ = 0;    // pages the file itself holds
  uint32_t countBefore_ = 0;  // pages before the outermost transaction
  std::unordered_map<uint32_t, Page> dirty_;
  // Pages read from the file within the transaction, whose lock keeps every
  // other writer out, so that a page read to be scanned, then to be found,
  // then to be changed is read once. A page leaves when it changes; all of
  // them go whenever the file is written or a rollback puts pages back.
  static constexpr size_t kPagesKeptRead = 256;
  std::unordered_map<uint32_t, Page> read_;
  std::vector<Savepoint> savepoints_;
  std::optional<JournalWriter> journal_;
  std::unordered_set<uint32_t> journaled_;
  bool spilled_ = false;  // pages of this transaction are in the file
  bool broken_ = false;   // a failed rollback left the journal to undo
  uint64_t generation_ = 0;
  std::unordered_map<uint32_t, uint64_t> stamps_;
  uint64_t lastStamp_ = 0;
  std::unordered_map<uint32_t, HeldPages*> held_;         // by page
  std::vector<std::pair<uint32_t, HeldPages*>> holders_;  // group, writer
};

// A transaction (a savepoint when one is open) for the life of a scope:
// rolled back unless committed.
class PageTransaction {
 public:
  explicit PageTransaction(PageFile& file) : file_(file) { file_.begin(); }
  ~PageTransaction() {
    if (open_) file_.rollback();
  }
  PageTransaction(const PageTransaction&) = delete;
  PageTransaction& operator=(const PageTransaction&) = delete;

  void commit() {
    open_ = false;
    file_.commit();
  }

 private:
  PageFile& file_;
  bool open_ = true;
};

}  // namespace telvarn::mdb
