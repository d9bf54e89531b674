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
constexpr const char* kTooComplex = "Expression too complex";

// The most terms SQLite is given in one run of an operator or one call of a
// function (it takes 127 arguments at most, and a flat run of n terms is an
// expression tree n deep, of the 1000 it takes).
constexpr size_t kRunWidth = 100;

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

std::string joined(const std::vector<std::string>& terms, size_t first, size_t last,
                   const char* separator) {
  std::string out;
  for (size_t i = first; i < last; ++i) {
    if (i > first) out += separator;
    out += terms[i];
  }
  return out;
}

// `terms` in groups of at most kRunWidth, each group made one term by
// `group`, again and again until they fit in one: SQLite then nests only as
// deep as the logarithm of their number.
template <typename Group>
std::vector<std::string> grouped(std::vector<std::string> terms, Group group) {
  while (terms.size() > kRunWidth) {
    std::vector<std::string> groups;
    for (size_t first = 0; first < terms.size(); first += kRunWidth) {
      groups.push_back(group(terms, first, std::min(first + kRunWidth, terms.size())));
    }
    terms = std::move(groups);
  }
  return terms;
}

// A run of And or Or, which SQLite may group as it likes: the same terms in
// the same order give the same answer.
std::string logicalRun(std::vector<std::string> terms, const char* separator) {
  const auto group = [&](const std::vector<std::string>& all, size_t first, size_t last) {
    return wrap(joined(all, first, last, separator));
  };
  const std::vector<std::string> top = grouped(std::move(terms), group);
  return wrap(joined(top, 0, top.size(), separator));
}

// A registered operator function over all the operands of a run, which it
// folds left to right; beyond its arguments they go in lists of terms
// (telvarn_terms), which it reads in order.
std::string foldedRun(const char* function, std::vector<std::string> terms) {
  const auto group = [](const std::vector<std::string>& all, size_t first, size_t last) {
    return "telvarn_terms(" + joined(all, first, last, ", ") + ")";
  };
  const std::vector<std::string> top = grouped(std::move(terms), group);
  return std::string(function) + "(" + joined(top, 0, top.size(), ", ") + ")";
}

// A counter raised by one, when `when` holds, for as long as it lives.
class Raised {
 public:
  Raised(int& counter, bool when) : counter_(counter), by_(when ? 1 : 0) { counter_ += by_; }
  ~Raised() { counter_ -= by_; }
  Raised(const Raised&) = delete;
  Raised& operator=(const Raised&) = delete;

 private:
  int& counter_;
  int by_;
};

bool isIIf(const Expr& expr) {
  return expr.kind == Expr::Kind::Call && jetsql::sameWord(expr.text, "IIf") &&
         expr.operands.size() == 3;
}

bool owns(const Scope& level, const ScopeSource* source) {
  const auto& sources = level.sources();
  return std::any_of(sources.begin(), sources.end(),
                     [&](const ScopeSource& own) { return &own == source; });
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

ExpressionTranslator::Deeper::Deeper(ExpressionTranslator& translator) : root_(translator.root()) {
  if (root_.depthNow_ >= kMaxDepth) throw engineError(3075, {kTooComplex, translator.clauseText_});
  ++root_.depthNow_;
}

ExpressionTranslator& ExpressionTranslator::root() {
  return outer_ ? outer_->root() : *this;
}

const ExpressionTranslator& ExpressionTranslator::root() const {
  return outer_ ? outer_->root() : *this;
}

std::optional<std::string> ExpressionTranslator::commonTable(const std::string& sql,
                                                             bool readsOuterLevels) {
  if (readsOuterLevels) return std::nullopt;
  std::vector<std::string>& tables = root().commonTables_;
  std::string name = Connection::quote("telvarn.q" + std::to_string(tables.size() + 1));
  tables.push_back(name + " AS (" + sql + ")");
  return name;
}

std::string ExpressionTranslator::withClause(const std::string& more) const {
  const std::vector<std::string>& tables = root().commonTables_;
  if (tables.empty() && more.empty()) return "";
  std::string out = "WITH " + joined(tables, 0, tables.size(), ", ");
  if (!more.empty()) out += (tables.empty() ? "" : ", ") + more;
  return out + " ";
}

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
  const std::string placeholder = "?" + std::to_string(parameters_.size());
  return root().literalsApart_ > 0 ? "(SELECT " + placeholder + ")" : placeholder;
}

