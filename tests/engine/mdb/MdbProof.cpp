#include "engine/mdb/MdbProof.h"

#include <algorithm>
#include <map>
#include <set>

#include "engine/AppError.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/DataPageWriter.h"
#include "engine/mdb/FileCheck.h"
#include "engine/mdb/IndexKey.h"
#include "engine/mdb/IndexPages.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/MdbToolsRows.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/UsageMap.h"
#include "engine/mdb/UsageMapWriter.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;
using Bytes = std::vector<uint8_t>;

Bytes entryBytes(const IndexEntry& entry) {
  Bytes bytes = entry.key;
  const uint32_t page = pageOf(entry.rowPointer);
  bytes.insert(bytes.end(), {static_cast<uint8_t>(page >> 16), static_cast<uint8_t>(page >> 8),
                             static_cast<uint8_t>(page), rowOf(entry.rowPointer)});
  return bytes;
}

std::set<uint32_t> mapPages(PageSource& pages, uint32_t map) {
  std::set<uint32_t> found;
  UsageMap::read(pages, map).forEachPage(pages, [&](uint32_t page) {
    if (page < pages.pageCount()) found.insert(page);
    return true;
  });
  return found;
}

// Walks an index tree, checking its shape; collects its leaf entries.
class TreeWalk {
 public:
  TreeWalk(PageSource& pages, std::vector<std::string>& problems, const std::string& where)
      : pages_(pages), problems_(problems), where_(where) {}

  Bytes walk(uint32_t number, size_t depth) {
    if (!pages_seen.insert(number).second || depth > 16) {
      problem("page " + std::to_string(number) + " met twice");
      return {};
    }
    if (levels_.size() <= depth) levels_.resize(depth + 1);
    levels_[depth].push_back(number);
    const IndexPage page = readIndexPage(pages_, number);
    pageLinks_[number] = {page.previous, page.next};
    if (page.leaf) {
      for (const IndexEntry& entry : page.entries) {
        const Bytes bytes = entryBytes(entry);
        if (!entries.empty() && !(entries.back() < bytes)) problem("entries out of order");
        entries.push_back(bytes);
      }
      return page.entries.empty() ? Bytes{} : entryBytes(page.entries.back());
    }
    if (page.entries.size() >= 2 && page.tail == 0) problem("a node of several children without a tail");
    Bytes last;
    for (const IndexEntry& entry : page.entries) {
      last = walk(entry.childPage, depth + 1);
      if (last != entryBytes(entry)) problem("a node entry that is not its child's last");
    }
    if (page.tail != 0) last = walk(page.tail, depth + 1);
    return last;
  }

  // Each level's pages, left to right, linked both ways.
  void checkLevels() {
    for (const std::vector<uint32_t>& level : levels_) {
      for (size_t i = 0; i < level.size(); ++i) {
        const auto [previous, next] = pageLinks_[level[i]];
        if (previous != (i == 0 ? 0 : level[i - 1])) problem("a broken link to the previous page");
        if (next != (i + 1 == level.size() ? 0 : level[i + 1])) problem("a broken link to the next page");
      }
    }
  }

  std::vector<Bytes> entries;
  std::set<uint32_t> pages_seen;

 private:
  void problem(const std::string& what) { problems_.push_back(where_ + ": " + what); }

  PageSource& pages_;
  std::vector<std::string>& problems_;
  std::string where_;
  std::vector<std::vector<uint32_t>> levels_;
  std::map<uint32_t, std::pair<uint32_t, uint32_t>> pageLinks_;
};

std::vector<Bytes> expectedEntries(PageSource& pages, const TableDefinition& table,
                                   const PhysicalIndex& index,
                                   const std::map<uint32_t, Bytes>& rows) {
  const RowDecoder decoder(pages, table);
  std::vector<Bytes> expected;
  for (const auto& [pointer, row] : rows) {
    const ByteView view(row);
    size_t nulls = 0;
    for (const PhysicalIndexColumn& part : index.columns) {
      const ColumnDef* column = table.columnByNumber(part.number);
      bool present = false;
      decoder.columnBytes(view, *column, present);
      if (!present && column->type != ColumnType::Boolean) ++nulls;
    }
    if ((index.flags & IndexFlag::IgnoreNulls) && nulls == index.columns.size()) continue;
    const KeyResult key = indexKey(table, index, view, decoder);
    IndexEntry entry;
    entry.key = key.key.value_or(Bytes{});
    entry.rowPointer = pointer;
    expected.push_back(entryBytes(entry));
  }
  std::sort(expected.begin(), expected.end());
  return expected;
}

