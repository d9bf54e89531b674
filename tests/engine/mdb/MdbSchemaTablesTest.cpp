// Tables and fields changed in real files: made (with fields of every kind
// and their properties, without fields, over several definition pages),
// dropped, and their fields added, deleted, renamed and retyped. After each
// change the file is held to MdbProof (our reader, mdbtools and the re-made
// index keys agree; the structural check is clean), and mdb-schema and
// mdb-prop read the schema back as it was meant.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/DataType.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/ColumnLayout.h"
#include "engine/mdb/EmptyFile.h"
#include "engine/mdb/FileCheck.h"
#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbProof.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/MdbToolsRows.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/SchemaWriter.h"
#include "engine/mdb/TableScan.h"
#include "engine/mdb/TableWriter.h"
#include "engine/mdb/UsageMap.h"
#include "engine/mdb/UsageMapWriter.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

using namespace telvarn::mdb;
using Lines = std::vector<std::string>;

FieldRecord field(const std::string& name, int type, int size = 0, int attributes = 0) {
  FieldRecord record;
  record.name = name;
  record.type = type;
  record.size = size;
  record.attributes = attributes;
  return record;
}

// mdb-schema's description of one table for another database, whose
// statements name types, defaults, NOT NULL and indexes.
std::string schemaText(const std::string& path, const std::string& table) {
  std::string text;
  for (const std::string& line :
       split(commandOutput("mdb-schema --indexes --default-values -T " + shellQuote(table) + " " +
                           shellQuote(path) + " postgres"),
             '\n')) {
    if (line.rfind("--", 0) != 0 && !line.empty()) text += line + "\n";
  }
  return text;
}

std::string exportText(const std::string& path, const std::string& table) {
  return commandOutput("mdb-export " + shellQuote(path) + " " + shellQuote(table));
}

