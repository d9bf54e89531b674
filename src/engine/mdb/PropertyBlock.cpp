#include "engine/mdb/PropertyBlock.h"

#include <cstring>

#include "engine/DataType.h"
#include "engine/mdb/FixedValue.h"
#include "engine/mdb/TableDefinition.h"
#include "engine/mdb/TextCodec.h"

namespace telvarn::mdb {
namespace {

constexpr uint16_t kNamesChunk = 0x80;
constexpr uint16_t kObjectChunk = 0x00;

std::vector<std::string> readNames(ByteView chunk) {
  std::vector<std::string> names;
  for (size_t at = 0; at + 2 <= chunk.size();) {
    const uint16_t length = chunk.u16(at);
    names.push_back(decodeText(chunk.sub(at + 2, length)));
    at += 2u + length;
  }
  return names;
}

PropertySet readSet(ByteView chunk, uint16_t type, const std::vector<std::string>& names) {
  PropertySet set;
  set.forObject = type == kObjectChunk;
  const uint32_t headerLength = chunk.u32(0);
  set.objectName = decodeText(chunk.sub(6, chunk.u16(4)));
  for (size_t at = headerLength; at + 8 <= chunk.size();) {
    const uint16_t length = chunk.u16(at);
    if (length < 8) damaged("a property entry too short");
    StoredProperty property;
    property.ddl = chunk.u8(at + 2) != 0;
    property.type = chunk.u8(at + 3);
    const uint16_t nameIndex = chunk.u16(at + 4);
    if (nameIndex >= names.size()) damaged("a property whose name is not listed");
    property.name = names[nameIndex];
    property.value = propertyValue(property.type, chunk.sub(at + 8, chunk.u16(at + 6)));
    set.properties.push_back(std::move(property));
    at += length;
  }
  return set;
}

}  // namespace

Variant propertyValue(int type, ByteView bytes) {
  switch (type) {
    case DataType::Boolean:
      return Variant(bytes.size() > 0 && bytes.u8(0) != 0);
    case DataType::Text:
    case DataType::Memo:
      return Variant(decodeText(bytes));
    case DataType::Guid:
      if (bytes.size() == 16) return Variant(guidText(bytes));
      break;
    default: {
      ColumnDef column;
      column.type = static_cast<uint8_t>(type);
      const size_t length = fixedLength(column);
      if (length != 0 && bytes.size() >= length) return fixedValue(column, bytes);
      break;
    }
  }
  return Variant(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::vector<PropertySet> readPropertyBlock(ByteView bytes) {
  std::vector<PropertySet> sets;
  if (bytes.size() == 0) return sets;
  if (bytes.size() < 4 || std::memcmp(bytes.data(), "MR2", 4) != 0) {
    damaged("a property block without its mark");
  }
  std::vector<std::string> names;
  for (size_t at = 4; at + 6 <= bytes.size();) {
    const uint32_t length = bytes.u32(at);
    const uint16_t type = bytes.u16(at + 4);
    if (length < 6) damaged("a property chunk too short");
    const ByteView chunk = bytes.sub(at + 6, length - 6);
    if (type == kNamesChunk) {
      names = readNames(chunk);
    } else {
      sets.push_back(readSet(chunk, type, names));
    }
    at += length;
  }
  return sets;
}

}  // namespace telvarn::mdb
