#include "app/core/ProgramName.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace telvarn {

std::string programName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

}  // namespace telvarn
