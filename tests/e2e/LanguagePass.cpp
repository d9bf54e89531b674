// The second pass of the end-to-end tests runs the program in the language
// TELVARN_TEST_LANG names (one with a decimal comma). The locale is made
// here once; where localedef cannot make it the whole pass is skipped.
#include <gtest/gtest.h>

#include "support/TestLocale.h"

namespace telvarn::test {
namespace {

class LanguagePass : public ::testing::Environment {
 public:
  void SetUp() override {
    const std::optional<std::string> locale = programLocale();
    if (locale && !localeFolder(*locale)) GTEST_SKIP() << "localedef cannot make " << *locale;
  }
};

const ::testing::Environment* const kPass = ::testing::AddGlobalTestEnvironment(new LanguagePass);

}  // namespace
}  // namespace telvarn::test
