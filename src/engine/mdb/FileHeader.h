// The first page of a database file: which edition of the format wrote it,
// whether its pages are encoded, and the defaults its text columns follow.
#pragma once

#include <cstdint>
#include <string>

#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

// The page size of the format this engine reads (version 4).
inline constexpr uint32_t kPageSize = 4096;

struct FileHeader {
  uint16_t codePage = 0;
  uint32_t sortOrder = 0;
  // Non-zero when every page after the first is encoded with it.
  uint32_t encodingKey = 0;
};

// Reads and checks page 0. 3343, with the reason in the text, for a file of
// another edition (version 3, or the later ACE format) or an encoded one. A
// database password does not stop reading: it guards opening in the desktop
// program, not the pages.
FileHeader readFileHeader(PageSource& pages, const std::string& path);

// The header's masked area is decoded with this stream cipher; the same one
// encodes whole pages of encoded files.
void rc4(const uint8_t* key, size_t keyLength, uint8_t* data, size_t length);

}  // namespace telvarn::mdb
