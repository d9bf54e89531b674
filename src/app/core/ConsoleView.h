// ConsoleView: the run without a window. Each list line goes to standard
// output as it is added; each message box goes to standard error as one
// line, its title, ": " and its text with every line break made a blank.
// Nothing waits for a key. A stream that fails (a closed pipe, a full disk)
// is given up with one line on standard error: the view stops, the run,
// its log and its databases go on to the end.
#pragma once

#include "report/View.h"

namespace telvarn {

class ConsoleView : public View {
 public:
  void addListLine(const std::string& text) override;
  bool hasWindow() const override { return false; }
  void moveTwips(double, double, double, double) override {}
  std::array<int, 4> geometryTwips() const override { return {0, 0, 0, 0}; }
  bool isMaximizedOrMinimized() const override { return false; }

 protected:
  void showMessageBox(const std::string& text, const std::string& title, BoxIcon icon) override;

 private:
  bool listWritable_ = true;
  bool errorsWritable_ = true;
};

// The box as one line: each CR LF, CR or LF becomes one blank.
std::string boxLine(const std::string& text, const std::string& title);

}  // namespace telvarn