// mdb-export's rows with their values in the order of the first line's
// names: mdb-export lists a table's columns by number, and a retyped
// column takes the table's next number. Sorted, since rows that grew
// move.
std::vector<std::string> exportRows(const std::string& text,
                                    const std::vector<std::string>& names) {
  std::vector<std::string> lines = split(text, '\n');
  const std::vector<std::string> header = split(lines.front(), ',');
  std::vector<std::string> rows;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> values = split(lines[i], ',');
    std::string row;
    for (const std::string& name : names) {
      const size_t at = std::find(header.begin(), header.end(), name) - header.begin();
      row += (row.empty() ? "" : ",") + values.at(at);
    }
    rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

uint32_t pageOfTable(const std::string& path, const std::string& table) {
  return MdbStorage(path).definition(table).page;
}

const FieldRecord& fieldNamed(const TableRecord& table, const std::string& name) {
  const auto found = std::find_if(table.fields.begin(), table.fields.end(),
                                  [&](const FieldRecord& f) { return f.name == name; });
  EXPECT_NE(found, table.fields.end()) << name;
  return *found;
}

bool hasProperty(const FieldRecord& field, const std::string& name) {
  return std::any_of(field.properties.begin(), field.properties.end(),
                     [&](const UserProperty& p) { return p.name == name; });
}

// The fields of every kind the engine makes, with their built-in
// properties.
TableRecord kindsTable() {
  TableRecord table;
  table.name = "Kinds";
  table.fields = {field("Id", DataType::Long, 0, 16),   field("Flag", DataType::Boolean),
                  field("Small", DataType::Byte),       field("Count", DataType::Integer),
                  field("Money", DataType::Currency),   field("Ratio", DataType::Single),
                  field("Measure", DataType::Double),   field("When", DataType::Date),
                  field("Bytes", DataType::Binary, 10), field("Name", DataType::Text, 50),
                  field("Notes", DataType::Memo),       field("Picture", DataType::LongBinary),
                  field("Key", DataType::Guid),         field("Code", DataType::Text, 4, 1)};
  table.fields[9].defaultValue = "\"abc\"";
  table.fields[9].required = true;
  table.fields[10].allowZeroLength = true;
  IndexRecord key;
  key.name = "PrimaryKey";
  key.primary = true;
  key.columns = {{"Id", false}};
  IndexRecord name;
  name.name = "Name";
  name.columns = {{"Name", true}};
  table.indexes = {key, name};
  return table;
}

void fillKinds(const std::string& path) {
  PageFile file(path, kPageSize);
  TableWriter kinds(file, pageOfTable(path, "Kinds"));
  kinds.insert({Variant(), Variant(true), Variant(7), Variant(-300), Variant("12.5"), Variant(0.5),
                Variant(2.25), Variant(45000.5), Variant(std::string("\x01\x02", 2)),
                Variant("Ärger"), Variant(std::string(3000, 'n')), Variant(std::string(70, 'p')),
                Variant("{01234567-89AB-CDEF-0123-456789ABCDEF}"), Variant("ab")});
  kinds.insert({Variant(), Variant(false), Variant(), Variant(), Variant(), Variant(), Variant(),
                Variant(), Variant(), Variant("x"), Variant(""), Variant(), Variant(), Variant()});
}

TEST(MdbSchemaTables, FieldsOfEveryKindAndTheirPropertiesReadBack) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string untouched = dir.file("empty.mdb");
  createEmptyFile(untouched);
  for (const std::string& name :
       {std::string("empty.mdb"), std::string("Northwind_Access2000.mdb")}) {
    const std::string path = dir.file("copy-" + name);
    writeFile(path, readFile(name == "empty.mdb" ? untouched : corpusFile(name)));
    {
      PageFile file(path, kPageSize);
      SchemaWriter(file).createTable(kindsTable());
    }
    fillKinds(path);
    EXPECT_EQ(proofProblems(path, path, {"Kinds"}), Lines{}) << name;
    const TableRecord kinds = *MdbStorage(path).findTable("Kinds");
    const TableRecord made = kindsTable();
    ASSERT_EQ(kinds.fields.size(), made.fields.size());
    for (size_t i = 0; i < kinds.fields.size(); ++i) {
      const FieldRecord& given = made.fields[i];
      EXPECT_EQ(kinds.fields[i].name, given.name);
      EXPECT_EQ(kinds.fields[i].type, given.type) << given.name;
      EXPECT_EQ(kinds.fields[i].size, storedSize(given.type, given.size)) << given.name;
      EXPECT_EQ(kinds.fields[i].attributes & 16, given.attributes & 16) << given.name;
      // A field made here has no Caption until one is set.
      EXPECT_FALSE(hasProperty(kinds.fields[i], "Caption")) << given.name;
    }
    EXPECT_EQ(fieldNamed(kinds, "Code").attributes & 1, 1);  // a fixed-length text
    EXPECT_EQ(fieldNamed(kinds, "Name").defaultValue, "\"abc\"");
    EXPECT_TRUE(fieldNamed(kinds, "Name").required);
    EXPECT_TRUE(fieldNamed(kinds, "Notes").allowZeroLength);
    EXPECT_FALSE(fieldNamed(kinds, "Notes").required);

    const std::string schema = schemaText(path, "Kinds");
    for (const char* expected :
         {"\"id\"\t\t\tSERIAL", "\"flag\"\t\t\tBOOLEAN NOT NULL", "\"small\"\t\t\tSMALLINT",
          "\"money\"\t\t\tNUMERIC(15,2)", "\"when\"\t\t\tTIMESTAMP WITHOUT TIME ZONE",
          "\"name\"\t\t\tVARCHAR (50) NOT NULL DEFAULT 'abc'", "\"notes\"\t\t\tTEXT",
          "\"key\"\t\t\tUUID", "\"code\"\t\t\tVARCHAR (4)",
          "ALTER TABLE \"kinds\" ADD CONSTRAINT \"kinds_pkey\" PRIMARY KEY (\"id\");",
          "CREATE INDEX \"kinds_name_idx\" ON \"kinds\" (\"name\" DESC);"}) {
      EXPECT_NE(schema.find(expected), std::string::npos) << expected << "\n" << schema;
    }
    const std::string properties = commandOutput("mdb-prop " + shellQuote(path) + " Kinds");
    EXPECT_NE(properties.find("name: Name\n\tDefaultValue: \"abc\"\n\tRequired: yes\n"),
              std::string::npos)
        << properties;
    EXPECT_NE(properties.find("name: Notes\n\tAllowZeroLength: yes\n"), std::string::npos);
  }
}

