// Property blocks (the LvProp value of a catalog entry): a "MR2" mark, a
// chunk of property names, then one chunk per object, the first for the
// object itself (a table or query) and one for each column by name. Each
// property has a data type (the engine's type codes), a DDL flag and a value.
// Names and texts are UTF-16; a Yes/No value is one byte, 1 or 0.
#pragma once

#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/mdb/ByteView.h"

namespace telvarn::mdb {

struct StoredProperty {
  std::string name;
  int type = 0;
  bool ddl = false;
  Variant value;
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

// The block holding `sets` (the object's own first, if any); empty when
// there are none. 3421 for a value its type cannot hold.
std::vector<uint8_t> encodePropertyBlock(const std::vector<PropertySet>& sets);

// The stored bytes of a property value of a data type.
std::vector<uint8_t> propertyBytes(int type, const Variant& value);

}  // namespace telvarn::mdb
