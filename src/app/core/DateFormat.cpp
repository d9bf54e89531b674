#include "app/core/DateFormat.h"

#include <QLocale>

namespace telvarn {

std::string generalDate(const QDateTime& moment) {
  const QLocale locale = QLocale::system();
  QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
  if (!timeFormat.contains('s')) timeFormat.replace("mm", "mm:ss");
  return (locale.toString(moment.date(), QLocale::ShortFormat) + " " +
          locale.toString(moment.time(), timeFormat))
      .toStdString();
}

}  // namespace telvarn
