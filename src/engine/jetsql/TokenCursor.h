// TokenCursor: the parser's position in the tokens of one statement, with
// the few tests and moves every part of the grammar needs. Failures carry
// the error number of the statement being read, set by whoever reads it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/jetsql/Lexer.h"

namespace telvarn::jetsql {

class TokenCursor {
 public:
  explicit TokenCursor(std::string sql);

  const std::string& sql() const { return sql_; }
  const Token& peek(size_t ahead = 0) const;
  const Token& next();
  size_t position() const { return pos_; }
  const Token& at(size_t index) const;

  bool atWord(std::string_view word) const { return peek().isWord(word); }
  bool atSymbol(std::string_view symbol) const { return peek().isSymbol(symbol); }
  bool acceptWord(std::string_view word);
  bool acceptSymbol(std::string_view symbol);
  // No more tokens, or only the one ";" a statement may end with.
  bool atStatementEnd() const;

  // The error number of the statement being read; fail() raises it.
  void setSyntaxError(int number) { syntaxError_ = number; }
  int syntaxError() const { return syntaxError_; }
  [[noreturn]] void fail() const;
  [[noreturn]] void fail(int number) const;

  // Levels of nesting held for as long as the guard lives: a parenthesis, a
  // function call, a subquery, a sign, a Not, a join, and every operator
  // that takes the tree built so far as its operand. The statement's tree
  // is never deeper than the levels its parser held, so that no statement
  // can exhaust the stack of the parser or of anything that walks the tree.
  class Nesting {
   public:
    explicit Nesting(TokenCursor& cursor) : cursor_(cursor) {}
    ~Nesting() { cursor_.depth_ -= levels_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

    // One more level; false, holding nothing more, past kMaxNesting.
    [[nodiscard]] bool deeper();

   private:
    TokenCursor& cursor_;
    int levels_ = 0;
  };
  static constexpr int kMaxNesting = 200;

  // IN 'file' after a table or a FROM list: the file, or "" without one.
  std::string acceptDatabase();

  void expectWord(std::string_view word);
  void expectSymbol(std::string_view symbol);

  // A table, field or index name: a bare word that is no reserved word (nor,
  // with `typeNamesReserved`, a type name) or a bracketed name.
  bool atName(bool typeNamesReserved = false) const;
  std::string expectName(bool typeNamesReserved = false);

 private:
  std::string sql_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int syntaxError_ = 3000;
  int depth_ = 0;
};

}  // namespace telvarn::jetsql
