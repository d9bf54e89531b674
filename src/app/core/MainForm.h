// MainForm: frmMain without its toolkit. Its load step does the whole
// maintenance run before the window is shown; its unload step saves the
// window's position and closes the log. It owns the run's shared state.
#pragma once

#include "app/core/ErrorLog.h"
#include "app/core/Reporter.h"
#include "app/core/Settings.h"
#include "db/Run.h"

namespace telvarn {

class RunReport;
class View;

class MainForm {
 public:
  MainForm(View& view, Settings& settings);

  void load();
  void unload();

  // 0 when no message box was shown, 1 when one or more were, 2 when the
  // load step's trap ended the run.
  int exitStatus() const;

  // The machine-readable report the run also writes, if any.
  void setRunReport(RunReport* report) { reporter_.setRunReport(report); }

  const ModuleSettings& paths() const { return module_; }
  Settings& settings() { return settings_; }

 private:
  void placeWindow();
  void openLog();
  // The trap's report; when the report itself fails on the log, the box
  // still shows the error that was trapped, so no failure goes unseen.
  void reportTrapped(const AppError& error);

  View& view_;
  Settings& settings_;
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
