// The database as the engine sees it, as JSON: tables (system tables left
// out) with their fields, properties, indexes and link settings, and the
// stored queries with their SQL. A property that holds bytes shows them as
// hexadecimal digits, or, for the GUID property, as "{XXXXXXXX-...}".
#pragma once

#include <string>

namespace telvarn {

class Database;

std::string schemaJson(const Database& database);

}  // namespace telvarn
