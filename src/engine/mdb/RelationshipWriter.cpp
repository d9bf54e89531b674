#include "engine/mdb/RelationshipWriter.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/mdb/ColumnLayout.h"
#include "engine/mdb/IndexBuild.h"
#include "engine/mdb/IndexWriter.h"
#include "engine/mdb/RecordMapping.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/SchemaTable.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableStorage.h"
#include "engine/mdb/TableWriter.h"

namespace telvarn::mdb {
namespace {

constexpr uint8_t kForeignKey = 2;
constexpr uint8_t kPointsBack = 1;
constexpr uint8_t kRefersToKeys = 2;
constexpr uint8_t kTreeFlag = 0x80;

// The table of the file's relationships and the column numbers of its
// columns by name.
struct RelationshipRows {
  TableWriter writer;
  const TableDefinition& table;

  explicit RelationshipRows(PageFile& file)
      : writer(file, catalogTable(file).definitionPage()), table(writer.definition()) {}

  static CatalogEntry catalogTable(PageFile& file) {
    for (const CatalogEntry& entry : readSystemCatalog(file)) {
      if (entry.type == ObjectType::Table && entry.name == "MSysRelationships") return entry;
    }
    damaged("a file without MSysRelationships");
  }

  size_t place(const char* name) const {
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (table.columns[i].name == name) return i;
    }
    damaged("MSysRelationships without its columns");
  }

  // The ids and values of the rows of relationship `name`.
  std::vector<std::pair<uint32_t, std::vector<Variant>>> rowsOf(PageFile& file,
                                                                const std::string& name) {
    std::vector<uint32_t> ids;
    forEachStoredRow(file, table, [&](uint32_t row, ByteView) {
      ids.push_back(row);
      return true;
    });
    std::vector<std::pair<uint32_t, std::vector<Variant>>> rows;
    const size_t relationship = place("szRelationship");
    for (const uint32_t id : ids) {
      std::vector<Variant> values = writer.read(id);
      if (sameName(values[relationship].toText(), name)) rows.emplace_back(id, std::move(values));
    }
    return rows;
  }
};

std::vector<uint16_t> columnNumbers(const TableDefinition& table,
                                    const std::vector<std::string>& names) {
  std::vector<uint16_t> numbers;
  for (const std::string& name : names) {
    const ColumnDef* column = findColumn(table, name);
    if (column == nullptr) throw engineError(3265);
    numbers.push_back(column->number);
  }
  return numbers;
}

int32_t nextNumber(const TableDefinition& table) {
  int32_t next = 0;
  for (const LogicalIndex& logical : table.logicalIndexes)
    next = std::max(next, logical.number + 1);
  return next;
}

bool hasIndexNamed(const TableDefinition& table, const std::string& name) {
  return std::any_of(table.logicalIndexes.begin(), table.logicalIndexes.end(),
                     [&](const LogicalIndex& logical) { return sameName(logical.name, name); });
}

std::string backName(const TableDefinition& table) {
  char letter = static_cast<char>('A' + table.logicalIndexes.size());
  while (hasIndexNamed(table, std::string(".r") + letter)) ++letter;
  return std::string(".r") + letter;
}

// The tree of `table` over exactly `columns`, or -1.
int32_t treeOver(const TableDefinition& table, const std::vector<PhysicalIndexColumn>& columns,
                 bool unique) {
  for (size_t i = 0; i < table.physicalIndexes.size(); ++i) {
    const PhysicalIndex& index = table.physicalIndexes[i];
    if (index.columns == columns && (!unique || indexRules(table, i).unique))
      return static_cast<int32_t>(i);
  }
  return -1;
}

// 3201 when a row of `child` with all its referring columns filled finds
// no row of `parent` with that key.
void checkReferences(PageFile& file, const TableDefinition& child, size_t childTree,
                     const TableDefinition& parent, size_t keyTree, const std::string& parentName) {
  IndexWriter keys(file, parent.page, parent.physicalIndexes[keyTree]);
  const RowDecoder decoder(file, child);
  const IndexRules rules = indexRules(child, childTree);
  forEachStoredRow(file, child, [&](uint32_t, ByteView row) {
    const RowKey key = rowKey(child, childTree, rules, row, decoder, false);
    if (!key.anyNull && keys.rowsWithKey(key.bytes, 1).empty())
      throw engineError(3201, {parentName});
    return true;
  });
}

// The index a statement adds for the relationship it makes (a plain index
// named as the relationship, over exactly the referring columns) gives way
// to the relationship's own: the format keeps one index of a name, and the
// relationship's is that index, marked as a relationship's. Another index
// of the name is 3284.
void giveWayToRelationship(PageFile& file, const RelationRecord& relation) {
  SchemaTable referring = openTable(file, relation.table);
  TableDefinition& table = referring.definition;
  const auto named = std::find_if(
      table.logicalIndexes.begin(), table.logicalIndexes.end(),
      [&](const LogicalIndex& logical) { return sameName(logical.name, relation.name); });
  if (named == table.logicalIndexes.end()) return;
  if (named->kind != 0) throw engineError(3284);
  if (named->physical < 0 || static_cast<size_t>(named->physical) >= table.physicalIndexes.size())
    damaged("an index without its tree");
  const PhysicalIndex& tree = table.physicalIndexes[static_cast<size_t>(named->physical)];
  const std::vector<uint16_t> columns = columnNumbers(table, relation.columns);
  const bool plain =
      (tree.flags & (IndexFlag::Unique | IndexFlag::Required | IndexFlag::IgnoreNulls)) == 0;
  const bool same = std::equal(
      tree.columns.begin(), tree.columns.end(), columns.begin(), columns.end(),
      [](const PhysicalIndexColumn& part, uint16_t number) { return part.number == number; });
  if (!plain || !same) throw engineError(3284);
  dropIndexDefinition(file, table, std::string(named->name));
  saveDefinition(file, referring);
}

}  // namespace

