#include "report/Reporter.h"

#include "engine/AppError.h"
#include "report/ErrorLog.h"
#include "report/RunReport.h"
#include "report/View.h"

namespace telvarn {

void Reporter::status(const std::string& text) {
  setStatus(text);
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

void Reporter::rows(const RowsAffected& done) {
  if (runReport_) runReport_->addRows(done);
}

void Reporter::endLine() {
  if (runReport_) runReport_->endLine();
}

void Reporter::error(const AppError& error, const std::string& title) {
  const std::string description = named(error.description());
  strStatus = std::to_string(error.number()) + " - " + description;
  list();
  // Before the log is open (or when it could not be opened) the error still
  // reaches the list and the box, so no failure goes unseen.
  if (log_.isOpen()) log();
  showError(description, error.number(), title);
}

void Reporter::errorLogOnly(const AppError& error, const std::string& title) {
  const std::string description = named(error.description());
  strStatus = std::to_string(error.number()) + " - " + description;
  if (log_.isOpen()) {
    log();
  } else {
    list();
  }
  showError(description, error.number(), title);
}

void Reporter::showError(const std::string& description, int number, const std::string& title) {
  if (runReport_) runReport_->addError(number, description);
  view_.messageBox(std::to_string(number) + " : \r\n" + description, title, BoxIcon::Critical);
}

void Reporter::nameAs(const std::string& prefix, const std::string& shown) {
  names_.emplace_back(prefix, shown);
}

std::string Reporter::named(std::string text) const {
  for (const auto& [prefix, shown] : names_) {
    for (size_t at = 0; (at = text.find(prefix, at)) != std::string::npos; at += shown.size()) {
      text.replace(at, prefix.size(), shown);
    }
  }
  return text;
}

}  // namespace telvarn
