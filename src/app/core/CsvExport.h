// A table's rows as CSV (RFC 4180: CR LF line ends, fields quoted when they
// hold a comma, a quote or a line break, quotes doubled), UTF-8, with the
// field names as the first line.
#pragma once

#include <ostream>
#include <string>

namespace telvarn {

class Database;

// Dates are written "YYYY-MM-DD HH:MM:SS", Yes/No as True or False, numbers
// in plain decimal, binary data in hexadecimal. 3078 for a table the file
// does not have.
void exportCsv(Database& database, const std::string& table, std::ostream& out);

}  // namespace telvarn
