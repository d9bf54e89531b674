#include "engine/jetsql/ConstantExpression.h"

#include <vector>

#include "engine/AppError.h"
#include "engine/jetsql/ExpressionParser.h"
#include "engine/jetsql/LikePattern.h"
#include "engine/values/Arithmetic.h"
#include "engine/values/Comparison.h"
#include "engine/values/Convert.h"
#include "engine/values/FunctionTable.h"

namespace telvarn::jetsql {
namespace {

using Kind = Variant::Kind;

// A test's answer as the engine gives it: -1, 0, or Null.
Variant truth(std::optional<bool> holds) {
  if (!holds) return Variant::null();
  return Variant::fromShort(*holds ? -1 : 0);
}

std::optional<bool> holds(const Variant& value) {
  if (value.isNull()) return std::nullopt;
  return value.toBoolean();
}

Variant step(Op op, const Variant& a, const Variant& b) {
  switch (op) {
    case Op::Add:
      return values::add(a, b);
    case Op::Subtract:
      return values::subtract(a, b);
    case Op::Multiply:
      return values::multiply(a, b);
    case Op::Divide:
      return values::divide(a, b);
    case Op::IntDivide:
      return values::integerDivide(a, b);
    case Op::Modulo:
      return values::modulo(a, b);
    case Op::Power:
      return values::power(a, b);
    case Op::Concat:
      return values::concatenate(a, b);
    case Op::Like:
      if (a.isNull() || b.isNull()) return Variant::null();
      return truth(likeMatches(values::toText(a), values::toText(b)));
    default: {
      if (op <= Op::GreaterEqual) return truth(holds(values::compare(comparisonOf(op), a, b)));
      const std::optional<bool> x = holds(a);
      const std::optional<bool> y = holds(b);
      if (op == Op::And && (x == false || y == false)) return truth(false);
      if (op == Op::Or && (x == true || y == true)) return truth(true);
      if (op == Op::Imp && (x == false || y == true)) return truth(true);
      if (!x || !y) return Variant::null();
      if (op == Op::Xor) return truth(*x != *y);
      if (op == Op::Eqv) return truth(*x == *y);
      return truth(op == Op::And ? *x && *y : op == Op::Or ? *x || *y : !*x || *y);
    }
  }
}

std::optional<Variant> call(const Expr& expr) {
  std::vector<Variant> arguments;
  for (const auto& operand : expr.operands) {
    const std::optional<Variant> value = constantValue(*operand);
    if (!value) return std::nullopt;
    arguments.push_back(*value);
  }
  if (sameWord(expr.text, "IIf") && arguments.size() == 3)
    return holds(arguments[0]).value_or(false) ? arguments[1] : arguments[2];
  const values::FunctionEntry* function = values::functionNamed(expr.text);
  const auto count = static_cast<int>(arguments.size());
  if (!function || count < function->minArguments || count > function->maxArguments)
    return std::nullopt;
  return function->call(arguments, values::systemClock());
}

}  // namespace

values::Comparison comparisonOf(Op op) {
  switch (op) {
    case Op::Equal:
      return values::Comparison::Equal;
    case Op::NotEqual:
      return values::Comparison::NotEqual;
    case Op::Less:
      return values::Comparison::Less;
    case Op::Greater:
      return values::Comparison::Greater;
    case Op::LessEqual:
      return values::Comparison::LessOrEqual;
    default:
      return values::Comparison::GreaterOrEqual;
  }
}

std::optional<Variant> constantValue(const Expr& expr) {
  switch (expr.kind) {
    case Expr::Kind::Null:
      return Variant::null();
    case Expr::Kind::Integer:
      return Variant(expr.integer);
    case Expr::Kind::Double:
      return Variant(expr.number);
    case Expr::Kind::Text:
      return Variant(expr.text);
    case Expr::Kind::Date:
      return Variant::fromDate(expr.number);
    case Expr::Kind::Unary: {
      const std::optional<Variant> operand = constantValue(*expr.operands[0]);
      if (!operand) return std::nullopt;
      if (expr.op == Op::Negate) return values::negate(*operand);
      const std::optional<bool> x = holds(*operand);
      return x ? truth(!*x) : Variant::null();
    }
    case Expr::Kind::Binary: {
      std::optional<Variant> result = constantValue(*expr.operands[0]);
      for (size_t i = 1; result && i < expr.operands.size(); ++i) {
        const std::optional<Variant> next = constantValue(*expr.operands[i]);
        if (!next) return std::nullopt;
        result = step(expr.op, *result, *next);
      }
      if (!result || !expr.negated) return result;
      const std::optional<bool> matched = holds(*result);  // Not Like
      return matched ? truth(!*matched) : Variant::null();
    }
    case Expr::Kind::IsNull: {
      const std::optional<Variant> operand = constantValue(*expr.operands[0]);
      if (!operand) return std::nullopt;
      return truth(operand->isNull() != expr.negated);
    }
    case Expr::Kind::Call:
      return call(expr);
    default:
      return std::nullopt;
  }
}

Variant defaultValueOf(const std::string& text) {
  const std::string written = !text.empty() && text.front() == '=' ? text.substr(1) : text;
  try {
    TokenCursor cursor(written);
    const ExprPtr expr = ExpressionParser(cursor).parseClause(ClauseEnd::Statement);
    if (cursor.atStatementEnd()) {
      if (const std::optional<Variant> value = constantValue(*expr)) return *value;
    }
  } catch (const AppError& error) {
    // Text the dialect cannot read at all is the text itself; an
    // expression it reads keeps the errors of its value.
    if (error.number() < 3000) throw;
  }
  return Variant(text);
}

}  // namespace telvarn::jetsql
