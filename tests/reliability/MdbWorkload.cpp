#include "reliability/MdbWorkload.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/DataType.h"
#include "engine/mdb/EmptyFile.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/SchemaWriter.h"
#include "engine/mdb/TableWriter.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;

// The lines the workload adds have this discount (Northwind's own are at
// most 0.25); its categories come after Northwind's eight.
std::string workloadStatement(int number) {
  const std::string n = std::to_string(number);
  switch (number % 6) {
    case 0:
      return "INSERT INTO [Order Details] (OrderID, ProductID, UnitPrice, Quantity, Discount) "
             "SELECT o.OrderID, p.ProductID, 2.5, " +
             n +
             ", 0.5 FROM Orders o, Products p "
             "WHERE o.OrderID Mod 50 = " +
             std::to_string(number % 50) +
             " AND p.ProductID Mod 7 = " + std::to_string(number % 7) +
             " AND NOT EXISTS "
             "(SELECT 1 FROM [Order Details] d WHERE d.OrderID = o.OrderID AND "
             "d.ProductID = p.ProductID)";
    case 1:
      return "INSERT INTO Categories (CategoryName, Description) VALUES ('Kind " + n +
             "', String(" + std::to_string(number * 97 % 3000 + 1) + ", 'd'))";
    case 2:
      return "UPDATE [Order Details] SET Quantity = " + std::to_string(number % 100) +
             ", UnitPrice = " + n + ".25 WHERE Discount = 0.5 AND (OrderID + " + n + ") Mod 2 = 0";
    case 3:
      return "UPDATE Categories SET Description = String(" +
             std::to_string(number * 131 % 5000 + 1) + ", '" +
             std::string(1, static_cast<char>('a' + number % 26)) + "') WHERE CategoryID > 8";
    case 4:
      return "DELETE FROM [Order Details] WHERE Discount = 0.5 AND OrderID Mod 3 = " +
             std::to_string(number % 3);
    default:
      return "DELETE FROM Categories WHERE CategoryID > 8";
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
  DBEngine engine;
  engine.openDatabase(path)->execute(workloadStatement(number));
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
