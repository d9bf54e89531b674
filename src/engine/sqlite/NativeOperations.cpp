#include "engine/sqlite/NativeOperations.h"

#include "engine/AppError.h"
#include "engine/values/Errors.h"

namespace telvarn::sqlite {
namespace {

using Kind = Variant::Kind;
using jetsql::Op;

bool isWhole(Kind kind) {
  return kind == Kind::Boolean || kind == Kind::Byte || kind == Kind::Short || kind == Kind::Long;
}

// Whole numbers, Doubles and Dates: numbers SQLite compares and adds as the
// dialect does.
bool isPlainNumber(Kind kind) {
  return isWhole(kind) || kind == Kind::Double || kind == Kind::Date;
}

}  // namespace

bool nativeArithmetic(Op op, Kind a, Kind b) {
  if (op != Op::Add && op != Op::Subtract && op != Op::Multiply) return false;
  if (a == Kind::Null || b == Kind::Null) return true;
  if (isWhole(a) && isWhole(b)) return true;
  const bool additive = op == Op::Add || op == Op::Subtract;
  if (a == Kind::Currency || b == Kind::Currency) {
    if (additive) return a == b;
    return op == Op::Multiply && (isWhole(a) || isWhole(b));
  }
  if (!isPlainNumber(a) || !isPlainNumber(b)) return false;
  if (a == Kind::Date || b == Kind::Date) return additive || op == Op::Multiply;
  return true;
}

bool nativeNegation(Kind a) {
  return isPlainNumber(a) || a == Kind::Currency || a == Kind::Null;
}

bool nativeComparison(Kind a, Kind b) {
  if (a == Kind::Null || b == Kind::Null) return true;
  if (a == Kind::Single || b == Kind::Single)
    return (a == Kind::Single || isWhole(a)) && (b == Kind::Single || isWhole(b));
  if (a == Kind::Currency || b == Kind::Currency) return a == b;
  if (isPlainNumber(a)) return isPlainNumber(b);
  return a == b;
}

void requireComparable(std::optional<Kind> a, std::optional<Kind> b) {
  if (!a || !b || *a == Kind::Null || *b == Kind::Null) return;
  const auto apart = [](Kind kind) { return kind == Kind::Text || kind == Kind::Binary; };
  if ((apart(*a) || apart(*b)) && *a != *b) throw engineError(values::kQueryTypeMismatch);
}

}  // namespace telvarn::sqlite
