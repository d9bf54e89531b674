// frmAbout: the About window, with the version, the two databases in use and
// the dates of the program file. There is one, modeless; once closed, the
// next Help > About loads it afresh.
#pragma once

#include <QWidget>

class QLabel;

namespace telvarn {

class Settings;
struct ModuleSettings;

class frmAbout : public QWidget {
  Q_OBJECT

 public:
  // Shows the one About window, loading it first when it is not open.
  static frmAbout* showAbout(Settings& settings, const ModuleSettings& paths);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  frmAbout(Settings& settings, const ModuleSettings& paths);
  void load(const ModuleSettings& paths);

  Settings& settings_;
  QLabel* Lbl_Version;
  QLabel* Label2;
};

}  // namespace telvarn
