#include "support/RecordingView.h"

#include "app/core/ConsoleView.h"
#include "support/TempDir.h"

namespace telvarn::test {

void RecordingView::addListLine(const std::string& text) {
  if (!logPath.empty()) {
    const std::string log = readFile(logPath);
    const std::string line = text + "\r\n";
    loggedBeforeListed.push_back(log.size() >= line.size() &&
                                 log.compare(log.size() - line.size(), line.size(), line) == 0);
  }
  list.push_back(text);
  events.push_back("list: " + text);
}

void RecordingView::moveTwips(double left, double top, double width, double height) {
  geometry = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
              static_cast<int>(height)};
}

void RecordingView::showMessageBox(const std::string& text, const std::string& title, BoxIcon) {
  boxes.push_back(boxLine(text, title));
  events.push_back("box: " + boxLine(text, title));
}

}  // namespace telvarn::test
