#include "app/gui/frmMain.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <cmath>

#include "about/frmAbout.h"
#include "app/core/MainForm.h"
#include "db/Run.h"

namespace telvarn {

frmMain::frmMain() {
  setWindowTitle(QString::fromStdString(kMainCaption));
  auto* client = new QWidget(this);
  setCentralWidget(client);

  lstMain_ = new QListWidget(client);
  lstMain_->setObjectName("lstMain");
  lstMain_->setGeometry(pixels(360), pixels(360), pixels(3855), pixels(2400));

  cmdOK_ = new QPushButton("OK", client);
  cmdOK_->setObjectName("cmdOK");
  cmdOK_->setGeometry(pixels(1560), pixels(3000), pixels(1335), pixels(495));
  cmdOK_->setDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, &QWidget::close);

  QMenu* mnuHelp = menuBar()->addMenu("&Help");
  mnuHelp->setObjectName("mnuHelp");
  QAction* mnuAbout = mnuHelp->addAction("About");
  mnuAbout->setObjectName("mnuAbout");
  connect(mnuAbout, &QAction::triggered, this, [this] {
    if (form_) frmAbout::showAbout(form_->settings(), form_->paths());
  });

  // The design position: the client area 4680 x 3630 twips at 3630, 2220,
  // where the window stays unless a stored position moves it.
  target_ = QRect(pixels(3630), pixels(2220), pixels(4680), pixels(3630));
  place();
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

void frmMain::moveTwips(double left, double top, double width, double height) {
  placement_ = Placement::OuterFrame;
  target_ = QRect(pixels(left), pixels(top), pixels(width), pixels(height));
  place();
}

std::array<int, 4> frmMain::geometryTwips() const {
  const QRect outer = frameGeometry();
  return {outer.x() * 15, outer.y() * 15, outer.width() * 15, outer.height() * 15};
}

void frmMain::place() {
  const QRect outer = frameGeometry();
  const QRect inner = geometry();
  const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom());
  if (placement_ == Placement::OuterFrame) {
    resize(target_.width() - frame.left() - frame.right(),
           target_.height() - frame.top() - frame.bottom());
    move(target_.topLeft());
    return;
  }
  layout()->activate();
  const int menu = centralWidget()->y();
  resize(target_.width(), target_.height() + menu);
  move(target_.topLeft() - QPoint(frame.left(), frame.top() + menu));
}

// A window manager frames the window only once it is shown; the window is
// placed again then, so that the stored outer size is the outer size.
bool frmMain::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  if (!framed_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
      frameGeometry() != geometry()) {
    framed_ = true;
    place();
  }
  return handled;
}

void frmMain::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    cmdOK_->click();
    return;
  }
  QMainWindow::keyPressEvent(event);
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
