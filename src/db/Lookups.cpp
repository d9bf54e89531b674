#include "db/Lookups.h"

#include "engine/AppError.h"
#include "engine/model/TableDef.h"

namespace telvarn {

std::shared_ptr<Field> fieldOf(const std::shared_ptr<TableDef>& table, const std::string& name) {
  if (!table) throw engineError(3265);
  return table->field(name);
}

}  // namespace telvarn
