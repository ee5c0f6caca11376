// The window and dialog tests need one QApplication; without a display they
// draw on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/window/Application.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // ctest names a folder that holds a German locale (decimal comma): the
  // window is tested under it, as a user's desktop may set it.
  if (!qEnvironmentVariableIsEmpty("ORELITH_TEST_LOCPATH")) {
    qputenv("LOCPATH", qgetenv("ORELITH_TEST_LOCPATH"));
    qputenv("LC_ALL", "de_DE.UTF-8");
  }
  QApplication app(argc, argv);
  orelith::gui::prepareApplication();
  return RUN_ALL_TESTS();
}
