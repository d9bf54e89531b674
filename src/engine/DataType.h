// The engine's data-type codes and what each means for a table field.
#pragma once

#include <string>

namespace telvarn {

namespace DataType {
enum : int {
  Boolean = 1,
  Byte = 2,
  Integer = 3,
  Long = 4,
  Currency = 5,
  Single = 6,
  Double = 7,
  Date = 8,
  Binary = 9,
  Text = 10,
  LongBinary = 11,
  Memo = 12,
  Guid = 15,
};
}  // namespace DataType

// Whether a table field may have this type; any other code is refused at the
// append with 3259.
bool isFieldType(int type);

// The size a field of this type reports once appended: fixed for numbers and
// dates, the requested length for Text and Binary (255 when none was given),
// 0 for Memo and OLE objects.
int storedSize(int type, int requestedSize);

// The column declaration used in the storage for this type, chosen so that
// any SQLite tool sees sensible affinities and text compares case-blind.
std::string storageDeclaration(int type);

// Whether values of this type are text (the only kind AllowZeroLength means
// anything for).
bool isTextType(int type);

}  // namespace telvarn
