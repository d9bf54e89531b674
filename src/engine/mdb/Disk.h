// Disk: every touch of a database file and its journal that the writer
// makes - reading, writing, syncing, growing, removing, locking - so that a
// test can put a disk in its place that fails on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace telvarn::mdb {

class DiskFile {
 public:
  virtual ~DiskFile() = default;

  // 3043 when the read fails or the file ends first.
  virtual void read(uint64_t offset, uint8_t* data, size_t length) = 0;
  // write, sync and truncate: 3026 when the disk is full, 3027 when the
  // file or the disk is read-only, 3043 for any other failure.
  virtual void write(uint64_t offset, const uint8_t* data, size_t length) = 0;
  virtual void sync() = 0;
  virtual void truncate(uint64_t size) = 0;
  virtual uint64_t size() = 0;

  // The lock one writer holds while it writes, so that a second run (in
  // this process or another) waits; false when someone else holds it.
  virtual bool tryLock() = 0;
  virtual void unlock() = 0;
};

enum class OpenMode {
  Read,       // an existing file, for reading
  ReadWrite,  // an existing file, for reading and writing
  Create,     // a new empty file (an old one of that name is emptied)
};

class Disk {
 public:
  virtual ~Disk() = default;

  // nullptr when the file does not exist (Read and ReadWrite). 3051 when it
  // may not be read, 3027 when it may not be written, 3026 when a new file
  // does not fit, 3043 for other failures.
  virtual std::unique_ptr<DiskFile> open(const std::string& path, OpenMode mode) = 0;
  virtual bool exists(const std::string& path) = 0;
  // 3027 / 3043 when the file stays.
  virtual void remove(const std::string& path) = 0;
  // Makes the creation or removal of files in the folder of `path` durable.
  virtual void syncFolder(const std::string& path) = 0;
};

// The machine's own disk.
Disk& systemDisk();

// The error number an errno of a failed write, sync or open stands for.
int diskErrorNumber(int error);

}  // namespace telvarn::mdb
