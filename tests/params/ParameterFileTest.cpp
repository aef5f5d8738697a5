#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "RecordSnapshot.h"
#include "messages/RecordingMessageSink.h"
#include "params/ParameterFile.h"
#include "params/VoiceParameters.h"
#include "support/TempFiles.h"

namespace plimo {
namespace {

using test::ReadBytes;
using test::RecordingMessageSink;
using test::RecordSnapshot;
using test::TempDir;

void PutInt(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
  const auto word = static_cast<uint32_t>(value);
  for (size_t k = 0; k < 4; ++k) bytes[offset + k] = static_cast<uint8_t>(word >> (8 * k));
}

void PutFloat(std::vector<uint8_t>& bytes, size_t offset, float value) {
  PutInt(bytes, offset, std::bit_cast<int32_t>(value));
}

int32_t GetInt(const std::vector<uint8_t>& bytes, size_t offset) {
  uint32_t word = 0;
  for (size_t k = 0; k < 4; ++k) word |= static_cast<uint32_t>(bytes[offset + k]) << (8 * k);
  return static_cast<int32_t>(word);
}

std::vector<uint8_t> DefaultFileBytes() {
  const VoiceParameters record;
  const auto bytes = EncodeParameterFile(StoredParametersOf(record));
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// Sets every stored field to a value other than its default, and every
// value unusual enough that a field written to the wrong place shows.
void SetEveryStoredField(VoiceParameters& r) {
  r.samplingRate = 44100;
  r.meterDisplay = 0;
  r.realTimeMode = 0;
  r.robotVoiceOn = 1;
  r.reserved0 = -123456;
  r.pitchFactor = 2.7182817f;
  r.pitchOffsetHz = -37.5f;
  r.durationFactor = 0.3333333f;
  r.vocalTractFactor = 1.4142135f;
  r.reserved1 = -0.0f;
  r.reserved2 = 1.0e-40f;  // subnormal
  r.robotPitchHz = 299.99f;
  r.speakerKind = 3;
  r.reverbOn = 1;
  r.reverbLevel = 0.77f;
  r.whisperOn = 1;
  r.whisperLevel = 0.55f;
  r.chorusOn = 1;
  r.chorusLevel = 0.95f;
  const float frequencies[10] = {90, 210, 333, 640, 1100, 2900, 5100, 7900, 12345, 16999};
  const float gains[10] = {-20, -13.5f, -1, 0.25f, 3, 7.125f, 11, 19.9f, 20, -0.5f};
  r.equaliser.SetBands(10, frequencies, gains);
}

TEST(ParameterFile, SaveThenLoadRestoresEveryStoredFieldBitForBit) {
  TempDir dir;
  ASSERT_FALSE(dir.Root().empty());
  RecordingMessageSink messages;
  VoiceParameters saved;
  SetEveryStoredField(saved);
  saved.settingsFileName = dir.Path("voice.prm");
  ASSERT_EQ(WriteParameterFile(saved, messages), ParameterFileStatus::kParameterFileOk);

  VoiceParameters loaded;
  // Settings a parameter file does not hold, made between save and load.
  loaded.compressorOn = 1;
  loaded.compressionThreshold = 0.1f;
  loaded.expanderOn = 1;
  loaded.expansionThreshold = 0.2f;
  loaded.limiterOn = 1;
  loaded.limitingThreshold = 0.3f;
  loaded.gaterOn = 1;
  loaded.gatingThreshold = 0.4f;
  loaded.presetIndex = 13;
  loaded.inputFileName = "talk.wav";
  ASSERT_EQ(ReadParameterFile(saved.settingsFileName, loaded, messages),
            ParameterFileStatus::kParameterFileOk);
  EXPECT_TRUE(messages.shown.empty());

  EXPECT_EQ(loaded.settingsFileName, saved.settingsFileName);
  EXPECT_EQ(std::bit_cast<uint32_t>(float(loaded.reserved1)), 0x80000000u) << "-0.0 kept";
  EXPECT_EQ(float(loaded.reserved2), 1.0e-40f);
  EXPECT_EQ(StoredParametersOf(loaded).bandGains, StoredParametersOf(saved).bandGains);
  const auto savedBytes = EncodeParameterFile(StoredParametersOf(saved));
  const auto loadedBytes = EncodeParameterFile(StoredParametersOf(loaded));
  EXPECT_EQ(savedBytes, loadedBytes);
  EXPECT_EQ(ReadBytes(saved.settingsFileName), std::vector<uint8_t>(savedBytes.begin(), savedBytes.end()));

  EXPECT_EQ(int32_t(loaded.compressorOn), 1);
  EXPECT_EQ(float(loaded.compressionThreshold), 0.1f);
  EXPECT_EQ(int32_t(loaded.expanderOn), 1);
  EXPECT_EQ(float(loaded.expansionThreshold), 0.2f);
  EXPECT_EQ(int32_t(loaded.limiterOn), 1);
  EXPECT_EQ(float(loaded.limitingThreshold), 0.3f);
  EXPECT_EQ(int32_t(loaded.gaterOn), 1);
  EXPECT_EQ(float(loaded.gatingThreshold), 0.4f);
  EXPECT_EQ(int32_t(loaded.presetIndex), 13);
  EXPECT_EQ(loaded.inputFileName, "talk.wav");
}

TEST(ParameterFile, TheDefaultFileIs160LittleEndianBytes) {
  TempDir dir;
  RecordingMessageSink messages;
  VoiceParameters record;
  record.settingsFileName = dir.Path("default.prm");
  ASSERT_EQ(WriteParameterFile(record, messages), ParameterFileStatus::kParameterFileOk);
  const std::vector<uint8_t> bytes = ReadBytes(record.settingsFileName);
  ASSERT_EQ(bytes.size(), 160u);
  EXPECT_EQ(bytes[0], 0x80);
  EXPECT_EQ(bytes[1], 0x3E);
  EXPECT_EQ(bytes[2], 0x00);
  EXPECT_EQ(bytes[3], 0x00);
  EXPECT_EQ(GetInt(bytes, 4), 1) << "meter display";
  EXPECT_EQ(GetInt(bytes, 20), 0x3F800000) << "pitch factor 1.0f";
  EXPECT_EQ(GetInt(bytes, 36), 0x42480000) << "reserved 50.0f";
  EXPECT_EQ(GetInt(bytes, 44), 0x42C80000) << "robot pitch 100.0f";
  EXPECT_EQ(GetInt(bytes, 48), 1) << "speaker kind";
  EXPECT_EQ(GetInt(bytes, 76), 10) << "band count";
  EXPECT_EQ(GetInt(bytes, 80), 0x42C80000) << "first band 100 Hz";
  EXPECT_EQ(GetInt(bytes, 116), 0x4684D000) << "last band 17000 Hz";
  EXPECT_EQ(GetInt(bytes, 120), 0) << "first gain 0 dB";
}

// A valid file with one defect.
struct BadFile {
  const char* defect;
  std::vector<uint8_t> bytes;
};

std::vector<BadFile> BadFiles() {
  const std::vector<uint8_t> valid = DefaultFileBytes();
  std::vector<BadFile> files;
  auto with = [&](const char* defect, auto change) {
    std::vector<uint8_t> bytes = valid;
    change(bytes);
    files.push_back({defect, bytes});
  };
  files.push_back({"empty", {}});
  files.push_back({"fields cut short", std::vector<uint8_t>(valid.begin(), valid.begin() + 79)});
  files.push_back({"no bands", std::vector<uint8_t>(valid.begin(), valid.begin() + 80)});
  files.push_back({"last gain cut", std::vector<uint8_t>(valid.begin(), valid.end() - 1)});
  with("nine bands", [](auto& b) { PutInt(b, 76, 9); });
  with("eleven bands", [](auto& b) { PutInt(b, 76, 11); });
  with("negative band count", [](auto& b) { PutInt(b, 76, -1); });
  with("band count wrapping 32 bits", [](auto& b) { PutInt(b, 76, 0x20000000); });
  with("band count at its largest", [](auto& b) { PutInt(b, 76, INT32_MAX); });
  with("NaN pitch", [](auto& b) { PutFloat(b, 20, std::numeric_limits<float>::quiet_NaN()); });
  with("infinite offset", [](auto& b) { PutFloat(b, 24, std::numeric_limits<float>::infinity()); });
  with("NaN reserved", [](auto& b) { PutFloat(b, 40, std::numeric_limits<float>::quiet_NaN()); });
  with("infinite chorus level", [](auto& b) { PutFloat(b, 72, -std::numeric_limits<float>::infinity()); });
  with("NaN band frequency", [](auto& b) { PutFloat(b, 84, std::numeric_limits<float>::quiet_NaN()); });
  with("infinite band gain", [](auto& b) { PutFloat(b, 156, std::numeric_limits<float>::infinity()); });
  with("band gain of 1000 dB", [](auto& b) { PutFloat(b, 124, 1000.0f); });
  with("band gain of -150 dB", [](auto& b) { PutFloat(b, 156, -150.0f); });
  with("rate 12345", [](auto& b) { PutInt(b, 0, 12345); });
  with("rate 0", [](auto& b) { PutInt(b, 0, 0); });
  with("meter display 2", [](auto& b) { PutInt(b, 4, 2); });
  with("real-time mode -1", [](auto& b) { PutInt(b, 8, -1); });
  with("robot switch 256", [](auto& b) { PutInt(b, 12, 256); });
  with("reverb switch 7", [](auto& b) { PutInt(b, 52, 7); });
  with("whisper switch 2", [](auto& b) { PutInt(b, 60, 2); });
  with("chorus switch -1", [](auto& b) { PutInt(b, 68, -1); });
  with("speaker kind 0", [](auto& b) { PutInt(b, 48, 0); });
  with("speaker kind 4", [](auto& b) { PutInt(b, 48, 4); });
  with("pitch factor 0", [](auto& b) { PutFloat(b, 20, 0.0f); });
  with("pitch factor 10.5", [](auto& b) { PutFloat(b, 20, 10.5f); });
  with("duration factor 0.05", [](auto& b) { PutFloat(b, 28, 0.05f); });
  with("negative vocal tract", [](auto& b) { PutFloat(b, 32, -1.0f); });
  with("robot pitch 5 Hz", [](auto& b) { PutFloat(b, 44, 5.0f); });
  with("robot pitch 2000 Hz", [](auto& b) { PutFloat(b, 44, 2000.0f); });
  return files;
}

TEST(ParameterFile, EveryBadFileIsRefusedAndLeavesTheRecordAsItWas) {
  TempDir dir;
  for (const BadFile& bad : BadFiles()) {
    SCOPED_TRACE(bad.defect);
    const std::string path = dir.Write("bad.prm", bad.bytes);
    VoiceParameters record;
    SetEveryStoredField(record);
    record.settingsFileName = "previous.prm";
    const RecordSnapshot before(record);
    RecordingMessageSink messages;
    EXPECT_LT(static_cast<int>(ReadParameterFile(path, record, messages)), 0);
    EXPECT_TRUE(RecordSnapshot(record) == before);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].english, "Invalid settings file!");
    EXPECT_EQ(messages.shown[0].turkish, "Geçersiz ayar dosyası!");
    EXPECT_EQ(messages.shown[0].type, 0);
  }
}

TEST(ParameterFile, ValuesBeyondTheSlidersAndTrailingBytesAreAccepted) {
  TempDir dir;
  std::vector<uint8_t> bytes = DefaultFileBytes();
  PutFloat(bytes, 20, 0.5f);     // pitch below its slider's 0.6
  PutFloat(bytes, 44, 900.0f);   // robot pitch above its slider's 300 Hz
  PutFloat(bytes, 56, 4.0f);     // reverb level above 1
  PutFloat(bytes, 24, -500.0f);  // pitch offset has no bound of its own
  PutFloat(bytes, 80, -100.0f);  // band frequency
  PutFloat(bytes, 120, 60.0f);   // band gain above 20 dB
  PutInt(bytes, 16, -7);         // reserved
  bytes.push_back(0xAB);
  VoiceParameters record;
  RecordingMessageSink messages;
  ASSERT_EQ(ReadParameterFile(dir.Write("wide.prm", bytes), record, messages),
            ParameterFileStatus::kParameterFileOk);
  EXPECT_EQ(float(record.pitchFactor), 0.5f);
  EXPECT_EQ(float(record.robotPitchHz), 900.0f);
  EXPECT_EQ(float(record.reverbLevel), 4.0f);
  EXPECT_EQ(float(record.pitchOffsetHz), -500.0f);
  EXPECT_EQ(record.equaliser.Frequency(0), -100.0f);
  EXPECT_EQ(record.equaliser.Gain(0), 60.0f);
  EXPECT_EQ(int32_t(record.reserved0), -7);
}

TEST(ParameterFile, AMissingFileShowsCannotFindAndChangesNothing) {
  TempDir dir;
  VoiceParameters record;
  record.settingsFileName = "previous.prm";
  const RecordSnapshot before(record);
  RecordingMessageSink messages;
  EXPECT_EQ(ReadParameterFile(dir.Path("absent.prm"), record, messages),
            ParameterFileStatus::kParameterFileCannotOpen);
  // A folder opens but cannot be read as a file.
  EXPECT_LT(static_cast<int>(ReadParameterFile(dir.Root(), record, messages)), 0);
  EXPECT_TRUE(RecordSnapshot(record) == before);
  ASSERT_EQ(messages.shown.size(), 2u);
  for (const auto& shown : messages.shown) {
    EXPECT_EQ(shown.english, "Cannot find settings file!");
    EXPECT_EQ(shown.turkish, "Ayar dosyası bulunamıyor!");
  }
}

TEST(ParameterFile, AFailedWriteIsReportedNeverSucceeds) {
  TempDir dir;
  VoiceParameters record;
  RecordingMessageSink messages;
  record.settingsFileName = dir.Path("no-such-folder/voice.prm");
  EXPECT_EQ(WriteParameterFile(record, messages), ParameterFileStatus::kParameterFileCannotCreate);
  record.settingsFileName = dir.Root();  // a folder
  EXPECT_EQ(WriteParameterFile(record, messages), ParameterFileStatus::kParameterFileCannotCreate);
  // Opens fine, but no byte fits on it.
  record.settingsFileName = "/dev/full";
  EXPECT_EQ(WriteParameterFile(record, messages), ParameterFileStatus::kParameterFileWriteFailed);
  ASSERT_EQ(messages.shown.size(), 3u);
  for (const auto& shown : messages.shown) {
    EXPECT_EQ(shown.english, "Cannot create settings file!");
    EXPECT_EQ(shown.turkish, "Ayar dosyası oluşturulamıyor!");
  }
}

TEST(ParameterFile, AnEmptyFileNameWritesNothingAndSaysNothing) {
  VoiceParameters record;
  RecordingMessageSink messages;
  EXPECT_EQ(WriteParameterFile(record, messages), ParameterFileStatus::kParameterFileNotWritten);
  EXPECT_TRUE(messages.shown.empty());
}

TEST(ParameterFile, ReadingCallsNoEffectSetter) {
  TempDir dir;
  std::vector<uint8_t> bytes = DefaultFileBytes();
  PutInt(bytes, 52, 1);
  PutFloat(bytes, 56, 1.0f);  // reverb on at level 1
  VoiceParameters record;
  RecordingMessageSink messages;
  ASSERT_EQ(ReadParameterFile(dir.Write("reverb.prm", bytes), record, messages),
            ParameterFileStatus::kParameterFileOk);
  EXPECT_EQ(int32_t(record.reverbOn), 1);
  EXPECT_TRUE(std::isnan(float(record.derivedEffects.reverbLevel))) << "derived only by the controls";
}

}  // namespace
}  // namespace plimo
