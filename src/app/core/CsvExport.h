// A table's rows as CSV (RFC 4180: CR LF line ends, fields quoted when they
// hold a comma, a quote or a line break, quotes doubled), UTF-8, with the
// field names as the first line.
#pragma once

#include <ostream>
#include <string>

namespace telvarn {

class Database;

// Dates are written "YYYY-MM-DD HH:MM:SS", Yes/No as True or False, binary
// data in hexadecimal, Single and Double numbers as the shortest text that
// reads back as the same value of their type, other numbers in plain
// decimal. A Null is an empty field and a zero-length value is "", so the
// two stay apart. A link's rows are read from its source file. 3078 for a
// table the file (or a link's source) does not have.
void exportCsv(Database& database, const std::string& table, std::ostream& out);

}  // namespace telvarn
