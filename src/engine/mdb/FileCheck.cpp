#include "engine/mdb/FileCheck.h"

#include <functional>

#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/FileCheckSteps.h"
#include "engine/mdb/FileHeader.h"
#include "engine/mdb/SystemCatalog.h"
#include "engine/mdb/UsageMap.h"

namespace telvarn::mdb {
namespace {

constexpr size_t kMostFaults = 200;
// The file's own page map lists the pages that are free for reuse.
constexpr uint32_t kFreePageMap = rowPointer(1, 0);

// Pages in use must not be listed as free.
void checkFreePages(FileCheck& check, const std::vector<uint32_t>& free) {
  const std::map<uint32_t, std::string> owners = check.claims.owners();
  for (const uint32_t page : free) {
    const auto found = owners.find(page);
    if (found != owners.end()) {
      check.faults.add("Page " + std::to_string(page) + " belongs to " + found->second +
                       " but the file's page map lists it as free");
    }
  }
}

void checkTables(FileCheck& check, const std::vector<CatalogEntry>& catalog) {
  for (const CatalogEntry& entry : catalog) {
    if (entry.type != ObjectType::Table) continue;
    TableDefinition table;
    try {
      table = readTableDefinition(check.pages, entry.definitionPage());
    } catch (const AppError& error) {
      if (error.number() == 3043) throw;
      check.faults.add("Table " + entry.name +
                       ": its definition cannot be read: " + damageOf(error));
      continue;
    }
    try {
      std::vector<uint32_t> liveRows;
      checkTable(check, entry.name, table, liveRows);
      checkIndexes(check, entry.name, table, liveRows);
    } catch (const AppError& error) {
      if (error.number() == 3043) throw;
      check.faults.add("Table " + entry.name + " cannot be checked to the end: " + damageOf(error));
    } catch (const std::exception& error) {
      check.faults.add("Table " + entry.name + " cannot be checked to the end: " + error.what());
    }
  }
}

}  // namespace

void Faults::add(std::string sentence) {
  if (list_.size() == kMostFaults) {
    ++leftOut_;
    return;
  }
  if (sentence.empty() || sentence.back() != '.') sentence += '.';
  list_.push_back(std::move(sentence));
}

std::vector<std::string> Faults::take() {
  std::vector<std::string> all = std::move(list_);
  if (leftOut_ > 0) all.push_back(std::to_string(leftOut_) + " more faults are not listed.");
  return all;
}

bool PageClaims::claim(uint32_t page, Kind kind, const std::string& owner, Faults& faults) {
  const auto [found, first] = claims_.emplace(page, Claim{kind, owner});
  if (first) return true;
  const Claim& before = found->second;
  const bool shared = kind != Kind::Own && kind == before.kind;
  if (!shared && before.owner != owner) {
    faults.add("Page " + std::to_string(page) + " belongs both to " + before.owner + " and to " +
               owner);
  }
  return false;
}

std::map<uint32_t, std::string> PageClaims::owners() const {
  std::map<uint32_t, std::string> owners;
  for (const auto& [page, claim] : claims_) owners.emplace(page, claim.owner);
  return owners;
}

std::vector<uint32_t> claimUsageMap(FileCheck& check, uint32_t pointer) {
  const UsageMap map = UsageMap::read(check.pages, pointer);
  check.claims.claim(pageOf(pointer), PageClaims::Kind::UsageMaps, "the usage maps", check.faults);
  for (const uint32_t page : map.bitmapPages()) {
    check.claims.claim(page, PageClaims::Kind::UsageMaps, "the usage maps", check.faults);
  }
  std::vector<uint32_t> listed;
  map.forEachPage(check.pages, [&](uint32_t page) {
    listed.push_back(page);
    return true;
  });
  return listed;
}

std::vector<std::string> checkFile(PageSource& pages) {
  Faults faults;
  PageClaims claims;
  FileCheck check{pages, faults, claims};
  const auto reading = [&](const std::string& what, const std::function<void()>& read) {
    try {
      read();
      return true;
    } catch (const AppError& error) {
      if (error.number() == 3043) throw;
      faults.add(what + " cannot be read: " + damageOf(error));
    } catch (const std::exception& error) {
      faults.add(what + " cannot be read: " + error.what());
    }
    return false;
  };
  std::vector<CatalogEntry> catalog;
  std::vector<uint32_t> free;
  if (!reading("The file's header", [&] { readFileHeader(pages, ""); }) ||
      !reading("The catalog", [&] { catalog = readSystemCatalog(pages); })) {
    return faults.take();
  }
  claims.claim(0, PageClaims::Kind::Own, "the file header", faults);
  reading("The file's map of free pages", [&] { free = claimUsageMap(check, kFreePageMap); });
  checkTables(check, catalog);
  checkFreePages(check, free);
  return faults.take();
}

}  // namespace telvarn::mdb