TEST(MdbSchemaTables, TablesWithoutFieldsOrOverSeveralPagesComeAndGo) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = dir.file("tables.mdb");
  createEmptyFile(path);
  const std::string empty = readFile(path);
  TableRecord wide;
  wide.name = "Wide";
  for (int i = 0; i < 200; ++i)
    wide.fields.push_back(
        field("A field with a long name number " + std::to_string(i), DataType::Long));
  TableRecord bare;
  bare.name = "Bare";
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.createTable(wide);
    schema.createTable(bare);
    schema.addField("Bare", field("Later", DataType::Text, 20));
    EXPECT_EQ(errorOf([&] { schema.createTable(bare); }), 3010);
    EXPECT_EQ(errorOf([&] { schema.addField("Bare", field("later", DataType::Long)); }), 3191);
    EXPECT_EQ(errorOf([&] { schema.addField("Nothing", field("X", DataType::Long)); }), 3265);
  }
  EXPECT_GT(MdbStorage(path).definition("Wide").definitionPages.size(), 1u);
  EXPECT_EQ(commandOutput("mdb-tables -1 " + shellQuote(path)), "Wide\nBare\n");
  EXPECT_NE(schemaText(path, "Wide").find("\"a field with a long name number 199\"\t\t\tINTEGER"),
            std::string::npos);
  {
    PageFile file(path, kPageSize);
    TableWriter(file, pageOfTable(path, "Bare")).insert({Variant("kept")});
  }
  EXPECT_EQ(exportText(path, "Bare"), "Later\n\"kept\"\n");
  EXPECT_EQ(proofProblems(path, path, {"Wide", "Bare"}), Lines{});

  // Dropped, the tables give back every page: made again, they take those
  // pages and the file does not grow.
  const size_t grown = readFile(path).size();
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.dropTable("Wide");
    schema.dropTable("Bare");
    EXPECT_EQ(errorOf([&] { schema.dropTable("Bare"); }), 3376);
  }
  EXPECT_EQ(commandOutput("mdb-tables -1 " + shellQuote(path)), "");
  {
    PageFile file(path, kPageSize);
    EXPECT_EQ(checkFile(file), Lines{});
    SchemaWriter schema(file);
    schema.createTable(wide);
    schema.createTable(bare);
  }
  EXPECT_EQ(readFile(path).size(), grown);
  EXPECT_GT(grown, empty.size());
  EXPECT_EQ(proofProblems(path, path, {"Wide", "Bare"}), Lines{});
}

// The column count each stored row of a table begins with.
std::vector<uint16_t> columnCounts(const std::string& path, const std::string& table) {
  MdbStorage storage(path);
  std::vector<uint16_t> counts;
  forEachStoredRow(storage.pages(), storage.definition(table), [&](uint32_t, ByteView row) {
    counts.push_back(row.u16(0));
    return true;
  });
  return counts;
}

