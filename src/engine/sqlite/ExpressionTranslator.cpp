#include "engine/sqlite/ExpressionTranslator.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/NumberText.h"
#include "engine/jetsql/Lexer.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/FunctionTranslation.h"
#include "engine/sqlite/SelectTranslator.h"
#include "engine/sqlite/TextOrder.h"

namespace telvarn::sqlite {
namespace {

using jetsql::Expr;
using jetsql::Op;

constexpr const char* kMissingOperator = "Syntax error (missing operator)";

const char* comparisonText(Op op) {
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
    default:
      return nullptr;
  }
}

std::string wrap(const std::string& sql) {
  return "(" + sql + ")";
}

// A double written out in full (where values cannot be bound, as in a
// view), so that no digit is lost on the way.
std::string realLiteral(double value) {
  std::string text = writeDouble(value, Notation::General, 17);
  if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
  return text;
}

bool isNumeric(int type) {
  return type >= 1 && type <= 7;
}

}  // namespace

bool isTest(const Expr& expr) {
  switch (expr.kind) {
    case Expr::Kind::IsNull:
    case Expr::Kind::Between:
    case Expr::Kind::In:
    case Expr::Kind::Exists:
      return true;
    case Expr::Kind::Unary:
      return expr.op == Op::Not;
    case Expr::Kind::Binary:
      return expr.op >= Op::Equal;
    default:
      return false;
  }
}

ExpressionTranslator::ExpressionTranslator(const Scope& scope, std::string_view sql,
                                           std::vector<Variant>& parameters, Storage* storage)
    : scope_(scope), sql_(sql), parameters_(parameters), storage_(storage) {}

ExpressionTranslator::ExpressionTranslator(const Scope& scope, ExpressionTranslator& outer,
                                           std::optional<std::string_view> sql)
    : scope_(scope),
      sql_(sql.value_or(outer.sql_)),
      parameters_(outer.parameters_),
      storage_(outer.storage_),
      outer_(&outer),
      inline_(outer.inline_),
      depth_(outer.depth_ + (sql ? 1 : 0)) {}

std::string ExpressionTranslator::clause(const Expr& expr) {
  clauseText_ = std::string(sql_.substr(std::min(expr.begin, sql_.size()), expr.end - expr.begin));
  return translate(expr);
}

std::string ExpressionTranslator::condition(const Expr& expr) {
  clauseText_ = std::string(sql_.substr(std::min(expr.begin, sql_.size()), expr.end - expr.begin));
  return test(expr);
}

std::string ExpressionTranslator::ordered(const Expr& expr) {
  const int type = typeOf(expr).type;
  const bool collated = expr.kind == Expr::Kind::Column && isTextType(type);
  const bool plain = isNumeric(type) || type == DataType::Date;
  return clause(expr) + (collated || plain ? "" : textOrder());
}

std::string ExpressionTranslator::textOrder() const {
  return std::string(" COLLATE ") + (inline_ ? "NOCASE" : kTextCollation);
}

const FieldRecord* ExpressionTranslator::resolve(const std::string& qualifier,
                                                 const std::string& name) const {
  return scope_.find(qualifier, name).field;
}

void ExpressionTranslator::noteUnknown(const std::string& qualifier, const std::string& name) {
  if (outer_) return outer_->noteUnknown(qualifier, name);
  const std::string full = qualifier.empty() ? name : qualifier + "." + name;
  if (std::none_of(unknown_.begin(), unknown_.end(),
                   [&](const std::string& seen) { return sameName(seen, full); }))
    unknown_.push_back(full);
}

std::string ExpressionTranslator::parameter(Variant value) {
  if (inline_) {
    switch (value.kind()) {
      case Variant::Kind::Empty:
      case Variant::Kind::Null:
        return "NULL";
      case Variant::Kind::Text:
        return Connection::literal(value.toText());
      case Variant::Kind::Double:
        return realLiteral(value.toDouble());
      default:
        return std::to_string(value.toInteger());
    }
  }
  parameters_.push_back(std::move(value));
  std::string placeholder = "?";
  placeholder += std::to_string(parameters_.size());
  return placeholder;
}

