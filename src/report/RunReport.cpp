#include "report/RunReport.h"

#include <fcntl.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>

#include "engine/AppError.h"

namespace telvarn {
namespace {

QString text(const std::string& value) {
  return QString::fromStdString(value);
}

// Opened without waiting: a FIFO nobody reads yet is refused at once
// (ENXIO), while a pipe or FIFO with a reader (--report /dev/stdout, a
// process substitution) takes the report as a file does.
std::FILE* openForWriting(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fcntl(fd, F_SETFL, 0) == 0 ? ::fdopen(fd, "wb") : nullptr;
  if (!file) ::close(fd);
  return file;
}

}  // namespace

RunReport::RunReport(const std::string& path) : file_(openForWriting(path)), path_(path) {
  if (!file_) throw engineError(75);
}

void RunReport::beginLine(int number, const std::string& line, const std::string& keyword) {
  endLine();
  lineOpen_ = true;
  number_ = number;
  text_ = line;
  keyword_ = keyword;
}

void RunReport::addListLine(const std::string& line) {
  if (lineOpen_) list_.append(text(line));
}

void RunReport::addError(int number, const std::string& description) {
  if (!lineOpen_) return;
  errors_.append(QJsonObject{{"number", number}, {"description", text(description)}});
  ++errorCount_;
}

void RunReport::addRows(const RowsAffected& rows) {
  if (lineOpen_) rows_ = rows;
}

void RunReport::endLine() {
  if (!lineOpen_) return;
  QJsonObject line{{"line", number_},
                   {"text", text(text_)},
                   {"keyword", text(keyword_)},
                   {"list", list_},
                   {"errors", errors_}};
  if (rows_) {
    QJsonArray skipped;
    for (const auto& [number, count] : rows_->skipped) {
      const auto reason = rows_->reasons.find(number);
      skipped.append(
          QJsonObject{{"number", number},
                      {"description", text(reason == rows_->reasons.end() ? "" : reason->second)},
                      {"rows", static_cast<qint64>(count)}});
    }
    line["rows"] =
        QJsonObject{{"changed", static_cast<qint64>(rows_->changed)}, {"skipped", skipped}};
  }
  write(line);
  lineOpen_ = false;
  list_ = QJsonArray();
  errors_ = QJsonArray();
  rows_.reset();
  ++lines_;
}

void RunReport::finish(int exitStatus) {
  endLine();
  write(QJsonObject{{"totals", QJsonObject{{"lines", lines_}, {"errors", errorCount_}}},
                    {"exitStatus", exitStatus}});
}

void RunReport::write(const QJsonObject& object) {
  if (failed_) return;
  const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact) + "\n";
  errno = 0;
  const bool written = std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()),
                                   file_.get()) == static_cast<size_t>(json.size());
  if (std::fflush(file_.get()) == 0 && written) return;
  failed_ = true;
  const AppError error = engineError(errno == ENOSPC || errno == EDQUOT ? 61 : 57);
  std::fprintf(stderr,
               "TELVARN: the report %s cannot be written (%d - %s); it stops here, the run "
               "and its log go on\n",
               path_.c_str(), error.number(), error.description().c_str());
}

}  // namespace telvarn
