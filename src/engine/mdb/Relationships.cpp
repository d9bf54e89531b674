#include "engine/mdb/Relationships.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/SystemCatalog.h"
#include "engine/mdb/TableWriter.h"

namespace telvarn::mdb {
namespace {

constexpr uint8_t kRefersToKeys = 2;

// A key that changes or goes: the row had one (with no Null) and either
// has none now or another.
bool keyLeaves(const std::vector<RowKey>& keys, const std::vector<RowKey>& old, size_t index) {
  if (old.empty() || old[index].anyNull) return false;
  return keys.empty() || keys[index].bytes != old[index].bytes;
}

}  // namespace

Relationships::Relationships(PageFile& file, const TableDefinition& table)
    : file_(file), table_(table) {
  for (const LogicalIndex& logical : table_.logicalIndexes) {
    if (!logical.foreign() || logical.physical < 0 ||
        static_cast<size_t>(logical.physical) >= table_.physicalIndexes.size())
      continue;
    const TableDefinition other = readTableDefinition(file_, logical.relatedTablePage);
    const LogicalIndex* otherLogical = nullptr;
    for (const LogicalIndex& candidate : other.logicalIndexes) {
      if (candidate.number == logical.relatedIndex) otherLogical = &candidate;
    }
    if (otherLogical == nullptr || otherLogical->physical < 0 ||
        static_cast<size_t>(otherLogical->physical) >= other.physicalIndexes.size())
      damaged("a relationship to an index that is not there");
    const PhysicalIndex& otherIndex = other.physicalIndexes[otherLogical->physical];
    Rule rule;
    rule.index = static_cast<size_t>(logical.physical);
    rule.otherTable = logical.relatedTablePage;
    for (const PhysicalIndexColumn& column : otherIndex.columns)
      rule.otherColumns.push_back(column.number);
    rule.refers = logical.relatedTableKind == kRefersToKeys;
    rule.cascadeUpdates = logical.cascadeUpdates;
    rule.cascadeDeletes = logical.cascadeDeletes;
    rules_.push_back(rule);
    others_.emplace_back(file_, other.page, otherIndex);
  }
}

std::string Relationships::tableName(uint32_t definitionPage) {
  for (const CatalogEntry& entry : readSystemCatalog(file_)) {
    if (entry.type == ObjectType::Table && entry.definitionPage() == definitionPage)
      return entry.name;
  }
  return "";
}

void Relationships::check(const std::vector<RowKey>& keys, const std::vector<RowKey>& old) {
  for (size_t i = 0; i < rules_.size(); ++i) {
    const Rule& rule = rules_[i];
    if (rule.refers) {
      if (keys.empty() || keys[rule.index].anyNull) continue;
      if (!old.empty() && !old[rule.index].anyNull &&
          old[rule.index].bytes == keys[rule.index].bytes)
        continue;
      if (others_[i].rowsWithKey(keys[rule.index].bytes, 1).empty())
        throw engineError(3201, {tableName(rule.otherTable)});
    } else if (keyLeaves(keys, old, rule.index)) {
      if (keys.empty() ? rule.cascadeDeletes : rule.cascadeUpdates) continue;
      if (!others_[i].rowsWithKey(old[rule.index].bytes, 1).empty())
        throw engineError(3200, {tableName(rule.otherTable)});
    }
  }
}

bool Relationships::mayCascade() const {
  return std::any_of(rules_.begin(), rules_.end(), [](const Rule& rule) {
    return !rule.refers && (rule.cascadeUpdates || rule.cascadeDeletes);
  });
}

void Relationships::cascade(const std::vector<RowKey>& keys, const std::vector<RowKey>& old,
                            const std::vector<Variant>& values) {
  for (size_t i = 0; i < rules_.size(); ++i) {
    const Rule& rule = rules_[i];
    if (rule.refers || !keyLeaves(keys, old, rule.index)) continue;
    const std::vector<uint32_t> rows = others_[i].rowsWithKey(old[rule.index].bytes);
    if (rows.empty()) continue;
    TableWriter other(file_, rule.otherTable);
    for (const uint32_t row : rows) {
      if (keys.empty()) {
        other.remove(row);
        continue;
      }
      // The referring columns take the values of the key's columns.
      std::vector<Variant> change(other.definition().columns.size());
      const std::vector<PhysicalIndexColumn>& ours = table_.physicalIndexes[rule.index].columns;
      for (size_t part = 0; part < ours.size() && part < rule.otherColumns.size(); ++part) {
        for (size_t from = 0; from < table_.columns.size(); ++from) {
          if (table_.columns[from].number != ours[part].number) continue;
          for (size_t to = 0; to < change.size(); ++to) {
            if (other.definition().columns[to].number == rule.otherColumns[part])
              change[to] = values[from];
          }
        }
      }
      other.update(row, change);
    }
  }
}

}  // namespace telvarn::mdb
