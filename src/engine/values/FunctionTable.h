// Every scalar function of the dialect by its name, with its argument
// counts, for the translator to register and call. IIf, Switch and Choose
// are not here: they evaluate only the branch they need, which is the
// translator's. The aggregates are in Aggregates.h.
#pragma once

#include <span>
#include <string_view>

#include "engine/Variant.h"
#include "engine/values/Clock.h"

namespace telvarn::values {

struct FunctionEntry {
  std::string_view name;  // as the dialect spells it
  int minArguments;
  int maxArguments;
  bool deterministic;  // false for Date, Time and Now
  // Called with minArguments..maxArguments values; the optional ones left
  // out take the function's defaults. Raises the function's errors.
  Variant (*call)(std::span<const Variant> arguments, const Clock& clock);
};

// The function of that name in any letter case; nullptr when the dialect
// has none (the engine's 3085).
const FunctionEntry* functionNamed(std::string_view name);

std::span<const FunctionEntry> allFunctions();

}  // namespace telvarn::values
