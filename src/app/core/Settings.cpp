#include "app/core/Settings.h"

#include <sys/stat.h>

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <map>

#include "engine/AppError.h"
#include "report/View.h"

namespace telvarn {
namespace {

const char* const kOrganisation = "VB and VBA Program Settings";

// The toolkit reads each settings file once per process and tells only its
// first reader that the file is broken; later readers silently find the
// keys before the fault. So the first failure of a file is kept, and every
// later use of that file in the run fails the same way: one run never mixes
// stored and default paths out of one broken file.
QSettings::Status statusOf(const QSettings& store) {
  static std::map<QString, QSettings::Status> failed;
  if (store.status() != QSettings::NoError) failed.try_emplace(store.fileName(), store.status());
  const auto found = failed.find(store.fileName());
  return found == failed.end() ? QSettings::NoError : found->second;
}

// The files the toolkit reads for `application`: in each configuration
// folder, the application's file and the organisation's. One that exists
// and is no regular file (a FIFO would hold the reader for ever) makes the
// store unreadable, 75, before the toolkit opens it.
void refuseFilesThatAreNotRegular(const std::string& application) {
  const QString organisation = kOrganisation;
  for (const QString& folder :
       QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
    for (const QString& file :
         {folder + "/" + organisation + "/" + QString::fromStdString(application) + ".conf",
          folder + "/" + organisation + ".conf"}) {
      struct stat info {};
      if (::stat(file.toLocal8Bit().constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        throw engineError(75);
      }
    }
  }
}

void checkStatus(const QSettings& store) {
  const QSettings::Status status = statusOf(store);
  if (status == QSettings::AccessError) throw engineError(75);
  if (status == QSettings::FormatError) throw engineError(5);
}

}  // namespace

std::string readSetting(const std::string& application, const std::string& section,
                        const std::string& key, const std::string& defaultValue) {
  refuseFilesThatAreNotRegular(application);
  QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation,
                  QString::fromStdString(application));
  checkStatus(store);
  const QString name = QString::fromStdString(section + "/" + key);
  if (!store.contains(name)) return defaultValue;
  const QVariant value = store.value(name);
  // A value written by hand with unquoted commas reads back as a list.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(",").toStdString();
  return value.toString().toStdString();
}

Settings::Settings(View& view, std::string appPath, std::string exeName)
    : view_(view), appPath_(std::move(appPath)), exeName_(std::move(exeName)) {}

void Settings::LoadSettings(ModuleSettings& settings) {
  const auto step = [&](std::string& variable, const auto& value) {
    try {
      variable = value();
    } catch (const std::exception& failure) {
      const AppError error = asAppError(failure);
      view_.messageBox(std::to_string(error.number()) + " - " + error.description(), "Get Registry",
                       BoxIcon::None);
    }
  };
  step(settings.strSupportPath, [&] { return appPath_ + "/ZulSupt.mdb"; });
  step(settings.strDataPath, [&] { return appPath_ + "/ZulData.mdb"; });
  step(settings.strScriptPath, [&] { return appPath_ + "/TELVARN.ini"; });
  step(settings.strDataPath,
       [&] { return readSetting("VARNOK", "Connections", "ZulData", settings.strDataPath); });
  step(settings.strSupportPath,
       [&] { return readSetting("VARNOK", "Connections", "ZulSupport", settings.strSupportPath); });
  step(settings.strScriptPath,
       [&] { return readSetting("TELVARN", "Connections", "TELVARN", settings.strScriptPath); });
}

std::string Settings::GetAppSetting(const std::string& section, const std::string& key,
                                    const std::optional<std::string>& defaultValue) {
  try {
    return readSetting(exeName_, section, key, defaultValue.value_or(""));
  } catch (const std::exception& failure) {
    const AppError error = asAppError(failure);
    view_.messageBox(std::to_string(error.number()) + "\r\n" + error.description(),
                     "Get Registry Value", BoxIcon::Exclamation);
    return "";
  }
}

void Settings::SaveAppSetting(const std::string& section, const std::string& key,
                              const std::string& value) {
  refuseFilesThatAreNotRegular(exeName_);
  QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation,
                  QString::fromStdString(exeName_));
  store.setValue(QString::fromStdString(section + "/" + key), QString::fromStdString(value));
  store.sync();
  checkStatus(store);
}

}  // namespace telvarn
