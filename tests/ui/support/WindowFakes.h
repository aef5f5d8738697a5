#pragma once

#include <string>
#include <vector>

#include "audio/VolumeControl.h"
#include "ui/windows/OperationsPort.h"

namespace plimo::test {

// The operations seen from the main window: flags the test sets, and a
// note of every start and stop.
class FakeOperations : public OperationsPort {
 public:
  bool IsRecording() const override { return recording; }
  bool IsPlaying() const override { return playing; }
  bool IsModifying() const override { return modifying; }
  int ActiveOperation() const override { return active; }
  void StartRecording(const std::string& path, int32_t samplingRate) override {
    recordings.push_back(path);
    recordingRate = samplingRate;
    recording = true;
  }
  void StartPlay(int operation, const std::string& path) override {
    active = operation;
    plays.push_back(path);
  }
  void PrepareModification() override { active = kOperationModification; }
  void StartModification() override { ++modifications; }
  void StopAllOperations() override {
    ++stops;
    recording = playing = modifying = false;
  }

  bool recording = false;
  bool playing = false;
  bool modifying = false;
  int active = 0;
  std::vector<std::string> recordings;
  int32_t recordingRate = 0;
  std::vector<std::string> plays;
  int modifications = 0;
  int stops = 0;
};

// A sound card gain with a range and a level, noting every level set.
class FakeGain : public VolumeControl {
 public:
  FakeGain(int32_t minimum, int32_t maximum, int32_t level) : level(level) {
    this->minimum = minimum;
    this->maximum = maximum;
  }
  bool HasVolumeControl() const override { return true; }
  void Activate() override {}
  void Deactivate() override {}
  int32_t Minimum() const override { return minimum; }
  int32_t Maximum() const override { return maximum; }
  int32_t GetVolume() const override { return level; }
  void SetVolume(uint32_t value) override {
    if (value < static_cast<uint32_t>(minimum) || value > static_cast<uint32_t>(maximum)) return;
    level = static_cast<int32_t>(value);
    sets.push_back(level);
  }

  int32_t level;
  std::vector<int32_t> sets;
};

}  // namespace plimo::test
