// The running program's file name without its extension: the application
// name its window positions are kept under.
#pragma once

#include <string>

namespace telvarn {

std::string programName();

}  // namespace telvarn
