#pragma once

#include <map>
#include <string>

#include "params/SettingsControls.h"

namespace plimo::test {

// Settings controls as plain values; a slider never set stands at 0.
class FakeSettingsControls : public SettingsControls {
 public:
  float SliderValue(int sliderId) const override {
    const auto found = sliders.find(sliderId);
    return found == sliders.end() ? 0.0f : found->second;
  }
  bool IsChecked(int checkBoxId) const override {
    const auto found = checks.find(checkBoxId);
    return found != checks.end() && found->second;
  }
  std::string SelectedSamplingRateText() const override { return samplingRateText; }
  bool IsOperationRunning() const override { return operationRunning; }

  std::map<int, float> sliders;
  std::map<int, bool> checks;
  std::string samplingRateText;
  bool operationRunning = false;
};

}  // namespace plimo::test
