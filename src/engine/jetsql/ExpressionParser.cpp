#include "engine/jetsql/ExpressionParser.h"

#include <optional>

#include "engine/AppError.h"
#include "engine/jetsql/Keywords.h"
#include "engine/jetsql/SelectParser.h"

namespace telvarn::jetsql {
namespace {

constexpr const char* kMissingOperator = "Syntax error (missing operator)";
constexpr const char* kMissingParenthesis = "Missing ), ], or Item";
constexpr const char* kTooComplex = "Expression too complex";

// Precedence levels, loosest first. Levels without an entry below are
// handled by their own functions.
enum Level {
  kImp,
  kEqv,
  kXor,
  kOr,
  kAnd,
  kNot,
  kComparison,
  kConcat,
  kAdditive,
  kMod,
  kIntDivide,
  kMultiplicative,
  kUnary
};

struct BinaryOperator {
  int level;
  const char* text;
  bool word;
  Op op;
};

constexpr BinaryOperator kBinary[] = {
    {kImp, "IMP", true, Op::Imp},
    {kEqv, "EQV", true, Op::Eqv},
    {kXor, "XOR", true, Op::Xor},
    {kOr, "OR", true, Op::Or},
    {kAnd, "AND", true, Op::And},
    {kConcat, "&", false, Op::Concat},
    {kAdditive, "+", false, Op::Add},
    {kAdditive, "-", false, Op::Subtract},
    {kMod, "MOD", true, Op::Modulo},
    {kIntDivide, "\\", false, Op::IntDivide},
    {kMultiplicative, "*", false, Op::Multiply},
    {kMultiplicative, "/", false, Op::Divide},
    {kComparison, "=", false, Op::Equal},
    {kComparison, "<>", false, Op::NotEqual},
    {kComparison, "<", false, Op::Less},
    {kComparison, ">", false, Op::Greater},
    {kComparison, "<=", false, Op::LessEqual},
    {kComparison, ">=", false, Op::GreaterEqual},
};

std::optional<Op> binaryOperator(int level, const Token& token) {
  for (const auto& entry : kBinary) {
    if (entry.level != level) continue;
    if (entry.word ? token.isWord(entry.text) : token.isSymbol(entry.text)) return entry.op;
  }
  return std::nullopt;
}

}  // namespace

ExprPtr ExpressionParser::parseClause(ClauseEnd end) {
  clauseStart_ = cursor_.position();
  end_ = end;
  auto expr = parseLevel(kImp);
  checkFollower();
  return expr;
}

// A word that ends an expression of a SELECT clause rather than continuing
// it: a clause or join word, a sort order.
bool ExpressionParser::endsSelectClause(size_t at) const {
  const Token& token = cursor_.at(at);
  if (token.isWord("ASC") || token.isWord("DESC")) return true;
  if (token.isWord("LEFT") || token.isWord("RIGHT")) {
    const Token& after = cursor_.at(at + 1);
    return after.isWord("JOIN") || after.isWord("OUTER");
  }
  if (token.kind != TokenKind::Name || !isReservedWord(token.text)) return false;
  return !token.isWord("NOT") && !token.isWord("NULL") && !token.isWord("TRUE") &&
         !token.isWord("FALSE") && !token.isWord("EXISTS");
}

// WITH (OWNERACCESS OPTION) may follow the last clause of a statement.
bool ExpressionParser::endsAtWith(const Token& token) const {
  return (end_ == ClauseEnd::Statement || end_ == ClauseEnd::SetValue) && token.isWord("WITH");
}

void ExpressionParser::checkFollower() const {
  const Token& token = cursor_.peek();
  if (token.kind == TokenKind::Invalid) fail(token.text);
  if (end_ == ClauseEnd::Select) {
    if (token.isSymbol(")") && !nested_) fail("Extra )");
    if (token.isSymbol(")") || endsSelectClause(cursor_.position())) return;
  }
  if (token.isSymbol(")") && end_ != ClauseEnd::ListItem) fail("Extra )");
  if (end_ == ClauseEnd::SetValue && token.isWord("WHERE")) return;
  if (endsAtWith(token)) return;
  if (token.startsOperand()) fail(kMissingOperator);
}

// Every expression inside another (in parentheses, a function's argument,
// an item of an In list, a clause of a subquery) starts at kImp, one level
// deeper. A run of one operator is one node, however long; a change of
// operator makes the run so far the operand of a new node, one level deeper.
ExprPtr ExpressionParser::parseLevel(int level) {
  if (level == kNot) return parseNot();
  if (level == kComparison) return parseComparison();
  if (level == kUnary) return parseUnary();
  TokenCursor::Nesting nesting(cursor_);
  if (level == kImp) deeper(nesting);
  auto left = parseLevel(level + 1);
  while (const auto op = binaryOperator(level, cursor_.peek())) {
    cursor_.next();
    if (!isRunOf(*left, *op)) deeper(nesting);
    left = run(*op, std::move(left), parseLevel(level + 1));
  }
  return left;
}

ExprPtr ExpressionParser::parseNot() {
  const size_t begin = cursor_.peek().begin;
  if (!cursor_.acceptWord("NOT")) return parseLevel(kComparison);
  TokenCursor::Nesting nesting(cursor_);
  deeper(nesting);
  return unary(Op::Not, parseNot(), begin);
}

// Comparisons and predicates apply to all that stands before them
// (a = b = c is (a = b) = c), each one level deeper.
ExprPtr ExpressionParser::parseComparison() {
  TokenCursor::Nesting nesting(cursor_);
  auto left = parseLevel(kConcat);
  for (;;) {
    if (const auto op = binaryOperator(kComparison, cursor_.peek())) {
      cursor_.next();
      deeper(nesting);
      left = atQuantifier() ? parseQuantified(*op, std::move(left))
                            : binary(*op, std::move(left), parseLevel(kConcat));
    } else if (cursor_.atWord("NOT") || cursor_.atWord("LIKE") || cursor_.atWord("BETWEEN") ||
               cursor_.atWord("IN") || cursor_.atWord("IS")) {
      deeper(nesting);
      left = parsePredicate(std::move(left));
    } else {
      return left;
    }
  }
}

// Like, Between, In and Is, each possibly negated.
ExprPtr ExpressionParser::parsePredicate(ExprPtr left) {
  if (cursor_.acceptWord("IS")) {
    const bool negated = cursor_.acceptWord("NOT");
    if (!cursor_.acceptWord("NULL")) fail("Invalid use of Is operator");
    auto test = make(Expr::Kind::IsNull, left->begin);
    test->negated = negated;
    test->operands.push_back(std::move(left));
    test->end = lastEnd();
    return test;
  }
  const bool negated = cursor_.acceptWord("NOT");
  if (cursor_.acceptWord("BETWEEN")) return parseBetween(std::move(left), negated);
  if (cursor_.acceptWord("IN")) return parseIn(std::move(left), negated);
  if (!cursor_.acceptWord("LIKE")) fail(kMissingOperator);
  auto like = binary(Op::Like, std::move(left), parseLevel(kConcat));
  like->negated = negated;
  return like;
}

ExprPtr ExpressionParser::parseBetween(ExprPtr left, bool negated) {
  auto between = make(Expr::Kind::Between, left->begin);
  between->negated = negated;
  between->operands.push_back(std::move(left));
  between->operands.push_back(parseLevel(kConcat));
  if (!cursor_.acceptWord("AND")) fail("Between operator without And");
  between->operands.push_back(parseLevel(kConcat));
  between->end = lastEnd();
  return between;
}

ExprPtr ExpressionParser::parseIn(ExprPtr left, bool negated) {
  auto in = make(Expr::Kind::In, left->begin);
  in->negated = negated;
  in->operands.push_back(std::move(left));
  if (!cursor_.acceptSymbol("(")) fail("In operator without ()");
  if (cursor_.atWord("SELECT")) {
    in->query = parseSubquery();
    if (!cursor_.acceptSymbol(")")) fail(kMissingParenthesis);
    in->end = lastEnd();
    return in;
  }
  do {
    in->operands.push_back(parseLevel(kImp));
  } while (cursor_.acceptSymbol(","));
  if (!cursor_.acceptSymbol(")")) fail(kMissingParenthesis);
  in->end = lastEnd();
  return in;
}

// ANY, SOME or ALL before a parenthesised SELECT, after a comparison.
bool ExpressionParser::atQuantifier() const {
  const Token& word = cursor_.peek();
  return (word.isWord("ANY") || word.isWord("SOME") || word.isWord("ALL")) &&
         cursor_.peek(1).isSymbol("(") && cursor_.peek(2).isWord("SELECT");
}

ExprPtr ExpressionParser::parseQuantified(Op op, ExprPtr left) {
  auto quantified = make(Expr::Kind::Quantified, left->begin);
  quantified->op = op;
  quantified->every = cursor_.next().isWord("ALL");
  quantified->operands.push_back(std::move(left));
  cursor_.next();
  quantified->query = parseSubquery();
  if (!cursor_.acceptSymbol(")")) fail(kMissingParenthesis);
  quantified->end = lastEnd();
  return quantified;
}

ExprPtr ExpressionParser::parseUnary() {
  const size_t begin = cursor_.peek().begin;
  if (!cursor_.atSymbol("-") && !cursor_.atSymbol("+")) return parsePower();
  TokenCursor::Nesting nesting(cursor_);
  deeper(nesting);
  if (cursor_.next().isSymbol("+")) return parseUnary();
  return unary(Op::Negate, parseUnary(), begin);
}

// "^" binds tighter than a leading minus (-2^2 is -4) and takes a signed
// right operand (2^-1).
ExprPtr ExpressionParser::parsePower() {
  TokenCursor::Nesting nesting(cursor_);
  auto left = parsePrimary();
  while (cursor_.acceptSymbol("^")) {
    if (!isRunOf(*left, Op::Power)) deeper(nesting);
    left = run(Op::Power, std::move(left), parsePowerOperand());
  }
  return left;
}

ExprPtr ExpressionParser::parsePowerOperand() {
  const size_t begin = cursor_.peek().begin;
  if (!cursor_.atSymbol("-")) return parsePrimary();
  TokenCursor::Nesting nesting(cursor_);
  deeper(nesting);
  cursor_.next();
  return unary(Op::Negate, parsePowerOperand(), begin);
}

ExprPtr ExpressionParser::parsePrimary() {
  const Token& token = cursor_.peek();
  switch (token.kind) {
    case TokenKind::Number:
      return literal(token.integral ? Expr::Kind::Integer : Expr::Kind::Double);
    case TokenKind::String:
      return literal(Expr::Kind::Text);
    case TokenKind::Date:
      return literal(Expr::Kind::Date);
    case TokenKind::Name:
      return parseWord();
    case TokenKind::QuotedName:
      return parseReference();
    case TokenKind::Invalid:
      fail(token.text);
    default:
      if (token.isSymbol("(")) return parseParenthesis();
      fail(kMissingOperator);
  }
}

ExprPtr ExpressionParser::literal(Expr::Kind kind) {
  const Token& token = cursor_.next();
  auto expr = make(kind, token.begin);
  expr->integer = token.integer;
  expr->number = token.number;
  expr->text = token.text;
  expr->end = token.end;
  return expr;
}

ExprPtr ExpressionParser::parseWord() {
  const Token& token = cursor_.peek();
  if (token.isWord("TRUE") || token.isWord("FALSE")) {
    auto expr = make(Expr::Kind::Integer, token.begin);
    expr->integer = token.isWord("TRUE") ? -1 : 0;
    expr->end = cursor_.next().end;
    return expr;
  }
  if (token.isWord("EXISTS")) return parseExists();
  if (token.isWord("NULL")) {
    auto expr = make(Expr::Kind::Null, token.begin);
    expr->end = cursor_.next().end;
    return expr;
  }
  if (isReservedWord(token.text)) fail(kMissingOperator);
  if (cursor_.peek(1).isSymbol("(")) return parseCall();
  return parseReference();
}

// name, t.name, [t].[name] or t!name.
ExprPtr ExpressionParser::parseReference() {
  const Token& first = cursor_.next();
  auto expr = make(Expr::Kind::Column, first.begin);
  expr->text = first.text;
  if (cursor_.atSymbol(".") || cursor_.atSymbol("!")) {
    const Token& after = cursor_.peek(1);
    if (after.kind != TokenKind::Name && after.kind != TokenKind::QuotedName)
      fail("Invalid use of '.', '!', or '()'");
    cursor_.next();
    expr->qualifier = std::move(expr->text);
    expr->text = cursor_.next().text;
  }
  expr->end = lastEnd();
  return expr;
}

ExprPtr ExpressionParser::parseCall() {
  const Token& name = cursor_.next();
  auto call = make(Expr::Kind::Call, name.begin);
  call->text = name.text;
  cursor_.next();  // "("
  if (!cursor_.atSymbol(")")) {
    do {
      if (cursor_.atSymbol("*")) {
        call->operands.push_back(make(Expr::Kind::Star, cursor_.peek().begin));
        call->operands.back()->end = cursor_.next().end;
      } else {
        call->operands.push_back(parseLevel(kImp));
      }
    } while (cursor_.acceptSymbol(","));
  }
  if (!cursor_.acceptSymbol(")")) fail(kMissingParenthesis);
  call->end = lastEnd();
  return call;
}

ExprPtr ExpressionParser::parseParenthesis() {
  const size_t begin = cursor_.next().begin;
  if (cursor_.atWord("SELECT")) {
    auto subquery = make(Expr::Kind::Subquery, begin);
    subquery->query = parseSubquery();
    if (!cursor_.acceptSymbol(")")) fail(kMissingParenthesis);
    subquery->end = lastEnd();
    return subquery;
  }
  auto inner = parseLevel(kImp);
  if (!cursor_.acceptSymbol(")")) fail(kMissingParenthesis);
  inner->begin = begin;
  inner->end = lastEnd();
  return inner;
}

ExprPtr ExpressionParser::parseExists() {
  auto exists = make(Expr::Kind::Exists, cursor_.next().begin);
  if (!cursor_.acceptSymbol("(") || !cursor_.atWord("SELECT")) fail(kMissingOperator);
  exists->query = parseSubquery();
  if (!cursor_.acceptSymbol(")")) fail(kMissingParenthesis);
  exists->end = lastEnd();
  return exists;
}

// A SELECT inside parentheses; the cursor stands on its SELECT.
QueryPtr ExpressionParser::parseSubquery() {
  cursor_.next();
  return parseSelectQuery(cursor_, true);
}

ExprPtr ExpressionParser::make(Expr::Kind kind, size_t begin) const {
  auto expr = std::make_unique<Expr>();
  expr->kind = kind;
  expr->begin = begin;
  expr->end = begin;
  return expr;
}

ExprPtr ExpressionParser::unary(Op op, ExprPtr operand, size_t begin) const {
  auto expr = make(Expr::Kind::Unary, begin);
  expr->op = op;
  expr->end = operand->end;
  expr->operands.push_back(std::move(operand));
  return expr;
}

ExprPtr ExpressionParser::binary(Op op, ExprPtr left, ExprPtr right) const {
  auto expr = make(Expr::Kind::Binary, left->begin);
  expr->op = op;
  expr->end = right->end;
  expr->operands.push_back(std::move(left));
  expr->operands.push_back(std::move(right));
  return expr;
}

bool ExpressionParser::isRunOf(const Expr& expr, Op op) {
  return expr.kind == Expr::Kind::Binary && expr.op == op;
}

// `left op right`, evaluated left to right; `right` joins `left` when that is
// a run of `op` already.
ExprPtr ExpressionParser::run(Op op, ExprPtr left, ExprPtr right) const {
  if (!isRunOf(*left, op)) return binary(op, std::move(left), std::move(right));
  left->end = right->end;
  left->operands.push_back(std::move(right));
  return left;
}

size_t ExpressionParser::lastEnd() const {
  return cursor_.position() == 0 ? 0 : cursor_.at(cursor_.position() - 1).end;
}

void ExpressionParser::deeper(TokenCursor::Nesting& nesting) const {
  if (!nesting.deeper()) fail(kTooComplex);
}

void ExpressionParser::fail(const std::string& reason) const {
  throw engineError(3075, {reason, clauseText()});
}

// The expression as written, from its start to where its clause ends, so
// that a fault deep inside still quotes the whole expression.
std::string ExpressionParser::clauseText() const {
  const size_t begin = cursor_.at(clauseStart_).begin;
  size_t end = begin;
  int depth = 0;
  for (size_t i = clauseStart_;; ++i) {
    const Token& token = cursor_.at(i);
    if (token.kind == TokenKind::End) break;
    if (depth == 0) {
      if (token.isSymbol(";")) break;
      if (token.isSymbol(",") && end_ != ClauseEnd::Statement) break;
      if (token.isSymbol(")") && (end_ == ClauseEnd::ListItem || end_ == ClauseEnd::Select)) break;
      if (token.isWord("WHERE") && end_ == ClauseEnd::SetValue) break;
      if (endsAtWith(token)) break;
      if (end_ == ClauseEnd::Select && i > clauseStart_ && endsSelectClause(i)) break;
    }
    if (token.isSymbol("(")) ++depth;
    if (token.isSymbol(")")) --depth;
    end = token.end;
  }
  return cursor_.sql().substr(begin, end - begin);
}

}  // namespace telvarn::jetsql
