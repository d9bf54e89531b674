#include "engine/jetsql/Parser.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/jetsql/DataParser.h"
#include "engine/jetsql/DefinitionParser.h"
#include "engine/jetsql/SelectParser.h"
#include "engine/jetsql/TokenCursor.h"

namespace telvarn::jetsql {
namespace {

constexpr std::string_view kVerbs[] = {"SELECT", "INSERT", "UPDATE",    "DELETE",    "CREATE",
                                       "ALTER",  "DROP",   "TRANSFORM", "PARAMETERS"};

bool isVerb(const Token& token) {
  return std::any_of(std::begin(kVerbs), std::end(kVerbs),
                     [&](std::string_view verb) { return token.isWord(verb); });
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// "PARAMETERS a Long, [b c] Text(10);" in front of a statement: the number
// of parameters it declares.
int skipParameters(TokenCursor& cursor) {
  cursor.setSyntaxError(3139);
  cursor.next();
  int count = 1;
  int depth = 0;
  while (!cursor.atSymbol(";")) {
    const Token& token = cursor.next();
    if (token.kind == TokenKind::End) cursor.fail();
    if (token.isSymbol("(")) ++depth;
    if (token.isSymbol(")")) --depth;
    if (token.isSymbol(",") && depth == 0) ++count;
  }
  cursor.next();
  return count;
}

// A crosstab is read only to its end: Execute refuses it whatever it holds.
SelectStatement skipTransform(TokenCursor& cursor) {
  cursor.setSyntaxError(3143);
  int depth = 0;
  while (cursor.peek().kind != TokenKind::End && !(depth == 0 && cursor.atSymbol(";"))) {
    const Token& token = cursor.next();
    if (token.isSymbol("(")) ++depth;
    if (token.isSymbol(")")) --depth;
  }
  return {};
}

SelectStatement parseSelect(TokenCursor& cursor) {
  SelectStatement select;
  select.query = parseSelectQuery(cursor, false);
  select.into = !select.query->into.empty();
  select.sql = cursor.sql();
  return select;
}

DataStatement data(auto action, const TokenCursor& cursor) {
  return DataStatement{std::move(action), cursor.sql()};
}

decltype(Statement::body) parseCreate(TokenCursor& cursor) {
  if (cursor.acceptWord("TABLE")) return parseCreateTable(cursor);
  if (cursor.acceptWord("INDEX")) return parseCreateIndex(cursor, false);
  if (cursor.acceptWord("UNIQUE")) {
    cursor.setSyntaxError(3291);
    cursor.expectWord("INDEX");
    return parseCreateIndex(cursor, true);
  }
  cursor.fail(3290);
}

decltype(Statement::body) parseBody(TokenCursor& cursor) {
  const Token& verb = cursor.next();
  if (verb.isWord("SELECT")) return parseSelect(cursor);
  if (verb.isWord("TRANSFORM")) return skipTransform(cursor);
  if (verb.isWord("INSERT")) return data(parseInsert(cursor), cursor);
  if (verb.isWord("UPDATE")) return data(parseUpdate(cursor), cursor);
  if (verb.isWord("DELETE")) return data(parseDelete(cursor), cursor);
  if (verb.isWord("CREATE")) return parseCreate(cursor);
  if (verb.isWord("ALTER")) {
    cursor.setSyntaxError(3293);
    cursor.expectWord("TABLE");
    return parseAlterTable(cursor);
  }
  return std::visit([](auto drop) -> decltype(Statement::body) { return drop; }, parseDrop(cursor));
}

}  // namespace

bool beginsWithVerb(const std::string& sql) {
  return isVerb(firstToken(sql));
}

Statement parseStatement(const std::string& sql) {
  TokenCursor cursor(sql);
  if (!isVerb(cursor.peek())) throw engineError(3078, {trimmed(sql)});
  Statement statement;
  if (cursor.atWord("PARAMETERS")) {
    statement.declaredParameters = skipParameters(cursor);
    if (!isVerb(cursor.peek()) || cursor.atWord("PARAMETERS")) cursor.fail(3139);
  }
  statement.body = parseBody(cursor);
  if (!cursor.atStatementEnd()) cursor.fail(cursor.atSymbol(";") ? 3142 : cursor.syntaxError());
  return statement;
}

}  // namespace telvarn::jetsql
