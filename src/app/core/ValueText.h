// A value of a field as --export and --schema write it, the same whatever
// the language setting: Yes/No as True or False, whole numbers in digits,
// Single and Double numbers as the shortest text that reads back as the
// same value of the field's type, Currency in exact decimals ("1.2345"), a
// date as "YYYY-MM-DD HH:MM:SS", bytes in hexadecimal digits, text as it is.
#pragma once

#include <string>

#include "engine/Variant.h"

namespace telvarn {

// `value` of a field of engine type `type`; REQUIRES: not Null.
std::string exportText(int type, const Variant& value);

}  // namespace telvarn
