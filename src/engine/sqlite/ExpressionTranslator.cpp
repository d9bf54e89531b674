#include "engine/sqlite/ExpressionTranslator.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/DataType.h"
#include "engine/NumberText.h"
#include "engine/jetsql/ConstantExpression.h"
#include "engine/sqlite/Connection.h"
#include "engine/sqlite/FunctionTranslation.h"
#include "engine/sqlite/LinkedTables.h"
#include "engine/sqlite/NativeOperations.h"
#include "engine/sqlite/SelectTranslator.h"
#include "engine/sqlite/TextOrder.h"
#include "engine/sqlite/ValueCodec.h"
#include "engine/values/Arithmetic.h"
#include "engine/values/Comparison.h"
#include "engine/values/Errors.h"

namespace telvarn::sqlite {
namespace {

using jetsql::Expr;
using jetsql::Op;
using Kind = Variant::Kind;

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

struct RunOperator {
  Op op;
  values::Operator rule;
  const char* function;
};

constexpr RunOperator kRunOperators[] = {
    {Op::Add, values::Operator::Add, "telvarn_add"},
    {Op::Subtract, values::Operator::Subtract, "telvarn_subtract"},
    {Op::Multiply, values::Operator::Multiply, "telvarn_multiply"},
    {Op::Divide, values::Operator::Divide, "telvarn_divide"},
    {Op::IntDivide, values::Operator::IntegerDivide, "telvarn_intdiv"},
    {Op::Modulo, values::Operator::Modulo, "telvarn_mod"},
    {Op::Power, values::Operator::Power, "telvarn_pow"},
    {Op::Concat, values::Operator::Concatenate, "telvarn_concat"},
};

const RunOperator& runOperator(Op op) {
  return *std::find_if(std::begin(kRunOperators), std::end(kRunOperators),
                       [&](const RunOperator& entry) { return entry.op == op; });
}

// A kind the value library works out before the values are known; a type
// mismatch it finds there is the statement's.
template <typename Rule>
Kind staticKind(Rule rule) {
  try {
    return rule();
  } catch (const AppError& error) {
    throw values::inQueryExpression(error);
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

bool isText(const ValueKind& kind) {
  return kind == Kind::Text;
}

bool nativelyCompared(const Translated& a, const Translated& b) {
  return a.kind && b.kind && nativeComparison(*a.kind, *b.kind);
}

}  // namespace

char argumentLetter(const Translated& argument) {
  return argument.tagged ? kVaries : kindLetter(argument.kind);
}

int fieldTypeOf(ValueKind kind) {
  switch (kind.value_or(Kind::Null)) {
    case Kind::Boolean:
      return DataType::Boolean;
    case Kind::Byte:
      return DataType::Byte;
    case Kind::Short:
      return DataType::Integer;
    case Kind::Long:
      return DataType::Long;
    case Kind::Currency:
      return DataType::Currency;
    case Kind::Single:
      return DataType::Single;
    case Kind::Double:
      return DataType::Double;
    case Kind::Date:
      return DataType::Date;
    case Kind::Text:
      return DataType::Text;
    case Kind::Binary:
      return DataType::LongBinary;
    default:
      return 0;
  }
}

bool isTest(const Expr& expr) {
  switch (expr.kind) {
    case Expr::Kind::IsNull:
    case Expr::Kind::Between:
    case Expr::Kind::In:
    case Expr::Kind::Exists:
    case Expr::Kind::Quantified:
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
                                           std::vector<Variant>& parameters, Storage* storage,
                                           LinkedTables* links)
    : scope_(scope), sql_(sql), parameters_(parameters), storage_(storage), links_(links) {}

ExpressionTranslator::ExpressionTranslator(const Scope& scope, ExpressionTranslator& outer,
                                           std::optional<std::string_view> sql)
    : scope_(scope),
      sql_(sql.value_or(outer.sql_)),
      parameters_(outer.parameters_),
      storage_(outer.storage_),
      links_(outer.links_),
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

void ExpressionTranslator::failWith(const char* reason) const {
  throw engineError(3075, {reason, clauseText_});
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

Translated ExpressionTranslator::clause(const Expr& expr) {
  clauseText_ = std::string(sql_.substr(std::min(expr.begin, sql_.size()), expr.end - expr.begin));
  return translate(expr);
}

std::string ExpressionTranslator::condition(const Expr& expr) {
  clauseText_ = std::string(sql_.substr(std::min(expr.begin, sql_.size()), expr.end - expr.begin));
  return test(expr);
}

Translated ExpressionTranslator::ordered(const Expr& expr) {
  Translated value = clause(expr);
  if (!value.field && (!value.kind || isText(value.kind))) value.sql += textOrder();
  return value;
}

std::string ExpressionTranslator::textOrder() {
  if (inline_) return " COLLATE NOCASE";
  root().ownFunctions_ = true;
  return std::string(" COLLATE ") + kTextCollation;
}

std::string ExpressionTranslator::ownCall(const std::string& name, const std::string& arguments) {
  root().ownFunctions_ = true;
  return name + "(" + arguments + ")";
}

std::string ExpressionTranslator::tagged(const Translated& value) {
  if (value.tagged) return value.sql;
  return ownCall("telvarn_typed",
                 value.sql + ", " + Connection::literal(std::string(1, kindLetter(value.kind))));
}

std::string ExpressionTranslator::argumentList(const std::vector<Translated>& arguments) {
  std::vector<Term> list;
  for (const Translated& argument : arguments)
    list.push_back({argument.sql, argumentLetter(argument)});
  return codeAndList(list);
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
      case Kind::Empty:
      case Kind::Null:
        return "NULL";
      case Kind::Text:
        return Connection::literal(value.textValue());
      case Kind::Single:
      case Kind::Double:
      case Kind::Date:
        return realLiteral(value.realValue());
      default:
        return std::to_string(value.wholeValue());
    }
  }
  parameters_.push_back(std::move(value));
  const std::string placeholder = "?" + std::to_string(parameters_.size());
  return root().literalsApart_ > 0 ? "(SELECT " + placeholder + ")" : placeholder;
}

// A value: a test yields -1 for True, as the engine's comparisons do.
Translated ExpressionTranslator::translate(const Expr& expr) {
  const Deeper deeper(*this);
  if (isTest(expr)) return {wrap("- " + test(expr)), Kind::Short};
  switch (expr.kind) {
    case Expr::Kind::Null:
      return {"NULL", Kind::Null};
    case Expr::Kind::Integer:
    case Expr::Kind::Double:
    case Expr::Kind::Text:
    case Expr::Kind::Date:
      return literal(expr);
    case Expr::Kind::Column:
      return column(expr);
    case Expr::Kind::Unary:
      return negation(expr);
    case Expr::Kind::Binary:
      return arithmetic(expr);
    case Expr::Kind::Call:
      return call(expr);
    case Expr::Kind::Subquery:
      return subquery(expr);
    default:
      break;
  }
  failWith(kMissingOperator);
}

// A whole number is a Long as far as it fits, else a Double.
Translated ExpressionTranslator::literal(const Expr& expr) {
  switch (expr.kind) {
    case Expr::Kind::Integer:
      if (expr.integer >= INT32_MIN && expr.integer <= INT32_MAX)
        return {parameter(Variant(expr.integer)), Kind::Long};
      return {parameter(Variant(static_cast<double>(expr.integer))), Kind::Double};
    case Expr::Kind::Double:
      return {parameter(Variant(expr.number)), Kind::Double, false, nullptr, expr.text};
    case Expr::Kind::Date:
      return {parameter(Variant::fromDate(expr.number)), Kind::Date};
    default:
      return {parameter(Variant(expr.text)), Kind::Text};
  }
}

// A condition as SQLite tests it; anything else is a value that holds when
// it is not zero.
std::string ExpressionTranslator::test(const Expr& expr) {
  if (!isTest(expr)) return translate(expr).sql;
  const Deeper deeper(*this);
  switch (expr.kind) {
    case Expr::Kind::IsNull:
      return wrap(translate(*expr.operands[0]).sql + (expr.negated ? " IS NOT NULL" : " IS NULL"));
    case Expr::Kind::Between:
      return between(expr);
    case Expr::Kind::In:
      return in(expr);
    case Expr::Kind::Exists:
      return exists(expr);
    case Expr::Kind::Quantified:
      return quantified(expr);
    case Expr::Kind::Unary:
      return wrap("NOT " + test(*expr.operands[0]));
    default:
      if (expr.op == Op::Like) return like(expr);
      return expr.op <= Op::GreaterEqual ? comparison(expr) : logical(expr);
  }
}

// A name that is no field may still be a function written without
// parentheses; otherwise it is a parameter the statement leaves unfilled.
// A column of a query whose kind differs by row takes its kind from the
// column beside it.
Translated ExpressionTranslator::column(const Expr& expr) {
  const Scope::Found found = scope_.find(expr.qualifier, expr.text);
  if (!found.field) {
    if (expr.qualifier.empty() && isBareFunction(expr.text)) return call(expr);
    noteUnknown(expr.qualifier, expr.text);
    return {"NULL", Kind::Null};
  }
  // A field of a level around: this level and those between read outside
  // themselves.
  ExpressionTranslator* reader = this;
  for (const Scope* level = &scope_; level && reader && !owns(*level, found.source);
       level = level->outer(), reader = reader->outer_)
    reader->readsOuter_ = true;
  const std::string source = Connection::quote(found.source->sqlName) + ".";
  const std::string name = source + Connection::quote(found.field->name);
  if (found.field->type == 0) {
    const std::string kind = source + Connection::quote(kindColumn(found.field->name));
    return {ownCall("telvarn_typed", name + ", " + kind), std::nullopt, true, found.field};
  }
  const Kind kind = kindOfField(found.field->type);
  return {kind == Kind::Text ? wrap(name + textOrder()) : name, kind, false, found.field};
}

Translated ExpressionTranslator::negation(const Expr& expr) {
  const Translated operand = translate(*expr.operands[0]);
  if (!operand.kind)
    return {ownCall("telvarn_negate", argumentList({operand})), std::nullopt, true};
  const Kind kind = staticKind([&] { return values::negatedKind(*operand.kind); });
  if (nativeNegation(*operand.kind)) {
    const std::string digits = operand.digits.empty() ? "" : "-" + operand.digits;
    return {wrap("- " + operand.sql), kind, false, nullptr, digits};
  }
  return {ownCall("telvarn_negate", argumentList({operand})), kind, true};
}

// A run of one operator, left to right, its kind folded step by step by
// the value library's rules. Where every step is SQLite's own (NativeOperations.h),
// the run is written flat as SQLite reads it, left to right (a run of "+"
// only up to kRunWidth terms); otherwise it is one call of the operator's
// registered function, which folds any number of operands and takes more
// than kRunWidth of them in lists (telvarn_terms).
Translated ExpressionTranslator::arithmetic(const Expr& expr) {
  const RunOperator& op = runOperator(expr.op);
  std::vector<Translated> operands;
  for (const auto& operand : expr.operands) operands.push_back(translate(*operand));
  ValueKind kind = operands[0].kind;
  bool native = expr.op != Op::Add || operands.size() <= kRunWidth;
  for (size_t i = 1; i < operands.size(); ++i) {
    const ValueKind next = operands[i].kind;
    native = native && kind && next && nativeArithmetic(expr.op, *kind, *next);
    if (kind && next) {
      kind = staticKind([&] { return values::resultKind(op.rule, *kind, *next); });
    } else if (expr.op != Op::Concat) {
      kind = std::nullopt;
    }
  }
  if (native) {
    std::vector<std::string> terms;
    for (const Translated& operand : operands) terms.push_back(operand.sql);
    const char* sign = expr.op == Op::Subtract ? " - " : expr.op == Op::Multiply ? " * " : " + ";
    return {wrap(joined(terms, 0, terms.size(), sign)), kind};
  }
  if (expr.op == Op::Concat) kind = Kind::Text;
  return {ownCall(op.function, codeAndList(terms(std::move(operands), kRunWidth))), kind, true};
}

// Operands of a registered function: in lists of terms (telvarn_terms)
// of at most kRunWidth while there are more than `room` of them.
std::vector<ExpressionTranslator::Term> ExpressionTranslator::terms(
    std::vector<Translated> operands, size_t room) {
  std::vector<Term> all;
  for (Translated& operand : operands)
    all.push_back({std::move(operand.sql), argumentLetter(operand)});
  while (all.size() > room) {
    std::vector<Term> groups;
    for (size_t first = 0; first < all.size(); first += kRunWidth) {
      const std::vector<Term> group(
          all.begin() + static_cast<ptrdiff_t>(first),
          all.begin() + static_cast<ptrdiff_t>(std::min(first + kRunWidth, all.size())));
      groups.push_back({ownCall("telvarn_terms", codeAndList(group)), '-'});
    }
    all = std::move(groups);
  }
  return all;
}

std::string ExpressionTranslator::codeAndList(const std::vector<Term>& terms) {
  std::string code;
  std::string list;
  for (const Term& term : terms) {
    code += term.letter;
    list += ", " + term.sql;
  }
  return Connection::literal(code) + list;
}

std::string ExpressionTranslator::logical(const Expr& expr) {
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

// Two values compared: SQLite's own comparison where it gives the
// dialect's order (text in the General sort order, whichever side holds
// it, so that the indexes of numbers, dates and text serve), else the
// dialect's. Text against a number is refused before any row is read.
std::string ExpressionTranslator::compared(Op op, const Translated& a, const Translated& b) {
  requireComparable(a.kind, b.kind);
  if (nativelyCompared(a, b)) {
    const bool text = isText(a.kind) || isText(b.kind);
    return wrap(a.sql + comparisonText(op) + b.sql + (text ? textOrder() : ""));
  }
  const int comparison = static_cast<int>(jetsql::comparisonOf(op));
  return ownCall("telvarn_compare", std::to_string(comparison) + ", " + argumentList({a, b}));
}

std::string ExpressionTranslator::comparison(const Expr& expr) {
  const Translated a = translate(*expr.operands[0]);
  const Translated b = translate(*expr.operands[1]);
  return compared(expr.op, a, b);
}

// Between takes its bounds in either order.
std::string ExpressionTranslator::between(const Expr& expr) {
  const Translated value = translate(*expr.operands[0]);
  const Translated one = translate(*expr.operands[1]);
  const Translated other = translate(*expr.operands[2]);
  requireComparable(value.kind, one.kind);
  requireComparable(value.kind, other.kind);
  std::string test;
  if (nativelyCompared(value, one) && nativelyCompared(value, other)) {
    const bool text = isText(value.kind) || isText(one.kind) || isText(other.kind);
    const std::string tested = value.sql + (text ? textOrder() : "");
    test = wrap(tested + " BETWEEN " + one.sql + " AND " + other.sql + " OR " + tested +
                " BETWEEN " + other.sql + " AND " + one.sql);
  } else {
    test = ownCall("telvarn_between", argumentList({value, one, other}));
  }
  return expr.negated ? wrap("NOT " + test) : test;
}

std::string ExpressionTranslator::in(const Expr& expr) {
  const Translated value = translate(*expr.operands[0]);
  const char* keyword = expr.negated ? " NOT IN " : " IN ";
  if (expr.query) {
    std::string rows;
    const Translated column = subqueryColumn(*expr.query, rows);
    requireComparable(value.kind, column.kind);
    if (nativelyCompared(value, column)) {
      const bool text = isText(value.kind) || isText(column.kind);
      return wrap(value.sql + (text ? textOrder() : "") + keyword +
                  wrap("SELECT " + column.sql + rows));
    }
    const std::string found =
        wrap("EXISTS " + wrap("SELECT 1" + rows + " WHERE " + compared(Op::Equal, value, column)));
    return expr.negated ? wrap("NOT " + found) : found;
  }
  std::vector<Translated> items;
  bool native = true;
  bool text = isText(value.kind);
  for (size_t i = 1; i < expr.operands.size(); ++i) {
    items.push_back(translate(*expr.operands[i]));
    requireComparable(value.kind, items.back().kind);
    native = native && nativelyCompared(value, items.back());
    text = text || isText(items.back().kind);
  }
  if (native) {
    std::string list;
    for (const Translated& item : items) list += (list.empty() ? "" : ", ") + item.sql;
    return wrap(value.sql + (text ? textOrder() : "") + keyword + wrap(list));
  }
  std::vector<Term> list = terms(std::move(items), kRunWidth - 1);
  list.insert(list.begin(), Term{value.sql, argumentLetter(value)});
  const std::string found = ownCall("telvarn_in", codeAndList(list));
  return expr.negated ? wrap("NOT " + found) : found;
}

std::string ExpressionTranslator::like(const Expr& expr) {
  const Translated text = translate(*expr.operands[0]);
  const Translated pattern = translate(*expr.operands[1]);
  const std::string called = ownCall("telvarn_like", argumentList({text, pattern}));
  return expr.negated ? wrap("NOT " + called) : called;
}

// x op ANY (SELECT ...) holds when the comparison holds for a row; x op ALL
// (...) when it holds for every row (none where it fails or is Null).
std::string ExpressionTranslator::quantified(const Expr& expr) {
  const Translated value = translate(*expr.operands[0]);
  std::string rows;
  const Translated column = subqueryColumn(*expr.query, rows);
  const std::string holds = compared(expr.op, value, column);
  if (!expr.every) return wrap("EXISTS " + wrap("SELECT 1" + rows + " WHERE " + holds));
  return wrap("NOT EXISTS " + wrap("SELECT 1" + rows + " WHERE " + holds + " IS NOT TRUE"));
}

std::string ExpressionTranslator::exists(const Expr& expr) {
  if (!storage_) failWith(kMissingOperator);
  const TranslatedQuery inner = translateQuery(*this, *expr.query);
  const auto table = commonTable(inner.sql, inner.readsOuterLevels);
  return wrap("EXISTS " + wrap(table ? "SELECT * FROM " + *table : inner.sql));
}

// The rows of a subquery of one column, as " FROM ... AS alias" in `rows`,
// and that column; 3306 for a subquery of more columns.
Translated ExpressionTranslator::subqueryColumn(const jetsql::SelectQuery& query,
                                                std::string& rows) {
  if (!storage_) failWith(kMissingOperator);
  const TranslatedQuery inner = translateQuery(*this, query);
  if (inner.columns.size() != 1) throw engineError(3306);
  const auto table = commonTable(inner.sql, inner.readsOuterLevels);
  const std::string alias = Connection::quote("telvarn.rows");
  rows = " FROM " + table.value_or(wrap(inner.sql)) + " AS " + alias;
  const FieldRecord& only = inner.columns[0];
  const std::string name = alias + "." + Connection::quote(only.name);
  if (only.type == 0) {
    const std::string kind = alias + "." + Connection::quote(kindColumn(only.name));
    return {ownCall("telvarn_typed", name + ", " + kind), std::nullopt, true};
  }
  const Kind kind = kindOfField(only.type);
  return {kind == Kind::Text ? wrap(name + textOrder()) : name, kind};
}

Translated ExpressionTranslator::subquery(const Expr& expr) {
  std::string rows;
  Translated column = subqueryColumn(*expr.query, rows);
  column.sql = wrap("SELECT " + column.sql + rows);
  return column;
}

}  // namespace telvarn::sqlite
