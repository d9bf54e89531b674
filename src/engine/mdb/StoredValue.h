// The engine's values as a row stores them: the inverse of fixedValue and
// decodeText, taking the same forms they give (Currency and Decimal as
// exact decimal text or a number, GUIDs as "{...}" text, dates as serial
// numbers, bytes as a string of bytes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Variant.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// The bytes of a value of a fixed column (not Yes/No, which lives in the
// null mask), or of a Text or Binary value. 3349 for a number out of the
// column's range (or with more digits than a Decimal's precision), 3163
// for text or bytes longer than the column, 3421 for a value that is no
// number, no GUID or no date.
std::vector<uint8_t> storedBytes(const ColumnDef& column, const Variant& value);

// Text in the stored form: compressed (one byte per character after a
// 0xFF 0xFE mark) when the column allows it, the text is longer than two
// characters and every character fits in one byte; otherwise UTF-16.
std::vector<uint8_t> encodeText(const std::string& utf8, bool compress);

}  // namespace telvarn::mdb
