#include <algorithm>

#include "engine/Catalog.h"
#include "engine/mdb/QueryText.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/TableScan.h"

namespace telvarn::mdb {
namespace {

const CatalogEntry& queriesTable(const std::vector<CatalogEntry>& catalog) {
  for (const CatalogEntry& entry : catalog) {
    if (entry.type == ObjectType::Table && sameName(entry.name, "MSysQueries")) return entry;
  }
  damaged("a catalog without MSysQueries");
}

// The column's place in a row, or -1 for an optional column the table lacks.
int columnIndex(const TableDefinition& table, const char* name, bool needed = true) {
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (sameName(table.columns[i].name, name)) return static_cast<int>(i);
  }
  if (!needed) return -1;
  damaged(std::string("MSysQueries without its column ") + name);
}

}  // namespace

std::vector<QueryRow> readQueryRows(PageSource& pages, const std::vector<CatalogEntry>& catalog,
                                    int32_t objectId) {
  const TableDefinition table = readTableDefinition(pages, queriesTable(catalog).definitionPage());
  const int id = columnIndex(table, "ObjectId");
  const int attribute = columnIndex(table, "Attribute");
  const int flag = columnIndex(table, "Flag");
  const int name1 = columnIndex(table, "Name1");
  const int name2 = columnIndex(table, "Name2");
  const int expression = columnIndex(table, "Expression");
  const int extra = columnIndex(table, "LvExtra", false);
  const int order = columnIndex(table, "Order", false);
  const RowDecoder decoder(pages, table);
  // Texts written by the desktop program's SQL view may end with a NUL.
  const auto text = [](const Variant& value) {
    std::string out = value.isNull() ? "" : value.toText();
    while (!out.empty() && out.back() == '\0') out.pop_back();
    return out;
  };
  // The rows of one part follow their Order (a number, high byte first);
  // where rows stand in the file says nothing.
  std::vector<std::pair<std::string, QueryRow>> rows;
  forEachStoredRow(pages, table, [&](uint32_t, ByteView bytes) {
    const std::vector<Variant> values = decoder.decode(bytes);
    if (values[id].isNull() || values[id].toInteger() != objectId) return true;
    QueryRow row;
    row.part = static_cast<int>(values[attribute].toInteger());
    row.flag = values[flag].isNull() ? 0 : static_cast<int>(values[flag].toInteger());
    row.name1 = text(values[name1]);
    row.name2 = text(values[name2]);
    row.expression = text(values[expression]);
    if (extra >= 0 && !values[extra].isNull())
      row.extra = static_cast<int>(values[extra].toInteger());
    rows.emplace_back(order >= 0 && !values[order].isNull() ? values[order].textValue() : "",
                      std::move(row));
    return true;
  });
  std::stable_sort(rows.begin(), rows.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<QueryRow> ordered;
  for (auto& [key, row] : rows) ordered.push_back(std::move(row));
  return ordered;
}

}  // namespace telvarn::mdb
