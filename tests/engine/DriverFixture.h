#pragma once

// Modification runs over real wav files in a private folder, as the main
// window's file mode makes them.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "engine/RunGeometry.h"
#include "engine/RunObserver.h"
#include "engine/VoiceModifier.h"
#include "params/VoiceParameters.h"
#include "support/Signals.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo::test {

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.Root().empty()) << "no temporary folder"; }

  // A mono 16-bit file of the samples.
  std::string WriteMono(const std::string& name, const std::vector<int16_t>& samples, int fs) {
    return dir.Write(name, MakeWav(kWavPcm, 1, static_cast<uint32_t>(fs), 16, samples));
  }

  // The run's settings start as the record's defaults: pitch, duration and
  // formant factors 1, every effect off, a flat equaliser.
  RunStatus Run(const std::string& input, const std::string& output, RunObserver* observer = nullptr,
                uint32_t seed = 1) {
    record.workingFolder.clear();
    record.inputFileName = input;
    record.outputFileName = output;
    record.realTimeMode = 0;
    record.meterDisplay = 0;
    modifier = std::make_unique<VoiceModifier>(record, keepRunning, observer, seed);
    // A source or rate that fails ends the run at once: Process says why.
    static_cast<void>(modifier->Start(record));
    return modifier->Process();
  }

  // A voice as a recording starts: a quarter second of silence (which
  // settles the pitch tracker's energy gate), then the vowel.
  static std::vector<int16_t> WithLeadIn(const std::vector<int16_t>& voice, int fs) {
    std::vector<int16_t> samples(static_cast<size_t>(fs / 4), 0);
    samples.insert(samples.end(), voice.begin(), voice.end());
    return samples;
  }

  TempDir dir;
  VoiceParameters record;
  std::atomic<bool> keepRunning{true};
  std::unique_ptr<VoiceModifier> modifier;
};

}  // namespace plimo::test
