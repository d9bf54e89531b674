// Changes to a usage map (see UsageMap.h) in place. An inline map whose
// range ends before the page grows its record, as the desktop program does,
// to cover the page rounded up to the next 32 pages, while its page has
// room; otherwise it becomes a reference map of the same length, whose
// bitmap pages (type 0x05) are made as they are needed.
#pragma once

#include <cstdint>

#include "engine/mdb/PageFile.h"

namespace telvarn::mdb {

enum class MapKind {
  Owned,  // pages of a table, an index or a column's long values
  // The file's map of free pages: when it grows, the pages past the end of
  // the file are marked free; its own bitmap pages come from the end of
  // the file rather than from itself.
  Free,
};

// Marks `page` in (on) or out of the map whose record `map` points to.
void setUsageBit(PageFile& file, uint32_t map, uint32_t page, bool on,
                 MapKind kind = MapKind::Owned);

// The record of the file's map of free pages.
constexpr uint32_t kFreePagesMap = 1u << 8;  // page 1, record 0

}  // namespace telvarn::mdb