TEST(MdbSchemaTables, AddedDeletedAndRenamedFieldsKeepTheRows) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  const std::vector<uint16_t> counts = columnCounts(path, "Shippers");
  const TableDefinition before = MdbStorage(path).definition("Shippers");
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.addField("Shippers", field("Rating", DataType::Integer));
    EXPECT_EQ(errorOf([&] { schema.deleteField("Shippers", "ShipperID"); }), 3280);
    EXPECT_EQ(errorOf([&] { schema.deleteField("Shippers", "Nothing"); }), 3265);
    schema.deleteField("Shippers", "Phone");
    FieldRecord renamed = fieldNamed(*MdbStorage(path).findTable("Shippers"), "CompanyName");
    renamed.name = "Company";
    schema.changeField("Shippers", "CompanyName", renamed);
    renamed.name = "ShipperID";
    EXPECT_EQ(errorOf([&] { schema.changeField("Shippers", "Company", renamed); }), 3191);
    TableWriter(file, before.page).insert({Variant(), Variant("Hermes"), Variant(5)});
  }
  // The rows written before keep their column count and read the new field
  // as Null; the column numbers keep their gap.
  const std::vector<uint16_t> now = columnCounts(path, "Shippers");
  EXPECT_EQ(std::vector<uint16_t>(now.begin(), now.begin() + 3), counts);
  const TableDefinition after = MdbStorage(path).definition("Shippers");
  EXPECT_EQ(after.maxColumns, before.maxColumns + 1);
  EXPECT_EQ(after.columns[1].number, before.columns[1].number);
  EXPECT_EQ(after.columns[2].number, before.maxColumns);
  EXPECT_EQ(exportText(path, "Shippers"),
            "ShipperID,Company,Rating\n1,\"Speedy Express\",\n2,\"United Package\",\n"
            "3,\"Federal Shipping\",\n4,\"Hermes\",5\n");
  // The renamed field keeps its properties (mdb-schema shows Description).
  const TableRecord shippers = *MdbStorage(path).findTable("Shippers");
  EXPECT_TRUE(hasProperty(fieldNamed(shippers, "Company"), "Caption"));
  EXPECT_NE(schemaText(path, "Shippers")
                .find("COMMENT ON COLUMN \"shippers\".\"company\" IS 'Name of shipping company.'"),
            std::string::npos)
      << schemaText(path, "Shippers");
  EXPECT_EQ(proofProblems(path, untouched, {"Shippers"}), Lines{});
}

// Rows rewritten a page at a time: on full pages, rows that grow past the
// room left move to other pages, and every row keeps its value and its
// entry in the index over the changed field.
TEST(MdbSchemaTables, RowsThatGrowOnFullPagesMoveAndKeepTheirValues) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "empty_Access2000_template.mdb");
  TableRecord table;
  table.name = "Full";
  table.fields = {field("ID", DataType::Long), field("N", DataType::Integer),
                  field("Name", DataType::Text, 20)};
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.createTable(table);
    PageTransaction change(file);
    TableWriter writer(file, MdbStorage(path).definition("Full").page);
    for (int i = 0; i < 3000; ++i)
      writer.insert(
          {Variant(int64_t{i}), Variant(int64_t{i % 1000}), Variant("n" + std::to_string(i))});
    change.commit();
    IndexRecord byN;
    byN.name = "ByN";
    byN.columns = {{"N", false}};
    schema.addIndex("Full", byN);
    FieldRecord wider = table.fields[1];
    wider.type = DataType::Double;
    schema.changeField("Full", "N", wider);
  }
  EXPECT_EQ(proofProblems(path, path, {"Full"}), Lines{});
  MdbStorage storage(path);
  size_t rows = 0;
  storage.forEachRow("Full", [&](const std::vector<Variant>& values) {
    EXPECT_EQ(values[1].toDouble(), static_cast<double>(values[0].toInteger() % 1000));
    return ++rows > 0;
  });
  EXPECT_EQ(rows, 3000u);
}

