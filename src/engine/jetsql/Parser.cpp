#include "engine/jetsql/Parser.h"

#include <algorithm>

#include "engine/AppError.h"
#include "engine/jetsql/DataParser.h"
#include "engine/jetsql/DefinitionParser.h"
#include "engine/jetsql/ExpressionParser.h"
#include "engine/jetsql/Keywords.h"
#include "engine/jetsql/SelectParser.h"
#include "engine/jetsql/TokenCursor.h"

namespace telvarn::jetsql {
namespace {

constexpr int kCrosstabError = 3143;

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

// One declaration of PARAMETERS, tokens [first, last] of `cursor`: the
// name runs up to the type word, which a "(length)" may follow.
ParameterDecl declaration(const TokenCursor& cursor, size_t first, size_t last) {
  ParameterDecl parameter;
  size_t typeWord = last;
  if (cursor.at(last).isSymbol(")") && last >= first + 3 && cursor.at(last - 2).isSymbol("(")) {
    typeWord = last - 3;
    parameter.size = static_cast<int>(cursor.at(last - 1).integer);
  }
  if (typeWord <= first) return parameter;
  parameter.name = cursor.sql().substr(cursor.at(first).begin,
                                       cursor.at(typeWord - 1).end - cursor.at(first).begin);
  const Token& word = cursor.at(typeWord);
  if (word.isWord("VALUE")) {
    parameter.type = 0;
  } else if (const auto name = findTypeName(word.text); name && word.kind == TokenKind::Name) {
    parameter.type = name->type;
  }
  return parameter;
}

// "PARAMETERS a Long, [b c] Text(10);" in front of a statement: what it
// declares.
std::vector<ParameterDecl> readParameters(TokenCursor& cursor) {
  cursor.setSyntaxError(3139);
  cursor.next();
  std::vector<ParameterDecl> parameters;
  size_t first = cursor.position();
  int depth = 0;
  while (!cursor.atSymbol(";")) {
    const Token& token = cursor.next();
    if (token.kind == TokenKind::End) cursor.fail();
    if (token.isSymbol("(")) ++depth;
    if (token.isSymbol(")")) --depth;
    if (depth == 0 && (token.isSymbol(",") || cursor.atSymbol(";"))) {
      const size_t last = cursor.position() - (token.isSymbol(",") ? 2 : 1);
      parameters.push_back(declaration(cursor, first, last));
      first = cursor.position();
    }
  }
  cursor.next();
  return parameters;
}

// A crosstab is read only to its end: Execute refuses it whatever it holds.
SelectStatement skipTransform(TokenCursor& cursor) {
  cursor.setSyntaxError(kCrosstabError);
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

// "WITH OWNERACCESS OPTION" at the end of a query; false when the
// statement does not end so.
bool readOwnerAccess(TokenCursor& cursor) {
  if (!cursor.acceptWord("WITH")) return false;
  cursor.expectWord("OWNERACCESS");
  cursor.expectWord("OPTION");
  return true;
}

bool isQuery(const decltype(Statement::body)& body) {
  return std::holds_alternative<SelectStatement>(body) ||
         std::holds_alternative<DataStatement>(body);
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
    statement.parameters = readParameters(cursor);
    statement.declaredParameters = static_cast<int>(statement.parameters.size());
    if (!isVerb(cursor.peek()) || cursor.atWord("PARAMETERS")) cursor.fail(3139);
  }
  statement.body = parseBody(cursor);
  if (isQuery(statement.body)) statement.ownerAccess = readOwnerAccess(cursor);
  if (!cursor.atStatementEnd()) cursor.fail(cursor.atSymbol(";") ? 3142 : cursor.syntaxError());
  return statement;
}

Crosstab parseCrosstab(const std::string& sql) {
  TokenCursor cursor(sql);
  if (cursor.atWord("PARAMETERS")) readParameters(cursor);
  cursor.setSyntaxError(kCrosstabError);
  cursor.expectWord("TRANSFORM");
  Crosstab crosstab;
  crosstab.value = ExpressionParser(cursor).parseClause(ClauseEnd::Select);
  if (cursor.acceptWord("AS")) crosstab.valueAlias = cursor.expectName();
  cursor.expectWord("SELECT");
  crosstab.select = parseSelectQuery(cursor, false);
  cursor.setSyntaxError(kCrosstabError);
  if (!crosstab.select->into.empty() || !crosstab.select->unions.empty()) cursor.fail();
  cursor.expectWord("PIVOT");
  crosstab.pivot = ExpressionParser(cursor).parseClause(ClauseEnd::Select);
  crosstab.ownerAccess = readOwnerAccess(cursor);
  if (!cursor.atStatementEnd()) cursor.fail();
  return crosstab;
}

}  // namespace telvarn::jetsql
