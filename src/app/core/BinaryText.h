// Bytes written as text, for output that cannot carry bytes as they are:
// hexadecimal digits, and the braced form of a GUID.
#pragma once

#include <string>

namespace telvarn {

// Two upper-case hexadecimal digits per byte ("" for no bytes).
std::string hexText(const std::string& bytes);

// The sixteen bytes of a GUID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
// (the first three groups little-endian, as they are stored). REQUIRES:
// bytes.size() == 16.
std::string guidText(const std::string& bytes);

}  // namespace telvarn
