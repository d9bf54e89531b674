#include "app/gui/frmMain.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <cmath>

#include "about/frmAbout.h"
#include "app/core/MainForm.h"
#include "db/Run.h"

namespace telvarn {

int pixels(double twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

frmMain::frmMain() {
  setWindowTitle(QString::fromStdString(kMainCaption));
  auto* client = new QWidget(this);
  setCentralWidget(client);
  resize(pixels(4680), pixels(3630));

  lstMain_ = new QListWidget(client);
  lstMain_->setObjectName("lstMain");
  lstMain_->setGeometry(pixels(360), pixels(360), pixels(3855), pixels(2400));

  auto* cmdOK = new QPushButton("OK", client);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setGeometry(pixels(1560), pixels(3000), pixels(1335), pixels(495));
  connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);

  QMenu* mnuHelp = menuBar()->addMenu("&Help");
  mnuHelp->setObjectName("mnuHelp");
  QAction* mnuAbout = mnuHelp->addAction("About");
  mnuAbout->setObjectName("mnuAbout");
  connect(mnuAbout, &QAction::triggered, this, [this] {
    if (form_) frmAbout::showAbout(form_->settings(), form_->paths());
  });
}

void frmMain::addListLine(const std::string& text) {
  lstMain_->addItem(QString::fromStdString(text));
}

void frmMain::showMessageBox(const std::string& text, const std::string& title, BoxIcon icon) {
  const QMessageBox::Icon shown = icon == BoxIcon::Critical      ? QMessageBox::Critical
                                  : icon == BoxIcon::Exclamation ? QMessageBox::Warning
                                                                 : QMessageBox::NoIcon;
  QMessageBox box(shown, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok);
  box.exec();
}

// Positions keep the window's outer top-left corner and its inner size, so
// that a stored position comes back exactly, whatever the frame adds.
void frmMain::moveTwips(double left, double top, double width, double height) {
  move(pixels(left), pixels(top));
  resize(pixels(width), pixels(height));
}

std::array<int, 4> frmMain::geometryTwips() const {
  return {pos().x() * 15, pos().y() * 15, width() * 15, height() * 15};
}

bool frmMain::isMaximizedOrMinimized() const {
  return (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) != 0;
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (!unloaded_ && form_) {
    unloaded_ = true;
    form_->unload();
  }
  event->accept();
}

}  // namespace telvarn
