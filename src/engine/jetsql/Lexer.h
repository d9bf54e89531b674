// Lexer: splits a statement of the engine's SQL dialect into tokens. It never
// fails: a string, date or bracketed name left open, or a malformed number,
// becomes an Invalid token carrying the expression service's reason, so that
// the parser can report it with the error number of the place it stands in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Utf8.h"

namespace telvarn::jetsql {

enum class TokenKind {
  Name,        // a bare word: identifier or keyword
  QuotedName,  // [name] or `name`; text holds the name without delimiters
  String,      // '...' or "..."; text holds the value, doubled delimiters undone
  Number,      // integer or decimal; see integral
  Date,        // #...#; number holds the day number, text the date as written
  Symbol,      // operator or punctuation, text holds it (one or two characters)
  Invalid,     // text holds the reason, e.g. "Syntax error in string"
  End,
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  double number = 0;
  int64_t integer = 0;
  bool integral = false;  // written without fraction or exponent and fits 64 bits
  size_t begin = 0;       // offsets into the statement text
  size_t end = 0;

  // A bare word equal to `word` regardless of letter case.
  bool isWord(std::string_view word) const;
  bool isSymbol(std::string_view symbol) const {
    return kind == TokenKind::Symbol && text == symbol;
  }
  // Something that can begin an operand: a name, literal or "(".
  bool startsOperand() const;
};

// The tokens of `sql`, always ending with one End token.
std::vector<Token> tokenize(std::string_view sql);
// The first of them, read without the rest.
Token firstToken(std::string_view sql);

}  // namespace telvarn::jetsql
