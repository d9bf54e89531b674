// RunReport: the machine-readable account of a run, for support staff who
// must find the failing line of a long script. One JSON object per script
// line as it is processed (its number, text, keyword, the list lines it
// produced, the errors reported and, for a statement it ran, the rows it
// changed and those it left out with the rule each broke), then one with
// the totals and the exit status. The list, the log and the boxes are not changed by it. A report
// that cannot be written (a full disk, a reader that went away) stops with
// one line on standard error, and the run goes on.
#pragma once

#include <QJsonArray>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "engine/RowsAffected.h"

namespace telvarn {

class RunReport {
 public:
  // 75 when the file cannot be made, or is a FIFO nobody reads.
  explicit RunReport(const std::string& path);

  void beginLine(int number, const std::string& text, const std::string& keyword);
  void addListLine(const std::string& text);
  void addError(int number, const std::string& description);
  void addRows(const RowsAffected& rows);
  // Writes the current line's object, if a line is open.
  void endLine();
  void finish(int exitStatus);

 private:
  void write(const class QJsonObject& object);

  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::string path_;
  bool failed_ = false;
  bool lineOpen_ = false;
  int number_ = 0;
  std::string text_;
  std::string keyword_;
  QJsonArray list_;
  QJsonArray errors_;
  std::optional<RowsAffected> rows_;
  int lines_ = 0;
  int errorCount_ = 0;
};

}  // namespace telvarn
