// ExpressionTranslator: an expression of the dialect as SQLite text whose
// literals are numbered parameters, for a statement on one table. Operators
// SQLite does otherwise go through the dialect's registered functions; names
// that are no field of the table are kept as the statement's parameters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/Catalog.h"
#include "engine/Variant.h"
#include "engine/jetsql/Ast.h"

namespace telvarn::sqlite {

class ExpressionTranslator {
 public:
  // `sql` is the statement text the expressions' offsets point into.
  ExpressionTranslator(const TableRecord& table, std::string alias, std::string_view sql,
                       std::vector<Variant>& parameters);

  // A whole expression of a clause; 3085 for an unknown function and 3075
  // (quoting this expression) for a function given the wrong arguments.
  std::string clause(const jetsql::Expr& expr);

  // The field `qualifier.name` names, or nullptr.
  const FieldRecord* resolve(const std::string& qualifier, const std::string& name) const;
  // Records a name that is no field; every distinct one is a parameter.
  void noteUnknown(const std::string& qualifier, const std::string& name);
  // Names that are no field, each once.
  const std::vector<std::string>& unknownNames() const { return unknown_; }

  // A literal value as a numbered parameter ("?3").
  std::string parameter(Variant value);

 private:
  std::string translate(const jetsql::Expr& expr);
  std::string column(const jetsql::Expr& expr);
  std::string unary(const jetsql::Expr& expr);
  std::string binary(const jetsql::Expr& expr);
  std::string between(const jetsql::Expr& expr);
  std::string in(const jetsql::Expr& expr);
  std::string call(const std::string& name, const std::vector<jetsql::ExprPtr>& arguments);

  const TableRecord& table_;
  std::string alias_;
  std::string_view sql_;
  std::vector<Variant>& parameters_;
  std::vector<std::string> unknown_;
  std::string clauseText_;
};

}  // namespace telvarn::sqlite
