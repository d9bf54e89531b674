// The file check: every corpus file comes out clean, and copies of them
// damaged byte by byte (in a temporary folder) are each reported, one
// sentence a fault. The test finds what to damage with the reader; what the
// check must say comes from the format: the structure that no longer holds.
#include <gtest/gtest.h>

#include <functional>

#include "engine/mdb/DataPage.h"
#include "engine/mdb/FileCheck.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/UsageMap.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

std::string joined(const std::vector<std::string>& faults) {
  std::string text;
  for (const std::string& fault : faults) text += fault + "\n";
  return text;
}

TEST(MdbFileCheck, EveryCorpusFileIsClean) {
  SKIP_WITHOUT_CORPUS();
  for (const std::string& file : corpusFiles()) {
    PageFile pages(corpusFile(file), kPageSize);
    EXPECT_EQ(joined(checkFile(pages)), "") << file;
  }
}

// A file's bytes, with the reader's view of the same file to find things.
class Damage {
 public:
  explicit Damage(const std::string& file)
      : bytes_(readFile(corpusFile(file))), storage_(corpusFile(file)) {}

  MdbStorage& storage() { return storage_; }
  const TableDefinition& table(const std::string& name) { return storage_.definition(name); }
  // The byte at `offset` of page `page`.
  uint8_t& at(uint32_t page, size_t offset) {
    return reinterpret_cast<uint8_t&>(bytes_.at(page * kPageSize + offset));
  }
  void add16(uint32_t page, size_t offset, int delta) {
    const int value = at(page, offset) | at(page, offset + 1) << 8;
    set16(page, offset, value + delta);
  }
  void set16(uint32_t page, size_t offset, int value) {
    at(page, offset) = static_cast<uint8_t>(value);
    at(page, offset + 1) = static_cast<uint8_t>(value >> 8);
  }
  void set32(uint32_t page, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) at(page, offset + i) = static_cast<uint8_t>(value >> (8 * i));
  }
  // Where the record a row pointer leads to starts on its page.
  size_t recordStart(uint32_t pointer) {
    Page page;
    const ByteView record = followRecord(storage_.pages(), pointer, page);
    return static_cast<size_t>(record.data() - page.data());
  }
  // Marks `page` in the small usage map whose record `map` leads to.
  void markInMap(uint32_t map, uint32_t page) {
    const size_t start = recordStart(map);
    const uint32_t first = at(pageOf(map), start + 1);
    at(pageOf(map), start + 5 + (page - first) / 8) |=
        static_cast<uint8_t>(1u << ((page - first) % 8));
  }
  // The first page the table's usage map lists.
  uint32_t firstDataPage(const std::string& name) {
    uint32_t first = 0;
    UsageMap::read(storage_.pages(), table(name).usedPages)
        .forEachPage(storage_.pages(), [&](uint32_t page) {
          first = page;
          return false;
        });
    return first;
  }
  // The first row whose stored bytes of `column` `accept` takes: its row
  // pointer, and in `offset` where the bytes start on its page.
  uint32_t findValue(const std::string& name, const std::string& column,
                     const std::function<bool(ByteView)>& accept, size_t& offset) {
    const TableDefinition& def = table(name);
    const RowDecoder decoder(storage_.pages(), def);
    uint32_t found = 0;
    forEachStoredRow(storage_.pages(), def, [&](uint32_t pointer, ByteView) {
      Page page;
      const ByteView row = followRecord(storage_.pages(), pointer, page);
      for (const ColumnDef& c : def.columns) {
        bool present = false;
        const ByteView value = decoder.columnBytes(row, c, present);
        if (c.name == column && present && accept(value)) {
          offset = static_cast<size_t>(value.data() - page.data());
          found = pointer;
          return false;
        }
      }
      return true;
    });
    return found;
  }

  // The new place of the table's first moved row.
  uint32_t firstMovedRow(const std::string& name) {
    uint32_t target = 0;
    UsageMap::read(storage_.pages(), table(name).usedPages)
        .forEachPage(storage_.pages(), [&](uint32_t number) {
          const Page page = storage_.pages().readPage(number);
          for (uint16_t row = 0; row < recordCount(ByteView(page)) && target == 0; ++row) {
            const RecordSlot slot = recordAt(ByteView(page), row);
            if (slot.moved && !slot.deleted) target = slot.bytes.u32(0);
          }
          return target == 0;
        });
    return target;
  }

  std::vector<std::string> check(const TempDir& dir) {
    writeFile(dir.file("damaged.mdb"), bytes_);
    PageFile pages(dir.file("damaged.mdb"), kPageSize);
    return checkFile(pages);
  }

 private:
  std::string bytes_;
  MdbStorage storage_;
};

struct DamageCase {
  const char* file;
  std::function<void(Damage&)> damage;
  const char* reported;
};

