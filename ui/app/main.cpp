// Plimo: the windowed voice changer.

#include <QApplication>

#include "audio/MixerControls.h"
#include "params/VoiceParameters.h"
#include "ui/controls/QtFileChooser.h"
#include "ui/help/HelpBook.h"
#include "ui/skin/Skin.h"
#include "ui/windows/MainWindow.h"
#include "ui/windows/OperationsBridge.h"

int main(int argc, char** argv) {
  // The tool windows follow the main window, and Wayland lets no program
  // move its own windows; under X11 (or XWayland) they can be moved.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "xcb");
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Plimo"));
  QApplication::setDesktopFileName(QStringLiteral("plimo"));
  QApplication::setWindowIcon(plimo::skin::ApplicationIcon());

  // The process-wide objects first: the settings, the operations with their
  // microphone, speaker and busy flags, and the sound card's two gains.
  plimo::VoiceParameters record;
  plimo::OperationsBridge operations(record);
  plimo::MixerControls mixer;
  plimo::QtFileChooser chooser;
  plimo::HelpBook help(plimo::HelpBook::FoldersBesideProgram());

  plimo::MainWindow window(record, operations, mixer.speaker.get(), mixer.microphone.get(), chooser, help);
  operations.Attach(&window);
  window.exec();
  // Closing stopped every operation; their workers end before the window
  // they report to.
  operations.Running().WaitForWorkers();
  return 0;
}
