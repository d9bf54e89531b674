#include "engine/mdb/UsageMap.h"

#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kInlineBitsAt = 5;
constexpr size_t kMapPageBitsAt = 4;

// A large map's place for a bitmap page is empty when it holds 0 or a
// number that is negative as a signed one.
bool emptyPlace(uint32_t mapPage) {
  return mapPage == 0 || mapPage >= 0x80000000u;
}

}  // namespace

UsageMap UsageMap::read(PageSource& pages, uint32_t pointer) {
  const ByteView record = followRecord(pages, pointer);
  UsageMap map;
  map.type_ = record.u8(0);
  if (map.type_ > 1) damaged("a page usage map of unknown kind");
  map.record_ = record.bytes();
  return map;
}

std::vector<uint32_t> UsageMap::bitmapPages() const {
  std::vector<uint32_t> numbers;
  const ByteView record(record_);
  for (size_t at = 1; type_ == 1 && at + 4 <= record.size(); at += 4) {
    if (const uint32_t number = record.u32(at); !emptyPlace(number)) numbers.push_back(number);
  }
  return numbers;
}

bool UsageMap::walkBitmap(const uint8_t* bits, size_t length, uint32_t firstPage,
                          const std::function<bool(uint32_t)>& visit) const {
  for (size_t byte = 0; byte < length; ++byte) {
    if (bits[byte] == 0) continue;
    for (int bit = 0; bit < 8; ++bit) {
      if ((bits[byte] & (1u << bit)) && !visit(firstPage + static_cast<uint32_t>(byte * 8 + bit))) {
        return false;
      }
    }
  }
  return true;
}

void UsageMap::forEachPage(PageSource& pages, const std::function<bool(uint32_t)>& visit) const {
  const ByteView record(record_);
  if (type_ == 0) {
    if (record.size() < kInlineBitsAt) damaged("a page usage map too short");
    walkBitmap(record_.data() + kInlineBitsAt, record_.size() - kInlineBitsAt, record.u32(1),
               visit);
    return;
  }
  const uint32_t pagesPerMapPage = (pages.pageSize() - kMapPageBitsAt) * 8;
  Page bits;  // the visitor may read pages of its own
  for (size_t i = 0; 1 + 4 * i + 4 <= record.size(); ++i) {
    const uint32_t mapPage = record.u32(1 + 4 * i);
    if (emptyPlace(mapPage)) continue;
    const Page& read = pages.page(mapPage);
    bits.assign(read.begin(), read.end());
    if (bits[0] != PageType::UsageMap) damaged("a page usage map page of another kind");
    if (!walkBitmap(bits.data() + kMapPageBitsAt, bits.size() - kMapPageBitsAt,
                    static_cast<uint32_t>(i) * pagesPerMapPage, visit)) {
      return;
    }
  }
}

}  // namespace telvarn::mdb
