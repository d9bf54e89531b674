#include "engine/mdb/SystemCatalog.h"

#include "engine/AppError.h"
#include "engine/Catalog.h"
#include "engine/mdb/DataPage.h"
#include "engine/mdb/RowDecoder.h"
#include "engine/mdb/TableScan.h"

namespace telvarn::mdb {
namespace {

// The catalog's columns this reader needs, found by name so that files
// whose catalog has its columns in another order read the same.
struct CatalogColumns {
  const ColumnDef* id = nullptr;
  const ColumnDef* parentId = nullptr;
  const ColumnDef* name = nullptr;
  const ColumnDef* type = nullptr;
  const ColumnDef* flags = nullptr;
  const ColumnDef* database = nullptr;
  const ColumnDef* connect = nullptr;
  const ColumnDef* foreignName = nullptr;
  const ColumnDef* properties = nullptr;
};

const ColumnDef* column(const TableDefinition& table, const char* name, bool needed) {
  for (const ColumnDef& column : table.columns) {
    if (sameName(column.name, name)) return &column;
  }
  if (needed) damaged(std::string("a catalog without its column ") + name);
  return nullptr;
}

CatalogColumns catalogColumns(const TableDefinition& table) {
  return {column(table, "Id", true),       column(table, "ParentId", true),
          column(table, "Name", true),     column(table, "Type", true),
          column(table, "Flags", true),    column(table, "Database", false),
          column(table, "Connect", false), column(table, "ForeignName", false),
          column(table, "LvProp", false)};
}

Variant valueOf(PageSource& pages, const RowDecoder& decoder, ByteView row,
                const ColumnDef* column) {
  if (column == nullptr) return Variant::null();
  bool present = false;
  const ByteView bytes = decoder.columnBytes(row, *column, present);
  if (!present) return Variant::null();
  return variableValue(pages, *column, bytes);
}

std::string textOf(const Variant& value) {
  return value.isNull() ? "" : value.toText();
}

}  // namespace

std::vector<CatalogEntry> readSystemCatalog(PageSource& pages) {
  const TableDefinition table = readTableDefinition(pages, kCatalogDefinitionPage);
  const CatalogColumns columns = catalogColumns(table);
  const RowDecoder decoder(pages, table);
  std::vector<CatalogEntry> entries;
  forEachStoredRow(pages, table, [&](uint32_t pointer, ByteView row) {
    CatalogEntry entry;
    entry.row = pointer;
    const auto number = [&](const ColumnDef* c) {
      const Variant value = valueOf(pages, decoder, row, c);
      return value.isNull() ? int64_t{0} : value.toInteger();
    };
    entry.id = static_cast<int32_t>(number(columns.id));
    entry.parentId = static_cast<int32_t>(number(columns.parentId));
    entry.type = static_cast<int>(number(columns.type));
    entry.flags = static_cast<uint32_t>(number(columns.flags));
    entry.name = textOf(valueOf(pages, decoder, row, columns.name));
    entry.database = textOf(valueOf(pages, decoder, row, columns.database));
    entry.connect = textOf(valueOf(pages, decoder, row, columns.connect));
    entry.foreignName = textOf(valueOf(pages, decoder, row, columns.foreignName));
    entries.push_back(std::move(entry));
    return true;
  });
  return entries;
}

std::vector<uint8_t> readPropertyBytes(PageSource& pages, uint32_t row) {
  const TableDefinition table = readTableDefinition(pages, kCatalogDefinitionPage);
  const ColumnDef* properties = column(table, "LvProp", false);
  if (properties == nullptr) return {};
  const RowDecoder decoder(pages, table);
  Page page;
  const ByteView bytes = followRecord(pages, row, page);
  const std::string value = textOf(valueOf(pages, decoder, bytes, properties));
  return {value.begin(), value.end()};
}

}  // namespace telvarn::mdb
