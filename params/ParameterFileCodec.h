#pragma once

#include <array>
#include <cstdint>

namespace plimo {

class VoiceParameters;

// A parameter file (.prm): no header, 19 little-endian 32-bit fields, the
// band count n, n band frequencies (Hz) and n band gains (dB). The program
// always writes ten bands, 160 bytes.
inline constexpr int32_t kParameterFileBandCount = 10;
inline constexpr uint64_t kParameterFileFieldBytes = 80;  // up to the bands
inline constexpr uint64_t kParameterFileBytes =
    kParameterFileFieldBytes + 8 * static_cast<uint64_t>(kParameterFileBandCount);

// Outcomes of reading and writing; negative values are failures.
enum class ParameterFileStatus : int {
  kParameterFileOk = 1,
  kParameterFileNotWritten = 0,  // no file name: nothing to do
  kParameterFileCannotOpen = -1,
  kParameterFileCannotRead = -2,
  kParameterFileTooShort = -3,
  kParameterFileBadBandCount = -4,
  kParameterFileNotFinite = -5,
  kParameterFileBadSamplingRate = -6,
  kParameterFileBadSwitch = -7,
  kParameterFileBadSpeakerKind = -8,
  kParameterFileFactorOutOfRange = -9,
  kParameterFileRobotPitchOutOfRange = -10,
  kParameterFileCannotCreate = -11,
  kParameterFileWriteFailed = -12,
  kParameterFileGainOutOfRange = -13,
};

// The reason for a status in words, for plimo-cli.
const char* ParameterFileStatusText(ParameterFileStatus status);

// The part of VoiceParameters a parameter file holds, in file order.
struct StoredParameters {
  int32_t samplingRate;  // Hz
  int32_t meterDisplay;
  int32_t realTimeMode;
  int32_t robotVoiceOn;
  int32_t reserved0;
  float pitchFactor;
  float pitchOffsetHz;  // Hz
  float durationFactor;
  float vocalTractFactor;
  float reserved1;
  float reserved2;
  float robotPitchHz;  // Hz
  int32_t speakerKind;
  int32_t reverbOn;
  float reverbLevel;
  int32_t whisperOn;
  float whisperLevel;
  int32_t chorusOn;
  float chorusLevel;
  std::array<float, kParameterFileBandCount> bandFrequencies;  // Hz
  std::array<float, kParameterFileBandCount> bandGains;        // dB
};

StoredParameters StoredParametersOf(const VoiceParameters& record);
void ApplyStoredParameters(const StoredParameters& stored, VoiceParameters& record);

std::array<uint8_t, kParameterFileBytes> EncodeParameterFile(const StoredParameters& stored);

// Checks and decodes a file's bytes, trusting nothing: the file must hold
// its fields, exactly ten bands, finite values, one of the supported rates,
// switches of 0 or 1, a speaker kind 1 .. 3, pitch, duration and vocal
// tract factors within 0.1 .. 10 and a robot pitch within 10 .. 1000 Hz.
// Bytes after the bands are ignored. Values
// beyond the sliders' ranges are taken as they are. *stored is written only
// on success.
[[nodiscard]] ParameterFileStatus DecodeParameterFile(const uint8_t* bytes, uint64_t size,
                                                      StoredParameters* stored);

}  // namespace plimo
