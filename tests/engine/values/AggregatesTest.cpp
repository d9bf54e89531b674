// The aggregates' value rules over a group, and the function table the
// translator reads.
#include "engine/values/Aggregates.h"
#include "engine/values/FunctionTable.h"

#include <cmath>
#include <vector>

#include "engine/values/ValueTesting.h"

namespace telvarn::values {
namespace {

Variant over(AggregateKind kind, const std::vector<Variant>& values) {
  Aggregate aggregate(kind);
  for (const Variant& value : values) aggregate.add(value);
  return aggregate.result();
}

const Variant kNull = Variant::null();

TEST(Aggregates, SumAndAvgKeepCurrencyExact) {
  const std::vector<Variant> tenths(10, Variant::fromCurrency(1000));
  EXPECT_EQ(over(AggregateKind::Sum, tenths), Variant::fromCurrency(10000));
  EXPECT_EQ(over(AggregateKind::Avg, tenths), Variant::fromCurrency(1000));
  EXPECT_EQ(over(AggregateKind::Avg, {Variant::fromCurrency(1), Variant::fromCurrency(2)}),
            Variant::fromCurrency(2));  // 1.5 ten-thousandths, to even
  EXPECT_EQ(over(AggregateKind::Sum, {Variant(1), kNull, Variant(2)}), Variant::fromLong(3));
  EXPECT_EQ(over(AggregateKind::Sum, {Variant::fromLong(INT32_MAX), Variant(1)}),
            Variant(2147483648.0));
  EXPECT_EQ(over(AggregateKind::Sum, {Variant(true), Variant(true)}), Variant::fromShort(-2));
  EXPECT_EQ(over(AggregateKind::Sum, {Variant("1.5"), Variant(1)}), Variant(2.5));
  EXPECT_EQ(over(AggregateKind::Avg, {Variant(1), Variant(2)}), Variant(1.5));
  EXPECT_EQ(over(AggregateKind::Sum, {kNull, kNull}), kNull);
  EXPECT_EQ(over(AggregateKind::Avg, {}), kNull);
  EXPECT_EQ(test::errorOf([] { over(AggregateKind::Sum, {Variant("abc")}); }), 13);
}

TEST(Aggregates, CountMinMaxFirstLast) {
  const std::vector<Variant> values{kNull, Variant("b"), Variant("A"), Variant("C"), kNull};
  EXPECT_EQ(over(AggregateKind::Count, values), Variant::fromLong(3));
  EXPECT_EQ(over(AggregateKind::Count, {}), Variant::fromLong(0));
  EXPECT_EQ(over(AggregateKind::Min, values), Variant("A"));
  EXPECT_EQ(over(AggregateKind::Max, values), Variant("C"));
  EXPECT_EQ(over(AggregateKind::Max, {Variant::fromDate(2), Variant::fromDate(45365)}),
            Variant::fromDate(45365));
  EXPECT_EQ(over(AggregateKind::First, values), kNull);
  EXPECT_EQ(over(AggregateKind::Last, values), kNull);
  EXPECT_EQ(over(AggregateKind::First, {Variant(1), Variant(2)}), Variant(1));
  EXPECT_EQ(over(AggregateKind::Last, {Variant(1), Variant(2)}), Variant(2));
  EXPECT_EQ(over(AggregateKind::Min, {kNull}), kNull);
  EXPECT_EQ(test::errorOf([] { over(AggregateKind::Min, {Variant(1), Variant("a")}); }), 13);
}

TEST(Aggregates, SpreadsOfSampleAndPopulation) {
  const std::vector<Variant> values{Variant(2), Variant(4), Variant(4), Variant(4),
                                    Variant(5), Variant(5), Variant(7), Variant(9)};
  EXPECT_EQ(over(AggregateKind::VarP, values), Variant(4.0));
  EXPECT_EQ(over(AggregateKind::StDevP, values), Variant(2.0));
  EXPECT_EQ(over(AggregateKind::Var, values), Variant(32.0 / 7));
  EXPECT_EQ(over(AggregateKind::StDev, values), Variant(std::sqrt(32.0 / 7)));
  EXPECT_EQ(over(AggregateKind::StDev, {Variant(1)}), kNull);
  EXPECT_EQ(over(AggregateKind::StDevP, {Variant(1)}), Variant(0.0));
}

TEST(FunctionTable, FindsFunctionsByNameAndFillsDefaults) {
  const FunctionEntry* inStr = functionNamed("instr");
  ASSERT_NE(inStr, nullptr);
  EXPECT_EQ(inStr->minArguments, 2);
  EXPECT_EQ(inStr->maxArguments, 4);
  const std::vector<Variant> two{Variant("XXpXXP"), Variant("P")};
  EXPECT_EQ(inStr->call(two, systemClock()), Variant::fromLong(3));
  const std::vector<Variant> four{Variant(1), Variant("XXpXXP"), Variant("P"), Variant(0)};
  EXPECT_EQ(inStr->call(four, systemClock()), Variant::fromLong(6));
  EXPECT_FALSE(functionNamed("Now")->deterministic);
  EXPECT_EQ(functionNamed("IIf"), nullptr);
  EXPECT_EQ(functionNamed("NoSuchFunction"), nullptr);
  for (const FunctionEntry& entry : allFunctions()) {
    EXPECT_EQ(functionNamed(entry.name), &entry) << entry.name;
  }
}

}  // namespace
}  // namespace telvarn::values
