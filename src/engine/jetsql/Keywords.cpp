#include "engine/jetsql/Keywords.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "engine/DataType.h"
#include "engine/jetsql/Lexer.h"

namespace telvarn::jetsql {
namespace {

std::string upper(std::string_view word) {
  std::string out(word);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

struct NamedType {
  std::string_view name;
  TypeName type;
};

using L = TypeName::Length;

// Names from the ANSI-89 list of the desktop engine plus the ANSI-92 names
// scripts commonly borrow (NCHAR, NTEXT, TINYINT, UNIQUEIDENTIFIER, IMAGE).
// DECIMAL, NUMERIC and TIMESTAMP are not types in this mode.
constexpr NamedType kTypes[] = {
    {"TEXT", {DataType::Text, L::Text}},
    {"ALPHANUMERIC", {DataType::Text, L::Text}},
    {"CHAR", {DataType::Text, L::Text}},
    {"CHARACTER", {DataType::Text, L::Text}},
    {"STRING", {DataType::Text, L::Text}},
    {"VARCHAR", {DataType::Text, L::Text}},
    {"NCHAR", {DataType::Text, L::Text}},
    {"MEMO", {DataType::Memo, L::None}},
    {"LONGTEXT", {DataType::Memo, L::None}},
    {"LONGCHAR", {DataType::Memo, L::None}},
    {"NOTE", {DataType::Memo, L::None}},
    {"NTEXT", {DataType::Memo, L::None}},
    {"BYTE", {DataType::Byte, L::None}},
    {"INTEGER1", {DataType::Byte, L::None}},
    {"TINYINT", {DataType::Byte, L::None}},
    {"SHORT", {DataType::Integer, L::None}},
    {"SMALLINT", {DataType::Integer, L::None}},
    {"INTEGER2", {DataType::Integer, L::None}},
    {"LONG", {DataType::Long, L::None}},
    {"INTEGER", {DataType::Long, L::None}},
    {"INT", {DataType::Long, L::None}},
    {"INTEGER4", {DataType::Long, L::None}},
    {"SINGLE", {DataType::Single, L::None}},
    {"REAL", {DataType::Single, L::None}},
    {"FLOAT4", {DataType::Single, L::None}},
    {"IEEESINGLE", {DataType::Single, L::None}},
    {"DOUBLE", {DataType::Double, L::None}},
    {"FLOAT", {DataType::Double, L::None}},
    {"FLOAT8", {DataType::Double, L::None}},
    {"IEEEDOUBLE", {DataType::Double, L::None}},
    {"NUMBER", {DataType::Double, L::None}},
    {"CURRENCY", {DataType::Currency, L::None}},
    {"MONEY", {DataType::Currency, L::None}},
    {"DATETIME", {DataType::Date, L::None}},
    {"DATE", {DataType::Date, L::None}},
    {"TIME", {DataType::Date, L::None}},
    {"BIT", {DataType::Boolean, L::None}},
    {"YESNO", {DataType::Boolean, L::None}},
    {"LOGICAL", {DataType::Boolean, L::None}},
    {"LOGICAL1", {DataType::Boolean, L::None}},
    {"BOOLEAN", {DataType::Boolean, L::None}},
    {"COUNTER", {DataType::Long, L::Counter}},
    {"AUTOINCREMENT", {DataType::Long, L::Counter}},
    {"GUID", {DataType::Guid, L::None}},
    {"UNIQUEIDENTIFIER", {DataType::Guid, L::None}},
    {"BINARY", {DataType::Binary, L::Binary}},
    {"VARBINARY", {DataType::Binary, L::Binary}},
    {"LONGBINARY", {DataType::LongBinary, L::None}},
    {"GENERAL", {DataType::LongBinary, L::None}},
    {"OLEOBJECT", {DataType::LongBinary, L::None}},
    {"IMAGE", {DataType::LongBinary, L::None}},
};

constexpr std::string_view kReserved[] = {
    "ADD",    "ALL",    "ALTER",      "AND",        "ANY",     "AS",        "BETWEEN",
    "BY",     "COLUMN", "CONSTRAINT", "CREATE",     "DELETE",  "DISTINCT",  "DISTINCTROW",
    "DROP",   "EQV",    "EXISTS",     "FALSE",      "FOREIGN", "FROM",      "GROUP",
    "HAVING", "IMP",    "IN",         "INDEX",      "INNER",   "INSERT",    "INTO",
    "IS",     "JOIN",   "LIKE",       "MOD",        "NOT",     "NULL",      "ON",
    "OR",     "ORDER",  "OUTER",      "PARAMETERS", "PIVOT",   "PRIMARY",   "REFERENCES",
    "SELECT", "SET",    "SOME",       "TABLE",      "TOP",     "TRANSFORM", "TRUE",
    "UNION",  "UNIQUE", "UPDATE",     "VALUES",     "WHERE",   "WITH",      "XOR",
};

}  // namespace

bool isReservedWord(std::string_view word) {
  const std::string key = upper(word);
  return std::find(std::begin(kReserved), std::end(kReserved), key) != std::end(kReserved);
}

std::optional<TypeName> findTypeName(std::string_view word) {
  for (const auto& entry : kTypes) {
    if (sameWord(entry.name, word)) return entry.type;
  }
  return std::nullopt;
}

}  // namespace telvarn::jetsql
