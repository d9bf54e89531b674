// Copies a database file as one consistent state, with the files beside it
// that belong to its state: a journal a stopped writer left to be rolled
// back ("-journal", of either kind of file), SQLite's write-ahead log
// ("-wal"), and the desktop program's lock file (".ldb"), which says who has
// the file open there. The copy of each keeps its name beside the copy.
//
// While it copies, it holds read locks on the bytes the file's writers lock
// (SQLite's pending and shared bytes, the .mdb writer's byte), so no writer
// commits half-way through the copy; a writer that holds them longer than
// three seconds makes it give up, as the engine does.
#pragma once

#include <string>

namespace telvarn {

// Copies `from` to `to` (a new file). Returns false, with nothing copied,
// when `from` is no regular file or cannot be opened for reading. Raises
// 3045 when a writer holds the file, 61 when the disk of `to` is full, 57
// when `from` cannot be read, 75 when `to` cannot be made.
bool copyDatabaseFile(const std::string& from, const std::string& to);

}  // namespace telvarn
