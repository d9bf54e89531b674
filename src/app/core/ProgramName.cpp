#include "app/core/ProgramName.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <clocale>

namespace telvarn {

std::string programName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

void keepNumbersInCLocale() {
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace telvarn
