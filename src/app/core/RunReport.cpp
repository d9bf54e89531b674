#include "app/core/RunReport.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "engine/AppError.h"

namespace telvarn {
namespace {

QString text(const std::string& value) {
  return QString::fromStdString(value);
}

}  // namespace

RunReport::RunReport(const std::string& path) : file_(std::fopen(path.c_str(), "wbe")) {
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

void RunReport::endLine() {
  if (!lineOpen_) return;
  write(QJsonObject{{"line", number_},
                    {"text", text(text_)},
                    {"keyword", text(keyword_)},
                    {"list", list_},
                    {"errors", errors_}});
  lineOpen_ = false;
  list_ = QJsonArray();
  errors_ = QJsonArray();
  ++lines_;
}

void RunReport::finish(int exitStatus) {
  endLine();
  write(QJsonObject{{"totals", QJsonObject{{"lines", lines_}, {"errors", errorCount_}}},
                    {"exitStatus", exitStatus}});
}

void RunReport::write(const QJsonObject& object) {
  const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact) + "\n";
  std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), file_.get());
  std::fflush(file_.get());
}

}  // namespace telvarn
