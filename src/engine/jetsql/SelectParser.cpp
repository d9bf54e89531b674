#include "engine/jetsql/SelectParser.h"

#include "engine/jetsql/ExpressionParser.h"
#include "engine/jetsql/Keywords.h"

namespace telvarn::jetsql {
namespace {

constexpr int kSelectError = 3141;
constexpr int kFromError = 3131;
constexpr int kGroupByError = 3132;
constexpr int kHavingError = 3133;
constexpr int kJoinError = 3135;
constexpr int kOrderByError = 3138;
constexpr int kUnionError = 3319;

// FROM ... IN 'file': every table of the FROM list (not those of its
// subqueries) is in that file.
void inDatabase(TableSource& source, const std::string& file) {
  if (source.kind == TableSource::Kind::Table) source.database = file;
  if (source.kind != TableSource::Kind::Join) return;
  inDatabase(*source.left, file);
  inDatabase(*source.right, file);
}

class SelectParser {
 public:
  SelectParser(TokenCursor& cursor, bool nested) : cursor_(cursor), nested_(nested) {}

  QueryPtr query() {
    QueryPtr first = block();
    while (cursor_.atWord("UNION")) {
      cursor_.setSyntaxError(kUnionError);
      cursor_.next();
      SelectQuery::UnionPart part;
      part.all = cursor_.acceptWord("ALL");
      cursor_.expectWord("SELECT");
      part.query = block();
      if (!part.query->into.empty()) cursor_.fail(kUnionError);
      first->unions.push_back(std::move(part));
    }
    if (cursor_.acceptWord("ORDER")) orderBy(*first);
    first->end = lastEnd();
    return first;
  }

  // Joins apply to all that stands before them, each one level deeper.
  SourcePtr fromItem() {
    TokenCursor::Nesting nesting(cursor_);
    SourcePtr left = fromPrimary();
    while (atJoin()) {
      if (!nesting.deeper()) cursor_.fail();
      auto join = std::make_unique<TableSource>();
      join->kind = TableSource::Kind::Join;
      join->join = joinKind();
      cursor_.setSyntaxError(kJoinError);
      cursor_.expectWord("JOIN");
      join->left = std::move(left);
      join->right = fromPrimary();
      cursor_.expectWord("ON");
      join->on = expression();
      left = std::move(join);
    }
    return left;
  }

 private:
  ExprPtr expression() {
    return ExpressionParser(cursor_, nested_ || depth_ > 0).parseClause(ClauseEnd::Select);
  }

  bool atJoin() const {
    return cursor_.atWord("INNER") || cursor_.atWord("LEFT") || cursor_.atWord("RIGHT");
  }

  TableSource::JoinKind joinKind() {
    const Token& word = cursor_.next();
    if (word.isWord("INNER")) return TableSource::JoinKind::Inner;
    cursor_.acceptWord("OUTER");
    return word.isWord("LEFT") ? TableSource::JoinKind::Left : TableSource::JoinKind::Right;
  }

  // "AS x" or a bare "x" after a table; LEFT and RIGHT there begin a join.
  std::string alias() {
    if (cursor_.acceptWord("AS")) return cursor_.expectName();
    if (!cursor_.atName() || atJoin()) return {};
    return cursor_.next().text;
  }

  SourcePtr fromPrimary() {
    TokenCursor::Nesting nesting(cursor_);
    if (!nesting.deeper()) cursor_.fail();
    auto source = std::make_unique<TableSource>();
    if (cursor_.acceptSymbol("(")) {
      if (cursor_.acceptWord("SELECT")) {
        const int number = cursor_.syntaxError();
        source->kind = TableSource::Kind::Subquery;
        source->query = parseSelectQuery(cursor_, true);
        cursor_.setSyntaxError(number);
        cursor_.expectSymbol(")");
        source->alias = alias();
        return source;
      }
      ++depth_;
      source = fromItem();
      cursor_.expectSymbol(")");
      --depth_;
      return source;
    }
    source->name = cursor_.expectName();
    source->alias = alias();
    return source;
  }

  // The end of the token read last.
  size_t lastEnd() const { return cursor_.at(cursor_.position() - 1).end; }

