// The order of two texts wherever the dialect compares text: =, <, ...,
// Min and Max, StrComp's text comparison, sorting. This is the one place
// that order is decided; the General sort order (the engine's collation)
// binds here. Until then the order compares UTF-16 units with letter case
// ignored across all of Unicode.
#pragma once

#include <string_view>

namespace telvarn::values {

// Negative, zero or positive as `a` sorts before, with or after `b`.
int compareText(std::string_view a, std::string_view b);

}  // namespace telvarn::values
