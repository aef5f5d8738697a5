// Test programs with widgets: the application object lives for the whole
// run, on the offscreen platform unless one was chosen.

#include <gtest/gtest.h>

#include <QApplication>

#if defined(__SANITIZE_THREAD__)
// Qt and the PulseAudio client library are not built for ThreadSanitizer
// and hand data between their threads with futexes and atomics the checker
// cannot see, so every such hand-over (posted events, Qt's painting
// threads, the sound server connection) would look like a race. Races in
// the program's own code, with none of their frames between the two
// accesses, are still reported.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Core.so\n"
         "race:libQt6Gui.so\n"
         "race:libQt6Widgets.so\n"
         "race:libpulse.so\n"
         "race:libpulsecommon\n";
}
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
