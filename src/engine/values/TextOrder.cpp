#include "engine/values/TextOrder.h"

#include "engine/Utf8.h"
#include "engine/values/LetterCase.h"

namespace telvarn::values {

int compareText(std::string_view a, std::string_view b) {
  return foldedCase(toUtf16(a)).compare(foldedCase(toUtf16(b)));
}

}  // namespace telvarn::values
