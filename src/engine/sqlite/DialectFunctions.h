// The dialect's operators and functions that SQLite lacks or does otherwise,
// registered on each connection as SQL functions named telvarn_...; the
// translated statements call them. A failure inside one is reported as
// kErrorPrefix, the engine's error number and, after a ":", its insertion.
#pragma once

#include <sqlite3.h>

namespace telvarn::sqlite {

// telvarn_like(text, pattern); the operators telvarn_add (+, which joins two
// texts), telvarn_concat (&, Null as ""), telvarn_div, telvarn_intdiv,
// telvarn_mod and telvarn_pow, each over two or more operands applied left
// to right, where telvarn_terms(...) in place of an operand stands for its
// own operands in order; telvarn_text(v), telvarn_right(s, n),
// telvarn_int(x), telvarn_fix(x), telvarn_val(s) and
// telvarn_check_field(value, 'Table.Field', required, allowZeroLength).
void registerDialectFunctions(sqlite3* db);

}  // namespace telvarn::sqlite
