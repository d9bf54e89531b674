// The value rules of the dialect's aggregates over the Variants of a group.
//
// Nulls are left out, except by First and Last, which give the value of the
// group's first and last row whatever it is. With no value left, Count is
// 0 and the others Null.
//   Sum    adds as + does (Longs widen, Currency stays exact; text is the
//          number it holds, 13 when none)
//   Avg    the sum over the count: a Currency when every value is a
//          Currency (halves to even at the ten-thousandth), else a Double
//   Count  the values that are not Null, a Long
//   Min, Max  by the dialect's order (Comparison.h), the value itself
//   StDev, Var    of a sample, from two values on; StDevP, VarP of the
//          population, from one value on; Doubles
#pragma once

#include <cstdint>

#include "engine/Variant.h"

namespace telvarn::values {

enum class AggregateKind { Sum, Avg, Count, Min, Max, StDev, StDevP, Var, VarP, First, Last };

// The subtype an aggregate of values of subtype `kind` yields, before the
// values are known (a Long sum may still widen to a Double).
Variant::Kind resultKind(AggregateKind aggregate, Variant::Kind kind);

class Aggregate {
 public:
  explicit Aggregate(AggregateKind kind) : kind_(kind) {}

  // Takes the next row's value; raises what the rules above raise.
  void add(const Variant& value);
  Variant result() const;

 private:
  AggregateKind kind_;
  int64_t rows_ = 0;       // every value, Null included
  int64_t count_ = 0;      // the values that are not Null
  bool allCurrency_ = true;
  Variant kept_;           // the sum, the extreme or the first/last value
  double mean_ = 0;        // Welford's running mean and squared distances
  double squares_ = 0;
};

}  // namespace telvarn::values
