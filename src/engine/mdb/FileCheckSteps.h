// The steps of checkFile (FileCheck.h), each checking one kind of
// structure, and what they share: the list of faults and the record of the
// structure each page belongs to.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/mdb/PageSource.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

class Faults {
 public:
  // One sentence; its full stop is added here.
  void add(std::string sentence);
  // The faults, with one closing sentence for those left out.
  std::vector<std::string> take();

 private:
  std::vector<std::string> list_;
  size_t leftOut_ = 0;
};

// Which structure each page belongs to. A page belongs to one table, one
// definition or one index; pages of usage-map records and of long values
// are shared among their kind.
class PageClaims {
 public:
  enum class Kind { Own, UsageMaps, LongValues };

  // Records that `owner` uses `page`: a fault when another structure has it.
  // True for the page's first claim, so that its layout is checked once.
  bool claim(uint32_t page, Kind kind, const std::string& owner, Faults& faults);
  // Each page in use, with what uses it.
  std::map<uint32_t, std::string> owners() const;

 private:
  struct Claim {
    Kind kind;
    std::string owner;
  };
  std::map<uint32_t, Claim> claims_;
};

struct FileCheck {
  PageSource& pages;
  Faults& faults;
  PageClaims& claims;
};

// The table's definition pages and counts, its data pages, its rows with
// their long values, and its row count. `liveRows` receives the pointer of
// every live row, in ascending order.
void checkTable(FileCheck& check, const std::string& name, const TableDefinition& table,
                std::vector<uint32_t>& liveRows);

// The table's index trees against its rows.
void checkIndexes(FileCheck& check, const std::string& name, const TableDefinition& table,
                  const std::vector<uint32_t>& liveRows);

// Claims the page of the usage map's record at `pointer` and its bitmap
// pages; returns the pages the map lists (3049 when it cannot be read).
std::vector<uint32_t> claimUsageMap(FileCheck& check, uint32_t pointer);

}  // namespace telvarn::mdb
