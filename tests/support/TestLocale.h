// A language whose numbers have a decimal comma, made for the tests with
// localedef in a folder of the build (the machine need not have it
// installed). The end-to-end tests run a second time in it.
#pragma once

#include <optional>
#include <string>

namespace telvarn::test {

// The decimal-comma locale the tests use.
inline const char* const kDecimalCommaLocale = "de_DE.UTF-8";

// The folder to give as LOCPATH for `locale` ("de_DE.UTF-8"), made on first
// use; nothing when localedef or its sources are missing.
std::optional<std::string> localeFolder(const std::string& locale);

// The locale the second pass of the end-to-end tests runs the program in
// (TELVARN_TEST_LANG), or nothing in the ordinary pass.
std::optional<std::string> programLocale();

}  // namespace telvarn::test
