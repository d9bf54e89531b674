// ModuleSettings: the module's settings strings, the full paths of the two
// databases and the script, set by LoadSettings (app/core/Settings.h).
#pragma once

#include <string>

namespace telvarn {

struct ModuleSettings {
  std::string strDataPath;
  std::string strSupportPath;
  std::string strScriptPath;
};

}  // namespace telvarn
