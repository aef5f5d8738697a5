#include "params/ParameterFileCodec.h"

#include <bit>
#include <cmath>

#include "params/SamplingRates.h"
#include "params/VoiceParameters.h"

namespace plimo {

namespace {

constexpr uint64_t kFieldBytes = 4;
constexpr uint64_t kBandCountOffset = 76;  // bytes

// A file's factors beyond these are no setting anyone made: the engine
// would stretch a frame by more than ten or to less than a tenth.
constexpr float kLowestFactor = 0.1f;
constexpr float kHighestFactor = 10.0f;
constexpr float kLowestRobotPitchHz = 10.0f;     // Hz
constexpr float kHighestRobotPitchHz = 1000.0f;  // Hz
// The program writes band gains of -20 to +20 dB. Far beyond that the
// equaliser's linear gain overflows to infinity and the voice turns to noise.
constexpr float kLargestBandGainDb = 100.0f;

// Fields are assembled byte by byte so the layout is little-endian on any
// host.
class ByteWriter {
 public:
  explicit ByteWriter(uint8_t* destination) : out(destination) {}

  void Int(int32_t value) { Word(static_cast<uint32_t>(value)); }
  void Float(float value) { Word(std::bit_cast<uint32_t>(value)); }

 private:
  void Word(uint32_t word) {
    for (uint64_t k = 0; k < kFieldBytes; ++k) *out++ = static_cast<uint8_t>(word >> (8 * k));
  }

  uint8_t* out;
};

class ByteReader {
 public:
  explicit ByteReader(const uint8_t* source) : in(source) {}

  int32_t Int() { return static_cast<int32_t>(Word()); }
  float Float() { return std::bit_cast<float>(Word()); }

 private:
  uint32_t Word() {
    uint32_t word = 0;
    for (uint64_t k = 0; k < kFieldBytes; ++k) word |= static_cast<uint32_t>(*in++) << (8 * k);
    return word;
  }

