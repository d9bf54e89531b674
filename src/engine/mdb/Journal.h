// Journal: the earlier contents of the pages a transaction overwrites, kept
// in a file beside the database ("<file>-journal") until the new contents
// are durable. A page's earlier contents reach the journal, synced, before
// the page itself is overwritten; the transaction is committed when the
// journal is removed. A journal found by the next open means a run stopped
// half way: putting its pages back gives the file as it was before.
//
// The file: a 64-byte header (a mark, the page size, the file's length in
// pages before the transaction, a random salt and the header's checksum),
// then records of a page number, a checksum seeded with the salt, and the
// page. Records are only appended, so a record that does not check out
// (a write the stop cut short) and every record after it were never synced,
// and their pages were never overwritten.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/mdb/Disk.h"
#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

std::string journalPath(const std::string& databasePath);

class JournalWriter {
 public:
  // Creates the journal (3026, 3027, 3043 as Disk::open).
  JournalWriter(Disk& disk, std::string path, uint32_t pageSize, uint32_t pageCountBefore);

  // The page's earlier contents (a page of bytes). Records gather in
  // memory, a few dozen a write, until sync.
  void append(uint32_t number, const uint8_t* before);
  // Makes every record appended so far durable; the first sync also makes
  // the journal's own name durable in its folder.
  void sync();
  // The commit point. 3027 / 3043 when the journal stays.
  void remove();

 private:
  Disk& disk_;
  std::string path_;
  std::unique_ptr<DiskFile> file_;
  void writeGathered();

  uint32_t pageSize_;
  uint64_t salt_;
  uint64_t end_;
  std::vector<uint8_t> gathered_;  // records not yet written, ending at end_
  bool folderSynced_ = false;
};

// Rolls the journal at `path` back into `database`: puts back every page it
// holds, cuts the file to its length before the transaction, syncs it and
// removes the journal. A journal without a whole header never reached the
// database and is only removed. Safe to repeat after a stop half way.
void rollBackJournal(Disk& disk, DiskFile& database, const std::string& path, uint32_t pageSize);

}  // namespace telvarn::mdb
