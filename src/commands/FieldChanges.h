// The steps ChangeProperties and RenameField share once they hold the field:
// allow-zero-length, default value, and the type changed by an ALTER TABLE
// statement built from the type code.
#pragma once

#include <memory>
#include <string>

namespace telvarn {

class Field;
class HandlerFrame;
struct Run;

// Which type codes a handler acts on: ChangeProperties also maps 1 (Yes/No).
enum class TypeMapping { WithYesNo, WithoutYesNo };

// Reports and changes in the order the handlers prescribe; `column` is the
// name the statement gives the column.
void changeFieldProperties(HandlerFrame& frame, Run& run, const std::shared_ptr<Field>& field,
                           const std::string& column, TypeMapping mapping);

}  // namespace telvarn
