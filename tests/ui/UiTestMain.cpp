#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <cstdlib>

#include "ui/WindowLanguage.h"

// The window tests draw nowhere: the offscreen platform, whatever the environment says. The
// window speaks English, as the program does under an English locale; a window that is given
// no settings file of its own keeps its settings in Qt's test folder, never in the user's.
int main(int argc, char* argv[]) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QStandardPaths::setTestModeEnabled(true);
  QApplication application(argc, argv);
  WindowLanguage english{QLocale(QLocale::English, QLocale::UnitedStates)};
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
