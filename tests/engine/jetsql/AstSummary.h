// Short texts of syntax trees and failures, so that a test states what it
// expects in one line.
#pragma once

#include <functional>
#include <string>

#include "engine/jetsql/Ast.h"

namespace telvarn::jetsql::test {

// "(+ a (* 2 b))", "(between x 1 2)", "(call Left s 2)", "'text'", "#2000-01-31 00:00:00#".
std::string summary(const Expr& expr);

// The WHERE condition of "DELETE FROM t WHERE <condition>", summarised.
std::string conditionOf(const std::string& condition);

// The error number `action` raises, 0 when it raises none.
int errorNumber(const std::function<void()>& action);
// The description of the error `action` raises, "" when it raises none.
std::string errorText(const std::function<void()>& action);

}  // namespace telvarn::jetsql::test
