// Properties of tables and fields in real files: every property block of
// the corpus written again byte for byte, and properties set, changed and
// removed read back through our reader and mdb-prop.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/DataType.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/MdbToolsRows.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/PropertyBlock.h"
#include "engine/mdb/SchemaWriter.h"
#include "engine/mdb/SystemCatalog.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;
using Lines = std::vector<std::string>;

// The lines mdb-prop prints for one set of a table's block ("(none)" for
// the table's own), sorted: mdb-prop lists a set in no fixed order.
Lines propLines(const std::string& path, const std::string& table, const std::string& set) {
  Lines lines;
  bool inside = false;
  for (const std::string& line :
       split(commandOutput("mdb-prop " + shellQuote(path) + " " + shellQuote(table)), '\n')) {
    if (line.rfind("name: ", 0) == 0) {
      inside = line == "name: " + set;
    } else if (inside && !line.empty()) {
      lines.push_back(line.substr(1));
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

bool has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

FieldRecord& fieldNamed(TableRecord& table, const std::string& name) {
  return *std::find_if(table.fields.begin(), table.fields.end(),
                       [&](const FieldRecord& f) { return f.name == name; });
}

void setProperty(FieldRecord& field, const std::string& name, int type, const Variant& value) {
  std::erase_if(field.properties, [&](const UserProperty& p) { return p.name == name; });
  field.properties.push_back({name, type, value});
}

std::vector<uint8_t> storedBlock(const std::string& path, const std::string& table) {
  MdbStorage storage(path);
  for (const CatalogEntry& entry : readSystemCatalog(storage.pages())) {
    if (entry.name == table) return readPropertyBytes(storage.pages(), entry.row);
  }
  return {};
}

TEST(MdbProperties, EveryBlockOfTheCorpusIsWrittenAgainAsItWas) {
  SKIP_WITHOUT_CORPUS();
  size_t blocks = 0;
  for (const std::string& name : corpusFiles()) {
    MdbStorage storage(corpusFile(name));
    for (const CatalogEntry& entry : readSystemCatalog(storage.pages())) {
      const std::vector<uint8_t> block = readPropertyBytes(storage.pages(), entry.row);
      if (block.empty()) continue;
      ++blocks;
      EXPECT_EQ(
          encodePropertyBlock(readPropertyBlock(ByteView(block)), propertyNames(ByteView(block))),
          block)
          << name << " " << entry.name;
    }
  }
  EXPECT_GT(blocks, 100u);
}

TEST(MdbProperties, FieldAndTablePropertiesAreSetChangedAndRemoved) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::vector<uint8_t> untouchedBlock = storedBlock(path, "Shippers");
  TableRecord shippers = *MdbStorage(path).findTable("Shippers");
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    // A field given its own record back keeps its set byte for byte.
    schema.changeField("Shippers", "CompanyName", fieldNamed(shippers, "CompanyName"));
  }
  EXPECT_EQ(storedBlock(path, "Shippers"), untouchedBlock);

  FieldRecord company = fieldNamed(shippers, "CompanyName");
  setProperty(company, "Caption", DataType::Text, Variant("Firm"));
  setProperty(company, "DisplayControl", DataType::Integer, Variant(110));
  setProperty(company, "Format", DataType::Text, Variant(">"));
  std::erase_if(company.properties, [](const UserProperty& p) { return p.name == "Description"; });
  FieldRecord id = fieldNamed(shippers, "ShipperID");
  std::erase_if(id.properties, [](const UserProperty& p) { return p.name == "Caption"; });
  FieldRecord rating;
  rating.name = "Rating";
  rating.type = DataType::Integer;
  std::vector<StoredProperty> table = MdbStorage(path).tableProperties("Shippers");
  for (StoredProperty& property : table) {
    if (property.name == "Description") property.value = Variant("Who carries the orders.");
  }
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.changeField("Shippers", "CompanyName", company);
    schema.changeField("Shippers", "ShipperID", id);
    schema.addField("Shippers", rating);
  }
  // A field made here has no Caption (no set at all) until one is set.
  EXPECT_EQ(propLines(path, "Shippers", "Rating"), Lines{});
  TableRecord made = *MdbStorage(path).findTable("Shippers");
  EXPECT_FALSE(std::any_of(fieldNamed(made, "Rating").properties.begin(),
                           fieldNamed(made, "Rating").properties.end(),
                           [](const UserProperty& p) { return p.name == "Caption"; }));
  setProperty(rating, "Caption", DataType::Text, Variant("Stars"));
  setProperty(rating, "DisplayControl", DataType::Integer, Variant(106));
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.changeField("Shippers", "Rating", rating);
    schema.setTableProperties("Shippers", table);
  }

  const Lines companyLines = propLines(path, "Shippers", "CompanyName");
  EXPECT_TRUE(has(companyLines, "Caption: Firm")) << companyLines.size();
  EXPECT_TRUE(has(companyLines, "DisplayControl: 110"));
  EXPECT_TRUE(has(companyLines, "Format: >"));
  EXPECT_TRUE(has(companyLines, "ColumnWidth: 1665"));  // untouched, four bytes wide
  EXPECT_TRUE(has(companyLines, "Required: yes"));
  EXPECT_FALSE(has(companyLines, "Description: Name of shipping company."));
  const Lines idLines = propLines(path, "Shippers", "ShipperID");
  EXPECT_FALSE(std::any_of(idLines.begin(), idLines.end(),
                           [](const std::string& l) { return l.rfind("Caption", 0) == 0; }));
  EXPECT_TRUE(has(idLines, "Description: Number automatically assigned to new shipper."));
  EXPECT_EQ(propLines(path, "Shippers", "Rating"),
            (Lines{"Caption: Stars", "DisplayControl: 106"}));
  const Lines own = propLines(path, "Shippers", "(none)");
  EXPECT_TRUE(has(own, "Description: Who carries the orders."));
  EXPECT_TRUE(has(own, "GUID: {B92C121C-83C3-11D2-978D00AA0060D5F9}"));

  // Our reader agrees.
  TableRecord now = *MdbStorage(path).findTable("Shippers");
  const auto value = [&](const std::string& field, const std::string& name) {
    for (const UserProperty& p : fieldNamed(now, field).properties) {
      if (p.name == name) return p.value.toText();
    }
    return std::string("<none>");
  };
  EXPECT_EQ(value("CompanyName", "Caption"), "Firm");
  EXPECT_EQ(value("CompanyName", "DisplayControl"), "110");
  EXPECT_EQ(value("CompanyName", "Description"), "<none>");
  EXPECT_EQ(value("Rating", "Caption"), "Stars");
  EXPECT_EQ(proofProblems(path, corpusFile("Northwind_Access2000.mdb"), {"Shippers"}), Lines{});
}

}  // namespace
}  // namespace telvarn::test
