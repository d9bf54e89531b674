#include "support/TestLocale.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace telvarn::test {

std::optional<std::string> localeFolder(const std::string& locale) {
  namespace fs = std::filesystem;
  const fs::path folder = TELVARN_TEST_LOCALE_DIR;
  if (fs::exists(folder / locale / "LC_NUMERIC")) return folder.string();
  // Made aside and renamed into place, so that tests running at once never
  // see half a locale.
  const size_t dot = locale.find('.');
  if (dot == std::string::npos) return std::nullopt;
  const fs::path aside = folder.string() + ".tmp" + std::to_string(::getpid());
  std::error_code ignored;
  fs::create_directories(aside, ignored);
  fs::create_directories(folder, ignored);
  const std::string command = "localedef -i " + locale.substr(0, dot) + " -f " +
                              locale.substr(dot + 1) + " '" + (aside / locale).string() +
                              "' >/dev/null 2>&1";
  // localedef warns with a status of 1 about some locales it makes whole.
  std::system(command.c_str());
  if (fs::exists(aside / locale / "LC_NUMERIC"))
    fs::rename(aside / locale, folder / locale, ignored);
  fs::remove_all(aside, ignored);
  if (!fs::exists(folder / locale / "LC_NUMERIC")) return std::nullopt;
  return folder.string();
}

std::optional<std::string> programLocale() {
  const char* locale = std::getenv("TELVARN_TEST_LANG");
  if (!locale || !*locale) return std::nullopt;
  return std::string(locale);
}

}  // namespace telvarn::test
