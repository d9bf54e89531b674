// PageSource: every read of a database file goes through here, one page at a
// time, so that no part of the engine ever holds more of a file than the
// pages it is working on, and so that a test can put a failing or damaged
// source in the file's place.
#pragma once

#include <cstdint>
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
  // The same page without a copy where the source keeps it (a source that
  // keeps none reads it into room of its own): valid until the next call on
  // this source. A reader that goes through many pages copies them into
  // room of its own (assign), so that it need not allocate a page for each.
  virtual const Page& page(uint32_t number) {
    lastRead_ = readPage(number);
    return lastRead_;
  }

 protected:
  Page lastRead_;  // the page page() read last into room of its own
};

}  // namespace telvarn::mdb