  const uint8_t* in;
};

bool IsSwitch(int32_t value) { return value == 0 || value == 1; }

bool IsFactor(float value) { return value >= kLowestFactor && value <= kHighestFactor; }

ParameterFileStatus Validate(const StoredParameters& s) {
  const float scalars[] = {s.pitchFactor,  s.pitchOffsetHz, s.durationFactor, s.vocalTractFactor,
                           s.reserved1,    s.reserved2,     s.robotPitchHz,   s.reverbLevel,
                           s.whisperLevel, s.chorusLevel};
  for (float value : scalars) {
    if (!std::isfinite(value)) return ParameterFileStatus::kParameterFileNotFinite;
  }
  for (int32_t k = 0; k < kParameterFileBandCount; ++k) {
    if (!std::isfinite(s.bandFrequencies[k]) || !std::isfinite(s.bandGains[k])) {
      return ParameterFileStatus::kParameterFileNotFinite;
    }
  }
  for (int32_t k = 0; k < kParameterFileBandCount; ++k) {
    if (std::fabs(s.bandGains[k]) > kLargestBandGainDb)
      return ParameterFileStatus::kParameterFileGainOutOfRange;
  }
  if (!IsSupportedSamplingRate(s.samplingRate)) return ParameterFileStatus::kParameterFileBadSamplingRate;
  const int32_t switches[] = {s.meterDisplay, s.realTimeMode, s.robotVoiceOn,
                              s.reverbOn,     s.whisperOn,    s.chorusOn};
  for (int32_t value : switches) {
    if (!IsSwitch(value)) return ParameterFileStatus::kParameterFileBadSwitch;
  }
  if (s.speakerKind < kSpeakerMan || s.speakerKind > kSpeakerChild) {
    return ParameterFileStatus::kParameterFileBadSpeakerKind;
  }
  if (!IsFactor(s.pitchFactor) || !IsFactor(s.durationFactor) || !IsFactor(s.vocalTractFactor)) {
    return ParameterFileStatus::kParameterFileFactorOutOfRange;
  }
  if (s.robotPitchHz < kLowestRobotPitchHz || s.robotPitchHz > kHighestRobotPitchHz) {
    return ParameterFileStatus::kParameterFileRobotPitchOutOfRange;
  }
  return ParameterFileStatus::kParameterFileOk;
}

}  // namespace

const char* ParameterFileStatusText(ParameterFileStatus status) {
  switch (status) {
    case ParameterFileStatus::kParameterFileOk: return "read or written";
    case ParameterFileStatus::kParameterFileNotWritten: return "no file name";
    case ParameterFileStatus::kParameterFileCannotOpen: return "the file cannot be opened";
    case ParameterFileStatus::kParameterFileCannotRead: return "the file cannot be read";
    case ParameterFileStatus::kParameterFileTooShort: return "the file is shorter than its fields and bands";
    case ParameterFileStatus::kParameterFileBadBandCount: return "the equaliser band count is not 10";
    case ParameterFileStatus::kParameterFileNotFinite: return "a value is not a finite number";
    case ParameterFileStatus::kParameterFileBadSamplingRate:
      return "the sampling rate is not a supported rate";
    case ParameterFileStatus::kParameterFileBadSwitch: return "a switch is neither 0 nor 1";
    case ParameterFileStatus::kParameterFileBadSpeakerKind: return "the speaker kind is not 1, 2 or 3";
    case ParameterFileStatus::kParameterFileFactorOutOfRange:
      return "a pitch, duration or vocal tract factor is outside 0.1 to 10";
    case ParameterFileStatus::kParameterFileRobotPitchOutOfRange:
      return "the robot pitch is outside 10 to 1000 Hz";
    case ParameterFileStatus::kParameterFileGainOutOfRange:
      return "an equaliser gain is outside -100 to +100 dB";
    case ParameterFileStatus::kParameterFileCannotCreate: return "the file cannot be created";
    case ParameterFileStatus::kParameterFileWriteFailed: return "writing the file failed";
    default: return "unknown status";
  }
}

StoredParameters StoredParametersOf(const VoiceParameters& record) {
  StoredParameters s{};
  s.samplingRate = record.samplingRate;
  s.meterDisplay = record.meterDisplay;
  s.realTimeMode = record.realTimeMode;
  s.robotVoiceOn = record.robotVoiceOn;
  s.reserved0 = record.reserved0;
  s.pitchFactor = record.pitchFactor;
  s.pitchOffsetHz = record.pitchOffsetHz;
  s.durationFactor = record.durationFactor;
  s.vocalTractFactor = record.vocalTractFactor;
  s.reserved1 = record.reserved1;
  s.reserved2 = record.reserved2;
  s.robotPitchHz = record.robotPitchHz;
  s.speakerKind = record.speakerKind;
  s.reverbOn = record.reverbOn;
  s.reverbLevel = record.reverbLevel;
  s.whisperOn = record.whisperOn;
  s.whisperLevel = record.whisperLevel;
  s.chorusOn = record.chorusOn;
  s.chorusLevel = record.chorusLevel;
  for (int32_t k = 0; k < kParameterFileBandCount; ++k) {
    s.bandFrequencies[k] = record.equaliser.Frequency(k);
    s.bandGains[k] = record.equaliser.Gain(k);
  }
  return s;
}

void ApplyStoredParameters(const StoredParameters& s, VoiceParameters& record) {
  record.samplingRate = s.samplingRate;
  record.meterDisplay = s.meterDisplay;
  record.realTimeMode = s.realTimeMode;
  record.robotVoiceOn = s.robotVoiceOn;
  record.reserved0 = s.reserved0;
  record.pitchFactor = s.pitchFactor;
  record.pitchOffsetHz = s.pitchOffsetHz;
  record.durationFactor = s.durationFactor;
  record.vocalTractFactor = s.vocalTractFactor;
  record.reserved1 = s.reserved1;
  record.reserved2 = s.reserved2;
  record.robotPitchHz = s.robotPitchHz;
  record.speakerKind = s.speakerKind;
  record.reverbOn = s.reverbOn;
  record.reverbLevel = s.reverbLevel;
  record.whisperOn = s.whisperOn;
  record.whisperLevel = s.whisperLevel;
  record.chorusOn = s.chorusOn;
  record.chorusLevel = s.chorusLevel;
  // One step, so a frame being built sees the old bands or the new ones.
  record.equaliser.SetBands(kParameterFileBandCount, s.bandFrequencies.data(), s.bandGains.data());
}

std::array<uint8_t, kParameterFileBytes> EncodeParameterFile(const StoredParameters& s) {
  std::array<uint8_t, kParameterFileBytes> bytes{};
  ByteWriter out(bytes.data());
  out.Int(s.samplingRate);
  out.Int(s.meterDisplay);
  out.Int(s.realTimeMode);
  out.Int(s.robotVoiceOn);
  out.Int(s.reserved0);
  out.Float(s.pitchFactor);
  out.Float(s.pitchOffsetHz);
  out.Float(s.durationFactor);
  out.Float(s.vocalTractFactor);
  out.Float(s.reserved1);
  out.Float(s.reserved2);
  out.Float(s.robotPitchHz);
  out.Int(s.speakerKind);
  out.Int(s.reverbOn);
  out.Float(s.reverbLevel);
  out.Int(s.whisperOn);
  out.Float(s.whisperLevel);
  out.Int(s.chorusOn);
  out.Float(s.chorusLevel);
  out.Int(kParameterFileBandCount);
  for (float frequency : s.bandFrequencies) out.Float(frequency);
  for (float gain : s.bandGains) out.Float(gain);
  return bytes;
}

ParameterFileStatus DecodeParameterFile(const uint8_t* bytes, uint64_t size, StoredParameters* stored) {
  if (size < kParameterFileFieldBytes) return ParameterFileStatus::kParameterFileTooShort;
  const int32_t bandCount = ByteReader(bytes + kBandCountOffset).Int();
  if (bandCount < 0) return ParameterFileStatus::kParameterFileBadBandCount;
  // 64 bits: a count near 2^29 must not wrap the size around to something
  // small.
  const uint64_t needed = kParameterFileFieldBytes + 2 * kFieldBytes * static_cast<uint64_t>(bandCount);
  if (size < needed) return ParameterFileStatus::kParameterFileTooShort;
  if (bandCount != kParameterFileBandCount) return ParameterFileStatus::kParameterFileBadBandCount;

  StoredParameters s{};
  ByteReader in(bytes);
  s.samplingRate = in.Int();
  s.meterDisplay = in.Int();
  s.realTimeMode = in.Int();
  s.robotVoiceOn = in.Int();
  s.reserved0 = in.Int();
  s.pitchFactor = in.Float();
  s.pitchOffsetHz = in.Float();
  s.durationFactor = in.Float();
  s.vocalTractFactor = in.Float();
  s.reserved1 = in.Float();
  s.reserved2 = in.Float();
  s.robotPitchHz = in.Float();
  s.speakerKind = in.Int();
  s.reverbOn = in.Int();
  s.reverbLevel = in.Float();
  s.whisperOn = in.Int();
  s.whisperLevel = in.Float();
  s.chorusOn = in.Int();
  s.chorusLevel = in.Float();
  in.Int();  // the band count, checked above
  for (float& frequency : s.bandFrequencies) frequency = in.Float();
  for (float& gain : s.bandGains) gain = in.Float();

  const ParameterFileStatus status = Validate(s);
  if (status == ParameterFileStatus::kParameterFileOk) *stored = s;
  return status;
}

}  // namespace plimo
