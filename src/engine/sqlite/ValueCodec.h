// How the dialect's values live inside SQLite, in our files and on their
// way between SQLite and the functions the engine registers:
//
//   Yes/No (-1, 0), Byte, Integer, Long   INTEGER
//   Currency                              INTEGER, an exact count of ten-thousandths
//   Single (a float's value), Double      REAL
//   Date                                  REAL, the day number (values/Calendar.h)
//   Text                                  TEXT
//   Binary                                BLOB
//
// Kinds that share a storage class cannot be told apart by SQLite, so the
// translator, which knows the kind of most expressions (a field's type, a
// literal, an operator's result), tells each registered function the kinds
// of its arguments: a code of one letter per argument (kindLetter). Where
// an expression's kind differs from row to row, each of its values carries
// its letter as SQLite's subtype of the value, which SQLite keeps through
// CASE, COALESCE and function calls within one query level (not through a
// FROM subquery or a common table: the translator hands the letter on
// beside such a value there).
#pragma once

#include <sqlite3.h>

#include <optional>

#include "engine/Variant.h"

namespace telvarn::sqlite {

// The letter of a value whose kind differs from row to row: its subtype
// tells the kind.
inline constexpr char kVaries = '*';

// The letter of each kind: n Null, b Yes/No, y Byte, s Integer, l Long, c
// Currency, f Single, d Double, t Date, x Text, o Binary.
char kindLetter(Variant::Kind kind);
// The letter of a kind that may differ from row to row (nullopt).
inline char kindLetter(std::optional<Variant::Kind> kind) {
  return kind ? kindLetter(*kind) : kVaries;
}

// The kind of the values a field of engine type `type` holds.
Variant::Kind kindOfField(int type);

// A value SQLite hands a function, read as the kind `letter` names: a whole
// number as wide as its value needs (a Long beyond 32 bits is a Double), a
// day number outside the valid dates a Double, a Currency that SQLite's own
// arithmetic took beyond 64 bits 6. kVaries reads the value's subtype, or,
// where it has none, takes the kind its storage class suggests.
Variant readValue(sqlite3_value* value, char letter);

// A function's result: the value in its stored form, its letter as the
// subtype.
void setResult(sqlite3_context* context, const Variant& value);

// Binds `value` to a statement's parameter in its stored form.
void bindValue(sqlite3_stmt* statement, int index, const Variant& value);

// The value of a row's column that holds a field of engine type `type`.
Variant columnValue(sqlite3_stmt* statement, int column, int type);

}  // namespace telvarn::sqlite
