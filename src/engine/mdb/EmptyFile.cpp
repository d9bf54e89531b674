#include "engine/mdb/EmptyFile.h"

#include <algorithm>
#include <cstring>

#include "engine/AppError.h"
#include "engine/GeneralSortOrder.h"
#include "engine/mdb/ByteView.h"
#include "engine/mdb/CatalogWriter.h"
#include "engine/mdb/ColumnLayout.h"
#include "engine/mdb/DataPageWriter.h"
#include "engine/mdb/FileHeader.h"
#include "engine/mdb/PageAllocator.h"
#include "engine/mdb/PageFile.h"
#include "engine/mdb/SystemCatalog.h"
#include "engine/mdb/TableStorage.h"
#include "engine/mdb/TableWriter.h"
#include "engine/values/Clock.h"

namespace telvarn::mdb {
namespace {

// ---- The header page ----

constexpr size_t kEncodedAt = 0x18;
constexpr size_t kEncodedLength = 128;
constexpr uint8_t kHeaderKey[] = {0xC7, 0xDA, 0x39, 0x6B};
constexpr uint16_t kWindows1252 = 1252;
constexpr uint32_t kGeneralSortOrder = 0x0409;
// The engine build that writes the file (4.0.8618, the last service pack).
constexpr uint16_t kEngineBuild = 8618;
constexpr size_t kPasswordAt = 0x42;
constexpr size_t kPasswordLength = 40;
constexpr size_t kCreatedAt = 0x72;
constexpr size_t kCommitCountsAt = 0xE00;

Page plainHeader(double created) {
  Page page(kPageSize, 0);
  putLittle(page.data(), 0x00000100, 4);
  std::memcpy(page.data() + 4, "Standard Jet DB", 16);
  putLittle(page.data() + 0x14, 1, 4);  // version 4 of the format
  const uint32_t fixedWords[] = {0x00000100, 0x00000101, 2, 3, 4, 5};
  for (size_t i = 0; i < std::size(fixedWords); ++i)
    putLittle(page.data() + 0x18 + 4 * i, fixedWords[i], 4);
  putLittle(page.data() + 0x3C, kWindows1252, 2);
  // An empty password is stored as the mask the creation date gives: bytes
  // 1 and 2 of the date as a single-precision number, the second with its
  // top bit flipped, in every four bytes.
  const auto date = static_cast<float>(created);
  uint8_t mask[4];
  std::memcpy(mask, &date, sizeof mask);
  for (size_t at = 0; at < kPasswordLength; at += 4) {
    page[kPasswordAt + at] = mask[1];
    page[kPasswordAt + at + 1] = static_cast<uint8_t>(mask[2] ^ 0x80);
  }
  putLittle(page.data() + 0x6A, kEngineBuild, 2);
  putLittle(page.data() + 0x6E, kGeneralSortOrder, 4);
  uint64_t bits;
  std::memcpy(&bits, &created, sizeof bits);
  putLittle(page.data() + kCreatedAt, bits, 8);
  putLittle(page.data() + 0x98, 0x0654, 4);
  std::memcpy(page.data() + 0x9C, "4.0", 4);
  // A count per page-lock slot; a new file's are all at their start.
  putLittle(page.data() + kCommitCountsAt, 0x0101, 2);
  for (size_t at = kCommitCountsAt + 2; at < kPageSize; at += 2) putLittle(page.data() + at, 0x0100, 2);
  return page;
}

// ---- The system tables ----

struct SystemColumn {
  const char* name;
  uint8_t type;
  uint16_t length;
  uint8_t flags;
};

struct SystemIndex {
  const char* name;
  std::vector<uint16_t> columns;  // by number
  uint8_t flags;
  bool primary;
};

struct SystemTable {
  const char* name;
  std::vector<SystemColumn> columns;  // in number order
  std::vector<SystemIndex> indexes;   // in number order
};

// The flags of system columns: every one may hold Null and is marked as
// the engine's own.
constexpr uint8_t kFixed = 0x13;
constexpr uint8_t kVariable = 0x12;
constexpr uint8_t kOwnerColumn = 0x32;
constexpr uint8_t kTreeFlag = 0x80;  // set in the flags of every index tree

const std::vector<SystemTable>& systemTables() {
  static const std::vector<SystemTable> tables = {
      {"MSysObjects",
       {{"Id", ColumnType::Long, 4, kFixed},
        {"ParentId", ColumnType::Long, 4, kFixed},
        {"Name", ColumnType::Text, 510, kVariable},
        {"Type", ColumnType::Integer, 2, kFixed},
        {"DateCreate", ColumnType::DateTime, 8, kFixed},
        {"DateUpdate", ColumnType::DateTime, 8, kFixed},
        {"Owner", ColumnType::Binary, 510, kOwnerColumn},
        {"Flags", ColumnType::Long, 4, kFixed},
        {"Database", ColumnType::Memo, 0, kVariable},
        {"Connect", ColumnType::Memo, 0, kVariable},
        {"ForeignName", ColumnType::Text, 510, kVariable},
        {"RmtInfoShort", ColumnType::Binary, 510, kVariable},
        {"RmtInfoLong", ColumnType::Ole, 0, kVariable},
        {"Lv", ColumnType::Ole, 0, kVariable},
        {"LvProp", ColumnType::Ole, 0, kVariable},
        {"LvModule", ColumnType::Ole, 0, kVariable},
        {"LvExtra", ColumnType::Ole, 0, kVariable}},
       {{"ParentIdName", {1, 2}, kTreeFlag | IndexFlag::Unique, false},
        {"Id", {0}, kTreeFlag | IndexFlag::Unique, true}}},
      {"MSysACEs",
       {{"ObjectId", ColumnType::Long, 4, kFixed},
        {"SID", ColumnType::Binary, 510, kOwnerColumn},
        {"ACM", ColumnType::Long, 4, kFixed},
        {"FInheritable", ColumnType::Boolean, 1, kFixed}},
       {{"ObjectId", {0}, kTreeFlag | IndexFlag::Required, false}}},
      {"MSysQueries",
       {{"ObjectId", ColumnType::Long, 4, kFixed},
        {"Attribute", ColumnType::Byte, 1, kFixed},
        {"Order", ColumnType::Binary, 510, kVariable},
        {"Name1", ColumnType::Text, 510, kVariable},
        {"Name2", ColumnType::Text, 510, kVariable},
        {"Expression", ColumnType::Memo, 0, kVariable},
        {"Flag", ColumnType::Integer, 2, kFixed},
        {"LvExtra", ColumnType::Long, 4, kFixed}},
       {{"ObjectIdAttribute", {0, 1, 2}, kTreeFlag | IndexFlag::Unique, true}}},
      {"MSysRelationships",
       {{"szRelationship", ColumnType::Text, 510, kVariable},
        {"grbit", ColumnType::Long, 4, kFixed},
        {"ccolumn", ColumnType::Long, 4, kFixed},
        {"icolumn", ColumnType::Long, 4, kFixed},
        {"szObject", ColumnType::Text, 510, kVariable},
        {"szColumn", ColumnType::Text, 510, kVariable},
        {"szReferencedObject", ColumnType::Text, 510, kVariable},
        {"szReferencedColumn", ColumnType::Text, 510, kVariable}},
       {{"szRelationship", {0}, kTreeFlag | IndexFlag::IgnoreNulls, false},
        {"szObject", {4}, kTreeFlag | IndexFlag::IgnoreNulls, false},
        {"szReferencedObject", {6}, kTreeFlag | IndexFlag::IgnoreNulls, false}}},
  };
  return tables;
}

// The system table's definition: columns placed in number order, then
// listed by name, as the engine lists the columns of its own tables.
TableDefinition systemDefinition(const SystemTable& system) {
  TableDefinition table;
  table.system = true;
  for (const SystemColumn& given : system.columns) {
    ColumnDef column;
    column.name = given.name;
    column.type = given.type;
    column.length = given.length;
    column.flags = given.flags;
    column.sortOrder = 0x0409;
    placeColumn(table, std::move(column));
  }
  for (ColumnDef& column : table.columns) column.ordinal = 0;
  std::stable_sort(table.columns.begin(), table.columns.end(),
                   [](const ColumnDef& a, const ColumnDef& b) {
                     return compareGeneral(a.name, b.name) < 0;
                   });
  for (size_t i = 0; i < system.indexes.size(); ++i) {
    const SystemIndex& given = system.indexes[i];
    PhysicalIndex tree;
    for (const uint16_t number : given.columns) tree.columns.push_back({number, false});
    tree.flags = given.flags;
    table.physicalIndexes.push_back(tree);
    LogicalIndex logical;
    logical.name = given.name;
    logical.number = static_cast<int32_t>(i);
    logical.physical = static_cast<int32_t>(i);
    logical.kind = given.primary ? 1 : 0;
    table.logicalIndexes.push_back(logical);
  }
  return table;
}

// ---- The catalog's rows and the permissions ----

// The engine's default accounts, as security ids: the owner of what it
// makes, and three more its permissions name.
const std::string kOwner = "\x65\x89";
const std::string kDatabaseOwner = "\x64\x8B";
const std::string kAdmins = "\x65\x8E";
const std::string kUsers = "\x65\x8B";

struct Permission {
  int32_t object;
  const std::string* account;
  int32_t rights;
  bool inheritable;
};

// The system tables' ids: their definitions' pages.
enum : int32_t { kObjects = 2, kAces = 3, kQueries = 4, kRelationships = 5 };

void addPermissions(PageFile& file) {
  const Permission permissions[] = {
      {kObjects, &kDatabaseOwner, 393216, false},
      {kAces, &kDatabaseOwner, 393216, false},
      {kQueries, &kDatabaseOwner, 393216, false},
      {kRelationships, &kDatabaseOwner, 917504, false},
      {CatalogId::Tables, &kAdmins, 983294, true},
      {CatalogId::Tables, &kDatabaseOwner, 393217, false},
      {CatalogId::Relationships, &kAdmins, 983294, true},
      {CatalogId::Relationships, &kDatabaseOwner, 393217, false},
      {CatalogId::Databases, &kDatabaseOwner, 393216, false},
      {CatalogId::Database, &kDatabaseOwner, 393230, false},
      {CatalogId::Database, &kUsers, 14, false},
      {kQueries, &kUsers, 20, false},
      {kRelationships, &kUsers, 20, false},
      {kObjects, &kUsers, 20, false},
      {CatalogId::Tables, &kUsers, 1048319, true},
      {CatalogId::Relationships, &kUsers, 1048575, true},
  };
  TableWriter aces(file, kAces);
  const TableDefinition& table = aces.definition();
  for (const Permission& permission : permissions) {
    std::vector<Variant> values(table.columns.size());
    for (size_t i = 0; i < table.columns.size(); ++i) {
      const std::string& name = table.columns[i].name;
      if (name == "ObjectId") values[i] = Variant(int64_t{permission.object});
      if (name == "SID") values[i] = Variant(*permission.account);
      if (name == "ACM") values[i] = Variant(permission.rights);
      if (name == "FInheritable") values[i] = Variant(permission.inheritable);
    }
    aces.insert(std::move(values));
  }
}

CatalogRow systemRow(int32_t id, int32_t parent, const char* name, int type,
                     const std::string& owner) {
  CatalogRow row;
  row.id = id;
  row.parentId = parent;
  row.name = name;
  row.type = type;
  row.flags = ObjectFlag::System;
  row.owner = owner;
  return row;
}

void addCatalogRows(PageFile& file, const std::vector<uint32_t>& tablePages) {
  CatalogWriter catalog(file);
  catalog.add(systemRow(CatalogId::Tables, CatalogId::Root, "Tables", ObjectType::Container, kOwner));
  catalog.add(
      systemRow(CatalogId::Databases, CatalogId::Root, "Databases", ObjectType::Container, kOwner));
  catalog.add(systemRow(CatalogId::Relationships, CatalogId::Root, "Relationships",
                        ObjectType::Container, kOwner));
  catalog.add(systemRow(CatalogId::Database, CatalogId::Databases, "MSysDb", ObjectType::Database,
                        kDatabaseOwner));
  const std::vector<SystemTable>& tables = systemTables();
  for (size_t i = 0; i < tables.size(); ++i) {
    catalog.add(systemRow(static_cast<int32_t>(tablePages[i]), CatalogId::Tables, tables[i].name,
                          ObjectType::Table, kOwner));
  }
}

void build(PageFile& file) {
  PageTransaction creation(file);
  // Page 1: the map of free pages (every page past the first three, which
  // are not there yet) and a second map the engine keeps empty.
  Page maps = newRecordPage(kPageSize, 1);
  std::vector<uint8_t> free(69, 0);
  for (uint32_t page = 3; page < 512; ++page) free[5 + page / 8] |= static_cast<uint8_t>(1u << (page % 8));
  addRecord(maps, free);
  addRecord(maps, std::vector<uint8_t>(69, 0));
  file.writePage(file.appendPage(), std::move(maps));
  // The definitions take pages 2 to 5, the tables' ids.
  std::vector<uint32_t> pages = {file.appendPage()};
  while (pages.size() < systemTables().size()) pages.push_back(allocatePage(file));
  uint32_t nearMap = 0;
  for (size_t i = 0; i < pages.size(); ++i) {
    TableDefinition table = systemDefinition(systemTables()[i]);
    table.page = pages[i];
    newTableStorage(file, table, {nearMap});
    nearMap = table.usedPages;
  }
  addCatalogRows(file, pages);
  addPermissions(file);
  creation.commit();
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

}  // namespace

Page headerPage(double created) {
  Page page = plainHeader(created);
  rc4(kHeaderKey, sizeof kHeaderKey, page.data() + kEncodedAt, kEncodedLength);
  return page;
}

void createEmptyFile(const std::string& path, Disk& disk) {
  if (disk.exists(path)) throw engineError(3204);
  if (!disk.exists(folderOf(path))) throw engineError(3044, {folderOf(path)});
  try {
    {
      const std::unique_ptr<DiskFile> created = disk.open(path, OpenMode::Create);
      const Page header = headerPage(values::systemClock().now());
      created->write(0, header.data(), header.size());
      created->sync();
    }
    PageFile file(path, kPageSize, disk);
    build(file);
  } catch (const AppError&) {
    disk.remove(path);
    throw;
  }
}

}  // namespace telvarn::mdb
