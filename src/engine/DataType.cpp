#include "engine/DataType.h"

namespace telvarn {

bool isFieldType(int type) {
  return (type >= DataType::Boolean && type <= DataType::Memo) || type == DataType::Guid;
}

int storedSize(int type, int requestedSize) {
  switch (type) {
    case DataType::Boolean:
    case DataType::Byte:
      return 1;
    case DataType::Integer:
      return 2;
    case DataType::Long:
    case DataType::Single:
      return 4;
    case DataType::Currency:
    case DataType::Double:
    case DataType::Date:
      return 8;
    case DataType::Guid:
      return 16;
    case DataType::Text:
    case DataType::Binary:
      return requestedSize > 0 ? requestedSize : 255;
    default:
      return 0;
  }
}

std::string storageDeclaration(int type) {
  switch (type) {
    case DataType::Boolean:
    case DataType::Byte:
    case DataType::Integer:
    case DataType::Long:
      return "INTEGER";
    case DataType::Currency:
      return "NUMERIC";
    case DataType::Single:
    case DataType::Double:
      return "REAL";
    case DataType::Date:
      return "DATETIME";
    case DataType::Binary:
    case DataType::LongBinary:
      return "BLOB";
    default:
      return "TEXT COLLATE NOCASE";
  }
}

bool isTextType(int type) {
  return type == DataType::Text || type == DataType::Memo;
}

}  // namespace telvarn
