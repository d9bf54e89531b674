// UsageMap: which pages belong to a table or an index. Small maps hold a
// bitmap in the record itself (starting at a given page); large ones list
// the pages (type 0x05) that hold the bitmaps (a place holding 0, or a
// number negative as a signed one, names none). Only the map's record is kept;
// the bitmap pages are read as they are walked.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

class UsageMap {
 public:
  // The map in the record a row pointer leads to.
  static UsageMap read(PageSource& pages, uint32_t pointer);

  // The pages (type 0x05) that hold a large map's bitmaps; none for a small
  // map.
  std::vector<uint32_t> bitmapPages() const;

  // Calls `visit` for each page the map marks, in page order; stops early
  // when it returns false.
  void forEachPage(PageSource& pages, const std::function<bool(uint32_t)>& visit) const;


 private:
  bool walkBitmap(const uint8_t* bits, size_t length, uint32_t firstPage,
                  const std::function<bool(uint32_t)>& visit) const;

  uint8_t type_ = 0;
  std::vector<uint8_t> record_;
};

}  // namespace telvarn::mdb
