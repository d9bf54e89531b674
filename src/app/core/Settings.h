// The per-user settings store and the three paths read from it at start-up.
// The store is QSettings in its native format under the organisation
// "VB and VBA Program Settings": on Linux the file
// $XDG_CONFIG_HOME/VB and VBA Program Settings/<application>.conf, one
// [section] per section.
#pragma once

#include <optional>
#include <string>

#include "db/ModuleSettings.h"

namespace telvarn {

class View;

class Settings {
 public:
  // `appPath` is App.Path, the program's folder; `exeName` the program's
  // file name without extension, under which window positions are kept.
  Settings(View& view, std::string appPath, std::string exeName);

  const std::string& appPath() const { return appPath_; }

  // Default paths in the program's folder, then the stored connection
  // settings. A step that fails shows "number - description" titled
  // "Get Registry" and the next step runs.
  void LoadSettings(ModuleSettings& settings);

  // A value under the program's own name; a failed read shows a box titled
  // "Get Registry Value" and yields the empty text.
  std::string GetAppSetting(const std::string& section, const std::string& key,
                            const std::optional<std::string>& defaultValue = std::nullopt);
  // Raises the store's error in the caller when the value cannot be written
  // (75, also for a file that is no regular file, or 5 for a file found
  // broken).
  void SaveAppSetting(const std::string& section, const std::string& key, const std::string& value);

 private:
  View& view_;
  std::string appPath_;
  std::string exeName_;
};

// Reads a value of the store: absent keys yield `defaultValue`; an
// unreadable store (one of its files no regular file, such as a FIFO,
// included) raises 75, one with a syntax error 5, for every key of it and
// for the rest of the run, once either was found.
std::string readSetting(const std::string& application, const std::string& section,
                        const std::string& key, const std::string& defaultValue);

}  // namespace telvarn
