// Where Date, Time and Now read the present moment: the system's local time
// in a run, a fixed moment in tests.
#pragma once

namespace telvarn::values {

class Clock {
 public:
  virtual ~Clock() = default;
  // The local date and time as a stored date (see Calendar.h).
  virtual double now() const = 0;
};

// The system's local time, to the second.
const Clock& systemClock();

}  // namespace telvarn::values
