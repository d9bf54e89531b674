// A View that remembers what the run showed, list lines and boxes in one
// sequence, so tests can check the order of reports.
#pragma once

#include <string>
#include <vector>

#include "report/View.h"

namespace telvarn::test {

class RecordingView : public View {
 public:
  std::vector<std::string> list;
  // "title: text" for every box, in order.
  std::vector<std::string> boxes;
  // Every event: "list: text" or "box: title: text".
  std::vector<std::string> events;

  // When set, each list line records whether the log already held it, so
  // tests can tell "log, then list" from "list, then log".
  std::string logPath;
  std::vector<bool> loggedBeforeListed;

  bool window = false;
  std::array<int, 4> geometry{0, 0, 0, 0};
  bool maximized = false;

  void addListLine(const std::string& text) override;
  bool hasWindow() const override { return window; }
  void moveTwips(double left, double top, double width, double height) override;
  std::array<int, 4> geometryTwips() const override { return geometry; }
  bool isMaximizedOrMinimized() const override { return maximized; }

 protected:
  void showMessageBox(const std::string& text, const std::string& title, BoxIcon icon) override;
};

}  // namespace telvarn::test
