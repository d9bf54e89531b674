// Date-time texts as the system shows them: its short date, a blank, and its
// time with seconds.
#pragma once

#include <QDateTime>
#include <string>

namespace telvarn {

std::string generalDate(const QDateTime& moment);

}  // namespace telvarn
