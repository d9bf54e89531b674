// Reporter: every report of the run goes through here, to strStatus, the
// log and the list, in the order each kind of report prescribes.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace telvarn {

class AppError;
class ErrorLog;
class RunReport;
struct RowsAffected;
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
  void setStatus(const std::string& text) { strStatus = named(text); }
  void log();
  void list();

  View& view() { return view_; }

  // Every report names a path that starts with `prefix` with `shown` in
  // its place: a dry run's copies by the real files' names.
  void nameAs(const std::string& prefix, const std::string& shown);

  // The machine-readable report, when the run writes one: the dispatcher
  // marks where each script line begins and ends.
  void setRunReport(RunReport* report) { runReport_ = report; }
  void beginLine(int number, const std::string& text, const std::string& keyword);
  // What the line's statement did to the rows.
  void rows(const RowsAffected& done);
  void endLine();

 private:
  void showError(const std::string& description, int number, const std::string& title);
  std::string named(std::string text) const;

  View& view_;
  ErrorLog& log_;
  RunReport* runReport_ = nullptr;
  std::vector<std::pair<std::string, std::string>> names_;
};

}  // namespace telvarn
