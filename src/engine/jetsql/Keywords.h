// The words of the dialect that a bare name may not be, and its type names.
#pragma once

#include <optional>
#include <string_view>

namespace telvarn::jetsql {

// Statement, clause and operator words: a name spelt like one must be
// written in brackets.
bool isReservedWord(std::string_view word);

struct TypeName {
  enum class Length { None, Text, Binary, Counter };
  int type = 0;
  Length length = Length::None;  // what a "(...)" after the name may hold
};

// A type name of a field definition, in any letter case.
std::optional<TypeName> findTypeName(std::string_view word);

}  // namespace telvarn::jetsql
