// A maintenance run inside the test process: two fresh databases and a log
// in a temporary folder, a view that records what it was shown, and the
// run state the dispatcher and the handlers share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/Settings.h"
#include "db/Run.h"
#include "engine/model/Database.h"
#include "report/ErrorLog.h"
#include "report/Reporter.h"
#include "support/ErrorOf.h"
#include "support/RecordingView.h"
#include "support/TempDir.h"

namespace telvarn::test {

class RunFixture : public ::testing::Test {
 protected:
  RunFixture();

  // Writes the script (lines joined with CR LF) and runs SplitText on it.
  void runScript(const std::vector<std::string>& lines);
  void runScriptBytes(const std::string& bytes);

  // The log's lines, without their CR LF.
  std::vector<std::string> logLines() const;

  std::shared_ptr<Database> data() { return run.dbEngine().openDatabase(paths.strDataPath); }
  std::shared_ptr<Database> support() { return run.dbEngine().openDatabase(paths.strSupportPath); }

  TempDir dir;
  RecordingView view;
  ErrorLog log;
  Reporter reporter{view, log};
  ModuleSettings paths;
  telvarn::Run run{reporter, paths};
};

}  // namespace telvarn::test
