// Data statements on a copy of Northwind for the kill test, run through the
// engine as a script's "sql" lines are: each inserts rows (INSERT ...
// SELECT; Memo values long enough for page chains), updates them (long
// values replaced, rows moved) or deletes them, chosen by its number and
// the file's rows alone, so that the same file state and number always
// lead to the same next state.
#pragma once

#include <cstdint>
#include <string>

namespace telvarn::test {

constexpr int kWorkloadStatements = 45;

// Runs statement `number` on the file at `path`.
void runWorkloadStatement(const std::string& path, int number);

// A digest of the rows of the tables the statements write.
uint64_t workloadDigest(const std::string& path);

// A type change on a table of 100,000 rows: a new file at `path` whose
// table "Big" has a primary key Id, a Long Amount and a Text Label; the
// change makes Amount Text, every row rewritten in one transaction.
void makeRetypeFile(const std::string& path);
void runRetype(const std::string& path);
// "old" or "new" by Amount's type, with a digest of every row's values as
// text (the same before the change and after it), or what is wrong.
std::string retypeState(const std::string& path);

}  // namespace telvarn::test
