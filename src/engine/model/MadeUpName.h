// The name a constraint written without one gets: `prefix` and sixteen
// random hexadecimal digits, which cannot collide with a name a script
// chose.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace telvarn::jetsql {

inline std::string madeUpName(const std::string& prefix) {
  static std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name = prefix;
  uint64_t bits = generator();
  for (int i = 0; i < 16; ++i, bits >>= 4) name += kHex[bits & 0xF];
  return name;
}

}  // namespace telvarn::jetsql
