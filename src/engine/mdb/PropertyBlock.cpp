#include "engine/mdb/PropertyBlock.h"

#include <cstdint>
#include <cstring>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/mdb/FixedValue.h"
#include "engine/mdb/StoredValue.h"
#include "engine/mdb/TableDefinition.h"
#include "engine/mdb/TextCodec.h"

namespace telvarn::mdb {
namespace {

constexpr uint16_t kNamesChunk = 0x80;
constexpr uint16_t kObjectChunk = 0x00;
constexpr uint16_t kColumnChunk = 0x01;
constexpr size_t kChunkHeader = 6;
constexpr size_t kEntryHeader = 8;
constexpr size_t kWideValue = 4;

bool mayBeWide(int type) {
  return type == DataType::Boolean || type == DataType::Integer;
}

void appendUnits(std::vector<uint8_t>& out, const std::string& text) {
  for (const uint16_t unit : unitsFromUtf8(text)) appendLittle(out, unit, 2);
}

void appendChunk(std::vector<uint8_t>& out, uint16_t type, const std::vector<uint8_t>& body) {
  appendLittle(out, kChunkHeader + body.size(), 4);
  appendLittle(out, type, 2);
  out.insert(out.end(), body.begin(), body.end());
}

size_t nameIndex(std::vector<std::string>& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return i;
  }
  names.push_back(name);
  return names.size() - 1;
}

std::vector<uint8_t> setChunk(const PropertySet& set, std::vector<std::string>& names) {
  std::vector<uint8_t> body;
  const std::vector<uint16_t> objectName = unitsFromUtf8(set.objectName);
  appendLittle(body, kChunkHeader + 2 * objectName.size(), 4);
  appendLittle(body, 2 * objectName.size(), 2);
  appendUnits(body, set.objectName);
  for (const StoredProperty& property : set.properties) {
    const std::vector<uint8_t> value = propertyBytes(property.type, property.value, property.width);
    appendLittle(body, kEntryHeader + value.size(), 2);
    body.push_back(property.flags);
    body.push_back(static_cast<uint8_t>(property.type));
    appendLittle(body, nameIndex(names, property.name), 2);
    appendLittle(body, value.size(), 2);
    body.insert(body.end(), value.begin(), value.end());
  }
  return body;
}

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
    property.flags = chunk.u8(at + 2);
    property.type = chunk.u8(at + 3);
    const uint16_t nameIndex = chunk.u16(at + 4);
    if (nameIndex >= names.size()) damaged("a property whose name is not listed");
    property.name = names[nameIndex];
    const uint16_t size = chunk.u16(at + 6);
    property.value = propertyValue(property.type, chunk.sub(at + 8, size));
    if (mayBeWide(property.type) && size == kWideValue) property.width = kWideValue;
    set.properties.push_back(std::move(property));
    at += length;
  }
  return set;
}

// Calls `visit` with each chunk's type and body.
template <typename Visit>
void forEachChunk(ByteView bytes, Visit visit) {
  if (bytes.size() == 0) return;
  if (bytes.size() < 4 || std::memcmp(bytes.data(), "MR2", 4) != 0) {
    damaged("a property block without its mark");
  }
  for (size_t at = 4; at + 6 <= bytes.size();) {
    const uint32_t length = bytes.u32(at);
    if (length < 6) damaged("a property chunk too short");
    visit(bytes.u16(at + 4), bytes.sub(at + 6, length - 6));
    at += length;
  }
}

}  // namespace

Variant propertyValue(int type, ByteView bytes) {
  if (mayBeWide(type) && bytes.size() == kWideValue) {
    const int32_t number = bytes.i32(0);
    return type == DataType::Boolean ? Variant(number != 0) : Variant(int64_t{number});
  }
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

std::vector<uint8_t> propertyBytes(int type, const Variant& value, size_t width) {
  if (mayBeWide(type) && width == kWideValue) {
    const int64_t number =
        type == DataType::Boolean ? (value.toBoolean() ? 1 : 0) : value.toInteger();
    if (number < INT32_MIN || number > INT32_MAX) throw engineError(3421);
    std::vector<uint8_t> bytes;
    appendLittle(bytes, static_cast<uint32_t>(number), kWideValue);
    return bytes;
  }
  switch (type) {
    case DataType::Boolean:
      return {static_cast<uint8_t>(value.toBoolean() ? 1 : 0)};
    case DataType::Text:
    case DataType::Memo: {
      std::vector<uint8_t> bytes;
      appendUnits(bytes, value.toText());
      return bytes;
    }
    case DataType::Binary:
    case DataType::LongBinary: {
      const std::string bytes = value.isNull() ? std::string() : value.toText();
      return {bytes.begin(), bytes.end()};
    }
    default: {
      ColumnDef column;
      column.type = static_cast<uint8_t>(type);
      column.flags = ColumnFlag::Fixed;
      if (fixedLength(column) == 0) throw engineError(3421);
      return storedBytes(column, value);
    }
  }
}

std::vector<uint8_t> encodePropertyBlock(const std::vector<PropertySet>& sets,
                                         std::vector<std::string> names) {
  if (sets.empty() && names.empty()) return {};
  std::vector<std::vector<uint8_t>> chunks;
  for (const PropertySet& set : sets) chunks.push_back(setChunk(set, names));
  std::vector<uint8_t> nameList;
  for (const std::string& name : names) {
    appendLittle(nameList, 2 * unitsFromUtf8(name).size(), 2);
    appendUnits(nameList, name);
  }
  std::vector<uint8_t> out = {'M', 'R', '2', 0};
  appendChunk(out, kNamesChunk, nameList);
  for (size_t i = 0; i < sets.size(); ++i)
    appendChunk(out, sets[i].forObject ? kObjectChunk : kColumnChunk, chunks[i]);
  return out;
}

std::vector<PropertySet> readPropertyBlock(ByteView bytes) {
  std::vector<PropertySet> sets;
  std::vector<std::string> names;
  forEachChunk(bytes, [&](uint16_t type, ByteView chunk) {
    if (type == kNamesChunk) {
      names = readNames(chunk);
    } else {
      sets.push_back(readSet(chunk, type, names));
    }
  });
  return sets;
}

std::vector<std::string> propertyNames(ByteView bytes) {
  std::vector<std::string> names;
  forEachChunk(bytes, [&](uint16_t type, ByteView chunk) {
    if (type == kNamesChunk) names = readNames(chunk);
  });
  return names;
}

}  // namespace telvarn::mdb
