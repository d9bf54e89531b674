// Property blocks (the LvProp value of a catalog entry): a "MR2" mark, a
// chunk of property names, then one chunk per object, the first for the
// object itself (a table or query) and one for each column by name. Each
// property has a data type (the engine's type codes), a DDL flag and a value.
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

}  // namespace telvarn::mdb
