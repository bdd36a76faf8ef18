// Widget tests need an application object; without a display they run on the offscreen
// platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>

#include "TestForm.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The saving process that the interrupted-save test kills.
  if (argc == 3 && std::strcmp(argv[1], "--save-loop") == 0) {
    velm::test::SaveLoop(QString::fromLocal8Bit(argv[2]));
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
