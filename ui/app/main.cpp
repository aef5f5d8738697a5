// Plimo: the windowed voice changer.

#include <QApplication>
#include <QMetaObject>
#include <thread>

#include "audio/MixerControls.h"
#include "messages/MessageTable.h"
#include "params/VoiceParameters.h"
#include "platform/ServerWatcher.h"
#include "platform/VirtualMicrophone.h"
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
  // Before Qt starts any thread: the watcher is a copy of this process,
  // which removes the virtual microphone however the program ends. Without
  // it, the next start's sweep does.
  static_cast<void>(plimo::StartServerWatcher());
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

  // The virtual microphone is made beside the window, whose thread a
  // server slow to answer must not hold up; the box to send to it opens
  // once it exists.
  plimo::ServerClient server;
  plimo::VirtualMicrophone microphone(server);
  std::thread making([&] {
    if (server.Connect("Plimo", plimo::kServerRequestLimit) != plimo::ServerResult::kServerOk) return;
    const plimo::MicrophoneTexts texts{plimo::ChooseText(plimo::kTextVoiceSink),
                                       plimo::ChooseText(plimo::kTextVirtualMicrophone)};
    if (microphone.Create(texts) != plimo::ServerResult::kServerOk) return;
    QMetaObject::invokeMethod(
        &window, [&window] { window.SetVirtualMicrophoneAvailable(true); }, Qt::QueuedConnection);
  });
  window.exec();
  server.Interrupt();
  making.join();
  // The microphone's removal, as it goes, waits its usual time.
  server.Resume();
  // Closing stopped every operation; their workers end before the window
  // they report to.
  operations.Running().WaitForWorkers();
  return 0;
}
