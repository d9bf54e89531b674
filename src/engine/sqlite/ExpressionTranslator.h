// ExpressionTranslator: an expression of the dialect as SQLite text whose
// literals are numbered parameters, for one level of a statement, with the
// kind of its values. The kind comes from the statement: a field's type, a
// literal, the result rules of the value library for operators and
// functions. SQLite's own operators stand where they give the dialect's
// answer for those kinds (NativeOperations.h); the rest go to the
// registered functions (DialectFunctions.h), told the kinds of their
// arguments. Names that are no field of the level's tables (nor of the
// levels around it) are kept as the statement's parameters.
//
// Each translated expression stands as one operand wherever it is put (a
// name, a placeholder, a call, or a whole in parentheses), so that it is
// put in parentheses no further. The text nests no deeper than SQLite's
// parser and expression tree allow for statements of any length: a long
// run of one operator is written in groups, a ladder of IIf as one CASE,
// and a subquery that reads nothing of the levels around it as a common
// table of the whole statement. What is nested deeper than kMaxDepth levels
// (across stored queries too) is 3075 "Expression too complex".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Catalog.h"
#include "engine/Variant.h"
#include "engine/jetsql/Ast.h"
#include "engine/sqlite/Scope.h"

namespace telvarn {
class Storage;
}

namespace telvarn::sqlite {

class LinkedTables;

// The kind of an expression's values: one Variant kind, or nullopt when it
// differs from row to row (each value then carries its kind as its SQLite
// subtype, ValueCodec.h).
using ValueKind = std::optional<Variant::Kind>;

// A translated expression.
struct Translated {
  std::string sql;
  ValueKind kind;
  // Whether each value carries its kind as its subtype: always so when the
  // kind differs by row, and for the results of registered functions.
  bool tagged = false;
  // The field the expression names, when it is a field.
  const FieldRecord* field = nullptr;
  // A number literal as the statement writes it (with its sign), which a
  // Currency field takes digit for digit.
  std::string digits = {};
};

// The letter a registered function is told for an argument: its kind, or
// for a value that carries its own, that (a result may be wider than its
// kind says: a Long sum beyond 32 bits is a Double).
char argumentLetter(const Translated& argument);

class ExpressionTranslator {
 public:
  // `sql` is the statement text the expressions' offsets point into;
  // `storage` finds the tables of subqueries (none: no subquery allowed);
  // `links` names the rows of the links a statement reads (none: a link
  // cannot be read, 3251).
  ExpressionTranslator(const Scope& scope, std::string_view sql, std::vector<Variant>& parameters,
                       Storage* storage = nullptr, LinkedTables* links = nullptr);
  // A translator for a subquery of `outer`: same parameters and storage,
  // the same statement text unless `sql` gives a stored query's own; its
  // unknown names count as the outer statement's.
  ExpressionTranslator(const Scope& scope, ExpressionTranslator& outer,
                       std::optional<std::string_view> sql = {});

  // Literals written into the text instead of bound, for a view.
  void inlineLiterals() { inline_ = true; }
  bool inlined() const { return inline_; }
  // Whether the text calls a function or names a collation only TELVARN
  // registers (so that no other tool could read it).
  bool usesOwnFunctions() const { return root().ownFunctions_; }

  // A whole expression of a clause as a value (True is -1); 3085 for an
  // unknown function, 3075 (quoting this expression) for a function given
  // the wrong arguments or nesting past kMaxDepth, 3464 for values that can
  // never be compared or computed with.
  Translated clause(const jetsql::Expr& expr);
  // A whole expression as a condition (WHERE, ON, HAVING).
  std::string condition(const jetsql::Expr& expr);
  // A whole expression whose values are compared with each other (ORDER
  // BY, GROUP BY, a select list under DISTINCT or UNION): text in the
  // General sort order.
  Translated ordered(const jetsql::Expr& expr);

  // A query inside this level (in FROM or in an expression) whose text
  // `sql` reads nothing of the levels around it, as a common table of the
  // whole statement: its quoted name. nullopt when it does read them.
  std::optional<std::string> commonTable(const std::string& sql, bool readsOuterLevels);
  // Whether a name of this level, or of a query inside it, is a field of a
  // level around it.
  bool readsOuterLevels() const { return readsOuter_; }
  // "WITH name AS (...), ... " for the common tables of the statement, with
  // `more` (a further "name AS (...)") last; empty when there are none.
  std::string withClause(const std::string& more = "") const;

