#include "app/core/ConsoleView.h"

#include <cstdio>

namespace telvarn {

void ConsoleView::addListLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void ConsoleView::showMessageBox(const std::string& text, const std::string& title, BoxIcon) {
  const std::string line = boxLine(text, title) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

std::string boxLine(const std::string& text, const std::string& title) {
  std::string line = title + ": ";
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
  }
  return line;
}

}  // namespace telvarn
