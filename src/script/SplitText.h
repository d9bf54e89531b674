// SplitText: reads the maintenance script from the first line to the last
// and calls one handler per command line.
#pragma once

#include "engine/AppError.h"

namespace telvarn {

struct Run;

// An error that escaped the Create Table handler while it ran as the
// recovery for a line with too few fields: it passes the dispatcher's own
// trap and reaches the main window's load step.
struct EscapedError {
  AppError error;
};

// Reports "SplitText", then runs the script at run.paths.strScriptPath. Any
// error but 9 (any exception, numbered by asAppError) is reported titled
// "SplitText" and ends the script; 9 (a field the line does not have) runs
// CreateTable and the next line.
void SplitText(Run& run);

// Fills the record from the current line and calls its handler. False when
// field 0 is no keyword, which ends the script.
bool dispatchLine(Run& run);

}  // namespace telvarn
