// PageSource: every read of a database file goes through here, one page at a
// time, so that no part of the engine ever holds more of a file than the
// pages it is working on, and so that a test can put a failing or damaged
// source in the file's place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace telvarn::mdb {

using Page = std::vector<uint8_t>;

class PageSource {
 public:
  virtual ~PageSource() = default;

  virtual uint32_t pageSize() const = 0;
  virtual uint32_t pageCount() const = 0;
  // The bytes of page `number` (pageSize() of them). 3049 for a page past the
  // end of the file, 3043 when the read fails.
  virtual Page readPage(uint32_t number) = 0;
};

// The pages of a file on disk, read with pread as they are asked for.
class FilePageSource : public PageSource {
 public:
  // 3024 when the file is missing, 3051 when it may not be read.
  FilePageSource(const std::string& path, uint32_t pageSize);
  ~FilePageSource() override;
  FilePageSource(const FilePageSource&) = delete;
  FilePageSource& operator=(const FilePageSource&) = delete;

  uint32_t pageSize() const override { return pageSize_; }
  uint32_t pageCount() const override { return pageCount_; }
  Page readPage(uint32_t number) override;

 private:
  std::string path_;
  int fd_ = -1;
  uint32_t pageSize_;
  uint32_t pageCount_ = 0;
};

}  // namespace telvarn::mdb