  // After its word SELECT.
  QueryPtr block() {
    cursor_.setSyntaxError(kSelectError);
    auto query = std::make_shared<SelectQuery>();
    query->begin = cursor_.at(cursor_.position() - 1).begin;
    predicates(*query);
    do {
      query->items.push_back(item());
    } while (cursor_.acceptSymbol(","));
    if (cursor_.acceptWord("INTO")) {
      if (nested_) cursor_.fail();
      query->into = cursor_.expectName();
      query->intoDatabase = cursor_.acceptDatabase();
    }
    if (cursor_.acceptWord("FROM")) {
      cursor_.setSyntaxError(kFromError);
      do {
        query->from.push_back(fromItem());
      } while (cursor_.acceptSymbol(","));
      const std::string database = cursor_.acceptDatabase();
      if (!database.empty()) {
        for (SourcePtr& source : query->from) inDatabase(*source, database);
      }
      cursor_.setSyntaxError(kSelectError);
    }
    if (cursor_.acceptWord("WHERE")) query->where = expression();
    if (cursor_.acceptWord("GROUP")) {
      cursor_.setSyntaxError(kGroupByError);
      cursor_.expectWord("BY");
      do {
        query->groupBy.push_back(expression());
      } while (cursor_.acceptSymbol(","));
    }
    if (cursor_.acceptWord("HAVING")) {
      cursor_.setSyntaxError(kHavingError);
      query->having = expression();
    }
    cursor_.setSyntaxError(kSelectError);
    query->blockEnd = query->end = lastEnd();
    return query;
  }

  // ALL, DISTINCT or DISTINCTROW, then TOP n [PERCENT].
  void predicates(SelectQuery& query) {
    if (cursor_.acceptWord("DISTINCT")) {
      query.predicate = SelectQuery::Predicate::Distinct;
    } else if (cursor_.acceptWord("DISTINCTROW")) {
      query.predicate = SelectQuery::Predicate::DistinctRow;
    } else {
      cursor_.acceptWord("ALL");
    }
    if (!cursor_.acceptWord("TOP")) return;
    const Token& count = cursor_.next();
    if (count.kind != TokenKind::Number || count.number <= 0) cursor_.fail();
    query.top = count.number;
    query.topPercent = cursor_.acceptWord("PERCENT");
    if (!query.topPercent && !count.integral) cursor_.fail();
  }

  SelectItem item() {
    SelectItem item;
    if (cursor_.acceptSymbol("*")) return item;
    if (cursor_.atName() && cursor_.peek(1).isSymbol(".") && cursor_.peek(2).isSymbol("*")) {
      item.qualifier = cursor_.next().text;
      cursor_.next();
      cursor_.next();
      return item;
    }
    // An empty list, as in "SELECT FROM t", is a fault of the skeleton.
    const Token& first = cursor_.peek();
    if (first.kind == TokenKind::End ||
        (first.kind == TokenKind::Name && isReservedWord(first.text) && !first.isWord("NOT") &&
         !first.isWord("NULL") && !first.isWord("TRUE") && !first.isWord("FALSE") &&
         !first.isWord("EXISTS")))
      cursor_.fail();
    item.expr = expression();
    if (cursor_.acceptWord("AS")) item.alias = cursor_.expectName();
    return item;
  }

  void orderBy(SelectQuery& query) {
    cursor_.setSyntaxError(kOrderByError);
    cursor_.expectWord("BY");
    do {
      OrderItem order;
      order.expr = expression();
      if (!cursor_.acceptWord("ASC")) order.descending = cursor_.acceptWord("DESC");
      query.orderBy.push_back(std::move(order));
    } while (cursor_.acceptSymbol(","));
  }

  TokenCursor& cursor_;
  bool nested_;
  int depth_ = 0;
};

}  // namespace

QueryPtr parseSelectQuery(TokenCursor& cursor, bool nested) {
  const int number = cursor.syntaxError();
  QueryPtr query = SelectParser(cursor, nested).query();
  if (nested) cursor.setSyntaxError(number);
  return query;
}

SourcePtr parseFromItem(TokenCursor& cursor) {
  return SelectParser(cursor, false).fromItem();
}

}  // namespace telvarn::jetsql
