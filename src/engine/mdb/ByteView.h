// ByteView: little-endian reading of the bytes of a page or of a record,
// every read checked against the end, so that a damaged file is refused with
// a number rather than read past its buffer. putLittle and appendLittle
// write the same form.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace telvarn {
class AppError;
}

namespace telvarn::mdb {

// 3049: the file does not hold what its own structures say it holds.
[[noreturn]] void damaged(const std::string& what);

// What an error raised by damaged() says is wrong ("a record that runs past
// its end"); for any other error its number and description.
std::string damageOf(const AppError& error);

class ByteView {
 public:
  ByteView() = default;
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit ByteView(const std::vector<uint8_t>& bytes) : data_(bytes.data()), size_(bytes.size()) {}

  size_t size() const { return size_; }
  const uint8_t* data() const { return data_; }
  bool empty() const { return size_ == 0; }

  ByteView sub(size_t offset, size_t length) const {
    check(offset, length);
    return ByteView(data_ + offset, length);
  }
  ByteView from(size_t offset) const { return sub(offset, offset <= size_ ? size_ - offset : 1); }
  std::vector<uint8_t> bytes() const { return {data_, data_ + size_}; }

  uint8_t u8(size_t at) const {
    check(at, 1);
    return data_[at];
  }
  uint16_t u16(size_t at) const { return static_cast<uint16_t>(le(at, 2)); }
  uint32_t u32(size_t at) const { return static_cast<uint32_t>(le(at, 4)); }
  int16_t i16(size_t at) const { return static_cast<int16_t>(u16(at)); }
  int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }
  int64_t i64(size_t at) const { return static_cast<int64_t>(le(at, 8)); }
  float f32(size_t at) const {
    const uint32_t bits = u32(at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  double f64(size_t at) const {
    const uint64_t bits = le(at, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

 private:
  void check(size_t at, size_t length) const {
    if (at > size_ || length > size_ - at) damaged("a record that runs past its end");
  }
  uint64_t le(size_t at, size_t length) const {
    check(at, length);
    uint64_t value = 0;
    for (size_t i = length; i-- > 0;) value = (value << 8) | data_[at + i];
    return value;
  }

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// `value` in `bytes` little-endian bytes at `at`.
inline void putLittle(uint8_t* at, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
inline void appendLittle(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace telvarn::mdb
