// SQLite itself, run on a database file behind the engine's back: the tests'
// way to look at what the engine really stored. It knows the engine's text
// collation, as a program reading the file with the engine's help would.
#pragma once

#include <string>

namespace telvarn::test {

// The first column of every row of `sql` on the file at `path`, joined by
// "|", Null as "NULL".
std::string rawRows(const std::string& path, const std::string& sql);

// Runs statements of `sql` on the file; SQLite's message when one fails,
// else "".
std::string rawExec(const std::string& path, const std::string& sql);

}  // namespace telvarn::test
