#include "engine/mdb/FileHeader.h"

#include <array>
#include <cstring>
#include <utility>

#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kMaskedStart = 0x18;
constexpr size_t kMaskedLength = 128;
constexpr uint8_t kHeaderKey[] = {0xC7, 0xDA, 0x39, 0x6B};

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
  throw AppError(3343, errorDescription(3343, {path}) + "  " + why);
}

}  // namespace

void rc4(const uint8_t* key, size_t keyLength, uint8_t* data, size_t length) {
  std::array<uint8_t, 256> state{};
  for (size_t i = 0; i < state.size(); ++i) state[i] = static_cast<uint8_t>(i);
  uint8_t j = 0;
  for (size_t i = 0; i < state.size(); ++i) {
    j = static_cast<uint8_t>(j + state[i] + key[i % keyLength]);
    std::swap(state[i], state[j]);
  }
  uint8_t a = 0;
  uint8_t b = 0;
  for (size_t n = 0; n < length; ++n) {
    a = static_cast<uint8_t>(a + 1);
    b = static_cast<uint8_t>(b + state[a]);
    std::swap(state[a], state[b]);
    data[n] ^= state[static_cast<uint8_t>(state[a] + state[b])];
  }
}

FileHeader readFileHeader(PageSource& pages, const std::string& path) {
  if (pages.pageCount() == 0) refuse(path, "The file is shorter than one page.");
  Page page = pages.readPage(0);
  const ByteView view(page);
  if (view.u8(0) != 0 || std::memcmp(page.data() + 4, "Standard Jet DB", 15) != 0) {
    if (std::memcmp(page.data() + 4, "Standard ACE DB", 15) == 0) {
      refuse(path, "Files of the 2007 and later editions (ACE) cannot be read.");
    }
    refuse(path, "");
  }
  const uint32_t version = view.u32(0x14);
  if (version == 0) refuse(path, "Files of version 3 (the 97 edition) cannot be read.");
  if (version != 1) refuse(path, "The file's format version is unknown.");
  rc4(kHeaderKey, sizeof kHeaderKey, page.data() + kMaskedStart, kMaskedLength);
  FileHeader header;
  header.codePage = view.u16(0x3C);
  header.encodingKey = view.u32(0x3E);
  header.sortOrder = view.u32(0x6E);
  if (header.encodingKey != 0) refuse(path, "The file is encoded and cannot be read.");
  return header;
}

}  // namespace telvarn::mdb
