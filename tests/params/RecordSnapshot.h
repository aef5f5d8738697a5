#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "params/VoiceParameters.h"

namespace plimo::test {

// Every value a record holds, as bit patterns, so that "nothing changed"
// is checked bit for bit (a NaN or -0.0 slipping in would show).
struct RecordSnapshot {
  explicit RecordSnapshot(const VoiceParameters& r)
      : strings{r.workingFolder, r.inputFileName, r.outputFileName, r.settingsFileName} {
    for (int32_t value :
         {int32_t(r.samplingRate), int32_t(r.meterDisplay), int32_t(r.realTimeMode), int32_t(r.robotVoiceOn),
          int32_t(r.reserved0), int32_t(r.reverbOn), int32_t(r.whisperOn), int32_t(r.chorusOn),
          int32_t(r.compressorOn), int32_t(r.expanderOn), int32_t(r.limiterOn), int32_t(r.gaterOn),
          int32_t(r.speakerKind), int32_t(r.presetIndex)}) {
      bits.push_back(static_cast<uint32_t>(value));
    }
    for (float value :
         {float(r.reverbLevel), float(r.whisperLevel), float(r.chorusLevel), float(r.compressionThreshold),
          float(r.expansionThreshold), float(r.limitingThreshold), float(r.gatingThreshold),
          float(r.pitchFactor), float(r.pitchOffsetHz), float(r.durationFactor), float(r.vocalTractFactor),
          float(r.reserved1), float(r.reserved2), float(r.robotPitchHz)}) {
      bits.push_back(std::bit_cast<uint32_t>(value));
    }
    bits.push_back(static_cast<uint32_t>(r.equaliser.BandCount()));
    for (int k = 0; k < r.equaliser.BandCount(); ++k) {
      bits.push_back(std::bit_cast<uint32_t>(r.equaliser.Frequency(k)));
      bits.push_back(std::bit_cast<uint32_t>(r.equaliser.Gain(k)));
    }
  }

  bool operator==(const RecordSnapshot&) const = default;

  std::vector<std::string> strings;
  std::vector<uint32_t> bits;
};

}  // namespace plimo::test
