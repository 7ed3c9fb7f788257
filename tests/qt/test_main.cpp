// The Qt tests' main: one application for every test, on the offscreen platform unless the
// caller chose another (a real display shows the windows).
#include <gtest/gtest.h>

#include "program_style.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  qtfront::ProgramApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
