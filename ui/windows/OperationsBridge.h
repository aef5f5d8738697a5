#pragma once

#include <QPointer>
#include <QTimer>
#include <atomic>

#include "messages/MessageSink.h"
#include "ops/LatestDelay.h"
#include "ops/OperationControls.h"
#include "ops/Operations.h"
#include "ui/windows/OperationsPort.h"

namespace plimo {

class MainWindow;
class VoiceParameters;

// Joins the operations to the main window. The window starts and stops
// them through the OperationsPort side; the workers report to the window
// through the OperationControls side and tell the user of failures through
// the MessageSink side. Workers never touch a widget: every start, end
// and message is queued to the user-interface thread in the order given,
// and the level, progress and live delay, which change with every block,
// are only stored (no lock, no allocation on the worker) and shown by the
// user-interface thread at the pace of the screen while they are visible.
class OperationsBridge : public OperationsPort, public OperationControls, public MessageSink {
 public:
  explicit OperationsBridge(VoiceParameters& record);

  // The window the workers show their state in; before it is attached
  // their calls change nothing. Stop the operations and wait for their
  // workers before the window goes.
  void Attach(MainWindow* window);

  Operations& Running() { return operations; }

  // OperationsPort.
  bool IsRecording() const override { return operations.flags.isRecording.load(); }
  bool IsPlaying() const override { return operations.flags.isPlaying.load(); }
  bool IsModifying() const override { return operations.flags.isModifying.load(); }
  int ActiveOperation() const override { return operations.activeOperation.load(); }
  void StartRecording(const std::string& path, int32_t samplingRate) override;
  void StartPlay(int operation, const std::string& path) override;
  void PrepareModification() override;
  void StartModification() override;
  void StopAllOperations() override;

  // OperationControls, called by the workers.
  void OperationStarted(int32_t operation, OperationReports reports) override;
  void SetLevel(double level) override;
  void SetProgress(double fraction, const char* text) override;
  void SetDelay(const LiveDelay& reported) override { delay.Store(reported); }
  void OperationEnded(int32_t operation, OperationResult result) override;

  // MessageSink: from a worker the box is queued and the worker goes on
  // (the answer is OK); on the user-interface thread it is shown at once.
  int ShowMessage(const MessagePair& message, int type) override;

 private:
  template <typename Call>
  void Queue(Call call);
  void ShowStoredValues();
  void UpdatePolling();

  VoiceParameters& record;
  QPointer<MainWindow> window;
  QTimer poll;
  bool meterShown = false;
  bool progressShown = false;
  bool delayShown = false;
  std::atomic<bool> hasLevel{false};
  std::atomic<double> level{0.0};
  std::atomic<double> progress{0.0};
  LatestDelay delay;
  Operations operations;
};

}  // namespace plimo