void addRelationship(PageFile& file, const RelationRecord& relation) {
  RelationshipRows rows(file);
  if (!rows.rowsOf(file, relation.name).empty()) throw engineError(3012, {relation.name});
  giveWayToRelationship(file, relation);
  SchemaTable referring = openTable(file, relation.table);
  SchemaTable keysTable = openTable(file, relation.referencedTable);
  const bool self = referring.definition.page == keysTable.definition.page;
  TableDefinition& child = referring.definition;
  TableDefinition& parent = self ? child : keysTable.definition;

  const std::vector<uint16_t> from = columnNumbers(child, relation.columns);
  const std::vector<uint16_t> to = columnNumbers(parent, relation.referencedColumns);
  if (from.size() != to.size() || from.empty())
    throw engineError(3409, {relation.columns.empty() ? relation.name : relation.columns.front()});
  for (size_t i = 0; i < from.size(); ++i) {
    if (engineType(*child.columnByNumber(from[i])) != engineType(*parent.columnByNumber(to[i])))
      throw engineError(3368);
  }
  std::vector<PhysicalIndexColumn> keyColumns;
  for (const uint16_t number : to) keyColumns.push_back({number, false});
  int32_t keyTree = treeOver(parent, keyColumns, true);
  if (keyTree < 0) {
    for (PhysicalIndexColumn& column : keyColumns) column.descending = true;
    keyTree = treeOver(parent, keyColumns, true);
  }
  if (keyTree < 0) throw engineError(3173);

  // The referring tree orders its columns as the keys' tree does, so that
  // a row's key in it is a key of the keys' tree.
  std::vector<PhysicalIndexColumn> referringColumns;
  for (size_t i = 0; i < from.size(); ++i)
    referringColumns.push_back(
        {from[i], parent.physicalIndexes[static_cast<size_t>(keyTree)].columns[i].descending});
  int32_t tree = treeOver(child, referringColumns, false);
  if (tree < 0) {
    PhysicalIndex made;
    made.columns = referringColumns;
    made.flags = kTreeFlag;
    child.physicalIndexes.push_back(made);
    tree = static_cast<int32_t>(child.physicalIndexes.size() - 1);
    newIndexTree(file, child.page, child.physicalIndexes.back(), {child.usedPages});
    buildIndex(file, child, static_cast<size_t>(tree));
  }
  checkReferences(file, child, static_cast<size_t>(tree), parent, static_cast<size_t>(keyTree),
                  keysTable.entry.name);

  LogicalIndex refers;
  refers.name = relation.name;
  refers.number = nextNumber(child);
  refers.physical = tree;
  refers.kind = kForeignKey;
  refers.relatedTableKind = kRefersToKeys;
  refers.relatedTablePage = parent.page;
  LogicalIndex back;
  back.name = backName(parent);
  back.number = nextNumber(parent) + (self ? 1 : 0);
  back.physical = keyTree;
  back.kind = kForeignKey;
  back.relatedTableKind = kPointsBack;
  back.relatedTablePage = child.page;
  back.relatedIndex = refers.number;
  refers.relatedIndex = back.number;
  child.logicalIndexes.push_back(refers);
  parent.logicalIndexes.push_back(back);
  saveDefinition(file, referring);
  if (!self) saveDefinition(file, keysTable);

  for (size_t i = 0; i < from.size(); ++i) {
    std::vector<Variant> values(rows.table.columns.size());
    values[rows.place("ccolumn")] = Variant(static_cast<int64_t>(from.size()));
    values[rows.place("grbit")] = Variant(int64_t{0});
    values[rows.place("icolumn")] = Variant(static_cast<int64_t>(i));
    values[rows.place("szColumn")] = Variant(child.columnByNumber(from[i])->name);
    values[rows.place("szObject")] = Variant(referring.entry.name);
    values[rows.place("szReferencedColumn")] = Variant(parent.columnByNumber(to[i])->name);
    values[rows.place("szReferencedObject")] = Variant(keysTable.entry.name);
    values[rows.place("szRelationship")] = Variant(relation.name);
    rows.writer.insert(values);
  }
}

void dropRelationship(PageFile& file, const std::string& name) {
  RelationshipRows rows(file);
  const auto found = rows.rowsOf(file, name);
  if (found.empty()) throw engineError(3265);
  const std::string referringName = found.front().second[rows.place("szObject")].toText();
  const std::string keysName = found.front().second[rows.place("szReferencedObject")].toText();
  SchemaTable referring = openTable(file, referringName);
  const std::vector<LogicalIndex>& indexes = referring.definition.logicalIndexes;
  const auto refers = std::find_if(indexes.begin(), indexes.end(), [&](const LogicalIndex& l) {
    return l.foreign() && l.relatedTableKind == kRefersToKeys && sameName(l.name, name);
  });
  // A relationship that is not enforced has no indexes.
  if (refers != indexes.end()) {
    std::string back;
    for (const LogicalIndex& logical : openTable(file, keysName).definition.logicalIndexes) {
      if (logical.foreign() && logical.number == refers->relatedIndex &&
          logical.relatedTablePage == referring.definition.page)
        back = logical.name;
    }
    dropIndexDefinition(file, referring.definition, std::string(refers->name));
    saveDefinition(file, referring);
    if (!back.empty()) {
      SchemaTable keysTable = openTable(file, keysName);
      dropIndexDefinition(file, keysTable.definition, back);
      saveDefinition(file, keysTable);
    }
  }
  for (const auto& [id, values] : found) rows.writer.remove(id);
}

}  // namespace telvarn::mdb
