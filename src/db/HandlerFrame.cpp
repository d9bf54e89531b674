#include "db/HandlerFrame.h"

#include <algorithm>

#include "engine/model/Database.h"

namespace telvarn {

const std::string& selectedPath(const Run& run, const std::string& selector) {
  const std::string& path =
      selector == "ZulSupt.mdb" ? run.paths.strSupportPath : run.paths.strDataPath;
  const auto copy = run.openAs.find(path);
  return copy == run.openAs.end() ? path : copy->second;
}

HandlerFrame::HandlerFrame(Run& run, FrameOptions options)
    : run_(run), options_(std::move(options)) {
  step([&] { run_.report.status(options_.title); });
  if (options_.opens == FrameOptions::Opens::Nothing) return;
  step([&] {
    run_.ws = nullptr;
    run_.ws = run_.dbEngine().workspace(0);
  });
  step([&] {
    run_.db = nullptr;
    run_.db = need(run_.ws).openDatabase(selectedPath(run_, run_.rec.varDatabase));
  });
}

void HandlerFrame::step(const std::function<void()>& body) {
  if (left_) return;
  try {
    body();
  } catch (const std::exception& error) {
    trap(asAppError(error));
  }
}

void HandlerFrame::quietStep(const std::function<void()>& body) {
  if (left_) return;
  try {
    body();
  } catch (const std::exception&) {
  }
}

void HandlerFrame::trap(const AppError& error) {
  const auto& ignore = options_.ignore;
  if (std::find(ignore.begin(), ignore.end(), error.number()) != ignore.end()) return;
  left_ = true;
  if (options_.tableFallback && error.number() == 3265) {
    run_.strSql = "Create Table " + run_.rec.varTable;
    need(run_.db).execute(run_.strSql);
    return;
  }
  if (options_.report == FrameOptions::Report::LogOnly) {
    run_.report.errorLogOnly(error, options_.boxTitle);
  } else {
    run_.report.error(error, options_.boxTitle);
  }
}

}  // namespace telvarn