// A value: a test yields -1 for True, as the dialect's Yes/No does.
std::string ExpressionTranslator::translate(const Expr& expr) {
  if (isTest(expr)) return wrap("- " + wrap(test(expr)));
  switch (expr.kind) {
    case Expr::Kind::Null:
      return "NULL";
    case Expr::Kind::Integer:
      return parameter(Variant(expr.integer));
    case Expr::Kind::Double:
      return parameter(Variant(expr.number));
    case Expr::Kind::Text:
    case Expr::Kind::Date:
      return parameter(Variant(expr.text));
    case Expr::Kind::Column:
      return column(expr);
    case Expr::Kind::Unary:
      return wrap("- " + wrap(translate(*expr.operands[0])));
    case Expr::Kind::Binary:
      return arithmetic(expr);
    case Expr::Kind::Call:
      return call(expr.text, expr.operands);
    case Expr::Kind::Subquery:
      return subquery(expr);
    default:
      break;
  }
  throw engineError(3075, {kMissingOperator, clauseText_});
}

// A condition as SQLite tests it; anything else is a value that holds when
// it is not zero.
std::string ExpressionTranslator::test(const Expr& expr) {
  if (!isTest(expr)) return translate(expr);
  switch (expr.kind) {
    case Expr::Kind::IsNull:
      return wrap(translate(*expr.operands[0]) + (expr.negated ? " IS NOT NULL" : " IS NULL"));
    case Expr::Kind::Between:
      return between(expr);
    case Expr::Kind::In:
      return in(expr);
    case Expr::Kind::Exists:
      return subquery(expr);
    case Expr::Kind::Unary:
      return wrap("NOT " + wrap(test(*expr.operands[0])));
    default:
      return expr.op <= Op::GreaterEqual ? comparison(expr) : logical(expr);
  }
}

// A name that is no field may still be a function written without
// parentheses; otherwise it is a parameter the statement leaves unfilled.
std::string ExpressionTranslator::column(const Expr& expr) {
  const Scope::Found found = scope_.find(expr.qualifier, expr.text);
  if (found.field) {
    const std::string name =
        Connection::quote(found.source->sqlName) + "." + Connection::quote(found.field->name);
    return isTextType(found.field->type) ? wrap(name + textOrder()) : name;
  }
  if (expr.qualifier.empty() && isBareFunction(expr.text)) return call(expr.text, {});
  noteUnknown(expr.qualifier, expr.text);
  return "NULL";
}

std::string ExpressionTranslator::arithmetic(const Expr& expr) {
  const std::string left = wrap(translate(*expr.operands[0]));
  const std::string right = wrap(translate(*expr.operands[1]));
  // Numbers on both sides add as SQLite adds them; otherwise "+" may join
  // texts, which the registered function decides row by row.
  if (expr.op == Op::Add && isNumeric(typeOf(*expr.operands[0]).type) &&
      isNumeric(typeOf(*expr.operands[1]).type))
    return wrap(left + " + " + right);
  if (const char* function = functionFor(expr.op)) {
    return std::string(function) + "(" + left + ", " + right + ")";
  }
  return wrap(left + (expr.op == Op::Multiply ? " * " : " - ") + right);
}

std::string ExpressionTranslator::logical(const Expr& expr) {
  if (expr.op == Op::Like) {
    const std::string called =
        "telvarn_like(" + translate(*expr.operands[0]) + ", " + translate(*expr.operands[1]) + ")";
    return expr.negated ? wrap("NOT " + called) : called;
  }
  const std::string left = wrap(test(*expr.operands[0]));
  const std::string right = wrap(test(*expr.operands[1]));
  switch (expr.op) {
    case Op::And:
      return wrap(left + " AND " + right);
    case Op::Or:
      return wrap(left + " OR " + right);
    case Op::Xor:
      return wrap(wrap(left + " <> 0") + " <> " + wrap(right + " <> 0"));
    case Op::Eqv:
      return wrap(wrap(left + " <> 0") + " = " + wrap(right + " <> 0"));
    default:
      return wrap("NOT " + left + " OR " + right);
  }
}

