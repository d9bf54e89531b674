#include "AstSummary.h"

#include <cstdio>

#include "engine/AppError.h"
#include "engine/jetsql/Parser.h"
#include "engine/values/DateText.h"

namespace telvarn::jetsql::test {
namespace {

const char* opName(const Expr& expr) {
  static const char* const kNames[] = {
      "neg", "not", "^", "*",  "/",  "\\",   "mod", "+",  "-",   "&",   "=",
      "<>",  "<",   ">", "<=", ">=", "like", "and", "or", "xor", "eqv", "imp"};
  return kNames[static_cast<int>(expr.op)];
}

std::string operands(const Expr& expr, size_t from = 0) {
  std::string out;
  for (size_t i = from; i < expr.operands.size(); ++i) {
    out += ' ';
    out += summary(*expr.operands[i]);
  }
  return out;
}

}  // namespace

std::string summary(const Expr& expr) {
  const std::string negation = expr.negated ? "not-" : "";
  switch (expr.kind) {
    case Expr::Kind::Null:
      return "Null";
    case Expr::Kind::Integer:
      return std::to_string(expr.integer);
    case Expr::Kind::Double: {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%g", expr.number);
      return buffer;
    }
    case Expr::Kind::Text:
      return "'" + expr.text + "'";
    case Expr::Kind::Date:
      return "#" + dateFromSerial(expr.number).value_or("?") + "#";
    case Expr::Kind::Column:
      return expr.qualifier.empty() ? expr.text : expr.qualifier + "." + expr.text;
    case Expr::Kind::Unary:
    case Expr::Kind::Binary:
      return "(" + negation + opName(expr) + operands(expr) + ")";
    case Expr::Kind::IsNull:
      return "(is-" + negation + "null" + operands(expr) + ")";
    case Expr::Kind::Between:
      return "(" + negation + "between" + operands(expr) + ")";
    case Expr::Kind::In:
      return "(" + negation + "in" + operands(expr) + (expr.query ? " (select)" : "") + ")";
    case Expr::Kind::Call:
      return "(call " + expr.text + operands(expr) + ")";
    case Expr::Kind::Star:
      return "*";
    case Expr::Kind::Subquery:
      return "(select)";
    case Expr::Kind::Exists:
      return "(exists (select))";
    case Expr::Kind::Quantified:
      return "(" + std::string(opName(expr)) + (expr.every ? "-all" : "-any") + operands(expr) +
             " (select))";
  }
  return "?";
}

std::string conditionOf(const std::string& condition) {
  const Statement statement = parseStatement("DELETE FROM t WHERE " + condition);
  const auto& remove = std::get<DeleteStatement>(std::get<DataStatement>(statement.body).action);
  return summary(*remove.where);
}

int errorNumber(const std::function<void()>& action) {
  try {
    action();
  } catch (const AppError& error) {
    return error.number();
  }
  return 0;
}

std::string errorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const AppError& error) {
    return error.description();
  }
  return "";
}

}  // namespace telvarn::jetsql::test
