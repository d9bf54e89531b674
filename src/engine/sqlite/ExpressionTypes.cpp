// ExpressionTranslator::typeOf: the type of an expression's values as the
// statement's text tells it, for the fields SELECT ... INTO makes and for
// choosing SQLite's own operators where the dialect's agree with them.
#include <algorithm>
#include <cstdint>

#include "engine/DataType.h"
#include "engine/jetsql/Lexer.h"
#include "engine/sqlite/ExpressionTranslator.h"

namespace telvarn::sqlite {
namespace {

using jetsql::Expr;
using jetsql::Op;

constexpr int kTextSize = 255;

ValueType textType() {
  return {DataType::Text, kTextSize};
}

// The wider of two numeric types, as arithmetic on them yields.
ValueType wider(ValueType a, ValueType b) {
  if (a.type == 0 || b.type == 0) return {};
  if (a.type == DataType::Date || b.type == DataType::Date) return {DataType::Date, 0};
  if (a.type == DataType::Currency || b.type == DataType::Currency) return {DataType::Currency, 0};
  if (a.type == DataType::Double || b.type == DataType::Double || a.type == DataType::Single ||
      b.type == DataType::Single)
    return {DataType::Double, 0};
  if (a.type > 7 || b.type > 7) return {};
  return {DataType::Long, 0};
}

struct NamedType {
  std::string_view name;
  int type;
};

// Functions whose result has one type whatever they are given.
constexpr NamedType kFixedTypes[] = {
    {"Count", DataType::Long},      {"Len", DataType::Long},        {"InStr", DataType::Long},
    {"InStrRev", DataType::Long},   {"Year", DataType::Integer},    {"Month", DataType::Integer},
    {"Day", DataType::Integer},     {"Hour", DataType::Integer},    {"Minute", DataType::Integer},
    {"Second", DataType::Integer},  {"Weekday", DataType::Integer}, {"DatePart", DataType::Integer},
    {"DateDiff", DataType::Long},   {"CInt", DataType::Integer},    {"CLng", DataType::Long},
    {"CByte", DataType::Byte},      {"CSng", DataType::Single},     {"CDbl", DataType::Double},
    {"CCur", DataType::Currency},   {"CBool", DataType::Boolean},   {"IsNull", DataType::Boolean},
    {"CDate", DataType::Date},      {"Date", DataType::Date},       {"Now", DataType::Date},
    {"Time", DataType::Date},       {"DateSerial", DataType::Date}, {"DateValue", DataType::Date},
    {"TimeSerial", DataType::Date}, {"DateAdd", DataType::Date},    {"Avg", DataType::Double},
    {"StDev", DataType::Double},    {"StDevP", DataType::Double},   {"Var", DataType::Double},
    {"VarP", DataType::Double},     {"Val", DataType::Double},      {"Sqr", DataType::Double},
    {"Sgn", DataType::Integer},
};

// Functions whose result has the type of their first argument.
constexpr std::string_view kLikeFirst[] = {"Min",   "Max", "First", "Last", "Abs",
                                           "Round", "Int", "Fix",   "Nz",   "CVar"};

// The type of `a op b`.
ValueType stepType(Op op, ValueType a, ValueType b) {
  switch (op) {
    case Op::Concat:
      return textType();
    case Op::Add:
      if (isTextType(a.type) && isTextType(b.type)) return textType();
      return wider(a, b);
    case Op::Subtract:
    case Op::Multiply:
      return wider(a, b);
    case Op::IntDivide:
    case Op::Modulo:
      return wider(a, b).type == 0 ? ValueType{} : ValueType{DataType::Long, 0};
    default:
      return {DataType::Double, 0};
  }
}

}  // namespace

ValueType ExpressionTranslator::typeOf(const Expr& expr) const {
  if (isTest(expr)) return {DataType::Boolean, 0};
  switch (expr.kind) {
    case Expr::Kind::Integer:
      return {expr.integer >= INT32_MIN && expr.integer <= INT32_MAX ? DataType::Long
                                                                     : DataType::Double,
              0};
    case Expr::Kind::Double:
      return {DataType::Double, 0};
    case Expr::Kind::Text:
      return textType();
    case Expr::Kind::Date:
      return {DataType::Date, 0};
    case Expr::Kind::Column: {
      const FieldRecord* field = scope_.find(expr.qualifier, expr.text).field;
      if (field) return {field->type, field->size};
      return {};
    }
    case Expr::Kind::Unary:
      return typeOf(*expr.operands[0]);
    case Expr::Kind::Binary:
      break;
    case Expr::Kind::Call:
      return callType(expr);
    default:
      return {};
  }
  // A run folds left to right, each step typed by its two sides.
  ValueType type = typeOf(*expr.operands[0]);
  for (size_t i = 1; i < expr.operands.size(); ++i)
    type = stepType(expr.op, type, typeOf(*expr.operands[i]));
  return type;
}

ValueType ExpressionTranslator::callType(const Expr& expr) const {
  for (const NamedType& entry : kFixedTypes) {
    if (jetsql::sameWord(entry.name, expr.text)) return {entry.type, 0};
  }
  const bool likeFirst =
      std::any_of(std::begin(kLikeFirst), std::end(kLikeFirst),
                  [&](std::string_view n) { return jetsql::sameWord(n, expr.text); });
  if (likeFirst && !expr.operands.empty()) return typeOf(*expr.operands[0]);
  if (jetsql::sameWord(expr.text, "Sum") && !expr.operands.empty()) {
    const ValueType summed = typeOf(*expr.operands[0]);
    return summed.type == DataType::Currency ? summed : ValueType{DataType::Double, 0};
  }
  if (jetsql::sameWord(expr.text, "IIf") && expr.operands.size() == 3) {
    const ValueType yes = typeOf(*expr.operands[1]);
    return yes.type != 0 ? yes : typeOf(*expr.operands[2]);
  }
  // The text functions: Left, Mid, Trim, Format, Str, ...
  return textType();
}

}  // namespace telvarn::sqlite
