#include "script/SplitText.h"

#include "commands/Commands.h"
#include "db/Run.h"
#include "script/ScriptReader.h"

namespace telvarn {

void SplitText(Run& run) {
  try {
    run.report.status("SplitText");
    ScriptReader script(run.paths.strScriptPath);
    int number = 0;
    while (std::optional<std::string> line = script.next()) {
      run.rec.strLine = *line;
      run.rec.varFields = splitFields(*line);
      const bool comment = line->starts_with('\'');
      run.report.beginLine(++number, *line,
                           comment                     ? "'"
                           : run.rec.varFields.empty() ? ""
                                                       : run.rec.varFields.front());
      if (comment) continue;
      bool tooFewFields = false;
      try {
        if (!dispatchLine(run)) break;
      } catch (const AppError& error) {
        if (error.number() != 9) throw;
        tooFewFields = true;
      }
      if (tooFewFields) {
        try {
          CreateTable(run);
        } catch (const std::exception& error) {
          throw EscapedError{asAppError(error)};
        }
      }
    }
  } catch (const std::exception& error) {
    run.report.error(asAppError(error), "SplitText");
  }
  run.report.endLine();
}

}  // namespace telvarn
