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

// The subtype a call yields, as far as its arguments' subtypes tell (a
// Null argument may make any of them Null).
enum class Yields {
  Kind,      // the entry's `kind`
  Argument,  // the first argument's (CVar)
  Kept,      // the first argument's as Abs, Int, Fix and Round keep it
};

struct FunctionEntry {
  std::string_view name;  // as the dialect spells it
  int minArguments;
  int maxArguments;
  bool deterministic;  // false for Date, Time and Now
  Yields yields;
  Variant::Kind kind;  // for Yields::Kind
  // Called with minArguments..maxArguments values; the optional ones left
  // out take the function's defaults. Raises the function's errors.
  Variant (*call)(std::span<const Variant> arguments, const Clock& clock);
};

// The function of that name in any letter case; nullptr when the dialect
// has none (the engine's 3085).
const FunctionEntry* functionNamed(std::string_view name);

std::span<const FunctionEntry> allFunctions();

// The subtype a call of `function` yields for arguments of these subtypes
// (as many as the call gives).
Variant::Kind resultKind(const FunctionEntry& function, std::span<const Variant::Kind> arguments);

}  // namespace telvarn::values
