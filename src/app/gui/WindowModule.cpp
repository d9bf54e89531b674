// The window's side of the program, built as a module that the program
// loads only when it shows a window: a run on the console, an export or a
// check then starts without loading the toolkit's widget libraries.
#include <QApplication>

#include "app/core/MainForm.h"
#include "app/core/ProgramName.h"
#include "app/core/Settings.h"
#include "app/gui/frmMain.h"
#include "report/RunReport.h"

extern "C" __attribute__((visibility("default"))) int telvarnRunWindow(
    int argc, char** argv, const telvarn::RunOptions& options) {
  using namespace telvarn;
  QApplication app(argc, argv);
  keepNumbersInCLocale();
  frmMain window;
  Settings settings(window, QCoreApplication::applicationDirPath().toStdString(), programName());
  MainForm form(window, settings, options);
  window.setForm(&form);
  form.load();
  window.show();
  app.exec();
  if (options.report) options.report->finish(form.exitStatus());
  return form.exitStatus();
}
