// ColumnConversion: a stored value of one column type as a value of
// another, for a field whose type or size changes. The rules are the run-
// time library's conversions (engine/values/Convert.h), with a Yes/No
// value counting as the number -1 or 0 (as our own files keep it): numbers
// round halves to even, text converts when it holds a number or a date,
// dates become text in the General Date form. Nothing is lost: a value
// that does not convert refuses the change.
#pragma once

#include "engine/Variant.h"
#include "engine/mdb/TableDefinition.h"

namespace telvarn::mdb {

// `value` (as RowDecoder gives values of `from`) in the form the row
// encoder takes for `to`. Null stays Null but becomes No in a Yes/No
// column. 3421 for a value that is no value of the new type (text that is
// no number, bytes as anything but bytes), 3349 for a number out of its
// range, 3163 for text or bytes longer than the new size.
Variant convertedValue(const ColumnDef& from, const Variant& value, const ColumnDef& to);

}  // namespace telvarn::mdb
