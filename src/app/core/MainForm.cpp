#include "app/core/MainForm.h"

#include "app/core/DateFormat.h"
#include "engine/Conversions.h"
#include "report/View.h"
#include "script/SplitText.h"

namespace telvarn {
namespace {

const char* const kDefaultPosition = "3735,2340,4800,4110";

std::vector<std::string> splitAtCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
    parts.push_back(text.substr(start, comma - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// CSng: a stored coordinate that is not a number is a type mismatch.
double toSingle(const std::string& text) {
  const std::optional<double> number = parseNumber(text);
  if (!number) throw engineError(13);
  return *number;
}

}  // namespace

std::string closingDateTime() {
  return generalDate(QDateTime::currentDateTime());
}

MainForm::MainForm(View& view, Settings& settings, const RunOptions& options)
    : view_(view),
      settings_(settings),
      dryRunAsked_(options.dryRun),
      reporter_(view, log_),
      run_(reporter_, module_) {
  reporter_.setRunReport(options.report);
}

void MainForm::load() {
  try {
    placeWindow();
    if (dryRunAsked_) dryRun_.emplace();
    openLog();
    log_.writeLine(reporter_.strStatus);
    settings_.LoadSettings(module_);
    if (dryRun_) useCopies();
    reporter_.status("Getting Registry Entries");
    reporter_.status("Reading Ini File Splitting Text");
    SplitText(run_);
    view_.addListLine("Finished Press OK to Continue");
  } catch (const EscapedError& escaped) {
    loadTrapEnded_ = true;
    reportTrapped(escaped.error);
  } catch (const std::exception& error) {
    loadTrapEnded_ = true;
    reportTrapped(asAppError(error));
  }
}

void MainForm::placeWindow() {
  if (!view_.hasWindow()) return;
  const std::vector<std::string> varWindowPos =
      splitAtCommas(settings_.GetAppSetting("StartUp", "frmMain", kDefaultPosition));
  if (varWindowPos.size() != 4) return;
  view_.moveTwips(toSingle(varWindowPos[0]), toSingle(varWindowPos[1]), toSingle(varWindowPos[2]),
                  toSingle(varWindowPos[3]));
}

void MainForm::openLog() {
  const std::string path = settings_.appPath() + "/ErrorLog.txt";
  try {
    openLogAt(path);
  } catch (const AppError& error) {
    // An installed program's folder is read-only: the log goes to the user's
    // state folder, and the list says where.
    const std::string fallback = fallbackLogPath();
    if (fallback.empty()) throw;
    try {
      openLogAt(fallback);
    } catch (const AppError&) {
      throw error;
    }
    view_.addListLine("The log could not be written at " + path + "; it is written to " + fallback);
  }
}

void MainForm::openLogAt(const std::string& path) {
  if (!dryRun_) return log_.open(path);
  checkAppendable(path);
  log_.open(dryRun_->logPath());
}

// The copies stand for the databases wherever the run opens them, and every
// report names them by the databases' own paths.
void MainForm::useCopies() {
  dryRun_->copyDatabases({module_.strDataPath, module_.strSupportPath}, run_.dbEngine());
  const auto folderPart = [](const std::string& path) {
    return path.substr(0, path.find_last_of('/') + 1);
  };
  for (const DryRun::Copy& copy : dryRun_->copies()) {
    run_.openAs.emplace(copy.real, copy.path);
    reporter_.nameAs(folderPart(copy.path), folderPart(copy.real));
  }
}

void MainForm::unload() {
  try {
    if (view_.hasWindow() && !view_.isMaximizedOrMinimized()) {
      const std::array<int, 4> g = view_.geometryTwips();
      settings_.SaveAppSetting("StartUp", "frmMain",
                               std::to_string(g[0]) + "," + std::to_string(g[1]) + "," +
                                   std::to_string(g[2]) + "," + std::to_string(g[3]));
    }
    run_.db = nullptr;
    run_.ws = nullptr;
    run_.tdf = nullptr;
    run_.qdf = nullptr;
    if (log_.isOpen()) log_.writeLine(closingDateTime());
    log_.close();
  } catch (const std::exception& error) {
    reportTrapped(asAppError(error));
  }
}

void MainForm::reportTrapped(const AppError& error) {
  try {
    reporter_.error(error, kMainCaption);
  } catch (const std::exception& failure) {
    // The log itself failed: the list and the box say so, and what to do.
    const AppError logFailure = asAppError(failure);
    const std::string where = log_.path().empty() ? "ErrorLog.txt" : log_.path();
    view_.addListLine(std::to_string(logFailure.number()) + " - " + logFailure.description());
    view_.messageBox(std::to_string(error.number()) + " : \r\n" + error.description() +
                         "\r\nThe log " + where + " could not be written (" +
                         std::to_string(logFailure.number()) + " - " + logFailure.description() +
                         "). Free some space or make its folder writable, then run the "
                         "script again.",
                     kMainCaption, BoxIcon::Critical);
  }
}

int MainForm::exitStatus() const {
  if (loadTrapEnded_) return 2;
  return view_.boxesShown() > 0 ? 1 : 0;
}

}  // namespace telvarn