TEST(MdbSchemaTables, TypeAndSizeChangesConvertEveryRowOrNone) {
  SKIP_WITHOUT_MDBTOOLS();
  TempDir dir;
  const std::string path = corpusCopy(dir.path(), "Northwind_Access2000.mdb");
  const std::string untouched = corpusFile("Northwind_Access2000.mdb");
  const auto changed = [&](const std::string& table, const std::string& name, int type, int size) {
    FieldRecord record = fieldNamed(*MdbStorage(path).findTable(table), name);
    record.type = type;
    record.size = size;
    record.attributes = 0;
    return record;
  };
  const std::string before = readFile(path);
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    // Text that is no number, a number out of range, text too long: nothing
    // changes.
    EXPECT_EQ(errorOf([&] {
                schema.changeField("Customers", "CompanyName",
                                   changed("Customers", "CompanyName", DataType::Long, 0));
              }),
              3421);
    EXPECT_EQ(errorOf([&] {
                schema.changeField("Orders", "Freight",
                                   changed("Orders", "Freight", DataType::Byte, 0));
              }),
              3349);
    EXPECT_EQ(errorOf([&] {
                schema.changeField("Customers", "CompanyName",
                                   changed("Customers", "CompanyName", DataType::Text, 5));
              }),
              3163);
    // A relationship needs the field.
    EXPECT_EQ(errorOf([&] {
                schema.changeField("Orders", "ShipVia",
                                   changed("Orders", "ShipVia", DataType::Double, 0));
              }),
              3303);
  }
  EXPECT_EQ(readFile(path), before);

  const std::string prices = exportText(path, "Products");
  {
    PageFile file(path, kPageSize);
    SchemaWriter schema(file);
    schema.changeField("Products", "UnitPrice",
                       changed("Products", "UnitPrice", DataType::Text, 20));
    schema.changeField("Products", "UnitsInStock",
                       changed("Products", "UnitsInStock", DataType::Double, 0));
    // Indexed: its tree is made again.
    schema.changeField("Orders", "ShipPostalCode",
                       changed("Orders", "ShipPostalCode", DataType::Text, 30));
    schema.changeField("Employees", "Extension",
                       changed("Employees", "Extension", DataType::Long, 0));
  }
  // Each row's value converted, the others as they were: Currency as the
  // library writes it (no trailing zeros), numbers as they were.
  const size_t headerEnd = prices.find('\n') + 1;
  const std::vector<std::string> names = split(prices.substr(0, headerEnd - 1), ',');
  std::string expected = prices.substr(0, headerEnd);
  for (const std::string& row : split(prices.substr(headerEnd), '\n')) {
    std::vector<std::string> values = split(row, ',');
    std::string& price = values[5];
    price = price.substr(0, price.find_last_not_of('0') + 1);
    if (price.back() == '.') price.pop_back();
    price = "\"" + price + "\"";
    std::string line;
    for (const std::string& value : values) line += (line.empty() ? "" : ",") + value;
    expected += line + "\n";
  }
  EXPECT_EQ(exportRows(exportText(path, "Products"), names), exportRows(expected, names));
  const TableRecord products = *MdbStorage(path).findTable("Products");
  EXPECT_EQ(fieldNamed(products, "UnitPrice").type, DataType::Text);
  EXPECT_EQ(fieldNamed(products, "UnitsInStock").type, DataType::Double);
  EXPECT_TRUE(hasProperty(fieldNamed(products, "UnitPrice"), "Caption"));
  const auto extensions = [](const std::string& file) {
    MdbStorage storage(file);
    std::vector<std::string> values;
    storage.forEachRow("Employees", [&](const std::vector<Variant>& row) {
      values.push_back(row[13].toText());
      return true;
    });
    return values;
  };
  EXPECT_EQ(extensions(path), extensions(untouched));
  EXPECT_EQ(fieldNamed(*MdbStorage(path).findTable("Employees"), "Extension").type, DataType::Long);
  EXPECT_NE(schemaText(path, "Orders").find("\"shippostalcode\"\t\t\tVARCHAR (30)"),
            std::string::npos);
  // Unicode compression stays with a field that held text before (its rows
  // keep their size); a field that becomes text has none, as new fields.
  const auto compressed = [](const std::string& file, const std::string& table,
                             const std::string& name) {
    MdbStorage storage(file);
    return findColumn(storage.definition(table), name)->compressedUnicode();
  };
  EXPECT_TRUE(compressed(untouched, "Orders", "ShipPostalCode"));
  EXPECT_TRUE(compressed(path, "Orders", "ShipPostalCode"));
  EXPECT_FALSE(compressed(path, "Products", "UnitPrice"));
  EXPECT_EQ(proofProblems(path, untouched, {"Products", "Orders", "Employees"}), Lines{});
}

}  // namespace
}  // namespace telvarn::test
