// The dialect's built-in functions (IIf, Nz, Left, Mid, Year, CLng, ...) as
// SQLite text, each from its arguments already translated. Like every
// translated expression, the text of each stands as one operand wherever it
// is put: a call, or a whole in parentheses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace telvarn::sqlite {

struct FunctionRule {
  std::string_view name;
  int minimumArguments;
  int maximumArguments;
  // nullptr for IIf, which the translator writes itself: a ladder of IIf is
  // one CASE.
  std::string (*build)(const std::vector<std::string>& arguments);
};

// The rule for a function name in any letter case; nullptr for a function
// the dialect does not have.
const FunctionRule* findFunction(std::string_view name);

// Whether a bare name, when no field has it, is a function called without
// parentheses (Date, Now, Time).
bool isBareFunction(std::string_view name);

}  // namespace telvarn::sqlite
