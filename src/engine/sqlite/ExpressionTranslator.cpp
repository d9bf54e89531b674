#include "engine/sqlite/ExpressionTranslator.h"

#include <algorithm>
#include <cstdio>

#include "engine/AppError.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/FunctionTranslation.h"

namespace telvarn::sqlite {
namespace {

using jetsql::Expr;
using jetsql::Op;

// Text comparisons ignore letter case, whichever side holds the text.
constexpr const char* kNoCase = " COLLATE NOCASE";

const char* comparison(Op op) {
  switch (op) {
    case Op::Equal:
      return " = ";
    case Op::NotEqual:
      return " <> ";
    case Op::Less:
      return " < ";
    case Op::Greater:
      return " > ";
    case Op::LessEqual:
      return " <= ";
    default:
      return " >= ";
  }
}

// Operators SQLite lacks or does otherwise, as a registered function.
const char* functionFor(Op op) {
  switch (op) {
    case Op::Power:
      return "telvarn_pow";
    case Op::Divide:
      return "telvarn_div";
    case Op::IntDivide:
      return "telvarn_intdiv";
    case Op::Modulo:
      return "telvarn_mod";
    case Op::Add:
      return "telvarn_add";
    case Op::Concat:
      return "telvarn_concat";
    case Op::Like:
      return "telvarn_like";
    default:
      return nullptr;
  }
}

std::string wrap(const std::string& sql) {
  return "(" + sql + ")";
}

// Written out in full rather than bound, so that no digit is lost on the way.
std::string realLiteral(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  std::string text = buffer;
  if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
  return text;
}

}  // namespace

ExpressionTranslator::ExpressionTranslator(const TableRecord& table, std::string alias,
                                           std::string_view sql, std::vector<Variant>& parameters)
    : table_(table), alias_(std::move(alias)), sql_(sql), parameters_(parameters) {}

std::string ExpressionTranslator::clause(const Expr& expr) {
  clauseText_ = std::string(sql_.substr(std::min(expr.begin, sql_.size()), expr.end - expr.begin));
  return translate(expr);
}

const FieldRecord* ExpressionTranslator::resolve(const std::string& qualifier,
                                                 const std::string& name) const {
  if (!qualifier.empty() && !sameName(qualifier, table_.name) &&
      !(!alias_.empty() && sameName(qualifier, alias_)))
    return nullptr;
  const auto found = std::find_if(table_.fields.begin(), table_.fields.end(),
                                  [&](const FieldRecord& f) { return sameName(f.name, name); });
  return found == table_.fields.end() ? nullptr : &*found;
}

void ExpressionTranslator::noteUnknown(const std::string& qualifier, const std::string& name) {
  const std::string full = qualifier.empty() ? name : qualifier + "." + name;
  if (std::none_of(unknown_.begin(), unknown_.end(),
                   [&](const std::string& seen) { return sameName(seen, full); }))
    unknown_.push_back(full);
}

std::string ExpressionTranslator::parameter(Variant value) {
  parameters_.push_back(std::move(value));
  std::string placeholder = "?";
  placeholder += std::to_string(parameters_.size());
  return placeholder;
}

std::string ExpressionTranslator::translate(const Expr& expr) {
  switch (expr.kind) {
    case Expr::Kind::Null:
      return "NULL";
    case Expr::Kind::Integer:
      return parameter(Variant(expr.integer));
    case Expr::Kind::Double:
      return realLiteral(expr.number);
    case Expr::Kind::Text:
    case Expr::Kind::Date:
      return parameter(Variant(expr.text));
    case Expr::Kind::Column:
      return column(expr);
    case Expr::Kind::Unary:
      return unary(expr);
    case Expr::Kind::Binary:
      return binary(expr);
    case Expr::Kind::IsNull:
      return wrap(translate(*expr.operands[0]) + (expr.negated ? " IS NOT NULL" : " IS NULL"));
    case Expr::Kind::Between:
      return between(expr);
    case Expr::Kind::In:
      return in(expr);
    case Expr::Kind::Call:
      return call(expr.text, expr.operands);
    case Expr::Kind::Star:
      break;
  }
  throw engineError(3075, {"Syntax error (missing operator)", clauseText_});
}

// A name that is no field may still be a function written without
// parentheses; otherwise it is a parameter the statement leaves unfilled.
std::string ExpressionTranslator::column(const Expr& expr) {
  if (const FieldRecord* field = resolve(expr.qualifier, expr.text))
    return Connection::quote(field->name);
  if (expr.qualifier.empty() && isBareFunction(expr.text)) return call(expr.text, {});
  noteUnknown(expr.qualifier, expr.text);
  return "NULL";
}

std::string ExpressionTranslator::unary(const Expr& expr) {
  const std::string operand = translate(*expr.operands[0]);
  return wrap((expr.op == Op::Negate ? "- " : "NOT ") + wrap(operand));
}

std::string ExpressionTranslator::binary(const Expr& expr) {
  const std::string left = wrap(translate(*expr.operands[0]));
  const std::string right = wrap(translate(*expr.operands[1]));
  if (const char* function = functionFor(expr.op)) {
    const std::string called = std::string(function) + "(" + left + ", " + right + ")";
    return expr.negated ? wrap("NOT " + called) : called;
  }
  switch (expr.op) {
    case Op::Multiply:
      return wrap(left + " * " + right);
    case Op::Subtract:
      return wrap(left + " - " + right);
    case Op::And:
      return wrap(left + " AND " + right);
    case Op::Or:
      return wrap(left + " OR " + right);
    case Op::Xor:
      return wrap(wrap(left + " <> 0") + " <> " + wrap(right + " <> 0"));
    case Op::Eqv:
      return wrap(wrap(left + " <> 0") + " = " + wrap(right + " <> 0"));
    case Op::Imp:
      return wrap("NOT " + left + " OR " + right);
    default:
      return wrap(left + comparison(expr.op) + right + kNoCase);
  }
}

// Between takes its bounds in either order.
std::string ExpressionTranslator::between(const Expr& expr) {
  const std::string value = wrap(translate(*expr.operands[0])) + kNoCase;
  const std::string one = wrap(translate(*expr.operands[1]));
  const std::string other = wrap(translate(*expr.operands[2]));
  const std::string test = wrap(value + " BETWEEN " + one + " AND " + other + " OR " + value +
                                " BETWEEN " + other + " AND " + one);
  return expr.negated ? wrap("NOT " + test) : test;
}

std::string ExpressionTranslator::in(const Expr& expr) {
  std::string list;
  for (size_t i = 1; i < expr.operands.size(); ++i) {
    if (i > 1) list += ", ";
    list += wrap(translate(*expr.operands[i]));
  }
  const std::string value = wrap(translate(*expr.operands[0])) + kNoCase;
  return wrap(value + (expr.negated ? " NOT IN (" : " IN (") + list + ")");
}

std::string ExpressionTranslator::call(const std::string& name,
                                       const std::vector<jetsql::ExprPtr>& arguments) {
  const FunctionRule* rule = findFunction(name);
  if (!rule) throw engineError(3085, {name});
  const auto count = static_cast<int>(arguments.size());
  if (count < rule->minimumArguments || count > rule->maximumArguments)
    throw engineError(3075, {"Wrong number of arguments used with function", clauseText_});
  std::vector<std::string> translated;
  for (const auto& argument : arguments) translated.push_back(translate(*argument));
  return rule->build(translated);
}

}  // namespace telvarn::sqlite
