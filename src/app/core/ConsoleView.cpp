#include "app/core/ConsoleView.h"

#include <cstdio>

namespace telvarn {
namespace {

// Whether the whole line reached the stream.
bool writeLine(std::FILE* stream, const std::string& line) {
  const bool written = std::fwrite(line.data(), 1, line.size(), stream) == line.size() &&
                       std::fputc('\n', stream) != EOF;
  return std::fflush(stream) == 0 && written;
}

}  // namespace

void ConsoleView::addListLine(const std::string& text) {
  if (!listWritable_ || writeLine(stdout, text)) return;
  listWritable_ = false;
  if (errorsWritable_) {
    errorsWritable_ = writeLine(stderr,
                                "TELVARN: standard output cannot be written; the list stops here, "
                                "the run and its log go on");
  }
}

void ConsoleView::showMessageBox(const std::string& text, const std::string& title, BoxIcon) {
  if (errorsWritable_) errorsWritable_ = writeLine(stderr, boxLine(text, title));
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
