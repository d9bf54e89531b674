// The layout of a file's values, and bringing a file of an earlier layout
// up to date.
//
//   version 2  the values as the engine keeps them (ValueCodec.h): a
//              Date/Time as its day number, a Currency as a count of
//              ten-thousandths, a Single as a float's value, Yes/No -1 or
//              0 in every row; text indexes in the General sort order.
//   version 1  files written before the version was kept: a Date/Time as
//              the text "YYYY-MM-DD HH:MM:SS", a Currency and a Single as
//              any Double, Null in the rows a Yes/No field was added to,
//              text indexes in SQLite's NOCASE order.
//
// A file of an earlier layout is read as it is, each value taken as that
// layout keeps it, and brought up to date in the first write transaction
// on it, before that transaction's own change: it commits with the change
// or rolls back with it, and is tried again with the next one.
#pragma once

#include <sqlite3.h>

#include <string>

#include "engine/Variant.h"

namespace telvarn::sqlite {

class SqliteStorage;

inline constexpr int kFormatVersion = 2;

// The value a column of a version 1 file holds for a field of engine type
// `type`; 3343 (the file at `path` is damaged) for one that layout cannot
// hold.
Variant earlierLayoutValue(sqlite3_value* value, int type, const std::string& path);

// Arranges for the storage's file to be brought up to date at its first
// write transaction, when it needs to be.
void updateLayoutAtFirstWrite(SqliteStorage& storage);

}  // namespace telvarn::sqlite
