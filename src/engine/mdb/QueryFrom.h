// The pieces of a stored query's text that several kinds share: names in
// brackets where they need them, and the FROM list with its joins nested as
// the desktop program nests them.
#pragma once

#include <string>
#include <vector>

#include "engine/mdb/QueryText.h"

namespace telvarn::mdb {

// A name as SQL writes it: bare when it is a plain identifier, else in
// brackets.
std::string sqlName(const std::string& name);

// The tables and joins of the rows, without the word FROM ("" for none).
std::string fromList(const std::vector<QueryRow>& rows);

}  // namespace telvarn::mdb
