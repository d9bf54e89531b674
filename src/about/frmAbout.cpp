#include "about/frmAbout.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "app/core/DateFormat.h"
#include "app/core/Settings.h"
#include "engine/AppError.h"
#include "engine/Conversions.h"
#include "report/View.h"

namespace telvarn {
namespace {

QPointer<frmAbout> theAbout;

QLabel* label(QWidget* parent, const QString& text, int left, int top, int width, int height,
              bool grey) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (grey) {
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    label->setPalette(palette);
  }
  return label;
}

QFont makeFont(const char* family, double points, bool bold = false) {
  QFont font(family);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// Each load step that fails is passed over silently; the window always opens.
template <typename Step>
void tryStep(Step step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

}  // namespace

frmAbout* frmAbout::showAbout(Settings& settings, const ModuleSettings& paths) {
  if (!theAbout) {
    theAbout = new frmAbout(settings, paths);
    theAbout->setAttribute(Qt::WA_DeleteOnClose);
  }
  theAbout->show();
  theAbout->raise();
  return theAbout;
}

frmAbout::frmAbout(Settings& settings, const ModuleSettings& paths)
    : QWidget(nullptr), settings_(settings) {
  setObjectName("frmAbout");
  setWindowTitle("About TELVARN");
  resize(pixels(7065), pixels(4515));
  QLabel* title = label(this, "Orvel Database Maintenance System", 120, 120, 6795, 1050, true);
  title->setFont(makeFont("Arial", 18, true));
  Lbl_Version = label(this, "", 120, 840, 6795, 840, true);
  Lbl_Version->setObjectName("Lbl_Version");
  Lbl_Version->setFont(makeFont("Microsoft Sans Serif", 8.25));
  Label2 = label(this, "", 120, 1800, 6795, 975, false);
  Label2->setObjectName("Label2");
  // The label's five lines fit its height only at 8.25 points, the size the
  // window was laid out for.
  Label2->setFont(makeFont("Microsoft Sans Serif", 8.25));
  QLabel* company = label(this, "Quenholt", 600, 3360, 6000, 240, true);
  company->setObjectName("Lbl_Microsoft");
  company->setFont(makeFont("Arial", 8.25));
  auto* cmdOK = new QPushButton("OK", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setGeometry(pixels(2640), pixels(3960), pixels(1695), pixels(375));
  cmdOK->setFont(makeFont("Arial", 8.25));
  connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
  load(paths);
}

void frmAbout::load(const ModuleSettings& paths) {
  tryStep([&] {
    const QStringList parts =
        QString::fromStdString(settings_.GetAppSetting("StartUp", "frmAbout", "2040,840,7155,4890"))
            .split(',');
    if (parts.size() != 4) return;
    double twips[4];
    for (int i = 0; i < 4; ++i) {
      const auto number = parseNumber(parts[i].toStdString());
      if (!number) throw engineError(13);
      twips[i] = *number;
    }
    move(pixels(twips[0]), pixels(twips[1]));
    resize(pixels(twips[2]), pixels(twips[3]));
  });
  tryStep([&] {
    Lbl_Version->setText(QString("Version: %1.%2.%3")
                             .arg(TELVARN_VERSION_MAJOR)
                             .arg(TELVARN_VERSION_MINOR)
                             .arg(TELVARN_VERSION_PATCH));
  });
  tryStep([&] {
    Label2->setText(QString::fromStdString("The currently active databases are:\n\n" +
                                           paths.strDataPath + "\nand\n" + paths.strSupportPath));
  });
  tryStep([&] {
    const QFileInfo program(QString::fromStdString(settings_.appPath() + "/TELVARN"));
    if (!program.exists()) return;
    // Not every file system records a creation time; the last status change
    // stands in for it there.
    const QDateTime created =
        program.birthTime().isValid() ? program.birthTime() : program.metadataChangeTime();
    Lbl_Version->setText(Lbl_Version->text() +
                         "\nCreated: " + QString::fromStdString(generalDate(created)));
    Lbl_Version->setText(Lbl_Version->text() + "\nModified: " +
                         QString::fromStdString(generalDate(program.lastModified())));
  });
}

void frmAbout::closeEvent(QCloseEvent* event) {
  if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) {
    tryStep([&] {
      settings_.SaveAppSetting(
          "StartUp", "frmAbout",
          std::to_string(pos().x() * 15) + "," + std::to_string(pos().y() * 15) + "," +
              std::to_string(width() * 15) + "," + std::to_string(height() * 15));
    });
  }
  event->accept();
}

}  // namespace telvarn
