// checkTable: a table's definition, its data pages, its rows and their long
// values (see FileCheck.h).
#include <algorithm>
#include <set>

#include "engine/AppError.h"
#include "engine/Catalog.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/FileCheckSteps.h"
#include "engine/mdb/FixedValue.h"
#include "engine/mdb/LongValue.h"
#include "engine/mdb/RowDecoder.h"

namespace telvarn::mdb {
namespace {

// The most fields and indexes (relationships' included) a table may have.
constexpr size_t kMostColumns = 255;
constexpr size_t kMostIndexes = 32;

class TableChecker {
 public:
  TableChecker(FileCheck& check, const std::string& name, const TableDefinition& table)
      : check_(check), name_(name), table_(table), decoder_(check.pages, table) {}

  void definition();
  // The table's data pages, in page order.
  std::vector<uint32_t> dataPages();
  void rows(const std::vector<uint32_t>& pages, std::vector<uint32_t>& live);

 private:
  void add(const std::string& what) { check_.faults.add("Table " + name_ + ": " + what); }
  void columns();
  void indexes();
  ByteView movedRow(ByteView stub, Page& target, const std::string& where);
  void row(ByteView stored, const std::string& where);
  std::string valueFault(ByteView stored, const ColumnDef& column);
  void longValuePage(uint32_t page);

