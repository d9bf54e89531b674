// The fixed-length values of a row and how they become the engine's values:
// Currency as its count of ten-thousandths, dates as their day number
// (values/Calendar.h). The engine's Variant has no kind for exact decimals,
// identifiers or bytes, so those are handed over as text: Decimal in exact
// plain decimal (as CStr writes it), GUIDs in braces, bytes as they are.
// Text columns of fixed length (CHAR(n)) give their text as UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Variant.h"
#include "engine/mdb/ByteView.h"

namespace telvarn::mdb {

struct ColumnDef;

// The number of bytes a fixed column of this type takes in a row (0 for
// types that are not fixed, and for Boolean, which lives in the null mask).
size_t fixedLength(const ColumnDef& column);

// The value of a fixed column from its bytes.
Variant fixedValue(const ColumnDef& column, ByteView bytes);

// A scaled 64-bit integer (Currency: scale 4) or a sign and a 128-bit
// magnitude (Decimal) as plain decimal text without trailing zeros.
std::string scaledText(bool negative, unsigned __int128 magnitude, int scale);

std::string guidText(ByteView bytes);

}  // namespace telvarn::mdb