  // The field `qualifier.name` names, or nullptr.
  const FieldRecord* resolve(const std::string& qualifier, const std::string& name) const;
  // Records a name that is no field; every distinct one is a parameter.
  void noteUnknown(const std::string& qualifier, const std::string& name);
  // Names that are no field, each once.
  const std::vector<std::string>& unknownNames() const { return unknown_; }

  // A literal value as a numbered parameter ("?3"), or as text when inline.
  std::string parameter(Variant value);
  // A call of the registered function `name` (DialectFunctions.h): its
  // text, noting that the statement needs TELVARN's functions.
  std::string ownCall(const std::string& name, const std::string& arguments);
  // `value` with a kind that differs by row: tagged with its kind unless it
  // carries it already.
  std::string tagged(const Translated& value);

  const Scope& scope() const { return scope_; }
  // How many stored queries deep this translator stands.
  int depth() const { return depth_; }
  Storage* storage() const { return storage_; }
  // Where the statement reads linked tables; nullptr: it cannot.
  LinkedTables* links() const { return links_; }
  std::string_view sql() const { return sql_; }

 private:
  // One level deeper in the translation for as long as it lives; 3075
  // past kMaxDepth.
  class Deeper {
   public:
    explicit Deeper(ExpressionTranslator& translator);
    ~Deeper() { --root_.depthNow_; }
    Deeper(const Deeper&) = delete;
    Deeper& operator=(const Deeper&) = delete;

   private:
    ExpressionTranslator& root_;
  };
  static constexpr int kMaxDepth = 3000;

  ExpressionTranslator& root();
  const ExpressionTranslator& root() const;
  Translated translate(const jetsql::Expr& expr);
  Translated literal(const jetsql::Expr& expr);
  std::string test(const jetsql::Expr& expr);
  Translated column(const jetsql::Expr& expr);
  Translated negation(const jetsql::Expr& expr);
  Translated arithmetic(const jetsql::Expr& expr);
  std::string logical(const jetsql::Expr& expr);
  std::string compared(jetsql::Op op, const Translated& a, const Translated& b);
  std::string comparison(const jetsql::Expr& expr);
  std::string between(const jetsql::Expr& expr);
  std::string in(const jetsql::Expr& expr);
  std::string like(const jetsql::Expr& expr);
  std::string quantified(const jetsql::Expr& expr);
  std::string exists(const jetsql::Expr& expr);
  // The rows of a subquery of one column, as " FROM ... AS alias" in
  // `rows`, and that column (re-tagged where its kind differs by row); 3306
  // for a subquery of more columns.
  Translated subqueryColumn(const jetsql::SelectQuery& query, std::string& rows);
  Translated subquery(const jetsql::Expr& expr);
  // FunctionTranslation.cpp
  Translated call(const jetsql::Expr& expr);
  Translated branches(const jetsql::Expr& expr);
  Translated choose(const jetsql::Expr& expr);
  Translated aggregate(const jetsql::Expr& expr);
  Translated library(const jetsql::Expr& expr);
  // An argument of a registered function and its letter.
  struct Term {
    std::string sql;
    char letter;
  };
  // The operands of a registered function: in lists of terms
  // (telvarn_terms) while there are more than `room` of them.
  std::vector<Term> terms(std::vector<Translated> operands, size_t room);
  // The terms' code, then each term after ", ".
  static std::string codeAndList(const std::vector<Term>& terms);
  static std::string argumentList(const std::vector<Translated>& arguments);
  // How text compares: " COLLATE JETGENERAL", or NOCASE in a view, which
  // other SQLite tools must be able to read.
  std::string textOrder();
  [[noreturn]] void failWith(const char* reason) const;

  const Scope& scope_;
  std::string_view sql_;
  std::vector<Variant>& parameters_;
  Storage* storage_;
  LinkedTables* links_;
  ExpressionTranslator* outer_ = nullptr;
  bool inline_ = false;
  int depth_ = 0;
  std::vector<std::string> unknown_;
  std::string clauseText_;
  bool readsOuter_ = false;
  // Kept by the root translator for the whole statement:
  std::vector<std::string> commonTables_;
  int depthNow_ = 0;
  int literalsApart_ = 0;  // inside a long run: literals as subqueries
  bool ownFunctions_ = false;
};

// Whether an expression yields True or False (a comparison, Like, In,
// Between, Is Null, Exists, Not, And, Or, ...).
bool isTest(const jetsql::Expr& expr);

// The engine field type of values of `kind` (0 when it differs by row or
// is Null): what SELECT ... INTO makes for them.
int fieldTypeOf(ValueKind kind);

}  // namespace telvarn::sqlite
