// HandlerFrame: what every command handler shares. It reports the handler's
// title, takes the workspace, opens the database the line selects, and runs
// the handler's steps under its trap: a failure whose number is on the
// ignore list is passed over and the next step runs; any other is reported
// (or, with the table fallback, 3265 creates the table) and the handler
// leaves. Any exception of a step reaches the trap with a number
// (asAppError: 7 when memory ran out, 3000 for other library failures). A
// failure while the trap itself works is not caught again: it goes up to the
// dispatcher.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "db/Run.h"

namespace telvarn {

struct FrameOptions {
  enum class Report { Standard, LogOnly };
  enum class Opens { SelectedDatabase, Nothing };

  std::string title;
  std::vector<int> ignore;
  bool tableFallback = false;
  Report report = Report::Standard;
  std::string boxTitle = kMainCaption;
  Opens opens = Opens::SelectedDatabase;
};

class HandlerFrame {
 public:
  HandlerFrame(Run& run, FrameOptions options);

  // Runs one numbered step of the handler, unless the handler has left.
  void step(const std::function<void()>& body);
  // A step whose failure, whatever it is, is passed over without a report.
  void quietStep(const std::function<void()>& body);

  bool left() const { return left_; }

 private:
  void trap(const AppError& error);

  Run& run_;
  FrameOptions options_;
  bool left_ = false;
};

// The file of the database a selector names: exactly "ZulSupt.mdb" is the
// support database, any other text the data database; in a dry run, the
// database's copy.
const std::string& selectedPath(const Run& run, const std::string& selector);

}  // namespace telvarn
