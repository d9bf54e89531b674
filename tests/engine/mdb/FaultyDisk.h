// A disk that passes everything on to the machine's own and fails on
// purpose: from the Nth write, sync, truncation or removal after arming,
// that operation fails with the given errno, and (when the fault stays)
// every later one too, as a disk that fills up or goes bad does. Syncs are
// counted (and may fail) but not carried out: what the tests hold the
// writer to is their order, and the kill tests show that the order holds.
#pragma once

#include <cerrno>

#include "engine/mdb/Disk.h"

namespace telvarn::test {

class FaultyDisk : public mdb::Disk {
 public:
  void arm(int countdown, int error = ENOSPC, bool stays = true);
  void clear() { arm(0); }
  // Opening for writing fails as on a read-only disk.
  void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // Operations seen since the last arm, and whether the fault struck.
  int operations() const { return seen_; }
  bool struck() const { return struck_; }

  std::unique_ptr<mdb::DiskFile> open(const std::string& path, mdb::OpenMode mode) override;
  bool exists(const std::string& path) override;
  void remove(const std::string& path) override;
  void syncFolder(const std::string& path) override;

  // Throws the armed error when this operation is the one to fail.
  void operation();

 private:
  int countdown_ = 0;
  int error_ = ENOSPC;
  bool stays_ = true;
  bool readOnly_ = false;
  int seen_ = 0;
  bool struck_ = false;
};

}  // namespace telvarn::test
