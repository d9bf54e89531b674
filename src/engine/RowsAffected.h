// RowsAffected: what an action query did to the rows. Execute leaves out
// each row that breaks a rule of its table (a key, Required, a zero-length
// string, a relationship) and changes the others,
// raising no error; the rows left out are counted by the number of the
// rule each broke. Errors of the statement itself (its syntax, unknown
// names, a value of the wrong type) are raised as always.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace telvarn {

struct RowsAffected {
  uint64_t changed = 0;
  std::map<int, uint64_t> skipped;     // rule's error number -> rows left out
  std::map<int, std::string> reasons;  // rule's error number -> the first row's message
};

// True for the numbers of the rules a single row can break: 3022, 3058,
// 3200, 3201, 3314, 3315.
bool breaksRowRule(int errorNumber);

}  // namespace telvarn
