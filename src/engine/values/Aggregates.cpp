#include "engine/values/Aggregates.h"

#include <cmath>

#include "engine/values/Arithmetic.h"
#include "engine/values/Comparison.h"
#include "engine/values/Convert.h"
#include "engine/values/NumberForms.h"

namespace telvarn::values {

Variant::Kind resultKind(AggregateKind aggregate, Variant::Kind kind) {
  using Kind = Variant::Kind;
  switch (aggregate) {
    case AggregateKind::Count:
      return Kind::Long;
    case AggregateKind::Min:
    case AggregateKind::Max:
    case AggregateKind::First:
    case AggregateKind::Last:
      return kind;
    case AggregateKind::Sum: {
      if (kind == Kind::Null) return kind;
      const Kind number = kind == Kind::Text ? Kind::Double : kind;
      return resultKind(Operator::Add, resultKind(Operator::Subtract, number, Kind::Empty), number);
    }
    case AggregateKind::Avg:
      return kind == Kind::Currency || kind == Kind::Null ? kind : Kind::Double;
    default:
      return Kind::Double;
  }
}

void Aggregate::add(const Variant& value) {
  ++rows_;
  if (kind_ == AggregateKind::Last || (kind_ == AggregateKind::First && rows_ == 1)) {
    kept_ = value;
    return;
  }
  if (value.isNull() || kind_ == AggregateKind::First) return;
  ++count_;
  switch (kind_) {
    case AggregateKind::Sum:
    case AggregateKind::Avg: {
      const Variant number =
          value.kind() == Variant::Kind::Text ? Variant(numberOfText(value.textValue())) : value;
      allCurrency_ &= number.kind() == Variant::Kind::Currency;
      // The first value minus nothing: itself, a Boolean as an Integer.
      kept_ = count_ == 1 ? subtract(number, Variant()) : values::add(kept_, number);
      break;
    }
    case AggregateKind::Min:
    case AggregateKind::Max: {
      if (count_ == 1) {
        kept_ = value;
        break;
      }
      const int sign = *order(value, kept_);
      if (kind_ == AggregateKind::Min ? sign < 0 : sign > 0) kept_ = value;
      break;
    }
    case AggregateKind::Count:
      break;
    default: {  // the spreads
      const double x = toDouble(value);
      const double delta = x - mean_;
      mean_ += delta / static_cast<double>(count_);
      squares_ += delta * (x - mean_);
    }
  }
}

Variant Aggregate::result() const {
  switch (kind_) {
    case AggregateKind::Count:
      return Variant::fromLong(static_cast<int32_t>(count_));
    case AggregateKind::First:
    case AggregateKind::Last:
      return rows_ == 0 ? Variant::null() : kept_;
    default:
      break;
  }
  if (count_ == 0) return Variant::null();
  switch (kind_) {
    case AggregateKind::Sum:
    case AggregateKind::Min:
    case AggregateKind::Max:
      return kept_;
    case AggregateKind::Avg: {
      if (!allCurrency_) return Variant(toDouble(kept_) / static_cast<double>(count_));
      const __int128 units = kept_.currencyUnits();
      __int128 quotient = units / count_;
      const __int128 rest = units % count_;
      const __int128 twice = 2 * (rest < 0 ? -rest : rest);
      if (twice > count_ || (twice == count_ && quotient % 2 != 0)) quotient += units < 0 ? -1 : 1;
      return Variant::fromCurrency(static_cast<int64_t>(quotient));
    }
    default: {
      const bool population = kind_ == AggregateKind::StDevP || kind_ == AggregateKind::VarP;
      if (!population && count_ < 2) return Variant::null();
      const double variance = squares_ / static_cast<double>(count_ - (population ? 0 : 1));
      const bool deviation = kind_ == AggregateKind::StDev || kind_ == AggregateKind::StDevP;
      return Variant(deviation ? std::sqrt(variance) : variance);
    }
  }
}

}  // namespace telvarn::values
