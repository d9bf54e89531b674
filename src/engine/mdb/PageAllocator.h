// Pages for new rows, long values, index nodes and usage maps. The file's
// map of free pages (record 0 of page 1; a set bit is a free page, and so
// is every page it does not cover) gives a free page inside the file first;
// otherwise the file grows by a page. Both within a transaction.
#pragma once

#include <cstdint>

#include "engine/mdb/PageFile.h"

namespace telvarn::mdb {

// A page now in use; its contents are what the caller writes.
uint32_t allocatePage(PageFile& file);

// Gives a page that is no longer used back: zeroed and marked free.
void releasePage(PageFile& file, uint32_t page);

}  // namespace telvarn::mdb
