#pragma once

// Controls and a message sink that only write down what the operations
// report and tell, for tests.

#include <mutex>
#include <string>
#include <vector>

#include "messages/MessageSink.h"
#include "ops/OperationControls.h"

namespace plimo::test {

class RecordingControls : public OperationControls {
 public:
  void OperationStarted(int32_t operation, OperationReports reports) override {
    Note(Name(operation) + " started" + (reports.level ? " with level" : "") +
         (reports.progress ? " with progress" : ""));
  }
  void SetLevel(double) override {
    std::lock_guard<std::mutex> lock(mutex);
    ++levels;
  }
  void SetProgress(double, const char*) override {
    std::lock_guard<std::mutex> lock(mutex);
    ++progressUpdates;
  }
  void OperationEnded(int32_t operation, OperationResult result) override {
    Note(Name(operation) + (result == OperationResult::kFailed ? " failed" : " done"));
  }

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
  static std::string Name(int32_t operation) {
    switch (operation) {
      case kOperationRecording: return "recording";
      case kOperationPlayInput: return "playing the input";
      case kOperationPlayOutput: return "playing the output";
      case kOperationModification: return "modification";
      default: return "operation " + std::to_string(operation);
    }
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
