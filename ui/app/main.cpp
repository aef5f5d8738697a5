// Plimo: the windowed voice changer.

#include <QApplication>
#include <QMetaObject>
#include <vector>

#include "audio/MixerControls.h"
#include "messages/MessageTable.h"
#include "params/VoiceParameters.h"
#include "ops/ServerSession.h"
#include "platform/ServerWatcher.h"
#include "ui/app/SignalEnd.h"
#include "ui/controls/QtFileChooser.h"
#include "ui/help/HelpBook.h"
#include "ui/skin/Skin.h"
#include "ui/windows/MainWindow.h"
#include "ui/windows/OperationsBridge.h"

namespace {

// Hands what the server session finds to the main window, queued onto the
// window's thread.
class WindowOfServer : public plimo::ServerSessionListener {
 public:
  explicit WindowOfServer(plimo::MainWindow& window) : window(window) {}

  void DevicesListed(const std::vector<plimo::SoundDevice>& devices, bool) override {
    QMetaObject::invokeMethod(
        &window, [this, devices] { window.SetSoundDevices(devices); }, Qt::QueuedConnection);
  }
  void MicrophoneAvailable(bool available) override {
    QMetaObject::invokeMethod(
        &window, [this, available] { window.SetVirtualMicrophoneAvailable(available); }, Qt::QueuedConnection);
  }
  void ServerGone() override {
    QMetaObject::invokeMethod(&window, [this] { window.SoundServerGone(); }, Qt::QueuedConnection);
  }

 private:
  plimo::MainWindow& window;
};

}  // namespace

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

  // The sound server is looked after beside the window, whose thread a
  // server slow to answer must not hold up; what it finds reaches the
  // window on the window's thread.
  WindowOfServer told(window);
  plimo::ServerSession session("Plimo",
                               plimo::MicrophoneTexts{plimo::ChooseText(plimo::kTextVoiceSink),
                                                      plimo::ChooseText(plimo::kTextVirtualMicrophone)},
                               told);
  session.Start();
  // Ctrl-C, or a desktop that ends the session, closes as the window does.
  plimo::EndOnSignals([&window] { window.close(); });
  window.exec();
  session.Stop();
  // Closing stopped every operation; their workers end before the window
  // they report to.
  operations.Running().WaitForWorkers();
  return 0;
}