// A value: a test yields -1 for True, as the dialect's Yes/No does.
std::string ExpressionTranslator::translate(const Expr& expr) {
  const Deeper deeper(*this);
  if (isTest(expr)) return wrap("- " + test(expr));
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
      return wrap("- " + translate(*expr.operands[0]));
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
  const Deeper deeper(*this);
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
      return wrap("NOT " + test(*expr.operands[0]));
    default:
      return expr.op <= Op::GreaterEqual ? comparison(expr) : logical(expr);
  }
}

// A name that is no field may still be a function written without
// parentheses; otherwise it is a parameter the statement leaves unfilled.
std::string ExpressionTranslator::column(const Expr& expr) {
  const Scope::Found found = scope_.find(expr.qualifier, expr.text);
  if (found.field) {
    // A field of a level around: this level and those between read outside
    // themselves.
    ExpressionTranslator* reader = this;
    for (const Scope* level = &scope_; level && reader && !owns(*level, found.source);
         level = level->outer(), reader = reader->outer_)
      reader->readsOuter_ = true;
    const std::string name =
        Connection::quote(found.source->sqlName) + "." + Connection::quote(found.field->name);
    return isTextType(found.field->type) ? wrap(name + textOrder()) : name;
  }
  if (expr.qualifier.empty() && isBareFunction(expr.text)) return call(expr.text, {});
  noteUnknown(expr.qualifier, expr.text);
  return "NULL";
}

// A run of one operator, left to right. "-", "*" and a short run of "+"
// over numbers are SQLite's own, written flat as SQLite reads them left to
// right; the rest go to the operator's registered function. "+" may join
// texts, which that function decides row by row.
std::string ExpressionTranslator::arithmetic(const Expr& expr) {
  std::vector<std::string> operands;
  bool numbers = true;
  for (const auto& operand : expr.operands) {
    operands.push_back(translate(*operand));
    numbers = numbers && isNumeric(typeOf(*operand).type);
  }
  if (expr.op == Op::Subtract || expr.op == Op::Multiply ||
      (expr.op == Op::Add && numbers && operands.size() <= kRunWidth)) {
    const char* sign = expr.op == Op::Subtract ? " - " : expr.op == Op::Multiply ? " * " : " + ";
    return wrap(joined(operands, 0, operands.size(), sign));
  }
  return foldedRun(functionFor(expr.op), std::move(operands));
}

std::string ExpressionTranslator::logical(const Expr& expr) {
  if (expr.op == Op::Like) {
    const std::string called =
        "telvarn_like(" + translate(*expr.operands[0]) + ", " + translate(*expr.operands[1]) + ")";
    return expr.negated ? wrap("NOT " + called) : called;
  }
  // SQLite codes each constant of a comparison once, looking it up among
  // all it has so coded: quadratic in their number. A subquery is coded
  // once without that look-up, so in a long run each literal is one.
  std::vector<std::string> operands;
  {
    const Raised apart(root().literalsApart_, expr.operands.size() > kRunWidth);
    for (const auto& operand : expr.operands) operands.push_back(test(*operand));
  }
  if (expr.op == Op::And) return logicalRun(std::move(operands), " AND ");
  if (expr.op == Op::Or) return logicalRun(std::move(operands), " OR ");
  std::string left = operands[0];
  for (size_t i = 1; i < operands.size(); ++i) {
    const std::string& right = operands[i];
    if (expr.op == Op::Xor) {
      left = wrap(wrap(left + " <> 0") + " <> " + wrap(right + " <> 0"));
    } else if (expr.op == Op::Eqv) {
      left = wrap(wrap(left + " <> 0") + " = " + wrap(right + " <> 0"));
    } else {
      left = wrap("NOT " + left + " OR " + right);
    }
  }
  return left;
}

