// Expressions that name no field, worked out by the value library without
// a database: what a field's DefaultValue gives a new row.
#pragma once

#include <optional>
#include <string>

#include "engine/Variant.h"
#include "engine/jetsql/Ast.h"
#include "engine/values/Comparison.h"

namespace telvarn::jetsql {

// The expression's value, computed as the translated statement would
// compute it (a comparison is -1 or 0); raises the value rules' errors
// (13, 11, 5, ...). nullopt for one that names something (a field, a
// parameter), asks a query or aggregates: it has no value of its own.
std::optional<Variant> constantValue(const Expr& expr);

// The value a DefaultValue text gives: its expression's value (an "=" in
// front is dropped), or, for a bare word or text that is no expression
// with a value of its own, the text itself, as the engine takes an
// unquoted word for text.
Variant defaultValueOf(const std::string& text);

// The value library's comparison for a comparison operator (Equal to
// GreaterEqual).
values::Comparison comparisonOf(Op op);

}  // namespace telvarn::jetsql
