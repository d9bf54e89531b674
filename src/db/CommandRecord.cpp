#include "db/CommandRecord.h"

#include "engine/AppError.h"
#include "engine/Conversions.h"

namespace telvarn {

const std::string& CommandRecord::text(size_t index) const {
  if (index >= varFields.size()) throw engineError(9);
  return varFields[index];
}

int16_t CommandRecord::integer(size_t index) const {
  return toInteger16(text(index));
}

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  // An empty line has no field at all, not one empty field: reading its
  // keyword is already a field the line does not have.
  if (line.empty()) return fields;
  size_t start = 0;
  while (true) {
    const size_t end = line.find(';', start);
    if (end == std::string::npos) break;
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

}  // namespace telvarn
