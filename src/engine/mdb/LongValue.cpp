#include "engine/mdb/LongValue.h"

#include <algorithm>

#include "engine/mdb/DataPage.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kReferenceLength = 12;
constexpr uint32_t kLengthMask = 0x3FFFFFFF;
constexpr uint32_t kFormMask = 0xC0000000;
// A damaged length must not make the reader claim memory it never fills.
constexpr size_t kReserveLimit = 1 << 20;

void append(std::vector<uint8_t>& out, ByteView bytes) {
  out.insert(out.end(), bytes.data(), bytes.data() + bytes.size());
}

}  // namespace

std::vector<uint8_t> readLongValue(PageSource& pages, ByteView reference) {
  const uint32_t head = reference.u32(0);
  const uint32_t length = head & kLengthMask;
  std::vector<uint8_t> value;
  if ((head & kFormMask) == LongValueForm::Inline) {
    append(value, reference.sub(kReferenceLength, length));
    return value;
  }
  uint32_t pointer = reference.u32(4);
  Page page;
  if ((head & kFormMask) == LongValueForm::SingleRecord) {
    const ByteView record = followRecord(pages, pointer, page);
    if (record.size() < length) damaged("a long value shorter than its length");
    append(value, record.sub(0, length));
    return value;
  }
  value.reserve(std::min<size_t>(length, kReserveLimit));
  for (uint32_t pieces = 0; value.size() < length; ++pieces) {
    if (pointer == 0) damaged("a long value chain that ends too soon");
    if (pieces > pages.pageCount()) damaged("a long value chain that loops");
    const ByteView record = followRecord(pages, pointer, page);
    pointer = record.u32(0);
    const size_t want = length - value.size();
    const ByteView piece = record.from(4);
    append(value, piece.size() > want ? piece.sub(0, want) : piece);
  }
  return value;
}

}  // namespace telvarn::mdb
