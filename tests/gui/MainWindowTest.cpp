// The windows under the offscreen platform: the main window holds the run's
// lines, OK saves its position, and the About window shows what it should
// and is made afresh after it was closed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "about/frmAbout.h"
#include "app/core/MainForm.h"
#include "app/core/Settings.h"
#include "app/gui/frmMain.h"
#include "engine/open/DBEngine.h"
#include "support/TempDir.h"

namespace telvarn::test {
namespace {

class Windows : public ::testing::Test {
 protected:
  Windows() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir.file("config")));
    DBEngine::createDatabase(dir.file("ZulData.mdb"));
    DBEngine::createDatabase(dir.file("ZulSupt.mdb"));
    writeFile(dir.file("TELVARN.ini"), "add;ZulData.mdb;T1;\r\n");
  }

  std::string stored(const char* key) { return readSetting("TELVARN", "StartUp", key, "(none)"); }

  TempDir dir;
};

TEST_F(Windows, TheMainWindowShowsTheRunAndOkSavesItsPosition) {
  frmMain window;
  Settings settings(window, dir.path(), "TELVARN");
  MainForm form(window, settings);
  window.setForm(&form);
  form.load();
  window.show();

  EXPECT_EQ(window.windowTitle().toStdString(), "Orvel Database Maintenance System");
  // The stored position is the outer frame's.
  EXPECT_EQ(window.frameGeometry(), QRect(249, 156, 320, 274));
  QListWidget* list = window.lstMain();
  ASSERT_GE(list->count(), 2);
  EXPECT_EQ(list->item(0)->text().toStdString(), "Getting Registry Entries");
  EXPECT_EQ(list->item(list->count() - 1)->text().toStdString(), "Finished Press OK to Continue");

  window.move(300, 200);
  window.findChild<QPushButton*>("cmdOK")->click();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(stored("frmMain"), "4500,3000,4800,4110");
  const std::string log = readFile(dir.file("ErrorLog.txt"));
  EXPECT_EQ(log.substr(0, 2), "\r\n");
  EXPECT_EQ(log.find("Finished"), std::string::npos);
}

// Positions are the outer frame's, as stored; without a usable one the
// window opens with its client area at the design position, OK in full.
TEST_F(Windows, TheStoredOuterFrameOrTheDesignClientAreaPlaceTheWindow) {
  const auto shown = [&](const char* position, const std::function<void(frmMain&)>& check) {
    frmMain window;
    Settings settings(window, dir.path(), "TELVARN");
    settings.SaveAppSetting("StartUp", "frmMain", position);
    MainForm form(window, settings);
    window.setForm(&form);
    form.load();
    window.show();
    check(window);
  };
  shown("1500,1200,6000,4500",
        [](frmMain& window) { EXPECT_EQ(window.frameGeometry(), QRect(100, 80, 400, 300)); });
  shown("1500,1200,6000", [](frmMain& window) {
    const QWidget* client = window.centralWidget();
    EXPECT_EQ(QRect(client->mapToGlobal(QPoint(0, 0)), client->size()), QRect(242, 148, 312, 242));
    const QRect ok = window.findChild<QPushButton*>("cmdOK")->geometry();
    EXPECT_TRUE(client->rect().contains(ok)) << ok.y() << "+" << ok.height();
  });
}

TEST_F(Windows, EnterPressesOk) {
  frmMain window;
  Settings settings(window, dir.path(), "TELVARN");
  MainForm form(window, settings);
  window.setForm(&form);
  form.load();
  window.show();
  QTest::keyClick(window.lstMain(), Qt::Key_Return);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(stored("frmMain"), "3735,2340,4800,4110");
}

TEST_F(Windows, AMaximizedWindowKeepsTheStoredPosition) {
  frmMain window;
  Settings settings(window, dir.path(), "TELVARN");
  settings.SaveAppSetting("StartUp", "frmMain", "15,30,4500,3000");
  MainForm form(window, settings);
  window.setForm(&form);
  form.load();
  EXPECT_EQ(window.pos(), QPoint(1, 2));
  window.showMaximized();
  window.close();
  EXPECT_EQ(stored("frmMain"), "15,30,4500,3000");
}

TEST_F(Windows, TheAboutWindowIsOneAndIsMadeAfreshAfterClosing) {
  frmMain window;
  Settings settings(window, dir.path(), "TELVARN");
  ModuleSettings paths{dir.file("data.mdb"), "/no/such/support.mdb", ""};
  frmAbout* first = frmAbout::showAbout(settings, paths);
  EXPECT_EQ(frmAbout::showAbout(settings, paths), first);
  EXPECT_EQ(first->windowTitle().toStdString(), "About TELVARN");
  const auto text = [&](const char* name) {
    return first->findChild<QLabel*>(name)->text().toStdString();
  };
  EXPECT_EQ(text("Lbl_Version"), "Version: 1.0.0");
  EXPECT_EQ(text("Label2"), "The currently active databases are:\n\n" + dir.file("data.mdb") +
                                "\nand\n/no/such/support.mdb");
  EXPECT_EQ(first->pos(), QPoint(136, 56));
  first->move(30, 60);
  first->close();
  QApplication::processEvents();
  EXPECT_EQ(stored("frmAbout"), "450,900,7155,4890");

  writeFile(dir.file("TELVARN"), "program");
  frmAbout* second = frmAbout::showAbout(settings, paths);
  const std::string version = second->findChild<QLabel*>("Lbl_Version")->text().toStdString();
  EXPECT_NE(version.find("\nCreated: "), std::string::npos);
  EXPECT_NE(version.find("\nModified: "), std::string::npos);
  EXPECT_EQ(second->pos(), QPoint(30, 60));
  second->close();
}

}  // namespace
}  // namespace telvarn::test

int main(int argc, char** argv) {
  // The windows are tested without a display; listing the tests needs the
  // application too.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
