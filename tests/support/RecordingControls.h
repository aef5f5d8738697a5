#pragma once

// Controls and a message sink that only write down what the operations ask
// of them, for tests.

#include <mutex>
#include <string>
#include <vector>

#include "ops/OperationControls.h"
#include "messages/MessageSink.h"

namespace plimo::test {

class RecordingControls : public OperationControls {
 public:
  void ShowLevelMeter(bool shown) override { Note(shown ? "meter shown" : "meter hidden"); }
  void ClearLevel() override { Note("level cleared"); }
  void SetLevel(double) override {
    std::lock_guard<std::mutex> lock(mutex);
    ++levels;
  }
  void ShowProgress(bool shown) override { Note(shown ? "progress shown" : "progress hidden"); }
  void SetProgress(double, const char*) override {
    std::lock_guard<std::mutex> lock(mutex);
    ++progressUpdates;
  }
  void ArrangeForPlayback(int which) override { Note("arranged for playback " + std::to_string(which)); }
  void RestoreAfterPlayback() override { Note("restored after playback"); }
  void ArrangeForModification() override { Note("arranged for modification"); }
  void RestoreAfterModification() override { Note("restored after modification"); }

  std::vector<std::string> Calls() {
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
  }
  int Levels() {
    std::lock_guard<std::mutex> lock(mutex);
    return levels;
  }
  int ProgressUpdates() {
    std::lock_guard<std::mutex> lock(mutex);
    return progressUpdates;
  }

 private:
  void Note(const std::string& call) {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back(call);
  }
  std::mutex mutex;
  std::vector<std::string> calls;
  int levels = 0;
  int progressUpdates = 0;
};

class RecordingMessages : public MessageSink {
 public:
  int ShowMessage(const MessagePair& message, int) override {
    std::lock_guard<std::mutex> lock(mutex);
    shown.push_back(message.english);
    return kMessageAnswerOk;
  }
  std::vector<std::string> Shown() {
    std::lock_guard<std::mutex> lock(mutex);
    return shown;
  }

 private:
  std::mutex mutex;
  std::vector<std::string> shown;
};

}  // namespace plimo::test
