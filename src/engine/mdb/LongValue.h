// Memo and OLE values: a 12-byte reference in the row (length and form in
// the first four bytes, a row pointer in the next four) followed, for short
// values, by the value itself. Longer values live in records of long-value
// pages: one record, or a chain of records each starting with the pointer
// to the next.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/PageSource.h"

namespace telvarn::mdb {

namespace LongValueForm {
enum : uint32_t { Inline = 0x80000000, SingleRecord = 0x40000000, Chain = 0 };
}

// The bytes of the value a reference describes: 3049 when its records are
// missing or shorter than the length it gives.
std::vector<uint8_t> readLongValue(PageSource& pages, ByteView reference);

}  // namespace telvarn::mdb
