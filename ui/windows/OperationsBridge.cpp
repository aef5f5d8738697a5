#include "ui/windows/OperationsBridge.h"

#include <QMetaObject>
#include <QThread>
#include <cmath>

#include "messages/MessageTable.h"
#include "params/VoiceParameters.h"
#include "ui/controls/LevelMeter.h"
#include "ui/skin/SkinText.h"
#include "ui/windows/MainWindow.h"

namespace plimo {

namespace {
constexpr int kPollMs = 33;       // about the pace of the screen
constexpr uint32_t kRunSeed = 1;  // each run draws the same noise
constexpr double kPercent = 100.0;
}  // namespace

OperationsBridge::OperationsBridge(VoiceParameters& record) : record(record), operations(*this, *this) {
  poll.setInterval(kPollMs);
  QObject::connect(&poll, &QTimer::timeout, [this] { ShowStoredValues(); });
}

void OperationsBridge::Attach(MainWindow* newWindow) { window = newWindow; }

// A start refused because another operation runs does nothing, as the
// main window expects of every start. The devices are the record's, handed
// over while no operation runs: a worker reads its device's name only once
// it has been started.
void OperationsBridge::StartRecording(const std::string& path, int32_t samplingRate) {
  if (!operations.flags.Any()) operations.input.SetDeviceName(record.inputDevice);
  static_cast<void>(operations.StartRecording(path, samplingRate));
}

void OperationsBridge::StartPlay(int operation, const std::string& path) {
  if (!operations.flags.Any()) operations.output.SetDeviceName(record.outputDevice);
  static_cast<void>(operations.StartPlay(path, operation));
}

void OperationsBridge::PrepareModification() { operations.activeOperation.store(kOperationModification); }

void OperationsBridge::StartModification() {
  static_cast<void>(operations.StartModification(record, kRunSeed));
}

void OperationsBridge::StopAllOperations() { operations.StopAllOperations(); }

template <typename Call>
void OperationsBridge::Queue(Call call) {
  // The window is the context: a call still queued when it is gone is dropped.
  if (window == nullptr) return;
  QMetaObject::invokeMethod(window.data(), std::move(call), Qt::QueuedConnection);
}

void OperationsBridge::OperationStarted(int32_t operation, OperationReports reports) {
  // A run has no level before its first block, and its progress starts from
  // nothing, not where the last run ended.
  hasLevel.store(false);
  progress.store(0.0);
  delay.Clear();
  Queue([this, operation, reports] {
    meterShown = reports.level;
    progressShown = reports.progress;
    delayShown = reports.delay;
    window->OperationStarted(operation, reports);
    UpdatePolling();
  });
}

void OperationsBridge::SetLevel(double newLevel) {
  level.store(newLevel);
  hasLevel.store(true);
}

// The text is made again from the fraction on the user-interface thread,
// in the engine's own form, so the worker hands over a number only.
void OperationsBridge::SetProgress(double fraction, const char*) { progress.store(fraction); }

void OperationsBridge::OperationEnded(int32_t operation, OperationResult) {
  Queue([this, operation] {
    meterShown = false;
    progressShown = false;
    delayShown = false;
    window->OperationEnded(operation);
    UpdatePolling();
  });
}

int OperationsBridge::ShowMessage(const MessagePair& message, int type) {
  if (window == nullptr) return kMessageAnswerNotOk;
  if (QThread::currentThread() == window->thread()) return window->Messages().ShowMessage(message, type);
  Queue([this, message, type] { window->Messages().ShowMessage(message, type); });
  return kMessageAnswerOk;
}

void OperationsBridge::UpdatePolling() {
  if (meterShown || progressShown || delayShown) {
    ShowStoredValues();
    poll.start();
  } else {
    poll.stop();
  }
}

void OperationsBridge::ShowStoredValues() {
  if (window == nullptr) return;
  if (meterShown) {
    const int scale = window->Meter().Scale();
    // Recording and playback give the signed sample; the meter shows how
    // loud it is either way.
    window->SetMeterLevel(hasLevel.load() ? static_cast<int>(scale * std::fabs(level.load()))
                                          : LevelMeter::kNoLevel);
  }
  if (progressShown) {
    const double fraction = progress.load();
    window->ShowProgress(fraction,
                         LocalText(kTextProgress) + QString::asprintf("%3.1f", fraction * kPercent));
  }
  LiveDelay current;
  if (delayShown && delay.Load(&current)) window->ShowDelay(current.totalMs);
}

}  // namespace plimo
