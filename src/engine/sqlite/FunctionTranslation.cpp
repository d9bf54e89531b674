// ExpressionTranslator's calls: IIf, Switch and Choose, which evaluate only
// the branch they take; the aggregates; every other function through the
// value library's table.
#include "engine/sqlite/FunctionTranslation.h"

#include <cctype>

#include "engine/AppError.h"
#include "engine/jetsql/Lexer.h"
#include "engine/sqlite/ExpressionTranslator.h"
#include "engine/values/FunctionTable.h"

namespace telvarn::sqlite {
namespace {

using jetsql::Expr;
using Kind = Variant::Kind;

constexpr const char* kWrongArguments = "Wrong number of arguments used with function";

struct NamedAggregate {
  std::string_view name;
  values::AggregateKind kind;
};

constexpr NamedAggregate kAggregates[] = {
    {"Count", values::AggregateKind::Count}, {"Sum", values::AggregateKind::Sum},
    {"Avg", values::AggregateKind::Avg},     {"Min", values::AggregateKind::Min},
    {"Max", values::AggregateKind::Max},     {"First", values::AggregateKind::First},
    {"Last", values::AggregateKind::Last},   {"StDev", values::AggregateKind::StDev},
    {"StDevP", values::AggregateKind::StDevP}, {"Var", values::AggregateKind::Var},
    {"VarP", values::AggregateKind::VarP},
};

bool isIIf(const Expr& expr) {
  return expr.kind == Expr::Kind::Call && sameWord(expr.text, "IIf") &&
         expr.operands.size() == 3;
}

// The kind of values that come from either of two branches: a Null takes
// the other's kind.
ValueKind joined(ValueKind a, ValueKind b) {
  if (a == Kind::Null) return b;
  if (b == Kind::Null || a == b) return a;
  return std::nullopt;
}

bool isWholeOrDouble(ValueKind kind) {
  return kind == Kind::Boolean || kind == Kind::Byte || kind == Kind::Short ||
         kind == Kind::Long || kind == Kind::Double;
}

}  // namespace

std::optional<values::AggregateKind> aggregateNamed(std::string_view name) {
  for (const NamedAggregate& aggregate : kAggregates) {
    if (sameWord(aggregate.name, name)) return aggregate.kind;
  }
  return std::nullopt;
}

bool isBareFunction(std::string_view name) {
  return sameWord(name, "Date") || sameWord(name, "Now") ||
         sameWord(name, "Time");
}

Translated ExpressionTranslator::call(const Expr& expr) {
  const size_t count = expr.operands.size();
  if (sameWord(expr.text, "IIf") || sameWord(expr.text, "Switch")) {
    const bool iif = sameWord(expr.text, "IIf");
    if (iif ? count != 3 : count < 2 || count % 2 != 0) failWith(kWrongArguments);
    return branches(expr);
  }
  if (sameWord(expr.text, "Choose")) {
    if (count < 2) failWith(kWrongArguments);
    return choose(expr);
  }
  if (aggregateNamed(expr.text)) {
    if (count != 1) failWith(kWrongArguments);
    return aggregate(expr);
  }
  return library(expr);
}

// IIf and Switch as one CASE. A ladder of IIf (a further IIf as the False
// part, or else as the True part) is one flat CASE, so that a ladder of
// any length nests no deeper: IIf(c, a, IIf(d, b, e)) is CASE WHEN c THEN
// a WHEN d THEN b ELSE e END, and IIf(c, IIf(d, a, b), e) is CASE WHEN c IS
// NOT TRUE THEN e WHEN d THEN a ELSE b END. A condition that is Null takes
// the False part; Switch without a true condition is Null. Where the
// branches' kinds differ, each value carries its own.
Translated ExpressionTranslator::branches(const Expr& expr) {
  std::vector<std::pair<std::string, Translated>> cases;
  Translated otherwise{"NULL", Kind::Null};
  if (sameWord(expr.text, "Switch")) {
    for (size_t i = 0; i < expr.operands.size(); i += 2)
      cases.emplace_back(test(*expr.operands[i]), translate(*expr.operands[i + 1]));
  } else {
    for (const std::vector<jetsql::ExprPtr>* at = &expr.operands;;) {
      const auto& part = *at;
      const std::string condition = test(*part[0]);
      if (isIIf(*part[2])) {
        cases.emplace_back(condition, translate(*part[1]));
        at = &part[2]->operands;
      } else if (isIIf(*part[1])) {
        cases.emplace_back(condition + " IS NOT TRUE", translate(*part[2]));
        at = &part[1]->operands;
      } else {
        cases.emplace_back(condition, translate(*part[1]));
        otherwise = translate(*part[2]);
        break;
      }
    }
  }
  ValueKind kind = otherwise.kind;
  for (const auto& [condition, value] : cases) kind = joined(kind, value.kind);
  const auto branch = [&](const Translated& value) { return kind ? value.sql : tagged(value); };
  std::string sql = "(CASE";
  for (const auto& [condition, value] : cases)
    sql += " WHEN " + condition + " THEN " + branch(value);
  return {sql + " ELSE " + branch(otherwise) + " END)", kind, !kind};
}

// Choose(index, a, b, ...): the choice the index, rounded to a whole
// number as CLng rounds it, names; Null beyond the choices.
Translated ExpressionTranslator::choose(const Expr& expr) {
  const Translated index = translate(*expr.operands[0]);
  std::vector<Translated> choices;
  ValueKind kind = Kind::Null;
  for (size_t i = 1; i < expr.operands.size(); ++i) {
    choices.push_back(translate(*expr.operands[i]));
    kind = joined(kind, choices.back().kind);
  }
  std::string sql = "(CASE " + ownCall("telvarn_clng", argumentList({index}));
  for (size_t i = 0; i < choices.size(); ++i)
    sql += " WHEN " + std::to_string(i + 1) + " THEN " + (kind ? choices[i].sql : tagged(choices[i]));
  return {sql + " END)", kind, !kind};
}

// Count, and Min, Max, Sum and Avg of kinds SQLite's own give the
// dialect's answer for, are SQLite's; the rest compute with the value
// library's rules.
Translated ExpressionTranslator::aggregate(const Expr& expr) {
  const values::AggregateKind which = *aggregateNamed(expr.text);
  const Expr& argument = *expr.operands[0];
  if (argument.kind == Expr::Kind::Star) {
    if (which != values::AggregateKind::Count) failWith("Syntax error (missing operator)");
    return {"count(*)", Kind::Long};
  }
  const Translated value = translate(argument);
  const ValueKind kind =
      value.kind ? ValueKind(values::resultKind(which, *value.kind)) : std::nullopt;
  switch (which) {
    case values::AggregateKind::Count:
      return {"count(" + value.sql + ")", Kind::Long};
    case values::AggregateKind::Min:
    case values::AggregateKind::Max:
      if (value.kind) {
        const char* name = which == values::AggregateKind::Min ? "min(" : "max(";
        return {name + value.sql + ")", kind};
      }
      break;
    case values::AggregateKind::Sum:
    case values::AggregateKind::Avg:
      if (isWholeOrDouble(value.kind)) {
        const char* name = which == values::AggregateKind::Sum ? "sum(" : "avg(";
        return {name + value.sql + ")", kind};
      }
      break;
    default:
      break;
  }
  return {ownCall("telvarn_aggregate",
                  std::to_string(static_cast<int>(which)) + ", " + argumentList({value})),
          kind, true};
}

// A function of the value library's table, told its arguments' kinds.
Translated ExpressionTranslator::library(const Expr& expr) {
  const values::FunctionEntry* function = values::functionNamed(expr.text);
  if (!function) throw engineError(3085, {expr.text});
  const auto count = static_cast<int>(expr.operands.size());
  if (count < function->minArguments || count > function->maxArguments)
    failWith(kWrongArguments);
  std::vector<Translated> arguments;
  std::vector<Kind> kinds;
  bool known = true;
  for (const auto& operand : expr.operands) {
    if (operand->kind == Expr::Kind::Star) failWith("Syntax error (missing operator)");
    arguments.push_back(translate(*operand));
    known = known && arguments.back().kind;
    kinds.push_back(arguments.back().kind.value_or(Kind::Null));
  }
  ValueKind kind;
  if (function->yields == values::Yields::Kind) {
    kind = function->kind;
  } else if (known) {
    kind = values::resultKind(*function, kinds);
  }
  std::string name = "telvarn_";
  for (char c : function->name) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return {ownCall(name, argumentList(arguments)), kind, true};
}

}  // namespace telvarn::sqlite
