// MainForm: frmMain without its toolkit. Its load step does the whole
// maintenance run before the window is shown; its unload step saves the
// window's position and closes the log. It owns the run's shared state.
#pragma once

#include <optional>

#include "app/core/DryRun.h"
#include "app/core/Settings.h"
#include "db/Run.h"
#include "report/ErrorLog.h"
#include "report/Reporter.h"

namespace telvarn {

class RunReport;
class View;

// What the command line asks of a run.
struct RunOptions {
  // The machine-readable report the run also writes, if any.
  RunReport* report = nullptr;
  // The run works on copies and leaves the installation as it was: the
  // list, the boxes, the exit status and the report are a real run's.
  bool dryRun = false;
};

class MainForm {
 public:
  MainForm(View& view, Settings& settings, const RunOptions& options = {});

  void load();
  void unload();

  // 0 when no message box was shown, 1 when one or more were, 2 when the
  // load step's trap ended the run.
  int exitStatus() const;

  const ModuleSettings& paths() const { return module_; }
  Settings& settings() { return settings_; }

 private:
  void placeWindow();
  void openLog();
  // Opens the log a run appends to at `path`; a dry run's log is a file of
  // its own folder, and only asks whether `path` would take the lines.
  void openLogAt(const std::string& path);
  // Makes the copies a dry run opens instead of the databases.
  void useCopies();
  // The trap's report; when the report itself fails on the log, the box
  // still shows the error that was trapped, so no failure goes unseen.
  void reportTrapped(const AppError& error);

  View& view_;
  Settings& settings_;
  const bool dryRunAsked_;
  // Made at load, removed after the log and the engine are closed.
  std::optional<DryRun> dryRun_;
  ErrorLog log_;
  Reporter reporter_;
  ModuleSettings module_;
  Run run_;
  bool loadTrapEnded_ = false;
};

// The closing line of a run's log: the system's short date, a blank and the
// time with seconds.
std::string closingDateTime();

}  // namespace telvarn
