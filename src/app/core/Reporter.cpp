#include "app/core/Reporter.h"

#include "app/core/ErrorLog.h"
#include "app/core/RunReport.h"
#include "app/core/View.h"
#include "engine/AppError.h"

namespace telvarn {

void Reporter::status(const std::string& text) {
  strStatus = text;
  log();
  list();
}

void Reporter::log() {
  log_.writeLine(strStatus);
}

void Reporter::list() {
  view_.addListLine(strStatus);
  if (runReport_) runReport_->addListLine(strStatus);
}

void Reporter::beginLine(int number, const std::string& text, const std::string& keyword) {
  if (runReport_) runReport_->beginLine(number, text, keyword);
}

void Reporter::endLine() {
  if (runReport_) runReport_->endLine();
}

void Reporter::error(const AppError& error, const std::string& title) {
  strStatus = std::to_string(error.number()) + " - " + error.description();
  list();
  // Before the log is open (or when it could not be opened) the error still
  // reaches the list and the box, so no failure goes unseen.
  if (log_.isOpen()) log();
  showError(error, title);
}

void Reporter::errorLogOnly(const AppError& error, const std::string& title) {
  strStatus = std::to_string(error.number()) + " - " + error.description();
  if (log_.isOpen()) {
    log();
  } else {
    list();
  }
  showError(error, title);
}

void Reporter::showError(const AppError& error, const std::string& title) {
  if (runReport_) runReport_->addError(error.number(), error.description());
  view_.messageBox(std::to_string(error.number()) + " : \r\n" + error.description(), title,
                   BoxIcon::Critical);
}

}  // namespace telvarn
