// The Like operator of the dialect: * any run of characters, ? one
// character, # one digit, [abc] [a-z] one of a set, [!abc] one not in it.
// % and _ are ordinary characters. Characters match and ranges hold as the
// General sort order compares them: letter case does not matter, accents do,
// and [a-z] holds á.
#pragma once

#include <string_view>

namespace telvarn::jetsql {

// Whether all of `text` matches `pattern` (both UTF-8). A "[" that is never
// closed is error 93, as in the run-time library.
bool likeMatches(std::string_view text, std::string_view pattern);

}  // namespace telvarn::jetsql