// IIf whose False part (or, failing that, whose True part) is a further IIf
// is one flat CASE, so that a ladder of any length nests no deeper:
// IIf(c, a, IIf(d, b, e)) is CASE WHEN c THEN a WHEN d THEN b ELSE e END,
// and IIf(c, IIf(d, a, b), e) is CASE WHEN c IS NOT TRUE THEN e WHEN d THEN
// a ELSE b END. A condition that is Null takes the False part.
std::string ExpressionTranslator::iif(const std::vector<jetsql::ExprPtr>& arguments) {
  std::string cases = "(CASE";
  for (const std::vector<jetsql::ExprPtr>* at = &arguments;;) {
    const auto& part = *at;
    const std::string condition = test(*part[0]);
    if (isIIf(*part[2])) {
      cases += " WHEN " + condition + " THEN " + translate(*part[1]);
      at = &part[2]->operands;
    } else if (isIIf(*part[1])) {
      cases += " WHEN " + condition + " IS NOT TRUE THEN " + translate(*part[2]);
      at = &part[1]->operands;
    } else {
      return cases + " WHEN " + condition + " THEN " + translate(*part[1]) + " ELSE " +
             translate(*part[2]) + " END)";
    }
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
  return wrap(translate(a) + comparisonText(expr.op) + translate(b) +
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
  const std::string value = translate(*expr.operands[0]) + textOrder();
  const std::string one = translate(*expr.operands[1]);
  const std::string other = translate(*expr.operands[2]);
  const std::string test = wrap(value + " BETWEEN " + one + " AND " + other + " OR " + value +
                                " BETWEEN " + other + " AND " + one);
  return expr.negated ? wrap("NOT " + test) : test;
}

std::string ExpressionTranslator::in(const Expr& expr) {
  const std::string value = translate(*expr.operands[0]) + textOrder();
  const char* keyword = expr.negated ? " NOT IN " : " IN ";
  if (expr.query) return wrap(value + keyword + subquery(expr));
  std::string list;
  for (size_t i = 1; i < expr.operands.size(); ++i) {
    checkComparable(*expr.operands[0], *expr.operands[i]);
    if (i > 1) list += ", ";
    list += translate(*expr.operands[i]);
  }
  return wrap(value + keyword + wrap(list));
}

std::string ExpressionTranslator::subquery(const Expr& expr) {
  if (!storage_) throw engineError(3075, {kMissingOperator, clauseText_});
  const TranslatedQuery inner = translateQuery(*this, *expr.query);
  const auto table = commonTable(inner.sql, inner.readsOuterLevels);
  const std::string query = wrap(table ? "SELECT * FROM " + *table : inner.sql);
  return expr.kind == Expr::Kind::Exists ? wrap("EXISTS " + query) : query;
}

std::string ExpressionTranslator::call(const std::string& name,
                                       const std::vector<jetsql::ExprPtr>& arguments) {
  const FunctionRule* rule = findFunction(name);
  if (!rule) throw engineError(3085, {name});
  const auto count = static_cast<int>(arguments.size());
  if (count < rule->minimumArguments || count > rule->maximumArguments)
    throw engineError(3075, {"Wrong number of arguments used with function", clauseText_});
  if (!rule->build) return iif(arguments);
  std::vector<std::string> translated;
  for (const auto& argument : arguments) {
    if (argument->kind == Expr::Kind::Star) {
      if (!jetsql::sameWord(name, "Count"))
        throw engineError(3075, {kMissingOperator, clauseText_});
      translated.push_back("*");
    } else {
      translated.push_back(translate(*argument));
    }
  }
  return rule->build(translated);
}

}  // namespace telvarn::sqlite
