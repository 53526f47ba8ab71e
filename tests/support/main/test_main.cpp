// Test entry: a Qt application object (widgets for window tests) and GoogleTest.
#include <gtest/gtest.h>

#ifdef TCM_GUI_TEST
#include <QApplication>
using TestApp = QApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  TestApp app(argc, argv);
  return RUN_ALL_TESTS();
}
