#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>

#include "messages/RecordingMessageSink.h"
#include "params/ParameterFile.h"
#include "params/Presets.h"
#include "params/SamplingRates.h"
#include "params/VoiceParameters.h"
#include "support/TempFiles.h"

namespace plimo {
namespace {

using test::RecordingMessageSink;
using test::TempDir;

class ManButtons : public SpeakerKindButtons {
 public:
  bool IsWomanSelected() const override { return false; }
  bool IsChildSelected() const override { return false; }
};

// The user-interface thread loads files, applies presets and reverts to
// the defaults while the processing thread takes the equaliser's bands and
// reads the settings it needs for every frame, as during a real-time run.
// Every value the processing thread sees must be one a writer stored.
TEST(VoiceParametersThreads, FramesReadConsistentSettingsWhileTheUserChangesThem) {
  TempDir dir;
  ASSERT_FALSE(dir.Root().empty());
  RecordingMessageSink messages;
  const std::string loudFile = dir.Path("loud.prm");
  {
    VoiceParameters loud;
    const float frequencies[10] = {100, 200, 300, 600, 1000, 3000, 5000, 8000, 12000, 17000};
    const float gains[10] = {20, -20, 20, -20, 20, -20, 20, -20, 20, -20};
    loud.equaliser.SetBands(10, frequencies, gains);
    loud.samplingRate = 48000;
    loud.pitchFactor = 3.0f;
    loud.settingsFileName = loudFile;
    ASSERT_EQ(WriteParameterFile(loud, messages), ParameterFileStatus::kParameterFileOk);
  }

  VoiceParameters record;
  std::atomic<bool> userDone{false};
  constexpr int kUserRounds = 20000;
  constexpr auto kTimeLimit = std::chrono::seconds(1);

  std::thread processing([&] {
    Equaliser::Snapshot bands;
    int frames = 0;
    bool allGood = true;
    while (!userDone.load(std::memory_order_acquire) || frames < 10) {
      const int32_t rate = record.samplingRate;
      const float pitch = record.pitchFactor;
      const float vocalTract = record.vocalTractFactor;
      const int32_t robotOn = record.robotVoiceOn;
      allGood = allGood && IsSupportedSamplingRate(rate) && pitch >= 0.5f && pitch <= 3.0f &&
                vocalTract >= 0.5f && vocalTract <= 2.0f && (robotOn == 0 || robotOn == 1);
      record.equaliser.TakeSnapshot(bands);
      allGood = allGood && bands.count == Equaliser::kDefaultBandCount;
      for (int k = 0; k < bands.count; ++k) {
        // Every writer stores the default frequencies and gains of -20 .. +20 dB.
        allGood = allGood && bands.frequencies[k] == Equaliser::kDefaultFrequencies[k] &&
                  bands.gains[k] >= -20.0f && bands.gains[k] <= 20.0f;
      }
      ++frames;
    }
    EXPECT_TRUE(allGood);
  });

  const ManButtons man;
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < kUserRounds && std::chrono::steady_clock::now() - start < kTimeLimit; ++round) {
    if (ReadParameterFile(loudFile, record, messages) != ParameterFileStatus::kParameterFileOk) break;
    if (ApplyPreset(record, round % kPresetCount, man, nullptr) != 1) break;
    record.equaliser.SetGain(round % 10, (round % 2 == 0) ? 20.0f : -20.0f);
    record.ResetToDefaults();
  }
  userDone.store(true, std::memory_order_release);
  processing.join();
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace plimo
