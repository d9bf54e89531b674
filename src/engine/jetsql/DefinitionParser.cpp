#include "engine/jetsql/DefinitionParser.h"

#include "engine/jetsql/Keywords.h"

namespace telvarn::jetsql {
namespace {

constexpr int kCreateTableError = 3290;
constexpr int kCreateIndexError = 3291;
constexpr int kFieldError = 3292;
constexpr int kConstraintError = 3289;
constexpr int kAlterTableError = 3293;
constexpr int kDropIndexError = 3294;
constexpr int kDropError = 3295;
constexpr int kMaxTextLength = 255;

// "NATIONAL CHARACTER VARYING" and its shorter spellings are one type name.
std::string readTypeWord(TokenCursor& cursor) {
  if (cursor.peek().kind != TokenKind::Name) cursor.fail();
  std::string word = cursor.next().text;
  if (sameWord(word, "NATIONAL")) {
    if (!cursor.atWord("CHAR") && !cursor.atWord("CHARACTER")) cursor.fail();
    word = cursor.next().text;
  }
  if (sameWord(word, "CHAR") || sameWord(word, "CHARACTER")) cursor.acceptWord("VARYING");
  return word;
}

int readLength(TokenCursor& cursor) {
  const Token& token = cursor.next();
  if (token.kind != TokenKind::Number || !token.integral || token.integer < 1) cursor.fail();
  if (token.integer > kMaxTextLength) cursor.fail(3017);
  return static_cast<int>(token.integer);
}

// One whole number of COUNTER(seed, increment), with its sign, within a
// Long.
int64_t readCounterNumber(TokenCursor& cursor) {
  const bool negative = cursor.acceptSymbol("-");
  const Token& token = cursor.next();
  if (token.kind != TokenKind::Number || !token.integral) cursor.fail();
  const int64_t number = negative ? -token.integer : token.integer;
  if (number < INT32_MIN || number > INT32_MAX) cursor.fail();
  return number;
}

// COUNTER(seed, increment): numbers from the seed on, the increment apart;
// an increment of 0 would give every row the same number.
void readCounterArguments(TokenCursor& cursor, FieldType& type) {
  type.seed = readCounterNumber(cursor);
  cursor.expectSymbol(",");
  type.increment = readCounterNumber(cursor);
  if (type.increment == 0) cursor.fail();
}

std::vector<std::string> readNameList(TokenCursor& cursor) {
  std::vector<std::string> names;
  cursor.expectSymbol("(");
  do {
    names.push_back(cursor.expectName());
  } while (cursor.acceptSymbol(","));
  cursor.expectSymbol(")");
  return names;
}

ConstraintDef::Kind readConstraintKind(TokenCursor& cursor) {
  if (cursor.acceptWord("UNIQUE")) return ConstraintDef::Kind::Unique;
  if (cursor.acceptWord("FOREIGN")) {
    cursor.expectWord("KEY");
    return ConstraintDef::Kind::ForeignKey;
  }
  cursor.expectWord("PRIMARY");
  cursor.expectWord("KEY");
  return ConstraintDef::Kind::PrimaryKey;
}

// REFERENCES table [(field, ...)], after the word itself.
void readReferences(TokenCursor& cursor, ConstraintDef& constraint) {
  constraint.kind = ConstraintDef::Kind::ForeignKey;
  constraint.referencedTable = cursor.expectName();
  if (cursor.atSymbol("(")) constraint.referencedColumns = readNameList(cursor);
}

// [CONSTRAINT name] PRIMARY KEY | UNIQUE | NOT NULL | REFERENCES t [(f)]
// after a column's type.
void readColumnConstraint(TokenCursor& cursor, ColumnDef& column) {
  cursor.setSyntaxError(kConstraintError);
  ConstraintDef constraint;
  if (cursor.acceptWord("CONSTRAINT")) {
    constraint.name = cursor.expectName();
    if (cursor.acceptWord("NOT")) {
      cursor.expectWord("NULL");
      column.notNull = true;
      return;
    }
  }
  if (cursor.acceptWord("REFERENCES")) {
    if (column.references) cursor.fail();
    readReferences(cursor, constraint);
    column.references = std::move(constraint);
    return;
  }
  if (column.constraint || cursor.atWord("FOREIGN")) cursor.fail();
  constraint.kind = readConstraintKind(cursor);
  column.constraint = std::move(constraint);
}

// DEFAULT followed by a literal, kept as written for the field's DefaultValue.
std::string readDefault(TokenCursor& cursor) {
  const size_t begin = cursor.peek().begin;
  cursor.acceptSymbol("-");
  const Token& token = cursor.next();
  const bool literal = token.kind == TokenKind::Number || token.kind == TokenKind::String ||
                       token.kind == TokenKind::Date || token.isWord("TRUE") ||
                       token.isWord("FALSE") || token.isWord("NULL");
  if (!literal) cursor.fail();
  return cursor.sql().substr(begin, token.end - begin);
}

ColumnDef readColumn(TokenCursor& cursor) {
  ColumnDef column;
  cursor.setSyntaxError(kFieldError);
  column.name = cursor.expectName(true);
  column.type = parseFieldType(cursor);
  for (;;) {
    if (cursor.atWord("NOT")) {
      if (column.notNull) cursor.fail();
      cursor.next();
      cursor.expectWord("NULL");
      column.notNull = true;
    } else if (cursor.acceptWord("DEFAULT")) {
      if (!column.defaultValue.empty()) cursor.fail();
      column.defaultValue = readDefault(cursor);
    } else if (cursor.atWord("CONSTRAINT") || cursor.atWord("PRIMARY") || cursor.atWord("UNIQUE") ||
               cursor.atWord("REFERENCES")) {
      readColumnConstraint(cursor, column);
      cursor.setSyntaxError(kFieldError);
    } else {
      return column;
    }
  }
}

// CONSTRAINT name PRIMARY KEY (a, b) | UNIQUE (a, b) | FOREIGN KEY [NO
// INDEX] (a, b) REFERENCES t [(x, y)], as a list element of CREATE TABLE or
// after ALTER TABLE ... ADD.
ConstraintDef readTableConstraint(TokenCursor& cursor) {
  cursor.setSyntaxError(kConstraintError);
  ConstraintDef constraint;
  if (cursor.acceptWord("CONSTRAINT")) constraint.name = cursor.expectName();
  constraint.kind = readConstraintKind(cursor);
  if (constraint.kind == ConstraintDef::Kind::ForeignKey && cursor.acceptWord("NO")) {
    cursor.expectWord("INDEX");
    constraint.noIndex = true;
  }
  constraint.columns = readNameList(cursor);
  if (constraint.kind != ConstraintDef::Kind::ForeignKey) return constraint;
  cursor.expectWord("REFERENCES");
  readReferences(cursor, constraint);
  return constraint;
}

}  // namespace

FieldType parseFieldType(TokenCursor& cursor) {
  cursor.setSyntaxError(kFieldError);
  const auto name = findTypeName(readTypeWord(cursor));
  if (!name) cursor.fail();
  FieldType type;
  type.type = name->type;
  type.autoIncrement = name->length == TypeName::Length::Counter;
  const bool textual =
      name->length == TypeName::Length::Text || name->length == TypeName::Length::Binary;
  if (textual) type.size = kMaxTextLength;
  if (!cursor.acceptSymbol("(")) return type;
  if (textual) {
    type.size = readLength(cursor);
  } else if (type.autoIncrement) {
    readCounterArguments(cursor, type);
  } else {
    cursor.fail();
  }
  cursor.expectSymbol(")");
  return type;
}

CreateTable parseCreateTable(TokenCursor& cursor) {
  cursor.setSyntaxError(kCreateTableError);
  CreateTable create;
  create.table = cursor.expectName();
  if (!cursor.acceptSymbol("(")) return create;
  do {
    if (cursor.atSymbol(")")) cursor.fail();
    if (cursor.atWord("CONSTRAINT") || cursor.atWord("PRIMARY") || cursor.atWord("UNIQUE") ||
        cursor.atWord("FOREIGN")) {
      create.constraints.push_back(readTableConstraint(cursor));
    } else {
      create.columns.push_back(readColumn(cursor));
    }
    cursor.setSyntaxError(kCreateTableError);
  } while (cursor.acceptSymbol(","));
  cursor.expectSymbol(")");
  return create;
}

CreateIndex parseCreateIndex(TokenCursor& cursor, bool unique) {
  cursor.setSyntaxError(kCreateIndexError);
  CreateIndex create;
  create.unique = unique;
  create.name = cursor.expectName();
  cursor.expectWord("ON");
  create.table = cursor.expectName();
  cursor.expectSymbol("(");
  do {
    IndexColumn column{cursor.expectName()};
    if (!cursor.acceptWord("ASC")) column.descending = cursor.acceptWord("DESC");
    create.columns.push_back(std::move(column));
  } while (cursor.acceptSymbol(","));
  cursor.expectSymbol(")");
  if (!cursor.acceptWord("WITH")) return create;
  do {
    if (cursor.acceptWord("PRIMARY")) {
      create.primary = true;
    } else if (cursor.acceptWord("DISALLOW")) {
      cursor.expectWord("NULL");
      create.disallowNull = true;
    } else {
      cursor.expectWord("IGNORE");
      cursor.expectWord("NULL");
      create.ignoreNull = true;
    }
  } while (!cursor.atStatementEnd());
  return create;
}

AlterTable parseAlterTable(TokenCursor& cursor) {
  cursor.setSyntaxError(kAlterTableError);
  AlterTable alter;
  alter.table = cursor.expectName();
  if (cursor.acceptWord("ADD")) {
    if (cursor.atWord("CONSTRAINT")) {
      alter.action = AlterTable::Action::AddConstraint;
      alter.constraint = readTableConstraint(cursor);
    } else {
      cursor.acceptWord("COLUMN");
      alter.action = AlterTable::Action::AddColumn;
      alter.column = readColumn(cursor);
    }
  } else if (cursor.acceptWord("ALTER")) {
    cursor.acceptWord("COLUMN");
    alter.action = AlterTable::Action::AlterColumn;
    cursor.setSyntaxError(kFieldError);
    alter.column.name = cursor.expectName(true);
    alter.column.type = parseFieldType(cursor);
  } else {
    cursor.expectWord("DROP");
    const bool constraint = cursor.acceptWord("CONSTRAINT");
    if (!constraint) cursor.acceptWord("COLUMN");
    alter.action = constraint ? AlterTable::Action::DropConstraint : AlterTable::Action::DropColumn;
    alter.name = cursor.expectName();
  }
  cursor.setSyntaxError(kAlterTableError);
  return alter;
}

std::variant<DropTable, DropIndex> parseDrop(TokenCursor& cursor) {
  cursor.setSyntaxError(kDropError);
  if (cursor.acceptWord("TABLE")) {
    DropTable drop;
    do {
      drop.tables.push_back(cursor.expectName());
    } while (cursor.acceptSymbol(","));
    return drop;
  }
  cursor.expectWord("INDEX");
  cursor.setSyntaxError(kDropIndexError);
  DropIndex drop;
  drop.name = cursor.expectName();
  cursor.expectWord("ON");
  drop.table = cursor.expectName();
  return drop;
}

}  // namespace telvarn::jetsql
