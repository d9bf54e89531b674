// The SQL function telvarn_convert(value, type, size): a stored value turned
// into a value of the engine type `type`, or the engine's error when it does
// not convert. Type changes of a column run every row through it, so a
// change either converts every value or changes nothing.
#pragma once

#include <sqlite3.h>

#include <string>

namespace telvarn::sqlite {

void registerValueConversion(sqlite3* db);

// Functions report an engine error to SQLite as this prefix and the number;
// Connection turns such a message back into the numbered error.
constexpr const char* kErrorPrefix = "telvarn:";

// Reports engine error `number` from inside a function, with the text for
// its insertion after a ":".
void resultError(sqlite3_context* context, int number, const std::string& insertion = "");

}  // namespace telvarn::sqlite
