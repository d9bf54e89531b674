// The texts of the errors TELVARN raises. Engine texts follow the desktop
// engine's wording, with "the database engine" where the desktop engine names
// its vendor's product; run-time texts follow the BASIC run-time library.
#include <map>
#include <new>
#include <string_view>

#include "engine/AppError.h"

namespace telvarn {
namespace {

const std::map<int, std::string_view>& catalogue() {
  static const std::map<int, std::string_view> texts = {
      {3, "Return without GoSub"},
      {5, "Invalid procedure call or argument"},
      {6, "Overflow"},
      {7, "Out of memory"},
      {9, "Subscript out of range"},
      {11, "Division by zero"},
      {13, "Type mismatch"},
      {52, "Bad file name or number"},
      {53, "File not found"},
      {57, "Device I/O error"},
      {61, "Disk full"},
      {62, "Input past end of file"},
      {70, "Permission denied"},
      {75, "Path/File access error"},
      {76, "Path not found"},
      {91, "Object variable or With block variable not set"},
      {93, "Invalid pattern string"},
      {94, "Invalid use of Null"},
      {3000, "Reserved error (|); there is no message for this error."},
      {3001, "Invalid argument."},
      {3010, "Table '|' already exists."},
      {3011,
       "The database engine could not find the object '|'.  Make sure the object exists and "
       "that you spell its name and the path name correctly."},
      {3012, "Object '|' already exists."},
      {3017, "The size of a field is too long."},
      {3022,
       "The changes you requested to the table were not successful because they would create "
       "duplicate values in the index, primary key, or relationship.  Change the data in the "
       "field or fields that contain duplicate data, remove the index, or redefine the index "
       "to permit duplicate entries and try again."},
      {3024, "Could not find file '|'."},
      {3026, "Not enough space on disk."},
      {3027, "Cannot update.  Database or object is read-only."},
      {3043, "Disk or network error."},
      {3044,
       "'|' is not a valid path.  Make sure that the path name is spelled correctly and that "
       "you are connected to the server on which the file resides."},
      {3045, "Could not use '|'; file already in use."},
      {3049,
       "Cannot open database '|'.  It may not be a database that your application recognizes, "
       "or the file may be corrupt."},
      {3047, "Record is too large."},
      {3051,
       "The database engine cannot open the file '|'.  It is already opened exclusively by "
       "another user, or you need permission to view its data."},
      {3058, "Index or primary key cannot contain a Null value."},
      {3061, "Too few parameters. Expected |."},
      {3065, "Cannot execute a select query."},
      {3073, "Operation must use an updatable query."},
      {3075, "|1 in query expression '|2'."},
      {3078,
       "The database engine cannot find the input table or query '|'.  Make sure it exists "
       "and that its name is spelled correctly."},
      {3079,
       "The specified field '|' could refer to more than one table listed in the FROM clause "
       "of your SQL statement."},
      {3085, "Undefined function '|' in expression."},
      {3086, "Could not delete from specified tables."},
      {3093, "ORDER BY clause (|) conflicts with DISTINCT."},
      {3102, "Circular reference caused by '|'."},
      {3113, "Cannot update '|'; field not updateable."},
      {3120, "Cannot group on fields selected with '*'."},
      {3122,
       "You tried to execute a query that does not include the specified expression '|' as "
       "part of an aggregate function."},
      {3125,
       "'|' is not a valid name.  Make sure that it does not include invalid characters or "
       "punctuation and that it is not too long."},
      {3127,
       "The INSERT INTO statement contains the following unknown field name: '|'.  Make sure "
       "you have typed the name correctly, and try the operation again."},
      {3129,
       "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
       "'UPDATE'."},
      {3130, "Syntax error in DELETE statement."},
      {3131, "Syntax error in FROM clause."},
      {3132, "Syntax error in GROUP BY clause."},
      {3133, "Syntax error in HAVING clause."},
      {3134, "Syntax error in INSERT INTO statement."},
      {3135, "Syntax error in JOIN operation."},
      {3138, "Syntax error in ORDER BY clause."},
      {3139, "Syntax error in PARAMETER clause."},
      {3141,
       "The SELECT statement includes a reserved word or an argument name that is misspelled "
       "or missing, or the punctuation is incorrect."},
      {3142, "Characters found after end of SQL statement."},
      {3143, "Syntax error in TRANSFORM statement."},
      {3144, "Syntax error in UPDATE statement."},
      {3145, "Syntax error in WHERE clause."},
      {3163,
       "The field is too small to accept the amount of data you attempted to add.  Try "
       "inserting or pasting less data."},
      {3164, "Field cannot be updated."},
      {3167, "Record is deleted."},
      {3173, "No unique index found for the referenced field of the primary table."},
      {3190, "Too many fields defined."},
      {3191, "Cannot define field more than once."},
      {3200, "The record cannot be deleted or changed because table '|' includes related records."},
      {3201,
       "You cannot add or change a record because a related record is required in table '|'."},
      {3204, "Database already exists."},
      {3211,
       "The database engine could not lock table '|' because it is already in use by another "
       "person or process."},
      {3219, "Invalid operation."},
      {3251, "Operation is not supported for this type of object."},
      {3260, "Could not update; currently locked by user '|2' on machine '|1'."},
      {3259, "Invalid field data type."},
      {3264, "No field defined--cannot append TableDef or Index."},
      {3265, "Item not found in this collection."},
      {3266, "Cannot append a Field that is already a part of a Fields collection."},
      {3269, "Cannot append an Index that is already a part of an Indexes collection."},
      {3270, "Property not found."},
      {3271, "Invalid property value."},
      {3277, "Cannot have more than 10 fields in an index."},
      {3280, "Cannot delete a field that is part of an index or is needed by the system."},
      {3281,
       "Cannot delete this index or table.  It is either the current index or is used in a "
       "relationship."},
      {3282, "Operation not supported on a table that contains data."},
      {3283, "Primary key already exists."},
      {3284, "Index already exists."},
      {3289, "Syntax error in CONSTRAINT clause."},
      {3290, "Syntax error in CREATE TABLE statement."},
      {3291, "Syntax error in CREATE INDEX statement."},
      {3292, "Syntax error in field definition."},
      {3293, "Syntax error in ALTER TABLE statement."},
      {3294, "Syntax error in DROP INDEX statement."},
      {3295, "Syntax error in DROP TABLE or DROP INDEX."},
      {3303, "Cannot delete this field.  It is part of one or more relationships."},
      {3307,
       "The number of columns in the two selected tables or queries of a union query do not "
       "match."},
      {3314,
       "The field '|' cannot contain a Null value because the Required property for this "
       "field is set to True.  Enter a value in this field."},
      {3315, "Field '|' cannot be a zero-length string."},
      {3318, "Values specified in a TOP clause are not allowed in delete queries or reports."},
      {3319, "Syntax error in union query."},
      {3343, "Unrecognized database format '|'."},
      {3346, "Number of query values and destination fields are not the same."},
      {3349, "Numeric field overflow."},
      {3367, "Cannot append. An object with that name already exists in the collection."},
      {3368, "Relationship must be on the same number of fields with the same data types."},
      {3371, "Cannot find table or constraint."},
      {3372, "No such index '|2' on table '|1'."},
      {3375, "Table '|1' already has an index named '|2'."},
      {3376, "Table '|' does not exist."},
      {3380, "Field '|2' already exists in table '|1'."},
      {3381, "There is no field named '|2' in table '|1'."},
      {3385, "User-defined properties don't support a Null value."},
      {3409, "Invalid field name '|' in definition of index or relationship."},
      {3420, "Object invalid or no longer set."},
      {3421, "Data type conversion error."},
      {3464, "Data type mismatch in criteria expression."},
      {3611, "Cannot execute data definition statements on linked data sources."},
  };
  return texts;
}

// Fills "|" with the first argument and "|1".."|9" with the argument of that
// number, so that templates may name their insertions in any order.
std::string fill(std::string_view text, std::initializer_list<std::string> args) {
  std::string out;
  const auto arg = [&](size_t i) { return i < args.size() ? *(args.begin() + i) : std::string(); };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '|') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      out += arg(static_cast<size_t>(text[i + 1] - '1'));
      ++i;
    } else {
      out += arg(0);
    }
  }
  return out;
}

}  // namespace

std::string errorDescription(int number, std::initializer_list<std::string> args) {
  const auto found = catalogue().find(number);
  if (found == catalogue().end()) return "Application-defined or object-defined error";
  return fill(found->second, args);
}

AppError engineError(int number, std::initializer_list<std::string> args) {
  return AppError(number, errorDescription(number, args));
}

AppError asAppError(const std::exception& error) {
  if (const auto* numbered = dynamic_cast<const AppError*>(&error)) return *numbered;
  if (dynamic_cast<const std::bad_alloc*>(&error)) return engineError(7);
  return engineError(3000, {error.what()});
}

}  // namespace telvarn
