// The dialect's comparisons: =, <>, <, <=, >, >= give True, False or Null.
//
// Null on either side gives Null. Two texts compare in the text order
// (the General sort order); Empty is "" beside text and 0 beside a number. Numbers,
// Booleans and Dates compare as numbers (a date by its day number); a
// Currency against a Single or Double rounds the other to ten-thousandths,
// a Single against a Double rounds the Double to a Single. Text against a
// number or date is a type mismatch (13; 3464 in a query), whatever the
// text holds, as the engine refuses `NumberField = '12'`. Bytes compare
// byte by byte with bytes only.
#pragma once

#include <optional>

#include "engine/Variant.h"

namespace telvarn::values {

enum class Comparison { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

Variant compare(Comparison comparison, const Variant& a, const Variant& b);

// Negative, zero or positive as `a` is below, equal to or above `b`;
// nullopt when either is Null. The order Min, Max and sorting use.
std::optional<int> order(const Variant& a, const Variant& b);

}  // namespace telvarn::values