// Text compares in the General sort order, whichever side holds it;
// numbers and dates compare as they are, so that their indexes serve.
std::string ExpressionTranslator::comparison(const Expr& expr) {
  const Expr& a = *expr.operands[0];
  const Expr& b = *expr.operands[1];
  checkComparable(a, b);
  const int typeA = typeOf(a).type;
  const int typeB = typeOf(b).type;
  const bool plain = (isNumeric(typeA) || typeA == 8) && (isNumeric(typeB) || typeB == 8);
  return wrap(wrap(translate(a)) + comparisonText(expr.op) + wrap(translate(b)) +
              (plain ? "" : textOrder()));
}

// A number compared with a text written in the statement is the dialect's
// type mismatch.
void ExpressionTranslator::checkComparable(const Expr& a, const Expr& b) const {
  const auto clash = [&](const Expr& one, const Expr& other) {
    return other.kind == Expr::Kind::Text && one.kind != Expr::Kind::Text &&
           isNumeric(typeOf(one).type);
  };
  if (clash(a, b) || clash(b, a)) throw engineError(3464);
}

// Between takes its bounds in either order.
std::string ExpressionTranslator::between(const Expr& expr) {
  checkComparable(*expr.operands[0], *expr.operands[1]);
  checkComparable(*expr.operands[0], *expr.operands[2]);
  const std::string value = wrap(translate(*expr.operands[0])) + textOrder();
  const std::string one = wrap(translate(*expr.operands[1]));
  const std::string other = wrap(translate(*expr.operands[2]));
  const std::string test = wrap(value + " BETWEEN " + one + " AND " + other + " OR " + value +
                                " BETWEEN " + other + " AND " + one);
  return expr.negated ? wrap("NOT " + test) : test;
}

std::string ExpressionTranslator::in(const Expr& expr) {
  const std::string value = wrap(translate(*expr.operands[0])) + textOrder();
  const char* keyword = expr.negated ? " NOT IN " : " IN ";
  if (expr.query) {
    return wrap(value + keyword + wrap(translateQuery(*this, *expr.query).sql));
  }
  std::string list;
  for (size_t i = 1; i < expr.operands.size(); ++i) {
    checkComparable(*expr.operands[0], *expr.operands[i]);
    if (i > 1) list += ", ";
    list += wrap(translate(*expr.operands[i]));
  }
  return wrap(value + keyword + wrap(list));
}

std::string ExpressionTranslator::subquery(const Expr& expr) {
  if (!storage_) throw engineError(3075, {kMissingOperator, clauseText_});
  const std::string query = wrap(translateQuery(*this, *expr.query).sql);
  return expr.kind == Expr::Kind::Exists ? wrap("EXISTS " + query) : query;
}

std::string ExpressionTranslator::call(const std::string& name,
                                       const std::vector<jetsql::ExprPtr>& arguments) {
  const FunctionRule* rule = findFunction(name);
  if (!rule) throw engineError(3085, {name});
  const auto count = static_cast<int>(arguments.size());
  if (count < rule->minimumArguments || count > rule->maximumArguments)
    throw engineError(3075, {"Wrong number of arguments used with function", clauseText_});
  std::vector<std::string> translated;
  for (const auto& argument : arguments) {
    if (argument->kind == Expr::Kind::Star) {
      if (!jetsql::sameWord(name, "Count"))
        throw engineError(3075, {kMissingOperator, clauseText_});
      translated.push_back("*");
    } else if (translated.empty() && jetsql::sameWord(name, "IIf")) {
      translated.push_back(test(*argument));
    } else {
      translated.push_back(translate(*argument));
    }
  }
  return rule->build(translated);
}

}  // namespace telvarn::sqlite
