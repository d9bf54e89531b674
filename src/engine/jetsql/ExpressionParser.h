// ExpressionParser: expressions of the dialect by the BASIC operator
// precedence (^, unary -, * /, \, Mod, + -, &, comparisons, Not, And, Or,
// Xor, Eqv, Imp). Every fault inside an expression is error 3075, with the
// expression service's reason and the text of the whole expression; an
// expression nested deeper than TokenCursor::kMaxNesting levels is 3075
// "Expression too complex".
#pragma once

#include "engine/jetsql/Ast.h"
#include "engine/jetsql/TokenCursor.h"

namespace telvarn::jetsql {

// What ends the expression being read, for the text a 3075 quotes.
enum class ClauseEnd {
  Statement,  // a WHERE condition: the rest of the statement
  ListItem,   // an item of VALUES (...): up to "," or ")"
  SetValue,   // a value of SET: up to "," or WHERE
  Select,     // a clause of a SELECT: up to ",", a clause word, or the ")"
              // that closes a SELECT written in parentheses
};

class ExpressionParser {
 public:
  // `nested`: the expression stands in a SELECT inside parentheses.
  explicit ExpressionParser(TokenCursor& cursor, bool nested = false)
      : cursor_(cursor), nested_(nested) {}

  // Reads one expression and checks that what follows cannot continue it.
  ExprPtr parseClause(ClauseEnd end);

 private:
  ExprPtr parseLevel(int level);
  ExprPtr parseNot();
  ExprPtr parseComparison();
  ExprPtr parsePredicate(ExprPtr left);
  ExprPtr parseBetween(ExprPtr left, bool negated);
  ExprPtr parseIn(ExprPtr left, bool negated);
  bool atQuantifier() const;
  ExprPtr parseQuantified(Op op, ExprPtr left);
  ExprPtr parseUnary();
  ExprPtr parsePower();
  ExprPtr parsePowerOperand();
  ExprPtr parsePrimary();
  ExprPtr parseWord();
  ExprPtr parseReference();
  ExprPtr parseCall();
  ExprPtr parseParenthesis();
  ExprPtr parseExists();
  QueryPtr parseSubquery();
  bool endsSelectClause(size_t at) const;
  ExprPtr literal(Expr::Kind kind);

  ExprPtr make(Expr::Kind kind, size_t begin) const;
  ExprPtr unary(Op op, ExprPtr operand, size_t begin) const;
  ExprPtr binary(Op op, ExprPtr left, ExprPtr right) const;
  static bool isRunOf(const Expr& expr, Op op);
  ExprPtr run(Op op, ExprPtr left, ExprPtr right) const;
  size_t lastEnd() const;
  void checkFollower() const;
  void deeper(TokenCursor::Nesting& nesting) const;
  [[noreturn]] void fail(const std::string& reason) const;
  std::string clauseText() const;

  TokenCursor& cursor_;
  size_t clauseStart_ = 0;
  bool endsAtWith(const Token& token) const;
  ClauseEnd end_ = ClauseEnd::Statement;
  bool nested_ = false;
};

}  // namespace telvarn::jetsql
