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

  // One more level of nesting (a parenthesis, a sign, a Not, a join) for
  // as long as the guard lives; past kMaxNesting the statement is refused
  // with `error`, so that no statement can exhaust the stack.
  class Nesting {
   public:
    Nesting(TokenCursor& cursor, int error);
    ~Nesting() { --cursor_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    TokenCursor& cursor_;
  };
  static constexpr int kMaxNesting = 100;
  bool tooDeep() const { return depth_ >= kMaxNesting; }

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
