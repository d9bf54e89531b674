// What the translator needs to know of function names beyond the value
// library's table (values/FunctionTable.h): the aggregates, and the
// functions written without parentheses.
#pragma once

#include <optional>
#include <string_view>

#include "engine/values/Aggregates.h"

namespace telvarn::sqlite {

// The aggregate of that name in any letter case (Count, Sum, Avg, Min,
// Max, First, Last, StDev, StDevP, Var, VarP).
std::optional<values::AggregateKind> aggregateNamed(std::string_view name);

// Whether a bare name, when no field has it, is a function called without
// parentheses (Date, Now, Time).
bool isBareFunction(std::string_view name);

}  // namespace telvarn::sqlite
