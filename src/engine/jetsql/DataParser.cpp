#include "engine/jetsql/DataParser.h"

#include "engine/jetsql/ExpressionParser.h"
#include "engine/jetsql/SelectParser.h"

namespace telvarn::jetsql {
namespace {

constexpr int kInsertError = 3134;
constexpr int kUpdateError = 3144;
constexpr int kDeleteError = 3130;

// The tables of an UPDATE or DELETE: one table keeps its name and alias in
// the statement, a join is kept whole.
template <typename Statement>
void readTables(TokenCursor& cursor, Statement& statement) {
  SourcePtr source = parseFromItem(cursor);
  if (source->kind == TableSource::Kind::Table) {
    statement.table = source->name;
    statement.alias = source->alias;
  } else {
    statement.source = std::move(source);
  }
}

ColumnRef readColumnRef(TokenCursor& cursor) {
  ColumnRef ref;
  ref.begin = cursor.peek().begin;
  ref.name = cursor.expectName();
  if (cursor.acceptSymbol(".") || cursor.acceptSymbol("!")) {
    ref.qualifier = std::move(ref.name);
    ref.name = cursor.expectName();
  }
  ref.end = cursor.at(cursor.position() - 1).end;
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
  insert.database = cursor.acceptDatabase();
  if (cursor.acceptSymbol("(")) {
    do {
      insert.columns.push_back(cursor.expectName());
    } while (cursor.acceptSymbol(","));
    cursor.expectSymbol(")");
  }
  if (cursor.acceptWord("SELECT")) {
    insert.select = parseSelectQuery(cursor, false);
    if (!insert.select->into.empty()) cursor.fail(kInsertError);
    return insert;
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
  readTables(cursor, update);
  cursor.setSyntaxError(kUpdateError);
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
  remove.distinctRow = cursor.acceptWord("DISTINCTROW");
  if (cursor.atWord("TOP")) cursor.fail(3318);
  if (!cursor.acceptSymbol("*") && !cursor.atWord("FROM")) {
    remove.target = cursor.expectName();
    if (cursor.acceptSymbol(".")) cursor.expectSymbol("*");
  }
  cursor.expectWord("FROM");
  readTables(cursor, remove);
  cursor.setSyntaxError(kDeleteError);
  remove.where = readWhere(cursor);
  return remove;
}

}  // namespace telvarn::jetsql
