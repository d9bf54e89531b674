#include "engine/jetsql/TokenCursor.h"

#include "engine/AppError.h"
#include "engine/jetsql/Keywords.h"

namespace telvarn::jetsql {

TokenCursor::TokenCursor(std::string sql) : sql_(std::move(sql)), tokens_(tokenize(sql_)) {}

const Token& TokenCursor::at(size_t index) const {
  return index < tokens_.size() ? tokens_[index] : tokens_.back();
}

const Token& TokenCursor::peek(size_t ahead) const {
  return at(pos_ + ahead);
}

const Token& TokenCursor::next() {
  const Token& token = peek();
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return token;
}

bool TokenCursor::acceptWord(std::string_view word) {
  if (!atWord(word)) return false;
  next();
  return true;
}

bool TokenCursor::acceptSymbol(std::string_view symbol) {
  if (!atSymbol(symbol)) return false;
  next();
  return true;
}

bool TokenCursor::atStatementEnd() const {
  if (peek().kind == TokenKind::End) return true;
  return atSymbol(";") && peek(1).kind == TokenKind::End;
}

void TokenCursor::fail() const {
  fail(syntaxError_);
}

void TokenCursor::fail(int number) const {
  throw engineError(number);
}

bool TokenCursor::Nesting::deeper() {
  if (cursor_.depth_ >= kMaxNesting) return false;
  ++cursor_.depth_;
  ++levels_;
  return true;
}

void TokenCursor::expectWord(std::string_view word) {
  if (!acceptWord(word)) fail();
}

void TokenCursor::expectSymbol(std::string_view symbol) {
  if (!acceptSymbol(symbol)) fail();
}

bool TokenCursor::atName(bool typeNamesReserved) const {
  const Token& token = peek();
  if (token.kind == TokenKind::QuotedName) return true;
  if (token.kind != TokenKind::Name || isReservedWord(token.text)) return false;
  return !(typeNamesReserved && findTypeName(token.text));
}

std::string TokenCursor::expectName(bool typeNamesReserved) {
  if (!atName(typeNamesReserved)) fail();
  return next().text;
}

std::string TokenCursor::acceptDatabase() {
  if (!acceptWord("IN")) return "";
  const Token& file = next();
  if (file.kind != TokenKind::String || file.text.empty()) fail();
  return file.text;
}

}  // namespace telvarn::jetsql
