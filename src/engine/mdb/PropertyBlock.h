// Property blocks (the LvProp value of a catalog entry): a "MR2" mark, a
// chunk of property names, then one chunk per object, the first for the
// object itself (a table or query) and one for each column by name. Each
// property has a data type (the engine's type codes), flags (1: made by DDL,
// which users cannot delete; other bits kept as found) and a value.
// Names and texts are UTF-16; a Yes/No value is one byte, 1 or 0, and an
// Integer two, but the desktop program stores some of both (ColumnWidth,
// ColumnOrder, ListRows, HideNewField) in four bytes.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/mdb/ByteView.h"

namespace telvarn::mdb {

constexpr uint8_t kDdlProperty = 0x01;

struct StoredProperty {
  std::string name;
  int type = 0;
  uint8_t flags = 0;
  Variant value;
  // 4 for a Yes/No or Integer value stored in four bytes; 0 for one stored
  // as its type is.
  size_t width = 0;
};

struct PropertySet {
  std::string objectName;  // empty or the object's own name for the object itself
  bool forObject = false;
  std::vector<StoredProperty> properties;
};

// 3049 for a block that does not follow the format; an empty block has no
// sets.
std::vector<PropertySet> readPropertyBlock(ByteView bytes);

// The value of a property's stored bytes for its data type.
Variant propertyValue(int type, ByteView bytes);

// The names a block lists, in order. A block keeps the names of properties
// that are gone (of deleted or renamed fields) until it is made anew.
// 3049 as readPropertyBlock.
std::vector<std::string> propertyNames(ByteView bytes);

// The block holding `sets` (the object's own first, if any); empty when
// there are none and no names. Its list of names starts with `names` (a block's list
// when it is written back, so that an unchanged block stays byte for byte
// the same) and adds the names the sets need. 3421 for a value its type
// cannot hold.
std::vector<uint8_t> encodePropertyBlock(const std::vector<PropertySet>& sets,
                                         std::vector<std::string> names = {});

// The stored bytes of a property value of a data type (`width` as in
// StoredProperty). 3421 for a value the type cannot hold.
std::vector<uint8_t> propertyBytes(int type, const Variant& value, size_t width = 0);

}  // namespace telvarn::mdb
