#include "engine/mdb/LongValue.h"

#include <algorithm>
#include <set>

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

namespace {

// The record a pointer leads to, or "" and `fault` set when it does not lie
// on a long-value page.
ByteView longValueRecord(PageSource& pages, uint32_t pointer, Page& page, std::string& fault) {
  const ByteView record = followRecord(pages, pointer, page);
  if (owner(ByteView(page)) != kLongValueOwner) {
    fault =
        "its record on page " + std::to_string(pageOf(pointer)) + " is not on a long-value page";
  }
  return record;
}

}  // namespace

std::string longValueFault(PageSource& pages, ByteView reference,
                           const std::function<void(uint32_t page)>& visit) {
  const uint32_t head = reference.u32(0);
  const uint32_t length = head & kLengthMask;
  const std::string size = std::to_string(length) + " bytes";
  if ((head & kFormMask) == LongValueForm::Inline) {
    return reference.size() == kReferenceLength + length ? "" : "it does not hold its " + size;
  }
  if (reference.size() != kReferenceLength) return "its reference is not 12 bytes long";
  uint32_t pointer = reference.u32(4);
  Page page;
  std::string fault;
  if ((head & kFormMask) == LongValueForm::SingleRecord) {
    const ByteView record = longValueRecord(pages, pointer, page, fault);
    visit(pageOf(pointer));
    if (fault.empty() && record.size() != length) {
      fault = "its record holds " + std::to_string(record.size()) + " bytes, not " + size;
    }
    return fault;
  }
  if ((head & kFormMask) != LongValueForm::Chain) return "its reference is of no known form";
  std::set<uint32_t> met;
  size_t total = 0;
  while (pointer != 0) {
    if (!met.insert(pointer).second) return "its chain of records loops";
    const ByteView record = longValueRecord(pages, pointer, page, fault);
    visit(pageOf(pointer));
    if (!fault.empty()) return fault;
    total += record.size() - std::min<size_t>(record.size(), 4);
    pointer = record.u32(0);
  }
  if (total != length) return "its chain holds " + std::to_string(total) + " bytes, not " + size;
  return "";
}

}  // namespace telvarn::mdb
