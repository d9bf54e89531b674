// View: what the run needs of whatever shows it, a window or a console.
// Positions are in twips, as the settings store keeps them.
#pragma once

#include <array>
#include <cmath>
#include <string>

namespace telvarn {

enum class BoxIcon { None, Critical, Exclamation };

class View {
 public:
  virtual ~View() = default;

  // Adds a line at the end of lstMain.
  virtual void addListLine(const std::string& text) = 0;

  // A modal message box with an OK button; returns when it is closed.
  void messageBox(const std::string& text, const std::string& title, BoxIcon icon) {
    ++boxesShown_;
    showMessageBox(text, title, icon);
  }
  int boxesShown() const { return boxesShown_; }

  // Whether there is a window whose position is read and saved.
  virtual bool hasWindow() const = 0;
  virtual void moveTwips(double left, double top, double width, double height) = 0;
  // Left, top, width and height of the window's outer frame.
  virtual std::array<int, 4> geometryTwips() const = 0;
  virtual bool isMaximizedOrMinimized() const = 0;

 protected:
  virtual void showMessageBox(const std::string& text, const std::string& title, BoxIcon icon) = 0;

 private:
  int boxesShown_ = 0;
};

// Twips to the toolkit's pixels, at 15 twips a pixel (96 dots per inch).
inline int pixels(double twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

}  // namespace telvarn
