// The dialect's operators and functions that SQLite lacks or does otherwise,
// registered on each connection as SQL functions named telvarn_...; the
// translated statements call them. A failure inside one is reported as
// kErrorPrefix, the engine's error number and, after a ":", its insertion.
#pragma once

#include <sqlite3.h>

namespace telvarn::sqlite {

// telvarn_like(text, pattern), telvarn_add(a, b) (+ that joins two texts),
// telvarn_concat(a, b) (&, Null as ""), telvarn_div, telvarn_intdiv,
// telvarn_mod, telvarn_pow, telvarn_text(v), telvarn_right(s, n),
// telvarn_int(x), telvarn_fix(x), telvarn_val(s) and
// telvarn_check_field(value, 'Table.Field', required, allowZeroLength).
void registerDialectFunctions(sqlite3* db);

}  // namespace telvarn::sqlite
