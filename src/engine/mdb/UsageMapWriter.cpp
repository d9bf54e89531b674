#include "engine/mdb/UsageMapWriter.h"

#include <vector>

#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/DataPageWriter.h"
#include "engine/mdb/PageAllocator.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kInlineStartAt = 1;
constexpr size_t kInlineBitsAt = 5;
constexpr size_t kMapPageBitsAt = 4;
constexpr uint32_t kGrowthPages = 32;

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void setBit(uint8_t* bits, uint32_t index, bool on) {
  const uint8_t mask = static_cast<uint8_t>(1u << (index % 8));
  if (on) {
    bits[index / 8] |= mask;
  } else {
    bits[index / 8] &= static_cast<uint8_t>(~mask);
  }
}

// A map's record: where it is, and its bytes.
struct MapRecord {
  uint32_t pointer = 0;
  std::vector<uint8_t> bytes;
  uint16_t flags = 0;

  MapRecord(PageFile& file, uint32_t map) : pointer(map) {
    const ByteView view(file.page(pageOf(map)));
    const RecordSlot slot = recordAt(view, rowOf(map));
    if (slot.deleted || slot.moved || slot.bytes.empty()) damaged("a page usage map that is gone");
    bytes = slot.bytes.bytes();
    flags = view.u16(0x0E + 2 * rowOf(map)) & 0xE000;
  }

  // Stores `replacement`; false when it does not fit the page.
  bool store(PageFile& file, const std::vector<uint8_t>& replacement) {
    if (!replaceRecord(file.changePage(pageOf(pointer)), rowOf(pointer), replacement, flags))
      return false;
    bytes = replacement;
    return true;
  }
};

uint32_t pagesPerMapPage(const PageFile& file) {
  return (file.pageSize() - kMapPageBitsAt) * 8;
}

void setReferenceBit(PageFile& file, MapRecord& record, uint32_t page, bool on, MapKind kind) {
  const uint32_t perPage = pagesPerMapPage(file);
  const size_t slot = page / perPage;
  if (kInlineStartAt + 4 * slot + 4 > record.bytes.size()) damaged("a page past what its usage map can hold");
  uint32_t mapPage = ByteView(record.bytes).u32(kInlineStartAt + 4 * slot);
  if (mapPage == 0) {
    if (!on) return;
    mapPage = kind == MapKind::Free ? file.appendPage() : allocatePage(file);
    Page fresh(file.pageSize(), 0);
    fresh[0] = PageType::UsageMap;
    fresh[1] = 0x01;
    file.writePage(mapPage, fresh);
    std::vector<uint8_t> pointed = record.bytes;
    put32(pointed, kInlineStartAt + 4 * slot, mapPage);
    record.store(file, pointed);
  }
  if (file.page(mapPage)[0] != PageType::UsageMap) damaged("a page usage map page of another kind");
  setBit(file.changePage(mapPage).data() + kMapPageBitsAt,
         page - static_cast<uint32_t>(slot) * perPage, on);
}

// Turns an inline map into a reference map of the same length holding the
// same pages.
void promote(PageFile& file, MapRecord& record, MapKind kind) {
  const uint32_t start = ByteView(record.bytes).u32(kInlineStartAt);
  std::vector<uint32_t> pages;
  for (size_t byte = kInlineBitsAt; byte < record.bytes.size(); ++byte) {
    for (uint32_t bit = 0; bit < 8; ++bit) {
      if (record.bytes[byte] & (1u << bit))
        pages.push_back(start + static_cast<uint32_t>((byte - kInlineBitsAt) * 8) + bit);
    }
  }
  std::vector<uint8_t> reference(record.bytes.size(), 0);
  reference[0] = 1;
  record.store(file, reference);
  for (const uint32_t page : pages) setReferenceBit(file, record, page, true, kind);
}

}  // namespace

void setUsageBit(PageFile& file, uint32_t map, uint32_t page, bool on, MapKind kind) {
  MapRecord record(file, map);
  if (record.bytes[0] == 1) {
    setReferenceBit(file, record, page, on, kind);
    return;
  }
  if (record.bytes[0] != 0 || record.bytes.size() < kInlineBitsAt)
    damaged("a page usage map of unknown kind");
  const uint32_t start = ByteView(record.bytes).u32(kInlineStartAt);
  const uint32_t capacity = static_cast<uint32_t>(record.bytes.size() - kInlineBitsAt) * 8;
  std::vector<uint8_t> changed = record.bytes;
  if (page >= start && page < start + capacity) {
    setBit(changed.data() + kInlineBitsAt, page - start, on);
    record.store(file, changed);
    return;
  }
  // Outside the range: pages a map of owned pages leaves out are not in
  // it; the free-pages map takes every page it does not cover as free.
  if (kind == MapKind::Owned && !on) return;
  if (page >= start) {
    const uint32_t covered = (page - start + kGrowthPages) / kGrowthPages * kGrowthPages;
    changed.resize(kInlineBitsAt + covered / 8, 0);
    if (kind == MapKind::Free) {
      for (uint32_t index = capacity; index < covered; ++index)
        if (start + index >= file.pageCount()) setBit(changed.data() + kInlineBitsAt, index, true);
    }
    setBit(changed.data() + kInlineBitsAt, page - start, on);
    if (record.store(file, changed)) return;
  }
  promote(file, record, kind);
  setReferenceBit(file, record, page, on, kind);
}

}  // namespace telvarn::mdb
