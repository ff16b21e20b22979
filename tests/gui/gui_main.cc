// GoogleTest's main with a QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// For the leak check of the sanitizer build: Qt's own worker threads can
// still hold an allocation when the process ends (seen now and then, 152
// bytes allocated inside QtCore, whose stack cannot be followed further).
// Only this test program carries the suppression; the core tests are
// checked in full.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6Core.so\n";
}

int main(int argc, char** argv) {
#ifdef TCE_TEST_SCREEN
  // A program whose tests are about fitting a screen brings its own.
  setenv("QT_QPA_PLATFORM", "offscreen:configfile=" TCE_TEST_SCREEN, 1);
#else
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