size_t liveRows(MdbStorage& storage, const std::string& name) {
  size_t count = 0;
  forEachStoredRow(storage.pages(), storage.definition(name), [&](uint32_t, ByteView) {
    ++count;
    return true;
  });
  return count;
}

void proveTable(MdbStorage& storage, MdbStorage& before, const std::string& path,
                const std::string& name, std::vector<std::string>& problems) {
  PageSource& pages = storage.pages();
  const TableDefinition& table = storage.definition(name);
  const auto problem = [&](const std::string& what) { problems.push_back(name + ": " + what); };

  std::map<uint32_t, Bytes> rows;
  forEachStoredRow(pages, table, [&](uint32_t pointer, ByteView row) {
    rows[pointer] = row.bytes();
    return true;
  });
  const int64_t difference = int64_t{table.rowCount} - static_cast<int64_t>(rows.size());
  const int64_t differenceBefore =
      before.findTable(name)
          ? static_cast<int64_t>(before.rowCount(name)) - static_cast<int64_t>(liveRows(before, name))
          : 0;
  if (difference != differenceBefore)
    problem("row count " + std::to_string(table.rowCount) + " for " + std::to_string(rows.size()) + " rows");

  const std::set<uint32_t> used = mapPages(pages, table.usedPages);
  const std::set<uint32_t> withRoom = mapPages(pages, table.freePages);
  const std::set<uint32_t> free = mapPages(pages, kFreePagesMap);
  for (const uint32_t page : used) {
    const Page bytes = pages.readPage(page);
    if (bytes[0] != PageType::Data || owner(ByteView(bytes)) != table.page)
      problem("page " + std::to_string(page) + " in its map is not its data page");
    if (free.count(page)) problem("page " + std::to_string(page) + " is its own and free");
  }
  for (const uint32_t page : withRoom) {
    if (!used.count(page)) problem("page " + std::to_string(page) + " with room is not its own");
  }
  for (uint32_t page = 3; page < pages.pageCount(); ++page) {
    if (used.count(page) || free.count(page)) continue;
    const Page bytes = pages.readPage(page);
    if (bytes[0] == PageType::Data && owner(ByteView(bytes)) == table.page)
      problem("data page " + std::to_string(page) + " missing from its map");
  }

  for (size_t i = 0; i < table.physicalIndexes.size(); ++i) {
    const PhysicalIndex& index = table.physicalIndexes[i];
    const std::string where = name + " index " + std::to_string(i);
    TreeWalk walk(pages, problems, where);
    walk.walk(index.rootPage, 0);
    walk.checkLevels();
    if (walk.entries != expectedEntries(pages, table, index, rows))
      problems.push_back(where + ": entries differ from the keys of the rows");
    if (mapPages(pages, index.usageMap) != walk.pages_seen)
      problems.push_back(where + ": usage map is not its pages");
    for (const uint32_t page : walk.pages_seen) {
      if (free.count(page)) problems.push_back(where + ": page " + std::to_string(page) + " is free");
    }
  }

  if (!haveMdbTools()) return;
  const TableRecord record = *storage.findTable(name);
  if (ourRows(storage, record) != theirRows(path, record)) problem("mdb-export reads other rows");
  const std::string count = commandOutput("mdb-count " + shellQuote(path) + " " + shellQuote(name));
  if (split(count, '\n').at(0) != std::to_string(table.rowCount)) problem("mdb-count reads " + count);
}

}  // namespace

std::vector<std::string> proofProblems(const std::string& path, const std::string& untouched,
                                       const std::vector<std::string>& tables) {
  std::vector<std::string> problems;
  try {
    MdbStorage storage(path);
    MdbStorage before(untouched);
    for (const std::string& name : tables) proveTable(storage, before, path, name, problems);
    for (const std::string& fault : checkFile(storage.pages())) problems.push_back("check: " + fault);
  } catch (const AppError& error) {
    problems.push_back("error " + std::to_string(error.number()) + ": " + error.description());
  }
  return problems;
}

std::string corpusCopy(const std::string& folder, const std::string& name) {
  const std::string path = folder + "/" + name;
  writeFile(path, readFile(corpusFile(name)));
  return path;
}

}  // namespace telvarn::test
