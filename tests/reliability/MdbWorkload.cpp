#include "reliability/MdbWorkload.h"

#include <algorithm>
#include <vector>

#include "engine/DataType.h"
#include "engine/mdb/EmptyFile.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/NorthwindLines.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/SchemaWriter.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableWriter.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

// The lines the workload adds are those with this discount (Northwind's
// own are at most 0.25).
constexpr double kOurDiscount = 0.5;

bool ours(const std::vector<Variant>& line) {
  return line[4].toDouble() == kOurDiscount;
}

std::string bytesOf(size_t length, int seed) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i)
    bytes[i] = static_cast<char>((i * 7 + static_cast<size_t>(seed)) % 253);
  return bytes;
}

// The rows of a table: id and values, in the order of the file.
std::vector<std::pair<uint32_t, std::vector<Variant>>> rowsOf(PageFile& file, TableWriter& table) {
  std::vector<std::pair<uint32_t, std::vector<Variant>>> rows;
  std::vector<uint32_t> ids;
  forEachStoredRow(file, table.definition(), [&](uint32_t row, ByteView) {
    ids.push_back(row);
    return true;
  });
  for (const uint32_t id : ids) rows.emplace_back(id, table.read(id));
  return rows;
}

void insertRows(PageFile& file, TableWriter& categories, TableWriter& details, int number) {
  for (const auto& [order, product] : newOrderLines(file, details, 30, static_cast<size_t>(number)))
    details.insert(
        {Variant(order), Variant(product), Variant("2.5"), Variant(number), Variant(kOurDiscount)});
  for (int j = 0; j < 2; ++j) {
    categories.insert({Variant(), Variant("Kind " + std::to_string(number * 2 + j)),
                       Variant(std::string(static_cast<size_t>(number * 97 % 3000), 'd')),
                       Variant(bytesOf(static_cast<size_t>((number + j) * 1301 % 20000), number))});
  }
}

void updateRows(PageFile& file, TableWriter& categories, TableWriter& details, int number) {
  for (const auto& [id, values] : rowsOf(file, details)) {
    if (!ours(values) || (values[0].toInteger() + number) % 4 != 0) continue;
    std::vector<Variant> change(values.size());
    change[3] = Variant(number % 100);
    change[2] = Variant(std::to_string(number) + ".25");
    details.update(id, change);
  }
  for (const auto& [id, values] : rowsOf(file, categories)) {
    if (values[0].toInteger() <= 8) continue;
    std::vector<Variant> change(values.size());
    change[2] = Variant(std::string(static_cast<size_t>(number * 131 % 5000),
                                    static_cast<char>('a' + number % 26)));
    change[3] = Variant(bytesOf(static_cast<size_t>(number * 733 % 15000), number));
    categories.update(id, change);
  }
}

void removeRows(PageFile& file, TableWriter& categories, TableWriter& details, int number) {
  for (const auto& [id, values] : rowsOf(file, details)) {
    if (ours(values) && values[0].toInteger() % 5 == number % 5) details.remove(id);
  }
  for (const auto& [id, values] : rowsOf(file, categories)) {
    if (values[0].toInteger() <= 8) continue;
    categories.remove(id);
    break;
  }
}

constexpr int kRetypeRows = 100000;

FieldRecord fieldOf(const std::string& name, int type, int size) {
  FieldRecord field;
  field.name = name;
  field.type = type;
  field.size = size;
  return field;
}

uint64_t digestOf(const std::vector<std::string>& rows) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (const std::string& row : rows) {
    for (const char c : row + "\x1e") {
      hash ^= static_cast<uint8_t>(c);
      hash *= 0x100000001b3ull;
    }
  }
  return hash;
}

}  // namespace

void makeRetypeFile(const std::string& path) {
  createEmptyFile(path);
  TableRecord big;
  big.name = "Big";
  big.fields = {fieldOf("Id", DataType::Long, 0), fieldOf("Amount", DataType::Long, 0),
                fieldOf("Label", DataType::Text, 20)};
  IndexRecord key;
  key.name = "PrimaryKey";
  key.primary = true;
  key.columns = {{"Id", false}};
  big.indexes = {key};
  PageFile file(path, kPageSize);
  SchemaWriter(file).createTable(big);
  TableWriter rows(file, MdbStorage(path).definition("Big").page);
  file.begin();
  for (int i = 0; i < kRetypeRows; ++i)
    rows.insert(
        {Variant(i), Variant(i * 37 % 100003 - 50000), Variant("row " + std::to_string(i))});
  file.commit();
}

void runRetype(const std::string& path) {
  PageFile file(path, kPageSize);
  SchemaWriter(file).changeField("Big", "Amount", fieldOf("Amount", DataType::Text, 20));
}

std::string retypeState(const std::string& path) {
  MdbStorage storage(path);
  const std::optional<TableRecord> big = storage.findTable("Big");
  if (!big || big->fields.size() != 3) return "no table Big of three fields";
  std::vector<std::string> rows;
  storage.forEachRow("Big", [&](const std::vector<Variant>& values) {
    rows.push_back(values[0].toText() + "\x1f" + values[1].toText() + "\x1f" + values[2].toText());
    return true;
  });
  std::sort(rows.begin(), rows.end());
  const int type = big->fields[1].type;
  const std::string which = type == DataType::Long   ? "old"
                            : type == DataType::Text ? "new"
                                                     : "type " + std::to_string(type);
  return which + " " + std::to_string(rows.size()) + " rows " + std::to_string(digestOf(rows));
}

void runWorkloadStatement(const std::string& path, int number) {
  uint32_t categoriesPage = 0;
  uint32_t detailsPage = 0;
  {
    MdbStorage storage(path);
    categoriesPage = storage.definition("Categories").page;
    detailsPage = storage.definition("Order Details").page;
  }
  PageFile file(path, kPageSize);
  TableWriter categories(file, categoriesPage);
  TableWriter details(file, detailsPage);
  file.begin();
  switch (number % 3) {
    case 0:
      insertRows(file, categories, details, number);
      break;
    case 1:
      updateRows(file, categories, details, number);
      break;
    default:
      removeRows(file, categories, details, number);
      break;
  }
  file.commit();
}

uint64_t workloadDigest(const std::string& path) {
  MdbStorage storage(path);
  std::vector<std::string> rows;
  for (const char* table : {"Categories", "Order Details"}) {
    storage.forEachRow(table, [&](const std::vector<Variant>& values) {
      std::string row = table;
      for (const Variant& value : values)
        row += "\x1f" + (value.isNull() ? "<null>" : value.toText());
      rows.push_back(row);
      return true;
    });
  }
  std::sort(rows.begin(), rows.end());
  return digestOf(rows);
}

}  // namespace telvarn::test
