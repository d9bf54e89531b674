// A value as a field of each engine type keeps it: what every write of a
// row (INSERT, UPDATE, a default value, a type change, a linked table's
// copy) turns its value into.
#pragma once

#include "engine/Catalog.h"
#include "engine/Variant.h"

namespace telvarn {

// `value` as a field of engine type `type` stores it, by the run-time
// library's conversion to the field's subtype (CBool, CByte, CInt, CLng,
// CCur, CSng, CDbl, CDate, CStr), with the engine's numbers for what does
// not fit: 3421 when it does not convert ("abc" into a number, a number into
// bytes), 3349 when it lies beyond the type's range, 3163 when a text is
// longer than `size` characters of a Text field. Null stays Null, but a
// Yes/No field, which cannot hold Null, keeps False. Binary fields take
// bytes and text as they are; Memo and GUID fields take any text.
Variant fieldValue(const Variant& value, int type, int size);

// What a new row holds in a field it names no value for: the value of the
// field's DefaultValue (jetsql/ConstantExpression.h), or Null, as the field
// stores it; 3421, 3349 or 3163 when it does not fit the field.
Variant defaultValue(const FieldRecord& field);

}  // namespace telvarn
