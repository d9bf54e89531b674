// Room for new records among the pages a table (or a Memo or OLE column)
// owns. Two usage maps describe them: the pages it owns, and those of them
// with free space. A new record goes to the last owned page that the
// free-space map lists, if it fits there; if not, that page leaves the
// free-space map and a new page, entered in both maps, takes the record.
#pragma once

#include <cstdint>

#include "engine/mdb/PageFile.h"

namespace telvarn::mdb {

struct PageMaps {
  uint32_t used = 0;  // row pointers to the two maps' records
  uint32_t free = 0;
};

// The page for a new record of `length` bytes; a new page is a record page
// of `owner` (the table's definition page, or kLongValueOwner).
uint32_t pageWithRoom(PageFile& file, const PageMaps& maps, uint32_t owner, size_t length);

// A new page for records of `owner`, entered in both maps, when page `full`
// of the free-space map (0 for none) has no room for the next record: it
// leaves that map. For a writer that filled the page pageWithRoom gave, so
// that the pages need not be looked through again.
uint32_t newPageAfter(PageFile& file, const PageMaps& maps, uint32_t owner, uint32_t full);

}  // namespace telvarn::mdb
