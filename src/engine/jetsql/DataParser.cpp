#include "engine/jetsql/DataParser.h"

#include "engine/jetsql/ExpressionParser.h"

namespace telvarn::jetsql {
namespace {

constexpr int kInsertError = 3134;
constexpr int kUpdateError = 3144;
constexpr int kDeleteError = 3130;

// "t AS x" or "t x" after a table name; empty when there is none.
std::string readAlias(TokenCursor& cursor) {
  if (cursor.acceptWord("AS")) return cursor.expectName();
  return cursor.atName() ? cursor.next().text : std::string();
}

ColumnRef readColumnRef(TokenCursor& cursor) {
  ColumnRef ref{{}, cursor.expectName()};
  if (cursor.acceptSymbol(".") || cursor.acceptSymbol("!")) {
    ref.qualifier = std::move(ref.name);
    ref.name = cursor.expectName();
  }
  return ref;
}

ExprPtr readWhere(TokenCursor& cursor) {
  if (!cursor.acceptWord("WHERE")) return nullptr;
  return ExpressionParser(cursor).parseClause(ClauseEnd::Statement);
}

}  // namespace

InsertStatement parseInsert(TokenCursor& cursor) {
  cursor.setSyntaxError(kInsertError);
  InsertStatement insert;
  cursor.expectWord("INTO");
  insert.table = cursor.expectName();
  if (cursor.acceptSymbol("(")) {
    do {
      insert.columns.push_back(cursor.expectName());
    } while (cursor.acceptSymbol(","));
    cursor.expectSymbol(")");
  }
  cursor.expectWord("VALUES");
  cursor.expectSymbol("(");
  do {
    insert.values.push_back(ExpressionParser(cursor).parseClause(ClauseEnd::ListItem));
  } while (cursor.acceptSymbol(","));
  cursor.expectSymbol(")");
  return insert;
}

UpdateStatement parseUpdate(TokenCursor& cursor) {
  cursor.setSyntaxError(kUpdateError);
  UpdateStatement update;
  update.table = cursor.expectName();
  if (!cursor.atWord("SET")) update.alias = readAlias(cursor);
  cursor.expectWord("SET");
  do {
    Assignment assignment{readColumnRef(cursor), nullptr};
    cursor.expectSymbol("=");
    assignment.value = ExpressionParser(cursor).parseClause(ClauseEnd::SetValue);
    update.assignments.push_back(std::move(assignment));
  } while (cursor.acceptSymbol(","));
  update.where = readWhere(cursor);
  return update;
}

// DELETE [DISTINCTROW] [* | t.* | t] FROM t [[AS] x] [WHERE ...]
DeleteStatement parseDelete(TokenCursor& cursor) {
  cursor.setSyntaxError(kDeleteError);
  DeleteStatement remove;
  cursor.acceptWord("DISTINCTROW");
  if (!cursor.acceptSymbol("*") && !cursor.atWord("FROM")) {
    remove.target = cursor.expectName();
    if (cursor.acceptSymbol(".")) cursor.expectSymbol("*");
  }
  cursor.expectWord("FROM");
  remove.table = cursor.expectName();
  if (!cursor.atWord("WHERE")) remove.alias = readAlias(cursor);
  remove.where = readWhere(cursor);
  return remove;
}

}  // namespace telvarn::jetsql