  FileCheck& check_;
  const std::string& name_;
  const TableDefinition& table_;
  const RowDecoder decoder_;
};

void TableChecker::definition() {
  for (const uint32_t page : table_.definitionPages) {
    check_.claims.claim(page, PageClaims::Kind::Own, "the definition of table " + name_,
                        check_.faults);
  }
  if (const std::string fault = definitionLayoutFault(check_.pages, table_); !fault.empty()) {
    add("its definition: " + fault);
  }
  columns();
  indexes();
}

void TableChecker::columns() {
  if (table_.maxColumns > kMostColumns) {
    add("its rows have " + std::to_string(table_.maxColumns) + " column slots, more than " +
        std::to_string(kMostColumns));
  }
  if (table_.columns.size() > table_.maxColumns) {
    add("it has " + std::to_string(table_.columns.size()) + " columns but its rows have " +
        std::to_string(table_.maxColumns) + " slots");
  }
  std::set<uint16_t> slots;
  std::set<uint16_t> variableSlots;
  for (size_t i = 0; i < table_.columns.size(); ++i) {
    const ColumnDef& column = table_.columns[i];
    const std::string named = "column " + column.name;
    for (size_t j = 0; j < i; ++j) {
      if (sameName(table_.columns[j].name, column.name))
        add("two columns are named " + column.name);
    }
    if (column.number >= table_.maxColumns) {
      add(named + " has the slot " + std::to_string(column.number) + ", past its rows' " +
          std::to_string(table_.maxColumns));
    } else if (!slots.insert(column.number).second) {
      add(named + " has the slot " + std::to_string(column.number) + " of another column");
    }
    // Deleted columns keep their slots, so rows may have more variable-length
    // slots than the table has such columns, never fewer.
    if (column.fixed()) continue;
    if (column.varIndex >= table_.varColumns) {
      add(named + " has the variable-length slot " + std::to_string(column.varIndex) +
          ", past its rows' " + std::to_string(table_.varColumns));
    } else if (!variableSlots.insert(column.varIndex).second) {
      add(named + " has the variable-length slot " + std::to_string(column.varIndex) +
          " of another column");
    }
  }
}

void TableChecker::indexes() {
  if (table_.logicalIndexes.size() > kMostIndexes) {
    add("it has " + std::to_string(table_.logicalIndexes.size()) + " indexes, more than " +
        std::to_string(kMostIndexes));
  }
  std::vector<bool> served(table_.physicalIndexes.size());
  for (const LogicalIndex& index : table_.logicalIndexes) {
    if (index.physical < 0 || static_cast<size_t>(index.physical) >= served.size()) {
      add("index " + index.name + " has no index tree");
    } else {
      served[static_cast<size_t>(index.physical)] = true;
    }
  }
  for (size_t i = 0; i < table_.physicalIndexes.size(); ++i) {
    if (!served[i]) add("index tree " + std::to_string(i) + " serves no index");
    for (const PhysicalIndexColumn& column : table_.physicalIndexes[i].columns) {
      if (table_.columnByNumber(column.number) == nullptr) {
        add("index tree " + std::to_string(i) + " is over column number " +
            std::to_string(column.number) + ", which the table does not have");
      }
    }
  }
}

std::vector<uint32_t> TableChecker::dataPages() {
  std::vector<uint32_t> own;
  try {
    for (const uint32_t page : claimUsageMap(check_, table_.usedPages)) {
      const std::string listed = "its usage map lists page " + std::to_string(page);
      if (page >= check_.pages.pageCount()) {
        add(listed + ", past the end of the file");
        continue;
      }
      const Page bytes = check_.pages.readPage(page);
      const ByteView view(bytes);
      if (view.u8(0) != PageType::Data || owner(view) != table_.page) {
        add(listed + ", which is not one of its data pages");
        continue;
      }
      check_.claims.claim(page, PageClaims::Kind::Own, "table " + name_, check_.faults);
      if (const std::string fault = recordLayoutFault(view); !fault.empty()) {
        add("page " + std::to_string(page) + ": " + fault);
      }
      own.push_back(page);
    }
    for (const uint32_t page : claimUsageMap(check_, table_.freePages)) {
      if (!std::binary_search(own.begin(), own.end(), page)) {
        add("its map of pages with free space lists page " + std::to_string(page) +
            ", which is not one of its pages");
      }
    }
  } catch (const AppError& error) {
    if (error.number() == 3043) throw;
    add("its usage maps cannot be read: " + damageOf(error));
  }
  return own;
}

// The row a moved record leads to, which its new place marks as moved there
// (so that a scan of the pages meets it once). Empty when it cannot be
// found.
ByteView TableChecker::movedRow(ByteView stub, Page& target, const std::string& where) {
  const uint32_t pointer = stub.u32(0);
  const std::string place =
      "row " + std::to_string(rowOf(pointer)) + " of page " + std::to_string(pageOf(pointer));
  target = check_.pages.readPage(pageOf(pointer));
  const ByteView view(target);
  if (view.u8(0) != PageType::Data || owner(view) != table_.page) {
    add(where + " moved to " + place + ", which is not on one of its data pages");
    return {};
  }
  const RecordSlot slot = recordAt(view, rowOf(pointer));
  if (!slot.deleted || slot.moved) {
    add(where + " moved to " + place + ", which is not marked as a moved row's new place");
    return {};
  }
  return slot.bytes;
}

void TableChecker::rows(const std::vector<uint32_t>& pages, std::vector<uint32_t>& live) {
  for (const uint32_t page : pages) {
    const Page bytes = check_.pages.readPage(page);
    const ByteView view(bytes);
    const size_t count = std::min<size_t>(recordCount(view), kRecordsAPageHolds);
    for (size_t number = 0; number < count; ++number) {
      const std::string where =
          "row " + std::to_string(number) + " of page " + std::to_string(page);
      try {
        const RecordSlot slot = recordAt(view, static_cast<uint16_t>(number));
        if (slot.deleted) continue;
        live.push_back(rowPointer(page, static_cast<uint8_t>(number)));
        Page target;
        const ByteView stored = slot.moved ? movedRow(slot.bytes, target, where) : slot.bytes;
        if (!stored.empty()) row(stored, where);
      } catch (const AppError& error) {
        if (error.number() == 3043) throw;
        // The page's later records are not to be trusted either.
        add(where + ": " + damageOf(error));
        break;
      }
    }
  }
}

void TableChecker::row(ByteView stored, const std::string& where) {
  if (const std::string fault = decoder_.layoutFault(stored); !fault.empty()) {
    add(where + ": " + fault);
    return;
  }
  for (const ColumnDef& column : table_.columns) {
    std::string fault;
    try {
      fault = valueFault(stored, column);
    } catch (const AppError& error) {
      if (error.number() == 3043) throw;
      fault = damageOf(error);
    }
    if (!fault.empty()) add(where + ", column " + column.name + ": " + fault);
  }
}

// A value is as long as its type takes, and a long value's records hold it.
std::string TableChecker::valueFault(ByteView stored, const ColumnDef& column) {
  bool present = false;
  const ByteView bytes = decoder_.columnBytes(stored, column, present);
  if (!present) return "";
  if (const size_t length = fixedLength(column); length != 0 && bytes.size() != length) {
    return "its value is " + std::to_string(bytes.size()) + " bytes long where its type takes " +
           std::to_string(length);
  }
  if (!column.longValue()) {
    decoder_.value(stored, column);
    return "";
  }
  if (bytes.empty()) return "";
  return longValueFault(check_.pages, bytes, [&](uint32_t page) { longValuePage(page); });
}

// Long-value pages are shared by the values of every table: each is checked
// once.
void TableChecker::longValuePage(uint32_t page) {
  if (!check_.claims.claim(page, PageClaims::Kind::LongValues, "the long values", check_.faults)) {
    return;
  }
  const std::string fault = recordLayoutFault(ByteView(check_.pages.readPage(page)));
  if (!fault.empty()) {
    check_.faults.add("Page " + std::to_string(page) + " of long values: " + fault);
  }
}

}  // namespace

void checkTable(FileCheck& check, const std::string& name, const TableDefinition& table,
                std::vector<uint32_t>& liveRows) {
  TableChecker checker(check, name, table);
  checker.definition();
  checker.rows(checker.dataPages(), liveRows);
  std::sort(liveRows.begin(), liveRows.end());
}

}  // namespace telvarn::mdb
