#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// The window tests draw nowhere: the offscreen platform, whatever the environment says.
int main(int argc, char* argv[]) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
