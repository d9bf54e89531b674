// frmMain: the main window. It shows the list of the run's reports and an OK
// button; the run itself happens in MainForm before the window is shown.
#pragma once

#include <QMainWindow>

#include "report/View.h"

class QListWidget;
class QPushButton;

namespace telvarn {

class MainForm;

class frmMain : public QMainWindow, public View {
  Q_OBJECT

 public:
  frmMain();

  // The run's logic; set before the load step runs.
  void setForm(MainForm* form) { form_ = form; }

  void addListLine(const std::string& text) override;
  bool hasWindow() const override { return true; }
  // Left, top, width and height of the window's outer frame.
  void moveTwips(double left, double top, double width, double height) override;
  std::array<int, 4> geometryTwips() const override;
  bool isMaximizedOrMinimized() const override;

  QListWidget* lstMain() const { return lstMain_; }

 protected:
  void showMessageBox(const std::string& text, const std::string& title, BoxIcon icon) override;
  void closeEvent(QCloseEvent* event) override;
  // Enter presses OK, wherever the focus is: cmdOK is the default button.
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Puts the window where target_ says, with the frame the window manager
  // has given it so far (none before the window is shown).
  void place();

  MainForm* form_ = nullptr;
  QListWidget* lstMain_;
  QPushButton* cmdOK_;
  bool unloaded_ = false;
  // In pixels: the client area below the menu bar (the design position), or
  // the outer frame (a stored position).
  enum class Placement { ClientArea, OuterFrame };
  Placement placement_ = Placement::ClientArea;
  QRect target_;
  // Whether the window was placed again once its frame was known.
  bool framed_ = false;
};


}  // namespace telvarn
