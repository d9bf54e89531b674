#include "app/core/BinaryText.h"

#include <cstdint>

#include "engine/mdb/FixedValue.h"

namespace telvarn {

std::string hexText(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string guidText(const std::string& bytes) {
  return mdb::guidText(mdb::ByteView(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace telvarn
