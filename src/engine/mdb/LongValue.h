// Memo and OLE values: a 12-byte reference in the row (length and form in
// the first four bytes, a row pointer in the next four) followed, for short
// values, by the value itself. Longer values live in records of long-value
// pages: one record, or a chain of records each starting with the pointer
// to the next.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
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

// What is wrong with the value a reference describes, or "": a value in the
// row has the length the reference gives; otherwise the reference is 12
// bytes and leads to records on long-value pages, one of exactly that
// length, or a chain whose pieces add up to it, ending with pointer 0 and
// meeting no record twice. `visit` gets each long-value page the value
// lies on.
std::string longValueFault(PageSource& pages, ByteView reference,
                           const std::function<void(uint32_t page)>& visit);

}  // namespace telvarn::mdb