const std::vector<DamageCase>& damageCases() {
  static const std::vector<DamageCase> cases = {
      {"Northwind_Access2000.mdb", [](Damage& d) { d.add16(d.firstDataPage("Shippers"), 0x02, 1); },
       "Table Shippers: page 373: its free-space count is"},
      {"Northwind_Access2000.mdb",
       [](Damage& d) {
         const uint32_t page = d.firstDataPage("Shippers");
         std::swap(d.at(page, 0x0E), d.at(page, 0x10));
         std::swap(d.at(page, 0x0F), d.at(page, 0x11));
       },
       "Table Shippers: page 373: record 1 starts at"},
      {"Northwind_Access2000.mdb",
       [](Damage& d) { d.markInMap(d.table("Shippers").usedPages, d.table("Shippers").page); },
       "Table Shippers: its usage map lists page 371, which is not one of its data pages."},
      {"Northwind_Access2000.mdb",
       [](Damage& d) { d.markInMap(rowPointer(1, 0), d.firstDataPage("Shippers")); },
       "Page 373 belongs to table Shippers but the file's page map lists it as free."},
      {"Northwind_Access2000.mdb", [](Damage& d) { d.add16(d.table("Shippers").page, 0x02, 1); },
       "Table Shippers: its definition: its page 371 keeps a free-space count of"},
      {"Northwind_Access2000.mdb", [](Damage& d) { d.set16(d.table("Shippers").page, 0x29, 2); },
       "Table Shippers: it has 3 columns but its rows have 2 slots."},
      // The key column made one of variable length in the definition.
      {"Northwind_Access2000.mdb",
       [](Damage& d) {
         const TableDefinition& shippers = d.table("Shippers");
         const size_t columns = 0x3F + 12 * shippers.physicalIndexes.size();
         for (size_t entry = columns;; entry += 25) {
           if (d.at(shippers.page, entry + 5) == shippers.columns[0].number) {
             d.at(shippers.page, entry + 15) &= static_cast<uint8_t>(~ColumnFlag::Fixed);
             break;
           }
         }
       },
       "Table Shippers: row 0 of page 373, column ShipperID: its value is"},
      // The first entry of the primary key's only leaf: the key's last byte.
      {"Northwind_Access2000.mdb",
       [](Damage& d) { d.at(d.table("Shippers").physicalIndexes[0].rootPage, 0x1E0 + 4) ^= 0x40; },
       "Index PrimaryKey of table Shippers: the entry for row 0 of page 373 is not its key."},
      {"Northwind_Access2000.mdb",
       [](Damage& d) { d.set32(d.table("Shippers").physicalIndexes[0].rootPage, 0x04, 64); },
       "Index PrimaryKey of table Shippers: page 374 belongs to another table."},
      {"Northwind_Access2000.mdb",
       [](Damage& d) {
         size_t offset = 0;
         const uint32_t row = d.findValue(
             "Employees", "Notes", [](ByteView v) { return v.size() > 0; }, offset);
         d.add16(pageOf(row), offset, 1);
       },
       ", column Notes: it"},
      // A long value in a chain of records whose first record leads back to
      // itself.
      {"Northwind_Access2000.mdb",
       [](Damage& d) {
         size_t offset = 0;
         const uint32_t row = d.findValue(
             "Categories", "Picture",
             [](ByteView v) { return v.size() == 12 && (v.u8(3) & 0xC0) == 0; }, offset);
         uint32_t first = 0;
         for (int i = 3; i >= 0; --i) first = first << 8 | d.at(pageOf(row), offset + 4 + i);
         d.set32(pageOf(first), d.recordStart(first), first);
       },
       "column Picture: its chain of records loops."},
      // The new place of a moved row without its mark: a scan of the pages
      // would meet the row twice.
      {"overflowTestV2000.mdb",
       [](Damage& d) {
         const uint32_t target = d.firstMovedRow("Table1");
         d.at(pageOf(target), 0x0E + 2u * rowOf(target) + 1) &= 0x7F;
       },
       "which is not marked as a moved row's new place."},
      {"Northwind_Access2000.mdb", [](Damage& d) { d.at(2, 0) = 0x01; },
       "The catalog cannot be read:"},
  };
  return cases;
}

TEST(MdbFileCheck, EachDamageIsReportedInASentence) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  for (const DamageCase& test : damageCases()) {
    SCOPED_TRACE(test.reported);
    Damage file(test.file);
    test.damage(file);
    const std::vector<std::string> faults = file.check(dir);
    EXPECT_NE(joined(faults).find(test.reported), std::string::npos) << joined(faults);
    for (const std::string& fault : faults) EXPECT_EQ(fault.back(), '.') << fault;
  }
}

// A large usage map lists the pages holding its bitmaps; a place holding a
// number that is negative as a signed one names no page (as in files the
// desktop program wrote whose free-page map is of that kind).
TEST(MdbFileCheck, ALargeMapsEmptyPlacesNameNoPage) {
  SKIP_WITHOUT_CORPUS();
  TempDir dir;
  Damage file("Northwind_Access2000.mdb");
  const uint32_t map = rowPointer(1, 0);
  const size_t start = file.recordStart(map);
  for (size_t at = 0; at < 69; ++at) file.at(1, start + at) = 0;
  file.at(1, start) = 0x01;
  file.set32(1, start + 1 + 4 * 16, 0xFFFFFF80);
  EXPECT_EQ(joined(file.check(dir)), "");
}

}  // namespace
}  // namespace telvarn::test
