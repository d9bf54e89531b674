#include "engine/RowsAffected.h"

namespace telvarn {

bool breaksRowRule(int errorNumber) {
  switch (errorNumber) {
    case 3022:  // a duplicate in a unique index or primary key
    case 3058:  // Null in a primary key or a required index
    case 3200:  // a deleted row that related rows still need
    case 3201:  // a row that refers to no row of its relationship
    case 3314:  // Null in a Required field
    case 3315:  // a zero-length string where it is not allowed
      return true;
    default:
      return false;
  }
}

}  // namespace telvarn
