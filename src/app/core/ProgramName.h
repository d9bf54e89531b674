// What the running program knows of itself: its file name without its
// extension, the application name its window positions are kept under, and
// the C library locale it keeps for numbers.
#pragma once

#include <string>

namespace telvarn {

std::string programName();

// The toolkit takes the user's locale for the C library when the application
// object is made; this puts numbers back to the "C" form ("." before the
// fraction), so that no library call that reads or writes a number depends on
// the user's language. Called right after the application object is made.
// The program's own number texts do not rely on it (engine/NumberText.h).
void keepNumbersInCLocale();

}  // namespace telvarn
