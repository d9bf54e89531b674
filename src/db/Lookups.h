// Look-ups the handlers chain: a field of a table that the line did not
// find is not found either (3265), so a missing table is passed over by the
// same ignore rule as a missing field.
#pragma once

#include <memory>
#include <string>

namespace telvarn {

class Field;
class TableDef;

std::shared_ptr<Field> fieldOf(const std::shared_ptr<TableDef>& table, const std::string& name);

}  // namespace telvarn
