// ExpressionTranslator: an expression of the dialect as SQLite text whose
// literals are numbered parameters, for one level of a statement. Operators
// SQLite does otherwise go through the dialect's registered functions; names
// that are no field of the level's tables (nor of the levels around it) are
// kept as the statement's parameters.
//
// Each translated expression stands as one operand wherever it is put (a
// name, a placeholder, a call, or a whole in parentheses), so that it is
// put in parentheses no further. The text nests no deeper than SQLite's
// parser and expression tree allow for statements of any length: a long run of one operator is
// written in groups, a ladder of IIf as one CASE, and a subquery that reads nothing of the levels
// around it as a common table of the whole statement. What is nested deeper than kMaxDepth levels
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

// The type of an expression's values as far as the text tells: an engine
// type code and, for text, a size; type 0 when it depends on the values.
struct ValueType {
  int type = 0;
  int size = 0;
};

class ExpressionTranslator {
 public:
  // `sql` is the statement text the expressions' offsets point into;
  // `storage` finds the tables of subqueries (none: no subquery allowed).
  ExpressionTranslator(const Scope& scope, std::string_view sql, std::vector<Variant>& parameters,
                       Storage* storage = nullptr);
  // A translator for a subquery of `outer`: same parameters and storage,
  // the same statement text unless `sql` gives a stored query's own; its
  // unknown names count as the outer statement's.
  ExpressionTranslator(const Scope& scope, ExpressionTranslator& outer,
                       std::optional<std::string_view> sql = {});

  // Literals written into the text instead of bound, for a view.
  void inlineLiterals() { inline_ = true; }
  bool inlined() const { return inline_; }

  // A whole expression of a clause as a value (True is -1); 3085 for an
  // unknown function and 3075 (quoting this expression) for a function
  // given the wrong arguments or nesting past kMaxDepth.
  std::string clause(const jetsql::Expr& expr);
  // A whole expression as a condition (WHERE, ON, HAVING).
  std::string condition(const jetsql::Expr& expr);
  // A whole expression whose values are compared with each other (ORDER
  // BY, GROUP BY, a select list under DISTINCT or UNION): text in the
  // General sort order.
  std::string ordered(const jetsql::Expr& expr);

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
  ValueType typeOf(const jetsql::Expr& expr) const;

  const Scope& scope() const { return scope_; }
  // How many stored queries deep this translator stands.
  int depth() const { return depth_; }
  Storage* storage() const { return storage_; }
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
  std::string translate(const jetsql::Expr& expr);
  std::string test(const jetsql::Expr& expr);
  std::string column(const jetsql::Expr& expr);
  std::string arithmetic(const jetsql::Expr& expr);
  std::string logical(const jetsql::Expr& expr);
  std::string iif(const std::vector<jetsql::ExprPtr>& arguments);
  std::string comparison(const jetsql::Expr& expr);
  std::string between(const jetsql::Expr& expr);
  std::string in(const jetsql::Expr& expr);
  std::string subquery(const jetsql::Expr& expr);
  std::string call(const std::string& name, const std::vector<jetsql::ExprPtr>& arguments);
  void checkComparable(const jetsql::Expr& a, const jetsql::Expr& b) const;
  // How text compares: " COLLATE JETGENERAL", or NOCASE in a view, which
  // other SQLite tools must be able to read.
  std::string textOrder() const;
  ValueType callType(const jetsql::Expr& expr) const;

  const Scope& scope_;
  std::string_view sql_;
  std::vector<Variant>& parameters_;
  Storage* storage_;
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
};

// Whether an expression yields True or False (a comparison, Like, In,
// Between, Is Null, Exists, Not, And, Or, ...).
bool isTest(const jetsql::Expr& expr);

}  // namespace telvarn::sqlite
