// Reporter: every report of the run goes through here, to strStatus, the
// log and the list, in the order each kind of report prescribes.
#pragma once

#include <string>

namespace telvarn {

class AppError;
class ErrorLog;
class RunReport;
class View;

class Reporter {
 public:
  Reporter(View& view, ErrorLog& log) : view_(view), log_(log) {}

  std::string strStatus;

  // ReportStatus: strStatus, then the log, then the list.
  void status(const std::string& text);
  // ReportError: strStatus "number - description", the list, the log, then a
  // critical box "number : " CRLF "description" under `title`.
  void error(const AppError& error, const std::string& title);
  // The same without the list line.
  void errorLogOnly(const AppError& error, const std::string& title);

  // The single steps, for the handlers that report in another order.
  void setStatus(const std::string& text) { strStatus = text; }
  void log();
  void list();

  View& view() { return view_; }

  // The machine-readable report, when the run writes one: the dispatcher
  // marks where each script line begins and ends.
  void setRunReport(RunReport* report) { runReport_ = report; }
  void beginLine(int number, const std::string& text, const std::string& keyword);
  void endLine();

 private:
  void showError(const AppError& error, const std::string& title);

  View& view_;
  ErrorLog& log_;
  RunReport* runReport_ = nullptr;
};

}  // namespace telvarn
